// The 预算 window driven by its objectNames, and the notice after a save.
#include "kit/BarChart.h"
#include "plans/BudgetWindow.h"
#include "support/FindChild.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

namespace {

class BudgetWindowTest : public ::testing::Test {
  protected:
    void spend(const char* detail, qint64 yuan, const char* date) {
        th.exec(
            QStringLiteral(
                "insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values ('zhichu','%1',%2,'%3')")
                .arg(QString::fromUtf8(detail))
                .arg(yuan * Money::kUnitsPerYuan)
                .arg(QString::fromLatin1(date)));
    }
    void budget(const char* detail, qint64 yuan) {
        th.exec(
            QStringLiteral("insert into yusuan (mingxi,meiyue,jiezhuan,qishi) values ('%1',%2,0,'2007-01')")
                .arg(QString::fromUtf8(detail))
                .arg(yuan * Money::kUnitsPerYuan));
    }
    TestHousehold th;
    ScriptedPrompt prompt;
};

// The month lists each budget with its bar's level; ◀ and ▶ move by a month; a budget typed in the
// boxes is stored only when it reads and the gate lets it.
TEST_F(BudgetWindowTest, MonthShowsLevelsMovesAndStoresTypedBudgets) {
    budget("交通", 100);
    budget("午饭", 100);
    budget("房租", 1000);
    spend("午饭", 50, "2007-01-03");
    spend("房租", 850, "2007-01-05");
    spend("交通", 150, "2007-01-06");

    BudgetWindow window(th.household, QDate(2007, 1, 15));
    window.show();
    auto* grid = child<QTableWidget>(&window, "BudgetGrid");
    auto* month = child<QLabel>(&window, "BudgetMonth");
    EXPECT_EQ(month->text(), QStringLiteral("2007年1月"));
    ASSERT_EQ(grid->rowCount(), 3);
    const auto row = [grid](int r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells << grid->item(r, c)->text();
        return cells.join(QLatin1Char('|')) +
               QStringLiteral("|%1").arg(grid->item(r, 4)->data(Qt::UserRole + 1).toInt());
    };
    EXPECT_EQ(row(0), QStringLiteral("交通|￥100.00|￥150.00|-￥50.00|150%|2"));
    EXPECT_EQ(row(1), QStringLiteral("午饭|￥100.00|￥50.00|￥50.00|50%|0"));
    EXPECT_EQ(row(2), QStringLiteral("房租|￥1000.00|￥850.00|￥150.00|85%|1"));

    child<QPushButton>(&window, "BudgetForward")->click();
    EXPECT_EQ(month->text(), QStringLiteral("2007年2月"));
    EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("￥0.00"));
    child<QPushButton>(&window, "BudgetBack")->click();
    child<QPushButton>(&window, "BudgetBack")->click();
    EXPECT_EQ(month->text(), QStringLiteral("2006年12月"));
    child<QTabWidget>(&window, "BudgetPages")->setCurrentIndex(1);
    EXPECT_EQ(month->text(), QStringLiteral("2006年"));
    EXPECT_EQ(child<BarChart>(&window, "BudgetYearChart")->bars().size(), 24);
    child<QTabWidget>(&window, "BudgetPages")->setCurrentIndex(0);

    child<QPushButton>(&window, "BudgetNew")->click();
    child<QComboBox>(&window, "BudgetDetail")->setCurrentText(QStringLiteral("水电"));
    child<QLineEdit>(&window, "BudgetEveryMonth")->setText(QStringLiteral("-300"));
    child<QPushButton>(&window, "BudgetSave")->click();
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("负数")));
    EXPECT_EQ(grid->rowCount(), 3);
    th.refuse = {QStringLiteral("支出管理")};
    child<QLineEdit>(&window, "BudgetEveryMonth")->setText(QStringLiteral("300"));
    child<QPushButton>(&window, "BudgetSave")->click();
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from yusuan")).toInt(), 3);
    th.refuse.clear();
    child<QPushButton>(&window, "BudgetSave")->click();
    EXPECT_EQ(grid->rowCount(), 4);
    EXPECT_EQ(th.scalar(QStringLiteral("select meiyue from yusuan where mingxi='水电'")).toLongLong(),
              Money::fromYuan(300).units());
}

// The notice after a save is an information box, said once for a threshold in the month.
TEST_F(BudgetWindowTest, AlertIsANoticeSaidOnce) {
    budget("午饭", 100);
    spend("午饭", 90, "2007-01-03");
    SayBudgetAlerts(th.database, QStringLiteral("午饭"), QDate(2007, 1, 3));
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].icon, Prompt::Icon::Information);
    EXPECT_TRUE(prompt.boxes()[0].text.startsWith(QStringLiteral("预算提醒：")));
    SayBudgetAlerts(th.database, QStringLiteral("午饭"), QDate(2007, 1, 3));
    EXPECT_EQ(prompt.boxes().size(), 1);
}

}  // namespace
