#include "access/Login.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/Secrets.h"
#include "kit/UpgradeProgress.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>

#include <sys/stat.h>

namespace {

QVariant scalarOf(Database& db, const QString& sql) {
    QSqlQuery q(db.connection());
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
    return q.next() ? q.value(0) : QVariant();
}

bool hasIndex(Database& db, const char* name) {
    return scalarOf(db, QStringLiteral("select count(*) from sqlite_master where type='index' and name='%1'")
                            .arg(QString::fromLatin1(name)))
               .toInt() == 1;
}

QByteArray fileHash(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// A household as the first version of the tables wrote it: one entry, ￥800.00 at home, and without the
// detail index and the index of a place's lists that came later.
void writeFirstVersionFile(const QString& path, const QStringList& alsoRun = {}) {
    Database db;
    ASSERT_TRUE(db.open(path).isOk());
    QStringList statements = {
        QStringLiteral("DROP INDEX shouzhibiao_leixing_mingxi"),
        QStringLiteral("DROP INDEX shouzhibiao_zhanghu_leixing_mingxi"),
        QStringLiteral("UPDATE zhangwubiao SET jine=8000000"),
        QStringLiteral("INSERT INTO shouzhibiao (leixing,mingxi,feiyong,shururiqi,dengjiren) VALUES "
                       "('shouru','工资',8000000,'2007-01-15','管理员')"),
        QStringLiteral("PRAGMA user_version = 1"),
    };
    statements += alsoRun;
    for (const QString& sql : statements)
        ASSERT_TRUE(QSqlQuery(db.connection()).exec(sql)) << sql.toStdString();
}

// The program's upgrade notice, installed for one test, noting every time its window is shown.
class UpgradeWindowWatch final : public QObject {
  public:
    int shown = 0;
    UpgradeWindowWatch() {
        Database::setUpgradeNotice(ShowUpgradeProgress);
        qApp->installEventFilter(this);
    }
    ~UpgradeWindowWatch() override { Database::setUpgradeNotice(nullptr); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == QStringLiteral("UpgradeProgress"))
            ++shown;
        return false;
    }
    static QProgressDialog* window() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QStringLiteral("UpgradeProgress"))
                return qobject_cast<QProgressDialog*>(w);
        }
        return nullptr;
    }
};

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.mdb")}, QDir::Files, QDir::Name);
}

}  // namespace

TEST(Upgrade, ANewFileIsAtTheNewestVersionAndReopeningCopiesNothing) {
    TempHome home;
    for (int i = 0; i < 2; ++i) {
        Database db;
        ASSERT_TRUE(db.open(home.databasePath()).isOk());
        EXPECT_EQ(scalarOf(db, QStringLiteral("PRAGMA user_version")).toInt(), kSchemaVersion);
        EXPECT_TRUE(hasIndex(db, "shouzhibiao_leixing_mingxi"));
    }
    EXPECT_EQ(filesIn(QFileInfo(home.databasePath()).absolutePath()),
              QStringList{QStringLiteral("lomu.mdb")});
}

TEST(Upgrade, AFirstVersionFileIsUpgradedAfterASafetyCopy) {
    // The safety copy holds the household (the bank passwords among it): its owner's only, as the file is.
    const mode_t previous = umask(022);
    const auto restoreUmask = qScopeGuard([previous] { umask(previous); });
    TempHome home;
    writeFirstVersionFile(home.databasePath());
    const QString folder = QFileInfo(home.databasePath()).absolutePath();
    {
        Database db;
        const Status opened = db.open(home.databasePath());
        ASSERT_TRUE(opened.isOk()) << opened.error().toStdString();
        EXPECT_EQ(scalarOf(db, QStringLiteral("PRAGMA user_version")).toInt(), kSchemaVersion);
        EXPECT_TRUE(hasIndex(db, "shouzhibiao_leixing_mingxi"));
        EXPECT_EQ(scalarOf(db, QStringLiteral("select jine from zhangwubiao")).toLongLong(), 8000000);
        EXPECT_EQ(scalarOf(db, QStringLiteral("select mingxi||feiyong from shouzhibiao")).toString(),
                  QStringLiteral("工资8000000"));
        EXPECT_EQ(scalarOf(db, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }
    // The copy is the file exactly as the older program left it, and opens as a version-1 household.
    EXPECT_EQ(filesIn(folder), (QStringList{QStringLiteral("lomu-v1.mdb"), QStringLiteral("lomu.mdb")}));
    Database copy;
    const QString copyPath = folder + QStringLiteral("/lomu-v1.mdb");
    EXPECT_FALSE(QFile::permissions(copyPath) & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                                 QFileDevice::WriteGroup | QFileDevice::WriteOther));
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy"));
        raw.setDatabaseName(copyPath);
        ASSERT_TRUE(raw.open());
        QSqlQuery q(raw);
        ASSERT_TRUE(
            q.exec(QStringLiteral("select (select user_version from pragma_user_version), "
                                  "(select count(*) from shouzhibiao), (select jine from zhangwubiao)")));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 1);
        EXPECT_EQ(q.value(1).toInt(), 1);
        EXPECT_EQ(q.value(2).toLongLong(), 8000000);
        q.finish();
        raw.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("copy"));

    // A second older file later gets a copy of its own; the first copy is kept.
    writeFirstVersionFile(folder + QStringLiteral("/lomu.mdb"), {QStringLiteral("DELETE FROM shouzhibiao")});
    Database again;
    ASSERT_TRUE(again.open(home.databasePath()).isOk());
    EXPECT_EQ(filesIn(folder), (QStringList{QStringLiteral("lomu-v1-2.mdb"), QStringLiteral("lomu-v1.mdb"),
                                            QStringLiteral("lomu.mdb")}));
}

// A household of the second version (before the bin existed), with entries and a balance, gains the bin
// after a safety copy; every row stays as it was and the bin takes deletions at once.
TEST(Upgrade, ASecondVersionFileGainsTheBinAfterASafetyCopy) {
    TempHome home;
    const QString folder = QFileInfo(home.databasePath()).absolutePath();
    {
        Database db;
        ASSERT_TRUE(db.open(home.databasePath()).isOk());
        for (const char* sql :
             {"DROP TABLE huishouzhan", "UPDATE zhangwubiao SET jine=12345678",
              "INSERT INTO shouzhibiao (leixing,mingxi,feiyong,shururiqi,dengjiren,beizhu) VALUES "
              "('shouru','工资',30000000,'2007-01-05','管理员','一月'),"
              "('zhichu','房租',12000000,'2007-01-10','管理员',NULL)",
              "INSERT INTO yinghanbiao (mingcheng,jine,leixing,riqi,caozuoren) VALUES "
              "('工商银行',500000,'cunkuan','2007-01-11','管理员')",
              "PRAGMA user_version = 2"})
            ASSERT_TRUE(QSqlQuery(db.connection()).exec(QString::fromUtf8(sql))) << sql;
    }
    {
        Database db;
        const Status opened = db.open(home.databasePath());
        ASSERT_TRUE(opened.isOk()) << opened.error().toStdString();
        EXPECT_EQ(scalarOf(db, QStringLiteral("PRAGMA user_version")).toInt(), kSchemaVersion);
        EXPECT_TRUE(hasIndex(db, "huishouzhan_shanchushijian"));
        EXPECT_EQ(scalarOf(db, QStringLiteral("select count(*) from huishouzhan")).toInt(), 0);
        EXPECT_EQ(
            scalarOf(db, QStringLiteral("select group_concat(mingxi||feiyong||ifnull(beizhu,'-'),'|') from "
                                        "(select * from shouzhibiao order by id)"))
                .toString(),
            QStringLiteral("工资30000000一月|房租12000000-"));
        EXPECT_EQ(scalarOf(db, QStringLiteral("select jine from zhangwubiao where mingcheng='家庭保险柜'"))
                      .toLongLong(),
                  12345678);
        EXPECT_EQ(scalarOf(db, QStringLiteral("select count(*) from yinghanbiao")).toInt(), 1);
        EXPECT_EQ(scalarOf(db, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        // The new table takes a kept entry as a deletion writes it.
        ASSERT_TRUE(
            QSqlQuery(db.connection())
                .exec(QStringLiteral("insert into huishouzhan (leixing,mingxi,feiyong,shururiqi,dengjiren,"
                                     "beizhu,shanchuren,shanchushijian) select leixing,mingxi,feiyong,"
                                     "shururiqi,dengjiren,beizhu,'管理员','2007-01-15 10:00:00' from "
                                     "shouzhibiao where id=1")));
    }
    // The copy is the version-2 file as it was, without the bin.
    EXPECT_EQ(filesIn(folder), (QStringList{QStringLiteral("lomu-v2.mdb"), QStringLiteral("lomu.mdb")}));
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy2"));
        raw.setDatabaseName(folder + QStringLiteral("/lomu-v2.mdb"));
        ASSERT_TRUE(raw.open());
        QSqlQuery q(raw);
        ASSERT_TRUE(
            q.exec(QStringLiteral("select (select user_version from pragma_user_version), "
                                  "(select count(*) from shouzhibiao), (select count(*) from sqlite_master "
                                  "where name='huishouzhan')")));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 2);
        EXPECT_EQ(q.value(1).toInt(), 2);
        EXPECT_EQ(q.value(2).toInt(), 0);
        q.finish();
        raw.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("copy2"));
}

// An upgrade that takes more than a second (here it waits for another program's write to end) shows a
// modal progress window, without a cancel button, until it has ended; the file is upgraded.
TEST(Upgrade, ALongUpgradeShowsAProgressWindowUntilItEnds) {
    TempHome home;
    writeFirstVersionFile(home.databasePath());
    UpgradeWindowWatch watch;
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
    other.setDatabaseName(home.databasePath());
    ASSERT_TRUE(other.open());
    ASSERT_TRUE(QSqlQuery(other).exec(QStringLiteral("BEGIN IMMEDIATE")));
    bool visible = false;
    bool modal = false;
    QString text;
    QTimer::singleShot(1500, [&] {
        if (QProgressDialog* window = UpgradeWindowWatch::window()) {
            visible = window->isVisible();
            modal = window->isModal();
            text = window->labelText();
        }
        QSqlQuery(other).exec(QStringLiteral("ROLLBACK"));
    });
    {
        Database db;
        const Status opened = db.open(home.databasePath());
        ASSERT_TRUE(opened.isOk()) << opened.error().toStdString();
        EXPECT_EQ(scalarOf(db, QStringLiteral("PRAGMA user_version")).toInt(), kSchemaVersion);
    }
    EXPECT_TRUE(visible);
    EXPECT_TRUE(modal);
    EXPECT_EQ(text, QStringLiteral("正在升级家庭数据库（数据版本 1 → %1），请稍候…").arg(kSchemaVersion));
    EXPECT_EQ(watch.shown, 1);
    EXPECT_EQ(UpgradeWindowWatch::window(), nullptr);
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
}

TEST(Upgrade, AQuickUpgradeShowsNoProgressWindow) {
    TempHome home;
    writeFirstVersionFile(home.databasePath());
    UpgradeWindowWatch watch;
    {
        Database db;
        ASSERT_TRUE(db.open(home.databasePath()).isOk());
        EXPECT_EQ(scalarOf(db, QStringLiteral("PRAGMA user_version")).toInt(), kSchemaVersion);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(watch.shown, 0);
    EXPECT_EQ(UpgradeWindowWatch::window(), nullptr);
}

// An upgrade that cannot finish leaves the file at its old version with every row, and says where the
// safety copy is.
TEST(Upgrade, AFailedUpgradeLeavesTheOldFileWhole) {
    TempHome home;
    // A column the new index needs is missing, so the upgrade fails half way.
    writeFirstVersionFile(home.databasePath(),
                          {QStringLiteral("DROP INDEX shouzhibiao_leixing_riqi_mingxi_feiyong"),
                           QStringLiteral("DROP INDEX IF EXISTS shouzhibiao_mingxi_leixing_riqi_feiyong"),
                           QStringLiteral("ALTER TABLE shouzhibiao DROP COLUMN mingxi")});
    {
        Database db;
        const Status opened = db.open(home.databasePath());
        ASSERT_FALSE(opened.isOk());
        EXPECT_TRUE(
            opened.error().contains(QStringLiteral("无法从数据版本 1 升级到版本 %1").arg(kSchemaVersion)))
            << opened.error().toStdString();
        EXPECT_TRUE(opened.error().contains(QStringLiteral("lomu-v1.mdb"))) << opened.error().toStdString();
        EXPECT_FALSE(db.isOpen());
    }
    QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("failed"));
    raw.setDatabaseName(home.databasePath());
    ASSERT_TRUE(raw.open());
    {
        QSqlQuery q(raw);
        ASSERT_TRUE(
            q.exec(QStringLiteral("select (select user_version from pragma_user_version), "
                                  "(select count(*) from shouzhibiao), (select jine from zhangwubiao)")));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 1);
        EXPECT_EQ(q.value(1).toInt(), 1);
        EXPECT_EQ(q.value(2).toLongLong(), 8000000);
    }
    raw.close();
    raw = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("failed"));
}

TEST(Upgrade, AFileFromANewerProgramIsRefusedAndLeftUntouched) {
    TempHome home;
    {
        Database db;
        ASSERT_TRUE(db.open(home.databasePath()).isOk());
        ASSERT_TRUE(QSqlQuery(db.connection())
                        .exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion + 1)));
    }
    const QByteArray before = fileHash(home.databasePath());
    Database db;
    const Status opened = db.open(home.databasePath());
    ASSERT_FALSE(opened.isOk());
    EXPECT_EQ(
        opened.error(),
        QStringLiteral("数据库文件 %1 由较新版本的 Tamberlo 写成（数据版本 %2，本程序只认识到版本 %3）。"
                       "请使用较新版本的 Tamberlo 打开它。文件未打开，也未作任何改动。")
            .arg(home.databasePath())
            .arg(kSchemaVersion + 1)
            .arg(kSchemaVersion));
    EXPECT_FALSE(db.isOpen());
    EXPECT_EQ(fileHash(home.databasePath()), before);
    EXPECT_EQ(filesIn(QFileInfo(home.databasePath()).absolutePath()),
              QStringList{QStringLiteral("lomu.mdb")});
}

namespace {

// Every row of the tables a version-3 household has, in key order, every column it had then but the
// passwords (which are no longer kept as text).
QStringList dumpVersion3Rows(QSqlDatabase db) {
    QStringList rows;
    for (const char* sql :
         {"select id,leixing,mingxi,feiyong,shururiqi,dengjiren,beizhu from shouzhibiao order by id",
          "select id,mingcheng,yonghuming,zhanghao,jine from zhangwubiao order by id",
          "select id,mingcheng,jine,leixing,riqi,caozuoren from yinghanbiao order by id",
          "select id,riqi,fanwei,neirong from tixing order by id",
          "select id,yonghuID,xingming,quangxian from quanxiangbiao order by id",
          "select id,leixing,mingxi,feiyong,shururiqi,dengjiren,beizhu,shanchuren,shanchushijian from "
          "huishouzhan order by id",
          "select leixing,sum(feiyong) from shouzhibiao group by leixing order by leixing",
          "select leixing,mingxi,sum(feiyong) from shouzhibiao group by leixing,mingxi order by 1,2"}) {
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(QString::fromUtf8(sql))) << sql;
        while (q.next()) {
            QStringList fields;
            for (int c = 0; c < q.record().count(); ++c)
                fields.append(q.value(c).isNull() ? QStringLiteral("<null>") : q.value(c).toString());
            rows.append(fields.join(QLatin1Char('|')));
        }
    }
    return rows;
}

}  // namespace

// A household written with the version-3 tables (entries, banks, records, reminders, users and the bin)
// keeps every row, total and balance; every entry and every binned entry is on the home safe, which
// becomes the cash, and every bank a bank card.
TEST(Upgrade, AThirdVersionFilePutsEveryEntryOnTheHomeSafeAndKeepsEverything) {
    TempHome home;
    QStringList before;
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v3"));
        raw.setDatabaseName(home.databasePath());
        ASSERT_TRUE(QDir().mkpath(QFileInfo(home.databasePath()).absolutePath()));
        ASSERT_TRUE(raw.open());
        for (const char* sql : {
                 "CREATE TABLE shouzhibiao (id INTEGER PRIMARY KEY, leixing TEXT NOT NULL, mingxi TEXT, "
                 "feiyong "
                 "INTEGER, shururiqi TEXT, dengjiren TEXT, beizhu TEXT)",
                 "CREATE INDEX shouzhibiao_riqi_feiyong_leixing ON shouzhibiao (shururiqi, feiyong, leixing)",
                 "CREATE INDEX shouzhibiao_leixing_riqi_mingxi_feiyong ON shouzhibiao (leixing, shururiqi, "
                 "mingxi, feiyong)",
                 "CREATE INDEX shouzhibiao_leixing_riqi ON shouzhibiao (leixing, shururiqi)",
                 "CREATE INDEX shouzhibiao_leixing_mingxi ON shouzhibiao (leixing, mingxi)",
                 "CREATE TABLE zhangwubiao (id INTEGER PRIMARY KEY, mingcheng TEXT NOT NULL UNIQUE, "
                 "yonghuming "
                 "TEXT, zhanghao TEXT, mima TEXT, jine INTEGER DEFAULT 0)",
                 "CREATE TABLE yinghanbiao (id INTEGER PRIMARY KEY, mingcheng TEXT, jine INTEGER, leixing "
                 "TEXT, "
                 "riqi TEXT, caozuoren TEXT)",
                 "CREATE TABLE tixing (id INTEGER PRIMARY KEY, riqi TEXT, fanwei TEXT, neirong TEXT)",
                 "CREATE TABLE quanxiangbiao (id INTEGER PRIMARY KEY, yonghuID TEXT COLLATE NOCASE, xingming "
                 "TEXT, mima TEXT COLLATE NOCASE, quangxian TEXT)",
                 "CREATE INDEX quanxiangbiao_yonghuID ON quanxiangbiao (yonghuID)",
                 "CREATE TABLE yzbh (id INTEGER PRIMARY KEY, 省份 TEXT, 地区 TEXT, 区号 TEXT, 邮编 TEXT)",
                 "CREATE INDEX yzbh_shengfen_diqu ON yzbh (省份, 地区)",
                 "CREATE TABLE huishouzhan (id INTEGER PRIMARY KEY, leixing TEXT NOT NULL, mingxi TEXT, "
                 "feiyong "
                 "INTEGER, shururiqi TEXT, dengjiren TEXT, beizhu TEXT, shanchuren TEXT, shanchushijian TEXT "
                 "NOT NULL)",
                 "CREATE INDEX huishouzhan_shanchushijian ON huishouzhan (shanchushijian)",
                 // The home safe is not the first place: the entries must land on its own key.
                 "INSERT INTO zhangwubiao (id,mingcheng,yonghuming,zhanghao,mima,jine) VALUES "
                 "(3,'工商银行','张三','6222','Gh7-bank',5000000),(7,'家庭保险柜',NULL,NULL,NULL,1234500),"
                 "(9,'招商银行',NULL,'6225',NULL,-20000)",
                 "INSERT INTO shouzhibiao (leixing,mingxi,feiyong,shururiqi,dengjiren,beizhu) VALUES "
                 "('shouru','工资',80000000,'2024-01-05','管理员','一月'),"
                 "('zhichu','房租',30000000,'2024-01-10','管理员',NULL),"
                 "('zhichu',NULL,5000,'2024-02-01','李四','')",
                 "INSERT INTO yinghanbiao (mingcheng,jine,leixing,riqi,caozuoren) VALUES "
                 "('工商银行',5000000,'cunkuan','2024-01-11','管理员'),('招商银行',20000,'qukuan','2024-01-"
                 "12',"
                 "'管理员')",
                 "INSERT INTO tixing (riqi,fanwei,neirong) VALUES ('2024-03-01','每月','交房租')",
                 "INSERT INTO quanxiangbiao (yonghuID,xingming,mima,quangxian) VALUES "
                 "('001','管理员','Pa55-Admin','1111111'),('002','李四','kid-Secret9','0001100')",
                 "INSERT INTO huishouzhan (leixing,mingxi,feiyong,shururiqi,dengjiren,beizhu,shanchuren,"
                 "shanchushijian) VALUES ('shouru','奖金',1000000,'2024-01-20','管理员',NULL,'管理员',"
                 "'2024-01-21 09:00:00')",
                 "PRAGMA application_id = 1413631055",
                 "PRAGMA user_version = 3",
             })
            ASSERT_TRUE(QSqlQuery(raw).exec(QString::fromUtf8(sql))) << sql;
        before = dumpVersion3Rows(raw);
        raw.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("v3"));
    ASSERT_EQ(kTamberloApplicationId, 1413631055);

    Database db;
    const Status opened = db.open(home.databasePath());
    ASSERT_TRUE(opened.isOk()) << opened.error().toStdString();
    EXPECT_EQ(scalarOf(db, QStringLiteral("PRAGMA user_version")).toInt(), kSchemaVersion);
    EXPECT_EQ(dumpVersion3Rows(db.connection()), before);
    EXPECT_EQ(scalarOf(db, QStringLiteral("select group_concat(id||leibie||edu||guanbi,',') from (select * "
                                          "from zhangwubiao order by id)"))
                  .toString(),
              QStringLiteral("3yinhangka00,7xianjin00,9yinhangka00"));
    EXPECT_EQ(scalarOf(db, QStringLiteral("select group_concat(zhanghu) from shouzhibiao")).toString(),
              QStringLiteral("7,7,7"));
    EXPECT_EQ(scalarOf(db, QStringLiteral("select zhanghu from huishouzhan")).toInt(), 7);
    EXPECT_EQ(scalarOf(db, QStringLiteral("select group_concat(ifnull(zhuanchu,'-')||shouxufei) from "
                                          "yinghanbiao"))
                  .toString(),
              QStringLiteral("-0,-0"));
    QSqlDatabase connection = db.connection();
    EXPECT_TRUE(CheckHouseholdShape(connection, kSchemaVersion).isOk());
    EXPECT_EQ(scalarOf(db, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(filesIn(QFileInfo(home.databasePath()).absolutePath()),
              (QStringList{QStringLiteral("lomu-v3.mdb"), QStringLiteral("lomu.mdb")}));

    // Every user still logs in with his password, in either letter case; the user with the bank right
    // reads the bank password, the other holds no key.
    const auto admin = LookUpLogin(connection, QStringLiteral("001"), QStringLiteral("pa55-admin"));
    ASSERT_TRUE(admin.value());
    EXPECT_EQ(admin.value()->name, QStringLiteral("管理员"));
    ASSERT_FALSE(admin.value()->householdKey.isEmpty());
    const QByteArray sealed =
        scalarOf(db, QStringLiteral("select mimami from zhangwubiao where id=3")).toString().toLatin1();
    EXPECT_EQ(OpenBankPassword(admin.value()->householdKey, sealed).value(), QStringLiteral("Gh7-bank"));
    const auto kid = LookUpLogin(connection, QStringLiteral("002"), QStringLiteral("KID-SECRET9"));
    ASSERT_TRUE(kid.value());
    EXPECT_TRUE(kid.value()->householdKey.isEmpty());
    EXPECT_FALSE(LookUpLogin(connection, QStringLiteral("002"), QStringLiteral("abc")).value());

    // Not one of the passwords is left in the file, its log or the safety copy, not even in free pages.
    db.close();
    const QDir folder = QFileInfo(home.databasePath()).absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files)) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        for (const char* secret : {"Pa55-Admin", "kid-Secret9", "Gh7-bank"})
            EXPECT_FALSE(bytes.contains(secret)) << secret << " in " << name.toStdString();
    }
}
