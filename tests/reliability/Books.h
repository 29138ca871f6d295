#pragma once

#include "data/Database.h"

#include <QMap>
#include <QString>

#include <map>
#include <string>

// What the rows of a household say its balances must be, for the tests that let money move in
// processes of their own and then check the books.
namespace Books {

// The first column of the first row of a query (failing the test when there is none).
qint64 Scalar(Database& db, const QString& sql);

// Adds the places and sets their opening balances.
void Open(Database& db, const QMap<QString, qint64>& opening);

// The balances the rows say each place must hold, from the opening balances: each place gains the
// incomes and loses the expenses recorded on it; the home safe gains the withdrawals and loses the
// deposits, each bank the other way round; a transfer moves its amount from the paying place to the
// receiving one (its fee is an expense entry).
QMap<QString, qint64> Expected(Database& db, const QMap<QString, qint64>& opening);

// The balances as stored.
QMap<QString, qint64> Stored(Database& db);

// Readable in a failure message.
std::map<std::string, qint64> Printable(const QMap<QString, qint64>& balances);

// The result of PRAGMA integrity_check ("ok" for a sound file).
QString IntegrityCheck(Database& db);

}  // namespace Books
