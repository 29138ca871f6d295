#pragma once

#include "data/Result.h"

#include <QDateTime>
#include <QString>

// What the backup tool does to the household's database file, without any window.
namespace Kopira {

// database/backup under the home folder.
QString DefaultBackupFolder(const QString& homeFolder);
// "lomu-20070115-093005.mdb": the backup's name carries the date and time it was made.
QString BackupFileName(const QDateTime& when);
// "lomu-恢复前-20070115-093005.mdb": the copy of the current database kept before a restore.
QString SafetyCopyFileName(const QDateTime& when);

// True once no program has the database open any more. A write-ahead log left behind by a program that
// ended without closing is folded back into the file first; a log that another program still holds
// answers false.
bool DatabaseReleased(const QString& databasePath);

// A file passes when it is a Tamberlo database (its identity in the header), passes SQLite's integrity
// check and holds the tables the program reads. Nothing is written to it.
Status CheckBackup(const QString& file);

// Writes a consistent copy of the database into the folder (created when missing) through SQLite
// itself, and gives the new file's path.
Result<QString> Backup(const QString& databasePath, const QString& folder, const QDateTime& when);

// Replaces the database by the backup. The backup is checked before anything is touched; the program
// must have released the database; the current database is first kept as a safety copy in the safety
// folder; the new file is prepared beside the database and put in its place in one rename. Gives the
// safety copy's path (empty when there was no database to keep).
Result<QString> Restore(const QString& databasePath, const QString& backupFile, const QString& safetyFolder,
                        const QDateTime& when);

}  // namespace Kopira
