#include "kopira/KopiraStore.h"

#include "data/DamageCheck.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/Upgrade.h"
#include "household/HouseholdLock.h"
#include "kopira/FileSync.h"

#include "data/DatabaseErrors.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <filesystem>
#include <system_error>

namespace {

QAtomicInt connectionCounter;

Result<QString> firstValue(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement))
        return Result<QString>::failure(DatabaseErrors::Describe(query.lastError()));
    if (!query.next())
        return Result<QString>::failure(QStringLiteral("“%1”没有结果").arg(statement));
    const QString value = query.value(0).toString();
    query.finish();
    return value;
}

// A consistent, self-contained copy of an open database into a file that does not exist yet.
Status copyInto(QSqlDatabase& db, const QString& target) {
    QSqlQuery vacuum(db);
    if (!vacuum.prepare(QStringLiteral("VACUUM INTO :target")))
        return Status::failure(DatabaseErrors::Describe(vacuum.lastError()));
    vacuum.bindValue(QStringLiteral(":target"), target);
    if (!vacuum.exec())
        return Status::failure(DatabaseErrors::Describe(vacuum.lastError()));
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return Kopira::SyncFile(target);
}

Status renameOver(const QString& from, const QString& to) {
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                            std::filesystem::path(to.toStdU16String()), error);
    if (error)
        return Status::failure(QString::fromLocal8Bit(error.message().c_str()));
    return Status::ok();
}

QString walOf(const QString& path) {
    return path + QStringLiteral("-wal");
}
QString shmOf(const QString& path) {
    return path + QStringLiteral("-shm");
}

}  // namespace

namespace Kopira {

QString DefaultBackupFolder(const QString& homeFolder) {
    return QDir(homeFolder).filePath(QStringLiteral("database/backup"));
}

QString BackupFileName(const QDateTime& when) {
    return QStringLiteral("lomu-%1.mdb").arg(when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

QString AutomaticBackupFileName(const QDateTime& when) {
    return QStringLiteral("lomu-自动-%1.mdb").arg(when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

QString SafetyCopyFileName(const QDateTime& when) {
    return QStringLiteral("lomu-恢复前-%1.mdb").arg(when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

Status WithConnection(const QString& file, const std::function<Status(QSqlDatabase&)>& work) {
    const QString name = QStringLiteral("kopira-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    Status result = Status::ok();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        result = db.open() ? work(db) : Status::failure(DatabaseErrors::Describe(db.lastError()));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

bool DatabaseReleased(const QString& databasePath) {
    if (!QFile::exists(walOf(databasePath)))
        return true;
    // The last connection to close folds the log into the file and removes it; when another program
    // still has the database open the log stays.
    WithConnection(databasePath, [](QSqlDatabase& db) {
        QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        return Status::ok();
    });
    return !QFile::exists(walOf(databasePath));
}

namespace {

Status checkFile(const QString& file, const QString& check) {
    const QFileInfo info(file);
    if (!info.isFile() || info.size() == 0)
        return Status::failure(QStringLiteral("文件 %1 不存在或是空的。").arg(file));
    const QString notOurs = QStringLiteral("文件 %1 不是 Tamberlo 的数据库备份。").arg(file);
    return WithConnection(file, [&](QSqlDatabase& db) {
        const Result<QString> id = firstValue(db, QStringLiteral("PRAGMA application_id"));
        if (!id || id.value().toInt() != kTamberloApplicationId)
            return Status::failure(notOurs);
        // What a newer program wrote may hold what this one cannot keep: refused as the program refuses it.
        const Result<QString> version = firstValue(db, QStringLiteral("PRAGMA user_version"));
        if (version && version.value().toInt() > kSchemaVersion)
            return Status::failure(NewerFileRefusal(file, version.value().toInt(), kSchemaVersion));
        if (!check.isEmpty()) {
            const Result<QString> integrity = firstValue(db, QStringLiteral("PRAGMA %1").arg(check));
            if (!integrity || integrity.value() != QStringLiteral("ok"))
                return Status::failure(QStringLiteral("文件 %1 已损坏，未通过完整性检查。").arg(file));
        }
        for (const char* table :
             {"shouzhibiao", "zhangwubiao", "yinghanbiao", "tixing", "quanxiangbiao", "yzbh"}) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("select count(*) from sqlite_master where type='table' and name=?"));
            query.addBindValue(QString::fromLatin1(table));
            if (!query.exec() || !query.next() || query.value(0).toInt() != 1)
                return Status::failure(notOurs);
        }
        // Six tables of the right names may still hold nothing the program can use.
        if (Status shape = CheckHouseholdShape(db, version ? version.value().toInt() : kSchemaVersion);
            !shape)
            return Status::failure(QStringLiteral("文件 %1 不是完整的 Tamberlo 帐本（%2），不能用它恢复。")
                                       .arg(file, shape.error()));
        return Status::ok();
    });
}

}  // namespace

Status CheckBackup(const QString& file) {
    return checkFile(file, QStringLiteral("integrity_check"));
}

Status CheckIdentity(const QString& file) {
    return checkFile(file, QString());
}

Result<QString> Backup(const QString& databasePath, const QString& folder, const QDateTime& when,
                       const QString& fileName) {
    if (!QFileInfo(databasePath).isFile())
        return Result<QString>::failure(
            QStringLiteral("找不到数据库文件 %1：这里还没有帐本。请检查帐本文件夹（TAMBERLO_HOME），"
                           "或先运行一次 Tamberlo。")
                .arg(databasePath));
    if (!QDir().mkpath(folder))
        return Result<QString>::failure(QStringLiteral("无法创建文件夹 %1，请选择别的文件夹。").arg(folder));
    const QString target =
        QDir(folder).absoluteFilePath(fileName.isEmpty() ? BackupFileName(when) : fileName);
    if (QFile::exists(target))
        return Result<QString>::failure(QStringLiteral("备份文件 %1 已经存在，请稍后再试。").arg(target));
    // Written under a temporary name: a power cut never leaves a half backup under a backup's name.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    Status copied = WithConnection(databasePath, [&](QSqlDatabase& db) { return copyInto(db, partial); });
    if (copied)
        copied = renameOver(partial, target);
    if (copied)
        copied = SyncFolder(folder);
    if (!copied) {
        QFile::remove(partial);
        // A household that cannot be read whole is no matter of the disk that takes the backup: a copy of
        // it would only keep the damage, and the way out is a sound backup put back.
        if (const DamageCheck::Verdict verdict = DamageCheck::Run(databasePath, DamageCheck::Depth::Quick);
            verdict.damaged) {
            return Result<QString>::failure(
                QStringLiteral(
                    "帐本 %1 已损坏，没有备份（备份只会把损坏一起复制）。请用“恢复”换回最近的完好备份。"
                    "（%2）")
                    .arg(databasePath, copied.error()));
        }
        return Result<QString>::failure(
            QStringLiteral("无法写入备份文件 %1，请检查磁盘空间和文件夹权限。（%2）")
                .arg(target, copied.error()));
    }
    return target;
}

QString RestoreRefusal(const HouseholdLock& lock) {
    const std::optional<HouseholdLock::Holder> holder = lock.holderInfo();
    // A kopira that restores says to wait for it; the text of a lock on another computer says what to do.
    if (holder && (holder->otherComputer || holder->program != QStringLiteral("Tamberlo")))
        return HouseholdInUseText(lock);
    return HouseholdInUseText(lock) + QStringLiteral("\n请先关闭 Tamberlo 再恢复。");
}

Result<QString> Restore(const QString& databasePath, const QString& backupFile, const QString& safetyFolder,
                        const QDateTime& when) {
    HouseholdLock lock(databasePath);
    if (lock.tryLock() == HouseholdLock::State::HeldElsewhere)
        return Result<QString>::failure(RestoreRefusal(lock));
    return RestoreHoldingLock(databasePath, backupFile, safetyFolder, when);
}

Result<QString> RestoreHoldingLock(const QString& databasePath, const QString& backupFile,
                                   const QString& safetyFolder, const QDateTime& when) {
    if (Status checked = CheckBackup(backupFile); !checked)
        return checked;
    if (QFileInfo(backupFile).canonicalFilePath() == QFileInfo(databasePath).canonicalFilePath())
        return Result<QString>::failure(QStringLiteral("所选文件就是当前的数据库，请选择一个备份文件。"));
    // On a new computer the database folder does not exist yet.
    const QString databaseFolder = QFileInfo(databasePath).absolutePath();
    if (!QDir().mkpath(databaseFolder))
        return Result<QString>::failure(
            QStringLiteral("无法创建文件夹 %1，未作任何改动。").arg(databaseFolder));
    if (!DatabaseReleased(databasePath))
        return Result<QString>::failure(
            QStringLiteral("Tamberlo 仍在使用数据库，请先关闭 Tamberlo 再恢复。未作任何改动。"));

    // Keep what is there now.
    QString safetyCopy;
    if (QFileInfo(databasePath).isFile() && QFileInfo(databasePath).size() > 0) {
        if (!QDir().mkpath(safetyFolder))
            return Result<QString>::failure(
                QStringLiteral("无法创建文件夹 %1，未作任何改动。").arg(safetyFolder));
        // Two restores in one second keep two copies: the second gets a number.
        safetyCopy = QDir(safetyFolder).absoluteFilePath(SafetyCopyFileName(when));
        for (int n = 2; QFile::exists(safetyCopy); ++n)
            safetyCopy = QDir(safetyFolder)
                             .absoluteFilePath(SafetyCopyFileName(when).replace(
                                 QStringLiteral(".mdb"), QStringLiteral("-%1.mdb").arg(n)));
        Status kept = !QFile::copy(databasePath, safetyCopy) ? Status::failure(QStringLiteral("复制失败"))
                                                             : SyncFile(safetyCopy);
        if (kept)
            kept = SyncFolder(safetyFolder);
        if (!kept) {
            return Result<QString>::failure(
                QStringLiteral("无法保存当前数据库的安全副本 %1，未作任何改动。请检查磁盘空间。")
                    .arg(safetyCopy));
        }
        QFile::setPermissions(safetyCopy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // Prepare the new file beside the database, check it, put it on the disk, then in place in one step.
    const QString staging = databasePath + QStringLiteral(".restoring");
    QFile::remove(staging);
    Status prepared = WithConnection(backupFile, [&](QSqlDatabase& db) { return copyInto(db, staging); });
    // The staged file was just written from a checked backup: its structure is checked once more.
    if (prepared)
        prepared = checkFile(staging, QStringLiteral("quick_check"));
    if (prepared) {
        QFile::remove(shmOf(databasePath));
        prepared = renameOver(staging, databasePath);
    }
    if (!prepared) {
        QFile::remove(staging);
        return Result<QString>::failure(
            QStringLiteral("恢复失败，当前数据库未作改动：%1").arg(prepared.error()));
    }
    if (Status synced = SyncFolder(databaseFolder); !synced) {
        return Result<QString>::failure(
            QStringLiteral("备份已放回，但无法确认它已写到磁盘上：%1\n安全副本在 %2。")
                .arg(synced.error(), safetyCopy));
    }
    return safetyCopy;
}

}  // namespace Kopira
