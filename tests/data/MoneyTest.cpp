#include "data/Money.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

namespace {

struct ParseCase {
    const char* text;
    qint64 units;
};

class MoneyParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(MoneyParse, ReadsToExactTenThousandths) {
    const auto result = Money::parse(QString::fromUtf8(GetParam().text));
    ASSERT_TRUE(result.isOk()) << GetParam().text << ": " << result.error().toStdString();
    EXPECT_EQ(result->units(), GetParam().units) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, MoneyParse,
    ::testing::Values(ParseCase{"0", 0}, ParseCase{"120", 1200000}, ParseCase{"12.5", 125000},
                      ParseCase{"0.01", 100}, ParseCase{".5", 5000}, ParseCase{"5.", 50000},
                      ParseCase{"-30", -300000}, ParseCase{"+7.25", 72500}, ParseCase{"  42  ", 420000},
                      ParseCase{"0.0001", 1}, ParseCase{"1.23456", 12346},  // half away from zero
                      ParseCase{"1.23454", 12345}, ParseCase{"-1.23455", -12346}, ParseCase{"0.00004", 0},
                      ParseCase{"1e3", 10000000}, ParseCase{"1.5E-2", 150}, ParseCase{"2.5e+1", 250000},
                      ParseCase{"000123.4500", 1234500},
                      ParseCase{"922337203685477.5807", 9223372036854775807LL}, ParseCase{"1e-400", 0}),
    [](const ::testing::TestParamInfo<ParseCase>& p) { return "case" + std::to_string(p.index); });

TEST(MoneyParseRefused, GarbageOverflowAndSeparatorsFailWithTheParseMessage) {
    for (const char* text : {"",
                             " ",
                             "abc",
                             "12a",
                             "1.2.3",
                             "1,5",
                             "--1",
                             "+-1",
                             "1e",
                             "e5",
                             ".",
                             "-",
                             "￥12",
                             "12 34",
                             "1e5x",
                             "99999999999999999999",
                             "922337203685477.5808",
                             "1e20",
                             "0x10",
                             "１２"}) {
        const auto result = Money::parse(QString::fromUtf8(text));
        EXPECT_FALSE(result.isOk()) << text;
        EXPECT_EQ(result.error(),
                  QStringLiteral("'%1' is not a valid floating point value").arg(QString::fromUtf8(text)));
    }
}

TEST(MoneyFormat, TwoDecimalsLeadingMinusNoGrouping) {
    EXPECT_EQ(Money().format(), QStringLiteral("￥0.00"));
    EXPECT_EQ(Money::fromYuan(620).format(), QStringLiteral("￥620.00"));
    EXPECT_EQ(Money::fromUnits(125000).format(), QStringLiteral("￥12.50"));
    EXPECT_EQ(Money::fromYuan(-10).format(), QStringLiteral("-￥10.00"));
    EXPECT_EQ(Money::fromYuan(1234567).format(), QStringLiteral("￥1234567.00"));
    EXPECT_EQ(Money::fromUnits(12345).format(), QStringLiteral("￥1.23"));
    EXPECT_EQ(Money::fromUnits(12350).format(), QStringLiteral("￥1.24"));
    EXPECT_EQ(Money::fromUnits(-12350).format(), QStringLiteral("-￥1.24"));
    // A negative amount that rounds to nothing shows no minus.
    EXPECT_EQ(Money::fromUnits(-10).format(), QStringLiteral("￥0.00"));
    EXPECT_EQ(Money::fromUnits(std::numeric_limits<qint64>::min()).format(),
              QStringLiteral("-￥922337203685477.58"));
}

// Grouping and 万 for figures on screen, at the edges where a digit or the threshold moves; a grouped
// amount is not what the parse takes, so it never goes into a box or an export.
TEST(MoneyFormat, GroupedAndChartMarkForms) {
    EXPECT_EQ(Money().formatGrouped(), QStringLiteral("￥0.00"));
    EXPECT_EQ(Money::fromUnits(9999999).formatGrouped(), QStringLiteral("￥1,000.00"));
    EXPECT_EQ(Money::fromYuan(999).formatGrouped(), QStringLiteral("￥999.00"));
    EXPECT_EQ(Money::fromUnits(123456000).formatGrouped(), QStringLiteral("￥12,345.60"));
    EXPECT_EQ(Money::fromYuan(-1234567).formatGrouped(), QStringLiteral("-￥1,234,567.00"));
    EXPECT_EQ(Money::fromUnits(-10).formatGrouped(), QStringLiteral("￥0.00"));
    EXPECT_EQ(Money::fromUnits(std::numeric_limits<qint64>::min()).formatGrouped(),
              QStringLiteral("-￥922,337,203,685,477.58"));
    EXPECT_FALSE(Money::parse(QStringLiteral("12,345.60")).isOk());

    EXPECT_EQ(Money().formatChartMark(), QStringLiteral("￥0.00"));
    EXPECT_EQ(Money::fromUnits(99999900).formatChartMark(), QStringLiteral("￥9,999.99"));
    EXPECT_EQ(Money::fromUnits(-99999900).formatChartMark(), QStringLiteral("-￥9,999.99"));
    // 9999.995 rounds to ten thousand: it is marked in 万, never as "￥10,000.00".
    EXPECT_EQ(Money::fromUnits(99999950).formatChartMark(), QStringLiteral("￥1.00万"));
    EXPECT_EQ(Money::fromYuan(10000).formatChartMark(), QStringLiteral("￥1.00万"));
    EXPECT_EQ(Money::fromYuan(12500).formatChartMark(), QStringLiteral("￥1.25万"));
    EXPECT_EQ(Money::fromYuan(12549).formatChartMark(), QStringLiteral("￥1.25万"));
    EXPECT_EQ(Money::fromYuan(12550).formatChartMark(), QStringLiteral("￥1.26万"));
    EXPECT_EQ(Money::fromYuan(-12550).formatChartMark(), QStringLiteral("-￥1.26万"));
    EXPECT_EQ(Money::fromYuan(123456789).formatChartMark(), QStringLiteral("￥12,345.68万"));
}

TEST(MoneyText, PlainTextReadsBackToTheSameValue) {
    EXPECT_EQ(Money::fromUnits(125000).toPlainText(), QStringLiteral("12.5"));
    EXPECT_EQ(Money::fromUnits(-1).toPlainText(), QStringLiteral("-0.0001"));
    EXPECT_EQ(Money().toPlainText(), QStringLiteral("0"));
    std::mt19937_64 random(20261209);
    std::uniform_int_distribution<qint64> any(std::numeric_limits<qint64>::min() + 1,
                                              std::numeric_limits<qint64>::max());
    for (int i = 0; i < 2000; ++i) {
        const Money m = Money::fromUnits(i < 1000 ? any(random) : any(random) % 100000000);
        const auto back = Money::parse(m.toPlainText());
        ASSERT_TRUE(back.isOk()) << m.toPlainText().toStdString();
        EXPECT_EQ(back.value(), m);
    }
}

TEST(MoneyArithmetic, ExactAndOverflowIsAnError) {
    const Money a = Money::parse(QStringLiteral("0.1")).value();
    const Money b = Money::parse(QStringLiteral("0.2")).value();
    EXPECT_EQ(a.plus(b).value(), Money::parse(QStringLiteral("0.3")).value());
    EXPECT_EQ(
        Money::fromYuan(500).plus(Money::fromYuan(120)).value().minus(Money::fromYuan(30)).value().format(),
        QStringLiteral("￥590.00"));
    const Money max = Money::fromUnits(std::numeric_limits<qint64>::max());
    EXPECT_FALSE(max.plus(Money::fromUnits(1)).isOk());
    EXPECT_FALSE(Money::fromUnits(std::numeric_limits<qint64>::min()).minus(Money::fromUnits(1)).isOk());
    EXPECT_DOUBLE_EQ(Money::fromUnits(125000).toYuan(), 12.5);
}

}  // namespace

// The ends of the range read back too, and the "￥0.00" form without its sign reads back as the value
// rounded to the cent, half away from zero.
TEST(MoneyText, ExtremesAndTheShownFormReadBack) {
    for (qint64 units :
         {std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::min() + 1,
          std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::max() - 1, qint64(-1)}) {
        const Money m = Money::fromUnits(units);
        const auto back = Money::parse(m.toPlainText());
        ASSERT_TRUE(back.isOk()) << m.toPlainText().toStdString();
        EXPECT_EQ(back.value(), m);
    }
    std::mt19937_64 random(7);
    std::uniform_int_distribution<qint64> any(-1000000000000, 1000000000000);
    for (int i = 0; i < 2000; ++i) {
        const qint64 units = any(random);
        const qint64 cents = (units >= 0 ? units + 50 : units - 50) / 100 * 100;
        const auto back = Money::parse(Money::fromUnits(units).format().remove(QChar(0xFFE5)));
        ASSERT_TRUE(back.isOk()) << units;
        EXPECT_EQ(back.value(), Money::fromUnits(cents)) << units;
    }
}
