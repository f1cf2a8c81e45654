#include "core/airports/airporttext.h"

#include "core/format.h"

#include <charconv>
#include <cmath>

namespace {

QString formatCoordinate(const Coordinate& c, QChar negative, QChar positive,
                         const QString& degreesMask)
{
    const bool negativeHemisphere = c.DegreesText.startsWith(QLatin1Char('-'));
    // Degrees are stored as plain digits; a text that does not read shows as 0.
    const double degrees = std::fabs(c.DegreesText.trimmed().toDouble());
    return QString(negativeHemisphere ? negative : positive) +
           Format::number(degrees, degreesMask) + QChar(0x00B0) +
           Format::number(c.Minutes, Format::TwoDigits) + QLatin1Char('\'') +
           Format::number(c.Seconds, Format::Seconds) + QLatin1Char('"');
}

} // namespace

QString FormatLatitude(const Coordinate& latitude)
{
    return formatCoordinate(latitude, QLatin1Char('S'), QLatin1Char('N'), Format::TwoDigits);
}

QString FormatLongitude(const Coordinate& longitude)
{
    return formatCoordinate(longitude, QLatin1Char('E'), QLatin1Char('W'), Format::ThreeDigits);
}

QString FormatTimeZone(std::optional<float> timeZone)
{
    if (!timeZone || !std::isfinite(*timeZone))
        return QString();
    // The shortest text of the single-precision value, so a stored 0.1 shows as 0.1
    // and not as the 0.100000001 its widening to double would give.
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, *timeZone);
    double shortest = 0;
    std::from_chars(buffer, written.ptr, shortest);
    const QString text = Format::general(shortest);
    return shortest > 0 ? QLatin1Char('+') + text : text;
}

QString UseText(const QString& code)
{
    if (code == QLatin1String("P"))
        return QStringLiteral("Public");
    if (code == QLatin1String("M"))
        return QStringLiteral("Military");
    if (code == QLatin1String("J"))
        return QStringLiteral("Joint");
    if (code == QLatin1String("V"))
        return QStringLiteral("Private");
    return QString();
}

QString UseCode(const QString& word)
{
    if (word.isEmpty())
        return QString();
    if (word == QLatin1String("Public"))
        return QStringLiteral("P");
    if (word == QLatin1String("Military"))
        return QStringLiteral("M");
    if (word == QLatin1String("Private"))
        return QStringLiteral("V");
    // "Joint" and any word outside the list.
    return QStringLiteral("J");
}
