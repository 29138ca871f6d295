#pragma once

#include "data/Result.h"

#include <QSqlDatabase>
#include <QString>

// A household lives either in a local SQLite file or on a PostgreSQL server. The program's statements
// are written once, in the dialect both engines share; the few places where the two differ are the
// named variants below, kept side by side so that each pair can be read together.
enum class Engine { File, Server };

// Which engine the connection talks to.
Engine EngineOf(const QSqlDatabase& db);

namespace Sql {

// The connection's form of one of the fixed statements of data/Statements.h: the statement itself on
// the file, its server variant where one is needed.
QString For(const QSqlDatabase& db, const char* statement);

}  // namespace Sql

// The server's form of a table or index definition written for the file: 64-bit keys numbered by the
// server, 64-bit integers, text compared byte by byte as the file does, and letter case handled by the
// statements (lower()) instead of by the column.
QString ServerDefinition(const QString& fileDefinition);
// Runs a table or index definition written for the file in the connection's dialect.
Status ExecDefinition(QSqlDatabase& db, const char* fileDefinition);

// The household mark: the application identity and the schema version, kept in the file's header and
// in a one-row table on the server. A database without a mark reads as version 0 and identity 0.
struct HouseholdMark {
    qint64 applicationId = 0;
    int schemaVersion = 0;
};
Result<HouseholdMark> ReadHouseholdMark(QSqlDatabase& db);
// Writes both; runs inside the caller's transaction.
Status WriteHouseholdMark(QSqlDatabase& db, int schemaVersion);

// Starts a transaction holding the household's write lock: the file's BEGIN IMMEDIATE, on the server a
// transaction-scoped lock of the household that every writer takes first, so that writers one after the
// other, as on the file. The error is invalid when it started.
QSqlError BeginWrite(QSqlDatabase& db);
