#include "ledger/LedgerTotals.h"
#include "support/TestEngine.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

namespace {

class LedgerTotalsTest : public ::testing::Test {
  protected:
    void add(const char* type, const char* detail, qint64 yuan, const char* date) {
        th.exec(QStringLiteral(
                    "insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values ('%1','%2',%3,'%4')")
                    .arg(QString::fromLatin1(type), QString::fromUtf8(detail))
                    .arg(yuan * Money::kUnitsPerYuan)
                    .arg(QString::fromLatin1(date)));
    }
    PeriodTotals totals(QDate first, QDate last) {
        Result<PeriodTotals> t = TotalsOfPeriod(th.database.connection(), first, last);
        EXPECT_TRUE(t.isOk()) << t.error().toStdString();
        return t.isOk() ? t.value() : PeriodTotals{};
    }

    TestHousehold th;
};

TEST_F(LedgerTotalsTest, BoundsAreInclusiveAndOtherTypesCountAsExpense) {
    add("shouru", "工资", 3000, "2007-01-01");
    add("shouru", "奖金", 500, "2007-01-31");
    add("zhichu", "房租", 1200, "2007-01-15");
    add("zhichu", "午饭", 20, "2007-02-01");
    add("other", "古怪", 7, "2007-03-20");

    PeriodTotals january = totals(QDate(2007, 1, 1), QDate(2007, 1, 31));
    EXPECT_TRUE(january.hasRows);
    EXPECT_EQ(january.income, Money::fromYuan(3500));
    EXPECT_EQ(january.expense, Money::fromYuan(1200));
    EXPECT_EQ(totals(QDate(2007, 3, 1), QDate(2007, 3, 31)).expense, Money::fromYuan(7));
    PeriodTotals lastDay = totals(QDate(2007, 1, 31), QDate(2007, 1, 31));
    EXPECT_EQ(lastDay.income, Money::fromYuan(500));
    EXPECT_EQ(lastDay.expense, Money());
}

// The same fixture on the file and on the server.
class LedgerTotalsOnBothEngines : public LedgerTotalsTest,
                                  public ::testing::WithParamInterface<TestEngine> {};

// The totals read through the two types' index and through the general statement agree: an entry of
// another type, outside the periods asked for, changes nothing in them.
TEST_P(LedgerTotalsOnBothEngines, TotalsAgreeWithAndWithoutEntriesOfOtherTypes) {
    add("shouru", "工资", 3000, "2007-01-01");
    add("zhichu", "房租", 1200, "2007-01-15");
    add("zhichu", "午饭", 20, "2007-01-31");
    add("shouru", "奖金", 7, "2007-02-01");
    add("zhichu", "车费", 3, "2007-02-28");
    const QList<std::pair<QDate, QDate>> periods = {{QDate(2007, 1, 1), QDate(2007, 1, 31)},
                                                    {QDate(2007, 1, 15), QDate(2007, 2, 1)},
                                                    {QDate(2007, 2, 2), QDate(2007, 2, 28)},
                                                    {QDate(2006, 1, 1), QDate(2006, 12, 31)}};
    QList<PeriodTotals> twoTypes;
    for (const auto& [first, last] : periods)
        twoTypes.append(totals(first, last));
    add("aaa", "古怪", 5, "2009-01-01");
    add("zzz", "古怪", 9, "2009-01-02");
    for (int i = 0; i < periods.size(); ++i) {
        const PeriodTotals general = totals(periods[i].first, periods[i].second);
        EXPECT_EQ(general.hasRows, twoTypes[i].hasRows) << i;
        EXPECT_EQ(general.income, twoTypes[i].income) << i;
        EXPECT_EQ(general.expense, twoTypes[i].expense) << i;
    }
    EXPECT_EQ(twoTypes[1].income, Money::fromYuan(7));
    EXPECT_EQ(twoTypes[1].expense, Money::fromYuan(1220));
    EXPECT_FALSE(twoTypes[3].hasRows);
    // The last of the other types in order counts as the expense, as before.
    EXPECT_EQ(totals(QDate(2009, 1, 1), QDate(2009, 1, 2)).expense, Money::fromYuan(9));
}

// One place's totals and details are the sums of that place's entries alone; without a place they are
// those of every entry, as before places could be chosen.
TEST_P(LedgerTotalsOnBothEngines, OnePlacesFiguresAreItsEntriesAlone) {
    const qint64 safe =
        th.scalar(QStringLiteral("select id from zhangwubiao where leibie='xianjin'")).toLongLong();
    const qint64 card = th.addBankCard(QStringLiteral("招商银行"), 0);
    add("shouru", "工资", 3000, "2007-01-01");
    add("zhichu", "午饭", 20, "2007-01-02");
    add("zhichu", "房租", 1200, "2007-01-31");
    th.exec(QStringLiteral("update shouzhibiao set zhanghu=%1 where mingxi in ('工资','房租')").arg(card));
    add("zhichu", "午饭", 25, "2007-01-03");
    add("zhichu", "午饭", 8, "2007-02-01");
    add("other", "古怪", 7, "2009-01-20");  // read through the general statement while it is there
    const QDate first(2007, 1, 1);
    const QDate last(2007, 1, 31);
    QSqlDatabase db = th.database.connection();
    const auto details = [&](std::optional<qint64> place) {
        const Result<QList<DetailTotal>> read =
            DetailTotalsOfPeriod(db, first, last, QStringLiteral("zhichu"), place);
        QStringList shown;
        for (const DetailTotal& t : read.value())
            shown.append(t.detail + QLatin1Char('=') + t.total.format());
        shown.sort();
        return shown;
    };

    const PeriodTotals onCard = TotalsOfPeriod(db, first, last, card).value();
    EXPECT_EQ(onCard.income, Money::fromYuan(3000));
    EXPECT_EQ(onCard.expense, Money::fromYuan(1200));
    EXPECT_EQ(details(card), QStringList({"房租=￥1200.00"}));
    const PeriodTotals inSafe = TotalsOfPeriod(db, first, last, safe).value();
    EXPECT_EQ(inSafe.income, Money());
    EXPECT_EQ(inSafe.expense, Money::fromYuan(45));
    EXPECT_EQ(details(safe), QStringList({"午饭=￥45.00"}));
    const PeriodTotals every = TotalsOfPeriod(db, first, last, std::nullopt).value();
    EXPECT_EQ(every.income, Money::fromYuan(3000));
    EXPECT_EQ(every.expense, Money::fromYuan(1245));
    EXPECT_EQ(details(std::nullopt), QStringList({"午饭=￥45.00", "房租=￥1200.00"}));
    // With the two types only, through the statement of the two types.
    th.exec(QStringLiteral("delete from shouzhibiao where leixing='other'"));
    EXPECT_EQ(TotalsOfPeriod(db, first, last, safe)->expense, Money::fromYuan(45));
    EXPECT_EQ(TotalsOfPeriod(db, first, last, card)->income, Money::fromYuan(3000));
    EXPECT_FALSE(TotalsOfPeriod(db, QDate(2007, 2, 1), QDate(2007, 2, 28), card)->hasRows);
}

// The ring of the expenses: the eight largest details of the period, largest first, the rest as 其他 with
// their count, refunds that outweigh a detail's spending left out; a single detail after the eight keeps
// its name.
TEST_P(LedgerTotalsOnBothEngines, TheExpensePictureKeepsTheEightLargestAndSumsTheRest) {
    for (int i = 1; i <= 11; ++i) {
        add("zhichu", QStringLiteral("明细%1").arg(i, 2, 10, QLatin1Char('0')).toUtf8().constData(), i * 10,
            "2007-01-10");
    }
    add("zhichu", "明细11", 5, "2007-01-31");  // 115 in all
    add("zhichu", "明细01", 1, "2006-12-31");  // outside the period
    add("zhichu", "退货", -40, "2007-01-12");
    add("shouru", "工资", 9000, "2007-01-05");
    QSqlDatabase db = th.database.connection();
    const Result<DetailPicture> picture =
        DetailPictureOfPeriod(db, QDate(2007, 1, 1), QDate(2007, 1, 31), QStringLiteral("zhichu"));
    ASSERT_TRUE(picture.isOk()) << picture.error().toStdString();
    QStringList largest;
    for (const DetailTotal& t : picture->largest)
        largest.append(t.detail + QLatin1Char('=') + t.total.format());
    EXPECT_EQ(largest, QStringList({"明细11=￥115.00", "明细10=￥100.00", "明细09=￥90.00", "明细08=￥80.00",
                                    "明细07=￥70.00", "明细06=￥60.00", "明细05=￥50.00", "明细04=￥40.00"}));
    ASSERT_TRUE(picture->rest.has_value());
    EXPECT_EQ(picture->rest->detail, QStringLiteral("其他（3项）"));
    EXPECT_EQ(picture->rest->total, Money::fromYuan(60));
    EXPECT_EQ(picture->leftOut, 1);

    th.exec(QStringLiteral("delete from shouzhibiao where mingxi in ('明细01','明细02')"));
    const Result<DetailPicture> nine =
        DetailPictureOfPeriod(db, QDate(2007, 1, 1), QDate(2007, 1, 31), QStringLiteral("zhichu"));
    ASSERT_TRUE(nine.isOk());
    EXPECT_EQ(nine->largest.size(), 9);
    EXPECT_EQ(nine->largest.last().detail, QStringLiteral("明细03"));
    EXPECT_FALSE(nine->rest.has_value());
    EXPECT_TRUE(DetailPictureOfPeriod(db, QDate(2008, 1, 1), QDate(2008, 1, 31), QStringLiteral("zhichu"))
                    ->largest.isEmpty());
}

TAMBERLO_ON_BOTH_ENGINES(LedgerTotalsOnBothEngines);

TEST_F(LedgerTotalsTest, EmptyAndReversedPeriodsHaveNoRows) {
    add("shouru", "工资", 3000, "2007-01-10");
    EXPECT_FALSE(totals(QDate(2006, 1, 1), QDate(2006, 12, 31)).hasRows);
    const PeriodTotals reversed = totals(QDate(2007, 1, 31), QDate(2007, 1, 1));
    EXPECT_FALSE(reversed.hasRows);
    EXPECT_EQ(reversed.income, Money());
}

TEST_F(LedgerTotalsTest, ANullSumFailsTheConversion) {
    th.exec(QStringLiteral(
        "insert into shouzhibiao (leixing,mingxi,shururiqi) values ('shouru','空','2007-01-10')"));
    EXPECT_EQ(TotalsOfPeriod(th.database.connection(), QDate(2007, 1, 1), QDate(2007, 1, 31)).error(),
              QStringLiteral("'' is not a valid floating point value"));
}

// Stored amounts near the edge of what an amount holds: the sums are exact where the figure fits and a
// Chinese message where it does not, never the engine's "integer overflow".
TEST_F(LedgerTotalsTest, SumsOfHugeStoredAmountsNeverOverflowInTheEngine) {
    const auto addUnits = [this](const char* type, const char* detail, const QString& units) {
        th.exec(QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values "
                               "('%1','%2',%3,'2007-01-10')")
                    .arg(QString::fromLatin1(type), QString::fromUtf8(detail), units));
    };
    // 9e14 + 3e14 - 4e14 yuan: the engine's running sum would pass 2^63 on the way.
    addUnits("zhichu", "甲", QStringLiteral("9000000000000000000"));
    addUnits("zhichu", "甲", QStringLiteral("3000000000000000000"));
    addUnits("zhichu", "甲", QStringLiteral("-4000000000000000000"));
    addUnits("zhichu", "乙", QStringLiteral("-7"));
    addUnits("zhichu", "乙", QStringLiteral("8589934599"));
    const Result<PeriodTotals> fits =
        TotalsOfPeriod(th.database.connection(), QDate(2007, 1, 1), QDate(2007, 1, 31));
    ASSERT_TRUE(fits.isOk()) << fits.error().toStdString();
    EXPECT_EQ(fits->expense.units(), 8000000000000000000 - 7 + 8589934599);
    const Result<QList<DetailTotal>> details = DetailTotalsOfPeriod(
        th.database.connection(), QDate(2007, 1, 1), QDate(2007, 1, 31), QStringLiteral("zhichu"));
    ASSERT_TRUE(details.isOk()) << details.error().toStdString();
    ASSERT_EQ(details->size(), 2);
    EXPECT_EQ(details->at(0).total.units() + details->at(1).total.units(), 8000000000000000000 + 8589934592);

    // Two incomes of 9e14 yuan: the total does not fit and says so in Chinese.
    addUnits("shouru", "丙", QStringLiteral("9000000000000000000"));
    addUnits("shouru", "丙", QStringLiteral("9000000000000000000"));
    const Result<PeriodTotals> tooLarge =
        TotalsOfPeriod(th.database.connection(), QDate(2007, 1, 1), QDate(2007, 1, 31));
    ASSERT_FALSE(tooLarge.isOk());
    EXPECT_FALSE(tooLarge.error().contains(QStringLiteral("overflow"))) << tooLarge.error().toStdString();
    EXPECT_TRUE(tooLarge.error().contains(QStringLiteral("超出"))) << tooLarge.error().toStdString();
    const Result<QList<DetailTotal>> detailTooLarge = DetailTotalsOfPeriod(
        th.database.connection(), QDate(2007, 1, 1), QDate(2007, 1, 31), QStringLiteral("shouru"));
    ASSERT_FALSE(detailTooLarge.isOk());
    EXPECT_TRUE(detailTooLarge.error().contains(QStringLiteral("超出")))
        << detailTooLarge.error().toStdString();
}

TEST_F(LedgerTotalsTest, DetailTotalsGroupOneTypeInThePeriod) {
    add("zhichu", "午饭", 20, "2007-01-02");
    add("zhichu", "午饭", 25, "2007-01-03");
    add("zhichu", "房租", 1200, "2007-01-05");
    add("zhichu", "旧帐", 99, "2006-12-31");
    add("shouru", "工资", 3000, "2007-01-05");
    const Result<QList<DetailTotal>> d = DetailTotalsOfPeriod(th.database.connection(), QDate(2007, 1, 1),
                                                              QDate(2007, 1, 31), QStringLiteral("zhichu"));
    ASSERT_TRUE(d.isOk());
    QStringList shown;
    for (const DetailTotal& t : d.value())
        shown.append(t.detail + QLatin1Char('=') + t.total.format());
    shown.sort();
    EXPECT_EQ(shown, QStringList({"午饭=￥45.00", "房租=￥1200.00"}));
    EXPECT_TRUE(DetailTotalsOfPeriod(th.database.connection(), QDate(2008, 1, 1), QDate(2008, 1, 31),
                                     QStringLiteral("shouru"))
                    ->isEmpty());
}

TEST_F(LedgerTotalsTest, DistinctDetailsOfOneType) {
    add("zhichu", "午饭", 20, "2007-01-02");
    add("zhichu", "午饭", 25, "2007-01-03");
    add("zhichu", "房租", 1200, "2007-01-05");
    add("shouru", "工资", 3000, "2007-01-05");
    QStringList details = DistinctDetails(th.database.connection(), QStringLiteral("zhichu")).value();
    details.sort();
    EXPECT_EQ(details, QStringList({"午饭", "房租"}));
    EXPECT_EQ(DistinctDetails(th.database.connection(), QStringLiteral("shouru")).value(),
              QStringList({"工资"}));
}

TEST_F(LedgerTotalsTest, DetailChoicesComeFromAnIndexAlone) {
    QSqlQuery plan(th.database.connection());
    ASSERT_TRUE(plan.exec(
        QStringLiteral("EXPLAIN QUERY PLAN select DISTINCT mingxi from shouzhibiao WHERE leixing='zhichu'")));
    ASSERT_TRUE(plan.next());
    EXPECT_TRUE(plan.value(QStringLiteral("detail")).toString().contains(QStringLiteral("COVERING INDEX")));
}

TEST_F(LedgerTotalsTest, PeriodQueriesUseAnIndex) {
    for (const char* statement :
         {"SELECT leixing,SUM(feiyong) AS zonge from shouzhibiao WHERE shururiqi BETWEEN '2007-01-01' AND "
          "'2007-01-31' GROUP BY leixing",
          "SELECT mingxi,SUM(feiyong) AS mxzonge from shouzhibiao WHERE (shururiqi BETWEEN '2007-01-01' AND "
          "'2007-01-31') and (leixing='zhichu') GROUP BY mingxi"}) {
        QSqlQuery plan(th.database.connection());
        ASSERT_TRUE(plan.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + QString::fromLatin1(statement)));
        QString details;
        while (plan.next())
            details += plan.value(QStringLiteral("detail")).toString();
        EXPECT_TRUE(details.contains(QStringLiteral("INDEX"))) << details.toStdString();
    }
}

}  // namespace
