#include "bank/BankRecords.h"

#include "data/Money.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

Result<TransactionRecords> ReadTransactionRecords(QSqlDatabase db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QString::fromUtf8(Sql::kAllTransactions)))
        return Result<TransactionRecords>::failure(query.lastError().text());
    const QSqlRecord fields = query.record();
    const int name = fields.indexOf(QStringLiteral("mingcheng"));
    const int jine = fields.indexOf(QStringLiteral("jine"));
    const int kind = fields.indexOf(QStringLiteral("leixing"));
    const int day = fields.indexOf(QStringLiteral("riqi"));
    const int by = fields.indexOf(QStringLiteral("caozuoren"));
    const QString deposit = QString::fromUtf8(Codes::kDeposit);
    const QString withdrawal = QString::fromUtf8(Codes::kWithdrawal);

    TransactionRecords records;
    while (query.next()) {
        ++records.total;
        const QString leixing = query.value(kind).toString();
        if (leixing != deposit && leixing != withdrawal)
            continue;
        const QVariant amount = query.value(jine);
        const QStringList cells{query.value(name).toString(),
                                amount.isNull() ? QString() : Money::fromUnits(amount.toLongLong()).format(),
                                query.value(day).toString(), query.value(by).toString()};
        (leixing == deposit ? records.deposits : records.withdrawals).append(cells);
    }
    return records;
}
