#pragma once

#include "data/Result.h"
#include "kopira/KopiraHousehold.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The automatic backups: one a day at most, written in the background at the first start of the day
// when anything changed since the last backup, and a rotation that keeps the last 7 daily, 4 weekly and
// 12 monthly copies. Manual backups and safety copies in the same folder are never removed.
namespace Kopira {

// Which of the backups made at these times the rotation keeps (true) and removes (false). Per day, per
// ISO week and per month the newest backup stands for its period; the newest 7 days, 4 weeks and 12
// months that have a backup keep theirs. Pure: the caller removes the files.
QList<bool> KeptByRotation(const QList<QDateTime>& made);

struct AutomaticBackupOutcome {
    QString written;      // the new backup, empty when none was due
    QString reason;       // why none was written
    QStringList removed;  // backups the rotation removed
    qint64 milliseconds = 0;
};

// Whether the database changed since the newest backup (automatic or manual) in the folder: the file or
// a non-empty write-ahead log was written after that backup was made. Backups named later than `now`
// are not the newest: they were made while the clock ran ahead.
bool ChangedSinceLastBackup(const QString& databasePath, const QString& folder, const QDateTime& now);

// Writes today's automatic backup into the folder when none exists for today's date and the database
// changed since the last backup, checks the new copy (a copy that fails the check is removed again and
// the run fails, removing nothing), then applies the rotation to the automatic backups.
Result<AutomaticBackupOutcome> RunAutomaticBackup(const QString& databasePath, const QString& folder,
                                                  const QDateTime& now);
// The same for the household wherever it lives. The books on a server leave no file time to compare,
// and other computers change them too: there the day's backup is written whenever none exists yet.
// With a passphrase the day's backup is encrypted under it (checked whole before it is encrypted).
Result<AutomaticBackupOutcome> RunAutomaticBackup(const Household& household, const QString& folder,
                                                  const QDateTime& now,
                                                  const QString& passphrase = QString());

// What to say at start-up when the household changed after its newest backup and that backup is more
// than three days old (nothing was written since, whatever stopped it); empty when nothing is overdue.
QString OverdueBackupNotice(const Household& household, const QString& folder, const QDateTime& now);

}  // namespace Kopira
