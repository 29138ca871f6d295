#pragma once

#include "data/Result.h"

#include <QDate>
#include <QString>

// The period choices of the account summary, in the order of their buttons.
enum class PeriodChoice { Today, Yesterday, ThisMonth, LastMonth, ThisYear, LastYear, Any };

// What a choice writes: the first and the last day as the labels show them (both included) and the
// heading above the totals.
struct PeriodTexts {
    QString first;
    QString last;
    QString heading;
};

// The texts of a choice on a given day. Built texts write their numbers without leading zeros
// ("2007-1-01"); single days use the short date form ("2007-01-15").
PeriodTexts PeriodFor(PeriodChoice choice, const QDate& today);

// The heading shown when a day is picked on a calendar button (the choice becomes 任意).
QString AnyPeriodHeading();

// The bounds read back from the two label texts, first the start, then the end, as a typed date is read
// on `today` (a two-digit year in the window around it); the first text that is not a date gives the
// error "'<text>' is not a valid date".
struct PeriodBounds {
    QDate first;
    QDate last;
};
Result<PeriodBounds> ReadPeriod(const QString& firstText, const QString& lastText, const QDate& today);
