#include "data/Database.h"
#include "data/EngineVariants.h"
#include "data/Schema.h"
#include "data/Statements.h"
#include "support/TempHome.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

namespace {

QVariant scalar(QSqlDatabase db, const QString& sql) {
    QSqlQuery q(db);
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
    return q.next() ? q.value(0) : QVariant();
}

TEST(Database, MissingFileIsCreatedWithSchemaHomeSafeAndInitialUser) {
    TempHome home;
    Database db;
    ASSERT_TRUE(db.open(home.databasePath()).isOk());
    QSqlDatabase c = db.connection();
    EXPECT_EQ(scalar(c, QStringLiteral("select count(*) from zhangwubiao")).toInt(), 1);
    EXPECT_EQ(
        scalar(c, QStringLiteral("select jine from zhangwubiao where mingcheng='家庭保险柜'")).toLongLong(),
        0);
    EXPECT_EQ(
        scalar(c, QStringLiteral("select quangxian from quanxiangbiao where yonghuID='001'")).toString(),
        QStringLiteral("1111111"));
    EXPECT_EQ(QString::fromUtf8(InitialUser::kPassword).size(), 3);
    for (const char* table : {"shouzhibiao", "yinghanbiao", "tixing"}) {
        EXPECT_EQ(
            scalar(c, QStringLiteral("select count(*) from %1").arg(QString::fromLatin1(table))).toInt(), 0);
    }
    // The postal and area-code rows come with every new database.
    EXPECT_GT(scalar(c, QStringLiteral("select count(*) from yzbh")).toInt(), 300);
    EXPECT_EQ(scalar(c, QStringLiteral("PRAGMA foreign_keys")).toInt(), 1);
    EXPECT_EQ(scalar(c, QStringLiteral("PRAGMA synchronous")).toInt(), 2);  // FULL
    EXPECT_EQ(scalar(c, QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    // Readable by its owner only.
    const QFile::Permissions perms = QFile::permissions(home.databasePath());
    EXPECT_FALSE(perms & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther));
}

// The household's rules that hold on the file and on the server alike.
class DatabaseOnEngine : public ::testing::TestWithParam<TestEngine> {
  protected:
    TempHome home;
    EngineHousehold place{CurrentTestEngine(), home};
};

TEST_P(DatabaseOnEngine, ANewHouseholdHasTheSixTablesHomeSafeUserAndPostalRowsAndKeepsThemWhenReopened) {
    {
        Database db;
        ASSERT_TRUE(place.open(db).isOk());
        QSqlDatabase c = db.connection();
        EXPECT_EQ(scalar(c, QStringLiteral("select count(*) from zhangwubiao")).toInt(), 1);
        EXPECT_EQ(
            scalar(c, QStringLiteral("select quangxian from quanxiangbiao where yonghuID='001'")).toString(),
            QStringLiteral("1111111"));
        EXPECT_GT(scalar(c, QStringLiteral("select count(*) from yzbh")).toInt(), 300);
        for (const char* table : {"shouzhibiao", "yinghanbiao", "tixing"}) {
            EXPECT_EQ(
                scalar(c, QStringLiteral("select count(*) from %1").arg(QString::fromLatin1(table))).toInt(),
                0);
        }
        const Result<HouseholdMark> mark = ReadHouseholdMark(c);
        ASSERT_TRUE(mark.isOk());
        EXPECT_EQ(mark->applicationId, kTamberloApplicationId);
        EXPECT_EQ(mark->schemaVersion, kSchemaVersion);
        QSqlQuery q(c);
        ASSERT_TRUE(q.exec(QStringLiteral("update zhangwubiao set jine=5000000")));
    }
    Database db;
    ASSERT_TRUE(place.open(db).isOk());
    EXPECT_EQ(scalar(db.connection(), QStringLiteral("select jine from zhangwubiao")).toLongLong(), 5000000);
    EXPECT_EQ(scalar(db.connection(), QStringLiteral("select count(*) from quanxiangbiao")).toInt(), 1);
}

TEST(Database, AFileThatIsNoTamberloDatabaseIsReportedAndLeftUntouched) {
    TempHome home;
    const QByteArray garbage("This is a letter to grandma, not a database.\n");
    home.writeDatabaseFile(garbage);
    Database db;
    const Status opened = db.open(home.databasePath());
    EXPECT_FALSE(opened.isOk());
    EXPECT_FALSE(opened.error().isEmpty());
    EXPECT_FALSE(db.isOpen());
    QFile file(home.databasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);
}

TEST(Database, AnotherProgramsSqliteFileIsRefusedWithoutChange) {
    TempHome home;
    {
        Database scratch;  // make a valid SQLite file that is not ours
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        other.setDatabaseName(home.databasePath());
        QFileInfo(home.databasePath()).absoluteDir().mkpath(QStringLiteral("."));
        ASSERT_TRUE(other.open());
        QSqlQuery q(other);
        ASSERT_TRUE(q.exec(QStringLiteral("create table notes (t text)")));
        q.finish();
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
    const qint64 sizeBefore = QFileInfo(home.databasePath()).size();
    Database db;
    const Status opened = db.open(home.databasePath());
    ASSERT_FALSE(opened.isOk());
    EXPECT_TRUE(opened.error().contains(QStringLiteral("Tamberlo")));
    EXPECT_EQ(QFileInfo(home.databasePath()).size(), sizeBefore);
}

TEST_P(DatabaseOnEngine, TransactionRollsBackEveryChangeWhenTheWorkFails) {
    Database db;
    ASSERT_TRUE(place.open(db).isOk());
    QSqlDatabase c = db.connection();
    const Status failed = db.transaction([&c]() -> Status {
        QSqlQuery q(c);
        q.exec(QStringLiteral("insert into tixing (riqi, fanwei, neirong) values ('2007-01-01','每天','x')"));
        return Status::failure(QStringLiteral("boom"));
    });
    EXPECT_EQ(failed.error(), QStringLiteral("boom"));
    EXPECT_EQ(scalar(c, QStringLiteral("select count(*) from tixing")).toInt(), 0);
}

TEST_P(DatabaseOnEngine, PlaceNamesAreDistinctAndLoginIgnoresLetterCase) {
    Database db;
    ASSERT_TRUE(place.open(db).isOk());
    QSqlQuery q(db.connection());
    EXPECT_FALSE(q.exec(QStringLiteral("insert into zhangwubiao (mingcheng) values ('家庭保险柜')")));
    ASSERT_TRUE(q.exec(QStringLiteral("insert into zhangwubiao (mingcheng) values ('工商银行')")));
    EXPECT_EQ(
        scalar(db.connection(), QStringLiteral("select jine from zhangwubiao where mingcheng='工商银行'"))
            .toInt(),
        0);
    // The login's statement finds the rows of an ID in any letter case; the password is checked on the hash.
    ASSERT_TRUE(q.exec(QStringLiteral("update quanxiangbiao set yonghuID='Abc'")));
    q.prepare(Sql::For(db.connection(), Sql::kLogin));
    q.bindValue(QStringLiteral(":yonghumingID"), QStringLiteral("aBC"));
    ASSERT_TRUE(q.exec());
    EXPECT_TRUE(q.next());
    q.bindValue(QStringLiteral(":yonghumingID"), QStringLiteral("aB"));
    ASSERT_TRUE(q.exec());
    EXPECT_FALSE(q.next());
}

TAMBERLO_ON_BOTH_ENGINES(DatabaseOnEngine);

TEST(Database, TheTotalsStatementUsesTheDateIndex) {
    TempHome home;
    Database db;
    ASSERT_TRUE(db.open(home.databasePath()).isOk());
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("EXPLAIN QUERY PLAN ") +
                       QString::fromUtf8(Sql::kTodayIncome)
                           .replace(QStringLiteral(":mxlx"), QStringLiteral("'shouru'"))
                           .replace(QStringLiteral(":srriqi"), QStringLiteral("'2007-01-01'"))));
    QString plan;
    while (q.next())
        plan += q.value(3).toString();
    EXPECT_TRUE(plan.contains(QStringLiteral("USING INDEX"))) << plan.toStdString();
}

}  // namespace
