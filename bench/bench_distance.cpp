#include "core/distance.h"

#include <QLocale>

#include <benchmark/benchmark.h>

namespace {

// New York JFK to London Heathrow, as the route holds the two airports.
const GeoPoint Jfk{{QStringLiteral("40"), 38, 23}, {QStringLiteral("073"), 46, 44}};
const GeoPoint Lhr{{QStringLiteral("51"), 28, 39}, {QStringLiteral("000"), 27, 41}};

void BM_LegDistanceNM(benchmark::State& state)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    for (auto _ : state) {
        double nm = LegDistanceNM(Jfk, Lhr);
        benchmark::DoNotOptimize(nm);
    }
}
BENCHMARK(BM_LegDistanceNM);

void BM_ComputeLeg(benchmark::State& state)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    for (auto _ : state) {
        LegDistance leg = ComputeLeg(Jfk, Lhr);
        benchmark::DoNotOptimize(leg);
    }
}
BENCHMARK(BM_ComputeLeg);

} // namespace

BENCHMARK_MAIN();
