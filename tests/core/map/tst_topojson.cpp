#include "core/map/topojson.h"
#include "core/map/worldmap.h"
#include "support/tablerows.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace {

QString shown(const QList<TopoJson::Line>& lines)
{
    QStringList shownLines;
    for (const TopoJson::Line& line : lines) {
        QStringList positions;
        for (const TopoJson::LonLat& p : line)
            positions << QString::number(p.longitude) + u' ' + QString::number(p.latitude);
        shownLines << positions.join(u", "_s);
    }
    return shownLines.join(u"; "_s);
}

} // namespace

// TopoJSON decoded to lines of longitude and latitude, the topologies it refuses, and the
// world map built into the program.
class TestTopoJson : public QObject
{
    Q_OBJECT

private slots:
    void decodesRingsAndSharedArcs_data() { addTableRows(u"core/map/topojson-decoded.txt"_s); }
    void decodesRingsAndSharedArcs()
    {
        QFETCH(QStringList, row);
        QFile file(u"" BRISKLANDER_SOURCE_DIR "/tests/core/map/topojson-squares.json"_s);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString error;
        const std::optional<TopoJson::Topology> topology =
            TopoJson::Topology::read(file.readAll(), &error);
        QVERIFY2(topology, qPrintable(error));
        const QList<TopoJson::Line> lines =
            row[0] == u"rings" ? topology->rings(row[1]) : topology->sharedArcs(row[1]);
        QCOMPARE(shown(lines), row[2]);
    }

    void refusesMalformedTopologies_data() { addTableRows(u"core/map/topojson-refused.txt"_s); }
    void refusesMalformedTopologies()
    {
        QFETCH(QStringList, row);
        QString error;
        QVERIFY(!WorldMap::read(row[0].toUtf8(), &error));
        QCOMPARE(error, row[1]);
    }

    void builtInWorldHasItsLandAndBorders()
    {
        const WorldMap& world = WorldMap::builtIn();
        QCOMPARE(world.land().size(), 1429); // Natural Earth 1:50m land, lakes as holes
        QCOMPARE(world.borders().size(), 362);
        double west = 180, east = -180, south = 90, north = -90;
        for (const TopoJson::Line& ring : world.land()) {
            QVERIFY(ring.size() >= 4 && ring.first() == ring.last());
            for (const TopoJson::LonLat& p : ring) {
                west = std::min(west, p.longitude);
                east = std::max(east, p.longitude);
                south = std::min(south, p.latitude);
                north = std::max(north, p.latitude);
            }
        }
        QVERIFY2(west < -179.9 && east > 179.9 && south < -89.9 && north > 83 && north < 84,
                 qPrintable(u"%1..%2 / %3..%4"_s.arg(west).arg(east).arg(south).arg(north)));
        QVERIFY(TopoJson::insideEvenOdd(world.land(), {20, 5}));     // the middle of Africa
        QVERIFY(!TopoJson::insideEvenOdd(world.land(), {-35, 30}));  // the middle of the Atlantic
        QVERIFY(!TopoJson::insideEvenOdd(world.land(), {50.5, 42})); // the Caspian, a hole
        QVERIFY(&WorldMap::builtIn() == &world);

        // Made ready for drawing: no step across the world (Chukotka, Fiji and Antarctica
        // cross the 180th meridian) but along the pole that closes the ring round it.
        int aroundThePole = 0;
        for (const QList<WorldMap::Shape>* shapes : {&world.landShapes(), &world.borderShapes()})
            for (const WorldMap::Shape& shape : *shapes)
                for (qsizetype i = 1; i < shape.points.size(); ++i)
                    QVERIFY(std::abs(shape.points[i].x() - shape.points[i - 1].x()) < 180 ||
                            std::abs(shape.points[i].y()) == 90); // along the pole
        for (const WorldMap::Shape& shape : world.landShapes()) {
            QCOMPARE(shape.points.first(), shape.points.last());
            // (Antarctica's coast; the data's second ring, a hair along the pole itself,
            // is no more than that.)
            aroundThePole += shape.bounds.width() >= 359 && shape.bounds.top() == -90 &&
                             shape.bounds.height() > 1;
        }
        QCOMPARE(aroundThePole, 1);
    }
};

QTEST_GUILESS_MAIN(TestTopoJson)
#include "tst_topojson.moc"
