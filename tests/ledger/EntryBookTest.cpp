#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "ledger/EntryBook.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

Money yuan(const char* text) {
    return Money::parse(QString::fromLatin1(text)).value();
}

// The balance rules, both types, every kind of save and deletion.
struct MoveCase {
    EntryType type;
    const char* balance;
    const char* before;
    const char* saved;
    const char* after;
};

class BalanceAfterSaveTable : public ::testing::TestWithParam<MoveCase> {};

TEST_P(BalanceAfterSaveTable, MovesByTheDifference) {
    const MoveCase& c = GetParam();
    EXPECT_EQ(BalanceAfterSave(c.type, yuan(c.balance), yuan(c.before), yuan(c.saved)).value(),
              yuan(c.after));
}

INSTANTIATE_TEST_SUITE_P(
    Saves, BalanceAfterSaveTable,
    ::testing::Values(MoveCase{EntryType::Income, "500", "0", "120", "620"},       // new income
                      MoveCase{EntryType::Expense, "620", "0", "30", "590"},       // new expense
                      MoveCase{EntryType::Income, "0", "100", "150", "50"},        // edited income
                      MoveCase{EntryType::Expense, "0", "80", "50", "30"},         // edited expense
                      MoveCase{EntryType::Income, "10", "45.5", "45.5", "10"},     // unchanged
                      MoveCase{EntryType::Income, "10", "0", "0", "10"},           // zero
                      MoveCase{EntryType::Income, "10", "0", "-25", "-15"},        // negative income
                      MoveCase{EntryType::Expense, "10", "0", "-2.5", "12.5"},     // negative expense
                      MoveCase{EntryType::Expense, "0", "0", "0.0001", "-0.0001"}  // below zero is allowed
                      ));

TEST(BalanceRules, DeletionTakesAnIncomeAwayAndGivesAnExpenseBack) {
    EXPECT_EQ(BalanceAfterDelete(EntryType::Income, yuan("10"), yuan("20")).value(), yuan("-10"));
    EXPECT_EQ(BalanceAfterDelete(EntryType::Expense, yuan("10"), yuan("45.5")).value(), yuan("55.5"));
}

TEST(BalanceRules, OverflowIsRefused) {
    const Money huge = Money::fromUnits(std::numeric_limits<qint64>::max() - 1);
    EXPECT_FALSE(BalanceAfterSave(EntryType::Income, huge, Money(), yuan("1")).isOk());
    EXPECT_FALSE(BalanceAfterDelete(EntryType::Expense, huge, yuan("1")).isOk());
}

// Runs on the file and on the server alike (apart from the file's query plan).
class EntryBookTest : public ::testing::TestWithParam<TestEngine> {
  protected:
    qint64 storedBalance() { return th.scalar(QStringLiteral("select jine from zhangwubiao")).toLongLong(); }
    int entries() { return th.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(); }
    void setBalance(const char* value) {
        th.exec(QStringLiteral("update zhangwubiao set jine=%1").arg(yuan(value).units()));
        ASSERT_TRUE(th.homeSafe.ReadHomeSafeBalance().isOk());
    }
    static EntryText entry(const char* detail, const char* amount, const char* date = "2007-01-15") {
        return {QString::fromUtf8(detail), yuan(amount), QString::fromLatin1(date), QStringLiteral("管理员"),
                QString()};
    }
    QStringList listed(const EntryBook& book, ListFilter filter, const QList<qint64>& keep = {}) {
        Result<QSqlQuery> q = book.list(filter, QDate(2007, 1, 15), keep);
        EXPECT_TRUE(q.isOk()) << q.error().toStdString();
        QStringList details;
        while (q.isOk() && q.value().next())
            details.append(q.value().value(QStringLiteral("mingxi")).toString());
        return details;
    }

    TestHousehold th;
    EntryBook income{th.database, th.homeSafe, EntryType::Income};
    EntryBook expense{th.database, th.homeSafe, EntryType::Expense};
};

TEST_P(EntryBookTest, SavesAndDeletionsMoveMemoryAndStoreTogether) {
    setBalance("500");
    const Result<qint64> salary = income.save(std::nullopt, entry("工资", "120"));
    ASSERT_TRUE(salary.isOk()) << salary.error().toStdString();
    EXPECT_EQ(th.homeSafe.balance().format(), QStringLiteral("￥620.00"));
    EXPECT_EQ(storedBalance(), yuan("620").units());

    const Result<qint64> lunch = expense.save(std::nullopt, entry("午饭", "30"));
    ASSERT_TRUE(lunch.isOk());
    EXPECT_EQ(th.homeSafe.balance().format(), QStringLiteral("￥590.00"));

    // An edit moves by the difference and changes the row in place.
    ASSERT_TRUE(income.save(salary.value(), entry("工资", "150"), entry("工资", "120")).isOk());
    EXPECT_EQ(th.homeSafe.balance().format(), QStringLiteral("￥620.00"));
    EXPECT_EQ(entries(), 2);
    EXPECT_EQ(th.scalar(QStringLiteral("select feiyong from shouzhibiao where id=%1").arg(salary.value())),
              yuan("150").units());

    ASSERT_TRUE(expense.remove(lunch.value(), entry("午饭", "30"), QStringLiteral("管理员")).isOk());
    EXPECT_EQ(th.homeSafe.balance().format(), QStringLiteral("￥650.00"));
    ASSERT_TRUE(income.remove(salary.value(), entry("工资", "150"), QStringLiteral("管理员")).isOk());
    EXPECT_EQ(th.homeSafe.balance().format(), QStringLiteral("￥500.00"));
    EXPECT_EQ(storedBalance(), yuan("500").units());
    EXPECT_EQ(entries(), 0);
}

TEST_P(EntryBookTest, ANewRowIsStoredWithItsTypeAndTheShortDate) {
    const Result<qint64> id = expense.save(std::nullopt, entry("水电", "45.5", "2007-1-5"));
    ASSERT_TRUE(id.isOk());
    QSqlQuery q(th.database.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("select * from shouzhibiao where id=%1").arg(id.value())) && q.next());
    EXPECT_EQ(q.value(QStringLiteral("leixing")).toString(), QStringLiteral("zhichu"));
    EXPECT_EQ(q.value(QStringLiteral("mingxi")).toString(), QStringLiteral("水电"));
    EXPECT_EQ(q.value(QStringLiteral("feiyong")).toLongLong(), 455000);
    EXPECT_EQ(q.value(QStringLiteral("shururiqi")).toString(), QStringLiteral("2007-01-05"));
    EXPECT_EQ(q.value(QStringLiteral("dengjiren")).toString(), QStringLiteral("管理员"));
}

TEST_P(EntryBookTest, AFailedSaveChangesNothingAndCanBeRepeatedSafely) {
    setBalance("100");
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Result<qint64> failed = income.save(std::nullopt, entry("奖金", "50", "2007-02-30"));
        EXPECT_EQ(failed.error(), InvalidDateMessage(QStringLiteral("2007-02-30")));
        EXPECT_EQ(th.homeSafe.balance(), yuan("100"));
        EXPECT_EQ(storedBalance(), yuan("100").units());
        EXPECT_EQ(entries(), 0);
    }
    // A row that disappeared under an edit or a deletion moves nothing either.
    EXPECT_FALSE(income.save(qint64(4711), entry("奖金", "50"), entry("奖金", "20")).isOk());
    EXPECT_FALSE(expense.remove(4711, entry("奖金", "20"), QStringLiteral("管理员")).isOk());
    EXPECT_EQ(th.homeSafe.balance(), yuan("100"));
    EXPECT_EQ(storedBalance(), yuan("100").units());
    EXPECT_EQ(entries(), 0);
}

// Another copy of the program saved an income and changed a row after this one read the balance.
TEST_P(EntryBookTest, ChangesAddToTheStoredBalanceAndRefuseRowsChangedElsewhere) {
    setBalance("100");
    const qint64 lunch = expense.save(std::nullopt, entry("午饭", "30")).value();
    th.exec(QStringLiteral("update zhangwubiao set jine=jine+2000000"));  // the other copy's income of 200
    ASSERT_TRUE(income.save(std::nullopt, entry("工资", "50")).isOk());
    EXPECT_EQ(storedBalance(), yuan("320").units());
    EXPECT_EQ(th.homeSafe.balance().format(), QStringLiteral("￥320.00"));

    // The other copy made the lunch 40 (and moved the balance by 10): an edit or deletion that still
    // thinks it is 30 would undo the wrong amount, so it is refused and nothing changes.
    th.exec(QStringLiteral("update shouzhibiao set feiyong=400000 where id=%1").arg(lunch));
    th.exec(QStringLiteral("update zhangwubiao set jine=jine-100000"));
    const Result<qint64> edited = expense.save(lunch, entry("午饭", "35"), entry("午饭", "30"));
    ASSERT_FALSE(edited.isOk());
    EXPECT_TRUE(edited.error().contains(QStringLiteral("已被另一个窗口改动")))
        << edited.error().toStdString();
    EXPECT_TRUE(expense.refusedAsChanged());
    EXPECT_FALSE(expense.remove(lunch, entry("午饭", "30"), QStringLiteral("管理员")).isOk());
    EXPECT_EQ(storedBalance(), yuan("310").units());
    // An income's key given to the expense book is no expense of its.
    EXPECT_FALSE(expense.remove(lunch + 1, entry("工资", "50"), QStringLiteral("管理员")).isOk());

    ASSERT_TRUE(expense.save(lunch, entry("午饭", "35"), entry("午饭", "40")).isOk());
    EXPECT_FALSE(expense.refusedAsChanged());
    EXPECT_EQ(storedBalance(), yuan("315").units());
    ASSERT_TRUE(expense.remove(lunch, entry("午饭", "35"), QStringLiteral("管理员")).isOk());
    EXPECT_EQ(storedBalance(), yuan("350").units());
    EXPECT_EQ(th.homeSafe.balance().format(), QStringLiteral("￥350.00"));
}

// Another copy or computer changed one field of a row after this one read it: whichever field it was,
// the edit and the deletion are refused and nothing moves.
TEST_P(EntryBookTest, ARowChangedInAnyFieldSinceItWasReadIsNeitherOverwrittenNorDeleted) {
    setBalance("100");
    const EntryText asRead{QStringLiteral("工资"), yuan("3000"), QStringLiteral("2024-05-31"),
                           QStringLiteral("管理员"), QStringLiteral("五月")};
    const qint64 id = income.save(std::nullopt, asRead).value();
    const QString restore = QStringLiteral(
        "update shouzhibiao set leixing='shouru',mingxi='工资',feiyong=30000000,shururiqi='2024-05-31',"
        "dengjiren='管理员',beizhu='五月',zhanghu=(select id from zhangwubiao) where id=%1");
    EntryText mine = asRead;
    mine.remarks = QStringLiteral("我的改动");
    for (const char* change : {"mingxi='奖金'", "feiyong=30000001", "shururiqi='2024-06-01'",
                               "dengjiren='乙'", "beizhu='六月'", "leixing='zhichu'", "zhanghu=999"}) {
        th.exec(
            QStringLiteral("update shouzhibiao set %1 where id=%2").arg(QString::fromUtf8(change)).arg(id));
        const Result<qint64> edited = income.save(id, mine, asRead);
        EXPECT_FALSE(edited.isOk()) << change;
        EXPECT_TRUE(income.refusedAsChanged()) << change;
        EXPECT_FALSE(income.remove(id, asRead, QStringLiteral("管理员")).isOk()) << change;
        EXPECT_TRUE(income.refusedAsChanged()) << change;
        EXPECT_EQ(entries(), 1);
        EXPECT_EQ(storedBalance(), yuan("3100").units());
        EXPECT_EQ(th.homeSafe.balance(), yuan("3100"));
        th.exec(restore.arg(id));
    }
    ASSERT_TRUE(income.save(id, mine, asRead).isOk());
    EXPECT_EQ(th.scalar(QStringLiteral("select beizhu from shouzhibiao")), QStringLiteral("我的改动"));
}

// Entries on a bank card, a credit card and the home safe move their own place only; a credit card refuses
// an expense past its limit, and a place closed by another computer while the entry was typed refuses
// it; an entry moved to another place leaves the first and lands on the second.
TEST_P(EntryBookTest, EntriesMoveThePlacesTheyNameWithinTheirLimits) {
    setBalance("100");
    th.exec(QStringLiteral(
        "insert into zhangwubiao (mingcheng,jine,leibie,edu) values ('招商银行',0,'yinhangka',0),"
        "('招行信用卡',0,'xinyongka',50000000),('支付宝余额',0,'dianziqianbao',0)"));
    const auto idOf = [this](const char* name) {
        return th
            .scalar(QStringLiteral("select id from zhangwubiao where mingcheng='%1'")
                        .arg(QString::fromUtf8(name)))
            .toLongLong();
    };
    const auto balances = [this] {
        QSqlQuery q(th.database.connection());
        EXPECT_TRUE(q.exec(QStringLiteral("select mingcheng,jine from zhangwubiao order by id")));
        QStringList all;
        while (q.next())
            all.append(q.value(0).toString() + QLatin1Char(':') + q.value(1).toString());
        return all.join(QLatin1Char(','));
    };
    const qint64 card = idOf("招商银行"), credit = idOf("招行信用卡"), wallet = idOf("支付宝余额");
    const auto on = [](EntryText e, qint64 place) {
        e.place = place;
        return e;
    };

    const qint64 rent = expense.save(std::nullopt, on(entry("房租", "30"), card)).value();
    ASSERT_TRUE(income.save(std::nullopt, on(entry("红包", "8.8"), wallet)).isOk());
    ASSERT_TRUE(expense.save(std::nullopt, on(entry("电视", "4000"), credit)).isOk());
    EXPECT_EQ(balances(),
              QStringLiteral("家庭保险柜:1000000,招商银行:-300000,招行信用卡:-40000000,支付宝余额:88000"));
    EXPECT_EQ(th.homeSafe.balance(), yuan("100"));

    const Result<qint64> tooMuch = expense.save(std::nullopt, on(entry("冰箱", "1200"), credit));
    EXPECT_EQ(tooMuch.error(),
              QStringLiteral("信用卡“招行信用卡”的额度是 ￥5000.00，这笔支出后将欠 ￥5200.00，"
                             "超出了额度。这笔支出没有保存。"));
    EXPECT_EQ(entries(), 3);

    // The rent moves to the home safe and becomes 40: the card gets its 30 back, the home safe pays 40.
    const EntryText rentRead = expense.read(rent).value();
    ASSERT_TRUE(expense.save(rent, on(entry("房租", "40"), 0), rentRead).isOk());
    EXPECT_EQ(balances(),
              QStringLiteral("家庭保险柜:600000,招商银行:0,招行信用卡:-40000000,支付宝余额:88000"));
    EXPECT_EQ(th.homeSafe.balance(), yuan("60"));
    EXPECT_EQ(th.scalar(QStringLiteral("select zhanghu from shouzhibiao where id=%1").arg(rent)).toLongLong(),
              idOf("家庭保险柜"));

    // The wallet is closed by another computer while an expense on it is typed; moving the rent onto it is
    // refused too.
    th.exec(QStringLiteral("update zhangwubiao set guanbi=1 where id=%1").arg(wallet));
    const Result<qint64> closed = expense.save(std::nullopt, on(entry("打车", "20"), wallet));
    EXPECT_EQ(closed.error(),
              QStringLiteral("帐户“支付宝余额”已关闭（可能是在另一台电脑上关闭的），这笔支出没有保存。"
                             "请选择别的帐户，或先在“银行信息”里重新启用它。"));
    EXPECT_FALSE(expense.save(rent, on(entry("房租", "40"), wallet), expense.read(rent).value()).isOk());
    const Result<qint64> gone = expense.save(std::nullopt, on(entry("打车", "20"), 4711));
    EXPECT_TRUE(gone.error().startsWith(QStringLiteral("这个帐户已不存在"))) << gone.error().toStdString();
    EXPECT_EQ(balances(),
              QStringLiteral("家庭保险柜:600000,招商银行:0,招行信用卡:-40000000,支付宝余额:88000"));
    EXPECT_EQ(entries(), 3);
}

TEST_P(EntryBookTest, ListsShowTodayOrAllAndKeepSavedRowsUntilReloaded) {
    const qint64 today = income.save(std::nullopt, entry("今天的", "1")).value();
    const qint64 older = income.save(std::nullopt, entry("上周的", "2", "2007-01-08")).value();
    ASSERT_TRUE(expense.save(std::nullopt, entry("支出", "3")).isOk());
    Q_UNUSED(today);

    EXPECT_EQ(listed(income, ListFilter::Today), QStringList({"今天的"}));
    EXPECT_EQ(listed(income, ListFilter::All), QStringList({"上周的", "今天的"}));
    EXPECT_EQ(listed(expense, ListFilter::Today), QStringList({"支出"}));
    // A row saved with another day stays in today's list while it is kept, listed after the others.
    EXPECT_EQ(listed(income, ListFilter::Today, {older}), QStringList({"今天的", "上周的"}));
    EXPECT_EQ(listed(income, ListFilter::Today, {today, older}), QStringList({"今天的", "上周的"}));
    EXPECT_EQ(listed(expense, ListFilter::Today, {older}), QStringList({"支出", "上周的"}));
    EXPECT_EQ(listed(income, ListFilter::All, {older}), QStringList({"上周的", "今天的"}));
}

TEST_F(EntryBookTest, ListsUseAnIndexOnTheType) {
    for (const char* statement :
         {"SELECT * from shouzhibiao WHERE (leixing='shouru') and (shururiqi='2007-01-15')",
          "SELECT * from shouzhibiao WHERE leixing='shouru'"}) {
        QSqlQuery plan(th.database.connection());
        ASSERT_TRUE(plan.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + QString::fromLatin1(statement)));
        QString details;
        while (plan.next())
            details += plan.value(QStringLiteral("detail")).toString();
        EXPECT_TRUE(details.contains(QStringLiteral("USING INDEX"))) << details.toStdString();
        EXPECT_TRUE(details.contains(QStringLiteral("(leixing=?"))) << details.toStdString();
    }
}

TAMBERLO_ON_BOTH_ENGINES(EntryBookTest);

}  // namespace
