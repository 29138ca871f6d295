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

// Reads year, month and day separated by "-", "/" or "." (one mark throughout), or written with 年, 月 and
// 日 ("2026年12月5日"; "12月5日" is a day of `today`'s year), with one or two digits for month and day and
// blanks around the whole ("2007-1-01" reads). A year of one or two digits is the year with those last digits
// within 50 years of `today` ("24-3-5" is 2024-03-05 in 2026, "99-1-1" 1999-01-01); a year of three
// digits is refused. A text that names no real day (2023-2-30) fails with InvalidDateMessage.
// This is the reading of every date a user types and of the dates read back from labels.
Result<QDate> ParseDate(const QString& text, const QDate& today);

// "日期“<text>”无法识别，请按 2026-12-05 或 2026年12月5日 的样子输入。（'<text>' is not a valid date）": what
// is wrong and how to type it, the conversion's own text after it.
QString InvalidDateMessage(const QString& text);

// The same reading for text the program wrote itself, where the year is always written in full: a year
// of fewer than four digits is refused.
Result<QDate> ParseDate(const QString& text);

// The year a one- or two-digit year stands for: the year ending in those digits that lies within 50
// years of `today`'s year (from 50 years back to 49 years ahead).
int YearInCenturyWindow(int shortYear, const QDate& today);

// The first day of the date's month written with plain decimals: "2007-1-01" for any day of January 2007.
QString MonthStartText(const QDate& date);
