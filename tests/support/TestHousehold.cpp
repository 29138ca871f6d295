#include "support/TestHousehold.h"

#include "access/Login.h"
#include "access/UserRows.h"
#include "data/Schema.h"
#include "data/Secrets.h"

#include <gtest/gtest.h>

#include <QSqlError>
#include <QSqlQuery>

#include <functional>

TestHousehold::TestHousehold() {
    const Status opened = place.open(database);
    EXPECT_TRUE(opened.isOk()) << opened.error().toStdString();
    EXPECT_TRUE(homeSafe.ReadHomeSafeBalance().isOk());
    // Logged in as the initial user, with the keys the login opens.
    if (opened) {
        const auto login = LookUpLogin(database.connection(), QStringLiteral("001"), QStringLiteral("123"));
        if (login && login.value()) {
            user.passwordHash = login.value()->passwordHash;
            user.keys = login.value()->keys;
            user.householdKey = login.value()->householdKey;
        }
    }
}

void AddTestUser(QSqlDatabase db, const QString& id, const QString& name, const QString& password,
                 const QString& rights, const SecretKey& givingKey) {
    UserRow row;
    row.userId = id;
    row.name = name;
    row.newPassword = password;
    row.rights = rights;
    QString error;
    EXPECT_EQ(SaveUser(db, row, givingKey, &error), UserSave::Saved) << error.toStdString();
}

void TestHousehold::exec(const QString& sql) {
    QSqlQuery q(database.connection());
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
}

QVariant TestHousehold::scalar(const QString& sql) {
    QSqlQuery q(database.connection());
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
    return q.next() ? q.value(0) : QVariant();
}

void TestHousehold::addUserRow(const QString& id, const QString& name, const QString& password,
                               const QVariant& rights) {
    QSqlQuery q(database.connection());
    q.prepare(QStringLiteral(
        "insert into quanxiangbiao (yonghuID, xingming, mima, quangxian, mimasanlie) values (?,?,'',?,?)"));
    q.addBindValue(id);
    q.addBindValue(name);
    q.addBindValue(rights);
    q.addBindValue(QString::fromLatin1(HashLoginPassword(password).value()));
    EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
}

QStringList TestHousehold::userRows() {
    QStringList rows;
    QSqlQuery q(database.connection());
    EXPECT_TRUE(q.exec(QStringLiteral(
        "select yonghuID, xingming, mimasanlie, quangxian, mima from quanxiangbiao order by id")));
    while (q.next()) {
        QString password = QStringLiteral("?");
        for (const char* candidate :
             {"123", "abc", "def", "xyz", "N3w", "NEW", "keep", "old", "neu", "p", "q", "x", "Pw"}) {
            // Case aside, as the login compares: the first candidate in the list's case is named.
            if (password == QLatin1String("?") &&
                LoginPasswordMatches(q.value(2).toString().toLatin1(), QString::fromLatin1(candidate)))
                password = QString::fromLatin1(candidate);
        }
        EXPECT_EQ(q.value(4).toString(), QString()) << "no plain password is stored";
        rows.append(q.value(0).toString() + QLatin1Char('|') + q.value(1).toString() + QLatin1Char('|') +
                    password + QLatin1Char('|') + q.value(3).toString());
    }
    return rows;
}

qint64 TestHousehold::addBankCard(const QString& name, qint64 units) {
    QSqlQuery q(database.connection());
    q.prepare(
        QStringLiteral("insert into zhangwubiao (mingcheng,jine,leibie,edu,guanbi) values "
                       "(:name,:units,'yinhangka',0,0)"));
    q.bindValue(QStringLiteral(":name"), name);
    q.bindValue(QStringLiteral(":units"), units);
    EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
    return scalar(QStringLiteral("select id from zhangwubiao where mingcheng='%1'").arg(name)).toLongLong();
}

void TestHousehold::openInitialUserKeys() {
    QSqlQuery q(database.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("select gongyao,siyao,jiayao from quanxiangbiao where yonghuID='%1'")
                           .arg(QString::fromUtf8(InitialUser::kId))) &&
                q.next())
        << q.lastError().text().toStdString();
    const StoredUserKeys stored{q.value(0).toString().toLatin1(), q.value(1).toString().toLatin1()};
    const Result<UserKeyPair> keys = OpenUserKeys(stored, QString::fromUtf8(InitialUser::kPassword));
    ASSERT_TRUE(keys.isOk()) << keys.error().toStdString();
    user.keys = keys.value();
    const Result<SecretKey> householdKey = OpenHouseholdKey(q.value(2).toString().toLatin1(), user.keys);
    ASSERT_TRUE(householdKey.isOk()) << householdKey.error().toStdString();
    user.householdKey = householdKey.value();
}

namespace {

void onFile(const QString& file, const std::function<void(QSqlQuery&)>& work) {
    static int counter = 0;
    const QString name = QStringLiteral("index-damage-%1").arg(++counter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        work(q);
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

}  // namespace

void DeleteBehindTheIndexes(const QString& file, const QString& where) {
    QList<QVariantList> indexes;
    const auto run = [](QSqlQuery& q, const QString& sql) {
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
    };
    onFile(file, [&](QSqlQuery& q) {
        run(q, QStringLiteral("PRAGMA writable_schema = ON"));
        run(q, QStringLiteral("select type, name, tbl_name, rootpage, sql from sqlite_master where "
                              "type = 'index' and tbl_name = 'shouzhibiao' and sql is not null"));
        while (q.next())
            indexes.append({q.value(0), q.value(1), q.value(2), q.value(3), q.value(4)});
        run(q, QStringLiteral("delete from sqlite_master where type = 'index' and tbl_name = 'shouzhibiao' "
                              "and sql is not null"));
    });
    ASSERT_FALSE(indexes.isEmpty());
    onFile(file, [&](QSqlQuery& q) { run(q, QStringLiteral("delete from shouzhibiao where ") + where); });
    onFile(file, [&](QSqlQuery& q) {
        run(q, QStringLiteral("PRAGMA writable_schema = ON"));
        for (const QVariantList& index : indexes) {
            q.prepare(
                QStringLiteral("insert into sqlite_master (type, name, tbl_name, rootpage, sql) "
                               "values (?, ?, ?, ?, ?)"));
            for (const QVariant& value : index)
                q.addBindValue(value);
            EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
        }
    });
}
