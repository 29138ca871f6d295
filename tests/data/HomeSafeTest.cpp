#include "data/Database.h"
#include "data/HomeSafe.h"
#include "support/TempHome.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

#include <limits>

namespace {

// Runs on the file and on the server alike.
class HomeSafeTest : public ::testing::TestWithParam<TestEngine> {
  protected:
    void SetUp() override { ASSERT_TRUE(place.open(db).isOk()); }
    void exec(const QString& sql) {
        QSqlQuery q(db.connection());
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
    }
    qint64 stored(const QString& name = QStringLiteral("家庭保险柜")) {
        return ReadStoredBalance(db.connection(), name).value().units();
    }

    TempHome home;
    EngineHousehold place{CurrentTestEngine(), home};
    Database db;
    HomeSafe safe{db};
};

TEST_P(HomeSafeTest, NewHouseholdStartsAtZero) {
    ASSERT_TRUE(safe.ReadHomeSafeBalance().isOk());
    EXPECT_EQ(safe.balance().format(), QStringLiteral("￥0.00"));
}

TEST_P(HomeSafeTest, MovesChangeMemoryAndFileTogether) {
    exec(QStringLiteral("update zhangwubiao set jine=5000000"));
    ASSERT_TRUE(safe.ReadHomeSafeBalance().isOk());
    ASSERT_TRUE(safe.move(Money::fromYuan(120)).isOk());
    EXPECT_EQ(safe.balance().format(), QStringLiteral("￥620.00"));
    EXPECT_EQ(stored(), 6200000);
    ASSERT_TRUE(safe.move(Money::fromYuan(-30)).isOk());
    EXPECT_EQ(safe.balance().format(), QStringLiteral("￥590.00"));
    EXPECT_EQ(stored(), 5900000);
}

// Another copy of the program moved the stored balance after this one read it: the next move adds to
// what is stored, and memory takes the stored result. Nothing the other copy did is lost.
TEST_P(HomeSafeTest, AMoveAddsToTheBalanceAsStoredNotAsRemembered) {
    exec(QStringLiteral("update zhangwubiao set jine=5000000"));
    ASSERT_TRUE(safe.ReadHomeSafeBalance().isOk());
    Database other;
    ASSERT_TRUE(place.open(other).isOk());
    HomeSafe otherSafe(other);
    ASSERT_TRUE(otherSafe.ReadHomeSafeBalance().isOk());
    ASSERT_TRUE(otherSafe.move(Money::fromYuan(200)).isOk());
    EXPECT_EQ(safe.balance().format(), QStringLiteral("￥500.00"));  // not read again until it moves

    ASSERT_TRUE(safe.move(Money::fromYuan(100)).isOk());
    EXPECT_EQ(stored(), 8000000);
    EXPECT_EQ(safe.balance().format(), QStringLiteral("￥800.00"));
}

TEST_P(HomeSafeTest, AMoveOutOfRangeChangesNothing) {
    exec(QStringLiteral("update zhangwubiao set jine=%1").arg(std::numeric_limits<qint64>::max() - 5));
    ASSERT_TRUE(safe.ReadHomeSafeBalance().isOk());
    EXPECT_FALSE(safe.move(Money::fromUnits(10)).isOk());
    EXPECT_EQ(stored(), std::numeric_limits<qint64>::max() - 5);
    EXPECT_EQ(safe.balance().units(), std::numeric_limits<qint64>::max() - 5);
}

TEST_P(HomeSafeTest, AFailedRowChangeLeavesMemoryAndBalanceAsTheyWere) {
    ASSERT_TRUE(safe.ReadHomeSafeBalance().isOk());
    const Status failed = safe.move(Money::fromYuan(100), [this]() -> Status {
        QSqlQuery q(db.connection());
        if (!q.exec(QStringLiteral("insert into no_such_table values (1)")))
            return Status::failure(QStringLiteral("x"));
        return Status::ok();
    });
    EXPECT_FALSE(failed.isOk());
    EXPECT_EQ(safe.balance(), Money());
    EXPECT_EQ(stored(), 0);
}

TEST_P(HomeSafeTest, RowAndBalanceCommitTogether) {
    ASSERT_TRUE(
        safe.move(Money::fromYuan(-10),
                  [this]() -> Status {
                      QSqlQuery q(db.connection());
                      return q.exec(QStringLiteral(
                                 "insert into shouzhibiao (leixing, mingxi, feiyong, shururiqi) values "
                                 "('zhichu', '菜', 100000, '2007-01-15')"))
                                 ? Status::ok()
                                 : Status::failure(QStringLiteral("insert"));
                  })
            .isOk());
    EXPECT_EQ(safe.balance().format(), QStringLiteral("-￥10.00"));
    EXPECT_EQ(stored(), -100000);
}

TEST_P(HomeSafeTest, MissingRowOrNullBalanceFailsTheReadAndKeepsZero) {
    exec(QStringLiteral("update zhangwubiao set jine=NULL"));
    Status read = safe.ReadHomeSafeBalance();
    EXPECT_FALSE(read.isOk());
    EXPECT_EQ(read.error(), QStringLiteral("'' is not a valid floating point value"));
    EXPECT_EQ(safe.balance(), Money());

    exec(QStringLiteral("delete from zhangwubiao"));
    read = safe.ReadHomeSafeBalance();
    EXPECT_FALSE(read.isOk());
    EXPECT_EQ(safe.balance(), Money());
    // With the row missing, a write changes nothing and is no error.
    EXPECT_TRUE(WriteBalance(db.connection(), QStringLiteral("家庭保险柜"), Money::fromYuan(5)).isOk());
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("select count(*) from zhangwubiao")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
}

TEST_P(HomeSafeTest, WriteBalanceChangesOnlyTheNamedPlace) {
    exec(QStringLiteral("insert into zhangwubiao (mingcheng, jine) values ('建设银行', 10000)"));
    ASSERT_TRUE(WriteBalance(db.connection(), QStringLiteral("建设银行"), Money::fromUnits(-5)).isOk());
    EXPECT_EQ(stored(QStringLiteral("建设银行")), -5);
    EXPECT_EQ(stored(), 0);
}

TAMBERLO_ON_BOTH_ENGINES(HomeSafeTest);

}  // namespace
