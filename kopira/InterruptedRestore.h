#pragma once

#include <QDateTime>
#include <QString>

// A database file that is empty or shorter than its own header says is what a power cut during a restore,
// a crash or a slip (": > lomu.mdb") leaves. Beside any backup or safety copy the program never takes it
// for a new household, which the daily backups' rotation would soon let push the old copies out: it says
// what happened and offers the newest sound copy.
namespace Kopira {

// True when the file is empty, or an SQLite file shorter than its header's page count (no write-ahead log
// with content beside it).
bool LooksCutShort(const QString& databasePath);

// The newest "lomu-恢复前-*" copy in the database folder or its backup folder that passes the backup
// check; empty when there is none.
QString NewestSafetyCopy(const QString& databasePath);
// The newest copy of the household that passes the backup check: the safety copies, backups and copies
// kept before an upgrade in the database folder, its backup folder and the backup folder the user chose
// last. Empty when there is none.
QString NewestSoundCopy(const QString& databasePath);

// The program's open path, under the household's lock: when the file looks cut short and a sound copy
// exists, asks (through the installed Prompt) whether to put that copy back. Gives false when the
// file must not be opened (the user said no, or putting the copy back failed, which is reported).
bool OfferSafetyCopy(const QString& databasePath, const QDateTime& now);

// Removes what a killed restore or backup left behind, at the start of either program: the restore's
// "lomu.mdb.restoring" beside the database (only while the caller, or this call, holds the household's
// lock: a restore holds it throughout), and a backup's "lomu-*.part" in the backup folders and the
// database folder (the plain copy of an encrypted backup or restore) once it has not been written to for
// an hour (a younger one may be the backup another program is writing now).
void RemoveLeftovers(const QString& homeFolder, const QDateTime& now, bool holdingLock);

}  // namespace Kopira
