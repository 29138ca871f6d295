#include "data/EntryRows.h"

#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

void bindRow(QSqlQuery& query, const EntryRow& row) {
    query.bindValue(QStringLiteral(":leixing"), row.type);
    query.bindValue(QStringLiteral(":mingxi"), row.detail);
    query.bindValue(QStringLiteral(":feiyong"), row.amount.units());
    query.bindValue(QStringLiteral(":shururiqi"), ShortDate(row.day));
    query.bindValue(QStringLiteral(":dengjiren"), row.registrar);
    query.bindValue(QStringLiteral(":beizhu"), row.remarks);
    query.bindValue(QStringLiteral(":zhanghu"), row.place);
}

}  // namespace

Result<qint64> WriteEntryRow(QSqlDatabase db, const EntryRow& row, std::optional<qint64> id) {
    if (!id)
        return EntryRowWriter(db).insert(row);
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kUpdateEntry)))
        return Result<qint64>::failure(DatabaseErrors::Describe(query.lastError()));
    bindRow(query, row);
    query.bindValue(QStringLiteral(":id"), *id);
    if (!query.exec())
        return Result<qint64>::failure(DatabaseErrors::Describe(query.lastError()));
    return query.numRowsAffected() == 1 ? *id : qint64(0);
}

EntryRowWriter::EntryRowWriter(QSqlDatabase db) : query_(db) {
    prepared_ = query_.prepare(QString::fromUtf8(Sql::kInsertEntry));
}

Result<qint64> EntryRowWriter::insert(const EntryRow& row) {
    if (!prepared_)
        return Result<qint64>::failure(DatabaseErrors::Describe(query_.lastError()));
    bindRow(query_, row);
    if (!query_.exec())
        return Result<qint64>::failure(DatabaseErrors::Describe(query_.lastError()));
    return query_.lastInsertId().toLongLong();
}
