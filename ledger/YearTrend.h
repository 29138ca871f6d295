#pragma once

#include "data/Money.h"
#include "data/Result.h"

#include <QSqlDatabase>

#include <array>

// Income and expense of each month of one year, and the year's totals and balance. Read by one grouped
// query over the index (shururiqi, feiyong, leixing), never from the rows themselves.
struct YearTrend {
    int year = 0;
    std::array<Money, 12> income{};
    std::array<Money, 12> expense{};
    Money incomeTotal;
    Money expenseTotal;
    Money balance;  // income minus expense
};

Result<YearTrend> TrendOfYear(QSqlDatabase db, int year);
