// A 12-leg route timed again after the operator types a new departure: the whole quote
// (legs timed, the schedule on the airports' clocks, the hours priced), the timing alone,
// and beside them the floor: the same twelve departures and arrivals as bare Qt date
// arithmetic on the same zones, with their abbreviations.

#include "core/quote/quote.h"

#include <QLocale>
#include <QTimeZone>

#include <benchmark/benchmark.h>

namespace {

struct Stop
{
    const char* id;
    const char* zone;
    const char* degreesLat;
    qint16 minutesLat;
    const char* degreesLong;
    qint16 minutesLong;
};

// Round the world and back: summer time on both sides of the equator, half hours.
const Stop Stops[] = {
    {"KTEB", "America/New_York", "40", 51, "074", 3},
    {"EGLL", "Europe/London", "51", 28, "000", 27},
    {"LFPB", "Europe/Paris", "48", 57, "-002", 26},
    {"OMDB", "Asia/Dubai", "25", 15, "-055", 21},
    {"VIDP", "Asia/Kolkata", "28", 34, "-077", 6},
    {"RJTT", "Asia/Tokyo", "35", 33, "-139", 46},
    {"YSSY", "Australia/Sydney", "-33", 56, "-151", 10},
    {"NZAA", "Pacific/Auckland", "-37", 0, "-174", 47},
    {"PHNL", "Pacific/Honolulu", "21", 19, "157", 55},
    {"KSFO", "America/Los_Angeles", "37", 37, "122", 22},
    {"KASE", "America/Denver", "39", 13, "106", 52},
    {"CYQX", "America/St_Johns", "48", 56, "054", 34},
    {"KTEB", "America/New_York", "40", 51, "074", 3},
};

AircraftProfile longRange()
{
    AircraftProfile jet;
    jet.name = QStringLiteral("Long range");
    jet.cruiseKnots = 480;
    jet.windKnots = -15;
    jet.addOnPercent = 5;
    jet.terminalMinutes = 12;
    jet.taxiMinutes = 10;
    jet.hourlyRate = 8500;
    jet.groundMinutes = 90;
    return jet;
}

void buildRoute(Quote& quote)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    int row = 0;
    for (const Stop& stop : Stops) {
        RouteStop s;
        s.ID = QString::fromLatin1(stop.id);
        s.NAME = s.ID;
        s.Latitude = {QString::fromLatin1(stop.degreesLat), stop.minutesLat, 0};
        s.Longitude = {QString::fromLatin1(stop.degreesLong), stop.minutesLong, 0};
        s.TIME_ZONE_NAME = QString::fromLatin1(stop.zone);
        quote.route()->insertStop(row++, s);
    }
}

TripPlan planLeavingAt(int minute)
{
    TripPlan plan;
    plan.aircraft = longRange();
    plan.departure = Schedule::TypedTime{QDate(2026, 3, 28), QTime(8, minute % 60)};
    return plan;
}

void BM_QuoteRetimedAfterTypedDeparture(benchmark::State& state)
{
    PricingSettings settings;
    settings.base = QuoteBase::Hourly;
    Quote quote(settings);
    buildRoute(quote);
    int minute = 0;
    for (auto _ : state) {
        quote.setPlan(planLeavingAt(++minute));
        benchmark::DoNotOptimize(quote.sheet()->text(QuoteSheet::FinalQuote));
    }
}
BENCHMARK(BM_QuoteRetimedAfterTypedDeparture)->Unit(benchmark::kMicrosecond);

void BM_TimeTripTwelveLegs(benchmark::State& state)
{
    Quote quote(PricingSettings{});
    buildRoute(quote);
    int minute = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(timeTrip(quote.route()->legs(), planLeavingAt(++minute)));
}
BENCHMARK(BM_TimeTripTwelveLegs)->Unit(benchmark::kMicrosecond);

// The floor: twelve legs of fixed block times laid end to end in Qt's own date
// arithmetic, each departure and arrival shown on its zone with its abbreviation.
void BM_FloorQtZoneArithmetic(benchmark::State& state)
{
    QList<QTimeZone> zones;
    for (const Stop& stop : Stops)
        zones << QTimeZone(QByteArray(stop.zone));
    int minute = 0;
    for (auto _ : state) {
        QDateTime at(QDate(2026, 3, 28), QTime(8, ++minute % 60), zones.first());
        qsizetype total = 0;
        for (qsizetype leg = 1; leg < zones.size(); ++leg) {
            const QDateTime departure = at.toTimeZone(zones.at(leg - 1));
            const QDateTime arrival = departure.addSecs(4 * 3600).toTimeZone(zones.at(leg));
            total += departure.toString(QStringLiteral("ddd d MMM HH:mm")).size() +
                     zones.at(leg - 1).abbreviation(departure).size() +
                     arrival.toString(QStringLiteral("ddd d MMM HH:mm")).size() +
                     zones.at(leg).abbreviation(arrival).size();
            at = arrival.addSecs(90 * 60);
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_FloorQtZoneArithmetic)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
