#include "bills/BillRules.h"
#include "bills/ImportPlan.h"
#include "bills/ImportStore.h"
#include "data/EntryRows.h"
#include "data/Statements.h"
#include "reliability/Books.h"
#include "support/TestEngine.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include <array>
#include <memory>

namespace {

Money yuan(qint64 units100) {
    return Money::fromUnits(units100 * 100);  // from fen
}

BillRow line(int n, int day, const char* counterparty, BillDirection direction, qint64 fen,
             const char* method, const char* number = "") {
    BillRow row;
    row.line = n;
    row.day = QDate(2026, 12, day);
    row.counterparty = QString::fromUtf8(counterparty);
    row.direction = direction;
    row.amount = yuan(fen);
    row.method = QString::fromUtf8(method);
    row.status = QStringLiteral("支付成功");
    row.number = QString::fromUtf8(number);
    return row;
}

class ImportPlanOnBothEngines : public ::testing::TestWithParam<TestEngine> {
  protected:
    void SetUp() override {
        safe =
            th.scalar(QStringLiteral("select id from zhangwubiao where mingcheng='家庭保险柜'")).toLongLong();
        card = th.addBankCard(QStringLiteral("招商银行"), Money::fromYuan(1000).units());
        wallet = th.addBankCard(QStringLiteral("微信零钱"), Money::fromYuan(500).units());
        th.exec(QStringLiteral("update zhangwubiao set leibie='dianziqianbao' where id=%1").arg(wallet));
        for (const auto& [source, method, place] :
             {std::tuple{"weixin", "零钱", wallet}, std::tuple{"weixin", "招商银行储蓄卡(1234)", card},
              std::tuple{"zhifubao", "招商银行储蓄卡(1234)", card},
              std::tuple{"zhaoshang-chuxuka", "1234", card}})
            ASSERT_TRUE(
                SaveMethodPlace(th.database, QString::fromUtf8(source), QString::fromUtf8(method), place));
        ASSERT_TRUE(
            SaveRule(th.database, {0, QStringLiteral("星巴克"), EntryType::Expense, QStringLiteral("咖啡")}));
    }

    Money balance(qint64 place) {
        return Money::fromUnits(
            th.scalar(QStringLiteral("select jine from zhangwubiao where id=%1").arg(place)).toLongLong());
    }

    ImportPlan plan(const Bill& bill) {
        Result<ImportPlan> p = PlanImport(th.database.connection(), bill);
        EXPECT_TRUE(p) << p.error().toStdString();
        return p ? p.value() : ImportPlan{};
    }

    TestHousehold th;
    qint64 safe = 0;
    qint64 card = 0;
    qint64 wallet = 0;
};

Bill wechatBill() {
    Bill bill;
    bill.source = BillSource::Wechat;
    bill.sourceCode = SourceCode(BillSource::Wechat);
    bill.path = QStringLiteral("/tmp/微信支付账单.csv");
    QList<BillRow>& r = bill.rows;
    r.append(line(2, 2, "星巴克", BillDirection::Out, 3500, "零钱", "W1"));
    r.append(line(3, 4, "便利店", BillDirection::Out, 2816, "零钱", "W2"));
    r.append(line(4, 4, "", BillDirection::Neither, 10000, "招商银行储蓄卡(1234)", "W3"));
    r.last().category = QStringLiteral("零钱充值");
    r.append(line(5, 4, "饭店", BillDirection::Out, 5000, "零钱", "W4"));
    r.last().status = QStringLiteral("交易关闭");
    r.append(line(6, 5, "书店", BillDirection::Out, 6000, "零钱", "W5"));
    r.last().merchantNumber = QStringLiteral("M5");
    r.append(line(7, 6, "书店", BillDirection::In, 6000, "零钱", "W6"));
    r.last().category = QStringLiteral("微信支付-退款");
    r.last().merchantNumber = QStringLiteral("M5");
    r.append(line(8, 5, "鞋店", BillDirection::Out, 8000, "零钱", "W7"));
    r.last().merchantNumber = QStringLiteral("M7");
    r.append(line(9, 6, "鞋店", BillDirection::In, 2000, "零钱", "W8"));
    r.last().category = QStringLiteral("微信支付-退款");
    r.last().merchantNumber = QStringLiteral("M7");
    r.append(line(10, 6, "", BillDirection::Neither, 20000, "招商银行储蓄卡(1234)", "W9"));
    r.last().category = QStringLiteral("零钱提现");
    r.last().fee = yuan(10);
    r.append(line(11, 6, "超市", BillDirection::Out, 1200, "花呗", "W10"));
    r.append(line(12, 5, "美团", BillDirection::Out, 4500, "招商银行储蓄卡(1234)", "W11"));
    BillRow bad;
    bad.line = 13;
    bad.problem = QStringLiteral("金额“abc”不是数字");
    r.append(bad);
    return bill;
}

// Every kind of line of a wallet's bill gets its action, its places and its 明细; the commit writes the
// ticked ones with their balances, refuses a place ending below zero until agreed, and a second import of
// the same bill adds nothing.
TEST_P(ImportPlanOnBothEngines, EveryLineIsDecidedAndASecondImportAddsNothing) {
    ASSERT_TRUE(WriteEntryRow(th.database.connection(),
                              {QString::fromLatin1(Codes::kExpense), QStringLiteral("日用"), yuan(2816),
                               QDate(2026, 12, 2), QStringLiteral("管理员"), QString(), wallet}));
    ImportPlan p = plan(wechatBill());
    struct Expect {
        PlanAction action;
        bool ticked;
        qint64 place;
        qint64 other;
        const char* detail;
    };
    const Expect expected[] = {
        {PlanAction::Add, true, wallet, 0, "咖啡"},
        {PlanAction::MaybeDuplicate, false, wallet, 0, "其他支出"},
        {PlanAction::Transfer, true, card, wallet, ""},
        {PlanAction::NotCounted, false, wallet, 0, ""},
        {PlanAction::NotCounted, false, wallet, 0, ""},
        {PlanAction::NotCounted, false, wallet, 0, ""},
        {PlanAction::Add, true, wallet, 0, "其他支出"},
        {PlanAction::Add, true, wallet, 0, "退款"},
        {PlanAction::Transfer, true, wallet, card, ""},
        {PlanAction::Add, true, wallet, 0, "手续费"},  // the withdrawal's fee
        {PlanAction::Add, false, 0, 0, "其他支出"},    // 花呗 has no place yet: unticked
        {PlanAction::Add, true, card, 0, "其他支出"},
        {PlanAction::Unreadable, false, 0, 0, ""},
    };
    ASSERT_EQ(p.rows.size(), std::size(expected));
    for (qsizetype i = 0; i < p.rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(p.rows[i].action, expected[i].action) << p.rows[i].reason.toStdString();
        EXPECT_EQ(p.rows[i].ticked, expected[i].ticked);
        EXPECT_EQ(p.rows[i].place, expected[i].place);
        EXPECT_EQ(p.rows[i].otherPlace, expected[i].other);
        EXPECT_EQ(p.rows[i].detail, QString::fromUtf8(expected[i].detail));
        EXPECT_FALSE(p.rows[i].reason.isEmpty() && p.rows[i].action != PlanAction::Add);
    }
    EXPECT_TRUE(p.rows[0].detailFromRule);
    EXPECT_EQ(p.rows[8].type, EntryType::Expense);
    EXPECT_EQ(p.rows[7].type, EntryType::Income);
    EXPECT_EQ(p.unmappedMethods, QStringList{QStringLiteral("花呗")});

    // Unmapped lines are refused when ticked; once placed (which ticks them), the home safe ending below
    // zero is asked first.
    p.rows[10].ticked = true;
    EXPECT_FALSE(CommitImport(th.database, th.homeSafe, p, QStringLiteral("管理员"), false));
    p.rows[10].ticked = false;
    SetPlace(p, 10, safe, true);
    EXPECT_TRUE(p.rows[10].ticked);
    th.exec(QStringLiteral("update zhangwubiao set jine=0 where id=%1").arg(safe));
    const Result<ImportOutcome> refused =
        CommitImport(th.database, th.homeSafe, p, QStringLiteral("管理员"), false);
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains(QStringLiteral("低于零"))) << refused.error().toStdString();
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from zhangdanhao")).toInt(), 0);
    const Result<QList<PlaceOutcome>> outcomes = PlaceOutcomes(th.database.connection(), p);
    ASSERT_TRUE(outcomes);
    ASSERT_EQ(outcomes->size(), 3);
    const Result<ImportOutcome> done =
        CommitImport(th.database, th.homeSafe, p, QStringLiteral("管理员"), true);
    ASSERT_TRUE(done) << done.error().toStdString();
    EXPECT_EQ(done->added, 8);
    EXPECT_EQ(done->skipped, 0);
    EXPECT_EQ(balance(wallet), Money::fromUnits(Money::fromYuan(500).units() -
                                                yuan(3500 - 10000 + 8000 - 2000 + 20000 + 10).units()));
    EXPECT_EQ(balance(card), Money::fromYuan(1000 - 100 + 200 - 45));
    EXPECT_EQ(balance(safe), Money::fromYuan(-12));
    for (const PlaceOutcome& o : outcomes.value())
        EXPECT_EQ(o.after, balance(o.place));
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from yinghanbiao where leixing='zhuanzhang' and "
                                       "mingcheng='招商银行' and zhuanchu='微信零钱' and shouxufei=1000"))
                  .toInt(),
              1);
    EXPECT_EQ(
        th.scalar(QStringLiteral("select hangshu from daorujilu where id=%1").arg(done->importId)).toInt(),
        8);

    // The same plan committed again (as a second computer would) skips every line; planned again, every
    // line written is 已导入.
    const Result<ImportOutcome> second =
        CommitImport(th.database, th.homeSafe, p, QStringLiteral("管理员"), true);
    ASSERT_TRUE(second) << second.error().toStdString();
    EXPECT_EQ(second->added, 0);
    EXPECT_EQ(second->skipped, 8);
    EXPECT_EQ(balance(card), Money::fromYuan(1000 - 100 + 200 - 45));
    const ImportPlan again = plan(wechatBill());
    int already = 0;
    for (const PlanRow& row : again.rows)
        already += row.action == PlanAction::AlreadyImported;
    EXPECT_EQ(already, 8);
}

// One purchase paid by card through a wallet and seen again on the card's statement is one entry,
// whichever bill is imported first.
TEST_P(ImportPlanOnBothEngines, AWalletPurchaseAndTheCardsStatementLineAreOneEntry) {
    Bill wechat;
    wechat.source = BillSource::Wechat;
    wechat.sourceCode = SourceCode(BillSource::Wechat);
    wechat.rows.append(line(2, 5, "美团", BillDirection::Out, 4500, "招商银行储蓄卡(1234)", "W11"));
    Bill statement;
    statement.source = BillSource::CmbDebit;
    statement.sourceCode = SourceCode(BillSource::CmbDebit);
    statement.account = QStringLiteral("1234");
    statement.rows.append(line(2, 6, "", BillDirection::Out, 4500, ""));
    statement.rows.last().description = QStringLiteral("财付通-美团");
    statement.rows.append(line(3, 7, "", BillDirection::Out, 3300, ""));
    statement.rows.last().description = QStringLiteral("支付宝-饿了么");
    Bill alipay;
    alipay.source = BillSource::Alipay;
    alipay.sourceCode = SourceCode(BillSource::Alipay);
    alipay.rows.append(line(2, 8, "饿了么", BillDirection::Out, 3300, "招商银行储蓄卡(1234)", "A1"));

    for (const Bill* bill : {&wechat, &statement, &alipay}) {
        const ImportPlan p = plan(*bill);
        const Result<ImportOutcome> done =
            CommitImport(th.database, th.homeSafe, p, QStringLiteral("管理员"), false);
        ASSERT_TRUE(done) << done.error().toStdString();
    }
    // The statement's first line met the wallet's entry; the wallet's line met the statement's second.
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(), 2);
    EXPECT_EQ(balance(card), Money::fromUnits(Money::fromYuan(1000).units() - yuan(4500 + 3300).units()));
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from zhangdanhao where chuangjian=0")).toInt(), 2);
    const ImportPlan again = plan(statement);
    for (const PlanRow& row : again.rows)
        EXPECT_EQ(row.action, PlanAction::AlreadyImported) << row.reason.toStdString();
}

// Two programs importing the same bill at the same moment: each line is stored once, whoever commits
// second skips it, and the balances agree with the rows.
TEST_P(ImportPlanOnBothEngines, TwoProgramsImportingOneBillAtOnceStoreEachLineOnce) {
    const QMap<QString, qint64> opening = Books::Stored(th.database);
    const QString where = CurrentTestEngine() == TestEngine::Server
                              ? QStringLiteral("postgresql:") + th.place.connection()
                              : th.home.databasePath();
    std::array<std::unique_ptr<QProcess>, 2> workers;
    for (auto& worker : workers) {
        worker = std::make_unique<QProcess>();
        worker->start(QStringLiteral(TAMBERLO_IMPORT_WORKER), {where});
        ASSERT_TRUE(worker->waitForStarted(5000));
    }
    // Both have planned before either commits: each plans to add every line.
    for (auto& worker : workers) {
        QByteArray said;
        while (!said.contains("ready") && worker->waitForReadyRead(30000))
            said += worker->readAllStandardOutput();
        ASSERT_TRUE(said.contains("ready")) << worker->readAllStandardError().toStdString();
    }
    for (auto& worker : workers)
        worker->write("go\n");
    int added = 0;
    int skipped = 0;
    for (auto& worker : workers) {
        ASSERT_TRUE(worker->waitForFinished(60000));
        ASSERT_EQ(worker->exitCode(), 0) << worker->readAllStandardError().toStdString();
        const QString said = QString::fromUtf8(worker->readAllStandardOutput());
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("added (\\d+) skipped (\\d+)")).match(said);
        ASSERT_TRUE(m.hasMatch()) << said.toStdString();
        added += m.captured(1).toInt();
        skipped += m.captured(2).toInt();
    }
    // 200 lines, every tenth a top-up with its fee as a line of its own.
    EXPECT_EQ(added, 220);
    EXPECT_EQ(skipped, 220);
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from zhangdanhao")).toInt(), 220);
    EXPECT_EQ(th.scalar(QStringLiteral("select count(distinct jiaoyihao) from zhangdanhao")).toInt(), 220);
    EXPECT_EQ(th.scalar(QStringLiteral("select count(*) from yinghanbiao")).toInt(), 20);
    EXPECT_EQ(Books::Printable(Books::Stored(th.database)),
              Books::Printable(Books::Expected(th.database, opening)));
}

TAMBERLO_ON_BOTH_ENGINES(ImportPlanOnBothEngines);

}  // namespace
