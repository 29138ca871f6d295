// 导入记录, 明细规则 and the column mapping of a CSV of no known layout, driven by their objectNames.
#include "ImportRows.h"
#include "bills/BillRules.h"
#include "bills/ColumnMappingDialog.h"
#include "bills/ImportRecordsWindow.h"
#include "bills/RulesWindow.h"
#include "support/FindChild.h"
#include "support/ModalDriver.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>

namespace {

class ImportWindowsTest : public ::testing::Test {
  protected:
    TestHousehold th;
    ScriptedPrompt prompt;
};

// 撤销这次导入 needs both rights, asks naming the file and the lines, then lists the import as undone.
TEST_F(ImportWindowsTest, RecordsUndoAnImportAfterTheGateAndAQuestion) {
    ImportRows rows(th, QStringLiteral("微信支付账单.csv"), QStringLiteral("weixin"),
                    QStringLiteral("2007-01-12 09:00:00"), 2);
    rows.entry("zhichu", QStringLiteral("打车"), Money::fromYuan(20).units(), 1);
    rows.entry("zhichu", QStringLiteral("午饭"), Money::fromYuan(15).units(), 1);
    th.exec(QStringLiteral("update zhangwubiao set jine=%1").arg(Money::fromYuan(65).units()));

    ImportRecordsWindow window(th.household);
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("导入记录"));
    auto* grid = child<QTableWidget>(&window, "importGrid");
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("微信支付账单.csv"));
    EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("微信支付帐单"));
    EXPECT_EQ(grid->item(0, 3)->text(), QStringLiteral("2"));
    EXPECT_EQ(grid->item(0, 5)->text(), QStringLiteral("已导入"));
    auto* undo = child<QPushButton>(&window, "importUndo");

    th.refuse = QStringList{QStringLiteral("支出管理")};
    undo->click();
    EXPECT_EQ(th.gateAsked, (QStringList{QStringLiteral("收入管理"), QStringLiteral("支出管理")}));
    EXPECT_TRUE(prompt.boxes().isEmpty());

    th.refuse.clear();
    undo->click();  // answered 否
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_TRUE(prompt.texts()[0].contains(QStringLiteral("“微信支付账单.csv”")));
    EXPECT_TRUE(prompt.texts()[0].contains(QStringLiteral("新增的 2 笔")));
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(), 2);

    prompt.clear();
    prompt.answerNext(Prompt::Answer::Yes);
    undo->click();
    ASSERT_EQ(prompt.boxes().size(), 2);
    EXPECT_EQ(prompt.texts()[1],
              QStringLiteral("已撤销导入“微信支付账单.csv”：2 笔收支移入了回收站，0 笔转帐已取消。"));
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(), 0);
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(100));
    EXPECT_EQ(grid->item(0, 5)->text(), QStringLiteral("已撤销"));
    EXPECT_FALSE(undo->isEnabled());

    // An import onto a card closed since: the card is opened again only when the user says so.
    const qint64 card = th.addBankCard(QStringLiteral("旧卡"), Money::fromYuan(9).units());
    ImportRows later(th, QStringLiteral("旧卡.ofx"), QStringLiteral("ofx"),
                     QStringLiteral("2007-01-13 09:00:00"), 1);
    later.entry("shouru", QStringLiteral("利息"), Money::fromYuan(9).units(), card);
    th.exec(QStringLiteral("update zhangwubiao set guanbi=1 where id=%1").arg(card));
    window.reload();
    prompt.clear();
    prompt.answerNext(Prompt::Answer::Yes);  // the question before, then 否 to reopening
    undo->click();
    ASSERT_EQ(prompt.boxes().size(), 2);
    EXPECT_EQ(prompt.texts()[1],
              QStringLiteral("这次导入用到的帐户“旧卡”已关闭。要重新启用“旧卡”并撤销这次导入吗？\n"
                             "选“否”则什么也不改变。"));
    EXPECT_EQ(grid->item(0, 5)->text(), QStringLiteral("已导入"));
    prompt.clear();
    prompt.answerNext(Prompt::Answer::Yes);
    prompt.answerNext(Prompt::Answer::Yes);
    undo->click();
    EXPECT_EQ(grid->item(0, 5)->text(), QStringLiteral("已撤销"));
    EXPECT_EQ(th.scalar(QStringLiteral("select jine from zhangwubiao where id=%1").arg(card)).toLongLong(),
              0);
    EXPECT_EQ(th.scalar(QStringLiteral("select guanbi from zhangwubiao where id=%1").arg(card)).toInt(), 0);
}

// Anyone may look; changing a rule needs one of the two rights, and a refusal is shown as it is worded.
TEST_F(ImportWindowsTest, RulesAreAddedChangedAndDeletedInTheRulesWindow) {
    ASSERT_TRUE(
        SaveRule(th.database, {0, QStringLiteral("滴滴"), EntryType::Expense, QStringLiteral("交通")}));
    RulesWindow window(th.household);
    window.show();
    auto* grid = child<QTableWidget>(&window, "rulesGrid");
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("支出"));
    EXPECT_EQ(child<QLineEdit>(&window, "ruleDetail")->text(), QStringLiteral("交通"));

    // The same keyword for the same direction is refused with the logic's words.
    child<QPushButton>(&window, "ruleAdd")->click();
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_TRUE(prompt.texts()[0].contains(QStringLiteral("已有一条支出规则")));

    child<QLineEdit>(&window, "ruleKeyword")->setText(QStringLiteral("星巴克咖啡"));
    child<QComboBox>(&window, "ruleType")->setCurrentIndex(1);
    child<QLineEdit>(&window, "ruleDetail")->setText(QStringLiteral("退款"));
    child<QPushButton>(&window, "ruleAdd")->click();
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("星巴克咖啡"));  // the longest first, and chosen
    EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("收入"));

    child<QLineEdit>(&window, "ruleDetail")->setText(QStringLiteral("其他收入"));
    child<QPushButton>(&window, "ruleChange")->click();
    EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("其他收入"));

    // Without either right nothing changes.
    th.refuse = QStringList{QStringLiteral("收入管理"), QStringLiteral("支出管理")};
    prompt.answerNext(Prompt::Answer::Yes);
    child<QPushButton>(&window, "ruleDelete")->click();
    EXPECT_EQ(grid->rowCount(), 2);
    th.refuse.clear();
    child<QPushButton>(&window, "ruleDelete")->click();
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(ReadRules(th.database.connection())->size(), 1);
}

// The header line and the columns chosen come back as the mapping, saved under its name; a saved
// mapping fills the choices when picked.
TEST_F(ImportWindowsTest, TheMappingDialogReturnsAndSavesTheMappingChosen) {
    CsvSample sample;
    sample.encoding = QStringLiteral("UTF-8");
    sample.lines = {{QStringLiteral("农商银行 账户明细")},
                    {QStringLiteral("账号"), QStringLiteral("6222****1234")},
                    {QStringLiteral("记账日期"), QStringLiteral("摘要"), QStringLiteral("存入"),
                     QStringLiteral("支取"), QStringLiteral("对方户名"), QStringLiteral("流水号")},
                    {QStringLiteral("2007-01-02"), QStringLiteral("工资"), QStringLiteral("5000.00"),
                     QString(), QStringLiteral("某公司"), QStringLiteral("A1")}};

    WhenModal([](QWidget* dialog) {
        EXPECT_EQ(child<QSpinBox>(dialog, "mappingHeaderLine")->value(), 3);
        EXPECT_EQ(child<QComboBox>(dialog, "mappingDate")->currentText(), QStringLiteral("记账日期"));
        child<QPushButton>(dialog, "mappingSave")->click();  // no name, no amount: refused, stays open
        child<QRadioButton>(dialog, "mappingTwoColumns")->setChecked(true);
        child<QComboBox>(dialog, "mappingIncome")->setCurrentText(QStringLiteral("存入"));
        child<QComboBox>(dialog, "mappingExpense")->setCurrentText(QStringLiteral("支取"));
        child<QComboBox>(dialog, "mappingDescription")->setCurrentText(QStringLiteral("摘要"));
        child<QComboBox>(dialog, "mappingNumber")->setCurrentText(QStringLiteral("流水号"));
        child<QLineEdit>(dialog, "mappingName")->setText(QStringLiteral("农商行"));
        child<QPushButton>(dialog, "mappingSave")->click();
    });
    const std::optional<ColumnMapping> chosen = AskColumnMapping(nullptr, th.database, sample);
    ASSERT_EQ(prompt.boxes().size(), 1);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->name, QStringLiteral("农商行"));
    EXPECT_EQ(chosen->headerLine, 3);
    EXPECT_EQ(chosen->date, QStringLiteral("记账日期"));
    EXPECT_TRUE(chosen->amount.isEmpty());
    EXPECT_EQ(chosen->income, QStringLiteral("存入"));
    EXPECT_EQ(chosen->expense, QStringLiteral("支取"));
    EXPECT_EQ(chosen->description, QStringLiteral("摘要"));
    EXPECT_TRUE(chosen->counterparty.isEmpty());
    EXPECT_EQ(chosen->number, QStringLiteral("流水号"));
    ASSERT_EQ(ReadMappings(th.database.connection())->size(), 1);

    // Next time the saved mapping is offered and picking it fills every choice.
    WhenModal([](QWidget* dialog) {
        child<QComboBox>(dialog, "mappingSaved")->setCurrentIndex(1);
        EXPECT_EQ(child<QLineEdit>(dialog, "mappingName")->text(), QStringLiteral("农商行"));
        EXPECT_TRUE(child<QRadioButton>(dialog, "mappingTwoColumns")->isChecked());
        EXPECT_EQ(child<QComboBox>(dialog, "mappingExpense")->currentText(), QStringLiteral("支取"));
        child<QPushButton>(dialog, "mappingCancel")->click();
    });
    EXPECT_FALSE(AskColumnMapping(nullptr, th.database, sample).has_value());
}

}  // namespace
