#pragma once

#include "core/map/topojson.h"

#include <QList>
#include <QPointF>
#include <QRectF>

#include <optional>

// The world the program draws routes on: Natural Earth's land and the borders between
// countries at 1:50m (data/naturalearth/world-50m.json, made by tools/data/world-map.mjs),
// built into the core library so that no map is ever downloaded. Positions are in
// degrees, longitude positive EAST as the data has it (the airports' longitudes are
// positive west: the map's projection turns them).
class WorldMap
{
public:
    // The built-in map, read once on first use. Empty (and a warning logged) only if the
    // resource the build put in does not read.
    static const WorldMap& builtIn();

    // A map from a topology that has the objects `land` and `countries`; nothing, and in
    // `error` why, otherwise.
    static std::optional<WorldMap> read(const QByteArray& json, QString* error);

    // The rings of the land (continents, islands, and the lakes as holes): closed lines
    // for the even-odd rule (TopoJson::insideEvenOdd).
    const QList<TopoJson::Line>& land() const { return m_land; }

    // The borders between countries, each drawn once; the coastlines are in land().
    const QList<TopoJson::Line>& borders() const { return m_borders; }

    // A line made ready for drawing on a plane where longitude runs on past ±180 (x the
    // longitude east, y the latitude): its longitudes unwrapped so that no step between
    // neighbours spans more than half the world, and a ring around a pole (Antarctica)
    // closed along that pole. Drawn where it lies and again 360° to either side, the
    // shapes join at the 180th meridian without a line across the world.
    struct Shape
    {
        QList<QPointF> points;
        QRectF bounds;
        // The points of the data's own line; after them the way round the pole, to be
        // filled but not drawn as a coast.
        qsizetype ownPoints = 0;
    };
    const QList<Shape>& landShapes() const { return m_landShapes; }
    const QList<Shape>& borderShapes() const { return m_borderShapes; }

private:
    QList<TopoJson::Line> m_land;
    QList<TopoJson::Line> m_borders;
    QList<Shape> m_landShapes;
    QList<Shape> m_borderShapes;
};
