#include "access/UserRows.h"

#include "data/DatabaseErrors.h"
#include "data/EngineVariants.h"
#include "data/SecretUpgrade.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

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
    const int rights = r.indexOf(QStringLiteral("quangxian"));
    const int hash = r.indexOf(QStringLiteral("mimasanlie"));
    const int publicKey = r.indexOf(QStringLiteral("gongyao"));
    const int householdKey = r.indexOf(QStringLiteral("jiayao"));
    QList<UserRow> rows;
    while (query.next()) {
        rows.append({query.value(id).toLongLong(), query.value(userId).toString(),
                     query.value(name).toString(), QString(), query.value(rights).toString(),
                     !query.value(hash).toString().isEmpty(), query.value(publicKey).toString().toLatin1(),
                     query.value(householdKey).toString().toLatin1()});
    }
    return rows;
}

UserSave SaveUser(QSqlDatabase db, UserRow& row, const SecretKey& givingKey, QString* error) {
    if (row.userId.isEmpty() || row.name.isEmpty() ||
        (row.newPassword.isEmpty() && (row.id == 0 || !row.passwordSet)))
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

    // A new password: its hash and a new key pair. The household key is sealed again to the new public key.
    QByteArray hash;
    StoredUserKeys keys;
    QByteArray sealedKey = row.sealedHouseholdKey;
    const bool newPassword = !row.newPassword.isEmpty();
    if (newPassword) {
        const Result<QByteArray> hashed = HashLoginPassword(row.newPassword);
        const Result<StoredUserKeys> made = hashed ? MakeUserKeys(row.newPassword) : hashed.status();
        if (!made)
            return failed<UserSave>(made.error(), error);
        hash = hashed.value();
        keys = made.value();
        sealedKey.clear();
    }
    const QByteArray publicKey = newPassword ? keys.publicKey : row.publicKey;
    if (!HoldsBankRight(row.rights)) {
        sealedKey.clear();
    } else if (sealedKey.isEmpty() && !givingKey.isEmpty() && !publicKey.isEmpty()) {
        const Result<QByteArray> sealed = SealHouseholdKey(givingKey, publicKey);
        if (!sealed)
            return failed<UserSave>(sealed.error(), error);
        sealedKey = sealed.value();
    }

    QSqlQuery write(db);
    write.prepare(QString::fromUtf8(row.id == 0   ? Sql::kAddUser
                                    : newPassword ? Sql::kUpdateUserPassword
                                                  : Sql::kUpdateUser));
    write.bindValue(QStringLiteral(":yonghuID"), row.userId);
    write.bindValue(QStringLiteral(":xingming"), row.name);
    write.bindValue(QStringLiteral(":quangxian"), row.rights);
    const auto text = [](const QByteArray& bytes) {
        return bytes.isEmpty() ? QVariant(QMetaType::fromType<QString>())
                               : QVariant(QString::fromLatin1(bytes));
    };
    if (newPassword) {
        write.bindValue(QStringLiteral(":mimasanlie"), text(hash));
        write.bindValue(QStringLiteral(":gongyao"), text(keys.publicKey));
        write.bindValue(QStringLiteral(":siyao"), text(keys.sealedSecret));
    }
    write.bindValue(QStringLiteral(":jiayao"), text(sealedKey));
    if (row.id != 0)
        write.bindValue(QStringLiteral(":id"), row.id);
    if (!write.exec())
        return failed(write, error);
    if (row.id == 0)
        row.id = write.lastInsertId().toLongLong();
    if (newPassword) {
        WipeText(row.newPassword);
        row.passwordSet = true;
        row.publicKey = keys.publicKey;
    }
    row.sealedHouseholdKey = sealedKey;
    return UserSave::Saved;
}

bool LacksHouseholdKey(const UserRow& row) {
    return HoldsBankRight(row.rights) && row.sealedHouseholdKey.isEmpty();
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

Result<PasswordChange> ChangePassword(QSqlDatabase db, const QString& name, const QString& newPassword,
                                      const UserKeyPair& keys, const SecretKey& householdKey) {
    const Result<QByteArray> hash = HashLoginPassword(newPassword);
    if (!hash)
        return hash.status();
    // The user's own keys are sealed under the new password; keys that could not be opened at the
    // login are replaced by a new pair.
    PasswordChange change{0, hash.value(), keys};
    const Result<StoredUserKeys> stored =
        keys.secretKey.isEmpty() ? MakeUserKeys(newPassword, &change.keys) : ResealUserKeys(keys, newPassword);
    if (!stored)
        return stored.status();
    QVariant sealedKey(QMetaType::fromType<QString>());
    if (!householdKey.isEmpty()) {
        const Result<QByteArray> sealed = SealHouseholdKey(householdKey, stored->publicKey);
        if (!sealed)
            return sealed.status();
        sealedKey = QString::fromLatin1(sealed.value());
    }
    QSqlQuery query(db);
    query.prepare(QString::fromUtf8(Sql::kChangePassword));
    query.bindValue(QStringLiteral(":mmia"), QString::fromLatin1(hash.value()));
    query.bindValue(QStringLiteral(":gongyao"), QString::fromLatin1(stored->publicKey));
    query.bindValue(QStringLiteral(":siyao"), QString::fromLatin1(stored->sealedSecret));
    query.bindValue(QStringLiteral(":jiayao"), sealedKey);
    query.bindValue(QStringLiteral(":yhmm"), name);
    if (!query.exec())
        return Result<PasswordChange>::failure(DatabaseErrors::Describe(query.lastError()));
    change.rows = query.numRowsAffected();
    return change;
}
