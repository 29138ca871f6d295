#include "data/RecordRows.h"

#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QVariant>

RecordRowWriter::RecordRowWriter(QSqlDatabase db) : query_(db) {
    prepared_ = query_.prepare(QString::fromUtf8(Sql::kInsertTransfer));
}

Result<qint64> RecordRowWriter::insert(const RecordRow& row) {
    if (!prepared_)
        return Result<qint64>::failure(DatabaseErrors::Describe(query_.lastError()));
    query_.bindValue(QStringLiteral(":mingcheng"), row.place);
    // A deposit or withdrawal has no paying place: the column stays empty (NULL), as it always was.
    query_.bindValue(QStringLiteral(":zhuanchu"), row.payer.isEmpty() ? QVariant() : QVariant(row.payer));
    query_.bindValue(QStringLiteral(":jine"), row.amount.units());
    query_.bindValue(QStringLiteral(":shouxufei"), row.fee.units());
    query_.bindValue(QStringLiteral(":leixing"), row.kind);
    query_.bindValue(QStringLiteral(":riqi"), ShortDate(row.day));
    query_.bindValue(QStringLiteral(":caozuoren"), row.operatorName);
    if (!query_.exec())
        return Result<qint64>::failure(DatabaseErrors::Describe(query_.lastError()));
    return query_.lastInsertId().toLongLong();
}

Result<qint64> WriteRecordRow(QSqlDatabase db, const RecordRow& row) {
    return RecordRowWriter(db).insert(row);
}
