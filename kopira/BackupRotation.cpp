#include "kopira/BackupRotation.h"

#include "kopira/BackupInfo.h"
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

bool ChangedSinceLastBackup(const QString& databasePath, const QString& folder) {
    QDateTime last;
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.mdb")}, QDir::Files)) {
        const BackupKind kind = KindOfBackup(file.fileName());
        if (kind != BackupKind::Automatic && kind != BackupKind::Manual)
            continue;
        const QDateTime made = TimeInName(file.fileName());
        if (made.isValid() && (!last.isValid() || made > last))
            last = made;
    }
    if (!last.isValid())
        return true;
    // Times in names are whole seconds: a write in the backup's own second counts as a change.
    if (QFileInfo(databasePath).lastModified() >= last)
        return true;
    const QFileInfo log(databasePath + QStringLiteral("-wal"));
    return log.exists() && log.size() > 0 && log.lastModified() >= last;
}

Result<AutomaticBackupOutcome> RunAutomaticBackup(const QString& databasePath, const QString& folder,
                                                  const QDateTime& now) {
    Household file;
    file.file = databasePath;
    return RunAutomaticBackup(file, folder, now);
}

Result<AutomaticBackupOutcome> RunAutomaticBackup(const Household& household, const QString& folder,
                                                  const QDateTime& now) {
    QElapsedTimer timer;
    timer.start();
    AutomaticBackupOutcome outcome;
    const QString& databasePath = household.file;
    if (!household.onServer() && (!QFileInfo(databasePath).isFile() || QFileInfo(databasePath).size() == 0)) {
        outcome.reason = QStringLiteral("还没有数据库");
        return outcome;
    }
    QList<QFileInfo> automatic;
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.mdb")}, QDir::Files)) {
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
    if (!household.onServer() && !ChangedSinceLastBackup(databasePath, folder)) {
        outcome.reason = QStringLiteral("上次备份以来没有改动");
        return outcome;
    }
    const Result<QString> written = BackUpHousehold(household, folder, now, AutomaticBackupFileName(now));
    if (!written)
        return written.status();
    outcome.written = written.value();
    automatic.append(QFileInfo(written.value()));

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
