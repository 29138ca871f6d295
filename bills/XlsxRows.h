#pragma once

#include "data/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Reading the first worksheet of an Excel workbook (.xlsx, as 微信支付 exports its bill) as rows of
// cell texts, for the same table reading as a CSV.
//
// Row i of the list is the sheet's row i + 1: rows the sheet leaves out are empty lists, and a cell the
// sheet leaves out before a filled one is an empty text. Shared and inline strings give their text
// (rich text runs joined, phonetic guides left out); a number gives its text exactly as stored ("28.16",
// never through a floating-point number); a boolean "TRUE" or "FALSE"; a number in a cell with a date
// or time format is a day count since 1900 (or 1904, as the workbook says) and gives
// "yyyy-MM-dd HH:mm:ss" ("HH:mm:ss" for a time of day alone).
//
// Each part of the workbook is read through a limit (kMaxBillBytes unpacked), a row may fill at most
// kMaxCells columns and the sheet at most kMaxSheetCells cells counting the gaps, so a hostile file is
// refused before it takes the machine's memory. Failures are Chinese and say what to do: not a
// workbook (or the older .xls), damaged, too big.

// Cells of one sheet, counting the empty cells and rows that fill the gaps: a 10^5-row bill of a dozen
// columns holds 1.2 million.
inline constexpr qint64 kMaxSheetCells = 4 * 1024 * 1024;
// Excel's own number of rows.
inline constexpr int kMaxSheetRows = 1024 * 1024;

Result<QList<QStringList>> ReadXlsxRows(const QString& path);

// The same for a workbook held in memory; `name` stands for the file in messages.
Result<QList<QStringList>> ReadXlsxRowsFromData(const QByteArray& workbook, const QString& name);
