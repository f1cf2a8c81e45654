#include "core/map/worldmap.h"

#include <QFile>
#include <QtGlobal>

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
