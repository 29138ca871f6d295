// The export dialog, the bin and the trend window, driven by the objectNames of their controls.
#include "kit/BarChart.h"
#include "kit/FileChooser.h"
#include "kit/StyleEngine.h"
#include "ledger/BinWindow.h"
#include "ledger/EntryBook.h"
#include "ledger/ExportDialog.h"
#include "ledger/TrendWindow.h"
#include "support/Contrast.h"
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
    // Short marks: grouped, and none on an empty month.
    EXPECT_EQ(chart->valueMarks().mid(0, 4), (QStringList{"￥3,000.00", "￥1,200.00", "", ""}));
    EXPECT_EQ(child<QLabel>(&trend, "trendIncome")->text(), QStringLiteral("全年收入：￥3,000.00"));
    EXPECT_EQ(child<QLabel>(&trend, "trendExpense")->text(), QStringLiteral("全年支出：￥1,200.00"));
    EXPECT_EQ(child<QLabel>(&trend, "trendBalance")->text(), QStringLiteral("结余：￥1,800.00"));

    child<QPushButton>(&trend, "trendPrevious")->click();
    EXPECT_EQ(trend.year(), 2006);
    EXPECT_EQ(chart->valueMarks().value(23), QStringLiteral("￥300.00"));
    EXPECT_EQ(child<QLabel>(&trend, "trendBalance")->text(), QStringLiteral("结余：-￥300.00"));
    EXPECT_TRUE(child<QLabel>(&trend, "trendBalance")
                    ->styleSheet()
                    .contains(StyleEngine::tone(StyleEngine::Tone::Expense).name()));
    // PageUp and PageDown step the year from anywhere in the window.
    QTest::keyClick(&trend, Qt::Key_PageDown);
    QTest::keyClick(&trend, Qt::Key_PageDown);
    EXPECT_EQ(child<QLabel>(&trend, "trendYear")->text(), QStringLiteral("2008年"));
    QTest::keyClick(&trend, Qt::Key_Escape);
    EXPECT_FALSE(trend.isVisible());
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

// A year of large figures on a small screen: marks in 万, none of the upright texts over another, and each
// month's 同比 and 环比, "—" where the month compared with had nothing.
TEST_F(ExtrasWindowTest, TheTrendAt800By576ReadsWithoutOverlapsAndShowsTheChanges) {
    QStringList rows = {QStringLiteral("('shouru','工资',1000000000,'2005-01-05')")};
    for (int m = 1; m <= 12; ++m) {
        rows.append(
            QStringLiteral("('shouru','工资',1500000000,'2006-%1-05')").arg(m, 2, 10, QLatin1Char('0')));
        if (m != 4)  // April 2006 spends nothing
            rows.append(
                QStringLiteral("('zhichu','房租',900000000,'2006-%1-10')").arg(m, 2, 10, QLatin1Char('0')));
    }
    th.exec(QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values ") +
            rows.join(QLatin1Char(',')));
    TrendWindow trend(th.household);
    // The type of a desktop at 96 dpi with its Chinese font, taller than the test platform's own.
    QFont desktop = trend.font();
    desktop.setPixelSize(15);
    trend.setFont(desktop);
    trend.resize(800, 576);
    trend.show();
    trend.showYear(2006);
    auto* chart = child<BarChart>(&trend, "trendChart");
    EXPECT_EQ(chart->valueMarks().mid(0, 2), (QStringList{"￥15.00万", "￥9.00万"}));
    EXPECT_EQ(chart->valueMarks()[7], QString());  // April's expense
    (void)chart->grab();
    const QList<QRectF> texts = chart->drawnTexts();
    EXPECT_EQ(texts.size(), 12 + 23);  // every month's label and every mark but April's expense
    for (int i = 0; i < texts.size(); ++i) {
        for (int j = i + 1; j < texts.size(); ++j)
            EXPECT_FALSE(texts[i].intersects(texts[j])) << i << " " << j;
    }

    auto* changes = child<QTableWidget>(&trend, "trendChanges");
    const auto cell = [&](int row, int month) { return changes->item(row, month - 1)->text(); };
    EXPECT_EQ(cell(0, 1), QStringLiteral("+50.0%"));   // 收入同比: against January 2005
    EXPECT_EQ(cell(0, 2), QStringLiteral("—"));        // February 2005 had nothing
    EXPECT_EQ(cell(1, 2), QStringLiteral("0.0%"));     // 收入环比
    EXPECT_EQ(cell(3, 1), QStringLiteral("—"));        // 支出环比 against December 2005
    EXPECT_EQ(cell(3, 4), QStringLiteral("-100.0%"));  // the April without expense
    EXPECT_EQ(cell(3, 5), QStringLiteral("—"));        // May against that April
    EXPECT_EQ(cell(3, 12), QStringLiteral("+0.3%"));   // the fixture's 300 more in December 2006
    // This year's months still to come show nothing.
    trend.showYear(2007);
    EXPECT_EQ(cell(2, 1), QStringLiteral("-98.7%"));
    EXPECT_EQ(cell(2, 2), QString());
}

// In the dark styles (样式二 and 样式七) the trend's year and figures and the bin's heading read on the
// window's own background as drawn.
TEST_F(ExtrasWindowTest, TheTrendAndTheBinReadInTheDarkStyles) {
    for (const int style : {1, 6}) {
        StyleEngine engine;
        engine.loadStyle(style);
        engine.activate();
        TrendWindow trend(th.household);
        BinWindow bin(th.household);
        trend.show();
        bin.show();
        const auto expectReadable = [style](QWidget* window, QLabel* label) {
            label->ensurePolished();
            const QColor text = label->palette().color(QPalette::WindowText);
            const QColor background = window->palette().color(QPalette::Window);
            EXPECT_GE(ContrastRatio(text, background), kReadableContrast)
                << "style " << style + 1 << ", " << label->text().toStdString() << ": "
                << text.name().toStdString() << " on " << background.name().toStdString();
        };
        for (const char* name : {"trendYear", "trendIncome", "trendExpense", "trendBalance"})
            expectReadable(&trend, child<QLabel>(&trend, name));
        expectReadable(&bin, bin.findChildren<QLabel*>().first());
    }
}

}  // namespace
