#include "core/quote/fuelstops.h"

#include "core/db/database.h"
#include "core/format.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace FuelStops {

namespace {

// A degree of latitude is some 60 NM on either model: one each side covers the radius.
constexpr double LatitudeMargin = 1;

// A range of whole degrees as the table's degree texts read as integers ("-00" as 0):
// the text's integer is the position truncated towards zero, so a position in
// [from, to] has its integer in [trunc(from), trunc(to)].
struct DegreeRange
{
    qint64 from = 1, to = 0; // empty unless set
};

DegreeRange truncated(double from, double to)
{
    return DegreeRange{qint64(std::trunc(from)), qint64(std::trunc(to))};
}

// The degree windows round the point that hold every airport within the radius: the
// latitudes within a degree, the longitudes within the degree of longitude that a
// degree of arc spans at the window's edge nearer the pole. Round a pole every
// longitude qualifies; over the 180th meridian the window is two ranges. Longitudes
// are the table's: west positive.
struct Window
{
    DegreeRange latitude;
    DegreeRange longitude[2];
};

Window windowAround(const LatLon& point)
{
    Window window;
    window.latitude = truncated(point.latitude - LatitudeMargin, point.latitude + LatitudeMargin);
    const double edge = std::fabs(point.latitude) + LatitudeMargin;
    const double halfWidth =
        edge >= 89 ? 180 : LatitudeMargin / std::cos(edge * std::numbers::pi / 180);
    const double west = -point.longitude;
    if (halfWidth >= 180) {
        window.longitude[0] = DegreeRange{-180, 180};
    } else if (west + halfWidth > 180) {
        window.longitude[0] = truncated(west - halfWidth, 180);
        window.longitude[1] = truncated(-180, west + halfWidth - 360);
    } else if (west - halfWidth < -180) {
        window.longitude[0] = truncated(-180, west + halfWidth);
        window.longitude[1] = truncated(west - halfWidth + 360, 180);
    } else {
        window.longitude[0] = truncated(west - halfWidth, west + halfWidth);
    }
    return window;
}

// The shown leg as a figure: the route adds its legs as they are shown.
double shownNM(const GeoPoint& from, const GeoPoint& to, DistanceModel model)
{
    return Format::value(ComputeLeg(from, to, model).nmText);
}

} // namespace

double reachNM(double rangeNM, double addOnPercent)
{
    return rangeNM / (1 + addOnPercent / 100);
}

QList<FuelStopCandidate> candidates(Db::Database& database, const FuelStopLeg& leg)
{
    const double reach = reachNM(leg.rangeNM, leg.addOnPercent);
    const LegDistance whole = ComputeLeg(leg.departure, leg.arrival, leg.model);
    if (reach <= 0 || reach >= whole.nm)
        return {};
    const std::optional<LatLon> point = PointAlongLeg(leg.departure, leg.arrival, reach, leg.model);
    if (!point)
        return {};

    // The table has no index on the positions: one pass that reads only the rows in
    // the degree windows is the fastest way through it (measured in
    // bench_fuelstops against reading every position).
    const Window window = windowAround(*point);
    Db::QueryDef query = database.temporaryQueryDef(
        QStringLiteral("SELECT \"ID\", \"NAME\", \"LATITUDE DEGREES\", \"LATITUDE MINUTES\", "
                       "\"LATITUDE SECONDS\", \"LONGITUDE DEGREES\", \"LONGITUDE MINUTES\", "
                       "\"LONGITUDE SECONDS\", ifnull(trim(\"FUEL\"), '') <> '' FROM Airports "
                       "WHERE (:anyFuel OR ifnull(trim(\"FUEL\"), '') <> '') AND ifnull(\"RUNWAY "
                       "LENGTH\", 0) >= :runway "
                       "AND CAST(\"LATITUDE DEGREES\" AS INTEGER) BETWEEN :latFrom AND :latTo "
                       "AND (CAST(\"LONGITUDE DEGREES\" AS INTEGER) BETWEEN :lonFrom1 AND :lonTo1 "
                       "OR CAST(\"LONGITUDE DEGREES\" AS INTEGER) BETWEEN :lonFrom2 AND :lonTo2)"));
    query.setParameter(QStringLiteral("anyFuel"), int(leg.fuelUnrecorded));
    query.setParameter(QStringLiteral("runway"), leg.minRunwayLength);
    query.setParameter(QStringLiteral("latFrom"), window.latitude.from);
    query.setParameter(QStringLiteral("latTo"), window.latitude.to);
    for (int i = 0; i < 2; ++i) {
        query.setParameter(QStringLiteral("lonFrom%1").arg(i + 1), window.longitude[i].from);
        query.setParameter(QStringLiteral("lonTo%1").arg(i + 1), window.longitude[i].to);
    }
    const std::unique_ptr<Db::Recordset> rows = query.openSnapshot();

    QList<FuelStopCandidate> found;
    for (int i = 0; i < rows->recordCount(); ++i) {
        const QVariantList row = rows->row(i);
        const QString id = row.at(0).toString();
        if (id.compare(leg.departureId, Qt::CaseInsensitive) == 0 ||
            id.compare(leg.arrivalId, Qt::CaseInsensitive) == 0)
            continue;
        const GeoPoint airport{
            Coordinate{row.at(2).toString(), qint16(row.at(3).toInt()), row.at(4).toDouble()},
            Coordinate{row.at(5).toString(), qint16(row.at(6).toInt()), row.at(7).toDouble()}};
        const std::optional<LatLon> position = northEastDegrees(airport);
        if (!position)
            continue;
        const double fromPoint = DistanceNM(*point, *position, leg.model);
        if (fromPoint > SearchRadiusNM)
            continue;
        found << FuelStopCandidate{id, row.at(1).toString(), fromPoint,
                                   shownNM(leg.departure, airport, leg.model) +
                                       shownNM(airport, leg.arrival, leg.model) -
                                       Format::value(whole.nmText),
                                   row.at(8).toBool()};
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const FuelStopCandidate& a, const FuelStopCandidate& b) {
                         return a.fromPointNM < b.fromPointNM;
                     });
    return found;
}

} // namespace FuelStops
