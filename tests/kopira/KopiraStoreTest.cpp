#include "data/Database.h"
#include "kopira/KopiraStore.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const QDateTime kWhen(QDate(2007, 1, 15), QTime(9, 30, 5));

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A household database with the given number of reminders, closed again.
void makeHousehold(const QString& path, int reminders) {
    Database db;
    ASSERT_TRUE(db.open(path).isOk());
    QSqlQuery q(db.connection());
    q.exec(QStringLiteral("delete from tixing"));
    for (int i = 0; i < reminders; ++i)
        ASSERT_TRUE(q.exec(
            QStringLiteral("insert into tixing (riqi, fanwei, neirong) values ('2007-01-15', '当天', 'x')")));
}

int reminders(const QString& path) {
    Database db;
    EXPECT_TRUE(db.open(path).isOk());
    QSqlQuery q(db.connection());
    q.exec(QStringLiteral("select count(*) from tixing"));
    return q.next() ? q.value(0).toInt() : -1;
}

qint64 regularEntries(const QString& path) {
    Database db;
    EXPECT_TRUE(db.open(path).isOk());
    QSqlQuery q(db.connection());
    q.exec(QStringLiteral("select count(*) from dingqishouzhi"));
    return q.next() ? q.value(0).toLongLong() : -1;
}

struct Tool {
    TempHome home;
    QString db = home.databasePath();
    QString folder = Kopira::DefaultBackupFolder(home.path());
};

TEST(Kopira, BackupThenRestoreBringsTheOldDataBackAndKeepsASafetyCopy) {
    Tool t;
    makeHousehold(t.db, 2);
    {
        Database db;
        ASSERT_TRUE(db.open(t.db).isOk());
        ASSERT_TRUE(
            QSqlQuery(db.connection())
                .exec(QStringLiteral("insert into dingqishouzhi (leixing, mingxi, jine, zhanghu, jiange, "
                                     "danwei, kaishi) values ('shouru', '工资', 1, 1, 1, 'month', "
                                     "'2007-01-01')")));
    }
    EXPECT_TRUE(Kopira::DatabaseReleased(t.db));
    const Result<QString> backup = Kopira::Backup(t.db, t.folder, kWhen);
    ASSERT_TRUE(backup.isOk()) << backup.error().toStdString();
    EXPECT_EQ(QFileInfo(backup.value()).fileName(), QStringLiteral("lomu-20070115-093005.mdb"));
    EXPECT_EQ(QFileInfo(backup.value()).absolutePath(),
              QDir(t.home.path()).filePath(QStringLiteral("database/backup")));
    EXPECT_TRUE(Kopira::CheckBackup(backup.value()).isOk());
    EXPECT_EQ(QFile::permissions(backup.value()) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
    // A second backup in the same second does not overwrite the first.
    EXPECT_FALSE(Kopira::Backup(t.db, t.folder, kWhen).isOk());

    makeHousehold(t.db, 5);
    {
        Database db;
        ASSERT_TRUE(db.open(t.db).isOk());
        ASSERT_TRUE(QSqlQuery(db.connection()).exec(QStringLiteral("delete from dingqishouzhi")));
    }
    const QByteArray changed = bytesOf(t.db);
    const Result<QString> safety = Kopira::Restore(t.db, backup.value(), t.folder, kWhen.addSecs(60));
    ASSERT_TRUE(safety.isOk()) << safety.error().toStdString();
    EXPECT_EQ(QFileInfo(safety.value()).fileName(), QStringLiteral("lomu-恢复前-20070115-093105.mdb"));
    EXPECT_EQ(bytesOf(safety.value()), changed);
    EXPECT_EQ(reminders(t.db), 2);
    EXPECT_EQ(reminders(safety.value()), 5);
    EXPECT_EQ(regularEntries(t.db), 1);  // the regular entries come back with the file
    EXPECT_FALSE(QFile::exists(t.db + QStringLiteral(".restoring")));
}

// A damaged household is not backed up, and the refusal says so and points to a restore, not to the disk.
TEST(Kopira, ADamagedHouseholdIsNotBackedUpAndTheUserIsToldToRestore) {
    Tool t;
    makeHousehold(t.db, 600);
    {
        QFile f(t.db);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const qint64 pages = f.size() / 4096;
        ASSERT_GT(pages, 6);
        for (qint64 page = 2; page < pages; page += 2) {
            f.seek(page * 4096);
            f.write(QByteArray(4096, '\xA5'));
        }
    }
    const Result<QString> backup = Kopira::Backup(t.db, t.folder, kWhen);
    ASSERT_FALSE(backup.isOk());
    EXPECT_TRUE(backup.error().contains(QStringLiteral("已损坏，没有备份"))) << backup.error().toStdString();
    EXPECT_TRUE(backup.error().contains(QStringLiteral("恢复")));
    EXPECT_FALSE(backup.error().contains(QStringLiteral("磁盘空间")));
    EXPECT_TRUE(QDir(t.folder).entryList(QDir::Files).isEmpty());
}

TEST(Kopira, ForeignOrCorruptFilesAreRefusedAndTheDatabaseIsUntouched) {
    Tool t;
    makeHousehold(t.db, 3);
    const QByteArray before = bytesOf(t.db);
    const QString good = Kopira::Backup(t.db, t.folder, kWhen).value();

    const QString text = QDir(t.home.path()).filePath(QStringLiteral("notes.mdb"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("这不是数据库，只是一段文字。\n");
    f.close();

    const QString foreign = QDir(t.home.path()).filePath(QStringLiteral("other.mdb"));
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        other.setDatabaseName(foreign);
        ASSERT_TRUE(other.open());
        QSqlQuery(other).exec(QStringLiteral("create table t (x)"));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));

    // A backup with its pages scrambled past the header.
    const QString corrupt = QDir(t.home.path()).filePath(QStringLiteral("corrupt.mdb"));
    QByteArray bytes = bytesOf(good);
    for (qsizetype i = 4096; i < bytes.size(); i += 7)
        bytes[i] = char(0x5a);
    QFile c(corrupt);
    ASSERT_TRUE(c.open(QIODevice::WriteOnly));
    c.write(bytes);
    c.close();

    const QString missing = QDir(t.home.path()).filePath(QStringLiteral("missing.mdb"));
    for (const QString& file : {text, foreign, corrupt, missing}) {
        EXPECT_FALSE(Kopira::CheckBackup(file).isOk()) << file.toStdString();
        const Result<QString> restored = Kopira::Restore(t.db, file, t.folder, kWhen);
        EXPECT_FALSE(restored.isOk()) << file.toStdString();
        EXPECT_EQ(bytesOf(t.db), before) << file.toStdString();
    }
    EXPECT_EQ(QDir(t.folder).entryList(QDir::Files), QStringList({QFileInfo(good).fileName()}));
    EXPECT_EQ(reminders(t.db), 3);
}

TEST(Kopira, AFileWithTheTableNamesButNotAHouseholdsColumnsOrHomeSafeIsRefusedBeforeAnythingChanges) {
    Tool t;
    makeHousehold(t.db, 3);
    const QByteArray before = bytesOf(t.db);
    const QString good = Kopira::Backup(t.db, t.folder, kWhen).value();
    const auto made = [&](const QString& name, bool fromGood, const QStringList& statements) {
        const QString path = QDir(t.home.path()).filePath(name);
        if (fromGood) {
            EXPECT_TRUE(QFile::copy(good, path));
        }
        Kopira::WithConnection(path, [&](QSqlDatabase& db) {
            for (const QString& statement : statements)
                EXPECT_TRUE(QSqlQuery(db).exec(statement)) << statement.toStdString();
            return Status::ok();
        });
        return path;
    };
    const QString mark = QStringLiteral("PRAGMA application_id = %1").arg(kTamberloApplicationId);
    const QString version = QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion);
    const QStringList files = {
        // The six names with one column each, and the right identity and version.
        made(QStringLiteral("shell.mdb"), false,
             {mark, version, QStringLiteral("create table shouzhibiao (x)"),
              QStringLiteral("create table zhangwubiao (x)"), QStringLiteral("create table yinghanbiao (x)"),
              QStringLiteral("create table tixing (x)"), QStringLiteral("create table quanxiangbiao (x)"),
              QStringLiteral("create table yzbh (x)")}),
        made(QStringLiteral("no-balance.mdb"), true,
             {QStringLiteral("alter table zhangwubiao drop column jine")}),
        made(QStringLiteral("no-safe.mdb"), true,
             {QStringLiteral("delete from zhangwubiao where mingcheng = '家庭保险柜'")}),
    };
    for (const QString& file : files) {
        const Status checked = Kopira::CheckBackup(file);
        ASSERT_FALSE(checked.isOk()) << file.toStdString();
        EXPECT_TRUE(checked.error().contains(QStringLiteral("不是完整的 Tamberlo 帐本")))
            << checked.error().toStdString();
        EXPECT_FALSE(Kopira::Restore(t.db, file, t.folder, kWhen.addSecs(1)).isOk()) << file.toStdString();
        EXPECT_EQ(bytesOf(t.db), before) << file.toStdString();
    }
    EXPECT_EQ(QDir(t.folder).entryList(QDir::Files), QStringList({QFileInfo(good).fileName()}));
    EXPECT_TRUE(Kopira::CheckBackup(good).isOk());
}

TEST(Kopira, RestoreWaitsForTheProgramToReleaseTheDatabase) {
    Tool t;
    makeHousehold(t.db, 1);
    const QString good = Kopira::Backup(t.db, t.folder, kWhen).value();
    {
        Database open;
        ASSERT_TRUE(open.open(t.db).isOk());
        QSqlQuery(open.connection()).exec(QStringLiteral("insert into tixing (riqi) values ('2007-01-16')"));
        EXPECT_FALSE(Kopira::DatabaseReleased(t.db));
        const Result<QString> refused = Kopira::Restore(t.db, good, t.folder, kWhen);
        EXPECT_FALSE(refused.isOk());
        EXPECT_EQ(QDir(t.folder).entryList(QDir::Files).size(), 1);  // no safety copy either
        // A backup is consistent while the program runs.
        const Result<QString> live = Kopira::Backup(t.db, t.folder, kWhen.addSecs(1));
        ASSERT_TRUE(live.isOk()) << live.error().toStdString();
        EXPECT_EQ(reminders(live.value()), 2);
    }
    EXPECT_TRUE(Kopira::DatabaseReleased(t.db));
    EXPECT_TRUE(Kopira::Restore(t.db, good, t.folder, kWhen.addSecs(2)).isOk());
    EXPECT_EQ(reminders(t.db), 1);
}

}  // namespace
