#pragma once

#include "data/Result.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

// The deposits and withdrawals as the records window lists them: four cell texts per row (bank name,
// amount as "￥0.00", date, operator), in the order they were made.
struct TransactionRecords {
    qsizetype total = 0;  // every row of yinghanbiao, of whatever kind
    QList<QStringList> deposits;
    QList<QStringList> withdrawals;
};

Result<TransactionRecords> ReadTransactionRecords(QSqlDatabase db);

// The same rows read as far as they are asked for: a household with a hundred thousand records opens
// its records window without reading them all. The rows are read by one statement begun by start() and
// kept open until the last row is read.
class TransactionReader {
  public:
    explicit TransactionReader(QSqlDatabase db);

    // Begins the read and counts every row of whatever kind.
    Status start();
    qsizetype total() const { return total_; }

    // The cells of the n-th deposit (or withdrawal), reading on as far as needed; empty when there are
    // fewer. A read that fails ends the rows; its message is kept in error().
    QStringList row(bool deposit, qsizetype n);
    // Reads every remaining row.
    void readAll();

    qsizetype rowsRead() const { return rowsRead_; }
    const QString& error() const { return error_; }

  private:
    bool readOne();

    QSqlDatabase db_;
    QSqlQuery query_;
    int name_ = -1, amount_ = -1, kind_ = -1, day_ = -1, by_ = -1;
    bool hasCurrent_ = false;  // the first row, stepped to before the count, is still to be taken
    bool done_ = true;
    qsizetype total_ = 0;
    qsizetype rowsRead_ = 0;
    QList<QStringList> deposits_;
    QList<QStringList> withdrawals_;
    QString error_;
};
