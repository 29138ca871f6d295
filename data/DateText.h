#pragma once

#include "data/Result.h"

#include <QDate>
#include <QString>

// Dates as the tables and the boxes hold them: the short format yyyy-MM-dd, the long format of the
// status bar, and the lenient reading of typed or stored text.

// "2007-01-05": the form every date column holds, so equality and BETWEEN work as text comparisons.
QString ShortDate(const QDate& date);

// "2007年1月5日".
QString LongDate(const QDate& date);

// Reads year, month and day separated by "-", with one or two digits for month and day and blanks
// around the whole ("2007-1-01" reads). A text that names no real day (2023-2-30) fails with
// "'<text>' is not a valid date".
Result<QDate> ParseDate(const QString& text);

// The first day of the date's month written with plain decimals: "2007-1-01" for any day of January 2007.
QString MonthStartText(const QDate& date);
