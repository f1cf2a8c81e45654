#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The length of one route leg: the great-circle distance between two airports.
//
// The constants in distance.cpp are deliberately the program's own, not the most
// precise ones: pi is the 15-digit 3.14159265358979 and a nautical mile is one
// minute of arc with that pi, so every leg comes out the same to its last shown
// decimal wherever it is computed (and the quote's figures with it).

// One latitude or longitude exactly as a route leg holds it. A leading "-" in
// DegreesText marks the negative hemisphere (south, or east of Greenwich); the sign
// lives in the text so that "-00" degrees 30 minutes keeps its hemisphere.
struct Coordinate
{
    QString DegreesText;
    qint16 Minutes = 0;
    double Seconds = 0;
};

struct GeoPoint
{
    Coordinate latitude;
    Coordinate longitude;
};

// The arcsine in radians for 0 <= x <= 1, in its arctangent form; pi / 2 for x >= 1.
double ArcSin(double x);

// The signed angle in radians, or nothing when DegreesText does not read as a number
// or its whole degrees do not fit a 16-bit integer.
std::optional<double> CoordinateRadians(const Coordinate& c);

// The great-circle distance in nautical miles, unrounded (haversine formula);
// 0 when any coordinate cannot be read.
double LegDistanceNM(const GeoPoint& from, const GeoPoint& to);

// What a leg's length is measured on: the sphere of LegDistanceNM (every quote's figures
// as they always were), or the WGS-84 ellipsoid, the shortest way over the earth as
// charts and flight planning measure it.
enum class DistanceModel
{
    Sphere,
    Wgs84,
};

// The geodesic distance on the WGS-84 ellipsoid in nautical miles (1,852 m), unrounded
// (Karney's algorithm, by GeographicLib); 0 when any coordinate cannot be read.
double GeodesicDistanceNM(const GeoPoint& from, const GeoPoint& to);

// A position in the signed decimal degrees of the rest of the world: north and EAST
// positive (the table counts west as positive). The one place the two meet; nothing
// when a coordinate cannot be read.
struct LatLon
{
    double latitude = 0;
    double longitude = 0;
};
std::optional<LatLon> northEastDegrees(const GeoPoint& point);

// The distance between two positions in north/east degrees, measured as legs are on
// `model`: the sphere's formula and miles, or the ellipsoid's geodesic.
double DistanceNM(const LatLon& from, const LatLon& to, DistanceModel model);

// The point `distanceNM` along the leg from `from` towards `to` on `model`'s earth: on
// the sphere along the great circle, on the ellipsoid along the geodesic. It may lie
// beyond `to`. Nothing when a coordinate cannot be read.
std::optional<LatLon> PointAlongLeg(const GeoPoint& from, const GeoPoint& to, double distanceNM,
                                    DistanceModel model);
LatLon PointAlongLeg(const LatLon& from, const LatLon& to, double distanceNM, DistanceModel model);

// A leg in both units with the texts the route shows ("##,##0.0"). The statute miles
// come from the unrounded nautical miles, so the two texts need not agree with a
// conversion of the shown nautical text.
struct LegDistance
{
    double nm = 0;
    double sm = 0;
    QString nmText;
    QString smText;
};

LegDistance ComputeLeg(const GeoPoint& from, const GeoPoint& to,
                       DistanceModel model = DistanceModel::Sphere);
