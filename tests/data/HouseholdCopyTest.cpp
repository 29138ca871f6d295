#include "data/Database.h"
#include "data/EngineVariants.h"
#include "data/HouseholdCopy.h"
#include "support/TempHome.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

namespace {

void exec(Database& db, const QString& sql) {
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
}

// Every row of every household table, as text, in key order.
QStringList rowsOf(Database& db) {
    QStringList rows;
    for (const char* table : {"shouzhibiao", "zhangwubiao", "yinghanbiao", "tixing", "quanxiangbiao", "yzbh",
                              "huishouzhan", "daorujilu", "zhangdanhao", "mingxiguize", "zhifufangshi",
                              "lieyingshe", "yusuan", "yusuanyue", "yusuan_tixing", "dingqishouzhi"}) {
        QSqlQuery q(db.connection());
        EXPECT_TRUE(q.exec(QStringLiteral("select * from %1 order by id").arg(QString::fromLatin1(table))));
        while (q.next()) {
            QStringList fields{QString::fromLatin1(table)};
            for (int i = 0; i < q.record().count(); ++i)
                fields.append(q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            rows.append(fields.join(QLatin1Char('|')));
        }
    }
    return rows;
}

// A household file moved onto the server and backed up from it again comes back row for row, keys,
// nulls, large amounts and awkward texts included, and the server numbers new rows after the copied ones.
TEST(HouseholdCopy, FileToServerToFileKeepsEveryRowAndTheServerNumbersOnAfterThem) {
    TempHome home;
    Database file;
    ASSERT_TRUE(file.open(home.databasePath()).isOk());
    exec(file, QStringLiteral(
                   "insert into shouzhibiao (id, leixing, mingxi, feiyong, shururiqi, dengjiren, beizhu) "
                   "values (7, 'shouru', '工资', 9223372036854775807, '2007-01-15', '管理员', null)"));
    exec(file, QStringLiteral("insert into shouzhibiao (id, leixing, mingxi, feiyong, shururiqi) values "
                              "(900, 'zhichu', 'it''s 50% 😀', -12345, '2007-01-16')"));
    exec(file, QStringLiteral("update zhangwubiao set jine=-5"));
    exec(file, QStringLiteral("insert into zhangwubiao (mingcheng, yonghuming, zhanghao, mima, jine) values "
                              "('工商银行', 'u', '6222', null, 5000000)"));
    exec(file, QStringLiteral("insert into yinghanbiao (mingcheng, jine, leixing, riqi, caozuoren) values "
                              "('工商银行', 10000, 'cunkuan', '2007-01-15', '管理员')"));
    exec(file, QStringLiteral(
                   "insert into tixing (riqi, fanwei, neirong) values ('2007-01-15', '每天', '交电费')"));
    exec(file, QStringLiteral("insert into quanxiangbiao (yonghuID, xingming, mima, quangxian) values "
                              "('Mama', '妈妈', 'Pw', '0011111')"));
    // The bill imports' five tables come across too.
    exec(file,
         QStringLiteral("insert into daorujilu (id, shijian, wenjian, laiyuan, hangshu, caozuoren, chexiao) "
                        "values (3, '2007-01-15 08:00:00', '支付宝.csv', 'zhifubao', 1, '管理员', 1)"));
    exec(file, QStringLiteral("insert into zhangdanhao (laiyuan, zhanghu, jiaoyihao, shouzhi, yinghan, "
                              "chuangjian, daoru, riqi, jine) values ('zhifubao', 1, '2007011522001', 7, "
                              "null, 1, 3, '2007-01-15', 281600)"));
    exec(file,
         QStringLiteral(
             "insert into mingxiguize (guanjianci, leixing, mingxi) values ('星巴克', 'zhichu', '咖啡')"));
    exec(file,
         QStringLiteral("insert into zhifufangshi (laiyuan, fangshi, zhanghu) values ('weixin', '零钱', 1)"));
    exec(file, QStringLiteral(
                   "insert into lieyingshe (mingcheng, peizhi) values ('农商行', '{\"date\":\"日期\"}')"));
    exec(file,
         QStringLiteral("insert into dingqishouzhi (leixing, mingxi, jine, zhanghu, jiange, danwei, ri, "
                        "kaishi, cishu, zidong, yizuo) values ('zhichu', '房租', 25000000, 1, 1, 'month', "
                        "31, '2007-01-01', 12, 1, '2007-01-31')"));
    // And the budgets' three.
    exec(file, QStringLiteral(
                   "insert into yusuan (mingxi, meiyue, jiezhuan, qishi) values ('', null, 1, '2007-01')"));
    exec(file, QStringLiteral("insert into yusuanyue (yusuan, yuefen, jine) values (1, '2007-02', 3000000)"));
    exec(file,
         QStringLiteral("insert into yusuan_tixing (mingxi, yuefen, jibie) values ('', '2007-01', 80)"));
    const QStringList original = rowsOf(file);
    for (const char* table : {"daorujilu", "zhangdanhao", "mingxiguize", "zhifufangshi", "lieyingshe",
                              "yusuan", "yusuanyue", "yusuan_tixing", "dingqishouzhi"})
        EXPECT_EQ(original.filter(QString::fromLatin1(table) + QLatin1Char('|')).size(), 1) << table;

    ScratchServerDatabase scratch;
    ASSERT_FALSE(scratch.connection().isEmpty()) << scratch.error().toStdString();
    Database server;
    ASSERT_TRUE(server.openServer(scratch.connection()).isOk());
    ASSERT_TRUE(
        server.transaction([&] { return CopyHouseholdRows(file.connection(), server.connection()); }).isOk());
    EXPECT_EQ(rowsOf(server), original);
    exec(server, QStringLiteral("insert into shouzhibiao (leixing, feiyong) values ('shouru', 1)"));
    QSqlQuery last(server.connection());
    ASSERT_TRUE(last.exec(QStringLiteral("select max(id) from shouzhibiao")) && last.next());
    EXPECT_EQ(last.value(0).toLongLong(), 901);
    exec(server, QStringLiteral("delete from shouzhibiao where id=901"));

    QTemporaryDir backups;
    Database backup;
    ASSERT_TRUE(backup.open(backups.filePath(QStringLiteral("lomu.mdb"))).isOk());
    ASSERT_TRUE(
        backup.transaction([&] { return CopyHouseholdRows(server.connection(), backup.connection()); })
            .isOk());
    EXPECT_EQ(rowsOf(backup), original);
}

TEST(HouseholdCopy, HouseholdsOfDifferentVersionsAreNotMixedAndTheTargetStaysAsItWas) {
    TempHome home;
    Database file;
    ASSERT_TRUE(file.open(home.databasePath()).isOk());
    exec(file, QStringLiteral("PRAGMA user_version = 1"));
    ScratchServerDatabase scratch;
    ASSERT_FALSE(scratch.connection().isEmpty()) << scratch.error().toStdString();
    Database server;
    ASSERT_TRUE(server.openServer(scratch.connection()).isOk());
    exec(server, QStringLiteral("update zhangwubiao set jine=42"));
    const Status copied =
        server.transaction([&] { return CopyHouseholdRows(file.connection(), server.connection()); });
    ASSERT_FALSE(copied.isOk());
    EXPECT_TRUE(copied.error().contains(QStringLiteral("数据版本不同")));
    QSqlQuery q(server.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("select jine from zhangwubiao")) && q.next());
    EXPECT_EQ(q.value(0).toLongLong(), 42);
}

}  // namespace
