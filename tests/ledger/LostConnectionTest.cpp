// The server connection lost while the program runs (the server restarted, the connection killed): the
// action that finds it lost fails with a Chinese message and applies nothing, and the next one reconnects.
#include "data/Database.h"
#include "data/HomeSafe.h"
#include "ledger/EntryBook.h"
#include "support/TempHome.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

namespace {

Money yuan(const char* text) {
    return Money::parse(QString::fromLatin1(text)).value();
}

class LostConnection : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(server.connection().isEmpty()) << server.error().toStdString();
        ASSERT_TRUE(database.openServer(server.connection()).isOk());
        QSqlQuery q(database.connection());
        ASSERT_TRUE(q.exec(QStringLiteral("update zhangwubiao set jine=%1").arg(yuan("500").units())));
        ASSERT_TRUE(homeSafe.ReadHomeSafeBalance().isOk());
    }

    // Ends the program's session from another connection, as an administrator or a restart does.
    void killProgramsConnection() {
        QSqlQuery pid(database.connection());
        ASSERT_TRUE(pid.exec(QStringLiteral("select pg_backend_pid()")) && pid.next());
        const qint64 backend = pid.value(0).toLongLong();
        pid.finish();
        ASSERT_TRUE(
            ScratchServerDatabase::admin(QStringLiteral("select pg_terminate_backend(%1)").arg(backend))
                .isOk());
        // The backend is gone once the server no longer lists it.
        for (int i = 0; i < 100; ++i) {
            if (!ScratchServerDatabase::admin(
                     QStringLiteral("select 1/(select count(*) from pg_stat_activity where pid=%1)")
                         .arg(backend))
                     .isOk())
                return;
            QThread::msleep(20);
        }
        FAIL() << "the program's backend did not end";
    }

    qint64 stored(const QString& sql) {
        Database look;
        EXPECT_TRUE(look.openServer(server.connection()).isOk());
        QSqlQuery q(look.connection());
        EXPECT_TRUE(q.exec(sql) && q.next()) << sql.toStdString();
        return q.value(0).toLongLong();
    }

    static EntryText entry(const char* detail, const char* amount) {
        return {QString::fromUtf8(detail), yuan(amount), QStringLiteral("2007-01-15"),
                QStringLiteral("管理员"), QString()};
    }

    TempHome home;
    ScratchServerDatabase server;
    Database database;
    HomeSafe homeSafe{database};
    EntryBook income{database, homeSafe, EntryType::Income};
};

// A list read when the connection is found lost says so; the next read reconnects.
TEST_F(LostConnection, TheReadThatFindsItLostSaysSoAndTheNextOneReadsAgain) {
    ASSERT_TRUE(income.save(std::nullopt, entry("工资", "120")).isOk());
    killProgramsConnection();
    const Result<QSqlQuery> lost = income.list(ListFilter::All, QDate(2007, 1, 15), {});
    ASSERT_FALSE(lost.isOk());
    EXPECT_TRUE(lost.error().startsWith(QStringLiteral("与数据库服务器的连接已断开")))
        << lost.error().toStdString();
    Result<QSqlQuery> again = income.list(ListFilter::All, QDate(2007, 1, 15), {});
    ASSERT_TRUE(again.isOk()) << again.error().toStdString();
    ASSERT_TRUE(again.value().next());
    EXPECT_EQ(again.value().value(QStringLiteral("mingxi")).toString(), QStringLiteral("工资"));
}

// The server refuses the reconnection for a while: each action says the connection is not back, changes
// nothing, and once the server lets the program in again the next save goes through exactly once.
TEST_F(LostConnection, WhileTheServerStaysAwayNothingIsSavedAndAfterwardsTheSaveGoesThroughOnce) {
    ASSERT_TRUE(ScratchServerDatabase::admin(
                    QStringLiteral("alter database %1 allow_connections false").arg(server.name()))
                    .isOk());
    killProgramsConnection();
    // The first finds the connection lost, the next ones find that it cannot be made again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Result<qint64> refused = income.save(std::nullopt, entry("奖金", "30"));
        ASSERT_FALSE(refused.isOk());
        EXPECT_TRUE(refused.error().startsWith(QStringLiteral("与数据库服务器的连接已断开")))
            << refused.error().toStdString();
        if (attempt > 0) {
            EXPECT_TRUE(refused.error().contains(QStringLiteral("重新连接没有成功")))
                << refused.error().toStdString();
        }
        EXPECT_EQ(homeSafe.balance(), yuan("500"));
    }
    ASSERT_TRUE(ScratchServerDatabase::admin(
                    QStringLiteral("alter database %1 allow_connections true").arg(server.name()))
                    .isOk());
    QThread::msleep(2100);  // the next action tries again
    const Result<qint64> saved = income.save(std::nullopt, entry("奖金", "30"));
    ASSERT_TRUE(saved.isOk()) << saved.error().toStdString();
    EXPECT_EQ(homeSafe.balance(), yuan("530"));
    EXPECT_EQ(stored(QStringLiteral("select jine from zhangwubiao")), yuan("530").units());
    EXPECT_EQ(stored(QStringLiteral("select count(*) from shouzhibiao")), 1);
}

// Lost between the work and its commit: the program cannot know whether the server committed, and says
// so instead of claiming either.
TEST_F(LostConnection, LostWhileCommittingSaysTheOutcomeIsUnknown) {
    const Status failed = database.transaction([this]() -> Status {
        QSqlQuery write(database.connection());
        EXPECT_TRUE(
            write.exec(QStringLiteral("insert into tixing (riqi, fanwei, neirong) values "
                                      "('2007-01-15', '每天', '半途')")));
        QSqlQuery pid(database.connection());
        EXPECT_TRUE(pid.exec(QStringLiteral("select pg_backend_pid()")) && pid.next());
        EXPECT_TRUE(ScratchServerDatabase::admin(
                        QStringLiteral("select pg_terminate_backend(%1)").arg(pid.value(0).toLongLong()))
                        .isOk());
        QThread::msleep(200);
        return Status::ok();
    });
    ASSERT_FALSE(failed.isOk());
    EXPECT_TRUE(failed.error().contains(QStringLiteral("无法确定"))) << failed.error().toStdString();
    EXPECT_EQ(stored(QStringLiteral("select count(*) from tixing")), 0);
    QSqlQuery after(database.connection());
    EXPECT_TRUE(after.exec(QStringLiteral("select count(*) from tixing")) && after.next());
}

}  // namespace
