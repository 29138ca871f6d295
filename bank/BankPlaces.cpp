#include "bank/BankPlaces.h"

#include "data/DatabaseErrors.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

Status fail(const QSqlQuery& query) {
    return Status::failure(DatabaseErrors::Describe(query.lastError()));
}

void bindDetails(QSqlQuery& query, const BankDetails& details, bool withName) {
    if (withName)
        query.bindValue(QStringLiteral(":mingcheng"), details.name);
    query.bindValue(QStringLiteral(":yonghuming"), details.userName);
    query.bindValue(QStringLiteral(":zhanghao"), details.account);
    query.bindValue(QStringLiteral(":mima"), details.password);
}

const QString homeSafeName() {
    return QString::fromUtf8(Codes::kHomeSafe);
}

}  // namespace

Result<QList<PlaceBalance>> ReadPlaceBalances(QSqlDatabase db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QString::fromUtf8(Sql::kAllPlaces)))
        return fail(query);
    const int name = query.record().indexOf(QStringLiteral("mingcheng"));
    const int jine = query.record().indexOf(QStringLiteral("jine"));
    QList<PlaceBalance> places;
    while (query.next()) {
        // A missing balance counts as 0, as it adds nothing to the total either.
        places.append({query.value(name).toString(), Money::fromUnits(query.value(jine).toLongLong())});
    }
    return places;
}

Result<qint64> InsertBank(QSqlDatabase db, const BankDetails& details) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kInsertPlace)))
        return fail(query);
    bindDetails(query, details, true);
    if (!query.exec())
        return fail(query);
    return query.lastInsertId().toLongLong();
}

Status UpdateBank(QSqlDatabase db, qint64 id, const BankDetails& details) {
    QSqlQuery current(db);
    if (!current.prepare(QString::fromUtf8(Sql::kPlaceName)))
        return fail(current);
    current.bindValue(QStringLiteral(":id"), id);
    if (!current.exec())
        return fail(current);
    const bool homeSafe = current.next() && current.value(0).toString() == homeSafeName();
    current.finish();

    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(homeSafe ? Sql::kUpdatePlaceDetails : Sql::kUpdatePlace)))
        return fail(query);
    bindDetails(query, details, !homeSafe);
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec())
        return fail(query);
    return Status::ok();
}

Status DeleteBank(QSqlDatabase db, qint64 id) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kDeletePlace)))
        return fail(query);
    query.bindValue(QStringLiteral(":id"), id);
    query.bindValue(QStringLiteral(":jtbxg"), homeSafeName());
    if (!query.exec())
        return fail(query);
    return Status::ok();
}
