#pragma once

#include "data/Money.h"
#include "data/Result.h"

#include <QSqlDatabase>

#include <array>

// Income and expense of each month of one year, and the year's totals and balance, with the months of the
// year before for the changes against them. Read by one grouped query over the index (shururiqi, feiyong,
// leixing), never from the rows themselves.
struct YearTrend {
    int year = 0;
    std::array<Money, 12> income{};
    std::array<Money, 12> expense{};
    std::array<Money, 12> incomeYearBefore{};
    std::array<Money, 12> expenseYearBefore{};
    Money incomeTotal;
    Money expenseTotal;
    Money balance;  // income minus expense
};

Result<YearTrend> TrendOfYear(QSqlDatabase db, int year);

// The change of a figure against an earlier one as the trend shows it: "+12.5%", "-100.0%", "0.0%", one
// decimal rounded half away from zero, measured against the size of the earlier figure. An earlier figure
// of nothing gives no percentage: "—".
QString ChangeText(Money now, Money before);

// Month m's figure of the month before it, January's being December of the year before.
Money MonthBefore(const std::array<Money, 12>& months, const std::array<Money, 12>& yearBefore, int m);

// 同比 and 环比 of month m (0-11) of the trend: against the same month of the year before, and against the
// month before it (for January, December of the year before).
struct MonthChanges {
    QString incomeOnYear;
    QString incomeOnMonth;
    QString expenseOnYear;
    QString expenseOnMonth;
};
MonthChanges ChangesOfMonth(const YearTrend& trend, int m);
