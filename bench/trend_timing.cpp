// tamberlo-trend-timing <household file> [rounds]: how long the trend window "收支趋势" takes to open on
// a household, from its construction to its first full paint, warm. Prints the query plan of the
// day totals, then each round's time (wall clock and the process's processor time, which a busy
// machine does not inflate) and the medians. Today is pinned to the generated history's last
// day, so the window opens on a full year of entries. The file is opened as the program opens it (an
// older file is upgraded first, once).
#include "bench/BenchSupport.h"
#include "bench/HouseholdGenerator.h"
#include "data/Database.h"
#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "data/Statements.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "household/IniFile.h"
#include "kit/Today.h"
#include "ledger/TrendWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tamberlo-trend-timing <household file> [rounds]\n");
        return 2;
    }
    const int rounds = args.size() > 2 ? args[2].toInt() : 21;
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

    QSqlQuery count(database.connection());
    count.exec(QStringLiteral("select count(*) from shouzhibiao"));
    count.next();
    std::printf("entries: %lld\n", count.value(0).toLongLong());
    count.finish();

    QSqlQuery plan(database.connection());
    plan.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + QString::fromUtf8(Sql::kDayTotals));
    plan.bindValue(QStringLiteral(":mxlx"), QStringLiteral("shouru"));
    plan.bindValue(QStringLiteral(":qishi"), ShortDate(QDate(kGeneratedToday.year(), 1, 1)));
    plan.bindValue(QStringLiteral(":jishu"), ShortDate(QDate(kGeneratedToday.year(), 12, 31)));
    plan.exec();
    while (plan.next())
        std::printf("plan: %s\n", qPrintable(plan.value(QStringLiteral("detail")).toString()));
    plan.finish();

    std::vector<double> times;
    std::vector<double> cpu;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpuStart = std::clock();
        {
            TrendWindow window(household);
            window.show();
            window.repaint();  // the first full paint, chart included
            QApplication::processEvents();
            times.push_back(timer.nsecsElapsed() / 1e6);
            cpu.push_back(1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC);
        }
        QApplication::processEvents();
        std::printf("round %d: %.1f ms (processor %.1f ms)\n", r + 1, times.back(), cpu.back());
    }
    // The first round is cold (fonts, style, pages of the file): it is shown but left out of the medians.
    const auto median = [](std::vector<double> v) {
        v.erase(v.begin());
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("open to first paint: first %.1f ms; warm median %.1f ms wall clock, %.1f ms processor\n",
                times.front(), median(times), median(cpu));
    return 0;
}
