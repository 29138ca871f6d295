#pragma once

#include "data/Result.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

// The kinds of record the records window lists, each in its own grid.
enum class RecordKind { Deposit, Withdrawal, Transfer };

// The records as the records window lists them, in the order they were made: for a deposit or a
// withdrawal four cell texts (bank name, amount as "￥0.00", date, operator); for a transfer six (paying
// place, receiving place, amount, fee, date, operator).
struct TransactionRecords {
    qsizetype total = 0;  // every row of yinghanbiao, of whatever kind
    QList<QStringList> deposits;
    QList<QStringList> withdrawals;
    QList<QStringList> transfers;
};

Result<TransactionRecords> ReadTransactionRecords(QSqlDatabase db);

// The same rows read as far as they are asked for: a household with a hundred thousand records opens
// its records window without reading them all. The rows are read by one statement begun by start() and
// kept open until the last row is read.
class TransactionReader {
  public:
    explicit TransactionReader(QSqlDatabase db);

    // Begins the read and counts every row of whatever kind: in the order the records were made, or
    // sorted by one of their columns (one of SortableField()) going up or down.
    Status start(const QString& field = {}, bool descending = false);
    static bool SortableField(const QString& field);
    qsizetype total() const { return total_; }

    // The cells of the n-th record of the kind, reading on as far as needed; empty when there are
    // fewer. A read that fails ends the rows; its message is kept in error().
    QStringList row(RecordKind kind, qsizetype n);
    // Reads every remaining row.
    void readAll();

    qsizetype rowsRead() const { return rowsRead_; }
    const QString& error() const { return error_; }

  private:
    bool readOne();

    QSqlDatabase db_;
    QSqlQuery query_;
    int name_ = -1, amount_ = -1, kind_ = -1, day_ = -1, by_ = -1, payer_ = -1, fee_ = -1;
    bool hasCurrent_ = false;  // the first row, stepped to before the count, is still to be taken
    bool done_ = true;
    qsizetype total_ = 0;
    qsizetype rowsRead_ = 0;
    QList<QStringList> rows_[3];  // by RecordKind
    QString error_;
};
