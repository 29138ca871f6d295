#include "ImportRows.h"
#include "bills/ImportHistory.h"
#include "ledger/EntryBook.h"
#include "support/TestEngine.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

namespace {

qint64 yuan(qint64 y) {
    return Money::fromYuan(y).units();
}

class ImportHistoryOnBothEngines : public ::testing::TestWithParam<TestEngine> {
  protected:
    qint64 count(const QString& sql) { return th.scalar(sql).toLongLong(); }
    qint64 balanceOf(qint64 place) {
        return count(QStringLiteral("select jine from zhangwubiao where id=%1").arg(place));
    }

    TestHousehold th;
};

// Undoing takes every entry and transfer of the import back as deletions would, skips what was deleted
// since, bins an edited entry as it stands, frees the keys and is refused the second time.
TEST_P(ImportHistoryOnBothEngines, UndoBinsTheEntriesTakesBackTransfersAndFreesTheKeys) {
    const qint64 safe = count(QStringLiteral("select id from zhangwubiao where mingcheng='家庭保险柜'"));
    const qint64 card = th.addBankCard(QStringLiteral("招商银行"), 0);
    th.exec(QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi,zhanghu) values "
                           "('zhichu','午饭',%1,'2007-01-09',%2)")
                .arg(yuan(30))
                .arg(card));
    const qint64 typed = count(QStringLiteral("select max(id) from shouzhibiao"));

    ImportRows older(th, QStringLiteral("支付宝.csv"), QStringLiteral("zhifubao"),
                     QStringLiteral("2007-01-12 09:00:00"), 6);
    const qint64 coffee = older.entry("zhichu", QStringLiteral("咖啡"), 281600, card);
    older.entry("shouru", QStringLiteral("工资"), yuan(100), safe);
    const qint64 gone = older.entry("zhichu", QStringLiteral("地铁"), yuan(10), card);
    const qint64 edited = older.entry("zhichu", QStringLiteral("水果"), yuan(5), safe);
    const qint64 fee = older.entry("zhichu", QStringLiteral("手续费"), yuan(1), safe);
    older.transfer(QStringLiteral("家庭保险柜"), QStringLiteral("招商银行"), yuan(50), fee);
    older.key(typed, 0, false);  // a line matched to the entry typed by hand
    ImportRows newer(th, QStringLiteral("对账单.csv"), QStringLiteral("csv:农商行"),
                     QStringLiteral("2007-01-13 10:00:00"), 1);
    newer.entry("zhichu", QStringLiteral("电费"), yuan(20), card);
    newer.key(coffee, 0, false);  // the card's line of the coffee, matched to the 支付宝 entry
    // The balances as the hand entry and the two imports left them: 1000 and 500 before.
    th.exec(QStringLiteral("update zhangwubiao set jine=%1 where id=%2").arg(yuan(1044)).arg(safe));
    th.exec(QStringLiteral("update zhangwubiao set jine=%1 where id=%2")
                .arg(yuan(500) - yuan(30) - 281600 - yuan(10) + yuan(50) - yuan(20))
                .arg(card));
    ASSERT_TRUE(th.homeSafe.ReadHomeSafeBalance());

    // Since the import one entry was deleted and one edited from 5 to 7.
    EntryBook expense(th.database, th.homeSafe, EntryType::Expense);
    ASSERT_TRUE(expense.remove(gone, expense.read(gone).value(), QStringLiteral("管理员")));
    EntryText more = expense.read(edited).value();
    more.amount = Money::fromYuan(7);
    ASSERT_TRUE(expense.save(edited, more, expense.read(edited).value()));

    const Result<QList<ImportRecord>> listed = ImportRecords(th.database.connection());
    ASSERT_TRUE(listed) << listed.error().toStdString();
    ASSERT_EQ(listed->size(), 2);
    EXPECT_EQ(listed->at(0).source, QStringLiteral("自定义 CSV（农商行）"));
    EXPECT_EQ(listed->at(1).source, QStringLiteral("支付宝帐单"));
    EXPECT_EQ(listed->at(1).file, QStringLiteral("支付宝.csv"));
    EXPECT_EQ(listed->at(1).added, 6);
    EXPECT_FALSE(listed->at(1).undone);

    UndoOutcome done;
    const Status undone = UndoImport(th.database, th.homeSafe, older.import, QStringLiteral("小明"), &done);
    ASSERT_TRUE(undone) << undone.error().toStdString();
    EXPECT_EQ(done.binned, 4);
    EXPECT_EQ(done.transfers, 1);
    EXPECT_EQ(done.skipped, 1);

    EXPECT_EQ(balanceOf(safe), yuan(1000));
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(1000));
    EXPECT_EQ(balanceOf(card), yuan(500) - yuan(30) - yuan(20));
    EXPECT_EQ(count(QStringLiteral("select count(*) from yinghanbiao")), 0);
    // Left: the entry typed by hand and the newer import's.
    EXPECT_EQ(count(QStringLiteral("select count(*) from shouzhibiao")), 2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from shouzhibiao where id=%1").arg(typed)), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from shouzhibiao where id=%1").arg(coffee)), 0);
    // The bin holds the four and the one deleted earlier; the edited one as it was edited.
    EXPECT_EQ(count(QStringLiteral("select count(*) from huishouzhan where shanchuren='小明'")), 4);
    EXPECT_EQ(count(QStringLiteral("select count(*) from huishouzhan")), 5);
    EXPECT_EQ(count(QStringLiteral("select feiyong from huishouzhan where mingxi='水果'")), yuan(7));
    EXPECT_EQ(count(QStringLiteral("select count(*) from zhangdanhao where daoru=%1").arg(older.import)), 0);
    // The newer import keeps its own key; its line matched to the coffee is free to be booked again.
    EXPECT_EQ(count(QStringLiteral("select count(*) from zhangdanhao where daoru=%1").arg(newer.import)), 1);
    EXPECT_EQ(count(QStringLiteral("select chexiao from daorujilu where id=%1").arg(older.import)), 1);
    EXPECT_EQ(count(QStringLiteral("select chexiao from daorujilu where id=%1").arg(newer.import)), 0);

    const Status again = UndoImport(th.database, th.homeSafe, older.import, QStringLiteral("小明"));
    ASSERT_FALSE(again);
    EXPECT_EQ(again.error(), QStringLiteral("这次导入已经撤销过了。"));
    EXPECT_EQ(balanceOf(safe), yuan(1000));
    EXPECT_TRUE(ImportRecords(th.database.connection())->at(1).undone);
}

// A place closed since the import refuses the undoing by name, with nothing changed, unless it is
// opened again with it.
TEST_P(ImportHistoryOnBothEngines, UndoOntoAClosedPlaceIsRefusedUnlessItIsReopened) {
    const qint64 card = th.addBankCard(QStringLiteral("旧卡"), 0);
    ImportRows rows(th, QStringLiteral("a.ofx"), QStringLiteral("ofx"), QStringLiteral("2007-01-12 09:00:00"),
                    1);
    rows.entry("shouru", QStringLiteral("利息"), yuan(3), card);
    th.exec(QStringLiteral("update zhangwubiao set jine=%1, guanbi=1 where id=%2").arg(yuan(3)).arg(card));

    const Status refused = UndoImport(th.database, th.homeSafe, rows.import, QStringLiteral("小明"));
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains(QStringLiteral("“旧卡”已关闭"))) << refused.error().toStdString();
    EXPECT_TRUE(refused.error().contains(QStringLiteral("重新启用")));
    EXPECT_EQ(count(QStringLiteral("select count(*) from shouzhibiao")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from zhangdanhao")), 1);
    EXPECT_EQ(count(QStringLiteral("select chexiao from daorujilu")), 0);

    UndoOutcome done;
    ASSERT_TRUE(
        UndoImport(th.database, th.homeSafe, rows.import, QStringLiteral("小明"), &done, ReopenPlaces::Yes));
    EXPECT_EQ(done.closedPlaces, QStringList{QStringLiteral("旧卡")});
    EXPECT_EQ(balanceOf(card), 0);
    EXPECT_EQ(count(QStringLiteral("select guanbi from zhangwubiao where id=%1").arg(card)), 0);
}

TAMBERLO_ON_BOTH_ENGINES(ImportHistoryOnBothEngines);

}  // namespace
