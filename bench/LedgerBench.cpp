// The summary's queries on a generated household: 20 years of entries, 41 details, one in five an income.
// TAMBERLO_BENCH_ENTRIES sets the number of entries (default 1,000,000).
#include "data/Database.h"
#include "data/Statements.h"
#include "ledger/LedgerTotals.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

struct Household {
    QTemporaryDir dir;
    Database database;

    Household() {
        const qint64 entries = qEnvironmentVariableIsSet("TAMBERLO_BENCH_ENTRIES")
                                   ? qEnvironmentVariable("TAMBERLO_BENCH_ENTRIES").toLongLong()
                                   : 1000000;
        if (!database.open(dir.filePath(QStringLiteral("database/lomu.mdb"))))
            qFatal("cannot create the household");
        QSqlQuery q(database.connection());
        q.prepare(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i < :last) "
            "INSERT INTO shouzhibiao (leixing,mingxi,feiyong,shururiqi,dengjiren) "
            "SELECT CASE WHEN i%5=0 THEN 'shouru' ELSE 'zhichu' END, 'detail'||(i%41), (i%997)*10000, "
            "date('2005-01-01', '+'||(i*7305/:count)||' days'), 'bench' FROM n"));
        q.bindValue(QStringLiteral(":last"), entries - 1);
        q.bindValue(QStringLiteral(":count"), entries);
        if (!q.exec())
            qFatal("cannot fill the household");
    }
};

Household& household() {
    static Household h;
    return h;
}

void totals(benchmark::State& state, QDate first, QDate last) {
    QSqlDatabase db = household().database.connection();
    for (auto _ : state)
        benchmark::DoNotOptimize(TotalsOfPeriod(db, first, last).isOk());
}

void BM_TotalsOfAMonth(benchmark::State& state) {
    totals(state, QDate(2024, 12, 1), QDate(2024, 12, 31));
}
void BM_TotalsOfAYear(benchmark::State& state) {
    totals(state, QDate(2024, 1, 1), QDate(2024, 12, 31));
}
void BM_TotalsOfTwentyYears(benchmark::State& state) {
    totals(state, QDate(2005, 1, 1), QDate(2024, 12, 31));
}
void BM_ExpenseDetailChartOfAYear(benchmark::State& state) {
    QSqlDatabase db = household().database.connection();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            DetailTotalsOfPeriod(db, QDate(2024, 1, 1), QDate(2024, 12, 31), QStringLiteral("zhichu"))
                .isOk());
    }
}
void BM_DetailChoicesOfBothTypes(benchmark::State& state) {
    QSqlDatabase db = household().database.connection();
    for (auto _ : state) {
        benchmark::DoNotOptimize(DistinctDetails(db, QStringLiteral("shouru")).isOk());
        benchmark::DoNotOptimize(DistinctDetails(db, QStringLiteral("zhichu")).isOk());
    }
}

BENCHMARK(BM_TotalsOfAMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TotalsOfAYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TotalsOfTwentyYears)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpenseDetailChartOfAYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DetailChoicesOfBothTypes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    household();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
