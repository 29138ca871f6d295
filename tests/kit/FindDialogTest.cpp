#include "kit/DataGrid.h"
#include "kit/FindDialog.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

namespace {

// 3000 expenses: details "d1".."d3000", amounts i yuan and a quarter cent, a few marked remarks.
struct ExpenseList {
    ExpenseList() {
        h.exec(
            QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<3000) "
                           "insert into shouzhibiao (leixing, mingxi, feiyong, shururiqi, dengjiren, beizhu) "
                           "select 'zhichu', 'd'||i, i*10000+25, '2007-01-15', '妈妈', "
                           "case when i in (40, 2500) then 'Abc 备注' else '' end from n"));
        h.exec(QStringLiteral(
            "insert into shouzhibiao (leixing, mingxi, feiyong, shururiqi) values "
            "('zhichu', '退款', -30000, '2007-01-16'), ('shouru', '工资', 500000, '2007-01-16')"));
        QSqlQuery rows(h.database.connection());
        rows.prepare(QStringLiteral("SELECT * from shouzhibiao WHERE leixing=:mxlx"));
        rows.bindValue(QStringLiteral(":mxlx"), QStringLiteral("zhichu"));
        EXPECT_TRUE(rows.exec());
        model.setQuery(std::move(rows));
        grid.setColumns(
            {{QStringLiteral("明细"), QStringLiteral("mingxi")},
             {QStringLiteral("金额"), QStringLiteral("feiyong"), DataGrid::Format::Money, Qt::AlignHCenter},
             {QStringLiteral("备注"), QStringLiteral("beizhu")}});
        grid.setSourceModel(&model);
    }
    TestHousehold h;
    QSqlQueryModel model;
    DataGrid grid;
};

FindQuery find(const QString& text, int column = -1, bool matchCase = false, bool down = true) {
    return {text, column, matchCase, down};
}

TEST(FindDialog, SearchesALazyListInTheDatabaseInTheListsOwnOrder) {
    ExpenseList list;
    ASSERT_LT(list.model.rowCount(), 3000);  // not read yet
    // The order the grid shows is the order of the statement, whatever it is.
    QSqlQuery order(list.h.database.connection());
    ASSERT_TRUE(order.exec(QStringLiteral("SELECT mingxi from shouzhibiao WHERE leixing='zhichu'")));
    QStringList details;
    while (order.next())
        details.append(order.value(0).toString());
    const auto rowOf = [&](const char* detail) {
        return static_cast<int>(details.indexOf(QString::fromUtf8(detail)));
    };

    EXPECT_EQ(list.grid.find(find(QStringLiteral("d2999")), -1).value(), rowOf("d2999"));
    EXPECT_LT(list.model.rowCount(), 3000);  // the search read nothing into the grid
    // Money as the grid shows it, rounded to the cent, the sign before the yuan sign.
    EXPECT_EQ(list.grid.find(find(QStringLiteral("￥1234.00")), -1).value(), rowOf("d1234"));
    EXPECT_EQ(list.grid.find(find(QStringLiteral("-￥3.00")), -1).value(), rowOf("退款"));
    EXPECT_EQ(list.grid.find(find(QStringLiteral("1234.0025")), -1).value(), -1);
    // One column only, letter case, and texts that are patterns elsewhere.
    EXPECT_EQ(list.grid.find(find(QStringLiteral("abc"), 0), -1).value(), -1);
    const int first = std::min(rowOf("d40"), rowOf("d2500"));
    const int second = std::max(rowOf("d40"), rowOf("d2500"));
    EXPECT_EQ(list.grid.find(find(QStringLiteral("abc"), 2), -1).value(), first);
    EXPECT_EQ(list.grid.find(find(QStringLiteral("abc"), 2, true), -1).value(), -1);
    EXPECT_EQ(list.grid.find(find(QStringLiteral("Abc 备"), 2, true), first).value(), second);
    EXPECT_EQ(list.grid.find(find(QStringLiteral("%")), -1).value(), -1);
    EXPECT_EQ(list.grid.find(find(QStringLiteral("_")), -1).value(), -1);
    // Down goes on after the row, up before it; neither wraps round.
    EXPECT_EQ(list.grid.find(find(QStringLiteral("abc")), second).value(), -1);
    EXPECT_EQ(list.grid.find(find(QStringLiteral("abc"), -1, false, false), second).value(), first);
    EXPECT_EQ(list.grid.find(find(QStringLiteral("abc"), -1, false, false), first).value(), -1);
    EXPECT_EQ(list.grid.find(find(QStringLiteral("abc"), -1, false, false), -1).value(), second);
    // Income is not in this list although the table holds it.
    EXPECT_EQ(list.grid.find(find(QStringLiteral("工资")), -1).value(), -1);
}

TEST(FindDialog, OpensWithCtrlFAndFromTheMenuAndSelectsTheRowFound) {
    ExpenseList list;
    ScriptedPrompt prompt;
    list.grid.resize(500, 300);
    list.grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list.grid));
    list.grid.setFocus();
    QTest::keyClick(&list.grid, Qt::Key_F, Qt::ControlModifier);
    auto* dialog = list.grid.findChild<FindDialog*>(QStringLiteral("FindDialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("查找"));
    auto* action = list.grid.findChild<QAction*>(QStringLiteral("findAction"));
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(list.grid.actions().contains(action));
    EXPECT_EQ(list.grid.contextMenuPolicy(), Qt::ActionsContextMenu);

    auto* columns = dialog->findChild<QComboBox*>(QStringLiteral("findColumn"));
    EXPECT_EQ(columns->count(), 4);
    EXPECT_EQ(columns->itemText(0), QStringLiteral("所有列"));
    EXPECT_EQ(columns->itemText(3), QStringLiteral("备注"));
    dialog->findChild<QLineEdit*>(QStringLiteral("findText"))->setText(QStringLiteral("d2999"));
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("findNext")), Qt::LeftButton);
    EXPECT_GE(list.grid.currentRow(), 0);
    EXPECT_EQ(list.grid.cellText(list.grid.currentRow(), 0), QStringLiteral("d2999"));
    EXPECT_TRUE(prompt.boxes().isEmpty());

    // Nothing further: said in Chinese, the row stays.
    const int row = list.grid.currentRow();
    EXPECT_EQ(dialog->findNext(), -1);
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("没有找到“d2999”")));
    EXPECT_EQ(list.grid.currentRow(), row);
    // A list locked while a row is edited keeps its row.
    list.grid.setEnabled(false);
    dialog->findChild<QRadioButton*>(QStringLiteral("findUp"))->setChecked(true);
    EXPECT_EQ(dialog->findNext(), -1);
    EXPECT_TRUE(prompt.boxes().last().text.contains(QStringLiteral("请先保存或取消")));
    list.grid.setEnabled(true);
    dialog->findChild<QLineEdit*>(QStringLiteral("findText"))->setText(QStringLiteral("d1"));
    EXPECT_LT(dialog->findNext(), row);
    dialog->close();
}

TEST(FindDialog, AnyGridCanTakeItAndIsLookedThroughByItsTexts) {
    QStandardItemModel model(0, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("名称"), QStringLiteral("金额")});
    for (const char* name : {"张三", "李四", "Bob", "bob"})
        model.appendRow(
            {new QStandardItem(QString::fromUtf8(name)), new QStandardItem(QStringLiteral("￥1.00"))});
    QTableView view;
    view.setModel(&model);
    FindDialog::install(&view);
    FindDialog* dialog = FindDialog::open(&view);
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>(QStringLiteral("findText"))->setText(QStringLiteral("bob"));
    dialog->findChild<QCheckBox*>(QStringLiteral("matchCase"))->setChecked(true);
    EXPECT_EQ(dialog->findNext(), 3);
    EXPECT_EQ(view.currentIndex().row(), 3);
    dialog->findChild<QCheckBox*>(QStringLiteral("matchCase"))->setChecked(false);
    dialog->findChild<QRadioButton*>(QStringLiteral("findUp"))->setChecked(true);
    EXPECT_EQ(dialog->findNext(), 2);
    EXPECT_EQ(FindInModel(model, find(QStringLiteral("￥1"), 0), -1), -1);
    EXPECT_EQ(FindInModel(model, find(QStringLiteral("￥1"), 1), 0), 1);
    dialog->close();
}

TEST(FindDialog, PlaceholdersAreReadFromTheStatementOutsideQuotes) {
    EXPECT_EQ(PlaceholderNames(QStringLiteral(
                  "SELECT * from t WHERE a=:mxlx and b=':no' and c::text=:srriqi UNION ALL select :mxlx")),
              QStringList({":mxlx", ":srriqi"}));
}

}  // namespace
