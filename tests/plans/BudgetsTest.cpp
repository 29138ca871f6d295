#include "plans/Budgets.h"
#include "support/TestEngine.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

class BudgetsOnBothEngines : public ::testing::TestWithParam<TestEngine> {
  protected:
    void spend(const char* detail, qint64 yuan, const char* date, const char* type = "zhichu") {
        th.exec(QStringLiteral(
                    "insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values ('%1','%2',%3,'%4')")
                    .arg(QString::fromLatin1(type), QString::fromUtf8(detail))
                    .arg(yuan * Money::kUnitsPerYuan)
                    .arg(QString::fromLatin1(date)));
    }
    qint64 budget(const char* detail, const char* everyMonth, bool rollover, QDate start,
                  QList<QPair<int, QString>> months = {}, int year = 0) {
        BudgetInput input;
        input.wholeMonth = QString::fromUtf8(detail).isEmpty();
        input.detail = QString::fromUtf8(detail);
        input.everyMonth = QString::fromUtf8(everyMonth);
        input.rollover = rollover;
        input.start = start;
        input.months = months;
        input.year = year;
        const Result<qint64> saved = SaveBudget(th.database, input);
        EXPECT_TRUE(saved.isOk()) << saved.error().toStdString();
        return saved.isOk() ? saved.value() : 0;
    }
    QList<BudgetUse> use(QDate month) {
        const Result<QList<BudgetUse>> uses = ReadUseOfMonth(th.database.connection(), month);
        EXPECT_TRUE(uses.isOk()) << uses.error().toStdString();
        return uses.isOk() ? uses.value() : QList<BudgetUse>();
    }

    TestHousehold th;
};

// What is left of a month, or overspent, is carried into the next one from the budget's first month
// on, also from December into January; a month's own amount replaces the usual one; income counts not.
TEST_P(BudgetsOnBothEngines, RolloverCarriesAcrossTheYearEnd) {
    budget("午饭", "1000", true, QDate(2006, 11, 1), {{1, QStringLiteral("1200")}}, 2007);
    budget("", "2000", false, QDate(2007, 1, 1));
    spend("午饭", 800, "2006-11-30");
    spend("午饭", 1300, "2006-12-31");
    spend("午饭", 500, "2007-01-01");
    spend("房租", 1200, "2007-01-31");
    spend("午饭", 9999, "2007-01-10", "shouru");

    const QList<BudgetUse> january = use(QDate(2007, 1, 20));
    ASSERT_EQ(january.size(), 2);
    EXPECT_EQ(january[0].detail, QString());  // the whole month first
    EXPECT_EQ(january[0].spent, Money::fromYuan(1700));
    EXPECT_EQ(january[0].level, BudgetLevel::Amber);
    const BudgetUse& lunch = january[1];
    EXPECT_EQ(lunch.amount, Money::fromYuan(1200));
    EXPECT_EQ(lunch.carried, Money::fromYuan(-100));  // +200 from November, -300 from December
    EXPECT_EQ(lunch.budget, Money::fromYuan(1100));
    EXPECT_EQ(lunch.left, Money::fromYuan(600));
    EXPECT_EQ(lunch.level, BudgetLevel::Green);

    const QList<BudgetUse> december = use(QDate(2006, 12, 1));
    EXPECT_EQ(december[1].budget, Money::fromYuan(1200));
    EXPECT_EQ(december[1].level, BudgetLevel::Red);
    EXPECT_EQ(use(QDate(2007, 2, 1))[1].budget, Money::fromYuan(1600));  // 600 carried on
    const Result<QString> line = BudgetLineOfMonth(th.database.connection(), QDate(2007, 1, 15));
    EXPECT_EQ(line.value(), QStringLiteral("本月预算：已用 ￥1700.00 / ￥2000.00（85%）"));
    const Result<QStringList> over = OverBudgetLines(th.database.connection(), QDate(2006, 12, 5));
    ASSERT_EQ(over->size(), 1);
    EXPECT_TRUE(over->first().contains(QStringLiteral("午饭"))) << over->first().toStdString();

    // The year against its budgets in a file for its owner only.
    const QString path = th.home.path() + QStringLiteral("/budgets.csv");
    const Result<int> rows = ExportBudgetsToCsv(th.database.connection(), 2007, path);
    ASSERT_TRUE(rows.isOk()) << rows.error().toStdString();
    EXPECT_EQ(rows.value(), 24);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines[2], QStringLiteral("2007-01,午饭,1100,500,600"));
    EXPECT_EQ(file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
              QFileDevice::Permissions());
}

// Each threshold is said once in a month, the higher one alone when a save passes both; a new month
// says them again.
TEST_P(BudgetsOnBothEngines, AlertsAreSaidOncePerThresholdAndMonth) {
    budget("午饭", "100", false, QDate(2007, 1, 1));
    const auto alerts = [this](const char* detail, QDate day) {
        const Result<QStringList> said = BudgetAlerts(th.database, QString::fromUtf8(detail), day);
        EXPECT_TRUE(said.isOk()) << said.error().toStdString();
        return said.isOk() ? said.value() : QStringList();
    };
    spend("午饭", 50, "2007-01-03");
    EXPECT_TRUE(alerts("午饭", QDate(2007, 1, 3)).isEmpty());
    spend("晚饭", 500, "2007-01-03");
    EXPECT_TRUE(alerts("晚饭", QDate(2007, 1, 3)).isEmpty());  // no budget of its own, none in all
    spend("午饭", 35, "2007-01-04");
    QStringList said = alerts("午饭", QDate(2007, 1, 4));
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said[0].contains(QStringLiteral("85%"))) << said[0].toStdString();
    EXPECT_TRUE(alerts("午饭", QDate(2007, 1, 4)).isEmpty());
    spend("午饭", 20, "2007-01-05");
    said = alerts("午饭", QDate(2007, 1, 5));
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said[0].contains(QStringLiteral("超出了预算"))) << said[0].toStdString();
    spend("午饭", 20, "2007-01-06");
    EXPECT_TRUE(alerts("午饭", QDate(2007, 1, 6)).isEmpty());
    spend("午饭", 150, "2007-02-01");
    said = alerts("午饭", QDate(2007, 2, 1));
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said[0].contains(QStringLiteral("2007年2月"))) << said[0].toStdString();
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from yusuan_tixing")).toInt(), 4);
}

// Bad input is refused with a message saying what to do, and nothing is stored.
TEST_P(BudgetsOnBothEngines, BadInputIsRefusedAndNothingStored) {
    struct Case {
        bool whole;
        const char* detail;
        const char* amount;
        int month;
        const char* says;
    } cases[] = {
        {false, "  ", "100", 0, "请填写预算的明细"},
        {false, "午饭", "-5", 0, "负数"},
        {false, "午饭", "10000000000", 0, "1,000,000,000"},
        {false, "午饭", "abc", 0, "无法识别"},
        {false, "午饭", "", 13, "1 到 12"},
        {false, "午饭", "100", -1, "1 到 12"},
        {true, "", "", 0, "至少一个月份"},
    };
    for (const Case& c : cases) {
        BudgetInput input;
        input.wholeMonth = c.whole;
        input.detail = QString::fromUtf8(c.detail);
        input.start = QDate(2007, 1, 1);
        input.year = 2007;
        if (c.month != 0)
            input.months = {{c.month == -1 ? 0 : c.month, QString::fromUtf8(c.amount)}};
        else
            input.everyMonth = QString::fromUtf8(c.amount);
        const Result<qint64> saved = SaveBudget(th.database, input);
        ASSERT_FALSE(saved.isOk()) << c.says;
        EXPECT_TRUE(saved.error().contains(QString::fromUtf8(c.says))) << saved.error().toStdString();
    }
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from yusuan")).toInt(), 0);
    budget("午饭", "100", false, QDate(2007, 1, 1));
    BudgetInput twin;
    twin.detail = QStringLiteral("午饭");
    twin.everyMonth = QStringLiteral("200");
    twin.start = QDate(2007, 1, 1);
    const Result<qint64> again = SaveBudget(th.database, twin);
    ASSERT_FALSE(again.isOk());
    EXPECT_TRUE(again.error().contains(QStringLiteral("已经有预算"))) << again.error().toStdString();
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from yusuan")).toInt(), 1);
}

TAMBERLO_ON_BOTH_ENGINES(BudgetsOnBothEngines);

}  // namespace
