#include "data/EntryRows.h"

#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>

Result<qint64> WriteEntryRow(QSqlDatabase db, const EntryRow& row, std::optional<qint64> id) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(id ? Sql::kUpdateEntry : Sql::kInsertEntry)))
        return Result<qint64>::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":leixing"), row.type);
    query.bindValue(QStringLiteral(":mingxi"), row.detail);
    query.bindValue(QStringLiteral(":feiyong"), row.amount.units());
    query.bindValue(QStringLiteral(":shururiqi"), ShortDate(row.day));
    query.bindValue(QStringLiteral(":dengjiren"), row.registrar);
    query.bindValue(QStringLiteral(":beizhu"), row.remarks);
    query.bindValue(QStringLiteral(":zhanghu"), row.place);
    if (id)
        query.bindValue(QStringLiteral(":id"), *id);
    if (!query.exec())
        return Result<qint64>::failure(DatabaseErrors::Describe(query.lastError()));
    if (id)
        return query.numRowsAffected() == 1 ? *id : qint64(0);
    return query.lastInsertId().toLongLong();
}
