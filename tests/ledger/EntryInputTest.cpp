// What a user types and picks on the entry panels: calendar picks, two-digit years, full-width input,
// amounts beyond the limit, and the saved row selected wherever it lands in a long list.
#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "data/Money.h"
#include "kit/DataGrid.h"
#include "ledger/EntryPanel.h"
#include "support/FindChild.h"
#include "support/PickDate.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>

namespace {

class EntryInputTest : public ::testing::Test {
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
    // 添加 on the expense panel with a detail and an amount typed.
    void startExpense(const char* detail, const QString& amount) {
        click("SpeedButton17");
        find<QComboBox>("DBComboBox2")->setEditText(QString::fromUtf8(detail));
        QLineEdit* box = find<QLineEdit>("DBEdit5");
        box->clear();
        QTest::keyClicks(box, amount);
    }
    int rows() { return th.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(); }
    // Many expenses at once, in one transaction.
    void addExpenses(const QString& detail, int count) {
        QSqlDatabase db = th.database.connection();
        ASSERT_TRUE(db.transaction());
        QSqlQuery insert(db);
        ASSERT_TRUE(
            insert.prepare(QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values "
                                          "('zhichu',:m,10000,'2006-01-01')")));
        for (int i = 0; i < count; ++i) {
            insert.bindValue(QStringLiteral(":m"), detail);
            ASSERT_TRUE(insert.exec());
        }
        ASSERT_TRUE(db.commit());
    }

    TestHousehold th;
    ScriptedPrompt prompt;
    std::unique_ptr<EntryPanel> panel;
};

TEST_F(EntryInputTest, PickingTheDayTheCalendarHoldsStillWritesIt) {
    open(EntryPanelConfig::expense());
    auto* picker = find<QDateEdit>("DateTimePicker4");
    auto* date = find<QLineEdit>("DBEdit6");
    startExpense("午饭", QStringLiteral("20"));
    PickOnCalendar(picker, QDate(2007, 1, 10));
    EXPECT_EQ(date->text(), QStringLiteral("2007-01-10"));
    click("SpeedButton21");
    EXPECT_EQ(th.scalar(QStringLiteral("select shururiqi from shouzhibiao")), QStringLiteral("2007-01-10"));

    // A second entry for the same past day: 添加 put today into the box, the calendar still holds the
    // day picked before, and picking it again must count.
    startExpense("晚饭", QStringLiteral("30"));
    EXPECT_EQ(date->text(), QStringLiteral("2007-01-15"));
    PickOnCalendar(picker, QDate(2007, 1, 10));
    EXPECT_EQ(date->text(), QStringLiteral("2007-01-10"));
    click("SpeedButton21");
    EXPECT_EQ(
        th.scalar(QStringLiteral("select count(*) from shouzhibiao where shururiqi='2007-01-10'")).toInt(),
        2);
    EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(EntryInputTest, SteppingTheCalendarButtonWritesOnlyWhenDone) {
    open(EntryPanelConfig::income());
    auto* picker = find<QDateEdit>("DateTimePicker3");
    auto* date = find<QLineEdit>("DBEdit2");
    click("SpeedButton10");
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Down);
    QTest::keyClick(picker, Qt::Key_Down);
    EXPECT_NE(picker->date(), QDate(2007, 1, 15));
    EXPECT_EQ(date->text(), QStringLiteral("2007-01-15"));  // stepping is no pick
    QTest::keyClick(picker, Qt::Key_Return);
    EXPECT_EQ(date->text(), ShortDate(picker->date()));
}

TEST_F(EntryInputTest, TwoDigitYearsAreReadAroundTodayAndThreeDigitYearsRefused) {
    open(EntryPanelConfig::expense());
    auto* date = find<QLineEdit>("DBEdit6");
    startExpense("午饭", QStringLiteral("20"));
    date->setText(QStringLiteral("07-1-14"));
    click("SpeedButton21");
    startExpense("旧帐", QStringLiteral("5"));
    date->setText(QStringLiteral("99-1-1"));
    click("SpeedButton21");
    EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
    QSqlQuery stored(th.database.connection());
    ASSERT_TRUE(stored.exec(QStringLiteral("select shururiqi from shouzhibiao order by id")));
    QStringList dates;
    while (stored.next())
        dates.append(stored.value(0).toString());
    EXPECT_EQ(dates, QStringList({"2007-01-14", "1999-01-01"}));

    startExpense("晚饭", QStringLiteral("7"));
    date->setText(QStringLiteral("024-1-14"));
    click("SpeedButton21");
    EXPECT_EQ(prompt.texts(), QStringList({InvalidDateMessage(QStringLiteral("024-1-14"))}));
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(panel->state(), EntryPanel::State::Adding);
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(-25));
}

TEST_F(EntryInputTest, FullWidthDigitsAndSignsAreTakenTypedCommittedOrPasted) {
    open(EntryPanelConfig::income());
    click("SpeedButton10");
    auto* amount = find<QLineEdit>("DBEdit1");
    TypeKeys(amount, QStringLiteral("１２３．５"));
    EXPECT_EQ(amount->text(), QStringLiteral("123.5"));
    amount->clear();
    TypeKeys(amount, QStringLiteral("－７＋"));
    EXPECT_EQ(amount->text(), QStringLiteral("-7+"));

    // Text committed by an input method in full-width mode.
    amount->clear();
    amount->setFocus();
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("４５．６"));
    QCoreApplication::sendEvent(amount, &commit);
    EXPECT_EQ(amount->text(), QStringLiteral("45.6"));

    // Pasted: full-width forms become plain; other characters still keep the whole paste out.
    amount->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("８９．０１"));
    amount->paste();
    EXPECT_EQ(amount->text(), QStringLiteral("89.01"));
    QGuiApplication::clipboard()->setText(QStringLiteral("１２元"));
    amount->paste();
    EXPECT_EQ(amount->text(), QStringLiteral("89.01"));

    // The date box too.
    auto* date = find<QLineEdit>("DBEdit2");
    date->clear();
    TypeKeys(date, QStringLiteral("２００７－１－１４"));
    EXPECT_EQ(date->text(), QStringLiteral("2007-1-14"));
    find<QComboBox>("DBComboBox1")->setEditText(QStringLiteral("奖金"));
    click("SpeedButton12");
    EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(th.scalar(QStringLiteral("select feiyong||'/'||shururiqi from shouzhibiao")),
              QStringLiteral("890100/2007-01-14"));
}

TEST_F(EntryInputTest, AmountsBeyondTheLimitAreRefusedBeforeAnythingIsWritten) {
    open(EntryPanelConfig::expense());
    for (const char* typed : {"1000000000.01", "-1000000000.01", "99999999999999999999999"}) {
        prompt.clear();
        startExpense("房子", QString::fromLatin1(typed));
        click("SpeedButton21");
        ASSERT_EQ(prompt.boxes().size(), 1) << typed;
        const QString said = prompt.boxes()[0].text;
        EXPECT_TRUE(said.contains(QString::fromLatin1(typed))) << said.toStdString();
        EXPECT_TRUE(said.contains(QStringLiteral("￥1,000,000,000.00"))) << said.toStdString();
        EXPECT_TRUE(said.contains(QStringLiteral("上限"))) << said.toStdString();
        EXPECT_EQ(panel->state(), EntryPanel::State::Adding);
        click("SpeedButton23");
    }
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(th.homeSafe.balance(), Money());

    // Text that is no number keeps its conversion message; the limit itself is accepted.
    prompt.clear();
    startExpense("房子", QStringLiteral("1.2.3"));
    click("SpeedButton21");
    EXPECT_EQ(prompt.texts(), QStringList({TypedAmountRefusal(QStringLiteral("1.2.3"))}));
    click("SpeedButton23");
    startExpense("房子", QStringLiteral("1000000000"));
    click("SpeedButton21");
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(-1'000'000'000));
}

TEST_F(EntryInputTest, ABalanceLeavingTheRangeIsRefusedInChinese) {
    th.exec(QStringLiteral("update zhangwubiao set jine=9223372036854775807"));
    ASSERT_TRUE(th.homeSafe.ReadHomeSafeBalance().isOk());
    open(EntryPanelConfig::income());
    click("SpeedButton10");
    find<QComboBox>("DBComboBox1")->setEditText(QStringLiteral("奖金"));
    QTest::keyClicks(find<QLineEdit>("DBEdit1"), QStringLiteral("1"));
    click("SpeedButton12");
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("超出了金额能记录的范围")))
        << prompt.boxes()[0].text.toStdString();
    EXPECT_EQ(rows(), 0);
}

// The saved row lands at the first row of the second and of the third page the list reads, and at
// the end: each time it is the row selected and shown in the form.
TEST_F(EntryInputTest, TheSavedRowIsSelectedWhereverItLandsInAll) {
    addExpenses(QStringLiteral("a"), 256);
    addExpenses(QStringLiteral("c"), 254);
    addExpenses(QStringLiteral("e"), 200);
    open(EntryPanelConfig::expense());
    QTest::mouseClick(find<QRadioButton>("RadioButton12"), Qt::LeftButton);
    DataGrid* grid = find<DataGrid>("DBGridEh2");
    const struct {
        const char* detail;
        int row;
    } cases[] = {{"b", 256}, {"d", 511}, {"f", 712}, {"b", 257}};
    for (const auto& c : cases) {
        startExpense(c.detail, QStringLiteral("3"));
        click("SpeedButton21");
        EXPECT_EQ(grid->currentRow(), c.row) << c.detail;
        EXPECT_EQ(find<QComboBox>("DBComboBox2")->currentText(), QString::fromLatin1(c.detail));
        EXPECT_EQ(find<QLineEdit>("DBEdit5")->text(), QStringLiteral("3"));
    }
    // Deleting keeps the place: the row after the deleted one is selected.
    ASSERT_EQ(grid->currentRow(), 257);
    const qint64 next = grid->value(258, QStringLiteral("id")).toLongLong();
    prompt.answerNext(Prompt::Answer::Yes);
    click("SpeedButton22");
    EXPECT_EQ(grid->currentRow(), 257);
    EXPECT_EQ(grid->value(257, QStringLiteral("id")).toLongLong(), next);
    EXPECT_EQ(find<QComboBox>("DBComboBox2")->currentText(), QStringLiteral("c"));
    EXPECT_TRUE(prompt.texts() == QStringList({"确信要删除选定项目吗？"}));
}

}  // namespace
