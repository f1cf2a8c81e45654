#include "../core/document/quotesample.h"
#include "core/document/quotedocument.h"
#include "core/map/worldmap.h"
#include "paint/mappainter.h"
#include "paint/qtprintersurface.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Rendered
{
    QImage image;
    MapView view;
    // The pixel at the place, in whichever turn of the world the view shows it.
    QRgb at(double longitude, double latitude) const
    {
        const double left = view.visibleDegrees().left();
        const double shown = left + std::fmod(std::fmod(longitude - left, 360) + 360, 360);
        return image.pixel(view.toFrame(QPointF(shown, latitude)).toPoint());
    }
    // Whether a pixel next to the place is drawn in `colour` (a line is smoothed at its
    // edges, so its very middle may fall between pixels).
    bool drawnNear(double longitude, double latitude, const QColor& colour) const
    {
        const QPoint p = view.toFrame(QPointF(longitude, latitude)).toPoint();
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                const QColor c = image.pixelColor(p + QPoint(dx, dy));
                if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                        std::abs(c.blue() - colour.blue()) <
                    40)
                    return true;
            }
        return false;
    }
};

Rendered rendered(const QRectF& degrees, const RouteMap& route = RouteMap())
{
    Rendered r{QImage(720, 360, QImage::Format_RGB32), {}};
    r.view = MapView::fit(degrees, QRectF(0, 0, 720, 360), 0);
    QPainter painter(&r.image);
    const MapStyle style = MapStyle::forResolution(96);
    MapPainter::paintWorld(painter, r.view, WorldMap::builtIn(), style);
    MapPainter::paintRoute(painter, r.view, route, style);
    return r;
}

} // namespace

// The map drawn: land where land is, the world going on over the 180th meridian without a
// line across it, the legs where their great circles run, and the map on the PDF.
class TestMapPainter : public QObject
{
    Q_OBJECT

private slots:
    void landAndWaterWhereTheyAre()
    {
        const MapStyle style;
        const QRgb water = style.water.rgb(), land = style.land.rgb();
        // The world as the data holds it, and turned half round, Pacific in the middle.
        for (double centre : {0.0, 180.0}) {
            const Rendered r = rendered(QRectF(centre - 180, -90, 360, 180));
            QCOMPARE(r.at(-35, 30), water);  // the Atlantic
            QCOMPARE(r.at(17, 27), land);    // the Sahara
            QCOMPARE(r.at(50.5, 42), water); // the Caspian, a hole in the land
            QCOMPARE(r.at(135, -25), land);  // Australia
            QCOMPARE(r.at(-150, 0), water);  // the Pacific
            // No line across the world from the rings that cross the 180th meridian: Fiji's
            // latitude and Chukotka's, far from both.
            QCOMPARE(r.at(-100, -16.54), water);
            QCOMPARE(r.at(-140, 71.53), water);
            QCOMPARE(r.at(60, -80), land); // Antarctica, round the pole
            // Its ring runs down the 180th meridian to the pole: filled, not stroked.
            QCOMPARE(r.at(180, -88), land);
        }
    }

    // Tokyo to San Francisco fitted: one arc over the North Pacific, north of both ends.
    void legRunsItsGreatCircle()
    {
        const RouteMap route({{"RJAA", LatLon{35.76, 140.39}}, {"KSFO", LatLon{37.62, -122.37}}});
        const Rendered r = rendered(route.bounds(), route);
        const RouteMap::Leg& leg = route.legs().first();
        const QPointF middle = leg.points[leg.points.size() / 2];
        QVERIFY(middle.y() > 45 && middle.x() > 180);
        QVERIFY(r.drawnNear(middle.x(), middle.y(), MapStyle().leg));
        QVERIFY(!r.drawnNear(middle.x(), 38, MapStyle().leg)); // no straight line below it
    }

    // The map on the printed quote is drawn in vectors: a PDF of one page, small.
    void mapOnThePdf()
    {
        QTemporaryDir dir;
        QuoteData data = QuoteSample::read("one-airport");
        data.route = {
            {"RJAA", "Narita", "", "", false, LatLon{35.76, 140.39}},
            {"KSFO", "San Francisco", "4,439.3", "5,108.6", false, LatLon{37.62, -122.37}}};
        data.printMap = true;
        const QString path = dir.filePath("map.pdf");
        {
            QPdfWriter writer(path);
            writer.setPageSize(QPageSize(QPageSize::Letter));
            QtPrinterSurface surface(&writer);
            QuoteDocument::compose(surface, data);
            surface.endDocument();
            QCOMPARE(surface.page(), 1);
        }
        const qint64 size = QFileInfo(path).size();
        QVERIFY2(size > 40'000 && size < 150'000, qPrintable(QString::number(size)));
    }
};

QTEST_MAIN(TestMapPainter)
#include "tst_mappainter.moc"
