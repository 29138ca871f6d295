#pragma once

#include "bills/BillReader.h"

#include <QList>
#include <QStringList>

#include <array>

// A bill that comes as a table of cells, whatever the file it was read from (a CSV split into lines,
// a sheet's rows): the header line is found after the preamble by the names it holds, the layout is the
// one whose header names it holds, and every column is found by its name. The lines read after the
// header become rows; a line that cannot be read becomes a row with its problem.

// Reads the whole table at once; `rows` are the file's lines (or the sheet's rows) from the first,
// their cells trimmed or not. Fails as ReadBill does for a table of no known layout.
ReadResult BillFromTable(const QList<QStringList>& rows, const QString& path, const ReadOptions& options);

// The same reading one line at a time, for a file read piece by piece.
class BillTableReader {
  public:
    BillTableReader(const QString& path, const ReadOptions& options);

    // One line of the table with its number from 1. Returns false once nothing after it can matter: the
    // table has ended, or no header was found where a header stands.
    bool feed(int line, const QStringList& cells);
    ReadResult finish();
    // Room for about this many rows, so that a long bill's rows are not moved again and again.
    void reserve(qsizetype rows) { bill_.rows.reserve(rows); }

    // The columns a layout reads; public for the layouts' table only.
    enum Field {
        Date,
        Time,
        Counterparty,
        Description,
        Category,
        Direction,
        Amount,  // never negative; Direction says the way
        Signed,  // signed; Layout::positiveIsOut says the way
        Income,  // money in and out in two columns
        Expense,
        Fee,
        Refunded,
        Method,
        Status,
        Number,
        Merchant,
        Remark,
        Balance,
        Account,
        FundState,  // the older 支付宝 export's 资金状态, the way when 收/支 is empty
        FieldCount
    };
    struct Layout {
        BillSource source = BillSource::MappedCsv;
        QStringList required;                        // the header names that identify it
        std::array<QString, FieldCount> names = {};  // each field's header name, empty when not read
        bool positiveIsOut = false;
    };

  private:
    bool findHeader(int line, const QStringList& cells);
    void readRow(int line, const QStringList& cells);

    QString path_;
    ReadOptions options_;
    Layout mapped_;
    const Layout* layout_ = nullptr;
    std::array<int, FieldCount> columns_ = {};
    QStringList firstLines_;
    int seen_ = 0;
    bool ended_ = false;
    QString headerFault_;
    Bill bill_;
};
