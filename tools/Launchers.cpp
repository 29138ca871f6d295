#include "tools/Launchers.h"

#include "household/Folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString existingFile(const QString& folder, const QString& relative) {
    if (folder.isEmpty())
        return QString();
    const QFileInfo info(QDir(folder).filePath(relative));
    return info.isFile() ? info.absoluteFilePath() : QString();
}

}  // namespace

namespace Launch {

QStringList CalculatorCandidates() {
    return {QStringLiteral("gnome-calculator"),
            QStringLiteral("kcalc"),
            QStringLiteral("mate-calc"),
            QStringLiteral("galculator"),
            QStringLiteral("qalculate-gtk"),
            QStringLiteral("speedcrunch"),
            QStringLiteral("xcalc")};
}

QStringList TextEditorCandidates() {
    return {QStringLiteral("gnome-text-editor"),
            QStringLiteral("gedit"),
            QStringLiteral("kate"),
            QStringLiteral("kwrite"),
            QStringLiteral("mousepad"),
            QStringLiteral("pluma"),
            QStringLiteral("xed"),
            QStringLiteral("featherpad"),
            QStringLiteral("leafpad"),
            QStringLiteral("xedit")};
}

QString FirstProgramFound(const QStringList& names, const Finder& find) {
    for (const QString& name : names) {
        const QString path = find ? find(name) : QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

QString KopiraFileName() {
#ifdef Q_OS_WIN
    return QStringLiteral("kopira.exe");
#else
    return QStringLiteral("kopira");
#endif
}

QString KopiraPath(const QString& programFolder) {
    return existingFile(programFolder, KopiraFileName());
}

QString HelpPagePath(const QString& programFolder) {
    return ReadOnlyFile(programFolder, QStringLiteral("help/index.htm"));
}

}  // namespace Launch
