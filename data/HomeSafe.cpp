#include "data/HomeSafe.h"

#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/EngineVariants.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>

Status WriteBalance(QSqlDatabase db, const QString& name, Money value) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kWriteBalance)))
        return Status::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":jingestr"), value.units());
    query.bindValue(QStringLiteral(":jtbxg"), name);
    if (!query.exec())
        return Status::failure(DatabaseErrors::Describe(query.lastError()));
    return Status::ok();
}

Result<Money> ReadStoredBalance(QSqlDatabase db, const QString& name) {
    QSqlQuery query(db);
    if (!query.prepare(Sql::For(db, Sql::kReadBalance))) {
        return Result<Money>::failure(DatabaseErrors::Describe(query.lastError()));
    }
    query.bindValue(QStringLiteral(":jtbxg"), name);
    if (!query.exec())
        return Result<Money>::failure(DatabaseErrors::Describe(query.lastError()));
    if (!query.next())
        return Result<Money>::failure(QStringLiteral("找不到“%1”的余额").arg(name));
    const QVariant jine = query.value(0);
    // A null balance has no text form and fails the conversion, as an empty text would.
    if (jine.isNull())
        return Result<Money>::failure(NotAFloatMessage(QString()));
    bool ok = false;
    const qint64 units = jine.toLongLong(&ok);
    if (!ok)
        return Result<Money>::failure(NotAFloatMessage(jine.toString()));
    return Money::fromUnits(units);
}

Result<Money> AddToStoredBalance(QSqlDatabase db, const QString& name, Money change) {
    const Result<Money> stored = ReadStoredBalance(db, name);
    if (!stored)
        return stored;
    const Result<Money> sum = stored->plus(change);
    if (!sum)
        return sum;
    if (Status s = WriteBalance(db, name, sum.value()); !s)
        return s;
    return sum;
}

Status HomeSafe::ReadHomeSafeBalance() {
    const Result<Money> stored =
        ReadStoredBalance(database_.connection(), QString::fromUtf8(Codes::kHomeSafe));
    if (!stored)
        return stored.status();
    balance_ = stored.value();
    return Status::ok();
}

Status HomeSafe::move(const Work& work) {
    Money stored;
    const Status written = database_.transaction([&]() -> Status {
        const Result<Money> change = work();
        if (!change)
            return change.status();
        // Without its row, or with a balance nobody knows, the move would store the row that causes it
        // while the money went nowhere: the books could never balance again.
        const QString name = QString::fromUtf8(Codes::kHomeSafe);
        const Result<Money> before = ReadStoredBalance(database_.connection(), name);
        if (!before) {
            return Status::failure(QStringLiteral("“%1”的余额在数据库中缺失或为空（%2），这次改动没有保存。")
                                       .arg(name, before.error()));
        }
        const Result<Money> sum = AddToStoredBalance(database_.connection(), name, change.value());
        if (!sum)
            return sum.status();
        stored = sum.value();
        return Status::ok();
    });
    if (written)
        balance_ = stored;
    return written;
}

Status HomeSafe::move(Money change, const std::function<Status()>& alsoWrite) {
    return move([&]() -> Result<Money> {
        if (alsoWrite) {
            if (Status s = alsoWrite(); !s)
                return s;
        }
        return change;
    });
}
