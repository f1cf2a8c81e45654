#include "core/quote/triptimes.h"

#include "core/format.h"

TripTimes timeTrip(const QList<RouteLeg>& route, const TripPlan& plan)
{
    TripTimes trip;
    QList<Schedule::LegInput> inputs;
    for (int row = 1; row < route.size(); ++row) {
        TripLeg leg;
        if (plan.aircraft) {
            leg.time = AircraftRules::legTime(*plan.aircraft, route.at(row).DistanceNM);
            leg.flightText = AircraftRules::hoursMinutes(leg.time.flightMinutes);
            leg.blockText = AircraftRules::hoursMinutes(leg.time.blockMinutes);
            if (leg.time.beyondRange)
                trip.beyondRange << row;
        }
        trip.legs << leg;
        // The clocks of the airports only for a schedule: a quote without one (most of
        // them) never looks up a zone.
        if (!plan.hasTimes())
            continue;
        const RouteStop& from = route.at(row - 1).stop;
        const RouteStop& to = route.at(row).stop;
        Schedule::LegInput input;
        input.from = LocalTime::AirportZone::of(from.ID, from.TIME_ZONE_NAME, from.TIME_ZONE);
        input.to = LocalTime::AirportZone::of(to.ID, to.TIME_ZONE_NAME, to.TIME_ZONE);
        input.blockMinutes = leg.time.blockMinutes;
        input.groundMinutes = row > 1 && plan.aircraft ? plan.aircraft->groundMinutes : 0;
        if (row == 1)
            input.departure = plan.departure;
        else if (plan.laterDepartures.contains(row))
            input.departure = plan.laterDepartures.value(row);
        inputs << input;
    }
    QList<LegTime> times;
    for (const TripLeg& leg : trip.legs)
        times << leg.time;
    trip.billableTenths = AircraftRules::billableTenths(times);
    if (!plan.hasTimes() || inputs.isEmpty())
        return trip;
    const Schedule::Result schedule = Schedule::compute(inputs);
    trip.refusal = schedule.refusal;
    trip.notes = schedule.notes;
    for (int i = 0; i < schedule.legs.size() && i < trip.legs.size(); ++i)
        trip.legs[i].when = schedule.legs.at(i);
    return trip;
}

QStringList beyondRangeTexts(const QList<RouteLeg>& route, const TripPlan& plan,
                             const TripTimes& times)
{
    QStringList texts;
    if (!plan.aircraft)
        return texts;
    // A profile without a range is never beyond it; one without a ground speed is.
    const QString range =
        plan.aircraft->rangeNm
            ? QStringLiteral(" (%1 NM)")
                  .arg(Format::number(*plan.aircraft->rangeNm, Format::WholeMiles))
            : QString();
    for (const int leg : times.beyondRange) {
        if (leg < 1 || leg >= route.size())
            continue;
        texts << QStringLiteral("Leg %1 %2-%3: %4 NM is beyond the range of %5%6.")
                     .arg(QString::number(leg), route.at(leg - 1).stop.ID, route.at(leg).stop.ID,
                          route.at(leg).DistanceNM, plan.aircraft->name, range);
    }
    return texts;
}
