#include "Books.h"
#include "data/Database.h"
#include "data/Money.h"
#include "data/Statements.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include <array>
#include <memory>

namespace {

constexpr qint64 kUnits = Money::kUnitsPerYuan;

int operationsEach() {
    bool ok = false;
    const int fromEnvironment = qEnvironmentVariableIntValue("TAMBERLO_TWO_COPIES_OPERATIONS", &ok);
    return ok && fromEnvironment > 0 ? fromEnvironment : 300;
}

}  // namespace

// Two copies of the program on one household, each saving, editing and deleting entries (on the home safe
// and the banks) and moving money to and from the banks at random, at the same time. Each copy started with
// the balances it read when it opened the file; whatever either stored, the balances must agree with the rows
// afterwards.
TEST(TwoCopies, InterleavedMoneyMovesKeepTheBooksBalanced) {
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

    const int operations = operationsEach();
    std::array<std::unique_ptr<QProcess>, 2> copies;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        copies[i] = std::make_unique<QProcess>();
        copies[i]->start(QStringLiteral(TAMBERLO_CRASH_WORKER),
                         {home.databasePath(), QString::number(1000 + i), QString::number(operations)});
        ASSERT_TRUE(copies[i]->waitForStarted(5000));
    }
    // Both have read their balances before either moves any money.
    for (auto& copy : copies)
        ASSERT_TRUE(copy->waitForReadyRead(10000)) << copy->readAllStandardError().toStdString();
    for (auto& copy : copies) {
        ASSERT_TRUE(copy->readLine().startsWith("ready"));
        copy->write("go\n");
        ASSERT_TRUE(copy->waitForBytesWritten(5000));
    }
    int stored = 0;
    for (auto& copy : copies) {
        ASSERT_TRUE(copy->waitForFinished(240000));
        ASSERT_EQ(copy->exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(copy->exitCode(), 0) << copy->readAllStandardError().toStdString();
        const QString said = QString::fromUtf8(copy->readAllStandardOutput());
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("stored (\\d+) of")).match(said);
        ASSERT_TRUE(m.hasMatch()) << said.toStdString();
        // Most operations are stored; refusals (a deposit above the cash, an edit of a row the other copy
        // changed) change nothing.
        EXPECT_GT(m.captured(1).toInt(), operations / 2);
        stored += m.captured(1).toInt();
    }
    std::printf("two copies stored %d of %d operations\n", stored, 2 * operations);

    Database db;
    ASSERT_TRUE(db.open(home.databasePath()).isOk());
    EXPECT_EQ(Books::IntegrityCheck(db), QStringLiteral("ok"));
    EXPECT_EQ(Books::Printable(Books::Stored(db)), Books::Printable(Books::Expected(db, opening)));
    // The entries landed on the home safe and on every bank.
    EXPECT_EQ(Books::Scalar(db, QStringLiteral("select count(distinct zhanghu) from shouzhibiao")), 4);
    // Transfers between them too, some with a fee booked as an expense on the paying place.
    EXPECT_GT(
        Books::Scalar(db, QStringLiteral("select count(*) from yinghanbiao where leixing='zhuanzhang'")), 0);
    EXPECT_GT(Books::Scalar(db, QStringLiteral("select count(*) from shouzhibiao where mingxi='手续费'")), 0);
    // The copies took turns: the records of their moves alternate between them many times over.
    const qint64 turns = Books::Scalar(
        db, QStringLiteral("select count(*) from yinghanbiao a join yinghanbiao b on b.id = (select min(id) "
                           "from yinghanbiao where id > a.id) where a.caozuoren <> b.caozuoren"));
    std::printf("the copies' moves changed hands %lld times\n", static_cast<long long>(turns));
    EXPECT_GT(turns, operations / 20);
}
