#include "kit/Today.h"
#include "plans/CatchUpWindow.h"
#include "plans/RegularWindow.h"
#include "support/FindChild.h"
#include "support/ModalDriver.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include <functional>

namespace {

class RegularWindowTest : public ::testing::Test {
  protected:
    qint64 stored() { return th.scalar(QStringLiteral("select count(*) from dingqishouzhi")).toLongLong(); }

    TestHousehold th;
    ScriptedPrompt prompt;
};

// Each slip is refused with its Chinese message and nothing is stored; the boxes mended, 添加 stores the
// entry, and without 支出管理 an expense is neither added nor deleted.
TEST_F(RegularWindowTest, BadInputIsRefusedInChineseAndNothingStored) {
    RegularWindow window(th.household);
    window.show();
    auto* detail = child<QLineEdit>(&window, "regularDetail");
    auto* amount = child<QLineEdit>(&window, "regularAmount");
    auto* every = child<QSpinBox>(&window, "regularEvery");
    auto* day = child<QSpinBox>(&window, "regularDay");
    auto* endKind = child<QComboBox>(&window, "regularEndKind");
    auto* start = child<QDateEdit>(&window, "regularStart");
    auto* end = child<QDateEdit>(&window, "regularEnd");
    auto* add = child<QPushButton>(&window, "regularAdd");
    const auto sound = [&] {
        detail->setText(QStringLiteral("房租"));
        amount->setText(QStringLiteral("2500"));
        every->setValue(1);
        day->setValue(31);
        endKind->setCurrentIndex(0);
        start->setDate(QDate(2007, 1, 1));
    };
    struct Slip {
        std::function<void()> make;
        const char* message;
    };
    const Slip slips[] = {
        {[&] { detail->clear(); }, "请填写明细"},
        {[&] { amount->setText(QStringLiteral("0")); }, "金额必须大于零"},
        {[&] { amount->setText(QStringLiteral("-5")); }, "金额必须大于零"},
        {[&] { amount->setText(QStringLiteral("1000000000.01")); }, "1,000,000,000"},
        {[&] { amount->setText(QStringLiteral("两千")); }, "两千"},
        {[&] { day->setValue(0); }, "1 到 31"},
        {[&] { day->setValue(32); }, "1 到 31"},
        {[&] { every->setValue(0); }, "间隔必须在 1 到 999"},
        {[&] {
             endKind->setCurrentIndex(1);
             end->setDate(QDate(2006, 12, 31));
         },
         "结束日期早于开始日期"},
    };
    for (const Slip& slip : slips) {
        sound();
        slip.make();
        prompt.clear();
        add->click();
        ASSERT_EQ(prompt.boxes().size(), 1) << slip.message;
        EXPECT_TRUE(prompt.texts()[0].contains(QString::fromUtf8(slip.message)))
            << prompt.texts()[0].toStdString();
        EXPECT_EQ(stored(), 0);
    }

    th.refuse = QStringList{QStringLiteral("支出管理")};
    sound();
    add->click();
    EXPECT_EQ(stored(), 0);
    EXPECT_TRUE(th.gateAsked.contains(QStringLiteral("支出管理")));
    th.refuse.clear();
    prompt.clear();
    add->click();
    EXPECT_TRUE(prompt.boxes().isEmpty());
    ASSERT_EQ(stored(), 1);
    auto* grid = child<QTableWidget>(&window, "regularGrid");
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->item(0, 4)->text(), QStringLiteral("每1个月，月末"));
    EXPECT_EQ(grid->item(0, 7)->text(), QStringLiteral("2007-01-31"));

    th.refuse = QStringList{QStringLiteral("支出管理")};
    prompt.answerNext(Prompt::Answer::Yes);
    child<QPushButton>(&window, "regularDelete")->click();
    EXPECT_EQ(stored(), 1);
    th.refuse.clear();

    // Changed elsewhere since it was listed: the change is refused and the entry shown as it now stands.
    th.exec(QStringLiteral("update dingqishouzhi set jine=30000000"));
    amount->setText(QStringLiteral("2800"));
    prompt.clear();
    child<QPushButton>(&window, "regularChange")->click();
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_TRUE(prompt.texts()[0].contains(QStringLiteral("另一台电脑或另一个窗口改动过")));
    EXPECT_EQ(th.scalar(QStringLiteral("select jine from dingqishouzhi")).toLongLong(), 30000000);
    EXPECT_EQ(amount->text(), QStringLiteral("3000"));
}

// At the catch-up (today 2007-01-15) the salary that enters itself is entered and shown as entered; the
// rent is proposed: the first month skipped, the second entered for a changed amount. Nothing is listed
// the next time.
TEST_F(RegularWindowTest, TheCatchUpListEntersSkipsAndChangesAmounts) {
    const qint64 safe =
        th.scalar(QStringLiteral("select id from zhangwubiao where leibie='xianjin'")).toLongLong();
    RegularEntry salary;
    salary.type = EntryType::Income;
    salary.detail = QStringLiteral("工资");
    salary.amount = Money::fromYuan(8000);
    salary.place = safe;
    salary.schedule = {Schedule::Unit::Month, 1, 10, QDate(2007, 1, 1), std::nullopt, std::nullopt};
    salary.automatic = true;
    ASSERT_TRUE(SaveRegularEntry(th.database, salary).isOk());
    RegularEntry rent = salary;
    rent.type = EntryType::Expense;
    rent.detail = QStringLiteral("房租");
    rent.amount = Money::fromYuan(2500);
    rent.schedule = {Schedule::Unit::Month, 1, 31, QDate(2006, 11, 1), std::nullopt, std::nullopt};
    rent.automatic = false;
    ASSERT_TRUE(SaveRegularEntry(th.database, rent).isOk());

    QStringList shown;
    WhenModal([&](QWidget* window) {
        auto* grid = child<QTableWidget>(window, "catchUpGrid");
        for (int row = 0; row < grid->rowCount(); ++row)
            shown.append(grid->item(row, 0)->text() + QLatin1Char(' ') + grid->item(row, 2)->text() +
                         QLatin1Char(' ') + grid->item(row, 5)->text());
        grid->selectRow(1);
        child<QPushButton>(window, "catchUpSkip")->click();
        grid->item(2, 3)->setText(QStringLiteral("2600"));
        child<QPushButton>(window, "catchUpApply")->click();
    });
    EXPECT_TRUE(RunCatchUp(th.household, nullptr));
    EXPECT_EQ(shown,
              QStringList({"2007-01-10 工资 已自动入帐", "2006-11-30 房租 入帐", "2006-12-31 房租 入帐"}));
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from shouzhibiao")).toLongLong(), 2);
    EXPECT_EQ(th.scalar(QStringLiteral("select feiyong from shouzhibiao where mingxi='房租'")).toLongLong(),
              Money::fromYuan(2600).units());
    EXPECT_EQ(th.scalar(QStringLiteral("select jine from zhangwubiao where id=%1").arg(safe)).toLongLong(),
              Money::fromYuan(8000 - 2600).units());
    EXPECT_EQ(th.settings.readString(QStringLiteral("dingqi"), QStringLiteral("shangci")),
              QStringLiteral("2007-01-15"));

    prompt.clear();
    EXPECT_FALSE(RunCatchUp(th.household, nullptr));  // nothing due: no window
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from shouzhibiao")).toLongLong(), 2);
}

}  // namespace
