#include "data/DateText.h"
#include "ledger/Period.h"

#include <gtest/gtest.h>

namespace {

struct PeriodCase {
    const char* today;
    PeriodChoice choice;
    const char* first;
    const char* last;
    const char* heading;
};

class PeriodTable : public ::testing::TestWithParam<PeriodCase> {};

TEST_P(PeriodTable, ChoiceGivesTheLabelsAndHeading) {
    const PeriodCase& c = GetParam();
    const PeriodTexts texts =
        PeriodFor(c.choice, QDate::fromString(QString::fromLatin1(c.today), Qt::ISODate));
    EXPECT_EQ(texts.first, QString::fromUtf8(c.first));
    EXPECT_EQ(texts.last, QString::fromUtf8(c.last));
    EXPECT_EQ(texts.heading, QString::fromUtf8(c.heading));
}

INSTANTIATE_TEST_SUITE_P(
    January2007, PeriodTable,
    ::testing::Values(
        PeriodCase{"2007-01-15", PeriodChoice::Today, "2007-01-15", "2007-01-15", "今日帐务信息"},
        PeriodCase{"2007-01-15", PeriodChoice::Yesterday, "2007-01-14", "2007-01-14", "昨日帐务信息"},
        PeriodCase{"2007-01-15", PeriodChoice::ThisMonth, "2007-1-01", "2007-01-15", "本月帐务信息"},
        // January: the previous month is December of the year before.
        PeriodCase{"2007-01-15", PeriodChoice::LastMonth, "2006-12-01", "2006-12-31", "上月帐务信息"},
        PeriodCase{"2007-01-15", PeriodChoice::ThisYear, "2007-01-01", "2007-01-15", "本年帐务信息"},
        PeriodCase{"2007-01-15", PeriodChoice::LastYear, "2006-01-01", "2006-12-31", "去年帐务信息"},
        PeriodCase{"2007-01-15", PeriodChoice::Any, "2007-01-15", "2007-01-15", "帐务信息"}));

INSTANTIATE_TEST_SUITE_P(
    MonthAndYearBoundaries, PeriodTable,
    ::testing::Values(
        // The first of a month: yesterday is the last day of the previous month, where 上月 ends too.
        PeriodCase{"2007-03-01", PeriodChoice::Yesterday, "2007-02-28", "2007-02-28", "昨日帐务信息"},
        PeriodCase{"2007-03-01", PeriodChoice::LastMonth, "2007-2-01", "2007-02-28", "上月帐务信息"},
        PeriodCase{"2007-03-01", PeriodChoice::ThisMonth, "2007-3-01", "2007-03-01", "本月帐务信息"},
        // A leap year: February ends on the 29th.
        PeriodCase{"2008-03-01", PeriodChoice::Yesterday, "2008-02-29", "2008-02-29", "昨日帐务信息"},
        PeriodCase{"2008-03-10", PeriodChoice::LastMonth, "2008-2-01", "2008-02-29", "上月帐务信息"},
        PeriodCase{"2008-02-29", PeriodChoice::ThisMonth, "2008-2-01", "2008-02-29", "本月帐务信息"},
        PeriodCase{"2008-02-29", PeriodChoice::LastYear, "2007-01-01", "2007-12-31", "去年帐务信息"},
        // New Year's day: yesterday and last month both lie in the year before.
        PeriodCase{"2008-01-01", PeriodChoice::Yesterday, "2007-12-31", "2007-12-31", "昨日帐务信息"},
        PeriodCase{"2008-01-01", PeriodChoice::LastMonth, "2007-12-01", "2007-12-31", "上月帐务信息"},
        PeriodCase{"2008-01-01", PeriodChoice::ThisYear, "2008-01-01", "2008-01-01", "本年帐务信息"},
        PeriodCase{"2007-12-31", PeriodChoice::ThisMonth, "2007-12-01", "2007-12-31", "本月帐务信息"},
        PeriodCase{"2007-10-31", PeriodChoice::LastMonth, "2007-9-01", "2007-09-30", "上月帐务信息"}));

TEST(PeriodRead, BuiltTextsReadBackAsTheirDays) {
    const Result<PeriodBounds> month =
        ReadPeriod(QStringLiteral("2007-1-01"), QStringLiteral("2007-01-15"), QDate(2007, 1, 15));
    ASSERT_TRUE(month.isOk());
    EXPECT_EQ(month->first, QDate(2007, 1, 1));
    EXPECT_EQ(month->last, QDate(2007, 1, 15));
}

TEST(PeriodRead, TheFirstBadLabelNamesItself) {
    EXPECT_EQ(ReadPeriod(QStringLiteral("2007-13-01"), QStringLiteral("x"), QDate(2007, 1, 15)).error(),
              InvalidDateMessage(QStringLiteral("2007-13-01")));
    EXPECT_EQ(ReadPeriod(QStringLiteral("2007-1-01"), QStringLiteral("明天"), QDate(2007, 1, 15)).error(),
              InvalidDateMessage(QStringLiteral("明天")));
}

}  // namespace
