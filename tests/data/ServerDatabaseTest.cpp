// What only the server has: recognising a database that is not a household, a server that cannot be
// reached, and the write lock that makes writers from several computers take turns.
#include "access/Login.h"
#include "data/Database.h"
#include "data/EngineVariants.h"
#include "data/Schema.h"
#include "data/ServerConnection.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

#include <algorithm>

namespace {

QVariant scalar(QSqlDatabase db, const QString& sql) {
    QSqlQuery q(db);
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
    return q.next() ? q.value(0) : QVariant();
}

// Runs statements on the scratch database directly, as another program would.
void onServer(const ScratchServerDatabase& server, const QStringList& statements) {
    const QString name = QStringLiteral("raw-") + server.name();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setConnectOptions(server.connection());
        ASSERT_TRUE(db.open());
        for (const QString& statement : statements)
            EXPECT_TRUE(QSqlQuery(db).exec(statement)) << statement.toStdString();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

TEST(ServerDatabase, ADatabaseHoldingOtherTablesIsRefusedAndLeftAlone) {
    ScratchServerDatabase server;
    ASSERT_FALSE(server.connection().isEmpty()) << server.error().toStdString();
    onServer(server, {QStringLiteral("create table notes (t text)"),
                      QStringLiteral("insert into notes values ('x')")});
    Database db;
    const Status opened = db.openServer(server.connection());
    ASSERT_FALSE(opened.isOk());
    EXPECT_TRUE(opened.error().contains(QStringLiteral("不是 Tamberlo 的帐本")))
        << opened.error().toStdString();
    EXPECT_FALSE(db.isOpen());
    Database again;  // nothing was added: the database still holds its one table and no household
    ASSERT_FALSE(again.openServer(server.connection()).isOk());
    ASSERT_TRUE(ScratchServerDatabase::admin(QStringLiteral("select 1")).isOk());
}

TEST(ServerDatabase, AHouseholdFromANewerProgramOrAnotherMarkIsRefusedUntouched) {
    ScratchServerDatabase server;
    ASSERT_FALSE(server.connection().isEmpty()) << server.error().toStdString();
    {
        Database db;
        ASSERT_TRUE(db.openServer(server.connection()).isOk());
        QSqlQuery(db.connection()).exec(QStringLiteral("update zhangwubiao set jine=123"));
    }
    onServer(server, {QStringLiteral("update tamberlo_biaoji set user_version=%1").arg(kSchemaVersion + 1)});
    {
        Database db;
        const Status opened = db.openServer(server.connection());
        ASSERT_FALSE(opened.isOk());
        EXPECT_TRUE(opened.error().contains(QStringLiteral("较新版本"))) << opened.error().toStdString();
    }
    onServer(
        server,
        {QStringLiteral("update tamberlo_biaoji set user_version=%1, application_id=7").arg(kSchemaVersion)});
    Database db;
    const Status opened = db.openServer(server.connection());
    ASSERT_FALSE(opened.isOk());
    EXPECT_TRUE(opened.error().contains(QStringLiteral("不是 Tamberlo 的帐本")));
    onServer(server,
             {QStringLiteral("update tamberlo_biaoji set application_id=%1").arg(kTamberloApplicationId)});
    ASSERT_TRUE(db.openServer(server.connection()).isOk());
    EXPECT_EQ(scalar(db.connection(), QStringLiteral("select jine from zhangwubiao")).toLongLong(), 123);
}

// A household on the server as the third version left it (no places' kinds, entries without a place) is
// upgraded when opened: every entry and binned entry lands on the home safe, every bank is a bank card.
TEST(ServerDatabase, AThirdVersionHouseholdPutsEveryEntryOnTheHomeSafe) {
    ScratchServerDatabase server;
    ASSERT_FALSE(server.connection().isEmpty()) << server.error().toStdString();
    { ASSERT_TRUE(Database().openServer(server.connection()).isOk()); }
    onServer(
        server,
        {QStringLiteral("alter table zhangwubiao drop column leibie, drop column edu, drop column guanbi"),
         QStringLiteral("alter table shouzhibiao drop column zhanghu"),
         QStringLiteral("alter table huishouzhan drop column zhanghu"),
         QStringLiteral("alter table yinghanbiao drop column zhuanchu, drop column shouxufei"),
         QStringLiteral("insert into zhangwubiao (mingcheng, jine) values ('工商银行', 500)"),
         QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values "
                        "('shouru','工资',100,'2024-01-05'),('zhichu','房租',30,'2024-01-06')"),
         QStringLiteral("insert into huishouzhan (leixing,feiyong,shanchushijian) values "
                        "('zhichu',5,'2024-01-07 08:00:00')"),
         QStringLiteral("update tamberlo_biaoji set user_version=3")});
    Database db;
    const Status opened = db.openServer(server.connection());
    ASSERT_TRUE(opened.isOk()) << opened.error().toStdString();
    const QString safe = scalar(db.connection(), QStringLiteral("select id from zhangwubiao where "
                                                                "mingcheng='家庭保险柜'"))
                             .toString();
    EXPECT_EQ(scalar(db.connection(), QStringLiteral("select string_agg(mingcheng||leibie||edu||guanbi, ',' "
                                                     "order by id) from zhangwubiao"))
                  .toString(),
              QStringLiteral("家庭保险柜xianjin00,工商银行yinhangka00"));
    EXPECT_EQ(
        scalar(db.connection(),
               QStringLiteral("select string_agg(zhanghu::text, ',' order by id) from (select id, zhanghu "
                              "from shouzhibiao union all select id, zhanghu from huishouzhan) e"))
            .toString(),
        QStringLiteral("%1,%1,%1").arg(safe));
    EXPECT_EQ(scalar(db.connection(), QStringLiteral("select user_version from tamberlo_biaoji")).toInt(),
              kSchemaVersion);
}

// The upgrade that hides the passwords writes the tables that held them anew, so that the old rows do
// not linger in the server's files: they lie in new files afterwards (VACUUM FULL ran).
TEST(ServerDatabase, AFifthVersionHouseholdLeavesNoPlainRowsBehindInTheServersTables) {
    ScratchServerDatabase server;
    ASSERT_FALSE(server.connection().isEmpty()) << server.error().toStdString();
    { ASSERT_TRUE(Database().openServer(server.connection()).isOk()); }
    onServer(server, {QStringLiteral("update quanxiangbiao set mima='Srv-Pa55', mimasanlie=null, "
                                     "gongyao=null, siyao=null, jiayao=null"),
                      QStringLiteral("insert into zhangwubiao (mingcheng, leibie, mima) values "
                                     "('建设银行', 'yinhangka', 'Srv-Bank7')"),
                      QStringLiteral("update tamberlo_biaoji set user_version=5")});
    const auto fileOf = [&server] {
        QStringList files;
        const QString name = QStringLiteral("files-") + server.name();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setConnectOptions(server.connection());
            EXPECT_TRUE(db.open());
            for (const char* table : {"quanxiangbiao", "zhangwubiao"}) {
                files.append(
                    scalar(db, QStringLiteral("select pg_relation_filenode('%1')").arg(QLatin1String(table)))
                        .toString());
            }
        }
        QSqlDatabase::removeDatabase(name);
        return files;
    };
    const QStringList before = fileOf();
    Database db;
    const Status opened = db.openServer(server.connection());
    ASSERT_TRUE(opened.isOk()) << opened.error().toStdString();
    const QStringList after = fileOf();
    EXPECT_NE(after.at(0), before.at(0));
    EXPECT_NE(after.at(1), before.at(1));
    EXPECT_EQ(scalar(db.connection(), QStringLiteral("select string_agg(mima, '') from quanxiangbiao "
                                                     "where mimasanlie like '$argon2id$%'"))
                  .toString(),
              QString());
    EXPECT_EQ(scalar(db.connection(), QStringLiteral("select count(*) from zhangwubiao where mima <> '' "
                                                     "or mimami not like 'bp1$%' and mingcheng = '建设银行'"))
                  .toInt(),
              0);
    // The user logs in with the password in another letter case and reads the bank password.
    const auto admin = LookUpLogin(db.connection(), QStringLiteral("001"), QStringLiteral("srv-PA55"));
    ASSERT_TRUE(admin.isOk() && admin.value() && !admin.value()->householdKey.isEmpty());
    const QByteArray sealed =
        scalar(db.connection(), QStringLiteral("select mimami from zhangwubiao where mingcheng = '建设银行'"))
            .toString()
            .toLatin1();
    EXPECT_EQ(OpenBankPassword(admin.value()->householdKey, sealed).value(), QStringLiteral("Srv-Bank7"));
    // The session goes on with its own lock timeout.
    EXPECT_EQ(scalar(db.connection(), QStringLiteral("show lock_timeout")).toString(), QStringLiteral("10s"));
}

TEST(ServerDatabase, AServerThatCannotBeReachedIsNamedWithTheReason) {
    Database db;
    const QString nowhere = QStringLiteral("host=/nonexistent/tamberlo port=5999 dbname=jia user=jia");
    const Status opened = db.openServer(nowhere);
    ASSERT_FALSE(opened.isOk());
    EXPECT_TRUE(opened.error().startsWith(QStringLiteral("无法连接数据库服务器")))
        << opened.error().toStdString();
    EXPECT_TRUE(opened.error().contains(nowhere));
    EXPECT_TRUE(opened.error().contains(QStringLiteral("/nonexistent/tamberlo")));  // libpq's reason
    EXPECT_FALSE(db.isOpen());
}

// Messages name a server by host, port, database and user, never by the rest of its connection string.
TEST(ServerDatabase, MessagesNameTheServerWithoutPasswordOrOtherOptions) {
    Database db;
    const QString shown = QStringLiteral("host=/nonexistent/tamberlo port=5999 dbname=jia user=jia");
    const Status opened =
        db.openServer(QStringLiteral("host=/nonexistent/tamberlo port=5999;password=topsecret "
                                     "dbname=jia sslmode=disable user=jia"));
    ASSERT_FALSE(opened.isOk());
    EXPECT_TRUE(opened.error().contains(shown)) << opened.error().toStdString();
    EXPECT_EQ(db.where(), QStringLiteral("数据库服务器（%1）").arg(shown));
    for (const QString& text : {opened.error(), db.where()}) {
        EXPECT_FALSE(text.contains(QStringLiteral("topsecret"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("sslmode"))) << text.toStdString();
    }
    // libpq quotes an address it cannot read whole: its password is masked wherever the reason goes.
    const QString broken = QStringLiteral("postgresql://jia:topsecret@[::1/jia?sslpassword=keyword9");
    const Result<QList<ConnectionSetting>> unread = ReadConnectionSettings(broken);
    ASSERT_FALSE(unread.isOk());
    EXPECT_TRUE(unread.error().contains(QStringLiteral("postgresql://jia:●●●@")))
        << unread.error().toStdString();
    for (const QString& text : {unread.error(), db.openServer(broken).error()}) {
        EXPECT_FALSE(text.contains(QStringLiteral("topsecret"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("keyword9"))) << text.toStdString();
    }
    EXPECT_EQ(MaskConnectionPasswords(QStringLiteral("host=a PASSWORD = 'x y\\' z' password=w port=1")),
              QStringLiteral("host=a PASSWORD = ●●● password=●●● port=1"));
    EXPECT_EQ(ShownConnection(QStringLiteral("service=jia")), QStringLiteral("service=jia"));
    // A line break separates pairs as a blank does.
    const Result<QList<ConnectionSetting>> read =
        ReadConnectionSettings(QStringLiteral("host=a\npassword=x"));
    ASSERT_TRUE(read.isOk()) << read.error().toStdString();
    EXPECT_EQ(read->size(), 2);
    EXPECT_TRUE(std::any_of(read->cbegin(), read->cend(), [](const ConnectionSetting& s) {
        return s.secret && s.keyword == QStringLiteral("password") && s.value == QStringLiteral("x");
    }));
}

TEST(ServerDatabase, WritersTakeTurnsAndOneThatWaitsTooLongIsToldInChinese) {
    ScratchServerDatabase server;
    ASSERT_FALSE(server.connection().isEmpty()) << server.error().toStdString();
    Database first;
    Database second;
    ASSERT_TRUE(first.openServer(server.connection()).isOk());
    ASSERT_TRUE(second.openServer(server.connection()).isOk());
    ASSERT_TRUE(QSqlQuery(second.connection()).exec(QStringLiteral("SET lock_timeout = 300")));
    Status waited = Status::ok();
    const Status outer = first.transaction([&]() -> Status {
        // The first writer holds the household's write lock from its start, before it writes anything.
        QSqlDatabase c = second.connection();
        waited = second.transaction([&c] { return Exec(c, QStringLiteral("select 1")); });
        return Status::ok();
    });
    EXPECT_TRUE(outer.isOk());
    ASSERT_FALSE(waited.isOk());
    EXPECT_TRUE(waited.error().startsWith(QStringLiteral("另一台电脑正在写入帐本")))
        << waited.error().toStdString();
    // Once the first is done, the second goes through.
    EXPECT_TRUE(second.transaction([] { return Status::ok(); }).isOk());
}

TEST(ServerDatabase, TheSameEmptyDatabaseOpenedTwiceIsSetUpOnce) {
    ScratchServerDatabase server;
    ASSERT_FALSE(server.connection().isEmpty()) << server.error().toStdString();
    Database first;
    Database second;
    ASSERT_TRUE(first.openServer(server.connection()).isOk());
    ASSERT_TRUE(second.openServer(server.connection()).isOk());
    EXPECT_EQ(scalar(second.connection(), QStringLiteral("select count(*) from quanxiangbiao")).toInt(), 1);
    EXPECT_EQ(scalar(second.connection(), QStringLiteral("select count(*) from tamberlo_biaoji")).toInt(), 1);
}

}  // namespace
