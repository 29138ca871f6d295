#include "AwkwardTexts.h"
#include "bank/BankPanel.h"
#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "data/Money.h"
#include "kit/DataGrid.h"
#include "ledger/EntryPanel.h"
#include "reminders/ReminderPanel.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"
#include "tools/cldj.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

namespace {

template <typename T>
T* child(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void click(const QObject* parent, const char* name) {
    QTest::mouseClick(child<QToolButton>(parent, name), Qt::LeftButton);
}

// The income panel over a household with ￥500.00 at home.
class EntryInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        th.exec(QStringLiteral("update zhangwubiao set jine=5000000"));
        ASSERT_TRUE(th.homeSafe.ReadHomeSafeBalance().isOk());
        panel.resize(900, 520);
        panel.show();
        panel.broughtToFront();
    }
    // 添加, the boxes filled as given, 保存. Returns the boxes shown.
    QList<ScriptedPrompt::Box> save(const QString& detail, const QString& amount,
                                    const QString& remarks = QString(),
                                    const QString& date = QStringLiteral("2007-01-15")) {
        prompt.clear();
        if (panel.state() == EntryPanel::State::Browsing || panel.state() == EntryPanel::State::Closed)
            click(&panel, "SpeedButton10");
        child<QComboBox>(&panel, "DBComboBox1")->setEditText(detail);
        child<QLineEdit>(&panel, "DBEdit1")->setText(amount);
        child<QLineEdit>(&panel, "DBEdit2")->setText(date);
        child<QTextEdit>(&panel, "DBMemo1")->setPlainText(remarks);
        click(&panel, "SpeedButton12");
        return prompt.boxes();
    }
    int rows() { return th.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(); }
    qint64 stored() { return th.scalar(QStringLiteral("select jine from zhangwubiao")).toLongLong(); }

    TestHousehold th;
    ScriptedPrompt prompt;
    EntryPanel panel{th.household, EntryPanelConfig::income()};
};

}  // namespace

// Amounts that are no amount are refused by the error report with the text as typed; numbers beyond the
// limit of one amount by a notice that shows the figure and names the limit. Nothing is stored, and the
// typed entry stays to be corrected.
TEST_F(EntryInputTest, AmountsThatAreNoNumberOrTooLargeAreRefused) {
    for (const QString& amount :
         {QStringLiteral("1e400"), QStringLiteral("12345678901234567890"), QStringLiteral("922337203685478"),
          QStringLiteral("-922337203685478"), QString(100000, QLatin1Char('9'))}) {
        SCOPED_TRACE(amount.left(40).toStdString());
        const auto boxes = save(QStringLiteral("工资"), amount);
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(boxes[0].caption, QStringLiteral("Tamberlo"));
        EXPECT_TRUE(boxes[0].text.contains(amount.left(20))) << boxes[0].text.left(200).toStdString();
        EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("￥1,000,000,000.00")));
        EXPECT_LT(boxes[0].text.size(), 200);
        EXPECT_EQ(panel.state(), EntryPanel::State::Adding);
        EXPECT_EQ(rows(), 0);
        EXPECT_EQ(stored(), 5000000);
    }
    const QStringList refused = {QStringLiteral("   "),
                                 QStringLiteral("1.2.3"),
                                 QStringLiteral("1,5"),
                                 QStringLiteral("1e"),
                                 QStringLiteral("0x10"),
                                 QStringLiteral("12😀"),
                                 QStringLiteral("1; DROP TABLE shouzhibiao"),
                                 QStringLiteral("50%"),
                                 QStringLiteral("+-1")};
    for (const QString& amount : refused) {
        SCOPED_TRACE(amount.left(40).toStdString());
        const auto boxes = save(QStringLiteral("工资"), amount);
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(boxes[0].caption, QStringLiteral("Tamberlo"));
        EXPECT_EQ(boxes[0].text, TypedAmountRefusal(amount.left(kLineBoxLimit)));
        EXPECT_EQ(panel.state(), EntryPanel::State::Adding);
        EXPECT_EQ(rows(), 0);
        EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(500));
        EXPECT_EQ(stored(), 5000000);
    }
    // An empty amount has its own notice.
    const auto empty = save(QStringLiteral("工资"), QString());
    ASSERT_EQ(empty.size(), 1);
    EXPECT_EQ(empty[0].text, QStringLiteral("必须输入收入金额！"));
    EXPECT_EQ(rows(), 0);
}

// The largest amount the type holds is taken, but adding it to the home safe would leave the type's range:
// that is an error, never a wrapped balance.
TEST_F(EntryInputTest, ABalanceThatWouldOverflowIsAnErrorNotAWrappedValue) {
    const auto boxes = save(QStringLiteral("工资"), QStringLiteral("922337203685477.5807"));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Tamberlo"));
    EXPECT_FALSE(boxes[0].text.isEmpty());
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(stored(), 5000000);
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(500));

    // Exponents and blanks around a number are numbers.
    EXPECT_TRUE(save(QStringLiteral("工资"), QStringLiteral(" 1.5e2 ")).isEmpty());
    EXPECT_EQ(th.homeSafe.balance().format(), QStringLiteral("￥650.00"));
}

// Dates that name no day are refused with the date's message; a one-digit month is read and stored in the
// short form.
TEST_F(EntryInputTest, ImpossibleDatesAreRefusedAndLenientOnesStoredInShortForm) {
    for (const QString& date :
         {QStringLiteral("2023-2-30"), QStringLiteral("2023-13-01"), QStringLiteral(""),
          QStringLiteral("2023/02-03"), QStringLiteral("'; DROP TABLE shouzhibiao; --")}) {
        SCOPED_TRACE(date.toStdString());
        const auto boxes = save(QStringLiteral("工资"), QStringLiteral("10"), QString(), date);
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(boxes[0].text, InvalidDateMessage(date));
        EXPECT_EQ(rows(), 0);
        EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(500));
    }
    EXPECT_TRUE(
        save(QStringLiteral("工资"), QStringLiteral("10"), QString(), QStringLiteral("2024-2-29")).isEmpty());
    // As people write a day: with slashes, or in 年月日.
    EXPECT_TRUE(
        save(QStringLiteral("工资"), QStringLiteral("10"), QString(), QStringLiteral("2024/3/1")).isEmpty());
    EXPECT_TRUE(save(QStringLiteral("工资"), QStringLiteral("10"), QString(), QStringLiteral("2024年3月2日"))
                    .isEmpty());
    EXPECT_EQ(
        th.scalar(QStringLiteral("select group_concat(shururiqi) from (select shururiqi from shouzhibiao "
                                 "order by id)"))
            .toString(),
        QStringLiteral("2024-02-29,2024-03-01,2024-03-02"));
}

// Any text in the detail and remark boxes is stored as it was typed and shown back exactly; none of it is
// read as part of a statement.
TEST_F(EntryInputTest, DetailsAndRemarksAreStoredAndShownBackExactly) {
    const QStringList texts = awkwardTexts();
    for (const QString& text : texts) {
        SCOPED_TRACE(text.left(40).toStdString());
        const auto boxes = save(text, QStringLiteral("1"), text);
        EXPECT_TRUE(boxes.isEmpty()) << (boxes.isEmpty() ? std::string() : boxes[0].text.toStdString());
        EXPECT_EQ(panel.state(), EntryPanel::State::Browsing);
        // The saved row is the current one: its boxes show it.
        const QString detail = text.left(kLineBoxLimit);
        EXPECT_EQ(child<QComboBox>(&panel, "DBComboBox1")->currentText(), detail);
        EXPECT_EQ(child<QTextEdit>(&panel, "DBMemo1")->toPlainText(), text);
        EXPECT_EQ(
            th.scalar(QStringLiteral("select mingxi from shouzhibiao order by id desc limit 1")).toString(),
            detail);
        EXPECT_EQ(
            th.scalar(QStringLiteral("select beizhu from shouzhibiao order by id desc limit 1")).toString(),
            text);
    }
    EXPECT_EQ(rows(), texts.size());
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(500 + texts.size()));
    // An empty detail is refused with its notice.
    const auto empty = save(QString(), QStringLiteral("1"));
    ASSERT_EQ(empty.size(), 1);
    EXPECT_EQ(empty[0].text, QStringLiteral("必须输入收入明细！"));
}

// The bank panel's amount box: what is no amount is refused and no money moves.
TEST(BankInput, AmountsThatAreNoNumberOrTooLargeMoveNothing) {
    TestHousehold h;
    h.exec(QStringLiteral("update zhangwubiao set jine=8000000"));
    h.exec(QStringLiteral("insert into zhangwubiao (mingcheng, jine) values ('工商银行', 5000000)"));
    ASSERT_TRUE(h.homeSafe.ReadHomeSafeBalance().isOk());
    ScriptedPrompt prompt;
    BankPanel panel(h.household);
    panel.resize(900, 500);
    panel.show();
    panel.broughtToFront();
    auto* grid = child<DataGrid>(&panel, "DBGridEh3");
    for (const char* mode : {"SpeedButton25", "SpeedButton26"}) {
        for (const QString& amount : {QStringLiteral("1.2.3"),
                                      QStringLiteral("'; DROP TABLE yinghanbiao; --"), QStringLiteral("😀")}) {
            SCOPED_TRACE(std::string(mode) + " " + amount.left(30).toStdString());
            grid->setCurrentRow(1);
            click(&panel, mode);
            child<QLineEdit>(&panel, "Edit1")->setText(amount);
            prompt.clear();
            click(&panel, mode == std::string("SpeedButton25") ? "SpeedButton28" : "SpeedButton29");
            ASSERT_EQ(prompt.boxes().size(), 1);
            EXPECT_EQ(prompt.boxes()[0].text, TypedAmountRefusal(amount.left(kLineBoxLimit)));
            EXPECT_EQ(h.homeSafe.balance(), Money::fromYuan(800));
            EXPECT_EQ(h.scalar(QStringLiteral("select sum(jine) from zhangwubiao")).toLongLong(), 13000000);
            EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from yinghanbiao")).toInt(), 0);
        }
    }
}

// Reminder contents are stored and listed exactly as typed.
TEST(ReminderInput, ContentsAreStoredAndListedExactly) {
    TestHousehold h;
    ScriptedPrompt prompt;
    ReminderPanel panel(h.household);
    panel.resize(900, 500);
    panel.show();
    panel.broughtToFront();
    const QStringList texts = awkwardTexts() << QString();
    for (const QString& text : texts) {
        SCOPED_TRACE(text.left(40).toStdString());
        if (auto* memo = panel.findChild<QTextEdit*>(QStringLiteral("Memo1")))
            memo->setPlainText(text);
        else
            child<QPlainTextEdit>(&panel, "Memo1")->setPlainText(text);
        click(&panel, "SpeedButton34");
        EXPECT_TRUE(prompt.boxes().isEmpty());
        EXPECT_EQ(h.scalar(QStringLiteral("select neirong from tixing order by id desc limit 1")).toString(),
                  text);
        auto* grid = child<DataGrid>(&panel, "DBGridEh4");
        EXPECT_EQ(grid->value(grid->model()->rowCount() - 1, QStringLiteral("neirong")).toString(), text);
    }
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from tixing")).toInt(), texts.size());
}

// The postal search takes any text as a plain pattern: no error, no statement changed, the rows intact.
TEST(PostalInput, AnySearchTextIsJustText) {
    TestHousehold h;
    ScriptedPrompt prompt;
    const int rowsBefore = h.scalar(QStringLiteral("select count(*) from yzbh")).toInt();
    ASSERT_GT(rowsBefore, 0);
    TForm9 form(h.household);
    form.show();
    const QStringList texts = awkwardTexts() << QString() << QStringLiteral("%") << QStringLiteral("_");
    for (const QString& text : texts) {
        SCOPED_TRACE(text.left(40).toStdString());
        child<QLineEdit>(&form, "Edit1")->setText(text);
        click(&form, "SpeedButton2");
        EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
    }
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from yzbh")).toInt(), rowsBefore);
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(), 0);
}
