#include "data/DateText.h"

#include <gtest/gtest.h>

#include <QList>

#include <algorithm>

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
         {"", "2023-2-30", "2023-02-29", "2023-13-01", "2023-0-10", "2023-1-32", "2023/1-1", "20230101",
          "2023-1", "2023-1-1-1", "abc", "2023-001-01", "0-1-1", "２０２３-1-1", "2023/13/5", "2023年2月30日",
          "12月5日", "2023年1月", "2023.1/1"}) {
        const auto result = ParseDate(QString::fromUtf8(text));
        EXPECT_FALSE(result.isOk()) << text;
        EXPECT_EQ(result.error(), InvalidDateMessage(QString::fromUtf8(text)));
    }
}

// The ways people write a day: slashes, dots, 年月日, and 月日 alone for a day of this year (typed only).
TEST(DateText, SlashesDotsAndChineseYearMonthDayRead) {
    const QDate today(2026, 12, 9);
    EXPECT_EQ(ParseDate(QStringLiteral("2026/12/5"), today).value(), QDate(2026, 12, 5));
    EXPECT_EQ(ParseDate(QStringLiteral("2026.12.5"), today).value(), QDate(2026, 12, 5));
    EXPECT_EQ(ParseDate(QStringLiteral("2026年12月5日"), today).value(), QDate(2026, 12, 5));
    EXPECT_EQ(ParseDate(QStringLiteral(" 2026 年 1 月 05 日 "), today).value(), QDate(2026, 1, 5));
    EXPECT_EQ(ParseDate(QStringLiteral("12月5日"), today).value(), QDate(2026, 12, 5));
    EXPECT_EQ(ParseDate(QStringLiteral("24/3/5"), today).value(), QDate(2024, 3, 5));
    EXPECT_EQ(ParseDate(QStringLiteral("24年3月5日"), today).value(), QDate(2024, 3, 5));
    EXPECT_EQ(ParseDate(LongDate(QDate(2007, 1, 5))).value(), QDate(2007, 1, 5));
    EXPECT_EQ(ParseDate(QStringLiteral("2026/13/5"), today).error(),
              QStringLiteral("日期“2026/13/5”无法识别，请按 2026-12-05 或 2026年12月5日 的样子输入。"
                             "（'2026/13/5' is not a valid date）"));
}

// Two-digit years typed by a user: the year within 50 years of today, whatever the century.
TEST(DateText, ShortYearsFallInTheCenturyAroundToday) {
    const QDate today(2026, 12, 9);
    EXPECT_EQ(ParseDate(QStringLiteral("24-3-5"), today).value(), QDate(2024, 3, 5));
    EXPECT_EQ(ParseDate(QStringLiteral("99-1-1"), today).value(), QDate(1999, 1, 1));
    EXPECT_EQ(ParseDate(QStringLiteral("7-1-15"), today).value(), QDate(2007, 1, 15));
    EXPECT_EQ(ParseDate(QStringLiteral("00-2-29"), today).value(), QDate(2000, 2, 29));
    // The edges: 50 years back is in, 50 years ahead is not.
    EXPECT_EQ(ParseDate(QStringLiteral("76-6-1"), today).value(), QDate(1976, 6, 1));
    EXPECT_EQ(ParseDate(QStringLiteral("75-6-1"), today).value(), QDate(2075, 6, 1));
    // Another today moves the window.
    EXPECT_EQ(ParseDate(QStringLiteral("99-1-1"), QDate(2080, 1, 1)).value(), QDate(2099, 1, 1));
    EXPECT_EQ(ParseDate(QStringLiteral("24-3-5"), QDate(1960, 1, 1)).value(), QDate(1924, 3, 5));
    // Full years stay as written, and a short year still has to name a real day.
    EXPECT_EQ(ParseDate(QStringLiteral("2024-3-5"), today).value(), QDate(2024, 3, 5));
    EXPECT_EQ(ParseDate(QStringLiteral("0024-03-05"), today).value(), QDate(24, 3, 5));
    EXPECT_FALSE(ParseDate(QStringLiteral("23-2-29"), today).isOk());
}

TEST(DateText, ThreeDigitYearsAndShortYearsWithoutTodayAreRefused) {
    const QDate today(2026, 12, 9);
    for (const char* text : {"024-3-5", "202-3-5", "999-12-31"}) {
        const auto result = ParseDate(QString::fromUtf8(text), today);
        ASSERT_FALSE(result.isOk()) << text;
        EXPECT_EQ(result.error(), InvalidDateMessage(QString::fromUtf8(text)));
    }
    // Text the program wrote itself always has a full year: a short one is no date there.
    EXPECT_FALSE(ParseDate(QStringLiteral("24-3-5")).isOk());
    EXPECT_EQ(ParseDate(QStringLiteral("2024-3-5")).value(), QDate(2024, 3, 5));
}

TEST(DateText, CenturyWindowCoversEveryShortYearOnce) {
    const QDate today(2026, 12, 9);
    QList<int> years;
    for (int y = 0; y < 100; ++y) {
        const int year = YearInCenturyWindow(y, today);
        EXPECT_EQ(year % 100, y);
        EXPECT_GE(year, 1976);
        EXPECT_LE(year, 2075);
        years.append(year);
    }
    std::sort(years.begin(), years.end());
    EXPECT_EQ(std::unique(years.begin(), years.end()), years.end());
}

}  // namespace
