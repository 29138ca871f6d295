#include "access/UserRows.h"

#include "data/DatabaseErrors.h"
#include "data/EngineVariants.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

constexpr int kManagerRight = 2;  // 用户权限管理

template <typename Outcome>
Outcome failed(const QString& text, QString* error) {
    if (error)
        *error = text;
    return Outcome::Failed;
}

UserSave failed(const QSqlQuery& query, QString* error) {
    return failed<UserSave>(DatabaseErrors::Describe(query.lastError()), error);
}

// The number of other rows than :id that a statement with one more bound value counts.
Result<qint64> countOthers(QSqlDatabase db, const char* sql, const QString& name, const QString& value,
                           qint64 id) {
    QSqlQuery query(db);
    query.prepare(Sql::For(db, sql));
    query.bindValue(name, value);
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec() || !query.next())
        return Result<qint64>::failure(DatabaseErrors::Describe(query.lastError()));
    const qint64 count = query.value(0).toLongLong();
    query.finish();
    return count;
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

    const Result<qint64> named =
        countOthers(db, Sql::kOtherUsersNamed, QStringLiteral(":xingming"), row.name, row.id);
    if (!named)
        return failed<UserSave>(named.error(), error);
    if (named.value() > 0)
        return UserSave::DuplicateName;
    const Result<qint64> sameId =
        countOthers(db, Sql::kOtherUsersWithId, QStringLiteral(":yonghuID"), row.userId, row.id);
    if (!sameId)
        return failed<UserSave>(sameId.error(), error);
    if (sameId.value() > 0)
        return UserSave::DuplicateId;
    if (row.id != 0 && !IsUserManager(row.rights)) {
        const Result<QList<UserRow>> rows = LoadUsers(db);
        if (!rows)
            return failed<UserSave>(rows.error(), error);
        if (IsLastManager(rows.value(), row.id))
            return UserSave::LastManager;
    }

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

bool IsUserManager(const QString& rights) {
    return rights.size() > kManagerRight && rights.at(kManagerRight) == QLatin1Char('1');
}

bool IsLastManager(const QList<UserRow>& rows, qint64 id) {
    bool holds = false;
    for (const UserRow& row : rows) {
        if (!IsUserManager(row.rights))
            continue;
        if (row.id != id)
            return false;
        holds = true;
    }
    return holds;
}

UserDelete DeleteUser(QSqlDatabase db, qint64 id, QString* error) {
    const Result<QList<UserRow>> rows = LoadUsers(db);
    if (!rows)
        return failed<UserDelete>(rows.error(), error);
    if (IsLastManager(rows.value(), id))
        return UserDelete::LastManager;
    QSqlQuery query(db);
    query.prepare(QString::fromUtf8(Sql::kDeleteUser));
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec())
        return failed<UserDelete>(DatabaseErrors::Describe(query.lastError()), error);
    return UserDelete::Deleted;
}

Result<int> ChangePassword(QSqlDatabase db, const QString& name, const QString& newPassword) {
    QSqlQuery query(db);
    query.prepare(QString::fromUtf8(Sql::kChangePassword));
    query.bindValue(QStringLiteral(":mmia"), newPassword);
    query.bindValue(QStringLiteral(":yhmm"), name);
    if (!query.exec())
        return Result<int>::failure(DatabaseErrors::Describe(query.lastError()));
    return query.numRowsAffected();
}
