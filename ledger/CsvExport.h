#pragma once

#include "data/Result.h"

#include <QByteArray>
#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Writing the entries of a period to a CSV file that spreadsheets open in Chinese: UTF-8 with a
// byte-order mark, fields quoted as RFC 4180 asks (a field holding a comma, a quote or a line break is
// enclosed in quotes and its quotes doubled), records ended by CRLF. Amounts are the stored figures,
// exact; a text cell that a spreadsheet would run as a formula starts with an apostrophe.

// What is exported: the income and expense entries, or the deposits, withdrawals and transfers.
enum class ExportKind { Entries, Transactions };

// One record: the fields joined by commas and quoted where needed, ended by CRLF, in UTF-8.
QByteArray CsvRecord(const QStringList& fields);

// The column titles of each kind.
QStringList ExportHeader(ExportKind kind);

// The rights that export rows of the kind: 收入管理 and 支出管理 for the entries of each type, the two
// bank rights (either one) for the deposits and withdrawals.
QStringList ExportRights(ExportKind kind);

// Which rows a user may export, read once from the user's rights (`holds` tells whether the user holds
// a right): an income entry needs 收入管理, any other entry 支出管理 (the totals count it as an
// expense), a deposit or withdrawal either bank right.
struct ExportAllowance {
    bool income = false;
    bool expense = false;
    bool transactions = false;

    static ExportAllowance Of(const std::function<bool(const QString&)>& holds);
    // Whether any row of the kind may go out.
    bool allowsAny(ExportKind kind) const;
    // Whether a row of the kind with the stored type code may go out.
    bool allows(ExportKind kind, const QString& typeCode) const;
};

// Writes the rows of the period (both days included), sorted by date and then in the order they were
// made, under the column titles. The file appears whole or not at all: it is written beside its place
// and takes its name only when complete, so a failed write leaves an existing file as it was. Returns
// the number of rows written; a failure says why in Chinese. With an allowance, only the rows it
// allows are written. The file is readable by its owner only. `carryOn`, when given, is called with the
// rows written so far after each part of the file (a few hundred rows): a window paints and shows
// progress there, and its answer false stops the export with nothing written (ExportCancelled).
Result<int> ExportToCsv(QSqlDatabase db, ExportKind kind, const QDate& first, const QDate& last,
                        const QString& path, const std::optional<ExportAllowance>& allowance = std::nullopt,
                        const std::function<bool(int rows)>& carryOn = {});

// What an export stopped by its `carryOn` says.
QString ExportCancelled(const QString& path);
