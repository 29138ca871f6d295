#include "data/HomeSafe.h"

#include "data/Database.h"
#include "data/EngineVariants.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>

Status WriteBalance(QSqlDatabase db, const QString& name, Money value) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kWriteBalance)))
        return Status::failure(query.lastError().text());
    query.bindValue(QStringLiteral(":jingestr"), value.units());
    query.bindValue(QStringLiteral(":jtbxg"), name);
    if (!query.exec())
        return Status::failure(query.lastError().text());
    return Status::ok();
}

Result<Money> ReadStoredBalance(QSqlDatabase db, const QString& name) {
    QSqlQuery query(db);
    if (!query.prepare(Sql::For(db, Sql::kReadBalance))) {
        return Result<Money>::failure(query.lastError().text());
    }
    query.bindValue(QStringLiteral(":jtbxg"), name);
    if (!query.exec())
        return Result<Money>::failure(query.lastError().text());
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

Status HomeSafe::ReadHomeSafeBalance() {
    const Result<Money> stored =
        ReadStoredBalance(database_.connection(), QString::fromUtf8(Codes::kHomeSafe));
    if (!stored)
        return stored.status();
    balance_ = stored.value();
    return Status::ok();
}

Status HomeSafe::move(Money newBalance, const std::function<Status()>& alsoWrite) {
    const Status written = database_.transaction([&]() -> Status {
        // Without its row, or with a balance nobody knows, the move would store the row that causes it
        // while the money went nowhere: the books could never balance again.
        const QString name = QString::fromUtf8(Codes::kHomeSafe);
        if (const Result<Money> stored = ReadStoredBalance(database_.connection(), name); !stored) {
            return Status::failure(QStringLiteral("“%1”的余额在数据库中缺失或为空（%2），这次改动没有保存。")
                                       .arg(name, stored.error()));
        }
        if (Status s = WriteBalance(database_.connection(), QString::fromUtf8(Codes::kHomeSafe), newBalance);
            !s) {
            return s;
        }
        return alsoWrite ? alsoWrite() : Status::ok();
    });
    if (written)
        balance_ = newBalance;
    return written;
}
