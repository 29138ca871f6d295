#include "kit/Today.h"
#include "reminders/Reminders.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

namespace {

struct DueCase {
    const char* range;
    const char* date;
    const char* today;
    bool due;
};

void PrintTo(const DueCase& c, std::ostream* os) {
    *os << c.range << " " << c.date << " on " << c.today;
}

class DueRule : public ::testing::TestWithParam<DueCase> {};

TEST_P(DueRule, DecidesWhetherAnEventIsDueOnTheDay) {
    const DueCase& c = GetParam();
    const Reminder r{0, QString::fromUtf8(c.date), QString::fromUtf8(c.range), QStringLiteral("x")};
    EXPECT_EQ(IsDueOn(r, QDate::fromString(QString::fromLatin1(c.today), Qt::ISODate)), c.due);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, DueRule,
    ::testing::Values(
        // Once: on its own date only.
        DueCase{"当天", "2007-01-15", "2007-01-15", true}, DueCase{"当天", "2007-01-14", "2007-01-15", false},
        DueCase{"当天", "2007-01-16", "2007-01-15", false},
        DueCase{"当天", "2006-01-15", "2007-01-15", false},
        // Daily: every day, before its own date too.
        DueCase{"每天", "2099-12-31", "2007-01-15", true}, DueCase{"每天", "", "2007-01-15", true},
        // Monthly: the day of the month alone counts, before its own date too.
        DueCase{"每月", "2010-03-15", "2007-01-15", true}, DueCase{"每月", "2006-12-15", "2007-01-15", true},
        DueCase{"每月", "2007-01-16", "2007-01-15", false}, DueCase{"每月", "2007-1-5", "2007-03-05", true},
        // Month ends: a 31st is not due in a month without one; the 29th of February in leap years only.
        DueCase{"每月", "2007-01-31", "2007-04-30", false}, DueCase{"每月", "2007-01-31", "2007-05-31", true},
        DueCase{"每月", "2007-01-30", "2007-02-28", false},
        DueCase{"每月", "2008-02-29", "2007-02-28", false}, DueCase{"每月", "2008-02-29", "2008-02-29", true},
        DueCase{"每月", "2008-02-29", "2009-03-29", true}, DueCase{"每月", "2007-01-31", "2008-02-29", false},
        // Any other range, or a monthly date that cannot be read, is never due.
        DueCase{"每年", "2007-01-15", "2007-01-15", false}, DueCase{"", "2007-01-15", "2007-01-15", false},
        DueCase{"当天 ", "2007-01-15", "2007-01-15", false}, DueCase{"每月", "abc", "2007-01-15", false}));

const QChar kCr(13);

TEST(Notice, ListsEachDueEventFollowedByItsStarLineInTableOrder) {
    const QList<Reminder> rows{{1, "2007-01-15", "当天", "交水费"},
                               {2, "2007-01-14", "当天", "昨天的事"},
                               {3, "2001-05-15", "每月", "还房贷\n记得带卡"},
                               {4, "2001-05-16", "每月", "不是今天"}};
    const QStringList due = DueContents(rows, QDate(2007, 1, 15));
    EXPECT_EQ(due, QStringList({"交水费", "还房贷\n记得带卡"}));

    const QString star = QStringLiteral("★   ＊＊＊＊＊＊＊＊＊＊＊＊＊＊＊   ★");
    EXPECT_EQ(NoticeText(due), QStringLiteral("注意：今天提醒事情如下：") + kCr + star + kCr +
                                   QStringLiteral("交水费") + kCr + star + kCr +
                                   QStringLiteral("还房贷\n记得带卡") + kCr + star + kCr);
    EXPECT_EQ(star.count(QChar(0xFF0A)), 15);
    EXPECT_FALSE(NoticeText(due).contains(QLatin1Char('\r') + QStringLiteral("\n")));
}

TEST(Notice, AnEmptyContentStillMakesANotice) {
    const QString text = NoticeText({QString()});
    EXPECT_EQ(text, kNoticeHeading + kCr + kStarLine + kCr + kCr + kStarLine + kCr);
    EXPECT_TRUE(NoticeText({}).isEmpty());
}

TEST(ShowTodayReminders, ShowsNoBoxWhenTheTableIsEmptyOrNothingIsDue) {
    TestHousehold h;
    ScriptedPrompt prompt;
    ShowTodayReminders(h.database.connection());
    h.exec("insert into tixing (riqi,fanwei,neirong) values ('2007-01-14','当天','昨天')");
    h.exec("insert into tixing (riqi,fanwei,neirong) values ('2007-01-31','每月','月底')");
    ShowTodayReminders(h.database.connection());
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

TEST(ShowTodayReminders, ShowsTheDueEventsInOneExclamationBox) {
    TestHousehold h;  // today is 2007-01-15
    ScriptedPrompt prompt;
    h.exec("insert into tixing (riqi,fanwei,neirong) values ('2007-01-15','当天','交水费')");
    h.exec("insert into tixing (riqi,fanwei,neirong) values ('2007-01-16','当天','明天')");
    h.exec("insert into tixing (riqi,fanwei,neirong) values ('2030-06-01','每天',NULL)");
    ShowTodayReminders(h.database.connection());
    ASSERT_EQ(prompt.boxes().size(), 1);
    const ScriptedPrompt::Box& box = prompt.boxes()[0];
    EXPECT_EQ(box.caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(box.buttons, Prompt::Buttons::Ok);
    EXPECT_EQ(box.icon, Prompt::Icon::Warning);
    EXPECT_EQ(box.text, NoticeText({QStringLiteral("交水费"), QString()}));
}

TEST(ShowTodayReminders, ReportsADatabaseErrorInsteadOfANotice) {
    TestHousehold h;
    ScriptedPrompt prompt;
    h.exec("drop table tixing");
    ShowTodayReminders(h.database.connection());
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Tamberlo"));
}

}  // namespace
