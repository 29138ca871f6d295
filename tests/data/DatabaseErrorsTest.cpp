#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/Schema.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

namespace {

using DatabaseErrors::Kind;

// Real failures of a real household file, each told in Chinese with the engine's words in brackets and
// without the driver's misleading "Unable to fetch row" (无法获取行).
class DatabaseErrorsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(db.open(home.databasePath()).isOk()); }
    QSqlError failing(const QString& sql) {
        QSqlQuery q(db.connection());
        EXPECT_FALSE(q.exec(sql)) << sql.toStdString();
        return q.lastError();
    }
    static void expectChinese(const QString& message, const char* words, const char* english) {
        EXPECT_TRUE(message.contains(QString::fromUtf8(words))) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("（%1").arg(QString::fromUtf8(english))))
            << message.toStdString();
        EXPECT_FALSE(message.contains(QStringLiteral("无法获取行"))) << message.toStdString();
        EXPECT_FALSE(message.contains(QStringLiteral("Unable to"))) << message.toStdString();
    }

    TempHome home;
    Database db;
};

TEST_F(DatabaseErrorsTest, ReadOnlyFullAndDuplicateWrites) {
    const QString insert = QStringLiteral("insert into zhangwubiao (mingcheng) values ('工商银行')");
    QSqlQuery(db.connection()).exec(QStringLiteral("PRAGMA query_only = 1"));
    QSqlError e = failing(insert);
    EXPECT_EQ(DatabaseErrors::Classify(e), Kind::ReadOnly);
    expectChinese(DatabaseErrors::Describe(e, db.path()), "是只读的，改动没有保存", "attempt to write");
    EXPECT_TRUE(DatabaseErrors::Describe(e, db.path()).contains(db.path()));
    QSqlQuery(db.connection()).exec(QStringLiteral("PRAGMA query_only = 0"));

    e = failing(QStringLiteral("insert into zhangwubiao (mingcheng) values ('家庭保险柜')"));
    EXPECT_EQ(DatabaseErrors::Classify(e), Kind::Duplicate);
    EXPECT_TRUE(DatabaseErrors::Describe(e).startsWith(QStringLiteral("该银行名称已存在")));

    QSqlQuery pages(db.connection());
    ASSERT_TRUE(pages.exec(QStringLiteral("PRAGMA page_count")) && pages.next());
    QSqlQuery(db.connection())
        .exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages.value(0).toInt() + 2));
    e =
        failing(QStringLiteral("insert into tixing (riqi, fanwei, neirong) values ('2007-01-15', '当天', "
                               "zeroblob(200000))"));
    EXPECT_EQ(DatabaseErrors::Classify(e), Kind::Full);
    expectChinese(DatabaseErrors::Describe(e), "磁盘已满", "database or disk is full");
}

TEST_F(DatabaseErrorsTest, AFileHeldByAnotherProgramTooLong) {
    Database other;
    ASSERT_TRUE(other.open(home.databasePath()).isOk());
    QSqlQuery hold(other.connection());
    ASSERT_TRUE(hold.exec(QStringLiteral("BEGIN IMMEDIATE")));
    QSqlQuery(db.connection()).exec(QStringLiteral("PRAGMA busy_timeout = 100"));
    const Status s = db.transaction([] { return Status::ok(); });
    ASSERT_FALSE(s.isOk());
    EXPECT_TRUE(s.error().contains(QStringLiteral("正被另一个程序"))) << s.error().toStdString();
    EXPECT_TRUE(s.error().contains(QStringLiteral("（database is locked"))) << s.error().toStdString();
    hold.exec(QStringLiteral("ROLLBACK"));
}

TEST(DatabaseOpenErrors, GarbageFolderAndNewerFilesAreToldInChinese) {
    TempHome home;
    home.writeDatabaseFile(QByteArray(8192, '\x5a'));
    Database db;
    Status s = db.open(home.databasePath());
    ASSERT_FALSE(s.isOk());
    EXPECT_TRUE(s.error().contains(QStringLiteral("已损坏或不是数据库"))) << s.error().toStdString();
    EXPECT_TRUE(s.error().contains(home.databasePath()));
    EXPECT_TRUE(s.error().contains(QStringLiteral("（file is not a database"))) << s.error().toStdString();
    EXPECT_EQ(db.openError(), s.error());
    // Nothing can be written, and the reason is the one of the open.
    const Status write = db.transaction([] { return Status::ok(); });
    EXPECT_TRUE(write.error().contains(QStringLiteral("没有打开"))) << write.error().toStdString();
    EXPECT_FALSE(write.error().contains(QStringLiteral("Driver not loaded")));

    // A folder where the file should be cannot be opened as one.
    TempHome other;
    ASSERT_TRUE(QDir().mkpath(other.databasePath()));
    s = db.open(other.databasePath());
    ASSERT_FALSE(s.isOk());
    EXPECT_TRUE(s.error().contains(QStringLiteral("无法打开"))) << s.error().toStdString();
}

TEST(DatabaseOpenErrors, TheProgramsOwnRefusalsSayWhatToDo) {
    EXPECT_TRUE(
        DatabaseErrors::NotAHousehold(QStringLiteral("/x/lomu.mdb")).contains(QStringLiteral("请确认")));
    EXPECT_TRUE(DatabaseErrors::AmountTooLarge().contains(QStringLiteral("请检查")));
    EXPECT_TRUE(
        DatabaseErrors::WritesRefused(QStringLiteral("/x/lomu.mdb")).contains(QStringLiteral("kopira")));
}

// The server's end of a session comes with its code; a connection libpq finds broken by itself comes
// with its words only. Either is told as a lost connection, not as a file that cannot be opened.
TEST(ServerErrors, ALostConnectionIsToldAsSuchWithOrWithoutItsCode) {
    const QSqlError ended(QString(),
                          QStringLiteral("FATAL:  terminating connection due to administrator command"),
                          QSqlError::StatementError, QStringLiteral("57P01"));
    const QSqlError broken(QString(), QStringLiteral("no connection to the server\n"),
                           QSqlError::StatementError, QString());
    for (const QSqlError& error : {ended, broken}) {
        EXPECT_EQ(DatabaseErrors::Classify(error), Kind::ServerLost) << error.databaseText().toStdString();
        const QString message = DatabaseErrors::Describe(error);
        EXPECT_TRUE(DatabaseErrors::SaysServerLost(message)) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("请再试一次")));
    }
    const QSqlError full(QString(), QStringLiteral("could not extend file"), QSqlError::StatementError,
                         QStringLiteral("53100"));
    EXPECT_EQ(DatabaseErrors::Classify(full), Kind::Full);
}

}  // namespace
