#include "data/DateText.h"

#include <gtest/gtest.h>

namespace {

TEST(DateText, ShortAndLongFormats) {
    EXPECT_EQ(ShortDate(QDate(2007, 1, 5)), QStringLiteral("2007-01-05"));
    EXPECT_EQ(ShortDate(QDate(2026, 12, 31)), QStringLiteral("2026-12-31"));
    EXPECT_EQ(LongDate(QDate(2007, 1, 5)), QStringLiteral("2007年1月5日"));
    EXPECT_EQ(LongDate(QDate(2026, 12, 9)), QStringLiteral("2026年12月9日"));
}

TEST(DateText, MonthStartHasNoLeadingZeroInTheMonth) {
    EXPECT_EQ(MonthStartText(QDate(2007, 1, 31)), QStringLiteral("2007-1-01"));
    EXPECT_EQ(MonthStartText(QDate(2026, 12, 9)), QStringLiteral("2026-12-01"));
    EXPECT_EQ(ParseDate(MonthStartText(QDate(2007, 1, 31))).value(), QDate(2007, 1, 1));
}

TEST(DateText, LenientReadOfOneOrTwoDigits) {
    EXPECT_EQ(ParseDate(QStringLiteral("2007-1-01")).value(), QDate(2007, 1, 1));
    EXPECT_EQ(ParseDate(QStringLiteral("2007-01-1")).value(), QDate(2007, 1, 1));
    EXPECT_EQ(ParseDate(QStringLiteral(" 2024-2-29 ")).value(), QDate(2024, 2, 29));
    EXPECT_EQ(ParseDate(ShortDate(QDate(1999, 12, 31))).value(), QDate(1999, 12, 31));
}

TEST(DateText, ImpossibleOrMalformedDatesFail) {
    for (const char* text :
         {"", "2023-2-30", "2023-02-29", "2023-13-01", "2023-0-10", "2023-1-32", "2023/1/1", "20230101",
          "2023-1", "2023-1-1-1", "abc", "2023-001-01", "0-1-1", "２０２３-1-1"}) {
        const auto result = ParseDate(QString::fromUtf8(text));
        EXPECT_FALSE(result.isOk()) << text;
        EXPECT_EQ(result.error(), QStringLiteral("'%1' is not a valid date").arg(QString::fromUtf8(text)));
    }
}

}  // namespace
