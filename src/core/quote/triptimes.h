#pragma once

#include "core/quote/aircraft.h"
#include "core/quote/routemodel.h"
#include "core/quote/schedule.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// What the operator chose for the times of a quote: the aircraft that flies it and the
// local departures typed (the first leg's, and any later leg's of its own).
struct TripPlan
{
    std::optional<AircraftProfile> aircraft;
    std::optional<Schedule::TypedTime> departure;   // the first leg's, at its airport
    QMap<int, Schedule::TypedTime> laterDepartures; // by leg number, 2 and on

    bool hasTimes() const { return aircraft && departure; }
    bool operator==(const TripPlan&) const = default;
};

// One leg of the route with the plan's aircraft and departures.
struct TripLeg
{
    LegTime time;            // all zero without an aircraft
    QString flightText;      // "h:mm", empty without an aircraft
    QString blockText;       //
    Schedule::LegTimes when; // empty without an aircraft and a departure
};

// The times of a whole route: one entry per leg (route row 1 is leg 1), the billable
// hours of the route, the legs beyond the aircraft's range, and what the schedule
// refused or noted.
struct TripTimes
{
    QList<TripLeg> legs;
    int billableTenths = 0;
    QList<int> beyondRange; // leg numbers, 1 and on
    QString refusal;        // a typed departure the schedule cannot take, naming its leg
    QStringList notes;      // typed times that occur twice
};

// The legs timed from their distances as the route shows them; the schedule only when
// the plan has both an aircraft and a first departure (without an aircraft a leg has
// no block time to arrive by).
TripTimes timeTrip(const QList<RouteLeg>& route, const TripPlan& plan);
