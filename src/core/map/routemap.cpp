#include "core/map/routemap.h"

#include <QSizeF>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// The longitude the route is placed around: the middle of the smallest arc of longitudes
// that holds every stop (the world less its widest empty gap).
double centralLongitude(QList<double> longitudes)
{
    std::sort(longitudes.begin(), longitudes.end());
    double widestGap = longitudes.first() + 360 - longitudes.last();
    double gapEnd = longitudes.first(); // where the stops begin again after the gap
    for (qsizetype i = 1; i < longitudes.size(); ++i)
        if (longitudes[i] - longitudes[i - 1] > widestGap) {
            widestGap = longitudes[i] - longitudes[i - 1];
            gapEnd = longitudes[i];
        }
    return gapEnd + (360 - widestGap) / 2;
}

// `longitude` moved by whole turns to lie within half a turn of `near`.
double nearest(double longitude, double near)
{
    return near + std::remainder(longitude - near, 360.0);
}

} // namespace

RouteMap::RouteMap(const QList<StopInput>& stops, DistanceModel model)
{
    struct Placed
    {
        const StopInput* input;
        LatLon position;
    };
    QList<Placed> placed;
    QList<double> longitudes;
    for (const StopInput& stop : stops)
        if (stop.position) {
            placed.append({&stop, *stop.position});
            longitudes.append(stop.position->longitude);
        }
    if (placed.isEmpty())
        return;
    // A pole has every longitude: it takes its neighbour's, the meridian its leg follows,
    // so that the line does not run on along the pole.
    for (qsizetype i = 0; i < placed.size(); ++i) {
        if (std::abs(placed[i].position.latitude) < 90 - 1e-6)
            continue;
        for (qsizetype n : {i + 1, i - 1})
            if (n >= 0 && n < placed.size() && std::abs(placed[n].position.latitude) < 90 - 1e-6) {
                placed[i].position.longitude = placed[n].position.longitude;
                longitudes[i] = placed[n].position.longitude;
                break;
            }
    }

    const double centre = centralLongitude(longitudes);
    for (const Placed& stop : placed)
        m_stops.append({stop.input->id,
                        QPointF(nearest(stop.position.longitude, centre), stop.position.latitude)});

    for (qsizetype i = 1; i < placed.size(); ++i) {
        const Placed& from = placed[i - 1];
        const Placed& to = placed[i];
        Leg leg;
        leg.positioning = to.input->positioning;
        leg.beyondRange = to.input->beyondRange;
        const double length = DistanceNM(from.position, to.position, model);
        const int segments = std::max(MinimumPoints + 1, int(std::ceil(length / PointSpacingNM)));
        leg.points.append(m_stops[i - 1].at);
        for (int k = 1; k <= segments; ++k) {
            const LatLon along = k == segments ? to.position
                                               : PointAlongLeg(from.position, to.position,
                                                               length * k / segments, model);
            leg.points.append(
                QPointF(nearest(along.longitude, leg.points.last().x()), along.latitude));
        }
        m_legs.append(leg);
    }

    double west = 1e9, east = -1e9, south = 1e9, north = -1e9;
    const auto widen = [&](QPointF p) {
        west = std::min(west, p.x());
        east = std::max(east, p.x());
        south = std::min(south, p.y());
        north = std::max(north, p.y());
    };
    for (const Stop& stop : m_stops)
        widen(stop.at);
    for (const Leg& leg : m_legs)
        for (const QPointF& p : leg.points)
            widen(p);
    m_bounds = QRectF(QPointF(west, south), QPointF(east, north));
}

namespace MapLabels {

QList<QRectF> place(const QList<Request>& requests, const QRectF& frame, double gap)
{
    QList<QRectF> boxes;
    QList<QRectF> taken;
    const double corner = gap * 0.7;
    for (const Request& request : requests) {
        const QPointF a = request.anchor;
        const double w = request.size.width();
        const double h = request.size.height();
        const QPointF candidates[] = {
            {a.x() + gap, a.y() - h / 2},
            {a.x() - gap - w, a.y() - h / 2},
            {a.x() - w / 2, a.y() - gap - h},
            {a.x() - w / 2, a.y() + gap},
            {a.x() + corner, a.y() - corner - h},
            {a.x() + corner, a.y() + corner},
            {a.x() - corner - w, a.y() - corner - h},
            {a.x() - corner - w, a.y() + corner},
        };
        QRectF chosen;
        for (const QPointF& topLeft : candidates) {
            const QRectF box(topLeft, request.size);
            if (!frame.contains(box))
                continue;
            const bool free =
                std::none_of(taken.begin(), taken.end(),
                             [&](const QRectF& t) { return t.intersects(box); }) &&
                std::none_of(requests.begin(), requests.end(), [&](const Request& r) {
                    return &r != &request && r.anchor != a &&
                           QRectF(r.anchor - QPointF(gap, gap) * 0.6, QSizeF(gap, gap) * 1.2)
                               .intersects(box);
                });
            if (free) {
                chosen = box;
                break;
            }
        }
        if (!chosen.isEmpty())
            taken.append(chosen);
        boxes.append(chosen);
    }
    return boxes;
}

} // namespace MapLabels
