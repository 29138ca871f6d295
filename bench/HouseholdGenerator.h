#pragma once

#include "data/Result.h"

#include <QDate>
#include <QString>

// Writes a realistic household of a chosen size through the program's own schema: entries spread over
// twenty years with a few dozen recurring details, 20 banks, deposits and withdrawals, reminders of all
// three ranges and several users. The same size and seed always give the same file. Balances agree with
// the rows: the home safe holds its incomes less its expenses less deposits plus withdrawals, each bank
// its deposits less its withdrawals, and each place its own entries as well.
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

// Where the entries sit. HomeSafe: every entry on the home safe, as households from before places were
// (the file is the same, byte for byte, as before this choice existed). Eight: the entries spread over
// eight places: the home safe, the first four banks' cards, 支付宝 and 微信零钱 (e-wallets) and a credit
// card with a limit of ￥30000. The entries themselves (details, amounts, days) and the records' days,
// banks and kinds are the same as with HomeSafe. A place other than the home safe takes an income while
// it holds less than ￥5000 (a credit card while it is owed) and an expense it can pay (a credit card
// within its limit); the home safe takes the rest, so every balance is one a household can have and
// the home safe still holds most of the money.
enum class EntryPlaces { HomeSafe, Eight };

inline constexpr quint64 kGeneratorSeed = 20261209;

Status GenerateHousehold(const QString& databasePath, const HouseholdSize& size,
                         quint64 seed = kGeneratorSeed, EntryPlaces places = EntryPlaces::HomeSafe);
