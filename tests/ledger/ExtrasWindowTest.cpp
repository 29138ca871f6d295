// The export dialog, the bin and the trend window, driven by the objectNames of their controls.
#include "kit/BarChart.h"
#include "kit/FileChooser.h"
#include "ledger/BinWindow.h"
#include "ledger/EntryBook.h"
#include "ledger/ExportDialog.h"
#include "ledger/TrendWindow.h"
#include "support/FindChild.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

namespace {

Money yuan(const char* text) {
    return Money::parse(QString::fromLatin1(text)).value();
}

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ExtrasWindowTest : public ::testing::Test {
  protected:
    ExtrasWindowTest() {
        th.exec(
            QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi,dengjiren) values "
                           "('shouru','工资',30000000,'2007-01-05','管理员'),"
                           "('zhichu','房租',12000000,'2007-01-10','管理员'),"
                           "('zhichu','礼物',3000000,'2006-12-24','管理员')"));
    }
    ~ExtrasWindowTest() override { FileChooser::install({}); }

    TestHousehold th;
    ScriptedPrompt prompt;
};

TEST_F(ExtrasWindowTest, ExportWritesTheChosenFileAndAsksBeforeReplacing) {
    const QString path = QDir(th.home.path()).filePath(QStringLiteral("导出.csv"));
    QStringList asked;
    FileChooser::install([&](QWidget*, const QString& caption, const QString& suggested, const QString&) {
        asked.append(caption);
        EXPECT_TRUE(suggested.endsWith(QStringLiteral("收支明细_2007-01-01_2007-01-15.csv")))
            << suggested.toStdString();
        return path;
    });
    ExportDialog dialog(th.household, QDate(2007, 1, 1), QDate(2007, 1, 15));
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("导出收支明细"));
    EXPECT_EQ(child<QDateEdit>(&dialog, "exportFrom")->date(), QDate(2007, 1, 1));
    EXPECT_TRUE(child<QRadioButton>(&dialog, "exportEntries")->isChecked());

    // No file typed: 导出 asks the chooser.
    child<QPushButton>(&dialog, "exportOk")->click();
    EXPECT_EQ(asked, QStringList{QStringLiteral("导出到文件")});
    EXPECT_EQ(child<QLineEdit>(&dialog, "exportPath")->text(), path);
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("已导出 2 条记录到 %1。").arg(path)});
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const QByteArray first = contentOf(path);
    EXPECT_TRUE(first.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(
        first.contains(QStringLiteral("收入,工资,3000.00,家庭保险柜,2007-01-05,管理员,\r\n").toUtf8()));

    // The same file again: No keeps it, Yes replaces it.
    ExportDialog again(th.household, QDate(2006, 12, 1), QDate(2007, 1, 15));
    again.show();
    child<QLineEdit>(&again, "exportPath")->setText(path);
    prompt.clear();
    prompt.answerNext(Prompt::Answer::No);
    child<QPushButton>(&again, "exportOk")->click();
    EXPECT_EQ(prompt.texts(),
              QStringList{QStringLiteral("文件 %1 已存在。要用导出的记录替换它吗？").arg(path)});
    EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::YesNo);
    EXPECT_EQ(contentOf(path), first);
    EXPECT_TRUE(again.isVisible());
    prompt.answerNext(Prompt::Answer::Yes);
    child<QPushButton>(&again, "exportOk")->click();
    EXPECT_TRUE(contentOf(path).contains(QStringLiteral("支出,礼物,300.00,家庭保险柜,2006-12-24").toUtf8()));
    EXPECT_FALSE(again.isVisible());
}

TEST_F(ExtrasWindowTest, ExportRefusesAReversedPeriodAndClosesWithEscape) {
    FileChooser::install([](QWidget*, const QString&, const QString&, const QString&) { return QString(); });
    ExportDialog dialog(th.household, QDate(2007, 1, 15), QDate(2007, 1, 1));
    dialog.show();
    child<QPushButton>(&dialog, "exportOk")->click();
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("起始日期晚于中止日期，请重新选择期间。")});
    // A cancelled choice of file writes nothing and asks nothing more.
    child<QDateEdit>(&dialog, "exportFrom")->setDate(QDate(2007, 1, 1));
    prompt.clear();
    child<QPushButton>(&dialog, "exportOk")->click();
    EXPECT_TRUE(prompt.boxes().isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(ExtrasWindowTest, TheBinRestoresUnderTheGateAndEmptiesAfterAQuestion) {
    th.exec(QStringLiteral("update zhangwubiao set jine=%1").arg(yuan("100").units()));
    ASSERT_TRUE(th.homeSafe.ReadHomeSafeBalance().isOk());
    EntryBook income(th.database, th.homeSafe, EntryType::Income);
    EntryBook expense(th.database, th.homeSafe, EntryType::Expense);
    ASSERT_TRUE(income.remove(1, income.read(1).value(), QStringLiteral("管理员")).isOk());
    ASSERT_TRUE(expense.remove(2, expense.read(2).value(), QStringLiteral("管理员")).isOk());
    ASSERT_EQ(th.homeSafe.balance(), yuan("-1700"));

    BinWindow bin(th.household);
    bin.show();
    EXPECT_EQ(bin.windowTitle(), QStringLiteral("回收站"));
    auto* grid = child<QTableWidget>(&bin, "binGrid");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("房租"));  // deleted last, listed first
    EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("￥1200.00"));
    EXPECT_EQ(grid->horizontalHeaderItem(6)->text(), QStringLiteral("删除人"));

    // Without the expense right the expense stays where it is.
    th.refuse = QStringList{QStringLiteral("支出管理")};
    grid->selectRow(0);
    child<QPushButton>(&bin, "binRestore")->click();
    EXPECT_EQ(th.gateAsked, QStringList{QStringLiteral("支出管理")});
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(th.homeSafe.balance(), yuan("-1700"));

    // The income may come back: the home safe rises as a new save of it would. The columns keep the
    // widths the user gave them.
    grid->horizontalHeader()->resizeSection(1, 260);
    grid->horizontalHeader()->resizeSection(7, 30);
    grid->selectRow(1);
    child<QPushButton>(&bin, "binRestore")->click();
    EXPECT_EQ(grid->columnWidth(1), 260);
    EXPECT_EQ(grid->columnWidth(7), 30);
    EXPECT_EQ(th.gateAsked.last(), QStringLiteral("收入管理"));
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(th.homeSafe.balance(), yuan("1300"));
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from shouzhibiao where mingxi='工资'")).toInt(), 1);

    // Emptying asks the gate of each type present: the expense right is still refused.
    th.gateAsked.clear();
    child<QPushButton>(&bin, "binEmpty")->click();
    EXPECT_EQ(th.gateAsked, QStringList{QStringLiteral("支出管理")});
    EXPECT_TRUE(prompt.boxes().isEmpty());
    EXPECT_EQ(grid->rowCount(), 1);

    th.refuse.clear();
    prompt.answerNext(Prompt::Answer::No);
    child<QPushButton>(&bin, "binEmpty")->click();
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::YesNo);
    EXPECT_EQ(grid->rowCount(), 1);
    prompt.answerNext(Prompt::Answer::Yes);
    child<QPushButton>(&bin, "binEmpty")->click();
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from huishouzhan")).toInt(), 0);
    EXPECT_EQ(th.homeSafe.balance(), yuan("1300"));
    EXPECT_FALSE(child<QPushButton>(&bin, "binRestore")->isEnabled());
    QTest::keyClick(&bin, Qt::Key_Escape);
    EXPECT_FALSE(bin.isVisible());
}

// A deleted entry whose place was closed since comes back only when the user agrees to reopen it.
TEST_F(ExtrasWindowTest, TheBinAsksBeforeReopeningAClosedPlace) {
    const qint64 bank = th.addBankCard(QStringLiteral("招商银行"), 0);
    EntryBook income(th.database, th.homeSafe, EntryType::Income);
    const qint64 id = income
                          .save(std::nullopt, {QStringLiteral("利息"),
                                               yuan("100"),
                                               QStringLiteral("2007-01-10"),
                                               QStringLiteral("小王"),
                                               {},
                                               bank})
                          .value();
    ASSERT_TRUE(income.remove(id, income.read(id).value(), QStringLiteral("小王")).isOk());
    th.exec(QStringLiteral("update zhangwubiao set guanbi=1 where id=%1").arg(bank));
    const auto bankState = [&] {
        return th.scalar(QStringLiteral("select guanbi||':'||jine from zhangwubiao where id=%1").arg(bank))
            .toString();
    };

    BinWindow bin(th.household);
    auto* grid = child<QTableWidget>(&bin, "binGrid");
    EXPECT_EQ(grid->item(0, 8)->text(), QStringLiteral("招商银行（银行卡，已关闭）"));
    grid->selectRow(0);
    prompt.answerNext(Prompt::Answer::No);
    child<QPushButton>(&bin, "binRestore")->click();
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::YesNo);
    EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("“招商银行”已关闭")));
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(bankState(), QStringLiteral("1:0"));

    prompt.answerNext(Prompt::Answer::Yes);
    child<QPushButton>(&bin, "binRestore")->click();
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_EQ(bankState(), QStringLiteral("0:%1").arg(yuan("100").units()));
}

// Another computer deleted an entry after the bin was opened: 清空 removes the rows shown, and the new
// one is listed afterwards.
TEST_F(ExtrasWindowTest, EmptyingTheBinRemovesOnlyTheRowsItShows) {
    EntryBook income(th.database, th.homeSafe, EntryType::Income);
    EntryBook expense(th.database, th.homeSafe, EntryType::Expense);
    ASSERT_TRUE(income.remove(1, income.read(1).value(), QStringLiteral("管理员")).isOk());
    BinWindow bin(th.household);
    bin.show();
    auto* grid = child<QTableWidget>(&bin, "binGrid");
    ASSERT_EQ(grid->rowCount(), 1);

    ASSERT_TRUE(expense.remove(2, expense.read(2).value(), QStringLiteral("小李")).isOk());
    prompt.answerNext(Prompt::Answer::Yes);
    child<QPushButton>(&bin, "binEmpty")->click();
    EXPECT_TRUE(prompt.boxes().value(0).text.contains(QStringLiteral("1 条")))
        << prompt.texts().join('|').toStdString();
    EXPECT_EQ(th.scalar(QStringLiteral("select mingxi from huishouzhan")), QStringLiteral("房租"));
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("房租"));
    EXPECT_TRUE(child<QLabel>(&bin, "binStatus")->text().contains(QStringLiteral("刚在别处删除")));
}

TEST_F(ExtrasWindowTest, TheBinDropsEntriesDeletedMoreThanAYearAgoWhenItOpens) {
    th.exec(
        QStringLiteral("insert into huishouzhan (leixing,mingxi,feiyong,shururiqi,shanchushijian) values "
                       "('shouru','旧的',10000,'2005-01-01','2006-01-14 09:00:00'),"
                       "('shouru','新的',10000,'2006-06-01','2006-06-01 09:00:00')"));
    BinWindow bin(th.household);
    auto* grid = child<QTableWidget>(&bin, "binGrid");
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("新的"));
}

TEST_F(ExtrasWindowTest, TheTrendShowsTwelveMonthsSideBySideAndStepsThroughTheYears) {
    TrendWindow trend(th.household);
    trend.show();
    EXPECT_EQ(trend.windowTitle(), QStringLiteral("收支趋势"));
    EXPECT_EQ(child<QLabel>(&trend, "trendYear")->text(), QStringLiteral("2007年"));
    auto* chart = child<BarChart>(&trend, "trendChart");
    EXPECT_EQ(chart->groupSize(), 2);
    ASSERT_EQ(chart->bars().size(), 24);
    EXPECT_EQ(chart->bars()[0].label, QStringLiteral("1月"));
    EXPECT_EQ(chart->valueMarks().mid(0, 4), (QStringList{"￥3000.00", "￥1200.00", "￥0.00", "￥0.00"}));
    EXPECT_EQ(child<QLabel>(&trend, "trendIncome")->text(), QStringLiteral("全年收入：￥3000.00"));
    EXPECT_EQ(child<QLabel>(&trend, "trendExpense")->text(), QStringLiteral("全年支出：￥1200.00"));
    EXPECT_EQ(child<QLabel>(&trend, "trendBalance")->text(), QStringLiteral("结余：￥1800.00"));

    child<QPushButton>(&trend, "trendPrevious")->click();
    EXPECT_EQ(trend.year(), 2006);
    EXPECT_EQ(chart->valueMarks().value(23), QStringLiteral("￥300.00"));
    EXPECT_EQ(child<QLabel>(&trend, "trendBalance")->text(), QStringLiteral("结余：-￥300.00"));
    EXPECT_TRUE(child<QLabel>(&trend, "trendBalance")->styleSheet().contains(QStringLiteral("#ff0000")));
    // PageUp and PageDown step the year from anywhere in the window.
    QTest::keyClick(&trend, Qt::Key_PageDown);
    QTest::keyClick(&trend, Qt::Key_PageDown);
    EXPECT_EQ(child<QLabel>(&trend, "trendYear")->text(), QStringLiteral("2008年"));
    QTest::keyClick(&trend, Qt::Key_Escape);
    EXPECT_FALSE(trend.isVisible());
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

}  // namespace
