#include "access/Login.h"

#include "data/DatabaseErrors.h"
#include "data/EngineVariants.h"
#include "data/Schema.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// Opens the user's keys and, when the row holds it, the household key. A damaged key leaves the login
// standing without the bank passwords; a row without keys gets a pair now.
void openKeys(QSqlDatabase db, qint64 row, const StoredUserKeys& stored, const QByteArray& sealedHouseholdKey,
              const QString& password, LoginMatch& match) {
    if (stored.publicKey.isEmpty() || stored.sealedSecret.isEmpty()) {
        const Result<StoredUserKeys> made = MakeUserKeys(password, &match.keys);
        if (!made)
            return;
        QSqlQuery write(db);
        write.prepare(QString::fromUtf8(Sql::kStoreUserKeys));
        write.bindValue(QStringLiteral(":gongyao"), QString::fromLatin1(made->publicKey));
        write.bindValue(QStringLiteral(":siyao"), QString::fromLatin1(made->sealedSecret));
        write.bindValue(QStringLiteral(":id"), row);
        if (!write.exec())
            match.keys = {};
        return;
    }
    if (Result<UserKeyPair> keys = OpenUserKeys(stored, password); keys)
        match.keys = keys.value();
    if (!sealedHouseholdKey.isEmpty() && !match.keys.secretKey.isEmpty()) {
        if (Result<SecretKey> key = OpenHouseholdKey(sealedHouseholdKey, match.keys); key)
            match.householdKey = key.value();
    }
}

}  // namespace

Result<std::optional<LoginMatch>> LookUpLogin(QSqlDatabase db, const QString& id, const QString& password) {
    using Found = std::optional<LoginMatch>;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(Sql::For(db, Sql::kLogin)))
        return Result<Found>::failure(DatabaseErrors::Describe(query.lastError()));
    // An empty box is empty text, never NULL (which would match nothing).
    query.bindValue(QStringLiteral(":yonghumingID"), id.isNull() ? QStringLiteral("") : id);
    if (!query.exec())
        return Result<Found>::failure(DatabaseErrors::Describe(query.lastError()));
    const auto field = [&query](const char* name) {
        return query.value(QString::fromLatin1(name)).toString();
    };
    while (query.next()) {
        const QByteArray hash = field("mimasanlie").toLatin1();
        if (!LoginPasswordMatches(hash, password))
            continue;
        // A null column gives empty text.
        LoginMatch match{field("xingming"), field("quangxian"), hash, {}, {}};
        const qint64 row = query.value(QStringLiteral("id")).toLongLong();
        const StoredUserKeys stored{field("gongyao").toLatin1(), field("siyao").toLatin1()};
        const QByteArray sealedHouseholdKey = field("jiayao").toLatin1();
        query.finish();
        openKeys(db, row, stored, sealedHouseholdKey, password, match);
        return Found(std::move(match));
    }
    return Found();
}

QString FirstStartHint() {
    return QStringLiteral("初始用户ID：%1    密码：%2 ")
        .arg(QString::fromUtf8(InitialUser::kId), QString::fromUtf8(InitialUser::kPassword));
}
