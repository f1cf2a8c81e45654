#pragma once

#include "core/distance.h"

#include <QList>
#include <QString>

namespace Db {
class Database;
}

// An airport where an aircraft that cannot fly a leg in one go could take on fuel.
struct FuelStopCandidate
{
    QString id;
    QString name;
    double fromPointNM = 0;   // from the point of the leg at the aircraft's reach
    double extraNM = 0;       // what the stop adds to the leg, as the route would show it
    bool fuelRecorded = true; // false: the airport's FUEL is empty
};

// A leg and what decides where the aircraft must stop on it.
struct FuelStopLeg
{
    QString departureId, arrivalId; // never candidates themselves
    GeoPoint departure, arrival;
    double rangeNM = 0;
    double addOnPercent = 0;    // what the distances flown add to the leg's, in percent
    qint64 minRunwayLength = 0; // the settings' MINRUNWAYLENGTH
    DistanceModel model = DistanceModel::Sphere;
    // Airports whose fuel is not recorded count as well: most imported airports record
    // none, and the operator then asks the nearest ones about fuel.
    bool fuelUnrecorded = false;
};

// The fuel-stop candidates of a leg too long for the aircraft: the airports within
// SearchRadiusNM of the point on the leg at the aircraft's reach that sell fuel (their
// FUEL is not empty, unless the leg says otherwise) and whose longest runway is at least the
// minimum, the nearest to that point first. Every distance is measured on the leg's model.
namespace FuelStops {

constexpr double SearchRadiusNM = 50;

// How far along the leg the aircraft gets: that distance with the add-on is its range.
double reachNM(double rangeNM, double addOnPercent);

// None when the aircraft reaches the arrival, or a position cannot be read. Reads the
// airports through `database`; throws the engine's DbError.
QList<FuelStopCandidate> candidates(Db::Database& database, const FuelStopLeg& leg);

} // namespace FuelStops
