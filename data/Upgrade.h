#pragma once

#include "data/Result.h"

#include <QSqlDatabase>
#include <QString>

// The version the first schema carried. Every later version is reached from it by the steps of
// data/Upgrade.cpp; a new file is created with the first schema and then taken through every step, so
// that new and upgraded files end up alike.
inline constexpr int kFirstSchemaVersion = 1;

// Runs every upgrade step above `fromVersion` and records the newest version in the file. Runs inside
// the caller's transaction, so that a failure leaves the file at its old version.
Status UpgradeSchema(QSqlDatabase& db, int fromVersion);

// Whether a table has a column, on either engine.
Result<bool> HasColumn(QSqlDatabase& db, const char* table, const char* column);
// Adds a column unless the table has it already (a new file made by the newest program does).
Status AddColumnIfMissing(QSqlDatabase& db, const char* table, const char* column, const QString& definition);

// Writes a consistent copy of the open database beside it before an upgrade: "lomu-v1.mdb" for
// "lomu.mdb" at version 1, "lomu-v1-2.mdb" when that name is taken. Returns the copy's path.
Result<QString> KeepSafetyCopy(QSqlDatabase& db, const QString& path, int version);

// The refusal of a file written by a newer program.
QString NewerFileRefusal(const QString& path, int fileVersion, int knownVersion);
