// The route's map: a 12-stop trip round the world drawn on screen (the map pane repainted
// after the route changed, world and route, every other time a 6-stop trip of its own view)
// and into the PDF of the quote, each beside its floor. On screen the floor is QPainter
// alone filling and stroking the world's paths of the 12-stop view, made beforehand; in
// the PDF, the same quote written without its map. The
// world's first reading (on a thread of its own in the program) stands beside
// QJsonDocument parsing the same data.

#include "core/document/quotedata.h"
#include "core/map/worldmap.h"
#include "gui/mainwindow/routemapview.h"
#include "paint/mappainter.h"
#include "paint/pdfjob.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QTest>

namespace {

// KJFK EGLL LFPG LSZH LIRF LGAV OMDB VHHH RJAA PHNL KLAX KJFK, in north and east degrees.
const QList<std::tuple<const char*, double, double>> Trip = {
    {"KJFK", 40.64, -73.78},  {"EGLL", 51.47, -0.46},   {"LFPG", 49.01, 2.55},
    {"LSZH", 47.46, 8.55},    {"LIRF", 41.80, 12.25},   {"LGAV", 37.94, 23.94},
    {"OMDB", 25.25, 55.36},   {"VHHH", 22.31, 113.91},  {"RJAA", 35.76, 140.39},
    {"PHNL", 21.32, -157.92}, {"KLAX", 33.94, -118.41}, {"KJFK", 40.64, -73.78}};

QList<RouteMap::StopInput> tripStops()
{
    QList<RouteMap::StopInput> stops;
    for (const auto& [id, latitude, longitude] : Trip)
        stops.append({QString::fromLatin1(id), LatLon{latitude, longitude}});
    return stops;
}

void BM_MapOnScreen(benchmark::State& state)
{
    RouteMapView view;
    view.resize(600, 400);
    view.show();
    WorldMap::builtIn(); // read before the first run, as it is long before a route is drawn
    QTest::qWait(100);
    const RouteMap route(tripStops());
    const RouteMap other(tripStops().mid(0, 6)); // New York to Athens: another view
    bool flip = false;
    for (auto _ : state) {
        view.setRoute((flip = !flip) ? route : other); // a new route: the view fits again
        view.repaint();
    }
}

void BM_MapOnScreenFloor(benchmark::State& state)
{
    QImage image(600, 400, QImage::Format_ARGB32_Premultiplied);
    const RouteMap route(tripStops());
    const MapStyle style = MapStyle::forResolution(96);
    const MapPainter::WorldPaths paths = MapPainter::worldPaths(
        MapPainter::fittedView(route, QRectF(image.rect())), WorldMap::builtIn(), style);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(image.rect(), style.water);
        painter.fillPath(paths.land, style.land);
        painter.strokePath(paths.coasts, QPen(style.coast, style.coastWidth));
        painter.strokePath(paths.borders, QPen(style.border, style.borderWidth));
    }
}

QuoteData tripQuote(bool map)
{
    QuoteData data;
    for (const auto& [id, latitude, longitude] : Trip)
        data.route.append({QString::fromLatin1(id), QStringLiteral("AIRPORT"), "1,000.0", "1,150.8",
                           false, LatLon{latitude, longitude}});
    data.totalNM = QStringLiteral("18,623.9");
    data.finalQuote = QStringLiteral("158,303.15");
    data.today = QDate(2026, 12, 8);
    data.printMap = map;
    return data;
}

void BM_MapIntoPdf(benchmark::State& state, bool map)
{
    QTemporaryDir dir;
    const QuoteData data = tripQuote(map);
    qint64 size = 0;
    for (auto _ : state) {
        PrintJob::writePdf(dir.filePath(QStringLiteral("quote.pdf")), data);
        size = QFile(dir.filePath(QStringLiteral("quote.pdf"))).size();
    }
    state.counters["pdf_kB"] = double(size) / 1000;
}

void BM_WorldRead(benchmark::State& state)
{
    QFile file(QStringLiteral(":/data/naturalearth/world-50m.json"));
    file.open(QIODevice::ReadOnly);
    const QByteArray json = file.readAll();
    for (auto _ : state)
        benchmark::DoNotOptimize(WorldMap::read(json, nullptr));
}

void BM_WorldReadFloor(benchmark::State& state)
{
    QFile file(QStringLiteral(":/data/naturalearth/world-50m.json"));
    file.open(QIODevice::ReadOnly);
    const QByteArray json = file.readAll();
    for (auto _ : state)
        benchmark::DoNotOptimize(QJsonDocument::fromJson(json));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::RegisterBenchmark("BM_MapOnScreen", BM_MapOnScreen)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_MapOnScreenFloor", BM_MapOnScreenFloor)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_MapIntoPdf", BM_MapIntoPdf, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_MapIntoPdfFloor", BM_MapIntoPdf, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_WorldRead", BM_WorldRead)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_WorldReadFloor", BM_WorldReadFloor)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
