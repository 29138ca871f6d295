#pragma once

#include "data/Money.h"
#include "data/Result.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// What a backup holds, read before the user confirms a restore, and the backups of a folder.
namespace Kopira {

enum class BackupKind { Manual, Automatic, SafetyCopy, Other };

// A place other than the home safe as the backup holds it. A file from before places had kinds has no
// kind (empty) and none closed.
struct BackupPlace {
    QString name;
    Money balance;
    QString kind = {};
    bool closed = false;
};

struct BackupSummary {
    QString path;
    BackupKind kind = BackupKind::Other;
    QDateTime made;  // from the file name, else the file's time
    qint64 size = 0;
    qint64 entries = -1;    // income and expense entries; -1 when the file could not be read
    QString lastEntryDate;  // yyyy-MM-dd, empty when there is no entry
    QList<BackupPlace> banks;
    Money homeSafe;
    qint64 imports = -1;  // bill imports, undone ones included; -1 for a file from before bill imports
    qint64 undoneImports = 0;
    qint64 regularEntries = -1;  // 定期收支; -1 for a file from before them
    QString problem;             // why the file cannot be restored, empty when it can
    bool encrypted = false;      // under a passphrase: nothing more is known before it is given
};

// The names of the files a backup folder lists: plain backups and encrypted ones.
QStringList BackupNameFilters();

BackupKind KindOfBackup(const QString& fileName);
// The time in a backup's name ("lomu-自动-20070115-093005.mdb", also with ".tbk" after it), invalid when the
// name carries none.
QDateTime TimeInName(const QString& fileName);

// Reads the summary of one file; nothing is written. A thorough summary checks the whole file first
// (CheckBackup, before a restore); a light one only its identity and version (the list of a folder).
BackupSummary Summarize(const QString& file, bool thorough = true);

// Every *.mdb and *.mdb.tbk file of the folder, newest first, each with its light summary.
QList<BackupSummary> ListBackups(const QString& folder);

// The summary in words, for the question before a restore.
QString DescribeBackup(const BackupSummary& summary);
QString KindText(BackupKind kind);
QString SizeText(qint64 bytes);

}  // namespace Kopira
