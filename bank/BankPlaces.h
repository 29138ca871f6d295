#pragma once

#include "data/Money.h"
#include "data/Result.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// The money places of zhangwubiao: the home safe and the banks.

// A place and its balance, in the order the list query gives them.
struct PlaceBalance {
    QString name;
    Money balance;
};
Result<QList<PlaceBalance>> ReadPlaceBalances(QSqlDatabase db);

// What the bank information window edits of a place. The balance is not among them: a new place starts
// at 0 and only deposits, withdrawals and entries move it.
struct BankDetails {
    QString name;      // mingcheng
    QString userName;  // yonghuming
    QString account;   // zhanghao
    QString password;  // mima
};

// Adds a place and gives back its key. A name already in use fails with the database's error.
Result<qint64> InsertBank(QSqlDatabase db, const BankDetails& details);

// Stores the details of the place with the given key. The home safe keeps its name whatever is passed.
Status UpdateBank(QSqlDatabase db, qint64 id, const BankDetails& details);

// Removes the place with the given key; the home safe is never removed. Its balance goes with it.
Status DeleteBank(QSqlDatabase db, qint64 id);
