#include "core/distance.h"

#include "core/format.h"

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

    const double a = squaredSine((*lon1 - *lon2) / 2) * (std::cos(*lat2) * std::cos(*lat1)) +
                     squaredSine((*lat1 - *lat2) / 2);
    const double c = ArcSin(std::sqrt(a)) + ArcSin(std::sqrt(a));
    return NauticalMilesPerRadian * c;
}

LegDistance ComputeLeg(const GeoPoint& from, const GeoPoint& to)
{
    LegDistance leg;
    leg.nm = LegDistanceNM(from, to);
    leg.sm = leg.nm * StatuteMilesPerNauticalMile;
    leg.nmText = Format::number(leg.nm, Format::LegMiles);
    leg.smText = Format::number(leg.sm, Format::LegMiles);
    return leg;
}
