#pragma once

#include "core/distance.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

// A route as the map draws it: its stops and its legs as great circles, in degrees on the
// plane of MapView (x the longitude east, running on past ±180; y the latitude). The stops
// lie around one central longitude, so that a route over the Pacific is one piece, and
// every leg is a continuous line from its departure: a leg that goes on round the world
// ends 360° from where its arrival stop is placed, and is drawn again a world over.
class RouteMap
{
public:
    // One stop of the route, its position in north and east degrees (northEastDegrees
    // turns the airports' west longitudes), with the marks of the leg that ends there.
    struct StopInput
    {
        QString id;
        std::optional<LatLon> position;
        bool positioning = false;
        bool beyondRange = false;
    };
    struct Stop
    {
        QString id;
        QPointF at;
    };
    struct Leg
    {
        QList<QPointF> points; // from the departure stop to the arrival, both included
        bool positioning = false;
        bool beyondRange = false;
    };

    // A great circle (on `model`'s earth: the sphere's circle or the ellipsoid's geodesic)
    // is drawn with a point at least every PointSpacingNM, and at least MinimumPoints
    // points between its ends.
    static constexpr double PointSpacingNM = 100;
    static constexpr int MinimumPoints = 8;

    RouteMap() = default;
    // Stops whose position does not read are left out, with their legs.
    explicit RouteMap(const QList<StopInput>& stops, DistanceModel model = DistanceModel::Sphere);

    bool isEmpty() const { return m_stops.isEmpty(); }
    const QList<Stop>& stops() const { return m_stops; }
    // Leg i runs from stop i to stop i + 1.
    const QList<Leg>& legs() const { return m_legs; }
    // The rectangle of every stop and every leg's points (y up); empty without stops.
    const QRectF& bounds() const { return m_bounds; }

private:
    QList<Stop> m_stops;
    QList<Leg> m_legs;
    QRectF m_bounds;
};

// Where the labels of the stops go: each one beside its point, on the first side of eight
// where it stays inside the frame and covers neither a label placed before it nor another
// stop's point; else it is left out. The requests come in order of priority.
namespace MapLabels {

struct Request
{
    QPointF anchor; // the stop's point in the frame
    QSizeF size;    // the label's box
};

// For each request its box, or an empty QRectF when it is left out. `gap` is the room
// between a point and its label, and the radius a point keeps free.
QList<QRectF> place(const QList<Request>& requests, const QRectF& frame, double gap);

} // namespace MapLabels
