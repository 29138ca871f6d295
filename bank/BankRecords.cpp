#include "bank/BankRecords.h"

#include "data/DatabaseErrors.h"
#include "data/EngineVariants.h"
#include "data/Money.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlRecord>

TransactionReader::TransactionReader(QSqlDatabase db) : db_(db), query_(db) {
    // On the file the rows are stepped through as the grid asks for them. The server's driver streams a
    // forward-only result and drops the rest of it as soon as the connection runs another statement
    // (the count below, any other window's read): there the result is taken whole when it is run.
    query_.setForwardOnly(EngineOf(db) == Engine::File);
}

Status TransactionReader::start() {
    deposits_.clear();
    withdrawals_.clear();
    total_ = rowsRead_ = 0;
    error_.clear();
    if (!query_.exec(QString::fromUtf8(Sql::kAllTransactions))) {
        done_ = true;
        return Status::failure(DatabaseErrors::Describe(query_.lastError()));
    }
    const QSqlRecord fields = query_.record();
    name_ = fields.indexOf(QStringLiteral("mingcheng"));
    amount_ = fields.indexOf(QStringLiteral("jine"));
    kind_ = fields.indexOf(QStringLiteral("leixing"));
    day_ = fields.indexOf(QStringLiteral("riqi"));
    by_ = fields.indexOf(QStringLiteral("caozuoren"));
    // Stepping to the first row opens the read; the count below then sees the same rows.
    hasCurrent_ = query_.next();
    done_ = !hasCurrent_;
    if (!hasCurrent_) {
        const bool failed = query_.lastError().isValid();
        query_.finish();
        if (failed)
            return Status::failure(DatabaseErrors::Describe(query_.lastError()));
        return Status::ok();
    }
    QSqlQuery count(db_);
    if (!count.exec(QString::fromUtf8(Sql::kCountTransactions)) || !count.next()) {
        done_ = true;
        query_.finish();
        return Status::failure(DatabaseErrors::Describe(count.lastError()));
    }
    total_ = count.value(0).toLongLong();
    return Status::ok();
}

bool TransactionReader::readOne() {
    if (done_)
        return false;
    if (!hasCurrent_ && !query_.next()) {
        done_ = true;
        if (query_.lastError().isValid())
            error_ = DatabaseErrors::Describe(query_.lastError());
        query_.finish();
        return false;
    }
    hasCurrent_ = false;
    ++rowsRead_;
    const QString kind = query_.value(kind_).toString();
    const bool deposit = kind == QLatin1String(Codes::kDeposit);
    if (!deposit && kind != QLatin1String(Codes::kWithdrawal))
        return true;
    const QVariant amount = query_.value(amount_);
    (deposit ? deposits_ : withdrawals_)
        .append({query_.value(name_).toString(),
                 amount.isNull() ? QString() : Money::fromUnits(amount.toLongLong()).format(),
                 query_.value(day_).toString(), query_.value(by_).toString()});
    return true;
}

QStringList TransactionReader::row(bool deposit, qsizetype n) {
    const QList<QStringList>& rows = deposit ? deposits_ : withdrawals_;
    while (rows.size() <= n && readOne()) {
    }
    return n < rows.size() ? rows[n] : QStringList();
}

void TransactionReader::readAll() {
    while (readOne()) {
    }
}

Result<TransactionRecords> ReadTransactionRecords(QSqlDatabase db) {
    TransactionReader reader(db);
    if (Status s = reader.start(); !s)
        return s;
    reader.readAll();
    if (!reader.error().isEmpty())
        return Result<TransactionRecords>::failure(reader.error());
    TransactionRecords records;
    records.total = reader.total();
    for (qsizetype i = 0;; ++i) {
        QStringList cells = reader.row(true, i);
        if (cells.isEmpty())
            break;
        records.deposits.append(std::move(cells));
    }
    for (qsizetype i = 0;; ++i) {
        QStringList cells = reader.row(false, i);
        if (cells.isEmpty())
            break;
        records.withdrawals.append(std::move(cells));
    }
    return records;
}
