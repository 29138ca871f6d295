#include "tools/PostalQueries.h"

#include "data/DatabaseErrors.h"
#include "data/EngineVariants.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>

namespace {

using Binding = QPair<QString, QString>;

Status runGrid(QSqlQueryModel& model, const QSqlDatabase& db, const QString& statement,
               const QList<Binding>& bindings) {
    QSqlQuery query(db);
    if (!query.prepare(statement)) {
        model.clear();
        return Status::failure(DatabaseErrors::Describe(query.lastError()));
    }
    for (const Binding& b : bindings)
        query.bindValue(b.first, b.second);
    if (!query.exec()) {
        model.clear();
        return Status::failure(DatabaseErrors::Describe(query.lastError()));
    }
    model.setQuery(std::move(query));
    if (model.lastError().isValid()) {
        const QString error = DatabaseErrors::Describe(model.lastError());
        model.clear();
        return Status::failure(error);
    }
    return Status::ok();
}

Result<QStringList> firstColumn(const QSqlDatabase& db, const QString& statement,
                                const QList<Binding>& bindings) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        return Result<QStringList>::failure(DatabaseErrors::Describe(query.lastError()));
    for (const Binding& b : bindings)
        query.bindValue(b.first, b.second);
    if (!query.exec())
        return Result<QStringList>::failure(DatabaseErrors::Describe(query.lastError()));
    QStringList values;
    while (query.next())
        values.append(query.value(0).toString());
    return values;
}

}  // namespace

namespace Postal {

QStringList SearchColumns() {
    QStringList columns;
    for (const char* c : Sql::kPostalColumns)
        columns.append(QString::fromUtf8(c));
    return columns;
}

Status All(QSqlQueryModel& model, const QSqlDatabase& db) {
    return runGrid(model, db, QString::fromUtf8(Sql::kAllPostal), {});
}

Status OfRegion(QSqlQueryModel& model, const QSqlDatabase& db, const QString& province,
                const QString& region) {
    return runGrid(model, db, QString::fromUtf8(Sql::kPostalOfRegion),
                   {{QStringLiteral(":dq1"), province}, {QStringLiteral(":dq2"), region}});
}

Status Search(QSqlQueryModel& model, const QSqlDatabase& db, const QString& column, const QString& text) {
    // The column name is never taken from the box as typed: only a name of the fixed list goes into the
    // statement, and the text is bound, so that a quote in it is just a character.
    if (!SearchColumns().contains(column)) {
        model.clear();
        return Status::failure(QStringLiteral("无法按“%1”查询").arg(column));
    }
    const QString statement = Sql::For(db, Sql::kPostalSearch).arg(column);
    return runGrid(model, db, statement,
                   {{QStringLiteral(":pattern"), QLatin1Char('%') + text + QLatin1Char('%')}});
}

Result<QStringList> Provinces(const QSqlDatabase& db) {
    return firstColumn(db, QString::fromUtf8(Sql::kProvinces), {});
}

Result<QStringList> RegionsOf(const QSqlDatabase& db, const QString& province) {
    return firstColumn(db, QString::fromUtf8(Sql::kRegionsOfProvince), {{QStringLiteral(":dq"), province}});
}

}  // namespace Postal
