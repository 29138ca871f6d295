#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "kit/Today.h"
#include "ledger/EntryBin.h"
#include "ledger/EntryBook.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

namespace {

Money yuan(const char* text) {
    return Money::parse(QString::fromLatin1(text)).value();
}

// Runs on the file and on the server alike.
class EntryBinTest : public ::testing::TestWithParam<TestEngine> {
  protected:
    EntryBinTest() {
        th.exec(QStringLiteral("update zhangwubiao set jine=%1").arg(yuan("1000").units()));
        EXPECT_TRUE(th.homeSafe.ReadHomeSafeBalance().isOk());
    }
    qint64 save(EntryBook& book, const char* detail, const char* amount, const QString& remarks = {}) {
        const Result<qint64> id =
            book.save(std::nullopt, {QString::fromUtf8(detail), yuan(amount), QStringLiteral("2007-01-10"),
                                     QStringLiteral("小王"), remarks});
        EXPECT_TRUE(id.isOk()) << id.error().toStdString();
        return id.value();
    }
    QList<BinEntry> bin() {
        const Result<QList<BinEntry>> read = BinEntries(th.database.connection());
        EXPECT_TRUE(read.isOk()) << read.error().toStdString();
        return read.isOk() ? read.value() : QList<BinEntry>();
    }
    qint64 stored() { return th.scalar(QStringLiteral("select jine from zhangwubiao")).toLongLong(); }
    int count(const char* table) {
        return th.scalar(QStringLiteral("select count(*) from %1").arg(QString::fromLatin1(table))).toInt();
    }

    TestHousehold th;
    EntryBook income{th.database, th.homeSafe, EntryType::Income};
    EntryBook expense{th.database, th.homeSafe, EntryType::Expense};
};

TEST_P(EntryBinTest, ADeletedEntryIsKeptWithWhoAndWhenAndComesBackAsANewSave) {
    const qint64 salary = save(income, "工资", "3000", QStringLiteral("一月,\n\"全勤\""));
    const qint64 rent = save(expense, "房租", "1200");
    ASSERT_EQ(th.homeSafe.balance(), yuan("2800"));

    ASSERT_TRUE(income.remove(salary, income.read(salary).value(), QStringLiteral("管理员")).isOk());
    ASSERT_TRUE(expense.remove(rent, expense.read(rent).value(), QStringLiteral("小李")).isOk());
    // The deletion's balance move is unchanged by the bin.
    EXPECT_EQ(th.homeSafe.balance(), yuan("1000"));
    EXPECT_EQ(count("shouzhibiao"), 0);

    const QList<BinEntry> kept = bin();
    ASSERT_EQ(kept.size(), 2);
    // Newest first: the expense was deleted last.
    EXPECT_EQ(kept[0].detail, QStringLiteral("房租"));
    EXPECT_EQ(kept[0].deletedBy, QStringLiteral("小李"));
    EXPECT_EQ(kept[0].type(), EntryType::Expense);
    const BinEntry& s = kept[1];
    EXPECT_EQ(s.typeCode, QStringLiteral("shouru"));
    EXPECT_EQ(s.amount, yuan("3000"));
    EXPECT_EQ(s.date, QStringLiteral("2007-01-10"));
    EXPECT_EQ(s.registrar, QStringLiteral("小王"));
    EXPECT_EQ(s.remarks, QStringLiteral("一月,\n\"全勤\""));
    EXPECT_EQ(s.deletedBy, QStringLiteral("管理员"));
    EXPECT_TRUE(s.deletedAt.startsWith(QStringLiteral("2007-01-15 "))) << s.deletedAt.toStdString();

    // Restoring the income raises the home safe as saving it anew would; the expense lowers it.
    const Result<qint64> back = RestoreFromBin(th.database, th.homeSafe, s);
    ASSERT_TRUE(back.isOk()) << back.error().toStdString();
    EXPECT_EQ(th.homeSafe.balance(), yuan("4000"));
    EXPECT_EQ(stored(), yuan("4000").units());
    ASSERT_TRUE(RestoreFromBin(th.database, th.homeSafe, kept[0]).isOk());
    EXPECT_EQ(th.homeSafe.balance(), yuan("2800"));
    EXPECT_EQ(count("huishouzhan"), 0);
    QSqlQuery q(th.database.connection());
    ASSERT_TRUE(
        q.exec(QStringLiteral("select leixing,mingxi,feiyong,shururiqi,dengjiren,beizhu from shouzhibiao "
                              "where id=%1")
                   .arg(back.value())) &&
        q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("shouru"));
    EXPECT_EQ(q.value(1).toString(), QStringLiteral("工资"));
    EXPECT_EQ(q.value(2).toLongLong(), yuan("3000").units());
    EXPECT_EQ(q.value(3).toString(), QStringLiteral("2007-01-10"));
    EXPECT_EQ(q.value(4).toString(), QStringLiteral("小王"));
    EXPECT_EQ(q.value(5).toString(), QStringLiteral("一月,\n\"全勤\""));
}

TEST_P(EntryBinTest, ARestoreThatCannotFinishChangesNothing) {
    const qint64 gift = save(income, "红包", "200");
    ASSERT_TRUE(income.remove(gift, income.read(gift).value(), QStringLiteral("管理员")).isOk());
    const BinEntry entry = bin().value(0);
    ASSERT_TRUE(RestoreFromBin(th.database, th.homeSafe, entry).isOk());
    const Money after = th.homeSafe.balance();

    // The same bin row a second time (another window restored it meanwhile): nothing moves twice.
    const Result<qint64> again = RestoreFromBin(th.database, th.homeSafe, entry);
    EXPECT_FALSE(again.isOk());
    EXPECT_EQ(th.homeSafe.balance(), after);
    EXPECT_EQ(stored(), after.units());
    EXPECT_EQ(count("shouzhibiao"), 1);

    // A kept row whose date no longer reads stays in the bin, the home safe unmoved.
    th.exec(
        QStringLiteral("insert into huishouzhan (leixing,mingxi,feiyong,shururiqi,shanchushijian) values "
                       "('zhichu','坏日期',10000,'2007-02-30','2007-01-15 10:00:00')"));
    const Result<qint64> bad = RestoreFromBin(th.database, th.homeSafe, bin().value(0));
    EXPECT_EQ(bad.error(), InvalidDateMessage(QStringLiteral("2007-02-30")));
    EXPECT_EQ(th.homeSafe.balance(), after);
    EXPECT_EQ(count("huishouzhan"), 1);
    EXPECT_EQ(count("shouzhibiao"), 1);
}

TEST_P(EntryBinTest, ARestoreToAClosedPlaceReopensItInTheSameTransactionOnlyWhenAsked) {
    const qint64 bank = th.addBankCard(QStringLiteral("招商银行"), 5000000);
    const Result<qint64> id = expense.save(std::nullopt, {QStringLiteral("话费"),
                                                          yuan("100"),
                                                          QStringLiteral("2007-01-10"),
                                                          QStringLiteral("小王"),
                                                          {},
                                                          bank});
    ASSERT_TRUE(id.isOk()) << id.error().toStdString();
    ASSERT_TRUE(expense.remove(id.value(), expense.read(id.value()).value(), QStringLiteral("小王")).isOk());
    th.exec(QStringLiteral("update zhangwubiao set guanbi=1 where mingcheng='招商银行'"));
    const BinEntry entry = bin().value(0);
    const auto bankState = [&] {
        return th
            .scalar(QStringLiteral("select guanbi||':'||jine from zhangwubiao where mingcheng='招商银行'"))
            .toString();
    };
    const Result<BinPlace> place = PlaceOfBinEntry(th.database.connection(), entry);
    ASSERT_TRUE(place.isOk());
    EXPECT_EQ(place->state, BinPlaceState::Closed);
    EXPECT_EQ(place->name, QStringLiteral("招商银行"));

    // Not asked to reopen (the answer No): refused, nothing changes.
    EXPECT_FALSE(RestoreFromBin(th.database, th.homeSafe, entry).isOk());
    EXPECT_EQ(bankState(), QStringLiteral("1:5000000"));
    EXPECT_EQ(count("huishouzhan"), 1);
    EXPECT_EQ(count("shouzhibiao"), 0);
    // A reopening whose restore fails (the bin row gone meanwhile) leaves the place closed.
    BinEntry gone = entry;
    gone.id = 4711;
    EXPECT_FALSE(RestoreFromBin(th.database, th.homeSafe, gone, RestoreTo::ReopenedPlace).isOk());
    EXPECT_EQ(bankState(), QStringLiteral("1:5000000"));

    // Yes: reopened and restored together; the home safe stays where it was.
    ASSERT_TRUE(RestoreFromBin(th.database, th.homeSafe, entry, RestoreTo::ReopenedPlace).isOk());
    EXPECT_EQ(bankState(), QStringLiteral("0:4000000"));
    EXPECT_EQ(th.homeSafe.balance(), yuan("1000"));
    EXPECT_EQ(count("huishouzhan"), 0);

    // A place removed since: it reads as gone, and may go on the home safe instead.
    const qint64 again = th.scalar(QStringLiteral("select id from shouzhibiao")).toLongLong();
    ASSERT_TRUE(expense.remove(again, expense.read(again).value(), QStringLiteral("小王")).isOk());
    th.exec(QStringLiteral("delete from zhangwubiao where mingcheng='招商银行'"));
    const BinEntry orphan = bin().value(0);
    EXPECT_EQ(PlaceOfBinEntry(th.database.connection(), orphan)->state, BinPlaceState::Gone);
    EXPECT_FALSE(RestoreFromBin(th.database, th.homeSafe, orphan).isOk());
    ASSERT_TRUE(RestoreFromBin(th.database, th.homeSafe, orphan, RestoreTo::HomeSafe).isOk());
    EXPECT_EQ(th.homeSafe.balance(), yuan("900"));
}

TEST_P(EntryBinTest, AFailedDeletionKeepsNothingInTheBin) {
    EXPECT_FALSE(income.remove(4711, {}, QStringLiteral("管理员")).isOk());
    EXPECT_EQ(count("huishouzhan"), 0);
    EXPECT_EQ(th.homeSafe.balance(), yuan("1000"));
}

TEST_P(EntryBinTest, EmptyingAndTheYearLimit) {
    const auto kept = [this](const char* detail, const char* when) {
        th.exec(QStringLiteral("insert into huishouzhan (leixing,mingxi,feiyong,shururiqi,shanchushijian) "
                               "values ('shouru','%1',10000,'2005-01-01','%2')")
                    .arg(QString::fromUtf8(detail), QString::fromLatin1(when)));
    };
    kept("两年前", "2005-01-15 08:00:00");
    kept("一年零一天", "2006-01-14 23:59:59");
    kept("刚好一年", "2006-01-15 00:00:00");
    kept("昨天", "2007-01-14 12:00:00");
    const Result<int> expired = ExpireBin(th.database, QDate(2007, 1, 15));
    ASSERT_TRUE(expired.isOk());
    EXPECT_EQ(expired.value(), 2);
    QStringList left;
    for (const BinEntry& e : bin())
        left.append(e.detail);
    EXPECT_EQ(left, (QStringList{QStringLiteral("昨天"), QStringLiteral("刚好一年")}));

    QList<qint64> listed;
    for (const BinEntry& e : bin())
        listed.append(e.id);
    ASSERT_EQ(EmptyBin(th.database, listed).value(), 2);
    EXPECT_EQ(count("huishouzhan"), 0);
    EXPECT_EQ(th.homeSafe.balance(), yuan("1000"));
}

// The clock jumped thirteen months ahead after an entry was deleted: only what is older than a year
// by the clock and more than a day older than the newest deletion leaves the bin.
TEST_P(EntryBinTest, AClockAheadNeverExpiresWhatWasDeletedLessThanADayAgo) {
    const qint64 rent = save(expense, "房租", "1200");
    ASSERT_TRUE(expense.remove(rent, expense.read(rent).value(), QStringLiteral("管理员")).isOk());
    th.exec(
        QStringLiteral("insert into huishouzhan (leixing,mingxi,feiyong,shururiqi,shanchushijian) values "
                       "('shouru','两年前',10000,'2005-01-01','2005-01-15 08:00:00')"));
    const Result<int> expired = ExpireBin(th.database, QDate(2008, 2, 15));
    ASSERT_TRUE(expired.isOk()) << expired.error().toStdString();
    EXPECT_EQ(expired.value(), 1);
    ASSERT_EQ(bin().size(), 1);
    EXPECT_EQ(bin()[0].detail, QStringLiteral("房租"));
}

TAMBERLO_ON_BOTH_ENGINES(EntryBinTest);

}  // namespace
