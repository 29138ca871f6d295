#pragma once

#include <QDateTime>
#include <QString>

// A database file that is empty or shorter than its own header says, beside a safety copy kept before a
// restore, is what a power cut during a restore leaves. The program must not take it for a new household:
// it says what happened and offers the safety copy.
namespace Kopira {

// True when the file is empty, or an SQLite file shorter than its header's page count (no write-ahead log
// with content beside it).
bool LooksCutShort(const QString& databasePath);

// The newest "lomu-恢复前-*" copy in the database folder or its backup folder that passes the backup
// check; empty when there is none.
QString NewestSafetyCopy(const QString& databasePath);

// The program's open path, under the household's lock: when the file looks cut short and a safety copy
// exists, asks (through the installed Prompt) whether to put the safety copy back. Gives false when the
// file must not be opened (the user said no, or putting the copy back failed, which is reported).
bool OfferSafetyCopy(const QString& databasePath, const QDateTime& now);

}  // namespace Kopira
