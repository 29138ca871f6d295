#pragma once

#include "data/Database.h"

#include <QMap>
#include <QString>

#include <map>
#include <string>

// Checking that a household's books balance: every place's stored balance must equal its opening
// balance moved by the entries and the deposits and withdrawals on record.

// The first column of the first row of a query, as an integer.
qint64 ScalarOf(Database& db, const QString& sql);
// The balances the rows say each place must hold, from the opening balances.
QMap<QString, qint64> ExpectedBalances(Database& db, const QMap<QString, qint64>& opening);
// The balances as stored.
QMap<QString, qint64> StoredBalances(Database& db);
// Readable in a failure message.
std::map<std::string, qint64> Printable(const QMap<QString, qint64>& balances);
