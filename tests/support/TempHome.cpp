#include "support/TempHome.h"

#include "household/Folders.h"
#include "kit/Today.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}
}  // namespace

TempHome::TempHome() {
    PinToday(QDate(2007, 1, 15));
}

TempHome::~TempHome() {
    UnpinToday();
}

QString TempHome::databasePath() const {
    return DatabasePath(path());
}

QString TempHome::iniPath() const {
    return IniPath(path());
}

void TempHome::writeIni(const QByteArray& content) const {
    writeFile(iniPath(), content);
}

void TempHome::writeDatabaseFile(const QByteArray& content) const {
    writeFile(databasePath(), content);
}

QString TempHome::writeLockOfAnotherComputer(const QString& computer, const QDateTime& since) const {
    const QString path = QDir(QFileInfo(databasePath()).absolutePath()).filePath(QStringLiteral("lomu.lock"));
    writeFile(path, QStringLiteral("4242\ntamberlo\n%1\n").arg(computer).toUtf8());
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(since, QFileDevice::FileModificationTime);
    return path;
}
