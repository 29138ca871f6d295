#pragma once

#include "data/Money.h"
#include "data/Result.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// One row of the records (yinghanbiao): a deposit or withdrawal names its bank, a transfer the receiving
// place and the paying one, with its fee.
struct RecordRow {
    QString kind;   // Codes::kDeposit, Codes::kWithdrawal or Codes::kTransfer
    QString place;  // mingcheng: the bank, or a transfer's receiving place
    QString payer;  // zhuanchu: a transfer's paying place; empty for a deposit or withdrawal
    Money amount;
    Money fee;  // shouxufei
    QDate day;
    QString operatorName;
};

// Appends records inside the caller's transaction, the statement prepared once for many rows. Gives back
// each row's key. The balances a record moves are the caller's to change, in the same transaction.
class RecordRowWriter {
  public:
    explicit RecordRowWriter(QSqlDatabase db);
    Result<qint64> insert(const RecordRow& row);

  private:
    QSqlQuery query_;
    bool prepared_ = false;
};

// One record appended, for a caller that writes one.
Result<qint64> WriteRecordRow(QSqlDatabase db, const RecordRow& row);
