#pragma once

#include "data/Result.h"

#include <QString>

class Database;
class IniFile;

// Where the household's books live, as section [shujuku] of lomu.ini says: key leixing absent or
// "sqlite" is the local file database/lomu.mdb under the home folder, "postgresql" a PostgreSQL server
// reached through the libpq connection string in key lianjie (host=… port=… dbname=… user=… sslmode=…,
// or service=…). Passwords never stand in lomu.ini: libpq finds them in ~/.pgpass or the service file.
struct DatabaseChoice {
    bool server = false;
    QString connection;  // the libpq connection string when server
};

namespace Settings {
inline const QString kDatabaseSection = QStringLiteral("shujuku");
inline const QString kEngineKey = QStringLiteral("leixing");
inline const QString kConnectionKey = QStringLiteral("lianjie");
}  // namespace Settings

// Reads the choice; a value the program does not know, a server without a connection string or one
// that carries a password is refused with a message that says what to write instead.
Result<DatabaseChoice> ReadDatabaseChoice(const IniFile& settings);

// Opens the household's database as chosen. endOnFailure says that a failure ends the program: the settings
// name a server that cannot be used, and falling back to a local file would split the books.
struct HouseholdOpening {
    Status status;
    bool endOnFailure = false;
};
HouseholdOpening OpenHouseholdDatabase(Database& database, const IniFile& settings,
                                       const QString& homeFolder);
