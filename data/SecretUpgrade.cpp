#include "data/SecretUpgrade.h"

#include "data/DatabaseErrors.h"
#include "data/Schema.h"
#include "data/Secrets.h"
#include "data/Upgrade.h"

#include <QList>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace {

struct PlainUser {
    qint64 id = 0;
    QString password;
    QString rights;
    StoredUserKeys keys;
    QByteArray hash;
};

Status failed(const QSqlQuery& query) {
    return Status::failure(DatabaseErrors::Describe(query.lastError()));
}

Status addSecretColumns(QSqlDatabase& db) {
    using namespace SecretColumns;
    for (const char* column : {kHash, kPublicKey, kSealedSecret, kHouseholdKey}) {
        if (Status s = AddColumnIfMissing(db, "quanxiangbiao", column, QStringLiteral("TEXT")); !s)
            return s;
    }
    return AddColumnIfMissing(db, "zhangwubiao", kBankPassword, QStringLiteral("TEXT"));
}

// Whom the new household key is sealed to: the bank right's holders, else the user managers, else all.
QList<const PlainUser*> keyHolders(const QList<PlainUser>& users) {
    for (const auto& holds : {+[](const QString& r) { return HoldsBankRight(r); },
                              +[](const QString& r) { return r.size() > 2 && r.at(2) == QLatin1Char('1'); },
                              +[](const QString&) { return true; }}) {
        QList<const PlainUser*> holders;
        for (const PlainUser& user : users) {
            if (holds(user.rights))
                holders.append(&user);
        }
        if (!holders.isEmpty())
            return holders;
    }
    return {};
}

}  // namespace

bool HoldsBankRight(const QString& rights) {
    return (rights.size() > 5 && rights.at(5) == QLatin1Char('1')) ||
           (rights.size() > 6 && rights.at(6) == QLatin1Char('1'));
}

Status HidePlainSecrets(QSqlDatabase& db) {
    using namespace SecretColumns;
    if (Status s = addSecretColumns(db); !s)
        return s;

    // Users whose password is still plain: every user of a file from before version 6.
    QList<PlainUser> users;
    bool keyHeld = false;
    {
        QSqlQuery read(db);
        read.setForwardOnly(true);
        if (!read.exec(QStringLiteral("SELECT id, mima, quangxian, %1, %2 FROM quanxiangbiao ORDER BY id")
                           .arg(QLatin1String(kHash), QLatin1String(kHouseholdKey))))
            return failed(read);
        while (read.next()) {
            keyHeld = keyHeld || !read.value(4).toString().isEmpty();
            if (!read.value(3).toString().isEmpty())
                continue;
            users.append(
                {read.value(0).toLongLong(), read.value(1).toString(), read.value(2).toString(), {}, {}});
        }
    }
    for (PlainUser& user : users) {
        const Result<QByteArray> hash = HashLoginPassword(user.password);
        if (!hash)
            return hash.status();
        const Result<StoredUserKeys> keys = MakeUserKeys(user.password);
        if (!keys)
            return keys.status();
        user.hash = hash.value();
        user.keys = keys.value();
    }

    // A household key is made once, when no user holds one yet; the bank passwords go under it.
    SecretKey householdKey;
    QList<const PlainUser*> holders;
    if (!keyHeld) {
        householdKey = SecretKey::random();
        if (householdKey.isEmpty())
            return Status::failure(QStringLiteral("无法启用加密库 libsodium，银行密码无法加密"));
        holders = keyHolders(users);
    }
    for (const PlainUser& user : users) {
        QByteArray sealedKey;
        if (holders.contains(&user)) {
            const Result<QByteArray> sealed = SealHouseholdKey(householdKey, user.keys.publicKey);
            if (!sealed)
                return sealed.status();
            sealedKey = sealed.value();
        }
        QSqlQuery write(db);
        write.prepare(
            QStringLiteral("UPDATE quanxiangbiao SET mima='', %1=:hash, %2=:pk, %3=:sk, %4=:hk WHERE id=:id")
                .arg(QLatin1String(kHash), QLatin1String(kPublicKey), QLatin1String(kSealedSecret),
                     QLatin1String(kHouseholdKey)));
        write.bindValue(QStringLiteral(":hash"), QString::fromLatin1(user.hash));
        write.bindValue(QStringLiteral(":pk"), QString::fromLatin1(user.keys.publicKey));
        write.bindValue(QStringLiteral(":sk"), QString::fromLatin1(user.keys.sealedSecret));
        write.bindValue(QStringLiteral(":hk"), sealedKey.isEmpty()
                                                   ? QVariant(QMetaType::fromType<QString>())
                                                   : QVariant(QString::fromLatin1(sealedKey)));
        write.bindValue(QStringLiteral(":id"), user.id);
        if (!write.exec())
            return failed(write);
    }
    if (householdKey.isEmpty())
        return Status::ok();

    QList<std::pair<qint64, QString>> places;
    {
        QSqlQuery read(db);
        read.setForwardOnly(true);
        if (!read.exec(
                QStringLiteral("SELECT id, mima FROM zhangwubiao WHERE mima IS NOT NULL AND mima <> ''")))
            return failed(read);
        while (read.next())
            places.append({read.value(0).toLongLong(), read.value(1).toString()});
    }
    for (auto& [id, password] : places) {
        QSqlQuery write(db);
        write.prepare(QStringLiteral("UPDATE zhangwubiao SET mima='', %1=:sealed WHERE id=:id")
                          .arg(QLatin1String(kBankPassword)));
        write.bindValue(QStringLiteral(":sealed"),
                        QString::fromLatin1(SealBankPassword(householdKey, password)));
        write.bindValue(QStringLiteral(":id"), id);
        WipeText(password);
        if (!write.exec())
            return failed(write);
    }
    for (PlainUser& user : users)
        WipeText(user.password);
    return Status::ok();
}

Status HidePlainSecretsInCopy(const QString& path) {
    const QString name = QStringLiteral("hide-secrets-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    Status result = Status::ok();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            result = Status::failure(DatabaseErrors::Describe(db.lastError(), path));
        } else {
            // The old text is overwritten where it stood, not only unlinked from the pages.
            result = Exec(db, QStringLiteral("PRAGMA secure_delete = ON"));
            if (result)
                result = Exec(db, QStringLiteral("BEGIN IMMEDIATE"));
            if (result) {
                result = HidePlainSecrets(db);
                result = result ? Exec(db, QStringLiteral("COMMIT"))
                                : (Exec(db, QStringLiteral("ROLLBACK")), result);
            }
            // The copy is written with the journal its source had; a log left beside it is emptied.
            if (result)
                (void)Exec(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
            if (result)
                result = Exec(db, QStringLiteral("VACUUM"));
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

Status SweepServerSecretTables(QSqlDatabase& db) {
    // VACUUM is refused (with a warning only, before PostgreSQL 17) to a role that owns neither the
    // tables nor the database and is no superuser: asked first, so that the refusal can be said.
    QSqlQuery may(db);
    if (!may.exec(QStringLiteral(
            "select coalesce(bool_and(pg_has_role(c.relowner, 'USAGE')), false) "
            "or pg_has_role((select datdba from pg_database where datname = current_database()), 'USAGE') "
            "or (select rolsuper from pg_roles where rolname = current_user) "
            "from pg_class c where c.oid in ('quanxiangbiao'::regclass, 'zhangwubiao'::regclass)")) ||
        !may.next()) {
        return failed(may);
    }
    if (!may.value(0).toBool()) {
        return Status::failure(QStringLiteral(
            "连接服务器的角色不是表 quanxiangbiao、zhangwubiao 的所有者，无权整理它们：升级前的明文密码"
            "可能仍留在服务器的数据文件里。请服务器的管理员运行 VACUUM FULL quanxiangbiao, zhangwubiao;"));
    }
    // VACUUM FULL writes both tables anew and drops the files that held the plain rows. It needs the
    // tables to itself: when another computer is using them it waits briefly, then plain VACUUM at least
    // marks the old rows' space for reuse.
    Status swept = Exec(db, QStringLiteral("SET lock_timeout = 2000"));
    if (swept) {
        swept = Exec(db, QStringLiteral("VACUUM FULL quanxiangbiao, zhangwubiao"));
        if (!swept) {
            const Status plain = Exec(db, QStringLiteral("VACUUM quanxiangbiao, zhangwubiao"));
            swept = Status::failure(
                QStringLiteral("VACUUM FULL quanxiangbiao, zhangwubiao 未能完成（%1），%2")
                    .arg(swept.error(),
                         plain ? QStringLiteral("已改作普通的 VACUUM；旧行所占的空间将被重用，"
                                                "但其字节可能仍留在服务器的数据文件里，"
                                                "请服务器的管理员在无人使用时再运行一次。")
                               : QStringLiteral("普通的 VACUUM 也未完成（%1）。").arg(plain.error())));
        }
    }
    return swept;
}
