#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// TopoJSON topologies (the format of the npm package topojson), as the world
// map's data comes: quantized positions (a `transform` of scale and translate), each arc
// delta-encoded from its first position, and polygons whose rings are lists of arc indexes,
// a negative index ~i meaning arc i walked backwards.
//
// Positions come out in degrees as the data holds them: longitude positive EAST, latitude
// positive north. The program's airports keep their longitudes positive WEST; the one
// conversion between the two belongs to the map's projection, not here.
namespace TopoJson {

struct LonLat
{
    double longitude = 0;
    double latitude = 0;
    friend bool operator==(const LonLat&, const LonLat&) = default;
};

// A line of positions: a ring is closed, its last position its first.
using Line = QList<LonLat>;

class Topology
{
public:
    // Reads a whole topology: every arc decoded, every arc index of the Polygon and
    // MultiPolygon geometries checked. Nothing, and in `error` what is wrong, when the
    // text is not JSON, is not a quantized topology, or names an arc it does not have.
    static std::optional<Topology> read(const QByteArray& json, QString* error);

    bool hasObject(const QString& name) const { return m_objects.contains(name); }

    // Every ring of the object's polygons (of a GeometryCollection's members, or of the
    // object itself), outer rings and holes alike, in the order the data gives them.
    // Geometries other than polygons are left out.
    QList<Line> rings(const QString& object) const;

    // The arcs that two different geometries of the object share, each once, as the data
    // walks it: between countries, their common borders and not the coastlines.
    QList<Line> sharedArcs(const QString& object) const;

private:
    // A polygon is a list of rings, a ring a list of arc indexes.
    using Polygon = QList<QList<int>>;
    using Geometry = QList<Polygon>;

    QList<Line> m_arcs;
    QHash<QString, QList<Geometry>> m_objects;
};

// Whether the point lies inside the rings by the even-odd rule: a ray from it crosses
// their edges an odd number of times (a hole or a lake's island counts as it should).
// Longitude and latitude are taken as plane coordinates; a point on an edge may count
// either way.
bool insideEvenOdd(const QList<Line>& rings, LonLat point);

} // namespace TopoJson
