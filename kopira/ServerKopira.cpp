#include "kopira/ServerKopira.h"

#include "data/Database.h"
#include "data/HouseholdCopy.h"
#include "data/Schema.h"
#include "kopira/FileSync.h"
#include "kopira/KopiraStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace Kopira {

namespace {

// Writes the server's household into a new household file at target. The tables are read in one
// read-only snapshot: other computers go on saving meanwhile, and the copy holds every table as it stood
// at one moment, so that its balances agree with its rows.
Status copyServerInto(Database& server, const QString& target) {
    QSqlDatabase source = server.connection();
    if (Status s = Exec(source, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")); !s)
        return s;
    Database file;
    Status written = file.open(target);
    if (written)
        written = file.transaction([&] { return CopyHouseholdRows(source, file.connection()); });
    (void)Exec(source, QStringLiteral("COMMIT"));
    file.close();
    if (!written)
        QFile::remove(target);
    return written;
}

Result<QString> newFileIn(const QString& folder, const QString& name) {
    if (!QDir().mkpath(folder))
        return Result<QString>::failure(QStringLiteral("无法创建文件夹 %1。").arg(folder));
    const QString target = QDir(folder).filePath(name);
    if (QFile::exists(target))
        return Result<QString>::failure(QStringLiteral("文件 %1 已经存在。").arg(target));
    return QFileInfo(target).absoluteFilePath();
}

}  // namespace

Result<QString> BackupServer(const QString& connection, const QString& folder, const QDateTime& when,
                             const QString& fileName) {
    const Result<QString> target = newFileIn(folder, fileName.isEmpty() ? BackupFileName(when) : fileName);
    if (!target)
        return target;
    Database server;
    if (Status s = server.openServer(connection); !s)
        return s;
    // Written under a temporary name: a power cut never leaves a half backup under a backup's name.
    const QString partial = target.value() + QStringLiteral(".part");
    QFile::remove(partial);
    Status written = copyServerInto(server, partial);
    if (written)
        written = SyncFile(partial);
    if (written && !QFile::rename(partial, target.value()))
        written = Status::failure(QStringLiteral("无法把 %1 改名为 %2。").arg(partial, target.value()));
    if (written)
        written = SyncFolder(QFileInfo(target.value()).absolutePath());
    if (!written) {
        QFile::remove(partial);
        return Result<QString>::failure(
            QStringLiteral("备份失败，没有留下备份文件：%1").arg(written.error()));
    }
    return target;
}

Result<QString> RestoreOntoServer(const QString& connection, const QString& backupFile,
                                  const QString& safetyFolder, const QDateTime& when) {
    if (Status checked = CheckBackup(backupFile); !checked)
        return checked;
    // The backup itself is never written: it is opened (and, when older, upgraded) in a scratch copy.
    QTemporaryDir scratch;
    const QString copy = scratch.filePath(QStringLiteral("lomu.mdb"));
    if (!scratch.isValid() || !QFile::copy(backupFile, copy))
        return Result<QString>::failure(QStringLiteral("无法读取备份文件 %1。").arg(backupFile));
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    Database file;
    if (Status s = file.open(copy); !s)
        return s;

    Database server;
    if (Status s = server.openServer(connection); !s)
        return s;
    const Result<QString> safety = newFileIn(safetyFolder, SafetyCopyFileName(when));
    if (!safety)
        return safety;
    if (Status s = copyServerInto(server, safety.value()); !s) {
        return Result<QString>::failure(
            QStringLiteral("无法保存服务器上帐本的安全副本，没有恢复，服务器上的帐本保持原样：%1")
                .arg(s.error()));
    }
    const Status restored =
        server.transaction([&] { return CopyHouseholdRows(file.connection(), server.connection()); });
    if (!restored) {
        return Result<QString>::failure(
            QStringLiteral("恢复失败，服务器上的帐本保持原样（安全副本在 %1）：%2")
                .arg(safety.value(), restored.error()));
    }
    return safety;
}

}  // namespace Kopira
