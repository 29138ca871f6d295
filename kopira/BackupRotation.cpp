#include "kopira/BackupRotation.h"

#include "kopira/BackupInfo.h"
#include "kopira/EncryptedBackup.h"
#include "kopira/KopiraStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <functional>
#include <numeric>

namespace Kopira {

QList<bool> KeptByRotation(const QList<QDateTime>& made) {
    QList<int> newestFirst(made.size());
    std::iota(newestFirst.begin(), newestFirst.end(), 0);
    std::stable_sort(newestFirst.begin(), newestFirst.end(), [&](int a, int b) { return made[a] > made[b]; });
    QList<bool> kept(made.size(), false);
    const auto keepNewestOfPeriods = [&](int periods, const std::function<qint64(const QDate&)>& periodOf) {
        QSet<qint64> seen;
        for (int index : newestFirst) {
            const qint64 period = periodOf(made[index].date());
            if (seen.contains(period))
                continue;
            if (seen.size() == periods)
                break;
            seen.insert(period);
            kept[index] = true;
        }
    };
    keepNewestOfPeriods(7, [](const QDate& d) { return d.toJulianDay(); });
    keepNewestOfPeriods(4, [](const QDate& d) {
        int year = 0;
        const int week = d.weekNumber(&year);
        return static_cast<qint64>(year) * 100 + week;
    });
    keepNewestOfPeriods(12, [](const QDate& d) { return static_cast<qint64>(d.year()) * 12 + d.month(); });
    return kept;
}

namespace {

// The newest backup (automatic or manual) of the folder made no later than `now`. A name later than now
// was written while the clock ran ahead: it says nothing about what was backed up since.
QDateTime lastBackup(const QString& folder, const QDateTime& now) {
    QDateTime last;
    for (const QFileInfo& file : QDir(folder).entryInfoList(BackupNameFilters(), QDir::Files)) {
        const BackupKind kind = KindOfBackup(file.fileName());
        if (kind != BackupKind::Automatic && kind != BackupKind::Manual)
            continue;
        const QDateTime made = TimeInName(file.fileName());
        if (made.isValid() && made <= now && (!last.isValid() || made > last))
            last = made;
    }
    return last;
}

// Whether the file or a non-empty write-ahead log was written at or after `since`.
bool changedSince(const QString& databasePath, const QDateTime& since) {
    // Times in names are whole seconds: a write in the backup's own second counts as a change.
    if (QFileInfo(databasePath).lastModified() >= since)
        return true;
    const QFileInfo log(databasePath + QStringLiteral("-wal"));
    return log.exists() && log.size() > 0 && log.lastModified() >= since;
}

}  // namespace

bool ChangedSinceLastBackup(const QString& databasePath, const QString& folder, const QDateTime& now) {
    const QDateTime last = lastBackup(folder, now);
    return !last.isValid() || changedSince(databasePath, last);
}

QString OverdueBackupNotice(const Household& household, const QString& folder, const QDateTime& now) {
    const QDateTime last = lastBackup(folder, now);
    if (!last.isValid())
        return QString();
    const qint64 days = last.date().daysTo(now.date());
    if (days <= 3 || (!household.onServer() && !changedSince(household.file, last)))
        return QString();
    return QStringLiteral(
               "自动备份已经 %1 天没有写入了：最近的一份备份是 %2 做的，之后帐本有改动，却没有新的备份。"
               "请用【系统维护】→“备份数据库”手动备份一次，并检查备份文件夹 %3 "
               "是否还在、能否写入，磁盘是否已满。")
        .arg(days)
        .arg(last.toString(QStringLiteral("yyyy-MM-dd HH:mm")), QDir::toNativeSeparators(folder));
}

Result<AutomaticBackupOutcome> RunAutomaticBackup(const QString& databasePath, const QString& folder,
                                                  const QDateTime& now) {
    Household file;
    file.file = databasePath;
    return RunAutomaticBackup(file, folder, now);
}

Result<AutomaticBackupOutcome> RunAutomaticBackup(const Household& household, const QString& folder,
                                                  const QDateTime& now, const QString& passphrase) {
    QElapsedTimer timer;
    timer.start();
    AutomaticBackupOutcome outcome;
    const QString& databasePath = household.file;
    if (!household.onServer() && (!QFileInfo(databasePath).isFile() || QFileInfo(databasePath).size() == 0)) {
        outcome.reason = QStringLiteral("还没有数据库");
        return outcome;
    }
    QList<QFileInfo> automatic;
    for (const QFileInfo& file : QDir(folder).entryInfoList(BackupNameFilters(), QDir::Files)) {
        if (KindOfBackup(file.fileName()) == BackupKind::Automatic)
            automatic.append(file);
    }
    const bool doneToday = std::any_of(automatic.begin(), automatic.end(), [&](const QFileInfo& file) {
        return TimeInName(file.fileName()).date() == now.date();
    });
    if (doneToday) {
        outcome.reason = QStringLiteral("今天已经备份过");
        return outcome;
    }
    if (!household.onServer() && !ChangedSinceLastBackup(databasePath, folder, now)) {
        outcome.reason = QStringLiteral("上次备份以来没有改动");
        return outcome;
    }
    // An encrypted copy is checked whole before it is encrypted; a plain one once it is written.
    const bool encrypted = !passphrase.isEmpty();
    const Result<QString> written =
        encrypted
            ? BackUpHouseholdEncrypted(household, folder, now, passphrase, AutomaticBackupFileName(now), true)
            : BackUpHousehold(household, folder, now, AutomaticBackupFileName(now));
    if (!written)
        return Status::failure(written.error() + QStringLiteral("\n请用“备份数据库”手动备份一次。"));
    // A copy enters the rotation only once it passed the whole check. The household itself may be
    // damaged and pass the engine's quick look: its copies would then push the older sound ones out
    // day by day. A copy that fails is not kept (the household it came from is still there) and nothing
    // is removed, so the newest sound copy stays while the newer ones are damaged.
    if (const Status checked = encrypted ? Status::ok() : CheckBackup(written.value()); !checked) {
        QFile::remove(written.value());
        return Status::failure(
            QStringLiteral("今天的自动备份没有通过完整性检查，这份备份已删除，旧的自动备份一份也没有删除。"
                           "数据库本身可能已损坏：请关闭 Tamberlo，打开备份工具 kopira 检查，必要时恢复"
                           "最近的完好备份。（%1）")
                .arg(checked.error()));
    }
    outcome.written = written.value();
    automatic.append(QFileInfo(written.value()));

    // Copies named later than now (written while the clock ran ahead) neither take a place in the
    // rotation nor are removed by it.
    automatic.removeIf([&now](const QFileInfo& file) { return TimeInName(file.fileName()) > now; });
    QList<QDateTime> made;
    for (const QFileInfo& file : automatic)
        made.append(TimeInName(file.fileName()));
    const QList<bool> kept = KeptByRotation(made);
    for (int i = 0; i < automatic.size(); ++i) {
        if (!kept[i] && QFile::remove(automatic[i].absoluteFilePath()))
            outcome.removed.append(automatic[i].absoluteFilePath());
    }
    outcome.milliseconds = timer.elapsed();
    return outcome;
}

}  // namespace Kopira
