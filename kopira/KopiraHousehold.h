#pragma once

#include "data/Result.h"

#include <QDateTime>
#include <QString>

// The household kopira backs up and restores: the local file of the home folder, or the household on a
// PostgreSQL server when the home's lomu.ini names one. Either way a backup is an ordinary household
// file, and a restore takes a household file; only where the books live differs.
namespace Kopira {

struct Household {
    // database/lomu.mdb of the home folder: the file itself, and beside it the lock that says whether
    // Tamberlo runs on this computer (also when the books live on a server).
    QString file;
    // The libpq connection string when the books live on a server; empty for the local file.
    QString server;
    // Why lomu.ini cannot be used; while it is set, nothing is backed up or restored.
    QString problem;

    bool onServer() const { return !server.isEmpty(); }
    // What the window and the command line show: the file's path, or the server's connection.
    QString name() const;
};

// The household of the home folder, as its lomu.ini chooses.
Household HouseholdOf(const QString& homeFolder);

// Writes a backup of the household into the folder, named after the time (or `fileName`); gives the new
// file's path.
Result<QString> BackUpHousehold(const Household& household, const QString& folder, const QDateTime& when,
                                const QString& fileName = QString());

// Replaces the household by the backup file, after the same checks on either engine: the file is
// checked first, nothing happens while Tamberlo runs on this computer, and what is replaced is first kept
// as a safety copy in the safety folder (its path is given; empty when there was nothing to keep). A
// family that starts sharing moves in this way: its local lomu.mdb restored onto the empty server.
Result<QString> RestoreHousehold(const Household& household, const QString& backupFile,
                                 const QString& safetyFolder, const QDateTime& when);

}  // namespace Kopira
