// The paged entry list against the plain ordered statements on a real file: same rows in the same
// order however they are reached, every row found by its key at its position.
#include "data/Money.h"
#include "ledger/EntryList.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

class EntryListTest : public ::testing::Test {
  protected:
    // 1100 expenses over a few details (some without one), some today, and a few incomes.
    void SetUp() override {
        QSqlDatabase db = th.database.connection();
        ASSERT_TRUE(db.transaction());
        QSqlQuery insert(db);
        ASSERT_TRUE(
            insert.prepare(QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) "
                                          "values (:t,:m,:f,:d)")));
        QRandomGenerator random(7);
        const QStringList details = {QStringLiteral("午饭"), QStringLiteral("房租"), QStringLiteral("a"),
                                     QStringLiteral("衣服"), QString()};
        for (int i = 0; i < 1100; ++i) {
            const QString detail = details[random.bounded(int(details.size()))];
            insert.bindValue(QStringLiteral(":t"),
                             i % 50 == 0 ? QStringLiteral("shouru") : QStringLiteral("zhichu"));
            insert.bindValue(QStringLiteral(":m"), detail.isEmpty() ? QVariant() : QVariant(detail));
            insert.bindValue(QStringLiteral(":f"), i);
            insert.bindValue(QStringLiteral(":d"),
                             i % 3 == 0 ? QStringLiteral("2007-01-15") : QStringLiteral("2006-05-01"));
            ASSERT_TRUE(insert.exec());
        }
        ASSERT_TRUE(db.commit());
    }
    QList<qint64> expected(const char* statement) {
        QSqlQuery q(th.database.connection());
        EXPECT_TRUE(q.exec(QString::fromLatin1(statement)));
        QList<qint64> ids;
        while (q.next())
            ids.append(q.value(0).toLongLong());
        return ids;
    }
    qint64 idAt(EntryListModel& m, int row) {
        return m.data(m.index(row, m.record().indexOf(QStringLiteral("id")))).toLongLong();
    }

    TestHousehold th;
};

TEST_F(EntryListTest, AllRowsInTheIndexOrderReachedInAnyOrder) {
    const QList<qint64> all =
        expected("select id from shouzhibiao where leixing='zhichu' order by mingxi, id");
    ASSERT_GT(all.size(), 3 * EntryListModel::kPage);
    EntryListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    ASSERT_TRUE(
        model.show(th.database.connection(), {true, QStringLiteral("zhichu"), QDate(2007, 1, 15), {}}));
    EXPECT_LT(model.rowCount(), int(all.size()));  // not read to the end

    // Every row found by its key at its place, visited out of order, before the list is fetched.
    QRandomGenerator random(11);
    for (int i = 0; i < 60; ++i) {
        const int row = random.bounded(int(all.size()));
        const Result<int> at = model.locate(all[row]);
        ASSERT_TRUE(at.isOk()) << at.error().toStdString();
        EXPECT_EQ(at.value(), row);
        EXPECT_GE(model.rowCount(), row + 1);
    }
    // Rows read backwards and forwards from the places found agree with the ordered statement.
    for (int row = model.rowCount() - 1; row >= 0; row -= 7)
        ASSERT_EQ(idAt(model, row), all[row]) << row;
    while (model.canFetchMore())
        model.fetchMore();
    ASSERT_EQ(model.rowCount(), all.size());
    for (int row = 0; row < all.size(); ++row)
        ASSERT_EQ(idAt(model, row), all[row]) << row;
    EXPECT_EQ(model.locate(1).value(), -1);  // an income is not in the list
}

TEST_F(EntryListTest, TodayListKeepsSavedRowsAfterTheOthers) {
    const QList<qint64> today =
        expected("select id from shouzhibiao where leixing='zhichu' and shururiqi='2007-01-15' order by id");
    const QList<qint64> kept = {2, 5, today.first()};  // two rows of another day, one of today
    EntryListModel model;
    ASSERT_TRUE(
        model.show(th.database.connection(), {false, QStringLiteral("zhichu"), QDate(2007, 1, 15), kept}));
    while (model.canFetchMore())
        model.fetchMore();
    ASSERT_EQ(model.rowCount(), today.size() + 2);
    for (int row = 0; row < today.size(); ++row)
        ASSERT_EQ(idAt(model, row), today[row]);
    EXPECT_EQ(idAt(model, int(today.size())), 2);
    EXPECT_EQ(idAt(model, int(today.size()) + 1), 5);

    // A kept row is found after the list even before the list was read to its end.
    EntryListModel fresh;
    ASSERT_TRUE(
        fresh.show(th.database.connection(), {false, QStringLiteral("zhichu"), QDate(2007, 1, 15), kept}));
    EXPECT_EQ(fresh.locate(5).value(), int(today.size()) + 1);
    EXPECT_EQ(fresh.locate(today.last()).value(), int(today.size()) - 1);
    EXPECT_EQ(fresh.rowCount(), today.size() + 2);
}

// A model whose pages are read and finished leaves no read open: a write of another connection and
// the tracking of part-read lists are not held up by it.
TEST_F(EntryListTest, NoReadStaysOpenBetweenPages) {
    EntryListModel model;
    ASSERT_TRUE(
        model.show(th.database.connection(), {true, QStringLiteral("zhichu"), QDate(2007, 1, 15), {}}));
    EXPECT_FALSE(model.query().isActive());
    model.fetchMore();
    th.exec(
        QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values "
                       "('zhichu','x',1,'2007-01-15')"));
}

// The grid's find on both lists and both engines against a plain look through the texts the grid shows:
// from any row, down and up, into the rows kept after the list, letters folded as the household's other
// searches fold them, pattern characters plain, amounts as "￥0.00".
class EntryListFindTest : public EntryListTest, public ::testing::WithParamInterface<TestEngine> {
  protected:
    static QString fold(QString text) {
        for (QChar& c : text) {
            if (c.unicode() < 128)
                c = c.toLower();
        }
        return text;
    }
    // Every row of the list as the grid shows it.
    static QList<QStringList> shown(EntryListModel& m) {
        while (m.canFetchMore())
            m.fetchMore();
        QList<QStringList> rows;
        for (int r = 0; r < m.rowCount(); ++r) {
            QStringList cells;
            for (const QuerySearch::Column& c : kColumns) {
                const QVariant v = m.data(m.index(r, m.record().indexOf(c.field)));
                cells.append(c.money && !v.isNull() ? Money::fromUnits(v.toLongLong()).format()
                                                    : v.toString());
            }
            rows.append(cells);
        }
        return rows;
    }
    static int lookThrough(const QList<QStringList>& rows, const FindQuery& q, int from) {
        const int n = int(rows.size());
        for (int r = q.down ? from + 1 : (from < 0 ? n : from) - 1; r >= 0 && r < n; r += q.down ? 1 : -1) {
            for (int c = 0; c < rows[r].size(); ++c) {
                if ((q.column < 0 || q.column == c) &&
                    (q.matchCase ? rows[r][c].contains(q.text) : fold(rows[r][c]).contains(fold(q.text))))
                    return r;
            }
        }
        return -1;
    }
    static inline const QList<QuerySearch::Column> kColumns = {{QStringLiteral("mingxi")},
                                                               {QStringLiteral("feiyong"), true},
                                                               {QStringLiteral("shururiqi")},
                                                               {QStringLiteral("dengjiren")},
                                                               {QStringLiteral("beizhu")}};
};

TEST_P(EntryListFindTest, FindsWhatAPlainLookThroughTheShownRowsFinds) {
    th.exec(QStringLiteral("update shouzhibiao set beizhu='Abc%_\\ 备注' where id in (3, 40, 700, 1001)"));
    th.exec(QStringLiteral("update shouzhibiao set dengjiren='abc' where id in (41, 900)"));
    th.exec(QStringLiteral("update shouzhibiao set feiyong=-30000 where id in (12, 950)"));
    const QList<qint64> kept = {1, 51, 2, 5};  // incomes, and expenses of another day
    const QList<FindQuery> queries = {
        {QStringLiteral("abc")},    {QStringLiteral("Abc"), -1, true}, {QStringLiteral("%_\\")},
        {QStringLiteral("_")},      {QStringLiteral("午饭")},          {QStringLiteral("-￥3.00")},
        {QStringLiteral("0.1")},    {QStringLiteral("2006-05")},       {QStringLiteral("x%")},
        {QStringLiteral("abc"), 4},
    };
    for (const bool all : {true, false}) {
        EntryListModel reference;
        ASSERT_TRUE(reference.show(th.database.connection(),
                                   {all, QStringLiteral("zhichu"), QDate(2007, 1, 15), kept}));
        const QList<QStringList> rows = shown(reference);
        const int n = int(rows.size());
        for (FindQuery q : queries) {
            for (const bool down : {true, false}) {
                q.down = down;
                for (const int from : {-1, 0, n / 2, n - 5, n - 3, n - 1}) {
                    // A fresh list each time: the search must not lean on rows read before.
                    EntryListModel model;
                    ASSERT_TRUE(model.show(th.database.connection(),
                                           {all, QStringLiteral("zhichu"), QDate(2007, 1, 15), kept}));
                    // The row the search starts from is the grid's current one: placed and shown.
                    if (from >= 0) {
                        ASSERT_EQ(model.locate(idAt(reference, from)).value(), from);
                    }
                    const Result<int> found = model.findRow(kColumns, q, from);
                    ASSERT_TRUE(found.isOk()) << found.error().toStdString();
                    const int expect = lookThrough(rows, q, from);
                    ASSERT_EQ(found.value(), expect) << (all ? "全部 " : "今天 ") << q.text.toStdString()
                                                     << (down ? " down from " : " up from ") << from;
                    if (expect >= 0) {
                        EXPECT_EQ(idAt(model, expect), idAt(reference, expect));
                    }
                }
            }
        }
    }
}

TAMBERLO_ON_BOTH_ENGINES(EntryListFindTest);

// A header's order on both engines and both lists: every row at the position the plainly ordered
// statement gives it (a missing value first going up, last going down; ties by key the same way), found
// by its key before the list is read, reached by neighbours in both directions, and found by the grid's
// find from a row in the middle.
class EntryListSortTest : public EntryListFindTest {};

TEST_P(EntryListSortTest, EveryColumnOrderAgreesWithThePlainOrderedStatement) {
    th.exec(QStringLiteral("update shouzhibiao set feiyong=500 where id % 7 = 0"));
    th.exec(QStringLiteral("update shouzhibiao set feiyong=NULL where id in (9, 300, 901)"));
    th.exec(QStringLiteral("update shouzhibiao set beizhu='Abc' where id in (3, 40, 700, 1001)"));
    QRandomGenerator random(5);
    for (const bool all : {true, false}) {
        for (const char* field : {"shururiqi", "mingxi", "feiyong"}) {
            for (const bool down : {false, true}) {
                const QString f = QString::fromLatin1(field);
                const QString where = all ? QStringLiteral("leixing='zhichu'")
                                          : QStringLiteral("leixing='zhichu' and shururiqi='2007-01-15'");
                const QList<qint64> order = expected(
                    (down ? QStringLiteral(
                                "select id from shouzhibiao where %1 order by %2 is null, %2 desc, id desc")
                          : QStringLiteral(
                                "select id from shouzhibiao where %1 order by %2 is not null, %2, id"))
                        .arg(where, f)
                        .toLatin1()
                        .constData());
                const EntryListModel::Choice choice{
                    all, QStringLiteral("zhichu"), QDate(2007, 1, 15), {}, EntryListModel::Sort{f, down}};
                const std::string what =
                    (all ? "全部 " : "今天 ") + f.toStdString() + (down ? " down" : " up");
                EntryListModel model;
                ASSERT_TRUE(model.show(th.database.connection(), choice));
                for (int i = 0; i < 12; ++i) {
                    const int row = random.bounded(int(order.size()));
                    const Result<int> at = model.locate(order[row]);
                    ASSERT_TRUE(at.isOk()) << at.error().toStdString();
                    ASSERT_EQ(at.value(), row) << what;
                }
                for (int row = model.rowCount() - 1; row >= 0; row -= 5)
                    ASSERT_EQ(idAt(model, row), order[row]) << what << " row " << row;
                EntryListModel fresh;
                ASSERT_TRUE(fresh.show(th.database.connection(), choice));
                const QList<QStringList> rows = shown(fresh);
                ASSERT_EQ(rows.size(), order.size()) << what;
                for (int row = 0; row < order.size(); ++row)
                    ASSERT_EQ(idAt(fresh, row), order[row]) << what << " row " << row;
                for (const bool findDown : {true, false}) {
                    FindQuery q{QStringLiteral("abc")};
                    q.down = findDown;
                    const int from = int(order.size()) / 2;
                    EntryListModel finding;
                    ASSERT_TRUE(finding.show(th.database.connection(), choice));
                    ASSERT_EQ(finding.locate(order[from]).value(), from);
                    const Result<int> found = finding.findRow(kColumns, q, from);
                    ASSERT_TRUE(found.isOk()) << found.error().toStdString();
                    EXPECT_EQ(found.value(), lookThrough(rows, q, from)) << what;
                }
            }
        }
    }
}

TAMBERLO_ON_BOTH_ENGINES(EntryListSortTest);

}  // namespace
