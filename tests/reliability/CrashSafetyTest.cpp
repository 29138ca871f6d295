#include "Books.h"
#include "data/Database.h"
#include "data/HomeSafe.h"
#include "data/Statements.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <map>
#include <random>
#include <string>

namespace {

constexpr qint64 kUnits = Money::kUnitsPerYuan;

int killCount() {
    bool ok = false;
    const int fromEnvironment = qEnvironmentVariableIntValue("TAMBERLO_CRASH_KILLS", &ok);
    return ok && fromEnvironment > 0 ? fromEnvironment : 200;
}

}  // namespace

// The money-moving code is killed at random moments, many times over, on one small household. Every
// time the file is reopened it must be sound and its balances must agree with its rows: each change is
// either wholly there or not there at all.
TEST(CrashSafety, KilledAtRandomMomentsTheBooksStillBalance) {
    TempHome home;
    const QMap<QString, qint64> opening = {{QString::fromUtf8(Codes::kHomeSafe), 20000 * kUnits},
                                           {QStringLiteral("工商银行"), 1000 * kUnits},
                                           {QStringLiteral("农业银行"), 0},
                                           {QStringLiteral("招商银行"), 12345678}};
    {
        Database db;
        ASSERT_TRUE(db.open(home.databasePath()).isOk());
        Books::Open(db, opening);
    }

    std::mt19937 random(20070115);
    const int kills = killCount();
    int killedWhileWorking = 0;
    for (int run = 0; run < kills; ++run) {
        QProcess worker;
        worker.start(QStringLiteral(TAMBERLO_CRASH_WORKER), {home.databasePath(), QString::number(random())});
        ASSERT_TRUE(worker.waitForStarted(5000));
        // Most kills land while money moves; every eighth lands while the file is being opened.
        if (run % 8 != 7) {
            ASSERT_TRUE(worker.waitForReadyRead(10000)) << worker.readAllStandardError().toStdString();
            ++killedWhileWorking;
            QThread::usleep(std::uniform_int_distribution<unsigned>(0, 40000)(random));
        } else {
            QThread::usleep(std::uniform_int_distribution<unsigned>(0, 20000)(random));
        }
        worker.kill();
        ASSERT_TRUE(worker.waitForFinished(5000));
        ASSERT_EQ(worker.exitStatus(), QProcess::CrashExit)
            << "the worker stopped by itself: " << worker.readAllStandardError().toStdString();

        Database db;
        const Status reopened = db.open(home.databasePath());
        ASSERT_TRUE(reopened.isOk()) << "run " << run << ": " << reopened.error().toStdString();
        ASSERT_EQ(Books::IntegrityCheck(db), QStringLiteral("ok")) << "run " << run;
        ASSERT_EQ(Books::Printable(Books::Stored(db)), Books::Printable(Books::Expected(db, opening)))
            << "run " << run;
        ASSERT_EQ(
            Books::Scalar(db, QStringLiteral("select count(*) from shouzhibiao where feiyong is null or "
                                             "shururiqi is null or leixing not in ('shouru','zhichu')")),
            0);
    }

    Database db;
    ASSERT_TRUE(db.open(home.databasePath()).isOk());
    // The runs did real work: entries of both kinds, edits, moves both ways and transfers are in the file.
    EXPECT_GT(killedWhileWorking, kills / 2);
    EXPECT_GT(Books::Scalar(db, QStringLiteral("select count(*) from shouzhibiao where leixing='shouru'")),
              kills / 4);
    EXPECT_GT(Books::Scalar(db, QStringLiteral("select count(*) from shouzhibiao where leixing='zhichu'")),
              kills / 4);
    EXPECT_GT(Books::Scalar(db, QStringLiteral("select count(*) from yinghanbiao where leixing='cunkuan'")),
              kills / 8);
    EXPECT_GT(Books::Scalar(db, QStringLiteral("select count(*) from yinghanbiao where leixing='qukuan'")),
              kills / 8);
    EXPECT_GT(
        Books::Scalar(db, QStringLiteral("select count(*) from yinghanbiao where leixing='zhuanzhang'")),
        kills / 8);
}
