// tamberlo-bench-find <household file>
//
// The data grid's find on the expense panel's 全部 list of a generated household, read a page at a time
// as the panel reads it: searches that find nothing (the longest: every row looked at) in several forms,
// the list's last row found from the top and from the end, and the whole of 查找下一个 on a shown grid
// (the search, the row placed by its key, selected and scrolled into view). Prints the median of seven
// runs, wall-clock and processor time.
#include "bench/BenchSupport.h"
#include "kit/DataGrid.h"
#include "kit/FindDialog.h"
#include "ledger/EntryList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>

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
    QuietPrompt prompt;
    EntryListModel model;
    if (const Status shown = model.show(db, {true, QStringLiteral("zhichu"), QDate::currentDate(), {}});
        !shown) {
        std::fprintf(stderr, "%s\n", qPrintable(shown.error()));
        return 1;
    }
    // The landmarks are read on a thread of their own when the list is shown, as in the program.
    QElapsedTimer landmarks;
    landmarks.start();
    while (!model.hasLandmarks() && landmarks.elapsed() < 120000)
        app.processEvents(QEventLoop::AllEvents, 50);
    DataGrid grid;
    grid.setColumns({{QStringLiteral("明细"), QStringLiteral("mingxi")},
                     {QStringLiteral("金额"), QStringLiteral("feiyong"), DataGrid::Format::Money},
                     {QStringLiteral("登记日期"), QStringLiteral("shururiqi")},
                     {QStringLiteral("登  记  人"), QStringLiteral("dengjiren")},
                     {QStringLiteral("备注"), QStringLiteral("beizhu")}});
    grid.setSourceModel(&model);
    grid.resize(700, 560);
    grid.show();
    QSqlQuery facts(db);
    facts.exec(QStringLiteral("select count(*) from shouzhibiao where leixing='zhichu'"));
    facts.next();
    const int total = facts.value(0).toInt();
    facts.exec(
        QStringLiteral("select mingxi from shouzhibiao where leixing='zhichu' order by mingxi desc, id desc "
                       "limit 1"));
    facts.next();
    const QString lastDetail = facts.value(0).toString();
    facts.finish();
    std::printf("expense list 全部: %d rows of %s, %d read, landmarks %s after %lld ms\n", total, argv[1],
                model.rowCount(), model.hasLandmarks() ? "read" : "not read", landmarks.elapsed());

    const struct {
        const char* what;
        FindQuery query;
        int from;
    } cases[] = {
        {"nothing found, all columns, text", {QStringLiteral("没有这个"), -1, false, true}, 0},
        {"nothing found, all columns, letters", {QStringLiteral("NoSuch"), -1, false, true}, 0},
        {"nothing found, all columns, figures", {QStringLiteral("98765.43"), -1, false, true}, 0},
        {"nothing found, all columns, match case", {QStringLiteral("NoSuch"), -1, true, true}, 0},
        {"nothing found, column 备注 only", {QStringLiteral("没有这个"), 4, false, true}, 0},
        {"nothing found, upwards from the end", {QStringLiteral("没有这个"), -1, false, false}, -1},
        {"last detail, from the top (its first row)", {lastDetail, 0, false, true}, 0},
        {"last detail, upwards from the end (last row)", {lastDetail, 0, false, false}, -1},
    };
    for (const auto& c : cases) {
        int found = 0;
        const auto [wall, cpu] = medianMs([&] { found = grid.find(c.query, c.from).value(); });
        std::printf("%-46s %8.1f ms wall, %8.1f ms processor (row %d)\n", c.what, wall, cpu, found);
    }

    // 查找下一个 as the user presses it: from the first row to the list's last row, selected and shown.
    FindDialog* dialog = FindDialog::open(&grid);
    dialog->findChild<QLineEdit*>(QStringLiteral("findText"))->setText(lastDetail);
    dialog->findChild<QRadioButton*>(QStringLiteral("findUp"))->setChecked(true);
    int selected = -1;
    const auto [wall, cpu] = medianMs([&] {
        grid.setCurrentIndex({});
        selected = dialog->findNext();
        app.processEvents();
    });
    std::printf("%-46s %8.1f ms wall, %8.1f ms processor (row %d, shown from row %d, %d boxes)\n",
                "查找下一个 up to the last row, shown", wall, cpu, selected, grid.rowAt(0), prompt.boxes());
    // A row placed by its key and made current, as after 保存: shown at once, however far down.
    const qint64 id = grid.value(total / 2, QStringLiteral("id")).toLongLong();
    int placed = -1;
    const auto [placeWall, placeCpu] = medianMs([&] {
        placed = model.locate(id).value();
        grid.setCurrentRow(placed);
        app.processEvents();
    });
    std::printf("%-46s %8.1f ms wall, %8.1f ms processor (row %d, shown from row %d)\n",
                "a row placed by its key, made current, shown", placeWall, placeCpu, placed, grid.rowAt(0));
    std::printf("rows the list holds after the searches: %d; %.0f MiB resident\n", model.rowCount(),
                ResidentMiB());
    return 0;
}
