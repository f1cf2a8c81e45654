#include "core/map/worldmap.h"

#include <QFile>
#include <QtGlobal>

#include <cmath>

namespace {

WorldMap::Shape unwrapped(const TopoJson::Line& line, bool ring)
{
    WorldMap::Shape shape;
    shape.points.reserve(line.size() + 3);
    double shift = 0;
    double latitudes = 0;
    for (const TopoJson::LonLat& p : line) {
        double x = p.longitude + shift;
        if (!shape.points.isEmpty()) {
            const double step = x - shape.points.last().x();
            if (step > 180)
                shift -= 360;
            else if (step < -180)
                shift += 360;
            x = p.longitude + shift;
        }
        shape.points.append(QPointF(x, p.latitude));
        latitudes += p.latitude;
    }
    shape.ownPoints = shape.points.size();
    if (ring && shape.points.size() > 1 &&
        std::abs(shape.points.last().x() - shape.points.first().x()) > 180) {
        // Around the pole: down (or up) to it and along it back to where the ring began.
        const double pole = latitudes < 0 ? -90 : 90;
        const QPointF first = shape.points.first();
        shape.points.append(QPointF(shape.points.last().x(), pole));
        shape.points.append(QPointF(first.x(), pole));
        shape.points.append(first);
    }
    double west = 1e9, east = -1e9, south = 1e9, north = -1e9;
    for (const QPointF& p : shape.points) {
        west = std::min(west, p.x());
        east = std::max(east, p.x());
        south = std::min(south, p.y());
        north = std::max(north, p.y());
    }
    if (!shape.points.isEmpty())
        shape.bounds = QRectF(QPointF(west, south), QPointF(east, north));
    return shape;
}

} // namespace

std::optional<WorldMap> WorldMap::read(const QByteArray& json, QString* error)
{
    const std::optional<TopoJson::Topology> topology = TopoJson::Topology::read(json, error);
    if (!topology)
        return std::nullopt;
    for (const QString& object : {QStringLiteral("land"), QStringLiteral("countries")})
        if (!topology->hasObject(object)) {
            if (error)
                *error = QStringLiteral("The map data has no object \"%1\".").arg(object);
            return std::nullopt;
        }
    WorldMap map;
    map.m_land = topology->rings(QStringLiteral("land"));
    map.m_borders = topology->sharedArcs(QStringLiteral("countries"));
    for (const TopoJson::Line& ring : map.m_land)
        map.m_landShapes.append(unwrapped(ring, true));
    for (const TopoJson::Line& border : map.m_borders)
        map.m_borderShapes.append(unwrapped(border, false));
    return map;
}

const WorldMap& WorldMap::builtIn()
{
    static const WorldMap map = [] {
        QFile file(QStringLiteral(":/data/naturalearth/world-50m.json"));
        QString error = file.errorString();
        std::optional<WorldMap> read;
        if (file.open(QIODevice::ReadOnly))
            read = WorldMap::read(file.readAll(), &error);
        if (!read)
            qWarning("The built-in world map does not read: %s", qPrintable(error));
        return read.value_or(WorldMap());
    }();
    return map;
}
