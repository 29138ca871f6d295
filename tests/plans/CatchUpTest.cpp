#include "data/Database.h"
#include "data/HomeSafe.h"
#include "plans/CatchUp.h"
#include "support/TestEngine.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <array>
#include <memory>

namespace {

QDate d(const char* text) {
    return QDate::fromString(QString::fromLatin1(text), Qt::ISODate);
}

class CatchUpOnBothEngines : public ::testing::TestWithParam<TestEngine> {
  protected:
    qint64 count(const QString& sql) { return th.scalar(sql).toLongLong(); }
    qint64 safeBalance() {
        return count(QStringLiteral("select jine from zhangwubiao where leibie='xianjin'"));
    }

    // Rent of 1000 yuan on the month's last day from January 2027, entering itself.
    qint64 addRent(bool automatic) {
        RegularEntry rent;
        rent.type = EntryType::Expense;
        rent.detail = QStringLiteral("房租");
        rent.amount = Money::fromYuan(1000);
        rent.place = count(QStringLiteral("select id from zhangwubiao where leibie='xianjin'"));
        rent.schedule = {Schedule::Unit::Month, 1, 31, d("2027-01-01"), std::nullopt, std::nullopt};
        rent.automatic = automatic;
        const Result<qint64> id = SaveRegularEntry(th.database, rent);
        EXPECT_TRUE(id.isOk()) << id.error().toStdString();
        return id ? id.value() : 0;
    }
    QList<RegularEntry> stored(Database& database) {
        const auto entries = ReadRegularEntries(database.connection());
        EXPECT_TRUE(entries.isOk());
        return entries ? entries.value() : QList<RegularEntry>();
    }

    TestHousehold th;
};

// Two programs start at once on one household, each listing the same three months before either
// enters anything: each month is entered once (whoever comes second finds the last date done moved and
// writes nothing) and the home safe moves once. A clock set back, and then forward again, lists nothing.
TEST_P(CatchUpOnBothEngines, TwoProgramsAtOnceAndAClockSetBackNeverEnterTwice) {
    const qint64 rent = addRent(true);
    const qint64 before = safeBalance();
    const QString where = CurrentTestEngine() == TestEngine::Server
                              ? QStringLiteral("postgresql:") + th.place.connection()
                              : th.home.databasePath();
    std::array<std::unique_ptr<QProcess>, 2> workers;
    for (auto& worker : workers) {
        worker = std::make_unique<QProcess>();
        worker->start(QStringLiteral(TAMBERLO_CATCHUP_WORKER), {where, QStringLiteral("2027-04-01")});
        ASSERT_TRUE(worker->waitForStarted(5000));
    }
    for (auto& worker : workers) {
        QByteArray said;
        while (!said.contains("ready") && worker->waitForReadyRead(30000))
            said += worker->readAllStandardOutput();
        ASSERT_TRUE(said.contains("ready")) << worker->readAllStandardError().toStdString();
    }
    for (auto& worker : workers)
        worker->write("go\n");
    QStringList said;
    for (auto& worker : workers) {
        ASSERT_TRUE(worker->waitForFinished(60000));
        ASSERT_EQ(worker->exitCode(), 0) << worker->readAllStandardError().toStdString();
        said.append(QString::fromUtf8(worker->readAllStandardOutput()).trimmed());
    }
    said.sort();
    EXPECT_EQ(said, QStringList({"entered 0", "entered 3"}));

    EXPECT_EQ(count(QStringLiteral("select count(*) from shouzhibiao where mingxi='房租'")), 3);
    EXPECT_EQ(safeBalance(), before - Money::fromYuan(3000).units());
    EXPECT_EQ(th.scalar(QStringLiteral("select yizuo from dingqishouzhi where id=%1").arg(rent)).toString(),
              QStringLiteral("2027-03-31"));
    EXPECT_TRUE(DueOccurrences(stored(th.database), d("2027-02-15"), d("2027-04-01")).items.isEmpty());
    EXPECT_TRUE(DueOccurrences(stored(th.database), d("2027-04-01"), d("2027-04-01")).items.isEmpty());

    // A program that listed before the others entered finds every month done: nothing is written.
    Database other;
    ASSERT_TRUE(th.place.open(other).isOk());
    HomeSafe otherSafe(other);
    QList<RegularEntry> asBefore = stored(other);
    asBefore[0].lastDone = {};
    CatchUpList late = DueOccurrences(asBefore, d("2027-04-01"), {});
    EXPECT_EQ(EnterAutomatic(other, otherSafe, late, QStringLiteral("乙")), 0);
    EXPECT_EQ(late.items[0].state, DueOccurrence::State::Failed);
    EXPECT_TRUE(late.items[0].message.contains(QStringLiteral("另一台电脑")));
    EXPECT_EQ(late.items[2].state, DueOccurrence::State::Postponed);
    EXPECT_EQ(count(QStringLiteral("select count(*) from shouzhibiao where mingxi='房租'")), 3);
}

// The file holds an older state (a backup restored): occurrences this computer entered at its last run
// are due again. They are proposed, every one of the entry, never entered; the user's decisions are
// carried out in order, a changed amount is entered as changed, a postponed occurrence holds the later
// ones of its entry back.
TEST_P(CatchUpOnBothEngines, ARestoredFileProposesAndDecisionsApplyInOrder) {
    const qint64 rent = addRent(true);
    th.exec(QStringLiteral("update dingqishouzhi set yizuo='2027-01-31' where id=%1").arg(rent));
    const qint64 before = safeBalance();

    CatchUpList list = DueOccurrences(stored(th.database), d("2027-04-30"), d("2027-04-01"));
    ASSERT_EQ(list.items.size(), 3);
    for (const DueOccurrence& item : list.items)
        EXPECT_EQ(item.state, DueOccurrence::State::Proposed);
    EXPECT_EQ(EnterAutomatic(th.database, th.homeSafe, list, QStringLiteral("甲")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from shouzhibiao where mingxi='房租'")), 0);

    list.items[0].state = DueOccurrence::State::Entered;
    list.items[0].amount = Money::fromYuan(1200);
    list.items[1].state = DueOccurrence::State::Postponed;
    list.items[2].state = DueOccurrence::State::Skipped;
    EXPECT_EQ(ApplyDecisions(th.database, th.homeSafe, list, QStringLiteral("甲")), 1);
    EXPECT_EQ(list.items[2].state, DueOccurrence::State::Postponed);
    EXPECT_EQ(safeBalance(), before - Money::fromYuan(1200).units());
    EXPECT_EQ(th.scalar(QStringLiteral("select shururiqi from shouzhibiao where mingxi='房租'")).toString(),
              QStringLiteral("2027-02-28"));

    CatchUpList next = DueOccurrences(stored(th.database), d("2027-04-30"), d("2027-04-01"));
    ASSERT_EQ(next.items.size(), 2);
    next.items[0].state = DueOccurrence::State::Skipped;
    next.items[1].state = DueOccurrence::State::Skipped;
    EXPECT_EQ(ApplyDecisions(th.database, th.homeSafe, next, QStringLiteral("甲")), 2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from shouzhibiao where mingxi='房租'")), 1);
    EXPECT_TRUE(DueOccurrences(stored(th.database), d("2027-04-30"), d("2027-04-01")).items.isEmpty());
}

TAMBERLO_ON_BOTH_ENGINES(CatchUpOnBothEngines);

}  // namespace
