// Restores where things are not as they should be: a new computer, a backup from a newer program, a
// household still open, a database file cut short by a power cut during a restore.
#include "data/Database.h"
#include "household/HouseholdLock.h"
#include "kopira/BackupInfo.h"
#include "kopira/InterruptedRestore.h"
#include "kopira/KopiraStore.h"
#include "support/ScriptedPrompt.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlQuery>

namespace {

const QDateTime kWhen(QDate(2007, 1, 15), QTime(9, 30, 5));

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void run(const QString& path, const QStringList& statements) {
    Database db;
    ASSERT_TRUE(db.open(path).isOk());
    for (const QString& statement : statements)
        ASSERT_TRUE(QSqlQuery(db.connection()).exec(statement)) << statement.toStdString();
}

qint64 count(const QString& path, const QString& table) {
    qint64 n = -1;
    Kopira::WithConnection(path, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("select count(*) from ") + table) && q.next())
            n = q.value(0).toLongLong();
        return Status::ok();
    });
    return n;
}

// A household with three entries, a bank and money in the home safe, backed up into its backup folder.
QString householdWithBackup(const TempHome& home) {
    run(home.databasePath(),
        {QStringLiteral(
             "insert into shouzhibiao (leixing, mingxi, feiyong, shururiqi) values "
             "('shouru', '工资', 50000000, '2007-01-10'), ('zhichu', '菜钱', 125000, '2007-01-14'), "
             "('shouru', '奖金', 10000, '2006-12-31')"),
         QStringLiteral("insert into zhangwubiao (mingcheng, jine) values ('工商银行', 12345600)"),
         QStringLiteral("update zhangwubiao set jine = 49885000 where mingcheng = '家庭保险柜'")});
    return Kopira::Backup(home.databasePath(), Kopira::DefaultBackupFolder(home.path()), kWhen).value();
}

TEST(KopiraRestore, OntoANewComputerMakesTheFolderAndMovesTheBackupIn) {
    TempHome old;
    const QString backup = householdWithBackup(old);
    TempHome fresh;  // the program never ran here: no database folder
    ASSERT_FALSE(QFileInfo::exists(QFileInfo(fresh.databasePath()).absolutePath()));
    const Result<QString> restored =
        Kopira::Restore(fresh.databasePath(), backup, Kopira::DefaultBackupFolder(fresh.path()), kWhen);
    ASSERT_TRUE(restored.isOk()) << restored.error().toStdString();
    EXPECT_TRUE(restored.value().isEmpty());  // nothing to keep
    EXPECT_EQ(count(fresh.databasePath(), QStringLiteral("shouzhibiao")), 3);
    EXPECT_TRUE(Kopira::CheckBackup(fresh.databasePath()).isOk());
    EXPECT_FALSE(QFile::exists(QDir(fresh.path()).filePath(QStringLiteral("database/lomu.lock"))));
    EXPECT_FALSE(QFile::exists(fresh.databasePath() + QStringLiteral(".restoring")));
}

TEST(KopiraRestore, ABackupFromANewerProgramIsRefusedBeforeAnythingChanges) {
    TempHome home;
    const QString backup = householdWithBackup(home);
    const QString newer = QDir(home.path()).filePath(QStringLiteral("newer.mdb"));
    ASSERT_TRUE(QFile::copy(backup, newer));
    Kopira::WithConnection(newer, [](QSqlDatabase& db) {
        QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion + 1));
        return Status::ok();
    });
    run(home.databasePath(), {QStringLiteral("delete from tixing")});
    const QByteArray before = bytesOf(home.databasePath());
    const QStringList backupsBefore = QDir(Kopira::DefaultBackupFolder(home.path())).entryList(QDir::Files);

    const Status checked = Kopira::CheckBackup(newer);
    ASSERT_FALSE(checked.isOk());
    EXPECT_TRUE(checked.error().contains(QStringLiteral("较新版本"))) << checked.error().toStdString();
    const Result<QString> restored = Kopira::Restore(
        home.databasePath(), newer, Kopira::DefaultBackupFolder(home.path()), kWhen.addSecs(9));
    ASSERT_FALSE(restored.isOk());
    EXPECT_TRUE(restored.error().contains(QStringLiteral("较新版本")));
    EXPECT_EQ(bytesOf(home.databasePath()), before);
    EXPECT_EQ(QDir(Kopira::DefaultBackupFolder(home.path())).entryList(QDir::Files), backupsBefore);
    EXPECT_FALSE(Kopira::Summarize(newer).problem.isEmpty());
}

TEST(KopiraRestore, TheSummaryTellsWhatTheBackupHolds) {
    TempHome home;
    run(home.databasePath(),
        {QStringLiteral("insert into zhangwubiao (mingcheng, jine, leibie, edu, guanbi) values "
                        "('信用卡A', -3000000, 'xinyongka', 50000000, 0), ('旧卡', 0, 'yinhangka', 0, 1)"),
         QStringLiteral("insert into daorujilu (shijian, laiyuan, chexiao) values "
                        "('2007-01-10 08:00:00', 'zhifubao', 1), ('2007-01-12 08:00:00', 'weixin', 0)"),
         QStringLiteral(
             "insert into dingqishouzhi (leixing, mingxi, jine, zhanghu, jiange, danwei, ri, kaishi, "
             "zidong) values ('zhichu', '房租', 25000000, 1, 1, 'month', 31, '2007-01-01', 1)")});
    const QString backup = householdWithBackup(home);
    const Kopira::BackupSummary summary = Kopira::Summarize(backup);
    EXPECT_TRUE(summary.problem.isEmpty()) << summary.problem.toStdString();
    EXPECT_EQ(summary.kind, Kopira::BackupKind::Manual);
    EXPECT_EQ(summary.made, kWhen);
    EXPECT_EQ(summary.entries, 3);
    EXPECT_EQ(summary.lastEntryDate, QStringLiteral("2007-01-14"));
    EXPECT_EQ(summary.homeSafe, Money::fromUnits(49885000));
    EXPECT_EQ(summary.regularEntries, 1);
    ASSERT_EQ(summary.banks.size(), 3);
    EXPECT_EQ(summary.banks[2].name, QStringLiteral("工商银行"));
    const QString text = Kopira::DescribeBackup(summary);
    for (const char* part :
         {"2007-01-15 09:30:05", "3 条", "2007-01-14", "￥4988.50", "信用卡A（信用卡）欠￥300.00",
          "旧卡（银行卡，已关闭）￥0.00", "工商银行（银行卡）￥1234.56", "导入：2 次（其中 1 次已撤销）",
          "定期收支：1 条"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n" << text.toStdString();

    // A backup from before places had kinds is summarised from the columns it has.
    Kopira::WithConnection(backup, [](QSqlDatabase& db) {
        for (const char* step : {"alter table zhangwubiao drop column leibie",
                                 "alter table zhangwubiao drop column guanbi", "PRAGMA user_version = 3"})
            EXPECT_TRUE(QSqlQuery(db).exec(QString::fromLatin1(step))) << step;
        return Status::ok();
    });
    const Kopira::BackupSummary older = Kopira::Summarize(backup);
    EXPECT_TRUE(older.problem.isEmpty()) << older.problem.toStdString();
    EXPECT_FALSE(Kopira::DescribeBackup(older).contains(QStringLiteral("导入")));
    EXPECT_FALSE(Kopira::DescribeBackup(older).contains(QStringLiteral("定期收支")));
    EXPECT_TRUE(Kopira::DescribeBackup(older).contains(
        QStringLiteral("银行：信用卡A -￥300.00，旧卡 ￥0.00，工商银行 ￥1234.56")))
        << Kopira::DescribeBackup(older).toStdString();
}

TEST(KopiraRestore, IsRefusedWhileTheHouseholdIsOpenInAnotherWindow) {
    TempHome home;
    const QString backup = householdWithBackup(home);
    run(home.databasePath(), {QStringLiteral("delete from shouzhibiao")});
    const QByteArray before = bytesOf(home.databasePath());
    HouseholdLock program(home.databasePath());
    ASSERT_EQ(program.tryLock(), HouseholdLock::State::Held);
    const Result<QString> refused = Kopira::Restore(
        home.databasePath(), backup, Kopira::DefaultBackupFolder(home.path()), kWhen.addSecs(1));
    ASSERT_FALSE(refused.isOk());
    EXPECT_TRUE(refused.error().contains(QStringLiteral("另一个窗口"))) << refused.error().toStdString();
    EXPECT_EQ(bytesOf(home.databasePath()), before);
    program.unlock();
    EXPECT_TRUE(Kopira::Restore(home.databasePath(), backup, Kopira::DefaultBackupFolder(home.path()),
                                kWhen.addSecs(2))
                    .isOk());
    EXPECT_EQ(count(home.databasePath(), QStringLiteral("shouzhibiao")), 3);
    // A second restore in the same second keeps its own safety copy.
    const Result<QString> again = Kopira::Restore(home.databasePath(), backup,
                                                  Kopira::DefaultBackupFolder(home.path()), kWhen.addSecs(2));
    ASSERT_TRUE(again.isOk()) << again.error().toStdString();
    EXPECT_TRUE(again.value().endsWith(QStringLiteral("-2.mdb")));
    EXPECT_EQ(Kopira::TimeInName(QFileInfo(again.value()).fileName()), kWhen.addSecs(2));
}

TEST(KopiraRestore, ACutShortFileBesideASafetyCopyIsNeverTakenForANewHousehold) {
    TempHome home;
    const QString backup = householdWithBackup(home);
    run(home.databasePath(), {QStringLiteral("insert into tixing (riqi) values ('2007-01-15')")});
    const Result<QString> restored = Kopira::Restore(
        home.databasePath(), backup, Kopira::DefaultBackupFolder(home.path()), kWhen.addSecs(5));
    ASSERT_TRUE(restored.isOk());
    const QString safety = restored.value();
    const QByteArray whole = bytesOf(home.databasePath());
    EXPECT_FALSE(Kopira::LooksCutShort(home.databasePath()));

    for (const qsizetype keep : {qsizetype(0), whole.size() / 2, qsizetype(4096 + 10)}) {
        SCOPED_TRACE(keep);
        home.writeDatabaseFile(whole.left(keep));
        EXPECT_TRUE(Kopira::LooksCutShort(home.databasePath()));
        EXPECT_EQ(Kopira::NewestSafetyCopy(home.databasePath()), safety);
        {
            ScriptedPrompt prompt;
            prompt.answerNext(Prompt::Answer::No);
            EXPECT_FALSE(Kopira::OfferSafetyCopy(home.databasePath(), kWhen.addSecs(60 + keep)));
            ASSERT_EQ(prompt.boxes().size(), 1);
            EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("安全副本")));
            EXPECT_EQ(bytesOf(home.databasePath()), whole.left(keep));  // left alone
        }
        ScriptedPrompt prompt;
        prompt.answerNext(Prompt::Answer::Yes);
        EXPECT_TRUE(Kopira::OfferSafetyCopy(home.databasePath(), kWhen.addSecs(120 + keep)));
        EXPECT_EQ(count(home.databasePath(), QStringLiteral("tixing")),
                  count(safety, QStringLiteral("tixing")));
        EXPECT_EQ(count(home.databasePath(), QStringLiteral("shouzhibiao")), 3);
    }
    // A sound file, or a short one with no safety copy, goes the usual way without a question.
    ScriptedPrompt prompt;
    EXPECT_TRUE(Kopira::OfferSafetyCopy(home.databasePath(), kWhen.addSecs(999)));
    TempHome other;
    other.writeDatabaseFile(QByteArray());
    EXPECT_TRUE(Kopira::OfferSafetyCopy(other.databasePath(), kWhen));
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

TEST(KopiraRestore, AnEmptyFileBesideBackupsIsNeverMadeIntoANewHouseholdAndTheNewestSoundOneIsOffered) {
    TempHome home;
    const QString manual = householdWithBackup(home);
    run(home.databasePath(), {QStringLiteral("insert into tixing (riqi) values ('2007-01-16')")});
    const QString folder = Kopira::DefaultBackupFolder(home.path());
    const QString automatic = Kopira::Backup(home.databasePath(), folder, kWhen.addDays(1),
                                             Kopira::AutomaticBackupFileName(kWhen.addDays(1)))
                                  .value();
    // A newer file that is no sound household is passed over.
    const QString broken = QDir(folder).filePath(Kopira::AutomaticBackupFileName(kWhen.addDays(2)));
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytesOf(automatic).left(4096 + 100));
    }
    const QStringList backups = QDir(folder).entryList(QDir::Files);
    home.writeDatabaseFile(QByteArray());  // ": > lomu.mdb"
    EXPECT_EQ(Kopira::NewestSoundCopy(home.databasePath()), automatic);

    {
        ScriptedPrompt prompt;
        prompt.answerNext(Prompt::Answer::No);
        EXPECT_FALSE(Kopira::OfferSafetyCopy(home.databasePath(), kWhen.addDays(3)));
        ASSERT_EQ(prompt.boxes().size(), 1);
        const QString text = prompt.boxes()[0].text;
        for (const QString& part : {QStringLiteral("空的"), QStringLiteral("不会把它当作新帐本"),
                                    QDir::toNativeSeparators(automatic), QStringLiteral("自动备份")})
            EXPECT_TRUE(text.contains(part)) << part.toStdString() << "\n" << text.toStdString();
        EXPECT_EQ(QFileInfo(home.databasePath()).size(), 0);  // left alone
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), backups);
    }
    ScriptedPrompt prompt;
    prompt.answerNext(Prompt::Answer::Yes);
    EXPECT_TRUE(Kopira::OfferSafetyCopy(home.databasePath(), kWhen.addDays(3)));
    EXPECT_EQ(count(home.databasePath(), QStringLiteral("tixing")),
              count(automatic, QStringLiteral("tixing")));
    EXPECT_EQ(count(home.databasePath(), QStringLiteral("shouzhibiao")), 3);
    EXPECT_TRUE(QFile::exists(manual));

    // Beside copies that are all broken it is not made into a new household either: it says so.
    TempHome other;
    QDir().mkpath(Kopira::DefaultBackupFolder(other.path()));
    ASSERT_TRUE(QFile::copy(
        broken, QDir(Kopira::DefaultBackupFolder(other.path())).filePath(QFileInfo(broken).fileName())));
    other.writeDatabaseFile(QByteArray());
    prompt.clear();
    EXPECT_FALSE(Kopira::OfferSafetyCopy(other.databasePath(), kWhen.addDays(3)));
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("没有通过完整性检查")))
        << prompt.boxes()[0].text.toStdString();
    EXPECT_EQ(QFileInfo(other.databasePath()).size(), 0);
}

TEST(KopiraRestore, WhatAKilledRestoreOrBackupLeftIsRemovedAtTheNextStart) {
    TempHome home;
    householdWithBackup(home);
    const QString staging = home.databasePath() + QStringLiteral(".restoring");
    const QString folder = Kopira::DefaultBackupFolder(home.path());
    const QDateTime now = QDateTime::currentDateTime();
    const auto leftover = [](const QString& path, const QDateTime& written) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("SQLite format 3");
        file.flush();
        file.setFileTime(written, QFileDevice::FileModificationTime);
    };
    const QString killed =
        QDir(folder).filePath(Kopira::AutomaticBackupFileName(kWhen) + QStringLiteral(".part"));
    const QString writing = QDir(folder).filePath(Kopira::BackupFileName(kWhen) + QStringLiteral(".part"));
    leftover(staging, now.addDays(-1));
    leftover(killed, now.addSecs(-2 * 3600));
    leftover(writing, now.addSecs(-5));  // another program's backup on its way

    {
        // Another kopira restores right now: its file stays.
        HouseholdLock restoring(home.databasePath());
        ASSERT_EQ(restoring.tryLock(), HouseholdLock::State::Held);
        Kopira::RemoveLeftovers(home.path(), now, false);
        EXPECT_TRUE(QFile::exists(staging));
    }
    EXPECT_FALSE(QFile::exists(killed));
    EXPECT_TRUE(QFile::exists(writing));
    Kopira::RemoveLeftovers(home.path(), now, false);
    EXPECT_FALSE(QFile::exists(staging));
    EXPECT_TRUE(QFile::exists(writing));
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.mdb")}).size(), 1);  // the backup itself stays
}

}  // namespace
