#include "bank/BankPasswords.h"
#include "bank/BankPlaces.h"
#include "bank/BankRecords.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

namespace {

qint64 idOf(TestHousehold& h, const QString& name) {
    return h.scalar(QStringLiteral("select id from zhangwubiao where mingcheng='%1'").arg(name)).toLongLong();
}

TEST(BankPlaces, NewBanksStartAtZeroAndNamesStayDistinct) {
    TestHousehold h;
    const QSqlDatabase db = h.database.connection();
    const Result<qint64> added =
        InsertBank(db, {QStringLiteral("建设银行"), QStringLiteral("张三"), QStringLiteral("6227"), {}});
    ASSERT_TRUE(added.isOk()) << added.error().toStdString();
    EXPECT_EQ(added.value(), idOf(h, QStringLiteral("建设银行")));
    EXPECT_EQ(
        h.scalar(QStringLiteral("select jine from zhangwubiao where mingcheng='建设银行'")).toLongLong(), 0);

    EXPECT_FALSE(InsertBank(db, {QStringLiteral("建设银行"), {}, {}, {}}).isOk());
    EXPECT_FALSE(InsertBank(db, {QStringLiteral("家庭保险柜"), {}, {}, {}}).isOk());
    // Renaming onto another place's name fails too.
    EXPECT_FALSE(UpdateBank(db, added.value(), {QStringLiteral("家庭保险柜"), {}, {}, {}}).isOk());

    const Result<QList<PlaceBalance>> places = ReadPlaceBalances(db);
    ASSERT_TRUE(places.isOk());
    ASSERT_EQ(places->size(), 2);
    EXPECT_EQ(places.value()[1].name, QStringLiteral("建设银行"));
}

TEST(BankPlaces, TheHomeSafeKeepsItsNameAndCannotBeDeleted) {
    TestHousehold h;
    h.exec(QStringLiteral("update zhangwubiao set jine=4000000"));
    const QSqlDatabase db = h.database.connection();
    const qint64 safe = idOf(h, QStringLiteral("家庭保险柜"));
    ASSERT_TRUE(
        UpdateBank(db, safe, {QStringLiteral("现金"), QStringLiteral("家"), QStringLiteral("-"), {}}).isOk());
    EXPECT_EQ(
        h.scalar(QStringLiteral("select mingcheng||yonghuming||jine from zhangwubiao where id=%1").arg(safe))
            .toString(),
        QStringLiteral("家庭保险柜家4000000"));
    ASSERT_TRUE(DeleteBank(db, safe).isOk());
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from zhangwubiao")).toInt(), 1);
}

// A rename keeps the balance and the entries (by key) and renames the records (by name); a place with
// history is not deleted but may be closed, which keeps everything.
TEST(BankPlaces, ChangesLeaveBalancesAlonePastRecordsFollowAndHistoryIsClosedNotDeleted) {
    TestHousehold h;
    h.exec(QStringLiteral("insert into zhangwubiao (mingcheng, jine) values ('工商银行', 5000000)"));
    h.exec(
        QStringLiteral("insert into yinghanbiao (mingcheng, jine, leixing, riqi, caozuoren) values "
                       "('工商银行', 1000000, 'cunkuan', '2007-01-02', '管理员')"));
    const QSqlDatabase db = h.database.connection();
    const qint64 bank = idOf(h, QStringLiteral("工商银行"));
    ASSERT_TRUE(
        UpdateBank(db, bank, {QStringLiteral("工行"), QStringLiteral("李四"), QStringLiteral("95588"), {}})
            .isOk());
    EXPECT_EQ(h.scalar(QStringLiteral("select jine from zhangwubiao where id=%1").arg(bank)).toLongLong(),
              5000000);
    EXPECT_EQ(h.scalar(QStringLiteral("select mingcheng from yinghanbiao")).toString(),
              QStringLiteral("工行"));
    const Status deleted = DeleteBank(db, bank);
    EXPECT_EQ(deleted.error(),
              QStringLiteral("帐户“工行”有收支或存取款记录，不能删除，否则这些记录就没有了帐户。"
                             "可以把它关闭：关闭后它不再出现在选择里，记录和合计都保留。"));
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from zhangwubiao")).toInt(), 2);

    // Closed here after another computer renamed it: refused; closed as it now stands: done.
    ASSERT_TRUE(UpdateBank(db, bank, {QStringLiteral("工商"), {}, {}, {}}).isOk());
    const Status stale = SetPlaceClosed(db, bank, true, {QStringLiteral("工行"), false});
    EXPECT_TRUE(
        stale.error().startsWith(QStringLiteral("帐户“工行”已在另一台电脑上被改名或关闭（现在是“工商”）")))
        << stale.error().toStdString();
    const Status staleEdit = UpdateBank(db, bank, {QStringLiteral("工行2"), {}, {}, {}},
                                        PlaceAsRead{QStringLiteral("工行"), false});
    EXPECT_FALSE(staleEdit.isOk());
    ASSERT_TRUE(SetPlaceClosed(db, bank, true, {QStringLiteral("工商"), false}).isOk());
    EXPECT_EQ(
        h.scalar(QStringLiteral("select mingcheng||guanbi||jine from zhangwubiao where id=%1").arg(bank)),
        QStringLiteral("工商15000000"));
    EXPECT_EQ(h.scalar(QStringLiteral("select mingcheng from yinghanbiao")).toString(),
              QStringLiteral("工商"));
    EXPECT_EQ(
        SetPlaceClosed(db, idOf(h, QStringLiteral("家庭保险柜")), true, {QStringLiteral("家庭保险柜"), false})
            .error(),
        QStringLiteral("家庭保险柜不能关闭。"));
}

// A second place of a name, a place of cash and a credit limit below zero or past the amount limit are
// refused with nothing written; a credit card keeps its limit, another kind none.
TEST(BankPlaces, NamesKindsAndCreditLimitsAreChecked) {
    TestHousehold h;
    const QSqlDatabase db = h.database.connection();
    BankDetails card{QStringLiteral("招行信用卡"), {}, {}, {}, QStringLiteral("xinyongka"),
                     Money::fromYuan(5000)};
    const Result<qint64> added = InsertBank(db, card);
    ASSERT_TRUE(added.isOk()) << added.error().toStdString();
    EXPECT_EQ(InsertBank(db, card).error(),
              QStringLiteral("已经有一个叫“招行信用卡”的帐户了，请换一个名称。"));
    card.name = QStringLiteral("白条");
    card.limit = Money::fromUnits(-1);
    EXPECT_EQ(InsertBank(db, card).error(), QStringLiteral("信用额度不能小于零，请重新输入。"));
    card.limit = Money::fromYuan(1'000'000'001);
    EXPECT_EQ(InsertBank(db, card).error(),
              QStringLiteral("信用额度 ￥1000000001.00 超过了金额的上限 ￥1,000,000,000.00，请重新输入。"));
    card.kind = QStringLiteral("xianjin");
    EXPECT_FALSE(InsertBank(db, card).isOk());
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from zhangwubiao")).toInt(), 2);
    EXPECT_EQ(h.scalar(QStringLiteral("select leibie||edu from zhangwubiao where id=%1").arg(added.value())),
              QStringLiteral("xinyongka50000000"));
    // Made a wallet, it keeps no limit.
    ASSERT_TRUE(
        UpdateBank(db, added.value(),
                   {QStringLiteral("零钱"), {}, {}, {}, QStringLiteral("dianziqianbao"), Money::fromYuan(9)})
            .isOk());
    EXPECT_EQ(h.scalar(QStringLiteral("select leibie||edu from zhangwubiao where id=%1").arg(added.value())),
              QStringLiteral("dianziqianbao0"));
}

TEST(BankRecords, DepositsAndWithdrawalsAreSplitInTheirOrder) {
    TestHousehold h;
    h.exec(QStringLiteral(
        "insert into yinghanbiao (mingcheng, jine, leixing, riqi, caozuoren) values "
        "('甲', 1000000, 'cunkuan', '2007-01-01', 'a'), ('乙', 125000, 'qukuan', '2007-01-02', 'b'), "
        "('丙', 1, 'cunkuan', '2007-01-03', 'c'), ('丁', 0, 'qukuan', '2007-01-04', 'd'), "
        "('戊', -5000, 'cunkuan', '2007-01-05', 'e'), ('己', 7, 'other', '2007-01-06', 'f')"));
    const Result<TransactionRecords> r = ReadTransactionRecords(h.database.connection());
    ASSERT_TRUE(r.isOk());
    EXPECT_EQ(r->total, 6);
    ASSERT_EQ(r->deposits.size(), 3);
    ASSERT_EQ(r->withdrawals.size(), 2);
    EXPECT_EQ(r->deposits[0], QStringList({"甲", "￥100.00", "2007-01-01", "a"}));
    EXPECT_EQ(r->deposits[2], QStringList({"戊", "-￥0.50", "2007-01-05", "e"}));
    EXPECT_EQ(r->withdrawals[0], QStringList({"乙", "￥12.50", "2007-01-02", "b"}));
    EXPECT_EQ(r->withdrawals[1][1], QStringLiteral("￥0.00"));
}

// What a household's places add up to, on either engine: the cash, a bank card, an e-wallet, a credit
// card in debt and one in credit, and a closed place that still holds money.
class PlaceFiguresTest : public ::testing::TestWithParam<TestEngine> {};

TEST_P(PlaceFiguresTest, AssetsDebtAndNetWorthOfEveryKind) {
    TestHousehold h;
    h.exec(QStringLiteral("update zhangwubiao set jine=8000005"));
    h.exec(QStringLiteral(
        "insert into zhangwubiao (mingcheng, jine, leibie, edu, guanbi) values ('工商银行', 5000000, "
        "'yinhangka', 0, 0), ('微信零钱', -10000, 'dianziqianbao', 0, 0), ('招商信用卡', -12345678, "
        "'xinyongka', 500000000, 0), ('中信信用卡', 20000, 'xinyongka', 100000000, 0), ('旧存折', 70000, "
        "'yinhangka', 0, 1)"));
    const Result<PlaceFigures> figures = ReadPlaceFigures(h.database.connection());
    ASSERT_TRUE(figures.isOk()) << figures.error().toStdString();
    ASSERT_EQ(figures->places.size(), 6);
    const PlaceFigure& card = figures->places[3];
    EXPECT_EQ(card.name, QStringLiteral("招商信用卡"));
    EXPECT_EQ(card.kind, QStringLiteral("xinyongka"));
    EXPECT_EQ(card.limit, Money::fromYuan(50000));
    EXPECT_FALSE(card.closed);
    EXPECT_TRUE(figures->places[5].closed);
    // Money held: every place above zero, the credit card in credit and the closed place among them.
    EXPECT_EQ(figures->assets, Money::fromUnits(8000005 + 5000000 + 20000 + 70000));
    EXPECT_EQ(figures->owed, Money::fromUnits(12345678));
    EXPECT_EQ(figures->netWorth, Money::fromUnits(8000005 + 5000000 - 10000 - 12345678 + 20000 + 70000));

    // A total beyond the amount range is refused, never wrapped.
    h.exec(QStringLiteral("update zhangwubiao set jine=9000000000000000000 where leibie='yinhangka'"));
    EXPECT_FALSE(ReadPlaceFigures(h.database.connection()).isOk());
}

TAMBERLO_ON_BOTH_ENGINES(PlaceFiguresTest);

// Bank passwords on either engine: stored encrypted, read back one place at a time with the household
// key, kept as stored by a save without the key; a new key only when no user holds one.
class BankPasswordsTest : public ::testing::TestWithParam<TestEngine> {
  protected:
    void SetUp() override { h.openInitialUserKeys(); }
    QString sealedOf(qint64 id) {
        return h.scalar(QStringLiteral("select mimami from zhangwubiao where id=%1").arg(id)).toString();
    }
    TestHousehold h;
};

TEST_P(BankPasswordsTest, SavedEncryptedAndShownWithTheKeyAloneKeptWithoutIt) {
    const QSqlDatabase db = h.database.connection();
    const SecretKey key = h.user.householdKey;
    const Result<qint64> added = InsertBank(db,
                                            {QStringLiteral("建设银行"), QStringLiteral("张三"),
                                             QStringLiteral("6227"), QStringLiteral("Qx-7731")},
                                            key);
    ASSERT_TRUE(added.isOk()) << added.error().toStdString();
    const qint64 bank = added.value();
    const QString sealed = sealedOf(bank);
    EXPECT_TRUE(sealed.startsWith(QStringLiteral("bp1$"))) << sealed.toStdString();
    EXPECT_FALSE(sealed.contains(QStringLiteral("Qx-7731")));
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from zhangwubiao where mima<>''")).toInt(), 0);
    EXPECT_EQ(ReadBankPassword(db, bank, key).value(), QStringLiteral("Qx-7731"));
    EXPECT_FALSE(ReadBankPassword(db, bank, SecretKey::random()).isOk());

    // Without the key: nothing read; the other details are saved and the stored password stays; a
    // password typed is refused with nothing written.
    EXPECT_EQ(ReadBankPassword(db, bank, SecretKey()).error(), NoHouseholdKeyNote());
    ASSERT_TRUE(UpdateBank(db, bank, {QStringLiteral("建行"), QStringLiteral("李四"), {}, {}}).isOk());
    EXPECT_EQ(sealedOf(bank), sealed);
    const Status refused =
        UpdateBank(db, bank, {QStringLiteral("建行2"), QStringLiteral("李四"), {}, QStringLiteral("other")});
    EXPECT_TRUE(refused.error().startsWith(NoHouseholdKeyNote())) << refused.error().toStdString();
    EXPECT_EQ(h.scalar(QStringLiteral("select mingcheng from zhangwubiao where id=%1").arg(bank)),
              QStringLiteral("建行"));
    EXPECT_EQ(sealedOf(bank), sealed);

    // The home safe's password, written with its other details, and emptied again.
    const qint64 safe = idOf(h, QStringLiteral("家庭保险柜"));
    ASSERT_TRUE(
        UpdateBank(db, safe, {{}, QStringLiteral("家"), {}, QStringLiteral("Safe-42")}, {}, key).isOk());
    EXPECT_EQ(ReadBankPassword(db, safe, key).value(), QStringLiteral("Safe-42"));
    ASSERT_TRUE(UpdateBank(db, safe, {{}, QStringLiteral("家"), {}, QString()}, {}, key).isOk());
    EXPECT_EQ(sealedOf(safe), QString());
    EXPECT_EQ(ReadBankPassword(db, safe, key).value(), QString());
}

TEST_P(BankPasswordsTest, ANewKeyIsStartedOnlyWhenNoUserHoldsOne) {
    const QSqlDatabase db = h.database.connection();
    const qint64 bank =
        InsertBank(db, {QStringLiteral("工商银行"), {}, {}, QStringLiteral("old-pw")}, h.user.householdKey)
            .value();
    EXPECT_FALSE(StartHouseholdKey(db, h.user.keys).isOk());

    h.exec(QStringLiteral("update quanxiangbiao set jiayao=''"));
    ASSERT_FALSE(HouseholdKeyHeld(db).value());
    const Result<SecretKey> started = StartHouseholdKey(db, h.user.keys);
    ASSERT_TRUE(started.isOk()) << started.error().toStdString();
    // Sealed to this user alone; the passwords under the old key stay unreadable.
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from quanxiangbiao where jiayao<>''")).toInt(), 1);
    const QByteArray sealed =
        h.scalar(QStringLiteral("select jiayao from quanxiangbiao where yonghuID='001'"))
            .toString()
            .toLatin1();
    const Result<SecretKey> opened = OpenHouseholdKey(sealed, h.user.keys);
    ASSERT_TRUE(opened.isOk());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(opened->data()), SecretKey::kSize),
              QByteArray(reinterpret_cast<const char*>(started->data()), SecretKey::kSize));
    EXPECT_FALSE(ReadBankPassword(db, bank, started.value()).isOk());
}

TAMBERLO_ON_BOTH_ENGINES(BankPasswordsTest);

}  // namespace
