#include "household/Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString ResolveHomeFolder(const QString& environmentHome, const QString& programFolder,
                          const QString& userDataFolder) {
    if (!environmentHome.isEmpty())
        return QDir(environmentHome).absolutePath();
    if (!programFolder.isEmpty() && !IsInstalledProgram(programFolder) &&
        QFileInfo(QDir(programFolder).filePath(QStringLiteral("database"))).isDir()) {
        return QDir(programFolder).absolutePath();
    }
    return QDir(userDataFolder).absolutePath();
}

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

QString HomeFolder() {
    const QString userData = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                                 .filePath(QStringLiteral("tamberlo"));
    return ResolveHomeFolder(qEnvironmentVariable("TAMBERLO_HOME"), ProgramFolder(), userData);
}

QString InstalledFilesFolder(const QString& programFolder) {
    if (programFolder.isEmpty())
        return QString();
    return QDir::cleanPath(QDir(programFolder).absoluteFilePath(QStringLiteral("../share/tamberlo")));
}

bool IsInstalledProgram(const QString& programFolder) {
    const QString shared = InstalledFilesFolder(programFolder);
    return !shared.isEmpty() && QFileInfo(shared).isDir();
}

QString ReadOnlyFile(const QString& programFolder, const QString& relative) {
    if (programFolder.isEmpty())
        return QString();
    for (const QString& folder : {programFolder, InstalledFilesFolder(programFolder)}) {
        const QFileInfo info(QDir(folder).filePath(relative));
        if (info.isFile())
            return info.absoluteFilePath();
    }
    return QString();
}

QString DatabasePath(const QString& home) {
    return QDir(home).filePath(QStringLiteral("database/lomu.mdb"));
}

QString IniPath(const QString& home) {
    return QDir(home).filePath(QStringLiteral("database/lomu.ini"));
}
