#include "app/Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString ResolveHomeFolder(const QString& environmentHome, const QString& programFolder,
                          const QString& userDataFolder) {
    if (!environmentHome.isEmpty())
        return QDir(environmentHome).absolutePath();
    if (!programFolder.isEmpty() &&
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

QString DatabasePath(const QString& home) {
    return QDir(home).filePath(QStringLiteral("database/lomu.mdb"));
}

QString IniPath(const QString& home) {
    return QDir(home).filePath(QStringLiteral("database/lomu.ini"));
}
