// The budgets on the generated household, part of tamberlo_bench: the 预算 window's first opening and
// each month shown once it is built, the check after an expense is saved, the summary's budget line.
// Ten expense 明细 and the whole month have a budget; half of them carry over from a year before.
#include "app/mainForm.h"
#include "bench/WindowBenchHome.h"
#include "data/Database.h"
#include "household/Household.h"
#include "ledger/LedgerTotals.h"
#include "plans/BudgetWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTableWidget>

#include <memory>

namespace {

using namespace WindowBenchHome;

QString budgetedDetail;

bool budgetsSet(benchmark::State& state) {
    static int ready = 0;
    if (ready != 0)
        return ready > 0;
    Household& household = mainWindow().household();
    ready = -1;
    const Result<QStringList> details =
        DistinctDetails(household.database.connection(), QStringLiteral("zhichu"));
    if (!details || details->isEmpty()) {
        state.SkipWithError("no expense details");
        return false;
    }
    QStringList chosen = details->mid(0, 10);
    chosen.prepend(QString());
    for (int i = 0; i < chosen.size(); ++i) {
        BudgetInput input;
        input.wholeMonth = chosen[i].isEmpty();
        input.detail = chosen[i];
        input.everyMonth = chosen[i].isEmpty() ? QStringLiteral("20000") : QStringLiteral("1500");
        input.rollover = i % 2 == 1;
        input.start = today().addMonths(-12);
        if (const Result<qint64> saved = SaveBudget(household.database, input); !saved) {
            state.SkipWithError(saved.error().toUtf8().constData());
            return false;
        }
    }
    budgetedDetail = chosen[1];
    ready = 1;
    return true;
}

void BM_BudgetWindowOpening(benchmark::State& state) {
    if (!budgetsSet(state))
        return;
    Household& household = mainWindow().household();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto window = std::make_unique<BudgetWindow>(household, today(), &mainWindow());
        window->show();
        QCoreApplication::processEvents();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        state.counters["rows"] = double(window->uses().size());
        window.reset();
        QCoreApplication::processEvents();
    }
}

void BM_BudgetWindowMonth(benchmark::State& state) {
    if (!budgetsSet(state))
        return;
    auto window = std::make_unique<BudgetWindow>(mainWindow().household(), today(), &mainWindow());
    window->show();
    QCoreApplication::processEvents();
    auto* grid = window->findChild<QTableWidget*>(QStringLiteral("BudgetGrid"));
    int step = 0;
    for (auto _ : state) {
        window->showMonth(today().addMonths(-(step++ % 2)));
        grid->viewport()->repaint();
    }
}

void BM_BudgetAlertCheck(benchmark::State& state) {
    if (!budgetsSet(state))
        return;
    Database& database = mainWindow().household().database;
    for (auto _ : state) {
        const Result<QStringList> said = BudgetAlerts(database, budgetedDetail, today());
        if (!said) {
            state.SkipWithError(said.error().toUtf8().constData());
            return;
        }
    }
}

void BM_BudgetSummaryLine(benchmark::State& state) {
    if (!budgetsSet(state))
        return;
    Database& database = mainWindow().household().database;
    for (auto _ : state)
        benchmark::DoNotOptimize(BudgetLine(database, today()));
}

BENCHMARK(BM_BudgetWindowOpening)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_BudgetWindowMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BudgetAlertCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BudgetSummaryLine)->Unit(benchmark::kMillisecond);

}  // namespace
