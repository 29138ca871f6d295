#include "kit/DataGrid.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QSqlQuery>
#include <QSqlQueryModel>

namespace {

TEST(DataGrid, ShowsFieldsByNameWithMoneyFormatAndFooterSum) {
    TestHousehold h;
    h.exec(QStringLiteral("update zhangwubiao set jine=-100000"));
    h.exec(QStringLiteral("insert into zhangwubiao (mingcheng, jine) values ('工商银行', 1234500)"));
    QSqlQueryModel model;
    model.setQuery(QStringLiteral("select * from zhangwubiao"), h.database.connection());
    DataGrid grid;
    grid.setColumns(
        {{QStringLiteral("银行名称"), QStringLiteral("mingcheng")},
         {QStringLiteral("金额"), QStringLiteral("jine"), DataGrid::Format::Money, Qt::AlignHCenter}});
    grid.setSourceModel(&model);
    ASSERT_EQ(grid.model()->rowCount(), 2);
    EXPECT_EQ(grid.cellText(0, 0), QStringLiteral("家庭保险柜"));
    EXPECT_EQ(grid.cellText(0, 1), QStringLiteral("-￥10.00"));
    EXPECT_EQ(grid.cellText(1, 1), QStringLiteral("￥123.45"));
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("金额"));
    EXPECT_EQ(grid.value(1, QStringLiteral("mingcheng")).toString(), QStringLiteral("工商银行"));

    grid.setFooter(0, QStringLiteral("总金额："), 1);
    EXPECT_EQ(grid.footerSum(), QString());  // off until switched on
    grid.setFooterVisible(true);
    EXPECT_EQ(grid.footerText(), QStringLiteral("总金额："));
    EXPECT_EQ(grid.footerSum(), QStringLiteral("￥113.45"));
    grid.setFooterVisible(false);
    EXPECT_FALSE(grid.isFooterVisible());
}

TEST(DataGrid, LargeResultsAreFetchedLazily) {
    TestHousehold h;
    h.exec(QStringLiteral(
        "with recursive n(i) as (select 1 union all select i+1 from n where i<5000) "
        "insert into tixing (riqi, fanwei, neirong) select '2007-01-01','每天','r'||i from n"));
    QSqlQueryModel model;
    model.setQuery(QStringLiteral("select * from tixing"), h.database.connection());
    DataGrid grid;
    grid.setColumns({{QStringLiteral("提醒内容"), QStringLiteral("neirong")}});
    grid.setSourceModel(&model);
    EXPECT_LT(grid.model()->rowCount(), 5000);
    grid.setCurrentRow(3);
    EXPECT_EQ(grid.currentRow(), 3);
    EXPECT_EQ(grid.cellText(3, 0), QStringLiteral("r4"));
}

}  // namespace

namespace {

TEST(DataGrid, FooterRowStaysBelowTheRowsOnceShown) {
    TestHousehold h;
    QSqlQueryModel model;
    DataGrid grid;
    grid.setColumns({{QStringLiteral("金额"), QStringLiteral("jine"), DataGrid::Format::Money}});
    grid.setFooter(0, QStringLiteral("总金额："), 0);
    grid.setFooterVisible(true);  // before any query: nothing to fetch, and no endless fetching
    grid.setSourceModel(&model);
    grid.resize(300, 200);
    grid.show();
    model.setQuery(QStringLiteral("select * from zhangwubiao"), h.database.connection());
    grid.refreshFooter();
    QApplication::processEvents();
    const QWidget* footer = grid.findChild<QWidget*>(QStringLiteral("footer"));
    ASSERT_NE(footer, nullptr);
    EXPECT_TRUE(footer->isVisible());
    const QRect rows = grid.viewport()->geometry();
    EXPECT_GE(rows.top(), grid.horizontalHeader()->height());  // the header keeps its room
    EXPECT_GT(footer->y(), rows.bottom());
    EXPECT_LE(footer->y() + footer->height(), grid.height());
    EXPECT_EQ(grid.footerSum(), QStringLiteral("￥0.00"));
}

}  // namespace
