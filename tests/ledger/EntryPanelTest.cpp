#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "data/Money.h"
#include "kit/DataGrid.h"
#include "ledger/EntryList.h"
#include "ledger/EntryPanel.h"
#include "support/FindChild.h"
#include "support/InputMethod.h"
#include "support/PickDate.h"
#include "support/ScriptedPrompt.h"
#include "support/TestEngine.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

namespace {

// Drives one entry panel by the names of its controls, as a user would.
class EntryPanelTest : public ::testing::Test {
  protected:
    void open(const EntryPanelConfig& config) {
        panel = std::make_unique<EntryPanel>(th.household, config);
        panel->resize(900, 520);
        panel->show();
        panel->broughtToFront();
    }
    template <typename T>
    T* find(const char* name) {
        return child<T>(panel.get(), name);
    }
    void click(const char* name) { QTest::mouseClick(find<QToolButton>(name), Qt::LeftButton); }
    QString buttons(std::initializer_list<const char*> names) {
        QString states;
        for (const char* n : names)
            states += find<QToolButton>(n)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return states;
    }
    void setBalance(qint64 yuan) {
        th.exec(QStringLiteral("update zhangwubiao set jine=%1").arg(yuan * Money::kUnitsPerYuan));
        ASSERT_TRUE(th.homeSafe.ReadHomeSafeBalance().isOk());
    }
    void addEntry(const char* type, const char* detail, const char* amount, const char* date = "2007-01-15") {
        th.exec(QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi,dengjiren) values "
                               "('%1','%2',%3,'%4','甲')")
                    .arg(QString::fromLatin1(type), QString::fromUtf8(detail))
                    .arg(Money::parse(QString::fromLatin1(amount)).value().units())
                    .arg(QString::fromLatin1(date)));
    }
    QString storedBalance() {
        return Money::fromUnits(th.scalar(QStringLiteral("select jine from zhangwubiao")).toLongLong())
            .format();
    }
    int rows() { return th.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(); }
    void typeEntry(const char* detailBox, const char* amountBox, const char* detail, const char* amount) {
        find<QComboBox>(detailBox)->setEditText(QString::fromUtf8(detail));
        QLineEdit* box = find<QLineEdit>(amountBox);
        box->clear();
        QTest::keyClicks(box, QString::fromLatin1(amount));
    }

    TestHousehold th;
    ScriptedPrompt prompt;
    std::unique_ptr<EntryPanel> panel;
};

constexpr std::initializer_list<const char*> kIncomeButtons = {
    "SpeedButton10", "SpeedButton11", "SpeedButton12", "SpeedButton13", "SpeedButton16"};

TEST_F(EntryPanelTest, AddingAnIncomeStoresItAndRaisesTheHomeSafe) {
    setBalance(500);
    open(EntryPanelConfig::income());
    EXPECT_EQ(find<QLabel>("Label9")->text(), QStringLiteral("恭喜！又有钱入帐"));
    // Open and empty: 添加 and 修改 only.
    EXPECT_EQ(buttons(kIncomeButtons), QStringLiteral("11000"));

    click("SpeedButton10");
    EXPECT_EQ(panel->state(), EntryPanel::State::Adding);
    EXPECT_EQ(buttons(kIncomeButtons), QStringLiteral("00101"));
    EXPECT_FALSE(find<DataGrid>("DBGridEh1")->isEnabled());
    EXPECT_FALSE(find<QRadioButton>("RadioButton14")->isEnabled());
    EXPECT_EQ(find<QLineEdit>("DBEdit2")->text(), QStringLiteral("2007-01-15"));
    EXPECT_EQ(find<QLineEdit>("DBEdit3")->text(), QStringLiteral("管理员"));
    EXPECT_EQ(find<QLineEdit>("DBEdit4")->text(), QStringLiteral("shouru"));

    typeEntry("DBComboBox1", "DBEdit1", "工资", "3000");
    click("SpeedButton12");
    EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(panel->state(), EntryPanel::State::Browsing);
    EXPECT_EQ(buttons(kIncomeButtons), QStringLiteral("11010"));
    EXPECT_EQ(th.homeSafe.balance().format(), QStringLiteral("￥3500.00"));
    EXPECT_EQ(storedBalance(), QStringLiteral("￥3500.00"));
    EXPECT_EQ(th.scalar(QStringLiteral(
                  "select leixing||'/'||mingxi||'/'||shururiqi||'/'||dengjiren from shouzhibiao")),
              QStringLiteral("shouru/工资/2007-01-15/管理员"));
    DataGrid* grid = find<DataGrid>("DBGridEh1");
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(grid->cellText(0, 1), QStringLiteral("￥3000.00"));
    // While browsing the boxes take no input.
    EXPECT_TRUE(find<QLineEdit>("DBEdit1")->isReadOnly());
    EXPECT_FALSE(find<QComboBox>("DBComboBox1")->isEnabled());
}

// The 帐户 choice offers the open places with their kinds (a closed one is shown but not choosable),
// starts on the home safe, then on the place this panel last saved to; the list names each entry's
// place, and 修改 moves an entry to another place.
TEST_F(EntryPanelTest, AnExpenseIsPaidFromThePlaceChosenAndTheNextStartsThere) {
    setBalance(500);
    th.exec(
        QStringLiteral("insert into zhangwubiao (mingcheng,jine,leibie,guanbi) values "
                       "('招商银行',0,'yinhangka',0),('旧卡',0,'yinhangka',1)"));
    const auto balanceOf = [this](const char* name) {
        return Money::fromUnits(th.scalar(QStringLiteral("select jine from zhangwubiao where mingcheng='%1'")
                                              .arg(QString::fromUtf8(name)))
                                    .toLongLong())
            .format();
    };
    open(EntryPanelConfig::expense());
    auto* place = find<QComboBox>("ComboBoxPlace");
    EXPECT_FALSE(place->isEnabled());
    click("SpeedButton17");
    EXPECT_TRUE(place->isEnabled());
    ASSERT_EQ(place->count(), 3);
    EXPECT_EQ(place->currentText(), QStringLiteral("家庭保险柜（现金）"));
    EXPECT_EQ(place->itemText(1), QStringLiteral("招商银行（银行卡）"));
    EXPECT_EQ(place->itemText(2), QStringLiteral("旧卡（银行卡，已关闭）"));
    EXPECT_FALSE(place->model()->flags(place->model()->index(2, 0)) & Qt::ItemIsEnabled);
    place->setCurrentIndex(1);
    typeEntry("DBComboBox2", "DBEdit5", "加油", "300");
    click("SpeedButton21");
    EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(balanceOf("招商银行"), QStringLiteral("-￥300.00"));
    EXPECT_EQ(balanceOf("家庭保险柜"), QStringLiteral("￥500.00"));
    DataGrid* grid = find<DataGrid>("DBGridEh2");
    EXPECT_EQ(grid->cellText(0, 2), QStringLiteral("招商银行"));

    // The next expense starts on the card; this one goes to the home safe instead.
    click("SpeedButton17");
    EXPECT_EQ(place->currentText(), QStringLiteral("招商银行（银行卡）"));
    place->setCurrentIndex(0);
    typeEntry("DBComboBox2", "DBEdit5", "午饭", "20");
    click("SpeedButton21");
    EXPECT_EQ(balanceOf("家庭保险柜"), QStringLiteral("￥480.00"));

    // 修改 moves the fuel to the home safe: the card gets its 300 back.
    grid->setCurrentRow(0);
    EXPECT_EQ(place->currentText(), QStringLiteral("招商银行（银行卡）"));
    click("SpeedButton20");
    place->setCurrentIndex(0);
    click("SpeedButton21");
    EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(balanceOf("招商银行"), QStringLiteral("￥0.00"));
    EXPECT_EQ(balanceOf("家庭保险柜"), QStringLiteral("￥180.00"));
    EXPECT_EQ(th.homeSafe.balance().format(), QStringLiteral("￥180.00"));
}

// A stored expense is told to the budgets (their alerts) with its 明细 and day, an income is not.
TEST_F(EntryPanelTest, ASavedExpenseIsToldToTheBudgets) {
    setBalance(500);
    QStringList told;
    th.household.expenseSaved = [&told](const QString& detail, const QDate& day) {
        told.append(detail + QLatin1Char(' ') + day.toString(Qt::ISODate));
    };
    open(EntryPanelConfig::income());
    click("SpeedButton10");
    typeEntry("DBComboBox1", "DBEdit1", "工资", "3000");
    click("SpeedButton12");
    open(EntryPanelConfig::expense());
    click("SpeedButton17");
    typeEntry("DBComboBox2", "DBEdit5", "午饭", "20");
    click("SpeedButton21");
    EXPECT_EQ(told, QStringList{QStringLiteral("午饭 2007-01-15")});
}

TEST_F(EntryPanelTest, EditingMovesByTheDifferenceAndCancelLeavesAllAsItWas) {
    setBalance(100);
    addEntry("shouru", "工资", "3000");
    open(EntryPanelConfig::income());
    EXPECT_EQ(find<QLineEdit>("DBEdit1")->text(), QStringLiteral("3000"));

    click("SpeedButton11");
    EXPECT_EQ(panel->amountBeforeEdit(), Money::fromYuan(3000));
    EXPECT_EQ(buttons(kIncomeButtons), QStringLiteral("00101"));
    typeEntry("DBComboBox1", "DBEdit1", "工资", "2500");
    click("SpeedButton16");
    EXPECT_EQ(panel->amountBeforeEdit(), Money());
    EXPECT_EQ(find<QLineEdit>("DBEdit1")->text(), QStringLiteral("3000"));
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(100));

    click("SpeedButton11");
    typeEntry("DBComboBox1", "DBEdit1", "工资", "2500");
    click("SpeedButton12");
    EXPECT_EQ(th.homeSafe.balance().format(), QStringLiteral("-￥400.00"));
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(panel->amountBeforeEdit(), Money::fromYuan(3000));  // kept by 保存

    // Bringing the panel up again forgets it.
    panel->broughtToFront();
    EXPECT_EQ(panel->amountBeforeEdit(), Money());
}

TEST_F(EntryPanelTest, ExpenseChecksSayKaizhiAndStopBeforeAnythingChanges) {
    setBalance(50);
    open(EntryPanelConfig::expense());
    EXPECT_EQ(find<QLabel>("Label11")->text(), QStringLiteral("花费明细登记一下吧！"));
    click("SpeedButton17");
    click("SpeedButton21");
    typeEntry("DBComboBox2", "DBEdit5", "午饭", "");
    click("SpeedButton21");
    typeEntry("DBComboBox2", "DBEdit5", "午饭", "1.2.3");
    click("SpeedButton21");
    ASSERT_EQ(prompt.boxes().size(), 3);
    EXPECT_EQ(prompt.texts(), QStringList({"必须输入开支明细！", "必须输入开支金额！",
                                           TypedAmountRefusal(QStringLiteral("1.2.3"))}));
    for (const ScriptedPrompt::Box& box : prompt.boxes()) {
        EXPECT_EQ(box.caption, QStringLiteral("Tamberlo"));
        EXPECT_EQ(box.buttons, Prompt::Buttons::Ok);
    }
    EXPECT_EQ(panel->state(), EntryPanel::State::Adding);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(50));

    // A date that is not a date: reported, nothing moves, and a second 保存 does not move it twice.
    typeEntry("DBComboBox2", "DBEdit5", "午饭", "30");
    find<QLineEdit>("DBEdit6")->setText(QStringLiteral("2007-02-30"));
    prompt.clear();
    click("SpeedButton21");
    click("SpeedButton21");
    EXPECT_EQ(prompt.texts(), QStringList({InvalidDateMessage(QStringLiteral("2007-02-30")),
                                           InvalidDateMessage(QStringLiteral("2007-02-30"))}));
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(50));
    EXPECT_EQ(storedBalance(), QStringLiteral("￥50.00"));
    EXPECT_EQ(rows(), 0);

    // The calendar button writes the picked day; then the save goes through once.
    PickOnCalendar(find<QDateEdit>("DateTimePicker4"), QDate(2007, 1, 14));
    EXPECT_EQ(find<QLineEdit>("DBEdit6")->text(), QStringLiteral("2007-01-14"));
    click("SpeedButton21");
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(20));
    EXPECT_EQ(storedBalance(), QStringLiteral("￥20.00"));
    // Saved with yesterday's date, it stays listed until the list is reloaded.
    EXPECT_EQ(find<DataGrid>("DBGridEh2")->model()->rowCount(), 1);
    panel->broughtToFront();
    EXPECT_EQ(find<DataGrid>("DBGridEh2")->model()->rowCount(), 0);
}

TEST_F(EntryPanelTest, DeletingAsksFirstAndMovesTheHomeSafeBack) {
    setBalance(10);
    addEntry("zhichu", "水电", "45.5");
    addEntry("zhichu", "午饭", "20");
    open(EntryPanelConfig::expense());
    EXPECT_EQ(buttons({"SpeedButton17", "SpeedButton20", "SpeedButton21", "SpeedButton22", "SpeedButton23"}),
              QStringLiteral("11010"));

    click("SpeedButton22");  // answered No by default
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(prompt.boxes()[0].text, QStringLiteral("确信要删除选定项目吗？"));
    EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::YesNo);
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(10));

    prompt.answerNext(Prompt::Answer::Yes);
    click("SpeedButton22");
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(th.homeSafe.balance().format(), QStringLiteral("￥55.50"));
    EXPECT_EQ(storedBalance(), QStringLiteral("￥55.50"));
    EXPECT_EQ(find<QComboBox>("DBComboBox2")->currentText(), QStringLiteral("午饭"));

    prompt.answerNext(Prompt::Answer::Yes);
    click("SpeedButton22");
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(th.homeSafe.balance().format(), QStringLiteral("￥75.50"));
    // Empty now: 删除 is off, 修改 does nothing.
    EXPECT_EQ(buttons({"SpeedButton17", "SpeedButton20", "SpeedButton21", "SpeedButton22", "SpeedButton23"}),
              QStringLiteral("11000"));
    click("SpeedButton20");
    EXPECT_EQ(panel->state(), EntryPanel::State::Browsing);
}

// Another computer changed the row after this panel read it, in any field: 保存 and 删除 are refused,
// the row is shown as it now stands and the home safe stays where it was.
TEST_F(EntryPanelTest, ARowChangedElsewhereIsNeitherOverwrittenNorDeleted) {
    setBalance(100);
    addEntry("shouru", "工资", "3000", "2024-05-31");
    open(EntryPanelConfig::income());
    find<QRadioButton>("RadioButton14")->setChecked(true);  // 全部
    ASSERT_EQ(find<QComboBox>("DBComboBox1")->currentText(), QStringLiteral("工资"));

    click("SpeedButton11");
    th.exec(QStringLiteral("update shouzhibiao set mingxi='奖金', shururiqi='2024-06-01'"));
    click("SpeedButton12");  // the boxes as loaded: 工资, 2024-05-31
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("已被另一个窗口改动")))
        << prompt.boxes()[0].text.toStdString();
    EXPECT_EQ(panel->state(), EntryPanel::State::Browsing);
    EXPECT_EQ(th.scalar(QStringLiteral("select mingxi||'/'||shururiqi from shouzhibiao")),
              QStringLiteral("奖金/2024-06-01"));
    EXPECT_EQ(find<QComboBox>("DBComboBox1")->currentText(), QStringLiteral("奖金"));
    EXPECT_EQ(find<QLineEdit>("DBEdit2")->text(), QStringLiteral("2024-06-01"));
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(100));
    EXPECT_EQ(storedBalance(), QStringLiteral("￥100.00"));

    // Now the remarks change elsewhere while 奖金 is shown: the deletion is refused as well.
    prompt.clear();
    th.exec(QStringLiteral("update shouzhibiao set beizhu='乙改的'"));
    prompt.answerNext(Prompt::Answer::Yes);
    click("SpeedButton13");
    ASSERT_EQ(prompt.boxes().size(), 2);
    EXPECT_TRUE(prompt.boxes()[1].text.contains(QStringLiteral("已被另一个窗口改动")));
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(find<QTextEdit>("DBMemo1")->toPlainText(), QStringLiteral("乙改的"));
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(100));
    EXPECT_EQ(storedBalance(), QStringLiteral("￥100.00"));
}

TEST_F(EntryPanelTest, TheAmountBoxRefusesOtherCharacters) {
    open(EntryPanelConfig::income());
    click("SpeedButton10");
    QLineEdit* amount = find<QLineEdit>("DBEdit1");
    QTest::keyClicks(amount, QStringLiteral("-1a2,.5 +x"));
    EXPECT_EQ(amount->text(), QStringLiteral("-12.5+"));
}

// Chinese arrives through the desktop's input method as preedit text and then a commit, never as key
// presses: each box of a new income or expense takes it and the row is saved with it. The amount box
// reads the full-width digits an input method commits in its full-width mode, and refuses other text
// from it as it refuses typed letters.
TEST_F(EntryPanelTest, TextCommittedByAnInputMethodArrivesInEveryBoxAndIsSaved) {
    for (const EntryPanelConfig* config : {&EntryPanelConfig::income(), &EntryPanelConfig::expense()}) {
        open(*config);
        click(config->addButton);
        CommitThroughInputMethod(find<QComboBox>(config->detailBox)->lineEdit(), QStringLiteral("wucanfei"),
                                 QStringLiteral("午餐费"));
        QLineEdit* amount = find<QLineEdit>(config->amountBox);
        CommitThroughInputMethod(amount, QStringLiteral("sanshi"), QStringLiteral("三十"));
        EXPECT_EQ(amount->text(), QString());
        CommitThroughInputMethod(amount, QString(), QStringLiteral("３０．５"));
        QLineEdit* date = find<QLineEdit>(config->dateBox);
        date->clear();
        CommitThroughInputMethod(date, QString(), QStringLiteral("2007年1月16日"));
        QLineEdit* registrar = find<QLineEdit>(config->registrarBox);
        registrar->clear();
        CommitThroughInputMethod(registrar, QStringLiteral("zhangsan"), QStringLiteral("张三"));
        CommitThroughInputMethod(find<QTextEdit>(config->remarksBox), QStringLiteral("gongshangyinhang"),
                                 QStringLiteral("工商银行"));

        EXPECT_EQ(find<QComboBox>(config->detailBox)->currentText(), QStringLiteral("午餐费"));
        EXPECT_EQ(amount->text(), QStringLiteral("30.5"));
        click(config->saveButton);
        EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(th.scalar(QStringLiteral(
                      "select mingxi||'/'||feiyong||'/'||shururiqi||'/'||dengjiren||'/'||beizhu "
                      "from shouzhibiao order by id desc limit 1")),
                  QStringLiteral("午餐费/305000/2007-01-16/张三/工商银行"));
    }
}

TEST_F(EntryPanelTest, FiltersReloadOnlyWhenTheChoiceChanges) {
    addEntry("shouru", "今天", "1");
    addEntry("shouru", "以前", "2", "2006-05-05");
    addEntry("zhichu", "支出", "3");
    open(EntryPanelConfig::income());
    DataGrid* grid = find<DataGrid>("DBGridEh1");
    EXPECT_EQ(grid->model()->rowCount(), 1);

    QTest::mouseClick(find<QRadioButton>("RadioButton14"), Qt::LeftButton);
    EXPECT_EQ(grid->model()->rowCount(), 2);
    // Choosing 全部 again does not reload: a row added behind the list's back stays unseen.
    addEntry("shouru", "后来", "4");
    QTest::mouseClick(find<QRadioButton>("RadioButton14"), Qt::LeftButton);
    EXPECT_EQ(grid->model()->rowCount(), 2);

    // Bringing the panel up lists today's entries although 全部 stays selected.
    panel->broughtToFront();
    EXPECT_TRUE(find<QRadioButton>("RadioButton14")->isChecked());
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->cellText(0, 0) + grid->cellText(1, 0), QStringLiteral("今天后来"));
}

TEST_F(EntryPanelTest, DetailChoicesAreTheDistinctDetailsOfTheType) {
    addEntry("zhichu", "午饭", "1");
    addEntry("zhichu", "午饭", "2");
    addEntry("zhichu", "房租", "3");
    addEntry("shouru", "工资", "4");
    open(EntryPanelConfig::expense());
    panel->LoadDetailChoices();
    QComboBox* box = find<QComboBox>("DBComboBox2");
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    items.sort();
    EXPECT_EQ(items, QStringList({"午饭", "房租"}));
}

// 全部 over ten thousand entries: the row saved is the current row and in view, wherever it lands in the
// list, on a grid of a fixed size.
TEST_F(EntryPanelTest, TheSavedRowIsInView) {
    th.exec(QStringLiteral(
        "with recursive n(i) as (select 1 union all select i+1 from n where i<10000) insert into shouzhibiao "
        "(leixing,mingxi,feiyong,shururiqi) select 'shouru','d'||(100000+i),i*10000,'2007-01-01' from n"));
    open(EntryPanelConfig::income());
    DataGrid* grid = find<DataGrid>("DBGridEh1");
    QTest::mouseClick(find<QRadioButton>("RadioButton14"), Qt::LeftButton);
    click("SpeedButton10");
    typeEntry("DBComboBox1", "DBEdit1", "d105000a", "1");
    click("SpeedButton12");
    EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(grid->currentRow(), 5000);
    EXPECT_EQ(grid->cellText(5000, 0), QStringLiteral("d105000a"));
    EXPECT_LE(grid->rowAt(0), 5000);
    EXPECT_GE(grid->rowAt(grid->viewport()->height() - 1), 5000);
}

// A header clicked sorts 全部 by its column, with the mark on it: 金额 up then down, 登记日期 newest
// first, each shown from its first row; a column the list cannot sort by leaves order and mark. A row
// saved under the order is the current row and in view wherever the order puts it.
TEST_F(EntryPanelTest, AHeaderClickSortsTheListAndTheSavedRowIsInViewUnderIt) {
    th.exec(QStringLiteral(
        "with recursive n(i) as (select 1 union all select i+1 from n where i<10000) insert into shouzhibiao "
        "(leixing,mingxi,feiyong,shururiqi) select 'shouru','d'||(i%37),((i*7919)%10000)*10000,"
        "printf('2006-%02d-%02d',i%12+1,i%28+1) from n"));
    open(EntryPanelConfig::income());
    DataGrid* grid = find<DataGrid>("DBGridEh1");
    QHeaderView* header = grid->horizontalHeader();
    QTest::mouseClick(find<QRadioButton>("RadioButton14"), Qt::LeftButton);
    const auto clickHeader = [&](int section) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 10, header->height() / 2));
    };
    EXPECT_FALSE(header->isSortIndicatorShown());
    clickHeader(1);
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(grid->cellText(0, 1), QStringLiteral("￥0.00"));
    EXPECT_EQ(grid->cellText(1, 1), QStringLiteral("￥1.00"));
    clickHeader(1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(grid->cellText(0, 1), QStringLiteral("￥9999.00"));
    // The new order is shown from its first row, whatever row was current.
    grid->setCurrentRow(3000);
    clickHeader(3);
    EXPECT_EQ(header->sortIndicatorSection(), 3);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(grid->cellText(0, 3), QStringLiteral("2006-12-28"));
    EXPECT_EQ(grid->currentRow(), 0);
    EXPECT_EQ(grid->rowAt(0), 0);
    clickHeader(4);  // 登记人: no order of its own
    EXPECT_EQ(header->sortIndicatorSection(), 3);
    EXPECT_EQ(grid->cellText(0, 3), QStringLiteral("2006-12-28"));

    click("SpeedButton10");
    typeEntry("DBComboBox1", "DBEdit1", "新的", "1");
    find<QLineEdit>("DBEdit2")->setText(QStringLiteral("2006-06-15"));
    click("SpeedButton12");
    EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
    const int row = grid->currentRow();
    EXPECT_EQ(grid->cellText(row, 0), QStringLiteral("新的"));
    EXPECT_EQ(
        row,
        th.scalar(QStringLiteral("select count(*) from shouzhibiao where shururiqi>'2006-06-15'")).toInt());
    EXPECT_LE(grid->rowAt(0), row);
    EXPECT_GE(grid->rowAt(grid->viewport()->height() - 1), row);
}

class EntryPanelOnBothEngines : public EntryPanelTest, public ::testing::WithParamInterface<TestEngine> {
  protected:
    QList<qint64> expected(const QString& where, const char* order) {
        QSqlQuery q(th.database.connection());
        EXPECT_TRUE(
            q.exec(QStringLiteral("select id from shouzhibiao where leixing='zhichu' and %1 order by %2")
                       .arg(where, QString::fromLatin1(order))));
        QList<qint64> ids;
        while (q.next())
            ids.append(q.value(0).toLongLong());
        return ids;
    }
    QList<qint64> listed() {
        DataGrid* grid = find<DataGrid>("DBGridEh2");
        while (grid->sourceModel()->canFetchMore({}))
            grid->sourceModel()->fetchMore({});
        QList<qint64> ids;
        for (int r = 0; r < grid->sourceModel()->rowCount(); ++r)
            ids.append(grid->value(r, QStringLiteral("id")).toLongLong());
        return ids;
    }
    qint64 saveExpense(const char* detail, const char* place) {
        click("SpeedButton17");
        auto* box = find<QComboBox>("ComboBoxPlace");
        box->setCurrentIndex(box->findText(QString::fromUtf8(place)));
        typeEntry("DBComboBox2", "DBEdit5", detail, "1");
        click("SpeedButton21");
        EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
        return th.scalar(QStringLiteral("select max(id) from shouzhibiao")).toLongLong();
    }
};

// The place chosen under the list limits 今天 and 全部 to that place, in their order and a page at a time;
// a row saved on another place stays listed after them, with a note, until the list is read again.
TEST_P(EntryPanelOnBothEngines, TheListPlaceChoiceLimitsEveryListToThatPlace) {
    const qint64 card = th.addBankCard(QStringLiteral("招商银行"), 0);
    th.exec(QStringLiteral(
                "with recursive n(i) as (select 1 union all select i+1 from n where i<1200) insert "
                "into shouzhibiao (leixing,mingxi,feiyong,shururiqi,zhanghu) select 'zhichu','d'||(i%7),"
                "i*10000,case when i%4=0 then '2007-01-15' else '2007-01-10' end,case when i%5<3 then "
                "%1 else (select id from zhangwubiao where leibie='xianjin') end from n")
                .arg(card));
    const QString onCard = QStringLiteral("zhanghu=%1").arg(card);
    open(EntryPanelConfig::expense());
    auto* places = find<QComboBox>("ComboBoxListPlace");
    ASSERT_EQ(places->count(), 3);
    EXPECT_EQ(places->currentText(), QStringLiteral("全部帐户"));
    places->setCurrentIndex(places->findText(QStringLiteral("招商银行（银行卡）")));
    EXPECT_EQ(listed(), expected(onCard + QStringLiteral(" and shururiqi='2007-01-15'"), "id"));
    QTest::mouseClick(find<QRadioButton>("RadioButton12"), Qt::LeftButton);
    const QList<qint64> cardAll = expected(onCard, "mingxi,id");
    ASSERT_GT(cardAll.size(), 2 * EntryListModel::kPage);
    EXPECT_EQ(listed(), cardAll);

    // Saved on the card: in its place among the card's rows, selected.
    DataGrid* grid = find<DataGrid>("DBGridEh2");
    places->setCurrentIndex(places->findText(QStringLiteral("招商银行（银行卡）")));
    QTest::mouseClick(find<QRadioButton>("RadioButton11"), Qt::LeftButton);
    QTest::mouseClick(find<QRadioButton>("RadioButton12"), Qt::LeftButton);
    const qint64 onIt = saveExpense("d3a", "招商银行（银行卡）");
    EXPECT_EQ(grid->currentRow(), expected(onCard, "mingxi,id").indexOf(onIt));
    EXPECT_TRUE(find<QLabel>("LabelListPlaceNote")->text().isEmpty());
    // Saved on the home safe: kept after the card's rows with a note saying where it is.
    const qint64 elsewhere = saveExpense("d3b", "家庭保险柜（现金）");
    const QList<qint64> shown = listed();
    EXPECT_EQ(shown.last(), elsewhere);
    EXPECT_EQ(grid->currentRow(), shown.size() - 1);
    EXPECT_EQ(shown.mid(0, shown.size() - 1), expected(onCard, "mingxi,id"));
    EXPECT_TRUE(find<QLabel>("LabelListPlaceNote")->text().contains(QStringLiteral("家庭保险柜（现金）")));

    places->setCurrentIndex(0);
    EXPECT_EQ(listed(), expected(QStringLiteral("1=1"), "mingxi,id"));
    EXPECT_TRUE(find<QLabel>("LabelListPlaceNote")->text().isEmpty());
}

TAMBERLO_ON_BOTH_ENGINES(EntryPanelOnBothEngines);

}  // namespace
