#include "data/Database.h"
#include "household/HouseholdLock.h"
#include "kopira/AutoBackup.h"
#include "kopira/BackupInfo.h"
#include "kopira/BackupRotation.h"
#include "kopira/KopiraHousehold.h"
#include "kopira/KopiraStore.h"
#include "kopira/ServerKopira.h"
#include "support/TempHome.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

const QDateTime kWhen(QDate(2007, 1, 15), QTime(9, 30, 5));

qint64 scalar(Database& db, const QString& sql) {
    QSqlQuery q(db.connection());
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
    return q.next() ? q.value(0).toLongLong() : -1;
}

void exec(Database& db, const QString& sql) {
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
}

// A family moves its local household onto the server, then backs the server up into a file that opens
// like any local household.
TEST(ServerKopira, ALocalHouseholdMovesOntoTheServerAndComesBackAsAnOrdinaryBackup) {
    TempHome home;
    {
        Database local;
        ASSERT_TRUE(local.open(home.databasePath()).isOk());
        exec(local, QStringLiteral("update zhangwubiao set jine=35000000"));
        exec(local, QStringLiteral("insert into shouzhibiao (leixing, mingxi, feiyong, shururiqi) values "
                                   "('shouru', '工资', 35000000, '2007-01-15')"));
        // An entry waiting in the bin is part of the household too.
        exec(local, QStringLiteral("insert into huishouzhan (leixing, mingxi, feiyong, shururiqi, dengjiren, "
                                   "shanchuren, shanchushijian) values ('zhichu', '电费', 1234500, "
                                   "'2007-01-14', '妈妈', '爸爸', '2007-01-15 09:30:00')"));
    }
    const QString binRow = QStringLiteral(
        "select count(*) from huishouzhan where leixing='zhichu' and mingxi='电费' and feiyong=1234500 and "
        "shururiqi='2007-01-14' and dengjiren='妈妈' and shanchuren='爸爸' and "
        "shanchushijian='2007-01-15 09:30:00'");
    ScratchServerDatabase scratch;
    ASSERT_FALSE(scratch.connection().isEmpty()) << scratch.error().toStdString();
    QTemporaryDir folder;

    const Result<QString> safety = Kopira::RestoreOntoServer(scratch.connection(), home.databasePath(),
                                                             folder.filePath(QStringLiteral("safe")), kWhen);
    ASSERT_TRUE(safety.isOk()) << safety.error().toStdString();
    EXPECT_TRUE(Kopira::CheckBackup(safety.value()).isOk());  // the server's household before, as a file
    Database server;
    ASSERT_TRUE(server.openServer(scratch.connection()).isOk());
    EXPECT_EQ(scalar(server, QStringLiteral("select jine from zhangwubiao")), 35000000);
    EXPECT_EQ(scalar(server, QStringLiteral("select count(*) from shouzhibiao")), 1);
    EXPECT_EQ(scalar(server, binRow), 1);

    const Result<QString> backup =
        Kopira::BackupServer(scratch.connection(), folder.filePath(QStringLiteral("backup")), kWhen);
    ASSERT_TRUE(backup.isOk()) << backup.error().toStdString();
    EXPECT_TRUE(backup.value().endsWith(Kopira::BackupFileName(kWhen)));
    EXPECT_TRUE(Kopira::CheckBackup(backup.value()).isOk());
    Database copy;
    ASSERT_TRUE(copy.open(backup.value()).isOk());
    EXPECT_EQ(scalar(copy, QStringLiteral("select feiyong from shouzhibiao where mingxi='工资'")), 35000000);
    EXPECT_EQ(scalar(copy, binRow), 1);
}

TEST(ServerKopira, AFileThatIsNoHouseholdOrFromANewerProgramLeavesTheServerAsItWas) {
    ScratchServerDatabase scratch;
    ASSERT_FALSE(scratch.connection().isEmpty()) << scratch.error().toStdString();
    Database server;
    ASSERT_TRUE(server.openServer(scratch.connection()).isOk());
    exec(server, QStringLiteral("update zhangwubiao set jine=777"));
    QTemporaryDir folder;

    const QString letter = folder.filePath(QStringLiteral("letter.mdb"));
    QFile file(letter);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Dear grandma,\n");
    file.close();
    const Result<QString> refused = Kopira::RestoreOntoServer(scratch.connection(), letter,
                                                              folder.filePath(QStringLiteral("safe")), kWhen);
    ASSERT_FALSE(refused.isOk());
    EXPECT_TRUE(refused.error().contains(QStringLiteral("不是 Tamberlo")));

    TempHome newer;
    {
        Database db;
        ASSERT_TRUE(db.open(newer.databasePath()).isOk());
        exec(db, QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion + 1));
    }
    const Result<QString> tooNew = Kopira::RestoreOntoServer(scratch.connection(), newer.databasePath(),
                                                             folder.filePath(QStringLiteral("safe")), kWhen);
    ASSERT_FALSE(tooNew.isOk());
    EXPECT_TRUE(tooNew.error().contains(QStringLiteral("较新版本"))) << tooNew.error().toStdString();

    EXPECT_EQ(scalar(server, QStringLiteral("select jine from zhangwubiao")), 777);
    EXPECT_FALSE(QDir(folder.filePath(QStringLiteral("safe"))).exists());
}

// The checks of a local restore hold on the server too: nothing happens while Tamberlo runs on this
// computer, and settings that name no usable household back up and restore nothing. (Moving in and
// backing up through lomu.ini run in the command-line and window tests.)
TEST(ServerKopira, ARestoreOntoTheServerWaitsForTamberloAndBadSettingsDoNothing) {
    TempHome home;
    {
        Database local;
        ASSERT_TRUE(local.open(home.databasePath()).isOk());
        exec(local, QStringLiteral("insert into tixing (riqi, fanwei, neirong) values ('2007-01-15', '每天', "
                                   "'交电费')"));
    }
    ScratchServerDatabase scratch;
    ASSERT_FALSE(scratch.connection().isEmpty()) << scratch.error().toStdString();
    home.writeIni(
        QStringLiteral("[shujuku]\nleixing=postgresql\nlianjie=%1\n").arg(scratch.connection()).toUtf8());
    const Kopira::Household household = Kopira::HouseholdOf(home.path());
    ASSERT_TRUE(household.onServer());
    const QString safeFolder = Kopira::DefaultBackupFolder(home.path());
    {
        HouseholdLock program(home.databasePath());
        ASSERT_EQ(program.tryLock(), HouseholdLock::State::Held);
        const Result<QString> refused =
            Kopira::RestoreHousehold(household, home.databasePath(), safeFolder, kWhen);
        ASSERT_FALSE(refused.isOk());
        EXPECT_TRUE(refused.error().contains(QStringLiteral("请先关闭 Tamberlo")))
            << refused.error().toStdString();
    }
    Database server;
    ASSERT_TRUE(server.openServer(scratch.connection()).isOk());
    EXPECT_EQ(scalar(server, QStringLiteral("select count(*) from tixing")), 0);

    home.writeIni("[shujuku]\nleixing=oracle\n");
    const Kopira::Household unknown = Kopira::HouseholdOf(home.path());
    EXPECT_FALSE(unknown.problem.isEmpty());
    EXPECT_FALSE(Kopira::BackUpHousehold(unknown, safeFolder, kWhen).isOk());
    EXPECT_FALSE(Kopira::RestoreHousehold(unknown, home.databasePath(), safeFolder, kWhen).isOk());
    EXPECT_FALSE(QDir(safeFolder).exists());
}

// The day's automatic backup of a server household copies the server's books, not the local file the
// computer may still keep from before: one a day, in the background, rotated as the local ones.
TEST(ServerKopira, TheDailyAutomaticBackupCopiesTheServersBooks) {
    TempHome home;
    {
        Database stale;  // what this computer kept before the family moved onto the server
        ASSERT_TRUE(stale.open(home.databasePath()).isOk());
        exec(stale, QStringLiteral("update zhangwubiao set jine=111"));
    }
    ScratchServerDatabase scratch;
    ASSERT_FALSE(scratch.connection().isEmpty()) << scratch.error().toStdString();
    {
        Database server;
        ASSERT_TRUE(server.openServer(scratch.connection()).isOk());
        exec(server, QStringLiteral("update zhangwubiao set jine=4200000"));
    }
    home.writeIni(
        QStringLiteral("[shujuku]\nleixing=postgresql\nlianjie=%1\n").arg(scratch.connection()).toUtf8());
    const QString folder = Kopira::DefaultBackupFolder(home.path());

    AutoBackup backup(Kopira::HouseholdOf(home.path()), folder);
    QSignalSpy finished(&backup, &AutoBackup::finished);
    backup.start();
    ASSERT_TRUE(finished.wait(60000));
    ASSERT_EQ(finished.first().at(1).toString(), QString())
        << finished.first().at(1).toString().toStdString();
    const QString written = finished.first().at(0).toString();
    ASSERT_FALSE(written.isEmpty());
    EXPECT_EQ(Kopira::KindOfBackup(QFileInfo(written).fileName()), Kopira::BackupKind::Automatic);
    {
        Database copy;
        ASSERT_TRUE(copy.open(written).isOk());
        EXPECT_EQ(scalar(copy, QStringLiteral("select jine from zhangwubiao")), 4200000);
    }

    const Kopira::Household household = Kopira::HouseholdOf(home.path());
    const QDateTime today = Kopira::TimeInName(QFileInfo(written).fileName());
    const Result<Kopira::AutomaticBackupOutcome> again =
        Kopira::RunAutomaticBackup(household, folder, today.addSecs(60));
    ASSERT_TRUE(again.isOk()) << again.error().toStdString();
    EXPECT_TRUE(again->written.isEmpty()) << "one a day";
    // The next day the server's books are backed up again, changed or not: other computers change them.
    const Result<Kopira::AutomaticBackupOutcome> next =
        Kopira::RunAutomaticBackup(household, folder, today.addDays(1));
    ASSERT_TRUE(next.isOk()) << next.error().toStdString();
    EXPECT_FALSE(next->written.isEmpty());
    EXPECT_TRUE(QDir(folder).entryList({QStringLiteral("*.part")}).isEmpty());
}

}  // namespace
