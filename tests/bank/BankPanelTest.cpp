#include "app/mainForm.h"
#include "bank/BankPanel.h"
#include "data/Money.h"
#include "kit/BarChart.h"
#include "kit/DataGrid.h"
#include "support/FindChild.h"
#include "support/ModalDriver.h"
#include "support/PickDate.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

// The panel over a household with 800 at home and 500 in 工商银行 (rows in that order).
class BankPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h.exec(QStringLiteral("update zhangwubiao set jine=8000000"));
        h.exec(QStringLiteral("insert into zhangwubiao (mingcheng, jine) values ('工商银行', 5000000)"));
        ASSERT_TRUE(h.homeSafe.ReadHomeSafeBalance().isOk());
        panel.resize(900, 500);
        panel.show();
        panel.setFooterTotalShown(true);
        panel.broughtToFront();
        grid = child<DataGrid>(&panel, "DBGridEh3");
    }
    void click(const char* name) { QTest::mouseClick(child<QToolButton>(&panel, name), Qt::LeftButton); }
    QWidget* amountPanel() { return child<QWidget>(&panel, "Panel19"); }
    QLineEdit* edit1() { return child<QLineEdit>(&panel, "Edit1"); }

    TestHousehold h;
    ScriptedPrompt prompt;
    BankPanel panel{h.household};
    DataGrid* grid = nullptr;
};

// Balances near the edge of an amount: the footer adds them exactly or says in Chinese that the total
// is too large, and the amount box takes full-width digits.
TEST_F(BankPanelTest, FooterTotalNeverWrapsAndTheAmountBoxTakesFullWidthDigits) {
    h.exec(QStringLiteral("update zhangwubiao set jine=4611686018427387903"));
    panel.broughtToFront();
    EXPECT_EQ(grid->footerSum(), QStringLiteral("￥922337203685477.58"));
    h.exec(
        QStringLiteral("insert into zhangwubiao (mingcheng, jine) values ('建设银行', 9000000000000000000)"));
    panel.broughtToFront();
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_TRUE(grid->footerSum().contains(QStringLiteral("过大"))) << grid->footerSum().toStdString();

    grid->setCurrentRow(1);
    click("SpeedButton25");
    TypeKeys(edit1(), QStringLiteral("１００．５ａ"));
    EXPECT_EQ(edit1()->text(), QStringLiteral("100.5"));
}

TEST_F(BankPanelTest, ListsPlacesWithFooterTotalChartAndColumnWidths) {
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->cellText(1, 0), QStringLiteral("工商银行"));
    EXPECT_EQ(grid->cellText(1, 1), QStringLiteral("￥500.00"));
    EXPECT_EQ(grid->footerText(), QStringLiteral("总金额："));
    EXPECT_EQ(grid->footerSum(), QStringLiteral("￥1300.00"));
    auto* chart = child<BarChart>(&panel, "Chart4");
    EXPECT_EQ(chart->title(), QStringLiteral("资金图表"));
    EXPECT_EQ(chart->valueMarks(), QStringList({"￥800.00", "￥500.00"}));

    for (int width : {400, 517}) {
        grid->resize(width, 200);
        const int g = (width - 160) / 3;
        EXPECT_EQ(grid->columnWidth(0), 2 * g - 30);
        EXPECT_EQ(grid->columnWidth(1), g + 30);
        EXPECT_EQ(grid->columnWidth(2), 100);
    }
    panel.setFooterTotalShown(false);
    EXPECT_EQ(grid->footerSum(), QString());
}

TEST_F(BankPanelTest, DepositKeepsTheCapturedBankAndRefreshesEverything) {
    grid->setCurrentRow(1);
    click("SpeedButton25");
    EXPECT_EQ(h.gateAsked, QStringList({"存款"}));
    ASSERT_TRUE(amountPanel()->isVisible());
    EXPECT_EQ(child<QLabel>(&panel, "Label25")->text(), QStringLiteral("工商银行"));
    EXPECT_EQ(child<QLabel>(&panel, "Label28")->text(), QStringLiteral("￥500.00"));
    EXPECT_TRUE(child<QToolButton>(&panel, "SpeedButton28")->isVisible());
    EXPECT_FALSE(child<QToolButton>(&panel, "SpeedButton29")->isVisible());

    // Letters never reach the amount box.
    QTest::keyClicks(edit1(), QStringLiteral("1x0Z0"));
    EXPECT_EQ(edit1()->text(), QStringLiteral("100"));
    grid->setCurrentRow(0);  // the home safe is selected meanwhile
    click("SpeedButton28");

    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Tamberlo"));
    EXPECT_EQ(prompt.boxes()[0].text, QStringLiteral("存款完成！"));
    EXPECT_FALSE(amountPanel()->isVisible());
    EXPECT_EQ(grid->cellText(0, 1), QStringLiteral("￥700.00"));
    EXPECT_EQ(grid->cellText(1, 1), QStringLiteral("￥600.00"));
    EXPECT_EQ(grid->footerSum(), QStringLiteral("￥1300.00"));
    EXPECT_EQ(child<BarChart>(&panel, "Chart4")->valueMarks(), QStringList({"￥700.00", "￥600.00"}));
    EXPECT_EQ(h.scalar(QStringLiteral("select mingcheng||caozuoren from yinghanbiao")).toString(),
              QStringLiteral("工商银行管理员"));
}

// The kind of every place beside it, a closed one marked, and the three figures under the list follow
// a deposit from a credit card's debt.
TEST_F(BankPanelTest, KindsAndTheFiguresFollowAMove) {
    h.exec(QStringLiteral(
        "insert into zhangwubiao (mingcheng, jine, leibie, edu) values ('招商信用卡', -3000000, "
        "'xinyongka', 100000000)"));
    h.exec(QStringLiteral("insert into zhangwubiao (mingcheng, jine, guanbi) values ('旧存折', 0, 1)"));
    panel.broughtToFront();
    ASSERT_EQ(grid->model()->rowCount(), 4);
    EXPECT_EQ(grid->cellText(0, 2), QStringLiteral("现金"));
    EXPECT_EQ(grid->cellText(1, 2), QStringLiteral("银行卡"));
    EXPECT_EQ(grid->cellText(2, 2), QStringLiteral("信用卡"));
    EXPECT_EQ(grid->cellText(3, 2), QStringLiteral("银行卡（已关闭）"));
    const auto figures = [&] {
        return QStringList{child<QLabel>(&panel, "LabelAssets")->text(),
                           child<QLabel>(&panel, "LabelOwed")->text(),
                           child<QLabel>(&panel, "LabelNetWorth")->text()};
    };
    EXPECT_EQ(figures(), QStringList({"资产：￥1,300.00", "信用卡欠款：￥300.00", "净资产：￥1,000.00"}));

    grid->setCurrentRow(2);
    click("SpeedButton25");
    edit1()->setText(QStringLiteral("100"));
    click("SpeedButton28");
    EXPECT_EQ(figures(), QStringList({"资产：￥1,200.00", "信用卡欠款：￥200.00", "净资产：￥1,000.00"}));

    // In the smallest window, with the amount panel open, no figure is cut off under the list.
    click("SpeedButton25");
    panel.setMinimumSize(1, 1);  // as inside the main window, whose work area does not grow for it
    QFont large = panel.font();  // the desktop's Chinese font takes about twice the width of the tests'
    large.setPointSize(large.pointSize() * 2);
    panel.setFont(large);
    panel.resize(650, 460);
    QApplication::processEvents();
    for (const char* name : {"LabelAssets", "LabelOwed", "LabelNetWorth"}) {
        const QLabel* label = child<QLabel>(&panel, name);
        EXPECT_GE(label->width(), label->sizeHint().width()) << name;
        EXPECT_LE(label->geometry().right(), grid->geometry().right()) << name;
    }
    EXPECT_GT(grid->columnWidth(0), 30);  // the names still show
}

TEST_F(BankPanelTest, RefusalsLeaveThePanelAsItWas) {
    // The gate comes first: with the home safe selected only the gate speaks.
    h.refuse = QStringList({"取款"});
    grid->setCurrentRow(0);
    click("SpeedButton26");
    EXPECT_EQ(h.gateAsked, QStringList({"取款"}));
    EXPECT_TRUE(prompt.boxes().isEmpty());
    EXPECT_FALSE(amountPanel()->isVisible());

    click("SpeedButton25");
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(prompt.boxes()[0].text, QStringLiteral("这是家庭保险柜，不是银行，不能存款！"));
    EXPECT_FALSE(amountPanel()->isVisible());

    // A refused perform keeps the panel open with the typed amount.
    prompt.clear();
    grid->setCurrentRow(1);
    click("SpeedButton25");
    QTest::keyClicks(edit1(), QStringLiteral("900"));
    click("SpeedButton28");
    EXPECT_EQ(prompt.texts(), QStringList({"存款金额高于现有现金额怎么存款？请核查！"}));
    EXPECT_TRUE(amountPanel()->isVisible());
    EXPECT_EQ(edit1()->text(), QStringLiteral("900"));

    // An amount that is no number goes to the error report.
    prompt.clear();
    edit1()->setText(QStringLiteral("1.2.3"));
    click("SpeedButton28");
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Tamberlo"));
    EXPECT_EQ(prompt.boxes()[0].text, TypedAmountRefusal(QStringLiteral("1.2.3")));

    // 离开 hides the panel and changes nothing.
    click("SpeedButton30");
    EXPECT_FALSE(amountPanel()->isVisible());
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from yinghanbiao")).toInt(), 0);
    EXPECT_EQ(h.homeSafe.balance(), Money::fromYuan(800));
}

TEST_F(BankPanelTest, SwitchingModesCapturesTheBankAfresh) {
    h.exec(QStringLiteral("insert into zhangwubiao (mingcheng, jine) values ('建设银行', 100000)"));
    panel.RefreshBankPanel();
    grid->setCurrentRow(1);
    click("SpeedButton25");
    QTest::keyClicks(edit1(), QStringLiteral("5"));
    grid->setCurrentRow(2);
    click("SpeedButton26");
    EXPECT_EQ(child<QLabel>(&panel, "Label25")->text(), QStringLiteral("建设银行"));
    EXPECT_EQ(edit1()->text(), QString());
    EXPECT_TRUE(child<QToolButton>(&panel, "SpeedButton29")->isVisible());
    EXPECT_FALSE(child<QToolButton>(&panel, "SpeedButton28")->isVisible());
    QTest::keyClicks(edit1(), QStringLiteral("10.01"));
    click("SpeedButton29");
    EXPECT_EQ(prompt.texts(), QStringList({"取款金额高于现有银行存款怎么取款？请核查！"}));
    edit1()->setText(QStringLiteral("10"));
    click("SpeedButton29");
    EXPECT_EQ(prompt.texts().last(), QStringLiteral("取款完成！"));
    EXPECT_EQ(grid->cellText(2, 1), QStringLiteral("￥0.00"));
    EXPECT_EQ(h.homeSafe.balance(), Money::fromYuan(810));
}

// 转帐 from the selected place to one chosen among the open others, with a fee; the records window's
// 转帐 grid then shows it with both places.
TEST_F(BankPanelTest, TransferFromTheSelectedPlaceShowsInTheRecords) {
    h.exec(QStringLiteral(
        "insert into zhangwubiao (mingcheng, jine, leibie) values ('支付宝', 0, 'dianziqianbao')"));
    h.exec(QStringLiteral("insert into zhangwubiao (mingcheng, jine, guanbi) values ('旧存折', 0, 1)"));
    panel.RefreshBankPanel();
    grid->setCurrentRow(1);
    click("SpeedButton35");
    ASSERT_TRUE(amountPanel()->isVisible());
    EXPECT_EQ(child<QLabel>(&panel, "Label25")->text(), QStringLiteral("工商银行"));
    EXPECT_TRUE(child<QToolButton>(&panel, "SpeedButton33")->isVisible());
    EXPECT_FALSE(child<QToolButton>(&panel, "SpeedButton28")->isVisible());
    auto* to = child<QComboBox>(&panel, "ComboBoxTransferTo");
    QStringList choices;
    for (int i = 0; i < to->count(); ++i)
        choices.append(to->itemText(i));
    EXPECT_EQ(choices, QStringList({"家庭保险柜（现金）", "支付宝（电子钱包）"}));
    to->setCurrentIndex(1);
    QTest::keyClicks(edit1(), QStringLiteral("100"));
    QTest::keyClicks(child<QLineEdit>(&panel, "EditFee"), QStringLiteral("2"));
    grid->setCurrentRow(0);  // the home safe is selected meanwhile: the paying place stays
    click("SpeedButton33");
    EXPECT_EQ(prompt.texts(), QStringList({"转帐完成！"}));
    EXPECT_FALSE(amountPanel()->isVisible());
    EXPECT_EQ(grid->cellText(1, 1), QStringLiteral("￥398.00"));
    EXPECT_EQ(grid->cellText(2, 1), QStringLiteral("￥100.00"));

    // The deposit mode shows none of the transfer's controls.
    grid->setCurrentRow(1);
    click("SpeedButton25");
    EXPECT_FALSE(to->isVisible());
    EXPECT_FALSE(child<QLineEdit>(&panel, "EditFee")->isVisible());
    EXPECT_FALSE(child<QToolButton>(&panel, "SpeedButton33")->isVisible());

    QStringList shown;
    WhenModal([&shown](QWidget* records) {
        child<QRadioButton>(records, "RadioButton3")->click();
        auto* transfers = child<QTableView>(records, "StringGrid3");
        for (int c = 0; c < transfers->model()->columnCount(); ++c)
            shown.append(transfers->model()->headerData(c, Qt::Horizontal).toString() + QLatin1Char('=') +
                         transfers->model()->index(0, c).data().toString());
        shown.append(QString::number(transfers->isVisible()));
        records->close();
    });
    click("SpeedButton31");
    EXPECT_EQ(shown, QStringList({"转出帐户=工商银行", "转入帐户=支付宝", "金额=￥100.00", "手续费=￥2.00",
                                  "日期=2007-01-15", "操作人=管理员", "1"}));
}

// Transfers need the right the bank panel's moves use: either 存款 or 取款, one refusal without both.
TEST_F(BankPanelTest, TransferNeedsEitherBankRight) {
    grid->setCurrentRow(1);
    h.refuse = QStringList({"存款", "取款"});
    click("SpeedButton35");
    EXPECT_EQ(h.gateAsked, QStringList({"存款"}));
    EXPECT_FALSE(amountPanel()->isVisible());
    for (const char* right : {"存款", "取款"}) {
        h.refuse = QStringList({QString::fromUtf8(right)});
        click("SpeedButton35");
        EXPECT_TRUE(amountPanel()->isVisible()) << right;
        amountPanel()->hide();
    }
    EXPECT_EQ(h.gateAsked, QStringList({"存款"}));
}

// The main window switches the footer on after the login and off at the end, and opens both windows.
TEST(BankInMainWindow, FooterFollowsTheRunAndTheMenuOpensBothWindows) {
    TempHome home;
    ScriptedPrompt prompt;
    TForm1 form(home.path());
    QSignalSpy shown(&form, &TForm1::firstShowingDone);
    LogInWhenAsked(QStringLiteral("001"), QStringLiteral("123"));
    form.show();
    ASSERT_TRUE(shown.wait(5000));
    // The bank panel is built on its first opening, after the login, with the footer the run shows.
    child<QToolButton>(&form, "SpeedButton5")->click();
    auto* grid = child<DataGrid>(&form, "DBGridEh3");
    EXPECT_TRUE(grid->isFooterVisible());

    QStringList opened;
    for (const char* item : {"N37", "N43"}) {
        QTimer::singleShot(0, [&opened] {
            QWidget* modal = QApplication::activeModalWidget();
            opened.append(modal ? modal->objectName() + modal->windowTitle() : QString());
            if (modal)
                modal->close();
        });
        child<QAction>(&form, item)->trigger();
    }
    EXPECT_EQ(opened, QStringList({"Form5银行账务记录表", "Form4银行信息数据维护"}));

    child<QToolButton>(&form, "SpeedButton1")->click();
    EXPECT_FALSE(grid->isFooterVisible());
}

}  // namespace
