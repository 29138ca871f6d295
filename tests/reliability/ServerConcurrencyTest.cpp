// Several programs on one server household at once: real processes making random saves, edits,
// deletions, deposits and withdrawals together, and one killed in the middle of its transaction.
#include "Books.h"
#include "data/Database.h"
#include "data/HomeSafe.h"
#include "data/Statements.h"
#include "kopira/ServerKopira.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {

constexpr qint64 kUnits = Money::kUnitsPerYuan;

int envOr(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

const QMap<QString, qint64> kOpening = {{QString::fromUtf8(Codes::kHomeSafe), 20000 * kUnits},
                                        {QStringLiteral("工商银行"), 1000 * kUnits},
                                        {QStringLiteral("农业银行"), 0},
                                        {QStringLiteral("招商银行"), 12345678}};

// A household on a scratch database with the opening balances of kOpening.
void setUpHousehold(const ScratchServerDatabase& server) {
    Database db;
    const Status opened = db.openServer(server.connection());
    ASSERT_TRUE(opened.isOk()) << opened.error().toStdString();
    for (auto it = kOpening.begin(); it != kOpening.end(); ++it) {
        if (it.key() != QString::fromUtf8(Codes::kHomeSafe)) {
            QSqlQuery q(db.connection());
            q.prepare(QStringLiteral("insert into zhangwubiao (mingcheng) values (:n)"));
            q.bindValue(QStringLiteral(":n"), it.key());
            ASSERT_TRUE(q.exec());
        }
        ASSERT_TRUE(WriteBalance(db.connection(), it.key(), Money::fromUnits(it.value())).isOk());
    }
}

QString workerTarget(const ScratchServerDatabase& server) {
    return QStringLiteral("postgresql:") + server.connection();
}

}  // namespace

// Every process makes its operations while the others make theirs; afterwards every balance must
// agree exactly with the rows all of them wrote.
TEST(ServerConcurrency, SeveralProgramsMovingMoneyAtOnceLeaveTheBooksBalanced) {
    ScratchServerDatabase server;
    ASSERT_FALSE(server.connection().isEmpty()) << server.error().toStdString();
    setUpHousehold(server);

    const int processes = envOr("TAMBERLO_SERVER_PROCESSES", 4);
    const int operations = envOr("TAMBERLO_SERVER_OPERATIONS", 150);
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int i = 0; i < processes; ++i) {
        auto worker = std::make_unique<QProcess>();
        worker->start(QStringLiteral(TAMBERLO_CRASH_WORKER),
                      {workerTarget(server), QString::number(1000 + i), QString::number(operations)});
        ASSERT_TRUE(worker->waitForStarted(5000));
        workers.push_back(std::move(worker));
    }
    // All start together once every one has its connection.
    for (auto& worker : workers) {
        QByteArray said;
        while (!said.contains("ready") && worker->waitForReadyRead(30000))
            said += worker->readAllStandardOutput();
        ASSERT_TRUE(said.contains("ready")) << worker->readAllStandardError().toStdString();
    }
    for (auto& worker : workers)
        worker->write("go\n");
    long long stored = 0;
    for (auto& worker : workers) {
        ASSERT_TRUE(worker->waitForFinished(240000)) << "a worker did not finish";
        const QString out = QString::fromUtf8(worker->readAllStandardOutput());
        ASSERT_EQ(worker->exitCode(), 0) << worker->readAllStandardError().toStdString();
        const qsizetype at = out.indexOf(QStringLiteral("stored "));
        ASSERT_GE(at, 0) << out.toStdString();
        stored += out.mid(at + 7).section(QLatin1Char(' '), 0, 0).toLongLong();
    }
    // Most operations store; the rest were refused as the program refuses them (not enough money, a row
    // changed by another program) or waited too long, and left nothing behind.
    EXPECT_GT(stored, processes * operations / 2);
    std::printf("%d processes x %d operations: %lld stored, books balanced below\n", processes, operations,
                stored);

    Database db;
    ASSERT_TRUE(db.openServer(server.connection()).isOk());
    EXPECT_EQ(Books::Printable(Books::Stored(db)), Books::Printable(Books::Expected(db, kOpening)));
    // The processes did real work: entries of both kinds, moves both ways and transfers are on the server.
    EXPECT_GT(Books::Scalar(db, QStringLiteral("select count(*) from shouzhibiao where leixing='shouru'")),
              0);
    EXPECT_GT(Books::Scalar(db, QStringLiteral("select count(*) from shouzhibiao where leixing='zhichu'")),
              0);
    EXPECT_GT(Books::Scalar(db, QStringLiteral("select count(*) from yinghanbiao where leixing='cunkuan'")),
              0);
    EXPECT_GT(Books::Scalar(db, QStringLiteral("select count(*) from yinghanbiao where leixing='qukuan'")),
              0);
    EXPECT_GT(
        Books::Scalar(db, QStringLiteral("select count(*) from yinghanbiao where leixing='zhuanzhang'")), 0);
}

// A program killed with its transaction open leaves nothing of it: the server rolls it back and lets
// the next writer in at once, and the others working meanwhile keep the books balanced.
TEST(ServerConcurrency, AProgramKilledInTheMiddleOfATransactionLeavesNothingBehind) {
    ScratchServerDatabase server;
    ASSERT_FALSE(server.connection().isEmpty()) << server.error().toStdString();
    setUpHousehold(server);

    QProcess holder;
    holder.start(QStringLiteral(TAMBERLO_CRASH_WORKER), {workerTarget(server), QStringLiteral("hold")});
    ASSERT_TRUE(holder.waitForStarted(5000));
    QByteArray said;
    while (!said.contains("inside") && holder.waitForReadyRead(10000))
        said += holder.readAllStandardOutput();
    ASSERT_TRUE(said.contains("inside")) << holder.readAllStandardError().toStdString();
    // Another program working meanwhile waits for the write lock the killed one held.
    QProcess other;
    other.start(QStringLiteral(TAMBERLO_CRASH_WORKER),
                {workerTarget(server), QStringLiteral("77"), QStringLiteral("40")});
    ASSERT_TRUE(other.waitForStarted(5000));
    other.write("go\n");
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished(5000));
    ASSERT_TRUE(other.waitForFinished(120000));
    EXPECT_EQ(other.exitCode(), 0) << other.readAllStandardError().toStdString();
    EXPECT_TRUE(other.readAllStandardOutput().contains("stored "));

    Database db;
    ASSERT_TRUE(db.openServer(server.connection()).isOk());
    EXPECT_EQ(Books::Scalar(db, QStringLiteral("select count(*) from shouzhibiao where mingxi='半途'")), 0);
    EXPECT_EQ(Books::Printable(Books::Stored(db)), Books::Printable(Books::Expected(db, kOpening)));
}

// Backups made while other programs keep moving money hold every table as at one moment: each one's
// balances agree exactly with its rows.
TEST(ServerConcurrency, ABackupMadeWhileOthersMoveMoneyBalancesByItself) {
    ScratchServerDatabase server;
    ASSERT_FALSE(server.connection().isEmpty()) << server.error().toStdString();
    setUpHousehold(server);

    std::vector<std::unique_ptr<QProcess>> workers;
    for (int i = 0; i < 2; ++i) {
        auto worker = std::make_unique<QProcess>();
        worker->start(QStringLiteral(TAMBERLO_CRASH_WORKER),
                      {workerTarget(server), QString::number(500 + i)});
        ASSERT_TRUE(worker->waitForStarted(5000));
        QByteArray said;
        while (!said.contains("ready") && worker->waitForReadyRead(30000))
            said += worker->readAllStandardOutput();
        ASSERT_TRUE(said.contains("ready")) << worker->readAllStandardError().toStdString();
        workers.push_back(std::move(worker));
    }
    QTemporaryDir folder;
    QStringList backups;
    for (int i = 0; i < 6; ++i) {
        const Result<QString> made = Kopira::BackupServer(server.connection(), folder.path(),
                                                          QDateTime(QDate(2007, 1, 15), QTime(9, 0, i)));
        ASSERT_TRUE(made.isOk()) << made.error().toStdString();
        backups.append(made.value());
    }
    for (auto& worker : workers) {
        worker->kill();
        worker->waitForFinished(5000);
    }
    qint64 rows = 0;
    for (const QString& backup : backups) {
        Database copy;
        ASSERT_TRUE(copy.open(backup).isOk());
        EXPECT_EQ(Books::Printable(Books::Stored(copy)), Books::Printable(Books::Expected(copy, kOpening)))
            << backup.toStdString();
        rows += Books::Scalar(copy, QStringLiteral("select count(*) from shouzhibiao"));
    }
    EXPECT_GT(rows, 0);  // the others were at work while the backups were made
}
