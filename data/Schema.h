#pragma once

#include "data/Result.h"

#include <QSqlDatabase>
#include <QString>

// The initial account of a new household.
namespace InitialUser {
inline constexpr char kId[] = "001";
inline constexpr char kPassword[] = "123";
inline constexpr char kName[] = "管理员";
inline constexpr char kRights[] = "1111111";
}  // namespace InitialUser

// The bin of deleted entries (version 3): kept beside the other tables and run by the upgrade step that
// brings it to older files. Both are safe to run on a file that has them already.
extern const char kBinTable[];
extern const char kBinIndex[];

// Creates the six tables, their indexes and the rows a first start needs (the home safe at 0 and the
// initial user and the postal and area-code rows) on an empty database. Runs inside the caller's transaction.
Status CreateSchema(QSqlDatabase& db);

// Gives a household made before the summary's covering indexes existed those indexes, keeping the
// lists' order. Quick when they are there; on a large old household the first open builds them once.
// Runs inside the caller's transaction.
// Whether the summary's covering indexes and the indexes of a place's lists and of the amounts' order are
// there (EnsureSummaryIndexes then writes nothing).
Result<bool> SummaryIndexesPresent(QSqlDatabase& db);
Status EnsureSummaryIndexes(QSqlDatabase& db);
// The indexes of the lists limited to one place, of the lists sorted by amount and of the records sorted by
// date or amount, on either engine, each
// made when missing (the entries' place came with version 4, after the tables; the order by amount
// later, without a new version: a program that knows nothing of it ignores it). Runs inside the
// caller's transaction.
Status EnsurePlaceListIndex(QSqlDatabase& db);

// Whether an open database holds what the program reads and writes: every column of the six tables
// (and of the bin from version 3 on) and the home safe's row with a balance. The failure names the first
// thing missing; nothing is written.
Status CheckHouseholdShape(QSqlDatabase& db, int version);

// Runs one statement without parameters; the failure carries the engine's text.
Status Exec(QSqlDatabase& db, const QString& statement);
