#pragma once

#include "core/quote/localtime.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The times of a trip's legs on the airports' clocks.
//
// The first leg leaves at its typed local departure. Each later leg leaves at the
// previous leg's arrival plus its ground time, unless its own departure is typed; a
// typed departure before the previous arrival is refused (the aircraft is still in
// the air), as is a typed time the departure airport's clock skips. Every leg
// arrives its block minutes after it leaves, shown on the arrival airport's clock.
namespace Schedule {

struct TypedTime
{
    QDate date;
    QTime time;
};

struct LegInput
{
    LocalTime::AirportZone from;
    LocalTime::AirportZone to;
    int blockMinutes = 0;
    int groundMinutes = 0;              // on the ground before this leg
    std::optional<TypedTime> departure; // the local departure, when typed
};

struct LegTimes
{
    QDateTime departure; // instants
    QDateTime arrival;
    QString departureText; // "Fri 12 Jun 09:30 EDT"
    QString arrivalText;
    QString departureIso; // "2026-06-12T09:30:00-04:00"
    QString arrivalIso;
    QString dayShift; // the arrival's local date against the departure's: "+1", "-1", ""
};

struct Result
{
    QList<LegTimes> legs; // every leg, or none when refused
    QString refusal;      // names the leg: "Leg 2: ..."
    QStringList notes;    // typed times that occur twice, each naming its leg
};

Result compute(const QList<LegInput>& legs);

} // namespace Schedule
