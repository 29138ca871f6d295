#pragma once

#include "data/Result.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

#include <functional>

class HouseholdLock;

// What the backup tool does to the household's database file, without any window. Every function may
// run off the window's thread: each opens connections of its own.
namespace Kopira {

// database/backup under the home folder.
QString DefaultBackupFolder(const QString& homeFolder);
// "lomu-20070115-093005.mdb": the backup's name carries the date and time it was made.
QString BackupFileName(const QDateTime& when);
// "lomu-自动-20070115-093005.mdb": a backup the program made by itself at the first start of a day.
QString AutomaticBackupFileName(const QDateTime& when);
// "lomu-恢复前-20070115-093005.mdb": the copy of the current database kept before a restore.
QString SafetyCopyFileName(const QDateTime& when);

// Runs the work on a connection of its own to one file and closes the connection afterwards.
Status WithConnection(const QString& file, const std::function<Status(QSqlDatabase&)>& work);

// True once no program has the database open any more. A write-ahead log left behind by a program that
// ended without closing is folded back into the file first; a log that another program still holds
// answers false. Used once, under the household's lock, just before a restore.
bool DatabaseReleased(const QString& databasePath);

// A file passes when it is a Tamberlo database (its identity in the header) of a version this program
// knows, passes SQLite's integrity check and holds the tables the program reads. Nothing is written to
// it.
Status CheckBackup(const QString& file);
// The same without the integrity check: identity, version and tables only (quick, for lists).
Status CheckIdentity(const QString& file);

// Writes a consistent copy of the database into the folder (created when missing) through SQLite itself,
// from one read transaction, so that it may run while the program saves. The copy reaches the disk
// under a temporary name and then takes its own. Gives the new file's path. `fileName` defaults to
// BackupFileName(when).
Result<QString> Backup(const QString& databasePath, const QString& folder, const QDateTime& when,
                       const QString& fileName = QString());

// Why a restore cannot go on while another program holds the household: the holder, and what to do.
QString RestoreRefusal(const HouseholdLock& lock);

// Replaces the database by the backup. The backup is checked before anything is touched; the household's
// lock is taken for the whole replacement (refused while the program runs); a missing database folder
// (a new computer) is made; the current database is first kept as a safety copy in the safety folder;
// the new file is prepared beside the database, put on the disk and put in its place in one rename.
// Gives the safety copy's path (empty when there was no database to keep).
Result<QString> Restore(const QString& databasePath, const QString& backupFile, const QString& safetyFolder,
                        const QDateTime& when);
// The same for a caller that holds the household's lock itself (the program's own start).
Result<QString> RestoreHoldingLock(const QString& databasePath, const QString& backupFile,
                                   const QString& safetyFolder, const QDateTime& when);

}  // namespace Kopira
