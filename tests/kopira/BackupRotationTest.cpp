#include "data/Database.h"
#include "kopira/BackupInfo.h"
#include "kopira/BackupRotation.h"
#include "kopira/KopiraStore.h"
#include "support/TempHome.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSqlQuery>
#include <QThread>

namespace {

// A household whose file was last written at `changed`.
void touch(const QString& path, const QDateTime& changed) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(changed, QFileDevice::FileModificationTime));
}

QString automaticIn(const QString& folder, const QDateTime& when) {
    return QDir(folder).filePath(Kopira::AutomaticBackupFileName(when));
}

// Only the names the program writes itself are automatic backups: the user's own copies named after one
// of them are never removed by the rotation.
TEST(AutomaticBackup, TheRotationLeavesCopiesTheUserNamedAlone) {
    TempHome home;
    const QString db = home.databasePath();
    const QString folder = Kopira::DefaultBackupFolder(home.path());
    {
        Database open;
        ASSERT_TRUE(open.open(db).isOk());
    }
    const QDateTime first(QDate(2026, 10, 20), QTime(8, 0));
    const Result<QString> sound = Kopira::Backup(db, folder, first, Kopira::AutomaticBackupFileName(first));
    ASSERT_TRUE(sound.isOk()) << sound.error().toStdString();
    for (int d = 1; d < 20; ++d)
        ASSERT_TRUE(QFile::copy(sound.value(), automaticIn(folder, first.addDays(d))));
    const QStringList own = {QStringLiteral("lomu-自动-20261101-080000 - 搬家前留底.mdb"),
                             QStringLiteral("lomu-自动-20261021-080000 (2).mdb"),
                             QStringLiteral("lomu-自动-留底.mdb")};
    for (const QString& name : own) {
        EXPECT_NE(Kopira::KindOfBackup(name), Kopira::BackupKind::Automatic) << name.toStdString();
        ASSERT_TRUE(QFile::copy(sound.value(), QDir(folder).filePath(name)));
    }
    const QDateTime now = first.addDays(20);
    touch(db, now.addSecs(-60));
    const auto outcome = Kopira::RunAutomaticBackup(db, folder, now);
    ASSERT_TRUE(outcome.isOk()) << outcome.error().toStdString();
    ASSERT_FALSE(outcome->written.isEmpty()) << outcome->reason.toStdString();
    EXPECT_FALSE(outcome->removed.isEmpty());
    for (const QString& name : own)
        EXPECT_TRUE(QFile::exists(QDir(folder).filePath(name))) << name.toStdString();
}

// A backup made while the clock was years ahead is not the last backup: the daily one goes on, and a
// household changed but not backed up for more than three days is said at start-up.
TEST(AutomaticBackup, ABackupNamedInTheFutureDoesNotStopTheDailyOnes) {
    TempHome home;
    const QString db = home.databasePath();
    const QString folder = Kopira::DefaultBackupFolder(home.path());
    {
        Database open;
        ASSERT_TRUE(open.open(db).isOk());
    }
    const QDateTime ahead(QDate(2028, 1, 1), QTime(8, 0));
    ASSERT_TRUE(Kopira::Backup(db, folder, ahead, Kopira::AutomaticBackupFileName(ahead)).isOk());
    const QDateTime now(QDate(2026, 11, 10), QTime(8, 0));
    touch(db, now.addSecs(-60));
    const auto outcome = Kopira::RunAutomaticBackup(db, folder, now);
    ASSERT_TRUE(outcome.isOk()) << outcome.error().toStdString();
    EXPECT_FALSE(outcome->written.isEmpty()) << outcome->reason.toStdString();
    EXPECT_TRUE(QFile::exists(automaticIn(folder, ahead)));
    EXPECT_TRUE(Kopira::OverdueBackupNotice(Kopira::Household{db, {}, {}}, folder, now).isEmpty());

    // Nothing written since the 5th although the household changed on the 9th.
    QFile::remove(outcome->written);
    ASSERT_TRUE(QFile::copy(automaticIn(folder, ahead), automaticIn(folder, now.addDays(-5))));
    touch(db, now.addDays(-1));
    const QString notice = Kopira::OverdueBackupNotice(Kopira::Household{db, {}, {}}, folder, now);
    EXPECT_TRUE(notice.contains(QStringLiteral("5 天"))) << notice.toStdString();
    EXPECT_TRUE(notice.contains(QStringLiteral("备份数据库"))) << notice.toStdString();
    // Three days are no cause for a word, nor are days without a change.
    EXPECT_TRUE(
        Kopira::OverdueBackupNotice(Kopira::Household{db, {}, {}}, folder, now.addDays(-2)).isEmpty());
    touch(db, now.addDays(-6));
    EXPECT_TRUE(Kopira::OverdueBackupNotice(Kopira::Household{db, {}, {}}, folder, now).isEmpty());
}

// The household went wrong behind its indexes after the backup of the 2nd and the copies of the
// following days carry the damage: the day's copy fails its check, is not kept, and the rotation
// removes nothing, so the sound copy of the 2nd stays.
TEST(AutomaticBackup, ADamagedCopyNeverPushesTheLastSoundOneOut) {
    TempHome home;
    const QString db = home.databasePath();
    const QString folder = Kopira::DefaultBackupFolder(home.path());
    {
        Database open;
        ASSERT_TRUE(open.open(db).isOk());
        ASSERT_TRUE(QSqlQuery(open.connection())
                        .exec(QStringLiteral("insert into shouzhibiao (leixing, mingxi, feiyong, shururiqi) "
                                             "values ('shouru', '工资', 1000000, '2026-11-01'), "
                                             "('shouru', '奖金', 2000000, '2026-11-01')")));
    }
    const QDateTime soundDay(QDate(2026, 11, 2), QTime(8, 0));
    const QString sound = automaticIn(folder, soundDay);
    ASSERT_TRUE(Kopira::Backup(db, folder, soundDay, QFileInfo(sound).fileName()).isOk());
    DeleteBehindTheIndexes(db, QStringLiteral("mingxi = '工资'"));
    for (int d = 1; d <= 6; ++d) {
        const QDateTime day = soundDay.addDays(d);
        ASSERT_TRUE(Kopira::Backup(db, folder, day, Kopira::AutomaticBackupFileName(day)).isOk());
    }
    const QDateTime now = soundDay.addDays(7);
    touch(db, now.addSecs(-60));
    const auto outcome = Kopira::RunAutomaticBackup(db, folder, now);
    ASSERT_FALSE(outcome.isOk());
    EXPECT_TRUE(outcome.error().contains(QStringLiteral("完整性检查"))) << outcome.error().toStdString();
    EXPECT_TRUE(QFile::exists(sound));
    EXPECT_FALSE(QFile::exists(automaticIn(folder, now)));
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.mdb")}, QDir::Files).size(), 7);
}

// A year of daily starts, each writing a backup and applying the rotation to what is there.
TEST(BackupRotation, AYearOfDailyBackupsKeepsSevenDaysFourWeeksAndTwelveMonths) {
    QList<QDateTime> kept;
    const QDate first(2007, 1, 1);
    QSet<QDate> everRemoved;
    for (QDate day = first; day <= QDate(2008, 3, 31); day = day.addDays(1)) {
        kept.append(QDateTime(day, QTime(8, 0)));
        const QList<bool> keep = Kopira::KeptByRotation(kept);
        QList<QDateTime> next;
        for (int i = 0; i < kept.size(); ++i) {
            if (keep[i])
                next.append(kept[i]);
            else
                everRemoved.insert(kept[i].date());
        }
        kept = next;
        ASSERT_TRUE(kept.contains(QDateTime(day, QTime(8, 0))));  // today's is always kept
        ASSERT_LE(kept.size(), 7 + 4 + 12);
    }
    QSet<QDate> days;
    for (const QDateTime& t : kept)
        days.insert(t.date());
    // The last seven days, the last day of each of the last weeks and months.
    for (int back = 0; back < 7; ++back)
        EXPECT_TRUE(days.contains(QDate(2008, 3, 31).addDays(-back))) << back;
    for (const QDate& sunday : {QDate(2008, 3, 23), QDate(2008, 3, 16)})
        EXPECT_TRUE(days.contains(sunday)) << sunday.toString(Qt::ISODate).toStdString();
    for (int month = 0; month < 11; ++month) {
        const QDate monthEnd = QDate(2008, 3, 1).addMonths(-month).addDays(-1);
        EXPECT_TRUE(days.contains(monthEnd)) << monthEnd.toString(Qt::ISODate).toStdString();
    }
    EXPECT_EQ(*std::min_element(days.begin(), days.end()), QDate(2007, 4, 30));
    EXPECT_FALSE(days.contains(QDate(2007, 3, 31)));  // older than twelve months: gone
    EXPECT_EQ(kept.size(), 7 + 2 + 11);  // two of the four weeks and the current month fall in the days
    // A backup once removed never comes back (names are unique per day).
    for (const QDate& d : days)
        EXPECT_FALSE(everRemoved.contains(d));
}

TEST(BackupRotation, RunsOfTheProgramSkipDaysAndSeveralStartsADay) {
    // Started on a few scattered days: the newest of each period stands for it, nothing is lost early.
    const QList<QDateTime> made = {
        QDateTime(QDate(2007, 1, 3), QTime(8, 0)), QDateTime(QDate(2007, 1, 3), QTime(20, 0)),
        QDateTime(QDate(2007, 2, 20), QTime(9, 0)), QDateTime(QDate(2007, 6, 1), QTime(9, 0))};
    EXPECT_EQ(Kopira::KeptByRotation(made), QList<bool>({false, true, true, true}));
}

TEST(AutomaticBackup, WrittenOnceADayWhenSomethingChangedAndRotated) {
    TempHome home;
    const QString db = home.databasePath();
    const QString folder = Kopira::DefaultBackupFolder(home.path());
    {
        Database open;
        ASSERT_TRUE(open.open(db).isOk());
    }
    // A manual backup and a safety copy share the folder and are never rotated away.
    QThread::msleep(1100);  // file times are compared by the second
    const Result<QString> manual = Kopira::Backup(db, folder, QDateTime::currentDateTime());
    ASSERT_TRUE(manual.isOk());
    QFile::copy(manual.value(), folder + QStringLiteral("/lomu-恢复前-20060101-020000.mdb"));
    const QDateTime day1 = QDateTime::currentDateTime();
    auto first = Kopira::RunAutomaticBackup(db, folder, day1);
    ASSERT_TRUE(first.isOk()) << first.error().toStdString();
    EXPECT_TRUE(first->written.isEmpty()) << "nothing changed since the manual backup";

    {
        Database open;
        ASSERT_TRUE(open.open(db).isOk());
        QSqlQuery(open.connection()).exec(QStringLiteral("insert into tixing (riqi) values ('2007-01-15')"));
    }
    QThread::msleep(1100);
    const QDateTime made = QDateTime::currentDateTime();
    first = Kopira::RunAutomaticBackup(db, folder, made);
    ASSERT_TRUE(first.isOk());
    ASSERT_FALSE(first->written.isEmpty());
    EXPECT_TRUE(Kopira::CheckBackup(first->written).isOk());
    EXPECT_EQ(Kopira::KindOfBackup(QFileInfo(first->written).fileName()), Kopira::BackupKind::Automatic);
    EXPECT_TRUE(Kopira::RunAutomaticBackup(db, folder, made.addSecs(1))->written.isEmpty()) << "one a day";
    // Opening and closing without a change is no change.
    {
        Database open;
        ASSERT_TRUE(open.open(db).isOk());
    }
    EXPECT_TRUE(Kopira::RunAutomaticBackup(db, folder, made.addDays(1))->written.isEmpty());

    // Forty days of changes: the rotation thins the automatic ones only.
    for (int d = 1; d <= 40; ++d) {
        {
            Database open;
            ASSERT_TRUE(open.open(db).isOk());
            QSqlQuery(open.connection())
                .exec(QStringLiteral("insert into tixing (riqi) values ('2007-02-01')"));
        }
        QFile file(db);  // the change is made on that (simulated) day
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(day1.addDays(d).addSecs(-30), QFileDevice::FileModificationTime);
        file.close();
        const auto outcome = Kopira::RunAutomaticBackup(db, folder, day1.addDays(d));
        ASSERT_TRUE(outcome.isOk()) << outcome.error().toStdString();
        ASSERT_FALSE(outcome->written.isEmpty()) << d << outcome->reason.toStdString();
    }
    const QList<Kopira::BackupSummary> listed = Kopira::ListBackups(folder);
    int automatic = 0;
    for (const Kopira::BackupSummary& b : listed)
        automatic += b.kind == Kopira::BackupKind::Automatic;
    EXPECT_LE(automatic, 7 + 4 + 12);
    EXPECT_GE(automatic, 7 + 3);
    EXPECT_EQ(listed.size(), automatic + 2);
    EXPECT_EQ(listed.first().made.date(), day1.addDays(40).date());  // newest first
    EXPECT_EQ(listed.last().kind, Kopira::BackupKind::SafetyCopy);
    EXPECT_TRUE(QFile::exists(manual.value()));
    EXPECT_EQ(listed.first().entries, 0);
}

}  // namespace
