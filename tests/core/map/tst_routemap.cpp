#include "core/map/mapview.h"
#include "core/map/routemap.h"
#include "support/tablerows.h"

using namespace Qt::StringLiterals;

// The route placed on the map's plane, the view that fits and moves it, and where the
// stops' labels go.
class TestRouteMap : public QObject
{
    Q_OBJECT

private slots:
    void routesLieInOnePiece_data() { addTableRows(u"core/map/routemap-routes.txt"_s); }
    void routesLieInOnePiece()
    {
        QFETCH(QStringList, row);
        QList<RouteMap::StopInput> stops;
        for (const QString& stop : row[0].split(u"; "_s)) {
            const QStringList parts = stop.split(u' ');
            stops.append({parts[0], LatLon{parts[1].toDouble(), parts[2].toDouble()}});
        }
        const RouteMap route(stops);
        QStringList placed;
        for (const RouteMap::Stop& stop : route.stops())
            placed << stop.id + u' ' +
                          QString::number(stop.at.x(), 'f', 1)
                              .replace(u"-0.0"_s, u"0"_s)
                              .replace(u".0"_s, QString());
        QCOMPARE(placed.join(u", "_s), row[1]);
        QCOMPARE(route.legs().size(), stops.size() - 1);

        for (qsizetype i = 0; i < route.legs().size(); ++i) {
            const QList<QPointF>& points = route.legs()[i].points;
            QVERIFY(points.size() >= RouteMap::MinimumPoints + 2);
            QCOMPARE(points.first(), route.stops()[i].at);
            const QPointF arrival = route.stops()[i + 1].at;
            QVERIFY2(qFuzzyIsNull(std::remainder(points.last().x() - arrival.x(), 360.0)) &&
                         qFuzzyCompare(points.last().y(), arrival.y()),
                     qPrintable(u"leg %1 ends at %2"_s.arg(i + 1).arg(points.last().x())));
            for (qsizetype k = 1; k < points.size(); ++k) {
                const LatLon a{points[k - 1].y(), points[k - 1].x()};
                const LatLon b{points[k].y(), points[k].x()};
                // No jump across the map (near a pole longitude turns fast, so the steps
                // are counted in miles too).
                QVERIFY(std::abs(points[k].x() - points[k - 1].x()) < 90);
                QVERIFY2(DistanceNM(a, b, DistanceModel::Sphere) <= RouteMap::PointSpacingNM + 0.01,
                         qPrintable(u"leg %1, point %2"_s.arg(i + 1).arg(k)));
            }
        }

        const QRectF frame(0, 0, 800, 400);
        const MapView view = MapView::fit(route.bounds(), frame);
        for (const RouteMap::Stop& stop : route.stops())
            QVERIFY2(frame.contains(view.toFrame(stop.at)), qPrintable(stop.id));
    }

    // Moved, zoomed and resized, the view keeps what it promises: the degrees under the
    // mouse stay there, never further out than the world's height, never past a pole.
    void viewMovesAndZooms()
    {
        const QRectF frame(0, 0, 600, 300);
        const MapView view = MapView::fit(QRectF(-120, 30, 50, 20), frame);
        const QPointF boston(-71, 42.4);
        const QPointF there = view.toFrame(boston);
        QVERIFY(qAbs(view.toDegrees(there).x() - boston.x()) < 1e-9);
        QCOMPARE(view.panned({25, -10}).toFrame(boston), there + QPointF(25, -10));
        const MapView closer = view.zoomed(2, there);
        QVERIFY((closer.toFrame(boston) - there).manhattanLength() < 1e-6);
        QCOMPARE(closer.scale(), view.scale() * 2);
        const MapView world = view.zoomed(1e-6, there);
        QCOMPARE(world.scale(), 300.0 / 180);
        QCOMPARE(world.centre().y(), 0.0);
        const QRectF north = view.panned({0, 1e5}).visibleDegrees();
        QVERIFY(qFuzzyCompare(north.bottom(), 90.0));
        const QRectF shown = view.visibleDegrees();
        const QRectF wider = view.reframed(QRectF(0, 0, 1200, 300)).visibleDegrees();
        QVERIFY(wider.contains(shown.adjusted(0.01, 0.01, -0.01, -0.01)));
        // One airport alone is shown with a few degrees around it.
        QVERIFY(MapView::fit(QRectF(8.5, 47.4, 0, 0), frame).visibleDegrees().height() >= 4);
    }

    void labelsFindRoom_data() { addTableRows(u"core/map/maplabels-placed.txt"_s); }
    void labelsFindRoom()
    {
        QFETCH(QStringList, row);
        QList<MapLabels::Request> requests;
        for (const QString& request : row[0].split(u"; "_s)) {
            const QStringList n = request.split(u' ');
            requests.append({QPointF(n[0].toDouble(), n[1].toDouble()),
                             QSizeF(n[2].toDouble(), n[3].toDouble())});
        }
        QStringList boxes;
        for (const QRectF& box : MapLabels::place(requests, QRectF(0, 0, 100, 40), 6))
            boxes << (box.isEmpty() ? u"-"_s : u"%1 %2"_s.arg(box.left()).arg(box.top()));
        QCOMPARE(boxes.join(u", "_s), row[1]);
    }
};

QTEST_GUILESS_MAIN(TestRouteMap)
#include "tst_routemap.moc"
