#include "access/UserRows.h"

#include "data/DatabaseErrors.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

UserSave failed(const QSqlQuery& query, QString* error) {
    if (error)
        *error = DatabaseErrors::Describe(query.lastError());
    return UserSave::Failed;
}

}  // namespace

Result<QList<UserRow>> LoadUsers(QSqlDatabase db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QString::fromUtf8(Sql::kAllUsers)))
        return Result<QList<UserRow>>::failure(DatabaseErrors::Describe(query.lastError()));
    const QSqlRecord r = query.record();
    const int id = r.indexOf(QStringLiteral("id"));
    const int userId = r.indexOf(QStringLiteral("yonghuID"));
    const int name = r.indexOf(QStringLiteral("xingming"));
    const int password = r.indexOf(QStringLiteral("mima"));
    const int rights = r.indexOf(QStringLiteral("quangxian"));
    QList<UserRow> rows;
    while (query.next()) {
        rows.append({query.value(id).toLongLong(), query.value(userId).toString(),
                     query.value(name).toString(), query.value(password).toString(),
                     query.value(rights).toString()});
    }
    return rows;
}

UserSave SaveUser(QSqlDatabase db, UserRow& row, QString* error) {
    if (row.userId.isEmpty() || row.name.isEmpty() || row.password.isEmpty())
        return UserSave::Incomplete;

    QSqlQuery named(db);
    named.prepare(QString::fromUtf8(Sql::kOtherUsersNamed));
    named.bindValue(QStringLiteral(":xingming"), row.name);
    named.bindValue(QStringLiteral(":id"), row.id);
    if (!named.exec() || !named.next())
        return failed(named, error);
    const bool taken = named.value(0).toLongLong() > 0;
    named.finish();
    if (taken)
        return UserSave::DuplicateName;

    QSqlQuery write(db);
    write.prepare(QString::fromUtf8(row.id == 0 ? Sql::kAddUser : Sql::kUpdateUser));
    write.bindValue(QStringLiteral(":yonghuID"), row.userId);
    write.bindValue(QStringLiteral(":xingming"), row.name);
    write.bindValue(QStringLiteral(":mima"), row.password);
    write.bindValue(QStringLiteral(":quangxian"), row.rights);
    if (row.id != 0)
        write.bindValue(QStringLiteral(":id"), row.id);
    if (!write.exec())
        return failed(write, error);
    if (row.id == 0)
        row.id = write.lastInsertId().toLongLong();
    return UserSave::Saved;
}

Status DeleteUser(QSqlDatabase db, qint64 id) {
    QSqlQuery query(db);
    query.prepare(QString::fromUtf8(Sql::kDeleteUser));
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec())
        return Status::failure(DatabaseErrors::Describe(query.lastError()));
    return Status::ok();
}

Status ChangePassword(QSqlDatabase db, const QString& name, const QString& newPassword) {
    QSqlQuery query(db);
    query.prepare(QString::fromUtf8(Sql::kChangePassword));
    query.bindValue(QStringLiteral(":mmia"), newPassword);
    query.bindValue(QStringLiteral(":yhmm"), name);
    if (!query.exec())
        return Status::failure(DatabaseErrors::Describe(query.lastError()));
    return Status::ok();
}
