// The landmarks of a long 全部 list on a real household file: every row placed from them where the plain
// ordered statement puts it, kept right through the program's own saves, edits and deletions, and
// dropped as soon as anything the list was not told of has written.
#include "ledger/EntryList.h"
#include "ledger/ListAnchors.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString kExpense = QStringLiteral("zhichu");

class ListAnchorsTest : public ::testing::Test {
  protected:
    // 6000 expenses over details that sort differently as UTF-16 and as UTF-8 (a character beyond the
    // basic plane against one just below it), some without a detail, and a few incomes.
    void SetUp() override {
        QSqlDatabase db = th.database.connection();
        ASSERT_TRUE(db.transaction());
        QSqlQuery insert(db);
        ASSERT_TRUE(insert.prepare(QStringLiteral(
            "insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values (:t,:m,:f,'2006-05-01')")));
        QRandomGenerator random(5);
        const QStringList details = {QStringLiteral("午饭"),
                                     QStringLiteral("房租"),
                                     QStringLiteral("a"),
                                     QString::fromUtf8("\xF0\x9F\x8D\x9C"),  // U+1F35C
                                     QString::fromUtf8("\xEF\xBC\xA1"),      // U+FF21
                                     QString()};
        for (int i = 0; i < 6000; ++i) {
            const QString detail = details[random.bounded(int(details.size()))];
            insert.bindValue(QStringLiteral(":t"), i % 40 == 0 ? QStringLiteral("shouru") : kExpense);
            insert.bindValue(QStringLiteral(":m"), detail.isEmpty() ? QVariant() : QVariant(detail));
            insert.bindValue(QStringLiteral(":f"), i);
            ASSERT_TRUE(insert.exec());
        }
        ASSERT_TRUE(db.commit());
    }

    QList<qint64> ordered() {
        QSqlQuery q(th.database.connection());
        EXPECT_TRUE(
            q.exec(QStringLiteral("select id from shouzhibiao where leixing='zhichu' order by mingxi, id")));
        QList<qint64> ids;
        while (q.next())
            ids.append(q.value(0).toLongLong());
        return ids;
    }

    // Shows 全部 and waits for its landmarks.
    void showAll() {
        ASSERT_TRUE(model.show(th.database.connection(), {true, kExpense, QDate(2007, 1, 15), {}}));
        QElapsedTimer waited;
        waited.start();
        while (!model.hasLandmarks() && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_TRUE(model.hasLandmarks());
    }

    // Every row of a sample (and the first and last) found at its place in the ordered statement.
    void expectPlaces(const QList<qint64>& all, int sample) {
        QRandomGenerator random(13);
        QList<int> rows{0, int(all.size()) - 1};
        for (int i = 0; i < sample; ++i)
            rows.append(random.bounded(int(all.size())));
        for (int row : rows) {
            const Result<int> at = model.locate(all[row]);
            ASSERT_TRUE(at.isOk()) << at.error().toStdString();
            ASSERT_EQ(at.value(), row) << "id " << all[row];
        }
    }

    qint64 insertExpense(const QVariant& detail) {
        QSqlQuery q(th.database.connection());
        q.prepare(
            QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values "
                           "('zhichu',:m,1,'2007-01-15')"));
        q.bindValue(QStringLiteral(":m"), detail);
        EXPECT_TRUE(q.exec());
        return q.lastInsertId().toLongLong();
    }

    TestHousehold th;
    EntryListModel model;
};

TEST_F(ListAnchorsTest, EveryRowIsPlacedFromTheLandmarksAsTheOrderedStatementPlacesIt) {
    showAll();
    const QList<qint64> all = ordered();
    // Rows far from any row read, as when the scroll bar is dragged, are read from the nearest landmark.
    const int id = model.record().indexOf(QStringLiteral("id"));
    ASSERT_EQ(model.locate(all.last()).value(), int(all.size()) - 1);
    QRandomGenerator jumps(17);
    for (int i = 0; i < 40; ++i) {
        const int row = jumps.bounded(int(all.size()));
        ASSERT_EQ(model.data(model.index(row, id)).toLongLong(), all[row]) << row;
    }

    expectPlaces(all, 150);
    // Rows read around a placed row, from its key both ways, are the list's neighbours.
    const int middle = int(all.size()) / 2;
    ASSERT_EQ(model.locate(all[middle]).value(), middle);
    for (int row = middle - 100; row <= middle + 100; ++row)
        ASSERT_EQ(model.data(model.index(row, id)).toLongLong(), all[row]) << row;

    // The landmarks themselves, read on their own, stand where the statement puts their rows.
    std::atomic<bool> stop{false};
    const Result<ListAnchors> read =
        ListAnchors::Read(th.database.connection().databaseName(), kExpense, stop);
    ASSERT_TRUE(read.isOk()) << read.error().toStdString();
    ASSERT_EQ(read->anchors().size(), (all.size() + ListAnchors::kStep - 1) / ListAnchors::kStep);
    for (const ListAnchors::Anchor& a : read->anchors())
        EXPECT_EQ(all[a.position], a.key.id);
    stop = true;
    EXPECT_FALSE(ListAnchors::Read(th.database.connection().databaseName(), kExpense, stop).isOk());
}

TEST_F(ListAnchorsTest, TheProgramsOwnWritesKeepThemGood) {
    showAll();
    QList<qint64> all = ordered();
    QRandomGenerator random(3);
    const QList<QVariant> details = {QVariant(), QStringLiteral("午饭"), QStringLiteral("b"),
                                     QString::fromUtf8("\xF0\x9F\x8D\x9C"), QStringLiteral("zzz")};
    for (int round = 0; round < 12; ++round) {
        // A new entry; an edit that moves a row to another detail; a deletion (of a landmark's row in
        // every other round). Each row edited or deleted has been shown first, as on the panel.
        model.entryWriting();
        const qint64 added = insertExpense(details[round % details.size()]);
        model.entryWritten(std::nullopt, added);

        const qint64 edited = all[random.bounded(int(all.size()))];
        ASSERT_TRUE(model.locate(edited).isOk());
        model.entryWriting();
        th.exec(QStringLiteral("update shouzhibiao set mingxi='%1' where id=%2")
                    .arg(round % 2 ? QStringLiteral("房租") : QStringLiteral("c"))
                    .arg(edited));
        model.entryWritten(edited, edited);

        const int landmarkRow = (round % 5 + 1) * ListAnchors::kStep;
        const qint64 gone = round % 2 ? all[landmarkRow] : all[random.bounded(int(all.size()))];
        ASSERT_TRUE(model.locate(gone).isOk());
        model.entryWriting();
        th.exec(QStringLiteral("delete from shouzhibiao where id=%1").arg(gone));
        model.entryWritten(gone, std::nullopt);

        ASSERT_TRUE(model.hasLandmarks()) << round;
        ASSERT_TRUE(model.show(th.database.connection(), {true, kExpense, QDate(2007, 1, 15), {}}));
        all = ordered();
        expectPlaces(all, 20);
        ASSERT_EQ(model.locate(added).value(), int(all.indexOf(added)));
    }
}

TEST_F(ListAnchorsTest, AWriteTheyWereNotToldOfDropsThem) {
    showAll();
    // Through the same connection (another window of the program), then through another connection
    // (another copy of the program): the list counts from the start again, exactly.
    insertExpense(QStringLiteral("午饭"));
    EXPECT_FALSE(model.hasLandmarks());
    expectPlaces(ordered(), 10);
    showAll();

    {
        QSqlDatabase other =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other-copy"));
        other.setDatabaseName(th.database.connection().databaseName());
        ASSERT_TRUE(other.open());
        QSqlQuery q(other);
        ASSERT_TRUE(
            q.exec(QStringLiteral("delete from shouzhibiao where id=(select min(id) from shouzhibiao "
                                  "where leixing='zhichu' and mingxi='a')")));
        q.finish();
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other-copy"));
    // Told of a write of its own in between, the list still notices the other copy's.
    model.entryWriting();
    const qint64 added = insertExpense(QStringLiteral("a"));
    model.entryWritten(std::nullopt, added);
    EXPECT_FALSE(model.hasLandmarks());
    expectPlaces(ordered(), 10);
}

TEST_F(ListAnchorsTest, WritesToldOfWhileTheyAreReadAreCarriedIntoThem) {
    // Until the landmarks are handed over, the reading holds its view of the file from before these.
    ASSERT_TRUE(model.show(th.database.connection(), {true, kExpense, QDate(2007, 1, 15), {}}));
    model.entryWriting();
    const qint64 added = insertExpense(QStringLiteral("午饭"));
    model.entryWritten(std::nullopt, added);
    const qint64 gone = ordered().at(3);  // on the first page, shown
    model.entryWriting();
    th.exec(QStringLiteral("delete from shouzhibiao where id=%1").arg(gone));
    model.entryWritten(gone, std::nullopt);
    QElapsedTimer waited;
    waited.start();
    while (!model.hasLandmarks() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(model.hasLandmarks());
    expectPlaces(ordered(), 60);

    // A write it is not told of while they are read (after one that dropped the landmarks in hand): they
    // are not taken, even with a told write after it, and the next showing reads them again.
    insertExpense(QStringLiteral("房租"));
    ASSERT_TRUE(model.show(th.database.connection(), {true, kExpense, QDate(2007, 1, 15), {}}));
    insertExpense(QStringLiteral("a"));
    model.entryWriting();
    model.entryWritten(std::nullopt, insertExpense(QStringLiteral("b")));
    waited.restart();
    while (waited.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(model.hasLandmarks());
    expectPlaces(ordered(), 10);
    showAll();
    expectPlaces(ordered(), 10);
}

}  // namespace
