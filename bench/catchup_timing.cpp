// tamberlo-catchup-timing <household file> [rounds]: how long the catch-up of regular entries takes on a
// household when 30 regular entries have not been caught up for two years: the list of what is due (the
// regular entries read and every occurrence worked out) and the catch-up window built and painted with
// it. Today is pinned to the generated history's last day. The file is opened as the program opens it
// (an older file is upgraded first, once) and gets the 30 regular entries in place of any it held: run
// it on a copy. Nothing is booked, so every round lists the same.
#include "bench/BenchSupport.h"
#include "bench/HouseholdGenerator.h"
#include "data/Database.h"
#include "data/HomeSafe.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "household/IniFile.h"
#include "kit/Today.h"
#include "plans/CatchUpWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Twenty monthly ones (salary, rent, utilities on days 1 to 31), six weekly, two every ten days and two
// yearly, each last done two years before today.
Status AddRegularEntries(Database& database, qint64 place) {
    const Status cleared = database.transaction([&] {
        QSqlQuery clear(database.connection());
        return clear.exec(QStringLiteral("DELETE FROM dingqishouzhi"))
                   ? Status::ok()
                   : Status::failure(QStringLiteral("delete"));
    });
    if (!cleared)
        return cleared;
    for (int i = 0; i < 30; ++i) {
        RegularEntry entry;
        entry.type = i % 5 == 0 ? EntryType::Income : EntryType::Expense;
        entry.detail = QStringLiteral("定期%1").arg(i + 1);
        entry.amount = Money::fromYuan(100 + i);
        entry.place = place;
        entry.schedule.unit = i < 20   ? Schedule::Unit::Month
                              : i < 26 ? Schedule::Unit::Week
                              : i < 28 ? Schedule::Unit::Day
                                       : Schedule::Unit::Year;
        entry.schedule.every = entry.schedule.unit == Schedule::Unit::Day ? 10 : 1;
        entry.schedule.day = 1 + (i * 3) % 31;
        entry.schedule.start = kGeneratedToday.addYears(-5);
        entry.automatic = i % 2 == 0;
        const Result<qint64> id = SaveRegularEntry(database, entry);
        if (!id)
            return id.status();
        const Status marked = database.transaction(
            [&] { return MarkDone(database.connection(), id.value(), {}, kGeneratedToday.addYears(-2)); });
        if (!marked)
            return marked;
    }
    return Status::ok();
}

double Median(std::vector<double> v) {
    v.erase(v.begin());  // the first round is cold
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tamberlo-catchup-timing <household file> [rounds]\n");
        return 2;
    }
    const int rounds = std::max(2, args.size() > 2 ? args[2].toInt() : 21);
    PinToday(kGeneratedToday);
    QuietPrompt prompt;

    Database database;
    if (const Status opened = database.open(args[1]); !opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error()));
        return 1;
    }
    HomeSafe homeSafe(database);
    QTemporaryDir settingsFolder;
    IniFile settings(settingsFolder.filePath(QStringLiteral("lomu.ini")));
    CurrentUser user{QStringLiteral("管理员"), QStringLiteral("1111111"), {}, {}, {}, false};
    const auto every = [](const QString&) { return true; };
    Household household{database, homeSafe, settings, user, every, every, nullptr, QString()};
    const Result<qint64> safe = HomeSafeId(database.connection());
    if (!safe) {
        std::fprintf(stderr, "%s\n", qPrintable(safe.error()));
        return 1;
    }
    if (const Status added = AddRegularEntries(database, safe.value()); !added) {
        std::fprintf(stderr, "%s\n", qPrintable(added.error()));
        return 1;
    }
    QSqlQuery count(database.connection());
    count.exec(QStringLiteral("select count(*) from shouzhibiao"));
    count.next();
    std::printf("entries: %lld\n", count.value(0).toLongLong());
    count.finish();

    std::vector<double> listTimes;
    std::vector<double> windowTimes;
    qsizetype due = 0;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        const Result<QList<RegularEntry>> entries = ReadRegularEntries(database.connection());
        if (!entries) {
            std::fprintf(stderr, "%s\n", qPrintable(entries.error()));
            return 1;
        }
        CatchUpList list = DueOccurrences(entries.value(), Today(), Today());
        listTimes.push_back(timer.nsecsElapsed() / 1e6);
        due = list.items.size();
        {
            CatchUpWindow window(household, std::move(list));
            window.show();
            window.repaint();
            QApplication::processEvents();
            windowTimes.push_back(timer.nsecsElapsed() / 1e6);
        }
        QApplication::processEvents();
        std::printf("round %d: list %.2f ms, list and window painted %.1f ms\n", r + 1, listTimes.back(),
                    windowTimes.back());
    }
    std::printf("30 regular entries, %lld occurrences due over two years\n", static_cast<long long>(due));
    std::printf(
        "the list: first %.2f ms, warm median %.2f ms; with the window: first %.1f ms, warm median %.1f ms\n",
        listTimes.front(), Median(listTimes), windowTimes.front(), Median(windowTimes));
    return 0;
}
