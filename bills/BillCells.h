#pragma once

#include "data/Money.h"
#include "data/Result.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QTime>

// The cells of bill files: splitting a CSV line, reading the amounts and dates the exporting programs
// write. Shared by every layout, the CSV and the sheet alike.

// One CSV line split into cells: quoted cells with doubled quotes inside, every cell trimmed of the
// blanks, tabs and quotes it is padded with (a transaction number ending in a tab comes out clean).
// A line is one record: the exports write no line breaks inside a cell.
QStringList SplitCsvLine(QStringView line);

// An amount as a bill prints it: "¥28.16", "1,234.56" padded with tabs, "-12.00". The sign is kept; an
// empty cell is zero. Fails with the Chinese reason ("金额“abc”不是数字").
Result<Money> ReadBillAmount(const QString& text);

struct BillMoment {
    QDate day;
    QTime time;  // null when only the day is given
};

// A date and maybe a time as the layouts write them: "2026-12-05 12:30:01", "2026/12/5 9:05",
// "20261205", "2026.12.05", or a sheet's day number (days since 1899-12-30, the fraction the time).
// Fails with the Chinese reason ("日期“abc”无法识别").
Result<BillMoment> ReadBillMoment(const QString& text);

// The reason of a date that cannot be read, shared by the layouts.
QString BadDateReason(const QString& text);
