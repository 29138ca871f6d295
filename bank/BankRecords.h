#pragma once

#include "data/Result.h"

#include <QList>
#include <QSqlDatabase>
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
