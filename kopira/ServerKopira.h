#pragma once

#include "data/Result.h"

#include <QDateTime>
#include <QString>

// Backup and restore of a household that lives on a PostgreSQL server. A backup is an ordinary household
// file, the same as a local backup and readable anywhere; a restore puts a household file onto the
// server, which is also how a family moves its local household onto the server.
namespace Kopira {

// Copies the server's household into a new household file in the folder (created when missing), named
// as a local backup (or `fileName`), and gives its path. The file takes its name only once it is
// complete and on the disk; a failure leaves no file behind.
Result<QString> BackupServer(const QString& connection, const QString& folder, const QDateTime& when,
                             const QString& fileName = QString());

// Replaces the server's household by the household file. The file is checked as for a local restore and
// never written (an older one is taken to this version in a scratch copy); the server's household is
// first kept as a safety copy file in the safety folder; then every row is replaced in one transaction,
// so that a failure leaves the server as it was. Gives the safety copy's path.
Result<QString> RestoreOntoServer(const QString& connection, const QString& backupFile,
                                  const QString& safetyFolder, const QDateTime& when);

}  // namespace Kopira
