// tamberlo-bench-find <household file>
//
// The data grid's find on the expense list of a generated household, read lazily as the program reads
// it: a search that finds nothing (the longest, every row looked at) in several forms, and the cost of
// bringing a row found near the end of the list into the grid. Prints the median of seven runs.
#include "bench/BenchSupport.h"
#include "data/Statements.h"
#include "kit/DataGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The median wall-clock time and the median processor time (which a machine busy with other work
// inflates less) of seven runs.
std::pair<double, double> medianMs(const std::function<void()>& run) {
    QList<double> wall;
    QList<double> cpu;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer timer;
        const double cpuStart = cpuMs();
        timer.start();
        run();
        wall.append(double(timer.nsecsElapsed()) / 1e6);
        cpu.append(cpuMs() - cpuStart);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[3], cpu[3]};
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tamberlo-bench-find <household file>\n");
        return 2;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(QString::fromLocal8Bit(argv[1]));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open()) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    QSqlQuery rows(db);
    rows.prepare(QString::fromUtf8(Sql::kAllOfType));
    rows.bindValue(QStringLiteral(":mxlx"), QStringLiteral("zhichu"));
    rows.exec();
    QSqlQueryModel model;
    model.setQuery(std::move(rows));
    DataGrid grid;
    grid.setColumns({{QStringLiteral("明细"), QStringLiteral("mingxi")},
                     {QStringLiteral("金额"), QStringLiteral("feiyong"), DataGrid::Format::Money},
                     {QStringLiteral("登记日期"), QStringLiteral("shururiqi")},
                     {QStringLiteral("登  记  人"), QStringLiteral("dengjiren")},
                     {QStringLiteral("备注"), QStringLiteral("beizhu")}});
    grid.setSourceModel(&model);
    QSqlQuery count(db);
    count.exec(QStringLiteral("select count(*) from shouzhibiao where leixing='zhichu'"));
    count.next();
    const int total = count.value(0).toInt();
    std::printf("rows come from table \"%s\"\n",
                qPrintable(model.record().field(QStringLiteral("id")).tableName()));
    std::printf("expense list: %d rows of %s, %d read into the grid\n", total, argv[1], model.rowCount());

    const struct {
        const char* what;
        FindQuery query;
    } cases[] = {
        {"nothing found, all columns, text", {QStringLiteral("没有这个"), -1, false, true}},
        {"nothing found, all columns, figures", {QStringLiteral("98765.43"), -1, false, true}},
        {"nothing found, all columns, match case", {QStringLiteral("NoSuch"), -1, true, true}},
        {"nothing found, column 备注 only", {QStringLiteral("没有这个"), 4, false, true}},
        {"nothing found, upwards from the end", {QStringLiteral("没有这个"), -1, false, false}},
    };
    for (const auto& c : cases) {
        int found = 0;
        const auto [wall, cpu] = medianMs([&] { found = grid.find(c.query, -1).value(); });
        std::printf("%-45s %8.1f ms wall, %8.1f ms processor (row %d)\n", c.what, wall, cpu, found);
    }
    std::printf("rows read into the grid after the searches: %d\n", model.rowCount());

    // A match that is there: the list's last row, found from the top and brought into the grid.
    const int last = total - 1;
    QElapsedTimer timer;
    timer.start();
    while (model.rowCount() <= last && model.canFetchMore())
        model.fetchMore();
    grid.setCurrentRow(last);
    std::printf("%-45s %8.1f ms, %.0f MiB resident\n", "reading all rows into the grid to select the last",
                timer.nsecsElapsed() / 1e6, ResidentMiB());
    return 0;
}
