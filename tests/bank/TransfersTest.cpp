#include "bank/Transfers.h"
#include "data/HomeSafe.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

namespace {

// 800 at home, 500 on the bank card 招商银行, nothing in the wallet 支付宝 and 300 owed on a credit card
// with a limit of 1000.
class TransfersTest : public ::testing::TestWithParam<TestEngine> {
  protected:
    void SetUp() override {
        h.exec(QStringLiteral("update zhangwubiao set jine=8000000"));
        card = h.addBankCard(QStringLiteral("招商银行"), 5000000);
        h.exec(
            QStringLiteral("insert into zhangwubiao (mingcheng, jine, leibie) values ('支付宝', 0, "
                           "'dianziqianbao')"));
        h.exec(
            QStringLiteral("insert into zhangwubiao (mingcheng, jine, leibie, edu) values ('白条', "
                           "-3000000, 'xinyongka', 10000000)"));
        home = idOf("家庭保险柜");
        wallet = idOf("支付宝");
        credit = idOf("白条");
        ASSERT_TRUE(h.homeSafe.ReadHomeSafeBalance().isOk());
    }
    qint64 idOf(const char* name) {
        return h
            .scalar(QStringLiteral("select id from zhangwubiao where mingcheng='%1'")
                        .arg(QString::fromUtf8(name)))
            .toLongLong();
    }
    TransferPlace place(qint64 id, const char* name) { return {id, QString::fromUtf8(name)}; }
    MoveOutcome transfer(TransferPlace from, TransferPlace to, const QString& amount,
                         const QString& fee = QString()) {
        return PerformTransfer(h.database, h.homeSafe,
                               {from, to, amount, fee, h.user.name, QDate(2007, 1, 15)});
    }
    // The stored balances of the home safe, the card, the wallet and the credit card, in yuan.
    QList<qint64> balances() {
        QList<qint64> yuan;
        for (qint64 id : {home, card, wallet, credit})
            yuan.append(
                h.scalar(QStringLiteral("select jine from zhangwubiao where id=%1").arg(id)).toLongLong() /
                10000);
        return yuan;
    }
    qint64 count(const char* table) {
        return h.scalar(QStringLiteral("select count(*) from %1").arg(QString::fromLatin1(table)))
            .toLongLong();
    }
    void expectUnchanged() {
        EXPECT_EQ(balances(), QList<qint64>({800, 500, 0, -300}));
        EXPECT_EQ(h.homeSafe.balance(), Money::fromYuan(800));
        EXPECT_EQ(count("yinghanbiao"), 0);
        EXPECT_EQ(count("shouzhibiao"), 0);
    }

    TestHousehold h;
    qint64 home = 0, card = 0, wallet = 0, credit = 0;
};

// 支付宝充值 from the card with a fee, then cash from a machine: balances, the record with both places,
// and the fee as an expense on the paying place; the transfer itself is neither income nor expense.
TEST_P(TransfersTest, CardToWalletWithFeeAndCashHome) {
    MoveOutcome o = transfer(place(card, "招商银行"), place(wallet, "支付宝"), QStringLiteral("100"),
                             QStringLiteral("1.5"));
    ASSERT_EQ(o.kind, MoveOutcome::Kind::Done) << o.message.toStdString();
    EXPECT_EQ(o.message, QStringLiteral("转帐完成！"));
    EXPECT_EQ(balances(), QList<qint64>({800, 398, 100, -300}));
    EXPECT_EQ(h.scalar(QStringLiteral("select jine from zhangwubiao where id=%1").arg(card)).toLongLong(),
              3985000);
    EXPECT_EQ(h.scalar(QStringLiteral(
                           "select zhuanchu||'|'||mingcheng||'|'||jine||'|'||shouxufei||'|'||leixing||'|'||"
                           "riqi||'|'||caozuoren from yinghanbiao"))
                  .toString(),
              QStringLiteral("招商银行|支付宝|1000000|15000|zhuanzhang|2007-01-15|管理员"));
    EXPECT_EQ(
        h.scalar(
             QStringLiteral("select leixing||'|'||mingxi||'|'||feiyong||'|'||shururiqi||'|'||dengjiren||'|'||"
                            "beizhu||'|'||zhanghu from shouzhibiao"))
            .toString(),
        QStringLiteral("zhichu|手续费|15000|2007-01-15|管理员|转帐手续费：招商银行 → 支付宝|%1").arg(card));

    // Cash from a machine: the home safe in memory follows; no fee, no entry.
    o = transfer(place(card, "招商银行"), place(home, "家庭保险柜"), QStringLiteral("50"));
    ASSERT_EQ(o.kind, MoveOutcome::Kind::Done) << o.message.toStdString();
    EXPECT_EQ(h.homeSafe.balance().format(), QStringLiteral("￥850.00"));
    EXPECT_EQ(count("shouzhibiao"), 1);
    EXPECT_EQ(h.scalar(QStringLiteral("select shouxufei from yinghanbiao where mingcheng='家庭保险柜'"))
                  .toLongLong(),
              0);
}

// 信用卡还款 from the card lowers what the card owes; a credit card pays out down to its limit exactly.
TEST_P(TransfersTest, CreditCardRepaymentAndSpendingToTheLimit) {
    ASSERT_EQ(transfer(place(card, "招商银行"), place(credit, "白条"), QStringLiteral("300")).kind,
              MoveOutcome::Kind::Done);
    EXPECT_EQ(balances(), QList<qint64>({800, 200, 0, 0}));
    ASSERT_EQ(
        transfer(place(credit, "白条"), place(wallet, "支付宝"), QStringLiteral("990"), QStringLiteral("10"))
            .kind,
        MoveOutcome::Kind::Done);
    EXPECT_EQ(balances(), QList<qint64>({800, 200, 990, -1000}));
}

struct Refusal {
    const char* name;
    int from, to;  // 0 home, 1 card, 2 wallet, 3 credit
    const char* amount;
    const char* fee;
    const char* meanwhile;  // what another computer did before the transfer (undone after), or null
    const char* undo;
    MoveOutcome::Kind kind;
    const char* says;
};

// Every refusal moves nothing: neither balance, nor record, nor fee entry, nor the home safe in memory.
TEST_P(TransfersTest, RefusalsMoveNothing) {
    using K = MoveOutcome::Kind;
    const Refusal cases[] = {
        {"empty", 1, 2, "", "", nullptr, nullptr, K::Refused, "必须输入转帐金额！"},
        {"not money", 1, 2, "1..2", "", nullptr, nullptr, K::Refused,
         "转帐金额不是有效的数字，请输入例如 100 或 12.50 这样的金额。（'1..2' is not a valid floating point "
         "value）"},
        {"zero", 1, 2, "0", "", nullptr, nullptr, K::Refused, "转帐金额必须大于零，请输入大于零的金额！"},
        {"negative", 2, 1, "-50", "", nullptr, nullptr, K::Refused,
         "转帐金额必须大于零，请输入大于零的金额！"},
        {"beyond the limit", 1, 2, "1000000000.01", "", nullptr, nullptr, K::Refused, "￥1,000,000,000.00"},
        {"fee not money", 1, 2, "10", "x", nullptr, nullptr, K::Refused, "手续费不是有效的数字"},
        {"negative fee", 1, 2, "10", "-1", nullptr, nullptr, K::Refused,
         "手续费不能是负数。没有手续费就不填，或填 0。"},
        {"fee beyond the limit", 1, 2, "10", "1e10", nullptr, nullptr, K::Refused,
         "手续费：金额“1e10”超过了"},
        {"same place", 1, 1, "10", "", nullptr, nullptr, K::Refused,
         "转出和转入不能是同一个帐户！请选择另一个转入帐户。"},
        {"short", 1, 2, "500.01", "", nullptr, nullptr, K::Refused,
         "“招商银行”的余额只有 ￥500.00，不够转出 ￥500.01。这笔转帐没有保存，请核查！"},
        {"short by the fee", 0, 2, "800", "0.01", nullptr, nullptr, K::Refused,
         "“家庭保险柜”的余额只有 ￥800.00，不够转出 ￥800.00 和手续费 ￥0.01。"},
        {"credit past its limit", 3, 2, "700", "0.01", nullptr, nullptr, K::Error,
         "信用卡“白条”的额度是 ￥1000.00，这笔转帐后将欠 ￥1000.01，超出了额度。"},
        {"receiving place closed meanwhile", 1, 2, "10", "",
         "update zhangwubiao set guanbi=1 where mingcheng='支付宝'", "update zhangwubiao set guanbi=0",
         K::Error, "帐户“支付宝”已关闭"},
        {"paying place closed meanwhile, also short", 1, 2, "600", "",
         "update zhangwubiao set guanbi=1 where mingcheng='招商银行'", "update zhangwubiao set guanbi=0",
         K::Error, "帐户“招商银行”已关闭"},
        {"renamed meanwhile", 1, 2, "10", "",
         "update zhangwubiao set mingcheng='支付宝余额' where mingcheng='支付宝'",
         "update zhangwubiao set mingcheng='支付宝' where mingcheng='支付宝余额'", K::Refused,
         "帐户“支付宝”已改名为“支付宝余额”"},
        {"removed meanwhile", 1, 2, "10", "", "delete from zhangwubiao where mingcheng='支付宝'", nullptr,
         K::Error, "帐户“支付宝”：这个帐户已不存在"},
    };
    const TransferPlace places[] = {place(home, "家庭保险柜"), place(card, "招商银行"),
                                    place(wallet, "支付宝"), place(credit, "白条")};
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.meanwhile)
            h.exec(QString::fromUtf8(c.meanwhile));
        const MoveOutcome o =
            transfer(places[c.from], places[c.to], QString::fromUtf8(c.amount), QString::fromUtf8(c.fee));
        EXPECT_EQ(o.kind, c.kind);
        EXPECT_TRUE(o.message.contains(QString::fromUtf8(c.says))) << o.message.toStdString();
        if (c.undo)
            h.exec(QString::fromUtf8(c.undo));
        if (!c.meanwhile || c.undo)
            expectUnchanged();
    }
}

// A record or a fee entry that cannot be written takes the whole transfer back.
TEST_P(TransfersTest, AFailedInsertLeavesNothingMoved) {
    for (const char* table : {"shouzhibiao", "yinghanbiao"}) {
        for (const QString& statement :
             RefuseInserts(CurrentTestEngine(), QString::fromLatin1(table), QStringLiteral("disk full")))
            h.exec(statement);
        const MoveOutcome o = transfer(place(card, "招商银行"), place(home, "家庭保险柜"),
                                       QStringLiteral("100"), QStringLiteral("2"));
        EXPECT_EQ(o.kind, MoveOutcome::Kind::Error) << table;
        EXPECT_TRUE(o.message.contains(QStringLiteral("disk full"))) << o.message.toStdString();
        expectUnchanged();
    }
}

TAMBERLO_ON_BOTH_ENGINES(TransfersTest);

}  // namespace
