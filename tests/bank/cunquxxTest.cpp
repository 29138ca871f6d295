#include "bank/cunquxx.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>

namespace {

QStringList row(const QTableWidget* grid, int r) {
    QStringList cells;
    for (int c = 0; c < grid->columnCount(); ++c)
        cells.append(grid->item(r, c) ? grid->item(r, c)->text() : QString());
    return cells;
}

QStringList headers(const QTableWidget* grid) {
    QStringList texts;
    for (int c = 0; c < grid->columnCount(); ++c)
        texts.append(grid->horizontalHeaderItem(c)->text());
    return texts;
}

TEST(RecordsWindow, ThreeDepositsAndTwoWithdrawalsWithBlankRowsBelow) {
    TestHousehold h;
    h.exec(QStringLiteral(
        "insert into yinghanbiao (mingcheng, jine, leixing, riqi, caozuoren) values "
        "('甲', 1000000, 'cunkuan', '2007-01-01', 'a'), ('乙', 125000, 'qukuan', '2007-01-02', 'b'), "
        "('丙', 20000, 'cunkuan', '2007-01-03', 'c'), ('丁', 30000, 'qukuan', '2007-01-04', 'd'), "
        "('戊', 40000, 'cunkuan', '2007-01-05', 'e')"));
    TForm5 form(h.household);
    auto* deposits = form.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
    auto* withdrawals = form.findChild<QTableWidget*>(QStringLiteral("StringGrid2"));
    ASSERT_TRUE(deposits && withdrawals);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("银行账务记录表"));
    EXPECT_EQ(headers(deposits), QStringList({"银行名称", "存款金额", "存款日期", "存款人"}));
    EXPECT_EQ(headers(withdrawals), QStringList({"银行名称", "取款金额", "取款日期", "取款人"}));
    ASSERT_EQ(deposits->rowCount(), 5);
    ASSERT_EQ(withdrawals->rowCount(), 5);
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
    EXPECT_EQ(deposits->rowCount(), 5);  // switching keeps the content
}

TEST(RecordsWindow, WithoutTransactionsOnlyTheHeadersShow) {
    TestHousehold h;
    TForm5 form(h.household);
    EXPECT_EQ(form.findChild<QTableWidget*>(QStringLiteral("StringGrid1"))->rowCount(), 0);
    EXPECT_EQ(form.findChild<QTableWidget*>(QStringLiteral("StringGrid2"))->rowCount(), 0);
}

}  // namespace
