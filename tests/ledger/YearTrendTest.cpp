#include "data/Statements.h"
#include "ledger/YearTrend.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

#include <limits>

namespace {

TEST(YearTrend, MonthsTotalsAndBalanceOfOneYearOnly) {
    TestHousehold th;
    th.exec(
        QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values "
                       "('shouru','工资',30000000,'2007-01-05'),('shouru','奖金',5000000,'2007-01-31'),"
                       "('zhichu','房租',12000000,'2007-01-10'),('zhichu','礼物',3000000,'2007-12-31'),"
                       "('shouru','去年',99990000,'2006-12-31'),('zhichu','明年',99990000,'2008-01-01'),"
                       "('zhichu','水电',1234500,'2007-03-01'),('other','其他',10000,'2007-03-02')"));
    const Result<YearTrend> trend = TrendOfYear(th.database.connection(), 2007);
    ASSERT_TRUE(trend.isOk()) << trend.error().toStdString();
    EXPECT_EQ(trend->income[0].format(), QStringLiteral("￥3500.00"));
    EXPECT_EQ(trend->expense[0].format(), QStringLiteral("￥1200.00"));
    // Any type but income counts as expense, as in the summary.
    EXPECT_EQ(trend->expense[2].format(), QStringLiteral("￥124.45"));
    EXPECT_EQ(trend->expense[11].format(), QStringLiteral("￥300.00"));
    EXPECT_TRUE(trend->income[1].isZero());
    EXPECT_TRUE(trend->expense[1].isZero());
    EXPECT_EQ(trend->incomeTotal.format(), QStringLiteral("￥3500.00"));
    EXPECT_EQ(trend->expenseTotal.format(), QStringLiteral("￥1624.45"));
    EXPECT_EQ(trend->balance.format(), QStringLiteral("￥1875.55"));

    const Result<YearTrend> next = TrendOfYear(th.database.connection(), 2008);
    ASSERT_TRUE(next.isOk());
    EXPECT_EQ(next->balance.format(), QStringLiteral("-￥9999.00"));
    const Result<YearTrend> empty = TrendOfYear(th.database.connection(), 1999);
    ASSERT_TRUE(empty.isOk());
    EXPECT_TRUE(empty->balance.isZero());
}

// The change against an earlier month: "—" against nothing, measured against the earlier figure's size
// (also when it is negative), rounded to a tenth of a per cent.
TEST(YearTrend, ChangesAgainstAnEarlierMonth) {
    EXPECT_EQ(ChangeText(Money::fromYuan(100), Money()), QStringLiteral("—"));
    EXPECT_EQ(ChangeText(Money(), Money()), QStringLiteral("—"));
    EXPECT_EQ(ChangeText(Money(), Money::fromYuan(80)), QStringLiteral("-100.0%"));
    EXPECT_EQ(ChangeText(Money::fromYuan(80), Money::fromYuan(80)), QStringLiteral("0.0%"));
    EXPECT_EQ(ChangeText(Money::fromYuan(1), Money::fromYuan(3)), QStringLiteral("-66.7%"));
    EXPECT_EQ(ChangeText(Money::fromUnits(1000500), Money::fromYuan(100)), QStringLiteral("+0.1%"));
    EXPECT_EQ(ChangeText(Money::fromUnits(1000499), Money::fromYuan(100)), QStringLiteral("0.0%"));
    EXPECT_EQ(ChangeText(Money::fromYuan(50), Money::fromYuan(-100)), QStringLiteral("+150.0%"));
    EXPECT_EQ(ChangeText(Money::fromUnits(std::numeric_limits<qint64>::max()), Money::fromUnits(-1)).left(1),
              QStringLiteral("+"));

    // January's 环比 is against December of the year before, read with the year.
    TestHousehold th;
    th.exec(
        QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values "
                       "('zhichu','房租',2000000,'2006-12-31'),('zhichu','房租',3000000,'2007-01-01'),"
                       "('zhichu','房租',1000000,'2006-01-20')"));
    const Result<YearTrend> trend = TrendOfYear(th.database.connection(), 2007);
    ASSERT_TRUE(trend.isOk()) << trend.error().toStdString();
    EXPECT_EQ(trend->expenseTotal, Money::fromYuan(300));
    const MonthChanges january = ChangesOfMonth(trend.value(), 0);
    EXPECT_EQ(january.expenseOnMonth, QStringLiteral("+50.0%"));
    EXPECT_EQ(january.expenseOnYear, QStringLiteral("+200.0%"));
    EXPECT_EQ(january.incomeOnYear, QStringLiteral("—"));
    EXPECT_EQ(ChangesOfMonth(trend.value(), 1).expenseOnMonth, QStringLiteral("-100.0%"));
}

// The trend is read from the covering index alone: no table rows, one ranged search, no sort.
TEST(YearTrend, TheQueryReadsOnlyTheCoveringIndex) {
    TestHousehold th;
    QSqlQuery plan(th.database.connection());
    ASSERT_TRUE(plan.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + QString::fromUtf8(Sql::kDayTotals)));
    plan.bindValue(QStringLiteral(":mxlx"), QStringLiteral("shouru"));
    plan.bindValue(QStringLiteral(":qishi"), QStringLiteral("2007-01-01"));
    plan.bindValue(QStringLiteral(":jishu"), QStringLiteral("2007-12-31"));
    ASSERT_TRUE(plan.exec());
    QStringList steps;
    while (plan.next())
        steps.append(plan.value(QStringLiteral("detail")).toString());
    const QString all = steps.join(QLatin1Char('|'));
    EXPECT_TRUE(
        all.contains(QStringLiteral("USING COVERING INDEX shouzhibiao_riqi_feiyong_leixing (shururiqi>? AND "
                                    "shururiqi<?)")))
        << all.toStdString();
    EXPECT_FALSE(all.contains(QStringLiteral("SCAN shouzhibiao"))) << all.toStdString();
    EXPECT_FALSE(all.contains(QStringLiteral("TEMP B-TREE"))) << all.toStdString();
}

}  // namespace
