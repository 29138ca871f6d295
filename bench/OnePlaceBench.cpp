// The figures of one place on the generated household, part of tamberlo_bench: the summary limited to a
// place, and 全部 of one place. Linked after the other window benchmarks so that these run after them, as
// they move one entry in ten to a bank card.
#include "app/mainForm.h"
#include "bench/WindowBenchHome.h"
#include "data/Database.h"
#include "household/Household.h"
#include "kit/DataGrid.h"
#include "ledger/EntryPanel.h"
#include "ledger/SummaryPanel.h"

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QRadioButton>
#include <QSqlQuery>

namespace {

using namespace WindowBenchHome;

// --- one place ------------------------------------------------------------------------------------

// The generated household has every entry in the home safe; one in ten goes to the bank card 招商银行
// here, once, in the benchmarks' copy. Argument 0 of the cases below is that card, 1 the home safe.
const char* const kPlaceLabels[] = {"招商银行（银行卡）", "家庭保险柜（现金）"};

void spreadOverPlaces() {
    static const bool spread = [] {
        QSqlQuery q(mainWindow().household().database.connection());
        if (!q.exec(QStringLiteral("update shouzhibiao set zhanghu=(select id from zhangwubiao where "
                                   "mingcheng='招商银行') where id%10=0")))
            qFatal("cannot move entries to the card");
        return true;
    }();
    (void)spread;
}

void choosePlace(QWidget* panel, const char* box, int which) {
    auto* places = panel->findChild<QComboBox*>(QString::fromLatin1(box));
    places->setCurrentIndex(places->findText(QString::fromUtf8(kPlaceLabels[which])));
    if (places->currentIndex() <= 0)
        qFatal("no place %s", kPlaceLabels[which]);
}

void BM_ComputePeriodTotalsOfOnePlace(benchmark::State& state) {
    spreadOverPlaces();
    state.SetLabel(QStringLiteral("%1 %2")
                       .arg(QLatin1String(kPeriodNames[state.range(0)]),
                            QLatin1String(state.range(1) == 0 ? "card" : "safe"))
                       .toStdString());
    bringToFront(0);
    auto* summary = panelOf<SummaryPanel>();
    choosePlace(summary, "ComboBoxPlaceFilter", int(state.range(1)));
    setSummaryPeriod(period(int(state.range(0))));
    for (auto _ : state)
        summary->ComputePeriodTotals();
    summary->findChild<QComboBox*>(QStringLiteral("ComboBoxPlaceFilter"))->setCurrentIndex(0);
}

// 全部 of one place: from today's list of that place to the first screen painted.
void BM_IncomeAllFirstScreenOfOnePlace(benchmark::State& state) {
    spreadOverPlaces();
    state.SetLabel(state.range(0) == 0 ? "card" : "safe");
    bringToFront(1);
    EntryPanel* income = incomePanel();
    auto* todayChoice = income->findChild<QRadioButton*>(QStringLiteral("RadioButton13"));
    auto* allChoice = income->findChild<QRadioButton*>(QStringLiteral("RadioButton14"));
    auto* grid = income->findChild<DataGrid*>(QStringLiteral("DBGridEh1"));
    todayChoice->click();
    choosePlace(income, "ComboBoxListPlace", int(state.range(0)));
    QCoreApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        todayChoice->click();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        allChoice->click();
        grid->viewport()->repaint();
    }
    state.counters["rows_fetched"] = grid->model()->rowCount();
    todayChoice->click();
    income->findChild<QComboBox*>(QStringLiteral("ComboBoxListPlace"))->setCurrentIndex(0);
}

constexpr auto kMs = benchmark::kMillisecond;

BENCHMARK(BM_ComputePeriodTotalsOfOnePlace)
    ->Unit(kMs)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_IncomeAllFirstScreenOfOnePlace)->Unit(kMs)->Arg(0)->Arg(1);

}  // namespace
