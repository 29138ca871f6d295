// tamberlo_bench --household=<generated file> [Google Benchmark flags]
// tamberlo_bench --household=<generated file> --screenshots=<prefix>   (pictures of the charts instead)
// tamberlo_bench --household=<generated file> --server=<connection>     (the same household on a server,
//                                                                         loaded by tamberlo-server-load)
//
// The program's operations on a generated household, today pinned to its last day: the main window's
// creation and first showing, the summary's totals and detail charts, the income panel's lists, the
// bank panel, the records window, today's reminders and the two saves. The benchmarks named Shell_...
// time the bare sqlite3 shell running the same statements with literal values on the same file, so that
// each figure can be set against the engine's own.
#include "app/WorkArea.h"
#include "app/mainForm.h"
#include "bank/BankMoves.h"
#include "bank/BankPanel.h"
#include "bank/BankPlaces.h"
#include "bank/cunquxx.h"
#include "bench/BenchSupport.h"
#include "bench/HouseholdGenerator.h"
#include "bench/WindowBenchHome.h"
#include "data/Database.h"
#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "data/Statements.h"
#include "kit/DataGrid.h"
#include "kit/PieChart.h"
#include "kit/Today.h"
#include "ledger/EntryBook.h"
#include "ledger/EntryList.h"
#include "ledger/EntryPanel.h"
#include "ledger/LedgerTotals.h"
#include "ledger/SummaryPanel.h"
#include "reminders/Reminders.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

namespace {

using namespace WindowBenchHome;

QByteArray totalsStatement(const Period& p) {
    return literal(Sql::kPeriodTotals, {{QStringLiteral(":qishi"), dateLiteral(p.first)},
                                        {QStringLiteral(":jishu"), dateLiteral(p.last)}});
}

QByteArray detailStatements(const Period& p) {
    QByteArray both;
    for (const char* type : {Codes::kIncome, Codes::kExpense}) {
        both += literal(Sql::kDetailTotals, {{QStringLiteral(":qishi"), dateLiteral(p.first)},
                                             {QStringLiteral(":jishu"), dateLiteral(p.last)},
                                             {QStringLiteral(":mxlx"), SqlText(QString::fromLatin1(type))}});
    }
    return both;
}

// Times the shell on the statements, repeating them about as often as fills 0.4 s at the given
// estimate of one run.
// Times the shell on the statements, taking turns with the program's own run of them (`ours`) so that
// both see the same load: five rounds, the median of each side. Short statements are repeated about as
// often as fills 0.4 s and timed from outside; from 20 ms up the shell's own timer is exact enough. The
// benchmark's time is the shell's; the counter ours_ms the program's, taken in the same rounds.
void timeShell(benchmark::State& state, const QByteArray& statements, double estimate, int statementsPerRun,
               const std::function<void()>& ours) {
    constexpr int kRounds = 5;
    const bool timedInside = estimate >= 0.02;
    const int repeats = std::clamp(int(0.4 / std::max(estimate, 1e-6)), 3, 2000);
    const int oursRepeats = std::clamp(int(0.2 / std::max(estimate, 1e-6)), 1, 2000);
    QList<double> shell;
    QList<double> program;
    for (auto _ : state) {
        for (int r = 0; r < kRounds; ++r) {
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < oursRepeats; ++i)
                ours();
            program.append(double(timer.nsecsElapsed()) / 1e9 / oursRepeats);
            const double seconds =
                timedInside ? ShellTimedSecondsPerRun(homeDatabaseFile(), statements, statementsPerRun, 3)
                            : ShellSecondsPerRun(homeDatabaseFile(), {}, statements, repeats, 1);
            if (seconds < 0) {
                state.SkipWithError("sqlite3 failed");
                return;
            }
            shell.append(seconds);
        }
    }
    std::sort(shell.begin(), shell.end());
    std::sort(program.begin(), program.end());
    state.SetIterationTime(shell[shell.size() / 2]);
    state.counters["ours_ms"] = program[program.size() / 2] * 1e3;
    state.counters["repeats"] = timedInside ? 3 : repeats;
}

template <typename F>
double estimateSeconds(F&& run) {
    run();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 3; ++i)
        run();
    return double(timer.nsecsElapsed()) / 3e9;
}

// --- the main window -------------------------------------------------------------------------------

void BM_MainWindowCreated(benchmark::State& state) {
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto form = std::make_unique<TForm1>(homeFolder());
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
}

void BM_FirstShowingAfterLogin(benchmark::State& state) {
    for (auto _ : state) {
        auto form = std::make_unique<TForm1>(homeFolder());
        state.SetIterationTime(showAndLogIn(*form) / 1e3);
    }
}

// --- the summary ------------------------------------------------------------------------------------

void BM_ComputePeriodTotals(benchmark::State& state) {
    namePeriod(state);
    bringToFront(0);
    setSummaryPeriod(period(int(state.range(0))));
    auto* summary = panelOf<SummaryPanel>();
    for (auto _ : state)
        summary->ComputePeriodTotals();
}

void BM_TotalsQuery(benchmark::State& state) {
    namePeriod(state);
    const Period p = period(int(state.range(0)));
    QSqlDatabase db = mainWindow().household().database.connection();
    for (auto _ : state)
        benchmark::DoNotOptimize(TotalsOfPeriod(db, p.first, p.last).isOk());
}

void BM_Shell_Totals(benchmark::State& state) {
    namePeriod(state);
    const Period p = period(int(state.range(0)));
    QSqlDatabase db = mainWindow().household().database.connection();
    const auto ours = [&] { (void)TotalsOfPeriod(db, p.first, p.last); };
    timeShell(state, totalsStatement(p), estimateSeconds(ours), 1, ours);
}

void BM_DetailCharts(benchmark::State& state) {
    namePeriod(state);
    bringToFront(0);
    setSummaryPeriod(period(int(state.range(0))));
    auto* summary = panelOf<SummaryPanel>();
    auto* income = summary->findChild<QToolButton*>(QStringLiteral("SpeedButton7"));
    auto* expense = summary->findChild<QToolButton*>(QStringLiteral("SpeedButton8"));
    for (auto _ : state) {
        income->click();
        expense->click();
    }
}

void BM_DetailQueries(benchmark::State& state) {
    namePeriod(state);
    const Period p = period(int(state.range(0)));
    QSqlDatabase db = mainWindow().household().database.connection();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            DetailTotalsOfPeriod(db, p.first, p.last, QString::fromLatin1(Codes::kIncome)).isOk());
        benchmark::DoNotOptimize(
            DetailTotalsOfPeriod(db, p.first, p.last, QString::fromLatin1(Codes::kExpense)).isOk());
    }
}

void BM_Shell_DetailCharts(benchmark::State& state) {
    namePeriod(state);
    const Period p = period(int(state.range(0)));
    QSqlDatabase db = mainWindow().household().database.connection();
    const auto ours = [&] {
        (void)DetailTotalsOfPeriod(db, p.first, p.last, QString::fromLatin1(Codes::kIncome));
        (void)DetailTotalsOfPeriod(db, p.first, p.last, QString::fromLatin1(Codes::kExpense));
    };
    timeShell(state, detailStatements(p), estimateSeconds(ours), 2, ours);
}

// The ring of the period's expenses on the summary: its grouped sums read, the largest details and the
// rest picked, and the ring with its legend painted.
void BM_ExpensePie(benchmark::State& state) {
    namePeriod(state);
    bringToFront(0);
    const Period p = period(int(state.range(0)));
    auto* summary = panelOf<SummaryPanel>();
    auto* pie = summary->findChild<PieChart*>(QStringLiteral("ExpensePie"));
    QImage image(pie->size(), QImage::Format_ARGB32_Premultiplied);
    QList<double> paints;
    for (auto _ : state) {
        summary->showExpensePicture({p.first, p.last});
        QElapsedTimer paint;
        paint.start();
        pie->render(&image);
        paints.append(double(paint.nsecsElapsed()) / 1e6);
    }
    std::sort(paints.begin(), paints.end());
    state.counters["slices"] = double(pie->slices().size());
    state.counters["paint_ms"] = paints[paints.size() / 2];
}

// --- the income panel -------------------------------------------------------------------------------

void BM_LoadTodayIncome(benchmark::State& state) {
    bringToFront(1);
    EntryPanel* income = incomePanel();
    for (auto _ : state)
        income->LoadToday();
}

// 全部: from today's list to the first screen of all incomes painted.
void BM_IncomeAllFirstScreen(benchmark::State& state) {
    bringToFront(1);
    EntryPanel* income = incomePanel();
    auto* todayChoice = income->findChild<QRadioButton*>(QStringLiteral("RadioButton13"));
    auto* allChoice = income->findChild<QRadioButton*>(QStringLiteral("RadioButton14"));
    auto* grid = income->findChild<DataGrid*>(QStringLiteral("DBGridEh1"));
    todayChoice->click();
    QCoreApplication::processEvents();
    const double heapBefore = HeapInUseMiB();
    const double residentBefore = ResidentMiB();
    allChoice->click();
    grid->viewport()->repaint();
    const double added = HeapInUseMiB() - heapBefore;
    const double residentAdded = ResidentMiB() - residentBefore;
    for (auto _ : state) {
        state.PauseTiming();
        todayChoice->click();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        allChoice->click();
        grid->viewport()->repaint();
    }
    state.counters["added_MiB"] = added;
    state.counters["resident_added_MiB"] = residentAdded;
    state.counters["rows_fetched"] = grid->model()->rowCount();
    todayChoice->click();
}

// --- the bank panel, the records window, the reminders ----------------------------------------------

void BM_RefreshBankPanel(benchmark::State& state) {
    bringToFront(3);
    auto* bank = panelOf<BankPanel>();
    for (auto _ : state)
        bank->RefreshBankPanel();
}

// The places' balances and what they add up to as the bank panel shows them: the figures read, the
// panel refreshed (its list, chart and sums read again) and painted. read_ms: the figures' read alone.
void BM_PlaceBalancesShown(benchmark::State& state) {
    bringToFront(3);
    auto* bank = panelOf<BankPanel>();
    QSqlDatabase db = mainWindow().household().database.connection();
    qint64 readNs = 0;
    qint64 places = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const Result<PlaceFigures> figures = ReadPlaceFigures(db);
        readNs += timer.nsecsElapsed();
        if (!figures) {
            state.SkipWithError("ReadPlaceFigures failed");
            return;
        }
        places = figures->places.size();
        bank->RefreshBankPanel();
        bank->repaint();
    }
    state.counters["read_ms"] = double(readNs) / 1e6 / double(std::max<int64_t>(state.iterations(), 1));
    state.counters["places"] = double(places);
}

void BM_OpenRecordsWindow(benchmark::State& state) {
    Household& household = mainWindow().household();
    for (auto _ : state) {
        auto form = std::make_unique<TForm5>(household, &mainWindow());
        form->show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// A header of 全部 on the expense panel clicked: from the click to the first screen of the new order
// painted. Argument: the column (0 明细, 1 金额, 3 登记日期)
// and whether it is the second click (the order turned round). The expenses are most of the entries.
void BM_SortByHeader(benchmark::State& state) {
    const int section = int(state.range(0));
    const bool second = state.range(1) != 0;
    static const char* const kNames[] = {"明细", "金额", "", "日期"};
    state.SetLabel(
        QStringLiteral("%1 %2")
            .arg(QString::fromUtf8(kNames[section]), QLatin1String(second ? "second click" : "first click"))
            .toStdString());
    bringToFront(2);
    auto* expense = static_cast<EntryPanel*>(mainWindow().panels().expense());
    auto* todayChoice = expense->findChild<QRadioButton*>(QStringLiteral("RadioButton11"));
    auto* allChoice = expense->findChild<QRadioButton*>(QStringLiteral("RadioButton12"));
    auto* grid = expense->findChild<DataGrid*>(QStringLiteral("DBGridEh2"));
    todayChoice->click();
    allChoice->click();
    QCoreApplication::processEvents();
    QHeaderView* header = grid->horizontalHeader();
    // Another column first, so that the click timed is the first or the second on this one.
    const int other = section == 1 ? 0 : 1;
    for (auto _ : state) {
        state.PauseTiming();
        Q_EMIT header->sectionClicked(other);
        if (second)
            Q_EMIT header->sectionClicked(section);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        Q_EMIT header->sectionClicked(section);
        grid->viewport()->repaint();
    }
    state.counters["rows_fetched"] = grid->model()->rowCount();
}

// A header of the records window clicked: from the click to the first screen of deposits painted.
// Argument: the column (1 存款金额, 2 存款日期).
void BM_SortRecordsByHeader(benchmark::State& state) {
    Household& household = mainWindow().household();
    auto form = std::make_unique<TForm5>(household, &mainWindow());
    form->show();
    QCoreApplication::processEvents();
    auto* grid = form->findChild<QTableView*>(QStringLiteral("StringGrid1"));
    QHeaderView* header = grid->horizontalHeader();
    const int section = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Q_EMIT header->sectionClicked(section == 1 ? 2 : 1);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        Q_EMIT header->sectionClicked(section);
        grid->viewport()->repaint();
    }
}

void BM_ShowTodayReminders(benchmark::State& state) {
    QSqlDatabase db = mainWindow().household().database.connection();
    auto& prompt = static_cast<QuietPrompt&>(Prompt::current());
    const int boxesBefore = prompt.boxes();
    for (auto _ : state)
        ShowTodayReminders(db);
    state.counters["boxes"] = prompt.boxes() - boxesBefore;
    state.counters["due"] = prompt.lastText().count(kStarLine) - 1;
}

// --- the saves --------------------------------------------------------------------------------------

const QString kRegistrar = QStringLiteral("爸爸");
const QString kBank = QStringLiteral("工商银行");

QByteArray pragmas() {
    return QByteArrayLiteral("PRAGMA journal_mode = WAL;\nPRAGMA synchronous = FULL;\n");
}

// The disk's flush dominates a save and varies with whatever else writes to the disk, so the program's
// saves and the shell's take turns: rounds of a batch each, the median of the rounds on either side.
// The benchmark's time is the program's save; the counter shell_ms the shell's.
void saveVersusShell(benchmark::State& state, const std::function<bool()>& save,
                     const QByteArray& statements) {
    constexpr int kBatch = 40;
    constexpr int kRounds = 5;
    QList<double> ours;
    QList<double> shell;
    for (auto _ : state) {
        for (int r = 0; r < kRounds; ++r) {
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < kBatch; ++i) {
                if (!save()) {
                    state.SkipWithError("save failed");
                    return;
                }
            }
            ours.append(double(timer.nsecsElapsed()) / 1e9 / kBatch);
            const double s = ShellSecondsPerRun(homeDatabaseFile(), pragmas(), statements, kBatch, 1);
            if (s < 0) {
                state.SkipWithError("sqlite3 failed");
                return;
            }
            shell.append(s);
        }
    }
    std::sort(ours.begin(), ours.end());
    std::sort(shell.begin(), shell.end());
    state.SetIterationTime(ours[ours.size() / 2]);
    state.counters["shell_ms"] = shell[shell.size() / 2] * 1e3;
}

void BM_SaveEntry(benchmark::State& state) {
    Household& household = mainWindow().household();
    EntryBook book(household.database, household.homeSafe, EntryType::Income);
    const EntryText entry{QStringLiteral("工资"), Money::fromUnits(100'0000), ShortDate(today()), kRegistrar,
                          QString()};
    const QByteArray safe = SqlText(QString::fromUtf8(Codes::kHomeSafe));
    const QByteArray statements =
        "BEGIN;\n" +
        literal(Sql::kWriteBalance,
                {{QStringLiteral(":jingestr"), "123450000"}, {QStringLiteral(":jtbxg"), safe}}) +
        literal(Sql::kInsertEntry,
                {{QStringLiteral(":leixing"), SqlText(QString::fromLatin1(Codes::kIncome))},
                 {QStringLiteral(":mingxi"), SqlText(QStringLiteral("工资"))},
                 {QStringLiteral(":feiyong"), "1000000"},
                 {QStringLiteral(":shururiqi"), dateLiteral(today())},
                 {QStringLiteral(":dengjiren"), SqlText(kRegistrar)},
                 {QStringLiteral(":beizhu"), "''"},
                 {QStringLiteral(":zhanghu"), "(SELECT id FROM zhangwubiao WHERE mingcheng=" + safe + ")"}}) +
        "COMMIT;\n";
    saveVersusShell(
        state, [&] { return book.save(std::nullopt, entry).isOk(); }, statements);
}

void BM_SaveDeposit(benchmark::State& state) {
    Household& household = mainWindow().household();
    // Enough cash at home for every deposit below.
    EntryBook book(household.database, household.homeSafe, EntryType::Income);
    (void)book.save(
        std::nullopt,
        {QStringLiteral("奖金"), Money::fromUnits(1'000'000'0000), ShortDate(today()), kRegistrar, {}});
    const MoveRequest request{MoveKind::Deposit, kBank, QStringLiteral("1"), kRegistrar, today()};
    const QByteArray bank = SqlText(kBank);
    const QByteArray statements =
        "BEGIN;\n" +
        literal(Sql::kWriteBalance,
                {{QStringLiteral(":jingestr"), "123450000"},
                 {QStringLiteral(":jtbxg"), SqlText(QString::fromUtf8(Codes::kHomeSafe))}}) +
        literal(Sql::kReadBalance, {{QStringLiteral(":jtbxg"), bank}}) +
        literal(Sql::kWriteBalance,
                {{QStringLiteral(":jingestr"), "543210000"}, {QStringLiteral(":jtbxg"), bank}}) +
        literal(Sql::kInsertTransaction,
                {{QStringLiteral(":mingcheng"), bank},
                 {QStringLiteral(":jine"), "10000"},
                 {QStringLiteral(":leixing"), SqlText(QString::fromLatin1(Codes::kDeposit))},
                 {QStringLiteral(":riqi"), dateLiteral(today())},
                 {QStringLiteral(":caozuoren"), SqlText(kRegistrar)}}) +
        "COMMIT;\n";
    saveVersusShell(
        state,
        [&] {
            return PerformMove(household.database, household.homeSafe, request).kind ==
                   MoveOutcome::Kind::Done;
        },
        statements);
}

// --- 保存 and 删除 while 全部 is shown on the expense panel (most of the entries) ----------------------

EntryPanel* expensePanel() {
    return static_cast<EntryPanel*>(mainWindow().panels().expense());
}

// Answers every question with Yes, so that 删除 goes through.
class YesPrompt final : public Prompt {
  public:
    YesPrompt() : before_(&Prompt::current()) { Prompt::install(this); }
    ~YesPrompt() override { Prompt::install(before_); }
    Answer show(const QString&, const QString&, Buttons buttons, Icon) override {
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }

  private:
    Prompt* before_;
};

// The detail of a saved expense: the last of the details (the row lands near the end of 全部) or the
// one in the middle of them.
QString expenseDetail(int which) {
    const Result<QStringList> details =
        DistinctDetails(mainWindow().household().database.connection(), QString::fromLatin1(Codes::kExpense));
    if (!details || details->isEmpty())
        qFatal("no expense details");
    return which == 0 ? details->last() : details->at(details->size() / 2);
}

// 添加, detail and amount typed, then the click on 保存 timed until the list shows the saved row
// selected (painted); then the click on 删除 of that row timed the same way.
void BM_SaveAndDeleteWithAllShown(benchmark::State& state) {
    bringToFront(2);
    EntryPanel* expense = expensePanel();
    const QString detail = expenseDetail(int(state.range(0)));
    state.SetLabel(state.range(0) == 0 ? "last detail" : "middle detail");
    auto* allChoice = expense->findChild<QRadioButton*>(QStringLiteral("RadioButton12"));
    auto* grid = expense->findChild<DataGrid*>(QStringLiteral("DBGridEh2"));
    auto* add = expense->findChild<QToolButton*>(QStringLiteral("SpeedButton17"));
    auto* save = expense->findChild<QToolButton*>(QStringLiteral("SpeedButton21"));
    auto* remove = expense->findChild<QToolButton*>(QStringLiteral("SpeedButton22"));
    auto* detailBox = expense->findChild<QComboBox*>(QStringLiteral("DBComboBox2"));
    auto* amountBox = expense->findChild<QLineEdit*>(QStringLiteral("DBEdit5"));
    allChoice->click();
    QCoreApplication::processEvents();
    // The list reads its landmarks in the background once 全部 is shown; a user typing an entry gives it
    // more than the time it takes, which is reported as its own figure.
    auto* list = expense->findChild<EntryListModel*>();
    QElapsedTimer landmarks;
    landmarks.start();
    while (list && !list->hasLandmarks() && landmarks.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    state.counters["landmarks_ms"] = double(landmarks.nsecsElapsed()) / 1e6;
    YesPrompt yes;
    QList<double> saves;
    QList<double> deletions;
    int selectedRow = -1;
    bool selectedSaved = true;
    for (auto _ : state) {
        add->click();
        detailBox->setEditText(detail);
        amountBox->setText(QStringLiteral("1"));
        QElapsedTimer timer;
        timer.start();
        save->click();
        grid->viewport()->repaint();
        saves.append(double(timer.nsecsElapsed()) / 1e9);
        selectedRow = grid->currentRow();
        selectedSaved = selectedSaved && selectedRow >= 0 &&
                        grid->value(selectedRow, QStringLiteral("mingxi")).toString() == detail &&
                        amountBox->text() == QStringLiteral("1");
        timer.start();
        remove->click();
        grid->viewport()->repaint();
        deletions.append(double(timer.nsecsElapsed()) / 1e9);
        state.SetIterationTime(saves.last() + deletions.last());
    }
    std::sort(saves.begin(), saves.end());
    std::sort(deletions.begin(), deletions.end());
    state.counters["save_ms"] = saves[saves.size() / 2] * 1e3;
    state.counters["delete_ms"] = deletions[deletions.size() / 2] * 1e3;
    state.counters["row"] = selectedRow;
    state.counters["saved_row_selected"] = selectedSaved ? 1 : 0;
    expense->findChild<QRadioButton*>(QStringLiteral("RadioButton11"))->click();
}

void periods(benchmark::internal::Benchmark* b) {
    for (int i = 0; i < 4; ++i)
        b->Arg(i);
}

constexpr auto kMs = benchmark::kMillisecond;

BENCHMARK(BM_MainWindowCreated)->Unit(kMs)->UseManualTime()->Iterations(5);
BENCHMARK(BM_FirstShowingAfterLogin)->Unit(kMs)->UseManualTime()->Iterations(5);
BENCHMARK(BM_ComputePeriodTotals)->Unit(kMs)->Apply(periods)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_TotalsQuery)->Unit(kMs)->Apply(periods)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_Shell_Totals)->Unit(kMs)->Apply(periods)->UseManualTime()->Iterations(1);
BENCHMARK(BM_DetailCharts)->Unit(kMs)->Apply(periods)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_DetailQueries)->Unit(kMs)->Apply(periods)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_Shell_DetailCharts)->Unit(kMs)->Apply(periods)->UseManualTime()->Iterations(1);
BENCHMARK(BM_ExpensePie)->Unit(kMs)->Apply(periods)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadTodayIncome)->Unit(kMs);
BENCHMARK(BM_IncomeAllFirstScreen)->Unit(kMs);
BENCHMARK(BM_RefreshBankPanel)->Unit(kMs);
BENCHMARK(BM_PlaceBalancesShown)->Unit(kMs);
BENCHMARK(BM_OpenRecordsWindow)->Unit(kMs)->Iterations(3);
BENCHMARK(BM_ShowTodayReminders)->Unit(kMs);
BENCHMARK(BM_SortByHeader)
    ->Unit(kMs)
    ->ArgsProduct({{0, 1, 3}, {0, 1}})
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SortRecordsByHeader)->Unit(kMs)->Arg(1)->Arg(2)->Iterations(5);
BENCHMARK(BM_SaveEntry)->Unit(kMs)->UseManualTime()->Iterations(1);
BENCHMARK(BM_SaveDeposit)->Unit(kMs)->UseManualTime()->Iterations(1);
BENCHMARK(BM_SaveAndDeleteWithAllShown)->Unit(kMs)->UseManualTime()->Arg(0)->Arg(1)->Iterations(5);

// Pictures of the main window with the summary's expense chart of this year and with the bank panel,
// to look at the charts drawn on a large household.
void saveScreenshots(const QString& prefix) {
    TForm1& form = mainWindow();
    bringToFront(0);
    setSummaryPeriod(period(2));
    panelOf<SummaryPanel>()->findChild<QToolButton*>(QStringLiteral("SpeedButton8"))->click();
    QCoreApplication::processEvents();
    form.grab().save(prefix + QStringLiteral("-summary.png"));
    bringToFront(3);
    form.grab().save(prefix + QStringLiteral("-bank.png"));
    auto records = std::make_unique<TForm5>(form.household(), &form);
    records->show();
    QCoreApplication::processEvents();
    records->grab().save(prefix + QStringLiteral("-records.png"));
}

}  // namespace

int main(int argc, char** argv) {
    // Our own options are taken out before Google Benchmark reads the rest.
    std::vector<char*> rest;
    QString screenshots;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--household=", 12) == 0)
            sourceHousehold = QString::fromLocal8Bit(argv[i] + 12);
        else if (std::strncmp(argv[i], "--server=", 9) == 0)
            serverConnection = QString::fromLocal8Bit(argv[i] + 9);
        else if (std::strncmp(argv[i], "--screenshots=", 14) == 0)
            screenshots = QString::fromLocal8Bit(argv[i] + 14);
        else
            rest.push_back(argv[i]);
    }
    int restCount = int(rest.size());
    if (sourceHousehold.isEmpty()) {
        std::fprintf(stderr, "usage: tamberlo_bench --household=<file> [benchmark options]\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(restCount, rest.data());
    PinToday(kGeneratedToday);
    QuietPrompt prompt;
    if (!screenshots.isEmpty()) {
        saveScreenshots(screenshots);
    } else {
        benchmark::Initialize(&restCount, rest.data());
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    sharedMainWindow.reset();
    return 0;
}
