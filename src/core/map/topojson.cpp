#include "core/map/topojson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cmath>
#include <cstdlib>
#include <set>

namespace TopoJson {

namespace {

// A pair of numbers ([x, y]), or nothing.
std::optional<LonLat> pair(const QJsonValue& value)
{
    const QJsonArray array = value.toArray();
    if (array.size() < 2 || !array[0].isDouble() || !array[1].isDouble())
        return std::nullopt;
    return LonLat{array[0].toDouble(), array[1].toDouble()};
}

// An arc index: a whole number, or nothing.
std::optional<int> arcIndex(const QJsonValue& value)
{
    const double number = value.toDouble(0.5);
    if (!value.isDouble() || std::floor(number) != number || std::abs(number) > 1e9)
        return std::nullopt;
    return static_cast<int>(number);
}

} // namespace

std::optional<Topology> Topology::read(const QByteArray& json, QString* error)
{
    const auto refuse = [error](const QString& message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return refuse(QStringLiteral("The map data is not JSON: %1 at byte %2.")
                          .arg(parseError.errorString())
                          .arg(parseError.offset));
    const QJsonObject root = document.object();
    if (root.value(u"type").toString() != u"Topology")
        return refuse(QStringLiteral("The map data is not a TopoJSON topology."));
    const QJsonObject transform = root.value(u"transform").toObject();
    const std::optional<LonLat> scale = pair(transform.value(u"scale"));
    const std::optional<LonLat> translate = pair(transform.value(u"translate"));
    if (!scale || !translate)
        return refuse(QStringLiteral("The map data has no transform (scale and translate): "
                                     "only quantized topologies are read."));

    Topology topology;
    const QJsonArray arcs = root.value(u"arcs").toArray();
    topology.m_arcs.reserve(arcs.size());
    for (qsizetype a = 0; a < arcs.size(); ++a) {
        const QJsonArray positions = arcs[a].toArray();
        if (positions.size() < 2)
            return refuse(
                QStringLiteral("Arc %1 of the map data has fewer than two positions.").arg(a));
        Line line;
        line.reserve(positions.size());
        double x = 0, y = 0;
        for (const QJsonValue& position : positions) {
            const std::optional<LonLat> delta = pair(position);
            if (!delta)
                return refuse(QStringLiteral("Arc %1 of the map data holds a position that is not "
                                             "a pair of numbers.")
                                  .arg(a));
            x += delta->longitude;
            y += delta->latitude;
            line.append({x * scale->longitude + translate->longitude,
                         y * scale->latitude + translate->latitude});
        }
        topology.m_arcs.append(line);
    }

    const QJsonObject objects = root.value(u"objects").toObject();
    for (auto object = objects.begin(); object != objects.end(); ++object) {
        const QJsonObject value = object.value().toObject();
        const QJsonArray members = value.value(u"type").toString() == u"GeometryCollection"
                                       ? value.value(u"geometries").toArray()
                                       : QJsonArray{value};
        QList<Geometry>& geometries = topology.m_objects[object.key()];
        for (const QJsonValue& member : members) {
            const QString type = member.toObject().value(u"type").toString();
            const QJsonArray arcsOf = member.toObject().value(u"arcs").toArray();
            QJsonArray polygons;
            if (type == u"Polygon")
                polygons.append(arcsOf);
            else if (type == u"MultiPolygon")
                polygons = arcsOf;
            else
                continue;
            Geometry geometry;
            for (const QJsonValue& polygonValue : polygons) {
                Polygon polygon;
                for (const QJsonValue& ringValue : polygonValue.toArray()) {
                    QList<int> ring;
                    for (const QJsonValue& indexValue : ringValue.toArray()) {
                        const std::optional<int> index = arcIndex(indexValue);
                        if (!index)
                            return refuse(QStringLiteral("The map object \"%1\" holds an arc "
                                                         "index that is not a whole number.")
                                              .arg(object.key()));
                        const int arc = *index < 0 ? ~*index : *index;
                        if (arc >= topology.m_arcs.size())
                            return refuse(QStringLiteral("The map object \"%1\" names arc %2; "
                                                         "the data has %3 arcs.")
                                              .arg(object.key())
                                              .arg(*index)
                                              .arg(topology.m_arcs.size()));
                        ring.append(*index);
                    }
                    if (!ring.isEmpty())
                        polygon.append(ring);
                }
                geometry.append(polygon);
            }
            geometries.append(geometry);
        }
    }
    return topology;
}

QList<Line> Topology::rings(const QString& object) const
{
    QList<Line> result;
    for (const Geometry& geometry : m_objects.value(object))
        for (const Polygon& polygon : geometry)
            for (const QList<int>& ring : polygon) {
                Line line;
                for (const int index : ring) {
                    const Line& arc = m_arcs[index < 0 ? ~index : index];
                    const qsizetype from = line.isEmpty() ? 0 : 1; // each arc starts where
                                                                   // the one before ended
                    if (index >= 0)
                        line.append(arc.mid(from));
                    else
                        for (qsizetype p = arc.size() - 1 - from; p >= 0; --p)
                            line.append(arc[p]);
                }
                result.append(line);
            }
    return result;
}

QList<Line> Topology::sharedArcs(const QString& object) const
{
    // For each arc, the first geometry that uses it, and whether another one does too.
    QList<int> firstUser(m_arcs.size(), -1);
    std::set<int> shared;
    const QList<Geometry> geometries = m_objects.value(object);
    for (int g = 0; g < geometries.size(); ++g)
        for (const Polygon& polygon : geometries[g])
            for (const QList<int>& ring : polygon)
                for (const int index : ring) {
                    const int arc = index < 0 ? ~index : index;
                    if (firstUser[arc] < 0)
                        firstUser[arc] = g;
                    else if (firstUser[arc] != g)
                        shared.insert(arc);
                }
    QList<Line> result;
    for (const int arc : shared)
        result.append(m_arcs[arc]);
    return result;
}

bool insideEvenOdd(const QList<Line>& rings, LonLat point)
{
    bool inside = false;
    for (const Line& ring : rings)
        for (qsizetype i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
            const LonLat& a = ring[i];
            const LonLat& b = ring[j];
            if ((a.latitude > point.latitude) != (b.latitude > point.latitude) &&
                point.longitude < (b.longitude - a.longitude) * (point.latitude - a.latitude) /
                                          (b.latitude - a.latitude) +
                                      a.longitude)
                inside = !inside;
        }
    return inside;
}

} // namespace TopoJson
