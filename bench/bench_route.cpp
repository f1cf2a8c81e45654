#include "core/quote/routemodel.h"

#include <QLocale>

#include <benchmark/benchmark.h>

namespace {

const RouteStop Stops[] = {
    {QStringLiteral("KTEB"),
     QStringLiteral("TETERBORO"),
     {QStringLiteral("40"), 51, 0.364},
     {QStringLiteral("074"), 3, 38.876}},
    {QStringLiteral("EGLL"),
     QStringLiteral("LONDON HEATHROW"),
     {QStringLiteral("51"), 28, 14.693},
     {QStringLiteral("000"), 27, 35.672}},
    {QStringLiteral("LFPB"),
     QStringLiteral("PARIS LE BOURGET"),
     {QStringLiteral("48"), 57, 44.194},
     {QStringLiteral("-002"), 26, 11.54}},
};
const RouteStop Seqm{QStringLiteral("SEQM"),
                     QStringLiteral("QUITO MARISCAL SUCRE"),
                     {QStringLiteral("-00"), 7, 31.436},
                     {QStringLiteral("078"), 21, 15.502}};

// A stop inserted in the middle of a 50-stop route: the leg to it, the following
// stop's leg taken out and recomputed, and the change announced to the views. The
// removal that puts the route back is left out of the time, so the reported time per
// iteration is the time of one insertion.
void BM_InsertStopMiddle(benchmark::State& state)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    RouteModel route;
    for (int i = 0; i < 50; ++i)
        route.insertStop(i, Stops[i % 3]);
    for (auto _ : state) {
        route.insertStop(25, Seqm);
        state.PauseTiming();
        route.removeStop(25);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InsertStopMiddle);

// The same insertion and its removal timed together, free of the pause overhead.
void BM_InsertAndRemoveStopMiddle(benchmark::State& state)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    RouteModel route;
    for (int i = 0; i < 50; ++i)
        route.insertStop(i, Stops[i % 3]);
    for (auto _ : state) {
        route.insertStop(25, Seqm);
        route.removeStop(25);
    }
}
BENCHMARK(BM_InsertAndRemoveStopMiddle);

} // namespace

BENCHMARK_MAIN();
