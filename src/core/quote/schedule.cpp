#include "core/quote/schedule.h"

namespace Schedule {

namespace {

QString legPrefix(qsizetype index)
{
    return QStringLiteral("Leg %1: ").arg(index + 1);
}

// The refusal of a leg whose airport has no clock, or an empty text.
QString withoutClock(const LocalTime::AirportZone& zone)
{
    if (zone.isValid())
        return QString();
    return QStringLiteral("%1 has neither a time zone name nor a time zone; its local times "
                          "cannot be shown.")
        .arg(zone.airport());
}

Result refused(qsizetype index, const QString& why)
{
    Result result;
    result.refusal = legPrefix(index) + why;
    return result;
}

} // namespace

Result compute(const QList<LegInput>& legs)
{
    Result result;
    for (qsizetype i = 0; i < legs.size(); ++i) {
        const LegInput& leg = legs[i];
        for (const auto* zone : {&leg.from, &leg.to}) {
            if (const QString why = withoutClock(*zone); !why.isEmpty())
                return refused(i, why);
        }
        LegTimes times;
        if (leg.departure) {
            const LocalTime::Resolved typed =
                LocalTime::resolve(leg.from, leg.departure->date, leg.departure->time);
            if (!typed.refusal.isEmpty())
                return refused(i, typed.refusal);
            if (!typed.note.isEmpty())
                result.notes << legPrefix(i) + typed.note;
            times.departure = typed.instant;
            if (i > 0 && times.departure < result.legs.last().arrival)
                return refused(i, QStringLiteral("the departure typed, %1, is before the "
                                                 "arrival of leg %2, %3.")
                                      .arg(LocalTime::displayText(times.departure, leg.from))
                                      .arg(i)
                                      .arg(result.legs.last().arrivalText));
        } else if (i == 0) {
            return refused(i, QStringLiteral("the departure date and time are needed."));
        } else {
            times.departure = result.legs.last().arrival.addSecs(qint64(leg.groundMinutes) * 60);
        }
        times.arrival = times.departure.addSecs(qint64(leg.blockMinutes) * 60);
        times.departureText = LocalTime::displayText(times.departure, leg.from);
        times.arrivalText = LocalTime::displayText(times.arrival, leg.to);
        times.departureIso = LocalTime::isoText(times.departure, leg.from);
        times.arrivalIso = LocalTime::isoText(times.arrival, leg.to);
        times.dayShift = LocalTime::dayShift(times.departure, leg.from, times.arrival, leg.to);
        result.legs << times;
    }
    return result;
}

} // namespace Schedule
