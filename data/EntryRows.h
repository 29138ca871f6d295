#pragma once

#include "data/Money.h"
#include "data/Result.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <optional>

// One income or expense entry as shouzhibiao stores it.
struct EntryRow {
    QString type;  // Codes::kIncome or Codes::kExpense
    QString detail;
    Money amount;
    QDate day;
    QString registrar;
    QString remarks;
    qint64 place = 0;  // zhangwubiao.id
};

// Writes an entry inside the caller's transaction: a new row when no key is given, else the stored row
// of that key. Gives back the row's key, or 0 when an update found no row of the key. The balances the
// entry moves are the caller's to change, in the same transaction.
Result<qint64> WriteEntryRow(QSqlDatabase db, const EntryRow& row, std::optional<qint64> id = std::nullopt);

// Writes many new entries inside the caller's transaction through one prepared statement (an import of
// a long bill), each as WriteEntryRow writes a new row; gives back each row's key.
class EntryRowWriter {
  public:
    explicit EntryRowWriter(QSqlDatabase db);
    Result<qint64> insert(const EntryRow& row);

  private:
    QSqlQuery query_;
    bool prepared_ = false;
};
