#include "bank/BankRecords.h"

#include "data/DatabaseErrors.h"
#include "data/EngineVariants.h"
#include "data/Money.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlRecord>

#include <utility>

TransactionReader::TransactionReader(QSqlDatabase db) : db_(db), query_(db) {
    // On the file the rows are stepped through as the grid asks for them. The server's driver streams a
    // forward-only result and drops the rest of it as soon as the connection runs another statement
    // (the count below, any other window's read): there the result is taken whole when it is run.
    query_.setForwardOnly(EngineOf(db) == Engine::File);
}

bool TransactionReader::SortableField(const QString& field) {
    for (const char* name : {"riqi", "jine", "mingcheng", "zhuanchu", "shouxufei", "caozuoren"}) {
        if (field == QLatin1String(name))
            return true;
    }
    return false;
}

Status TransactionReader::start(const QString& field, bool descending) {
    query_.finish();
    for (QList<QStringList>& rows : rows_)
        rows.clear();
    total_ = rowsRead_ = 0;
    error_.clear();
    QString statement = QString::fromUtf8(Sql::kAllTransactions);
    if (SortableField(field)) {
        // A missing value first going up and last going down, on the server as on the file.
        const bool server = EngineOf(db_) == Engine::Server;
        statement =
            QString::fromUtf8(Sql::kSortedTransactions)
                .arg(field, descending
                                ? (server ? QStringLiteral("DESC NULLS LAST") : QStringLiteral("DESC"))
                                : (server ? QStringLiteral("ASC NULLS FIRST") : QStringLiteral("ASC")));
    }
    if (!query_.exec(statement)) {
        done_ = true;
        return Status::failure(DatabaseErrors::Describe(query_.lastError()));
    }
    const QSqlRecord fields = query_.record();
    name_ = fields.indexOf(QStringLiteral("mingcheng"));
    amount_ = fields.indexOf(QStringLiteral("jine"));
    kind_ = fields.indexOf(QStringLiteral("leixing"));
    day_ = fields.indexOf(QStringLiteral("riqi"));
    by_ = fields.indexOf(QStringLiteral("caozuoren"));
    payer_ = fields.indexOf(QStringLiteral("zhuanchu"));
    fee_ = fields.indexOf(QStringLiteral("shouxufei"));
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
    const QString code = query_.value(kind_).toString();
    RecordKind kind;
    if (code == QLatin1String(Codes::kDeposit))
        kind = RecordKind::Deposit;
    else if (code == QLatin1String(Codes::kWithdrawal))
        kind = RecordKind::Withdrawal;
    else if (code == QLatin1String(Codes::kTransfer))
        kind = RecordKind::Transfer;
    else
        return true;
    const auto money = [this](int column) {
        const QVariant value = query_.value(column);
        return value.isNull() ? QString() : Money::fromUnits(value.toLongLong()).format();
    };
    QStringList cells;
    if (kind == RecordKind::Transfer)
        cells << query_.value(payer_).toString() << query_.value(name_).toString() << money(amount_)
              << money(fee_);
    else
        cells << query_.value(name_).toString() << money(amount_);
    cells << query_.value(day_).toString() << query_.value(by_).toString();
    rows_[static_cast<int>(kind)].append(std::move(cells));
    return true;
}

QStringList TransactionReader::row(RecordKind kind, qsizetype n) {
    const QList<QStringList>& rows = rows_[static_cast<int>(kind)];
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
    for (auto [kind, rows] : {std::pair{RecordKind::Deposit, &records.deposits},
                              std::pair{RecordKind::Withdrawal, &records.withdrawals},
                              std::pair{RecordKind::Transfer, &records.transfers}}) {
        for (qsizetype i = 0;; ++i) {
            QStringList cells = reader.row(kind, i);
            if (cells.isEmpty())
                break;
            rows->append(std::move(cells));
        }
    }
    return records;
}
