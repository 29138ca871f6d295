#include "data/Database.h"
#include "data/EntryListStatements.h"
#include "data/Statements.h"
#include "ledger/LedgerTotals.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

namespace {

// The plan the engine picks for a fixed statement, one line per step.
QString planOf(QSqlDatabase db, const char* statement, const QStringList& names) {
    QSqlQuery query(db);
    EXPECT_TRUE(query.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + QString::fromUtf8(statement)));
    for (const QString& name : names)
        query.bindValue(name, QStringLiteral("x"));
    EXPECT_TRUE(query.exec());
    QStringList steps;
    while (query.next())
        steps.append(query.value(3).toString());
    return steps.join(QLatin1Char('\n'));
}

TEST(LedgerIndexes, TotalsReadOnlyIndexesWhileTheListsKeepTheirOrder) {
    TestHousehold h;
    QSqlDatabase db = h.database.connection();
    // The summary's totals never touch the rows; without other types they come from the index already
    // grouped by type.
    EXPECT_TRUE(planOf(db, Sql::kPeriodTotals, {":qishi", ":jishu"}).contains("COVERING INDEX"));
    const QString twoTypes = planOf(db, Sql::kPeriodTotalsOfTwoTypes, {":qishi", ":jishu"});
    EXPECT_TRUE(twoTypes.contains("COVERING INDEX shouzhibiao_leixing_riqi_mingxi_feiyong"))
        << twoTypes.toStdString();
    EXPECT_FALSE(twoTypes.contains("TEMP B-TREE")) << twoTypes.toStdString();
    // Whether other types exist is looked up on an index, never by reading every entry.
    const QString others = planOf(db, Sql::kOtherTypesExist, {});
    EXPECT_FALSE(others.contains("SCAN shouzhibiao")) << others.toStdString();
    EXPECT_TRUE(others.contains("COVERING INDEX")) << others.toStdString();
    EXPECT_TRUE(planOf(db, Sql::kDetailTotals, {":qishi", ":jishu", ":mxlx"}).contains("COVERING INDEX"));
    // Today's lists keep the order of entry within the day, 全部 the order by detail.
    EXPECT_TRUE(planOf(db, Sql::kTodayIncome, {":mxlx", ":srriqi"}).contains("shouzhibiao_leixing_riqi "));
    EXPECT_TRUE(planOf(db, Sql::kTodayExpenses, {":mxlx", ":zcriqi"}).contains("shouzhibiao_leixing_riqi "));
    EXPECT_TRUE(planOf(db, Sql::kAllOfType, {":mxlx"}).contains("shouzhibiao_leixing_mingxi "));
    EXPECT_TRUE(
        planOf(db, Sql::kAllOfTypeKeeping, {":mxlx", ":kept"}).contains("shouzhibiao_leixing_mingxi "));
    EXPECT_TRUE(
        planOf(db, Sql::kDistinctDetails, {":mxlx"}).contains("COVERING INDEX shouzhibiao_leixing_mingxi"));
}

TEST(LedgerIndexes, DetailChoicesAreExactlyTheDistinctDetailsInTheirOrder) {
    TestHousehold h;
    h.exec(
        QStringLiteral("INSERT INTO shouzhibiao (leixing, mingxi, feiyong, shururiqi) VALUES "
                       "('zhichu', '午饭', 1, '2007-01-01'), ('zhichu', 'b', 1, '2007-01-01'), ('zhichu', "
                       "NULL, 1, '2007-01-01'), "
                       "('zhichu', '', 1, '2007-01-02'), ('zhichu', 'B', 1, '2007-01-02'), ('zhichu', "
                       "'午饭', 1, '2007-01-03'), "
                       "('zhichu', 'a', 1, '2007-01-03'), ('shouru', 'c', 1, '2007-01-03'), ('zhichu', 'b', "
                       "1, '2007-01-04')"));
    for (const char* type : {"zhichu", "shouru", "nothing"}) {
        QSqlQuery plain(h.database.connection());
        ASSERT_TRUE(plain.exec(QStringLiteral("select DISTINCT mingxi from shouzhibiao WHERE leixing='%1'")
                                   .arg(QLatin1String(type))));
        QStringList expected;
        while (plain.next())
            expected.append(plain.value(0).toString());
        const Result<QStringList> details =
            DistinctDetails(h.database.connection(), QString::fromLatin1(type));
        ASSERT_TRUE(details.isOk());
        EXPECT_EQ(details.value(), expected) << type;
    }
    EXPECT_EQ(DistinctDetails(h.database.connection(), QStringLiteral("zhichu")).value(),
              QStringList({"", "", "B", "a", "b", "午饭"}));
}

TEST(LedgerIndexes, AnOlderHouseholdGetsTheTotalsIndexesWhenOpened) {
    TestHousehold h;
    // The indexes of the first households.
    h.exec(QStringLiteral("DROP INDEX shouzhibiao_riqi_feiyong_leixing"));
    h.exec(QStringLiteral("DROP INDEX shouzhibiao_leixing_riqi_mingxi_feiyong"));
    h.exec(QStringLiteral("CREATE INDEX shouzhibiao_riqi ON shouzhibiao (shururiqi)"));
    h.exec(QStringLiteral("DROP INDEX shouzhibiao_zhanghu_leixing_mingxi"));
    h.exec(
        QStringLiteral("INSERT INTO shouzhibiao (leixing, mingxi, feiyong, shururiqi) VALUES "
                       "('shouru', 'a', 10000, '2007-01-15')"));
    const QString path = h.database.path();
    h.database.close();
    ASSERT_TRUE(h.database.open(path).isOk());
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from sqlite_master where type='index' and name in "
                                      "('shouzhibiao_riqi_feiyong_leixing', "
                                      "'shouzhibiao_leixing_riqi_mingxi_feiyong')"))
                  .toInt(),
              2);
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(), 1);
    QSqlDatabase db = h.database.connection();
    EXPECT_TRUE(planOf(db, Sql::kPeriodTotals, {":qishi", ":jishu"}).contains("COVERING INDEX"));
    EXPECT_TRUE(planOf(db, Sql::kAllOfType, {":mxlx"}).contains("shouzhibiao_leixing_mingxi "));
    EXPECT_TRUE(planOf(db, Sql::kTodayIncome, {":mxlx", ":srriqi"}).contains("shouzhibiao_leixing_riqi "));
    // 全部 of one place, a page after a detail, walks the place's own index.
    const QByteArray ofPlace =
        QString::fromUtf8(ListSql::kAllAfterDetail)
            .replace(QLatin1String(ListSql::kListCondition), QLatin1String(ListSql::kPlaceListCondition))
            .toUtf8();
    const QString placePlan = planOf(db, ofPlace.constData(), {":mxlx", ":zhanghu", ":key", ":n"});
    EXPECT_TRUE(
        placePlan.contains("shouzhibiao_zhanghu_leixing_mingxi (zhanghu=? AND leixing=? AND mingxi>?)"))
        << placePlan.toStdString();
    // A household of the last version, which has the summary's indexes, gets the lists' indexes alone.
    for (const char* index :
         {"shouzhibiao_zhanghu_leixing_mingxi", "shouzhibiao_leixing_feiyong", "yinghanbiao_riqi"})
        h.exec(QStringLiteral("DROP INDEX %1").arg(QLatin1String(index)));
    h.database.close();
    ASSERT_TRUE(h.database.open(path).isOk());
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from sqlite_master where name in "
                                      "('shouzhibiao_zhanghu_leixing_mingxi', 'shouzhibiao_leixing_feiyong', "
                                      "'yinghanbiao_riqi', 'yinghanbiao_jine')"))
                  .toInt(),
              4);
}

}  // namespace
