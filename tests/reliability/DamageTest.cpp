#include "app/DamageWatch.h"
#include "data/DamageCheck.h"
#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/HomeSafe.h"
#include "data/Schema.h"
#include "ledger/EntryBook.h"
#include "ledger/LedgerTotals.h"
#include "support/ScriptedPrompt.h"
#include "support/TempHome.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

QByteArray hashOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void overwrite(const QString& path, qint64 offset, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(offset));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A household with a few thousand entries, closed cleanly (no -wal file left beside it).
struct Pristine {
    QByteArray bytes;
    int pageSize = 0;
    int entryRoot = 0;
    int entryLeaf = 0;
    int indexRoot = 0;
    QList<int> entryIndexRoots;
};

Pristine makeHousehold(const QString& path) {
    Pristine p;
    {
        Database db;
        EXPECT_TRUE(db.open(path).isOk());
        EXPECT_TRUE(db.transaction([&db] {
                          QSqlQuery q(db.connection());
                          q.prepare(
                              QStringLiteral("insert into shouzhibiao (leixing, mingxi, feiyong, shururiqi, "
                                             "dengjiren, beizhu) values (:t, :m, :f, :d, '管理员', :b)"));
                          for (int i = 0; i < 4000; ++i) {
                              q.bindValue(QStringLiteral(":t"),
                                          i % 3 ? QStringLiteral("zhichu") : QStringLiteral("shouru"));
                              q.bindValue(QStringLiteral(":m"), QStringLiteral("明细%1").arg(i % 40));
                              q.bindValue(QStringLiteral(":f"), 10000 + i);
                              q.bindValue(
                                  QStringLiteral(":d"),
                                  QStringLiteral("2007-%1-15").arg(1 + i % 12, 2, 10, QLatin1Char('0')));
                              q.bindValue(QStringLiteral(":b"), QStringLiteral("备注 %1").arg(i));
                              if (!q.exec())
                                  return Status::failure(QStringLiteral("insert"));
                          }
                          return Status::ok();
                      }).isOk());
        QSqlQuery q(db.connection());
        EXPECT_TRUE(q.exec(QStringLiteral("PRAGMA page_size")) && q.next());
        p.pageSize = q.value(0).toInt();
        EXPECT_TRUE(q.exec(QStringLiteral("select rootpage from sqlite_master where name='shouzhibiao'")) &&
                    q.next());
        p.entryRoot = q.value(0).toInt();
        EXPECT_TRUE(q.exec(QStringLiteral("select max(rootpage) from sqlite_master where type='index' and "
                                          "tbl_name='shouzhibiao'")) &&
                    q.next());
        p.indexRoot = q.value(0).toInt();
        EXPECT_TRUE(
            q.exec(QStringLiteral("select rootpage from sqlite_master where type='index' and "
                                  "tbl_name='shouzhibiao' and sql is not null")));
        while (q.next())
            p.entryIndexRoots.append(q.value(0).toInt());
        EXPECT_TRUE(q.exec(QStringLiteral("PRAGMA page_count")) && q.next());
        // A leaf of the entries in the middle of the file: the table's pages were written last.
        p.entryLeaf = q.value(0).toInt() / 2;
        q.finish();
    }
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    p.bytes = f.readAll();
    return p;
}

struct Damage {
    const char* where;
    qint64 offset;
    QByteArray bytes;
};

void waitForBoxes(const ScriptedPrompt& prompt, int count) {
    QElapsedTimer waited;
    waited.start();
    while (prompt.boxes().size() < count && waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    // Time for a box too many to show itself.
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

QString pragmaOf(const QString& file, const QString& pragma) {
    QString result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("pragma"));
        db.setDatabaseName(file);
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(QStringLiteral("PRAGMA ") + pragma) && q.next());
        result = q.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("pragma"));
    return result;
}

// Whether a message is Chinese through and through: no Latin letter is left once the file's path and
// the backup tool's name are taken out.
bool saysItInChinese(QString text, const QString& path) {
    text.remove(path).remove(QStringLiteral("kopira"));
    return !text.contains(QRegularExpression(QStringLiteral("[A-Za-z*]")));
}

}  // namespace

// Bytes of a real household are overwritten in its header, its schema page, the pages of its entries
// and of an index. Each damage is found (when the file is opened, or by the check after it), the user is
// told once, every write is refused, and the file is byte for byte what it was before the program
// opened it.
TEST(Damage, EachDamagedFileIsFoundReportedAndLeftByteIdentical) {
    TempHome home;
    const Pristine p = makeHousehold(home.databasePath());
    ASSERT_GT(p.entryRoot, 1);
    ASSERT_GT(p.indexRoot, 1);
    const auto page = [&p](int n) { return qint64(n - 1) * p.pageSize; };
    const QByteArray junk(24, '\xA5');
    // The schema page's cells start where its header (after the file header) says their area begins.
    const qint64 schemaCells = (qint64(quint8(p.bytes[105])) << 8) | quint8(p.bytes[106]);
    std::vector<Damage> damages = {
        {"header magic", 0, QByteArray("SQLite format 4")},
        {"header page size", 16, QByteArray("\x00\x03", 2)},
        {"header format versions", 18, QByteArray("\x07\x07", 2)},
        {"header payload fractions", 21, QByteArray("\x10\x10\x10", 3)},
        {"schema page header", 100, junk},
        {"schema page cells", schemaCells, junk},
        {"entry table root", page(p.entryRoot), junk},
        {"entry table root cells", page(p.entryRoot) + 12, junk},
        {"entry leaf header", page(p.entryLeaf), junk},
        {"entry leaf cells", page(p.entryLeaf) + 8, QByteArray(4, '\xFF')},
        {"entry leaf late", page(p.entryLeaf + 3) + 40, junk},
        {"index root", page(p.indexRoot), junk},
        {"index root cells", page(p.indexRoot) + 12, junk},
    };

    for (const Damage& d : damages) {
        SCOPED_TRACE(d.where);
        {
            QFile f(home.databasePath());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(p.bytes);
        }
        overwrite(home.databasePath(), d.offset, d.bytes);
        const QByteArray before = hashOf(home.databasePath());
        std::printf("damage at offset %lld (%s)\n", static_cast<long long>(d.offset), d.where);

        ScriptedPrompt prompt;
        bool found = false;
        {
            Database db;
            const Status opened = db.open(home.databasePath());
            if (!opened) {
                // Found at once: told in Chinese, and nothing opened.
                EXPECT_TRUE(opened.error().contains(QStringLiteral("已损坏")))
                    << opened.error().toStdString();
                found = true;
            } else {
                HomeSafe safe(db);
                EntryBook book(db, safe, EntryType::Income);
                bool ended = false;
                QObject owner;
                WatchForDamage(&owner, db, QString(), [&ended] { ended = true; }, {});
                QElapsedTimer waited;
                waited.start();
                while (prompt.boxes().isEmpty() && waited.elapsed() < 20000)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
                ASSERT_EQ(prompt.boxes().size(), 1);
                EXPECT_TRUE(prompt.boxes()[0].text.contains(home.databasePath()));
                EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("不会再向这个文件写入")));
                EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("kopira")));
                EXPECT_FALSE(ended);  // answered No: the program goes on, reading only
                EXPECT_TRUE(db.writesRefused());
                found = true;
                const Result<qint64> saved = book.save(
                    std::nullopt,
                    {QStringLiteral("工资"), Money::fromYuan(1), QStringLiteral("2007-01-15"), {}, {}});
                EXPECT_FALSE(saved.isOk());
                EXPECT_TRUE(saved.error().contains(QStringLiteral("不再向它写入")))
                    << saved.error().toStdString();
                QSqlQuery direct(db.connection());
                EXPECT_FALSE(direct.exec(QStringLiteral("delete from tixing")));
            }
        }
        EXPECT_TRUE(found);
        EXPECT_EQ(hashOf(home.databasePath()), before) << "the damaged file was written to";
    }
}

// The check of a sound file finds nothing and leaves it writable.
TEST(Damage, ASoundFileIsNotCalledDamaged) {
    TempHome home;
    makeHousehold(home.databasePath());
    const DamageCheck::Verdict v = DamageCheck::Run(home.databasePath());
    EXPECT_FALSE(v.damaged) << v.detail.toStdString();
}

// On a large household (its path in TAMBERLO_BIG_HOUSEHOLD; skipped without one) the check takes its
// time in its own thread: starting it costs the window thread nothing to speak of, and the window
// thread's timer keeps ticking while it runs.
TEST(Damage, TheCheckOfALargeHouseholdLeavesTheWindowThreadFree) {
    const QString path = qEnvironmentVariable("TAMBERLO_BIG_HOUSEHOLD");
    if (path.isEmpty())
        GTEST_SKIP() << "TAMBERLO_BIG_HOUSEHOLD not set";
    DamageCheck check;
    bool done = false;
    bool damaged = true;
    QObject::connect(&check, &DamageCheck::finished, [&](bool d, const QString&) {
        done = true;
        damaged = d;
    });
    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    tick.start(5);
    sinceTick.start();
    QElapsedTimer total;
    total.start();
    check.start(path);
    const qint64 startCost = total.nsecsElapsed();
    while (!done && total.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf(
        "integrity_check of %s: %lld ms in its thread; starting it took %.3f ms of the window thread; "
        "longest pause of a 5 ms timer meanwhile %lld ms\n",
        qPrintable(path), static_cast<long long>(total.elapsed()), startCost / 1e6,
        static_cast<long long>(longestGap));
    EXPECT_TRUE(done);
    EXPECT_FALSE(damaged);
    EXPECT_LT(startCost, 16'000'000);
    EXPECT_LT(longestGap, 200);
}

// An entry deleted from the table while the indexes keep it: the engine's quick check passes it, the
// summary (read from an index) counts it. The check finds it; the indexes are rebuilt from the rows when
// the user agrees, and the file then passes and takes writes again. Refused, the file stays read-only
// and the restore is offered as for any damage.
TEST(Damage, AnEntryThatOnlyTheIndexesStillHoldIsFoundAndTheIndexesRebuiltOnRequest) {
    for (const Prompt::Answer answer : {Prompt::Answer::Yes, Prompt::Answer::No}) {
        TempHome home;
        {
            Database db;
            ASSERT_TRUE(db.open(home.databasePath()).isOk());
            QSqlQuery q(db.connection());
            ASSERT_TRUE(q.exec(QStringLiteral(
                "insert into shouzhibiao (leixing, mingxi, feiyong, shururiqi, dengjiren) values "
                "('shouru', '工资', 1000000, '2026-11-02', '管理员'), "
                "('shouru', '奖金', 2000000, '2026-11-02', '管理员')")));
        }
        DeleteBehindTheIndexes(home.databasePath(), QStringLiteral("mingxi = '工资'"));
        ASSERT_EQ(pragmaOf(home.databasePath(), QStringLiteral("quick_check")), QStringLiteral("ok"));

        ScriptedPrompt prompt;
        prompt.answerNext(answer);
        Database db;
        ASSERT_TRUE(db.open(home.databasePath()).isOk());
        const QDate day(2026, 11, 2);
        ASSERT_EQ(TotalsOfPeriod(db.connection(), day, day)->income, Money::fromYuan(300));
        QObject owner;
        bool ended = false;
        // What the windows show is read again once the indexes are rebuilt, and then reads the rows.
        std::optional<Money> readWhenMended;
        WatchForDamage(
            &owner, db, QString(), [&ended] { ended = true; },
            [&] { readWhenMended = TotalsOfPeriod(db.connection(), day, day)->income; });
        waitForBoxes(prompt, 2);
        ASSERT_EQ(prompt.boxes().size(), 2);
        EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("重建索引")))
            << prompt.boxes()[0].text.toStdString();
        EXPECT_TRUE(prompt.boxes()[0].details.contains(QStringLiteral("wrong # of entries in index")));
        EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::YesNo);
        EXPECT_FALSE(ended);
        const QString second = prompt.boxes()[1].text;
        if (answer == Prompt::Answer::Yes) {
            EXPECT_TRUE(second.contains(QStringLiteral("REINDEX"))) << second.toStdString();
            EXPECT_TRUE(second.contains(QStringLiteral("完好"))) << second.toStdString();
            EXPECT_FALSE(db.writesRefused());
            EXPECT_EQ(readWhenMended, Money::fromYuan(200));
            EXPECT_EQ(pragmaOf(home.databasePath(), QStringLiteral("integrity_check")), QStringLiteral("ok"));
        } else {
            EXPECT_TRUE(second.contains(QStringLiteral("kopira"))) << second.toStdString();
            EXPECT_TRUE(db.writesRefused());
            EXPECT_FALSE(readWhenMended.has_value());
            EXPECT_NE(pragmaOf(home.databasePath(), QStringLiteral("integrity_check")), QStringLiteral("ok"));
        }
    }
}

// A query of any window that meets a damaged page stops the writes at once, before the check's
// verdict, and the user is told once.
TEST(Damage, AQueryThatMeetsDamageMakesTheHouseholdReadOnlyAtOnce) {
    TempHome home;
    const Pristine p = makeHousehold(home.databasePath());
    ASSERT_FALSE(p.entryIndexRoots.isEmpty());
    for (int root : p.entryIndexRoots)
        overwrite(home.databasePath(), qint64(root - 1) * p.pageSize, QByteArray(24, '\xA5'));
    ScriptedPrompt prompt;
    Database db;
    ASSERT_TRUE(db.open(home.databasePath()).isOk());
    QObject owner;
    WatchForDamage(&owner, db, QString(), [] {}, {});
    const Result<PeriodTotals> totals =
        TotalsOfPeriod(db.connection(), QDate(2007, 1, 1), QDate(2007, 12, 31));
    ASSERT_FALSE(totals.isOk());
    EXPECT_TRUE(totals.error().contains(QStringLiteral("已损坏"))) << totals.error().toStdString();
    EXPECT_TRUE(db.writesRefused());
    waitForBoxes(prompt, 1);
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_TRUE(prompt.boxes()[0].text.startsWith(DatabaseErrors::DamageFound(home.databasePath()).left(20)));
    EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("不会再向这个文件写入")));
}

// A page of entries overwritten with garbage: whether the opening finds it (a file whose journal is not
// the program's own is checked then) or the check after it, the user reads one Chinese sentence that
// says what to do, and the engine's lines are behind the box's 详细信息 button, not in the message.
TEST(Damage, TheEngineLinesOfADamagedFileAreBehindTheDetailsButtonNotInTheMessage) {
    for (const bool atOpening : {false, true}) {
        SCOPED_TRACE(atOpening ? "at opening" : "after opening");
        TempHome home;
        const Pristine p = makeHousehold(home.databasePath());
        if (atOpening) {
            ASSERT_EQ(pragmaOf(home.databasePath(), QStringLiteral("journal_mode = delete")),
                      QStringLiteral("delete"));
        }
        overwrite(home.databasePath(), qint64(p.entryLeaf - 1) * p.pageSize, QByteArray(24, '\xA5'));
        ScriptedPrompt prompt;
        Database db;
        const Status opened = db.open(home.databasePath());
        QString text;
        QString details;
        if (atOpening) {
            ASSERT_FALSE(opened.isOk());
            text = db.openError();
            details = db.openErrorDetails();
        } else {
            ASSERT_TRUE(opened.isOk()) << opened.error().toStdString();
            QObject owner;
            WatchForDamage(&owner, db, QString(), [] {}, {});
            waitForBoxes(prompt, 1);
            ASSERT_EQ(prompt.boxes().size(), 1);
            text = prompt.boxes()[0].text;
            details = prompt.boxes()[0].details;
        }
        EXPECT_TRUE(text.contains(QStringLiteral("已损坏"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("kopira 恢复最近的完好备份"))) << text.toStdString();
        EXPECT_TRUE(saysItInChinese(text, home.databasePath())) << text.toStdString();
        EXPECT_TRUE(details.contains(QStringLiteral("Page"))) << details.toStdString();
    }
}
