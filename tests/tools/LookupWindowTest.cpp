#include "kit/DataGrid.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"
#include "tools/cldj.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>

namespace {

struct Lookup {
    TestHousehold h;
    ScriptedPrompt prompt;
    TForm9 form{h.household};

    template <typename T>
    T* get(const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    DataGrid* grid() { return get<DataGrid>("DBGridEh1"); }
    int rows() {
        QAbstractItemModel* m = grid()->model();
        while (m->canFetchMore({}))
            m->fetchMore({});
        return m->rowCount();
    }
    int count(const QString& where) {
        return h
            .scalar(
                QStringLiteral("select count(*) from (select distinct 省份,地区,区号,邮编 from yzbh where ") +
                where + QLatin1Char(')'))
            .toInt();
    }
    void search(const QString& column, const QString& text) {
        get<QComboBox>("ComboBox3")->setCurrentText(column);
        get<QLineEdit>("Edit1")->setText(text);
        QTest::mouseClick(get<QToolButton>("SpeedButton2"), Qt::LeftButton);
    }
    QStringList items(const char* box) {
        QStringList list;
        QComboBox* b = get<QComboBox>(box);
        for (int i = 0; i < b->count(); ++i)
            list.append(b->itemText(i));
        return list;
    }
};

TEST(LookupWindow, OpensWithEveryRowTodayProvincesAndRegionColumn) {
    Lookup l;
    EXPECT_EQ(l.form.windowTitle(), QStringLiteral("邮政编号、区号速查"));
    EXPECT_EQ(l.get<QLabel>("Label4")->text(), QStringLiteral("查询日期：2007-01-15"));
    EXPECT_EQ(l.rows(), l.count(QStringLiteral("1")));
    const QStringList provinces = l.items("ComboBox1");
    EXPECT_EQ(provinces.size(), 31);
    EXPECT_TRUE(provinces.contains(QStringLiteral("北京市")));
    EXPECT_TRUE(provinces.contains(QStringLiteral("新疆维吾尔自治区")));
    EXPECT_EQ(l.get<QComboBox>("ComboBox1")->currentText(), QStringLiteral("请选择所属省份"));
    EXPECT_EQ(l.get<QComboBox>("ComboBox2")->currentText(), QStringLiteral("请选择所属地区"));
    EXPECT_EQ(l.items("ComboBox3"), QStringList({"省份", "地区", "区号", "邮编"}));
    EXPECT_EQ(l.get<QComboBox>("ComboBox3")->currentText(), QStringLiteral("地区"));
    EXPECT_EQ(l.form.focusWidget(), l.get<QLineEdit>("Edit1"));
    EXPECT_EQ(l.grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("省份"));
    EXPECT_TRUE(l.prompt.boxes().isEmpty());
}

TEST(LookupWindow, ProvinceTextRefillsRegionsAndRegionQueriesTheGrid) {
    Lookup l;
    const int all = l.rows();
    QComboBox* province = l.get<QComboBox>("ComboBox1");
    QComboBox* region = l.get<QComboBox>("ComboBox2");

    province->setCurrentIndex(province->findText(QStringLiteral("河北省")));
    EXPECT_EQ(l.items("ComboBox2").size(), 11);
    EXPECT_EQ(region->currentText(), QStringLiteral("请选择所属地区"));
    EXPECT_EQ(l.rows(), all);  // the grid is not touched

    region->setCurrentIndex(region->findText(QStringLiteral("石家庄市")));
    ASSERT_EQ(l.rows(), 1);
    EXPECT_EQ(l.grid()->cellText(0, 2), QStringLiteral("0311"));
    EXPECT_EQ(l.grid()->cellText(0, 3), QStringLiteral("050000"));

    // A partial name typed into the province box leaves no regions; a typed full name is used as typed.
    province->lineEdit()->clear();
    province->lineEdit()->insert(QStringLiteral("河"));
    EXPECT_TRUE(l.items("ComboBox2").isEmpty());
    province->setEditText(QStringLiteral("上海市"));
    EXPECT_EQ(l.items("ComboBox2").size(), 16);
    region->setEditText(QStringLiteral("浦东新区"));
    ASSERT_EQ(l.rows(), 1);
    EXPECT_EQ(l.grid()->cellText(0, 2), QStringLiteral("021"));
}

TEST(LookupWindow, SearchKeepsPatternCharactersAndTreatsQuoteAsText) {
    Lookup l;
    l.search(QStringLiteral("区号"), QStringLiteral("10"));
    EXPECT_EQ(l.rows(), l.count(QStringLiteral("区号 like '%10%'")));
    EXPECT_GT(l.rows(), 16);

    l.search(QStringLiteral("区号"), QStringLiteral("0_1"));
    EXPECT_EQ(l.rows(), l.count(QStringLiteral("区号 like '%0_1%'")));
    EXPECT_GT(l.rows(), 0);

    l.search(QStringLiteral("地区"), QStringLiteral("%"));
    EXPECT_EQ(l.rows(), l.count(QStringLiteral("地区 is not null")));

    // Rows with nothing in the column are not found by an empty text.
    l.h.exec(QStringLiteral("insert into yzbh (省份, 地区) values ('测试省', null)"));
    l.search(QStringLiteral("地区"), QString());
    EXPECT_EQ(l.rows(), l.count(QStringLiteral("地区 is not null")));

    l.search(QStringLiteral("地区"), QStringLiteral("' or '1'='1"));
    EXPECT_EQ(l.rows(), 0);
    EXPECT_TRUE(l.prompt.boxes().isEmpty());
    l.h.exec(QStringLiteral(
        "insert into yzbh (省份, 地区, 区号, 邮编) values ('测试省', 'O''Hare', '0999', '999999')"));
    l.search(QStringLiteral("地区"), QStringLiteral("'"));
    ASSERT_EQ(l.rows(), 1);
    EXPECT_EQ(l.grid()->cellText(0, 1), QStringLiteral("O'Hare"));

    // The text is not trimmed.
    l.search(QStringLiteral("省份"), QStringLiteral(" 北京市"));
    EXPECT_EQ(l.rows(), 0);
    EXPECT_TRUE(l.prompt.boxes().isEmpty());
}

TEST(LookupWindow, AllShowsIdenticalRowsOnceLeaveClosesAndFailuresAreReported) {
    Lookup l;
    const int all = l.rows();
    l.h.exec(
        QStringLiteral("insert into yzbh (省份, 地区, 区号, 邮编) select 省份, 地区, 区号, 邮编 from yzbh "
                       "where 地区='海淀区'"));
    l.search(QStringLiteral("地区"), QStringLiteral("海淀"));
    EXPECT_EQ(l.rows(), 1);
    QTest::mouseClick(l.get<QToolButton>("SpeedButton9"), Qt::LeftButton);
    EXPECT_EQ(l.rows(), all);

    l.h.exec(QStringLiteral("drop table yzbh"));
    QTest::mouseClick(l.get<QToolButton>("SpeedButton9"), Qt::LeftButton);
    ASSERT_EQ(l.prompt.boxes().size(), 1);
    EXPECT_EQ(l.prompt.boxes().first().caption, QStringLiteral("Tamberlo"));
    EXPECT_EQ(l.rows(), 0);

    l.form.show();
    QTest::mouseClick(l.get<QToolButton>("SpeedButton1"), Qt::LeftButton);
    EXPECT_FALSE(l.form.isVisible());
}

}  // namespace
