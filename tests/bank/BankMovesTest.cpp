#include "bank/BankMoves.h"
#include "data/HomeSafe.h"
#include "data/Money.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

namespace {

// 800 at home and 500 in 工商银行, as read at start.
class BankMovesTest : public ::testing::TestWithParam<TestEngine> {
  protected:
    void SetUp() override {
        h.exec(QStringLiteral("update zhangwubiao set jine=8000000"));
        h.exec(QStringLiteral("insert into zhangwubiao (mingcheng, jine) values ('工商银行', 5000000)"));
        ASSERT_TRUE(h.homeSafe.ReadHomeSafeBalance().isOk());
    }
    MoveOutcome move(MoveKind kind, const QString& amount, const QString& bank = QStringLiteral("工商银行")) {
        return PerformMove(h.database, h.homeSafe, {kind, bank, amount, h.user.name, QDate(2007, 1, 15)});
    }
    qint64 stored(const QString& name) {
        return h.scalar(QStringLiteral("select jine from zhangwubiao where mingcheng='%1'").arg(name))
            .toLongLong();
    }
    qint64 home() { return stored(QStringLiteral("家庭保险柜")); }
    qint64 bank() { return stored(QStringLiteral("工商银行")); }
    qint64 records() { return h.scalar(QStringLiteral("select count(*) from yinghanbiao")).toLongLong(); }
    // Memory, both stored balances and the records are as they were at the start.
    void expectUnchanged() {
        EXPECT_EQ(h.homeSafe.balance(), Money::fromYuan(800));
        EXPECT_EQ(home(), 8000000);
        EXPECT_EQ(bank(), 5000000);
        EXPECT_EQ(records(), 0);
    }

    TestHousehold h;
};

TEST_P(BankMovesTest, DepositMovesCashIntoTheBankAndRecordsIt) {
    const MoveOutcome done = move(MoveKind::Deposit, QStringLiteral("100"));
    EXPECT_EQ(done.kind, MoveOutcome::Kind::Done);
    EXPECT_EQ(done.message, QStringLiteral("存款完成！"));
    EXPECT_EQ(h.homeSafe.balance().format(), QStringLiteral("￥700.00"));
    EXPECT_EQ(home(), 7000000);
    EXPECT_EQ(bank(), 6000000);
    EXPECT_EQ(h.scalar(QStringLiteral("select mingcheng||'|'||jine||'|'||leixing||'|'||riqi||'|'||caozuoren "
                                      "from yinghanbiao"))
                  .toString(),
              QStringLiteral("工商银行|1000000|cunkuan|2007-01-15|管理员"));
}

TEST_P(BankMovesTest, WithdrawalMovesMoneyHomeAndRecordsIt) {
    const MoveOutcome done = move(MoveKind::Withdrawal, QStringLiteral("12.5"));
    EXPECT_EQ(done.kind, MoveOutcome::Kind::Done);
    EXPECT_EQ(done.message, QStringLiteral("取款完成！"));
    EXPECT_EQ(h.homeSafe.balance().format(), QStringLiteral("￥812.50"));
    EXPECT_EQ(home(), 8125000);
    EXPECT_EQ(bank(), 4875000);
    EXPECT_EQ(h.scalar(QStringLiteral("select leixing||jine from yinghanbiao")).toString(),
              QStringLiteral("qukuan125000"));
}

TEST_P(BankMovesTest, EqualAmountsAreAcceptedAndOneHundredthMoreIsRefused) {
    MoveOutcome o = move(MoveKind::Deposit, QStringLiteral("800.01"));
    EXPECT_EQ(o.kind, MoveOutcome::Kind::Refused);
    EXPECT_EQ(o.message, QStringLiteral("存款金额高于现有现金额怎么存款？请核查！"));
    o = move(MoveKind::Withdrawal, QStringLiteral("500.01"));
    EXPECT_EQ(o.kind, MoveOutcome::Kind::Refused);
    EXPECT_EQ(o.message, QStringLiteral("取款金额高于现有银行存款怎么取款？请核查！"));
    expectUnchanged();

    EXPECT_EQ(move(MoveKind::Withdrawal, QStringLiteral("500")).kind, MoveOutcome::Kind::Done);
    EXPECT_EQ(bank(), 0);
    EXPECT_EQ(move(MoveKind::Deposit, QStringLiteral("1300")).kind, MoveOutcome::Kind::Done);
    EXPECT_EQ(h.homeSafe.balance().format(), QStringLiteral("￥0.00"));
    EXPECT_EQ(home(), 0);
    EXPECT_EQ(bank(), 13000000);
}

TEST_P(BankMovesTest, ChecksRunInTheirOrderAndChangeNothing) {
    // Empty comes before everything, even before looking for the bank.
    MoveOutcome o = move(MoveKind::Withdrawal, QString(), QStringLiteral("没有这家"));
    EXPECT_EQ(o.kind, MoveOutcome::Kind::Refused);
    EXPECT_EQ(o.message, QStringLiteral("必须输入取款金额！"));
    o = move(MoveKind::Deposit, QString());
    EXPECT_EQ(o.message, QStringLiteral("必须输入存款金额！"));
    // Blanks or two points fail the conversion with its own message.
    o = move(MoveKind::Deposit, QStringLiteral("  "));
    EXPECT_EQ(o.kind, MoveOutcome::Kind::Error);
    EXPECT_EQ(o.message, TypedAmountRefusal(QStringLiteral("  ")));
    o = move(MoveKind::Withdrawal, QStringLiteral("1..2"));
    EXPECT_EQ(o.message, TypedAmountRefusal(QStringLiteral("1..2")));
    // A withdrawal reads the bank's balance before it converts the amount.
    o = move(MoveKind::Withdrawal, QStringLiteral("x"), QStringLiteral("没有这家"));
    EXPECT_EQ(o.kind, MoveOutcome::Kind::Error);
    EXPECT_TRUE(o.message.contains(QStringLiteral("没有这家")));
    // The home safe is no bank, whatever the amount.
    o = move(MoveKind::Deposit, QStringLiteral("1"), QStringLiteral("家庭保险柜"));
    EXPECT_EQ(o.kind, MoveOutcome::Kind::Refused);
    EXPECT_EQ(o.message, QStringLiteral("这是家庭保险柜，不是银行，不能存款！"));
    EXPECT_EQ(HomeSafeRefusal(MoveKind::Withdrawal), QStringLiteral("这是家庭保险柜，不是银行，不能取款！"));
    expectUnchanged();
}

TEST_P(BankMovesTest, AmountsBeyondTheLimitAreRefusedWithTheFigureAndTheLimit) {
    h.exec(QStringLiteral("update zhangwubiao set jine=9000000000000000000"));
    ASSERT_TRUE(h.homeSafe.ReadHomeSafeBalance().isOk());
    for (MoveKind kind : {MoveKind::Deposit, MoveKind::Withdrawal}) {
        const MoveOutcome refused = move(kind, QStringLiteral("1000000000.01"));
        EXPECT_EQ(refused.kind, MoveOutcome::Kind::Refused);
        EXPECT_TRUE(refused.message.contains(QStringLiteral("1000000000.01")))
            << refused.message.toStdString();
        EXPECT_TRUE(refused.message.contains(QStringLiteral("￥1,000,000,000.00")))
            << refused.message.toStdString();
    }
    EXPECT_EQ(move(MoveKind::Deposit, QStringLiteral("1e40")).kind, MoveOutcome::Kind::Refused);
    EXPECT_EQ(move(MoveKind::Deposit, QStringLiteral("1..2")).message,
              TypedAmountRefusal(QStringLiteral("1..2")));
    EXPECT_EQ(records(), 0);
    EXPECT_EQ(bank(), 9000000000000000000);  // the update above set every place
}

// A move goes one way only: zero and negative amounts (a negative deposit would be a withdrawal past
// the bank's balance) are refused and move nothing.
TEST_P(BankMovesTest, ZeroAndNegativeAmountsAreRefusedAndMoveNothing) {
    for (const char* amount : {"0", "-5000", "-0.01", "0.00"}) {
        const MoveOutcome deposit = move(MoveKind::Deposit, QString::fromLatin1(amount));
        EXPECT_EQ(deposit.kind, MoveOutcome::Kind::Refused) << amount;
        EXPECT_EQ(deposit.message, QStringLiteral("存款金额必须大于零，请输入大于零的金额！"));
        const MoveOutcome withdrawal = move(MoveKind::Withdrawal, QString::fromLatin1(amount));
        EXPECT_EQ(withdrawal.kind, MoveOutcome::Kind::Refused) << amount;
        EXPECT_EQ(withdrawal.message, QStringLiteral("取款金额必须大于零，请输入大于零的金额！"));
        expectUnchanged();
    }
    // The smallest amount above zero still moves.
    EXPECT_EQ(move(MoveKind::Deposit, QStringLiteral("0.01")).kind, MoveOutcome::Kind::Done);
    EXPECT_EQ(bank(), 5000100);
}

TEST_P(BankMovesTest, AFailedRecordLeavesBalancesRowsAndMemoryAsTheyWere) {
    for (const QString& statement :
         RefuseInserts(CurrentTestEngine(), QStringLiteral("yinghanbiao"), QStringLiteral("disk full")))
        h.exec(statement);
    for (MoveKind kind : {MoveKind::Deposit, MoveKind::Withdrawal}) {
        const MoveOutcome o = move(kind, QStringLiteral("100"));
        EXPECT_EQ(o.kind, MoveOutcome::Kind::Error);
        EXPECT_TRUE(o.message.contains(QStringLiteral("disk full"))) << o.message.toStdString();
        expectUnchanged();
    }
}

TEST_P(BankMovesTest, ABankThatHasGoneAwayTakesNoMoneyFromHome) {
    h.exec(QStringLiteral("delete from zhangwubiao where mingcheng='工商银行'"));
    const MoveOutcome o = move(MoveKind::Deposit, QStringLiteral("100"));
    EXPECT_EQ(o.kind, MoveOutcome::Kind::Error);
    EXPECT_EQ(h.homeSafe.balance(), Money::fromYuan(800));
    EXPECT_EQ(home(), 8000000);
    EXPECT_EQ(records(), 0);
}

// A bank closed (here as by another computer) takes no deposit and gives no withdrawal.
TEST_P(BankMovesTest, AClosedBankTakesNoMove) {
    h.exec(QStringLiteral("update zhangwubiao set guanbi=1 where mingcheng='工商银行'"));
    for (MoveKind kind : {MoveKind::Deposit, MoveKind::Withdrawal}) {
        const MoveOutcome o = move(kind, QStringLiteral("100"));
        EXPECT_EQ(o.kind, MoveOutcome::Kind::Refused);
        EXPECT_EQ(o.message,
                  QStringLiteral("帐户“工商银行”已关闭，不能存取款。请先在“银行信息”里重新启用它。"));
        expectUnchanged();
    }
}

// Another copy of the program spent cash and emptied part of the bank after this one read its balance:
// the checks judge what is stored now, and a move adds to it.
TEST_P(BankMovesTest, ChecksAndMovesUseTheBalancesAsStoredNow) {
    h.exec(QStringLiteral("update zhangwubiao set jine=1000000 where mingcheng='家庭保险柜'"));
    h.exec(QStringLiteral("update zhangwubiao set jine=300000 where mingcheng='工商银行'"));
    EXPECT_EQ(move(MoveKind::Deposit, QStringLiteral("200")).kind, MoveOutcome::Kind::Refused);
    EXPECT_EQ(move(MoveKind::Withdrawal, QStringLiteral("40")).kind, MoveOutcome::Kind::Refused);
    EXPECT_EQ(records(), 0);

    EXPECT_EQ(move(MoveKind::Deposit, QStringLiteral("100")).kind, MoveOutcome::Kind::Done);
    EXPECT_EQ(home(), 0);
    EXPECT_EQ(bank(), 1300000);
    EXPECT_EQ(h.homeSafe.balance().format(), QStringLiteral("￥0.00"));
}

TAMBERLO_ON_BOTH_ENGINES(BankMovesTest);

}  // namespace
