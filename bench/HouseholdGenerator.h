#pragma once

#include "data/Result.h"

#include <QDate>
#include <QString>

// Writes a realistic household of a chosen size through the program's own schema: entries spread over
// twenty years with a few dozen recurring details, 20 banks, deposits and withdrawals, reminders of all
// three ranges and several users. The same size and seed always give the same file. Balances agree with
// the rows: the home safe holds its incomes less its expenses less deposits plus withdrawals, each bank
// its deposits less its withdrawals.
struct HouseholdSize {
    qint64 entries;
    qint64 bankRecords;
    qint64 reminders;
};

inline constexpr HouseholdSize kSmall{10'000, 1'000, 100};
inline constexpr HouseholdSize kMedium{100'000, 10'000, 1'000};
inline constexpr HouseholdSize kLarge{1'000'000, 100'000, 10'000};

// The last day of the generated history; the benchmarks pin today to it.
inline const QDate kGeneratedToday(2026, 12, 9);

Status GenerateHousehold(const QString& databasePath, const HouseholdSize& size, quint64 seed = 20261209);
