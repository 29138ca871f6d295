#include "bank/BankRecords.h"
#include "bank/cunquxx.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>

namespace {

QStringList row(const QTableView* grid, int r) {
    QStringList cells;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        cells.append(grid->model()->index(r, c).data().toString());
    return cells;
}

QStringList headers(const QTableView* grid) {
    QStringList texts;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        texts.append(grid->model()->headerData(c, Qt::Horizontal).toString());
    return texts;
}

int rowCount(const QTableView* grid) {
    return grid->model()->rowCount();
}

TEST(RecordsWindow, ThreeDepositsAndTwoWithdrawalsWithBlankRowsBelow) {
    TestHousehold h;
    h.exec(QStringLiteral(
        "insert into yinghanbiao (mingcheng, jine, leixing, riqi, caozuoren) values "
        "('甲', 1000000, 'cunkuan', '2007-01-01', 'a'), ('乙', 125000, 'qukuan', '2007-01-02', 'b'), "
        "('丙', 20000, 'cunkuan', '2007-01-03', 'c'), ('丁', 30000, 'qukuan', '2007-01-04', 'd'), "
        "('戊', 40000, 'cunkuan', '2007-01-05', 'e')"));
    TForm5 form(h.household);
    auto* deposits = form.findChild<QTableView*>(QStringLiteral("StringGrid1"));
    auto* withdrawals = form.findChild<QTableView*>(QStringLiteral("StringGrid2"));
    ASSERT_TRUE(deposits && withdrawals);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("银行账务记录表"));
    EXPECT_EQ(headers(deposits), QStringList({"银行名称", "存款金额", "存款日期", "存款人"}));
    EXPECT_EQ(headers(withdrawals), QStringList({"银行名称", "取款金额", "取款日期", "取款人"}));
    ASSERT_EQ(rowCount(deposits), 5);
    ASSERT_EQ(rowCount(withdrawals), 5);
    EXPECT_EQ(row(deposits, 0), QStringList({"甲", "￥100.00", "2007-01-01", "a"}));
    EXPECT_EQ(row(deposits, 2), QStringList({"戊", "￥4.00", "2007-01-05", "e"}));
    EXPECT_EQ(row(deposits, 3), QStringList({"", "", "", ""}));
    EXPECT_EQ(row(withdrawals, 0), QStringList({"乙", "￥12.50", "2007-01-02", "b"}));
    EXPECT_EQ(row(withdrawals, 1)[0], QStringLiteral("丁"));
    EXPECT_EQ(row(withdrawals, 2), QStringList({"", "", "", ""}));
    EXPECT_EQ(row(withdrawals, 4), QStringList({"", "", "", ""}));

    auto* stack = form.findChild<QStackedWidget*>();
    EXPECT_EQ(stack->currentWidget(), deposits);
    form.findChild<QRadioButton*>(QStringLiteral("RadioButton2"))->click();
    EXPECT_EQ(stack->currentWidget(), withdrawals);
    form.findChild<QRadioButton*>(QStringLiteral("RadioButton1"))->click();
    EXPECT_EQ(stack->currentWidget(), deposits);
    EXPECT_EQ(rowCount(deposits), 5);  // switching keeps the content
}

TEST(RecordsWindow, ListsEveryRecordOfItsKindAboveBlankRows) {
    TestHousehold h;
    h.exec(
        QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i < 3000) "
                       "insert into yinghanbiao (mingcheng, jine, leixing, riqi, caozuoren) "
                       "select 'b'||i, i*10000, case when i%3=0 then 'qukuan' else 'cunkuan' end, "
                       "'2007-01-01', 'x' from n"));
    TForm5 form(h.household);
    form.resize(600, 420);
    form.show();
    QApplication::processEvents();
    auto* deposits = form.findChild<QTableView*>(QStringLiteral("StringGrid1"));
    auto* withdrawals = form.findChild<QTableView*>(QStringLiteral("StringGrid2"));
    EXPECT_EQ(rowCount(deposits), 3000);
    EXPECT_EQ(row(deposits, 0), QStringList({"b1", "￥1.00", "2007-01-01", "x"}));
    EXPECT_EQ(row(withdrawals, 999), QStringList({"b3000", "￥3000.00", "2007-01-01", "x"}));
    EXPECT_EQ(row(withdrawals, 1000), QStringList({"", "", "", ""}));
    EXPECT_EQ(row(deposits, 1999), QStringList({"b2999", "￥2999.00", "2007-01-01", "x"}));
    EXPECT_EQ(row(deposits, 2999), QStringList({"", "", "", ""}));
    EXPECT_EQ(rowCount(withdrawals), 3000);
}

// A header clicked sorts every grid by its column with the mark on it, the blank rows still below:
// 存款日期 newest first, again oldest first, 存款金额 smallest first; a transfers' grid made later
// follows the same order.
TEST(RecordsWindow, AHeaderClickSortsEveryGridAboveItsBlankRows) {
    TestHousehold h;
    h.exec(QStringLiteral(
        "insert into yinghanbiao (mingcheng, jine, leixing, riqi, caozuoren) values "
        "('甲', 1000000, 'cunkuan', '2007-01-03', 'a'), ('乙', 125000, 'qukuan', '2007-01-02', 'b'), "
        "('丙', 20000, 'cunkuan', '2007-01-05', 'c'), ('丁', 30000, 'qukuan', '2007-01-04', 'd'), "
        "('戊', 40000, 'cunkuan', '2007-01-01', 'e')"));
    TForm5 form(h.household);
    form.resize(600, 420);
    form.show();
    auto* deposits = form.findChild<QTableView*>(QStringLiteral("StringGrid1"));
    auto* withdrawals = form.findChild<QTableView*>(QStringLiteral("StringGrid2"));
    QHeaderView* header = deposits->horizontalHeader();
    const auto clickHeader = [&](int section) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 10, header->height() / 2));
    };
    const auto column = [](const QTableView* grid, int c) {
        QStringList cells;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            cells.append(grid->model()->index(r, c).data().toString());
        return cells;
    };
    EXPECT_FALSE(header->isSortIndicatorShown());
    clickHeader(2);
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(column(deposits, 2), QStringList({"2007-01-05", "2007-01-03", "2007-01-01", "", ""}));
    EXPECT_EQ(column(withdrawals, 2), QStringList({"2007-01-04", "2007-01-02", "", "", ""}));
    EXPECT_EQ(withdrawals->horizontalHeader()->sortIndicatorSection(), 2);
    clickHeader(2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(column(deposits, 0), QStringList({"戊", "甲", "丙", "", ""}));
    clickHeader(1);
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    EXPECT_EQ(column(deposits, 1), QStringList({"￥2.00", "￥4.00", "￥100.00", "", ""}));
    form.findChild<QRadioButton*>(QStringLiteral("RadioButton3"))->click();
    auto* transfers = form.findChild<QTableView*>(QStringLiteral("StringGrid3"));
    ASSERT_TRUE(transfers);
    EXPECT_EQ(transfers->horizontalHeader()->sortIndicatorSection(), 2);  // 金额
}

TEST(TransactionReader, ReadsNoFurtherThanTheRowAskedFor) {
    TestHousehold h;
    h.exec(QStringLiteral(
        "with recursive n(i) as (select 1 union all select i+1 from n where i < 500) "
        "insert into yinghanbiao (mingcheng, jine, leixing, riqi, caozuoren) "
        "select 'b'||i, i, case when i%2=0 then 'qukuan' else 'cunkuan' end, '2007-01-01', 'x' from n"));
    TransactionReader reader(h.database.connection());
    ASSERT_TRUE(reader.start().isOk());
    EXPECT_EQ(reader.total(), 500);
    EXPECT_EQ(reader.row(RecordKind::Deposit, 9).value(0), QStringLiteral("b19"));
    EXPECT_EQ(reader.rowsRead(), 19);
    EXPECT_EQ(reader.row(RecordKind::Withdrawal, 0).value(0),
              QStringLiteral("b2"));  // already read on the way
    EXPECT_EQ(reader.rowsRead(), 19);
    EXPECT_TRUE(reader.row(RecordKind::Withdrawal, 250).isEmpty());
    EXPECT_EQ(reader.rowsRead(), 500);
    EXPECT_TRUE(reader.error().isEmpty());
}

TEST(RecordsWindow, WithoutTransactionsOnlyTheHeadersShow) {
    TestHousehold h;
    TForm5 form(h.household);
    EXPECT_EQ(rowCount(form.findChild<QTableView*>(QStringLiteral("StringGrid1"))), 0);
    EXPECT_EQ(rowCount(form.findChild<QTableView*>(QStringLiteral("StringGrid2"))), 0);
}

}  // namespace
