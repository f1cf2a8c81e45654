#include "core/distance.h"

#include "core/format.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>

#include <cmath>
#include <limits>

namespace {

// 15 digits on purpose; see distance.h.
constexpr double Pi = 3.14159265358979;
// One nautical mile per minute of arc: 180 x 60 minutes per pi radians, formed first.
constexpr double NauticalMilesPerRadian = 10800 / Pi;
constexpr double StatuteMilesPerNauticalMile = 1.15078;

double squaredSine(double x)
{
    const double s = std::sin(x);
    return s * s;
}

constexpr double MetresPerNauticalMile = 1852;

double haversineNM(double lat1, double lon1, double lat2, double lon2);

double toRadians(double degrees)
{
    return degrees * Pi / 180;
}

double toDegrees(double radians)
{
    return radians * 180 / Pi;
}

// Into -180 (excluded) to 180 degrees.
double wrapped(double longitude)
{
    const double turned = std::remainder(longitude, 360.0);
    return turned <= -180 ? turned + 360 : turned;
}

} // namespace

double ArcSin(double x)
{
    if (x >= 1)
        return Pi / 2;
    return std::atan(x / std::sqrt(1 - x * x));
}

std::optional<double> CoordinateRadians(const Coordinate& c)
{
    const std::optional<double> read = Format::read(c.DegreesText);
    if (!read)
        return std::nullopt;
    const double degrees = Format::roundHalfEven(std::fabs(*read));
    if (degrees > std::numeric_limits<qint16>::max())
        return std::nullopt;

    // The order of the operations is part of the result; keep it.
    double angle = ((c.Minutes / 60.0 + degrees) + c.Seconds / 3600.0) * Pi / 180;
    if (c.DegreesText.startsWith(u'-'))
        angle = -angle;
    return angle;
}

double LegDistanceNM(const GeoPoint& from, const GeoPoint& to)
{
    const std::optional<double> lat1 = CoordinateRadians(from.latitude);
    const std::optional<double> lon1 = CoordinateRadians(from.longitude);
    const std::optional<double> lat2 = CoordinateRadians(to.latitude);
    const std::optional<double> lon2 = CoordinateRadians(to.longitude);
    if (!lat1 || !lon1 || !lat2 || !lon2)
        return 0;

    return haversineNM(*lat1, *lon1, *lat2, *lon2);
}

namespace {

double haversineNM(double lat1, double lon1, double lat2, double lon2)
{
    const double a = squaredSine((lon1 - lon2) / 2) * (std::cos(lat2) * std::cos(lat1)) +
                     squaredSine((lat1 - lat2) / 2);
    const double c = ArcSin(std::sqrt(a)) + ArcSin(std::sqrt(a));
    return NauticalMilesPerRadian * c;
}

} // namespace

double DistanceNM(const LatLon& from, const LatLon& to, DistanceModel model)
{
    if (model == DistanceModel::Sphere)
        return haversineNM(toRadians(from.latitude), toRadians(from.longitude),
                           toRadians(to.latitude), toRadians(to.longitude));
    double metres = 0;
    GeographicLib::Geodesic::WGS84().Inverse(from.latitude, from.longitude, to.latitude,
                                             to.longitude, metres);
    return metres / MetresPerNauticalMile;
}

std::optional<LatLon> PointAlongLeg(const GeoPoint& from, const GeoPoint& to, double distanceNM,
                                    DistanceModel model)
{
    const std::optional<LatLon> a = northEastDegrees(from);
    const std::optional<LatLon> b = northEastDegrees(to);
    if (!a || !b)
        return std::nullopt;
    return PointAlongLeg(*a, *b, distanceNM, model);
}

LatLon PointAlongLeg(const LatLon& from, const LatLon& to, double distanceNM, DistanceModel model)
{
    const LatLon* a = &from;
    const LatLon* b = &to;
    LatLon point;
    if (model == DistanceModel::Wgs84) {
        const GeographicLib::GeodesicLine line = GeographicLib::Geodesic::WGS84().InverseLine(
            a->latitude, a->longitude, b->latitude, b->longitude);
        line.Position(distanceNM * MetresPerNauticalMile, point.latitude, point.longitude);
        point.longitude = wrapped(point.longitude);
        return point;
    }
    // The initial course, then the destination point at that angular distance.
    const double lat1 = toRadians(a->latitude), lat2 = toRadians(b->latitude);
    const double dLon = toRadians(b->longitude - a->longitude);
    const double course = std::atan2(std::sin(dLon) * std::cos(lat2),
                                     std::cos(lat1) * std::sin(lat2) -
                                         std::sin(lat1) * std::cos(lat2) * std::cos(dLon));
    const double arc = distanceNM / NauticalMilesPerRadian;
    const double lat = std::asin(std::sin(lat1) * std::cos(arc) +
                                 std::cos(lat1) * std::sin(arc) * std::cos(course));
    const double lon = std::atan2(std::sin(course) * std::sin(arc) * std::cos(lat1),
                                  std::cos(arc) - std::sin(lat1) * std::sin(lat));
    point.latitude = toDegrees(lat);
    point.longitude = wrapped(a->longitude + toDegrees(lon));
    return point;
}

std::optional<LatLon> northEastDegrees(const GeoPoint& point)
{
    const std::optional<double> latitude = CoordinateRadians(point.latitude);
    const std::optional<double> longitude = CoordinateRadians(point.longitude);
    if (!latitude || !longitude)
        return std::nullopt;
    // Back through the same pi the radians were made with, so 40 degrees stays 40.
    return LatLon{*latitude * 180 / Pi, -*longitude * 180 / Pi};
}

double GeodesicDistanceNM(const GeoPoint& from, const GeoPoint& to)
{
    const std::optional<LatLon> a = northEastDegrees(from);
    const std::optional<LatLon> b = northEastDegrees(to);
    if (!a || !b)
        return 0;
    double metres = 0;
    GeographicLib::Geodesic::WGS84().Inverse(a->latitude, a->longitude, b->latitude, b->longitude,
                                             metres);
    return metres / MetresPerNauticalMile;
}

LegDistance ComputeLeg(const GeoPoint& from, const GeoPoint& to, DistanceModel model)
{
    LegDistance leg;
    leg.nm = model == DistanceModel::Wgs84 ? GeodesicDistanceNM(from, to) : LegDistanceNM(from, to);
    leg.sm = leg.nm * StatuteMilesPerNauticalMile;
    leg.nmText = Format::number(leg.nm, Format::LegMiles);
    leg.smText = Format::number(leg.sm, Format::LegMiles);
    return leg;
}
