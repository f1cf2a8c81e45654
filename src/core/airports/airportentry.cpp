#include "core/airports/airportentry.h"

#include <QTimeZone>

#include "core/airports/airporttext.h"
#include "core/db/engine.h"
#include "core/format.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace AirportEntryRules {

bool isIataCode(const QString& text)
{
    return text.size() == 3 && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
               return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
           });
}

std::optional<qint32> wholeNumber(const QString& text)
{
    const std::optional<double> value = Format::read(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    const double rounded = Format::roundHalfEven(*value);
    if (rounded < std::numeric_limits<qint32>::min() ||
        rounded > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(rounded);
}

std::optional<float> timeZone(const QString& text)
{
    const std::optional<double> value = Format::read(text);
    if (!value || !std::isfinite(float(*value)))
        return std::nullopt;
    return float(*value);
}

TimeZoneLeave leaveTimeZone(const QString& text)
{
    const std::optional<float> zone = timeZone(text);
    if (!zone)
        return {};
    TimeZoneLeave leave;
    leave.text = FormatTimeZone(*zone);
    const QString point = Format::NumberSymbols::current().decimalPoint;
    const bool quarter = leave.text.endsWith(point + u'5') ||
                         leave.text.endsWith(point + QStringLiteral("25")) ||
                         leave.text.endsWith(point + QStringLiteral("75"));
    leave.refused = *zone > 12 || *zone < -12 || (leave.text.contains(point) && !quarter);
    return leave;
}

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isSigned(const QString& text)
{
    return text.contains(u'-') || text.contains(u'+');
}

} // namespace

bool refusesElevationKey(const QString& rest, int position, QChar typed)
{
    if (isAsciiDigit(typed))
        return false;
    return !(typed == u'-' && position == 0 && !isSigned(rest));
}

bool refusesTimeZoneKey(const QString& rest, int position, const QString& typed)
{
    if (typed.size() != 1)
        return true;
    const QChar c = typed.at(0);
    if (isAsciiDigit(c))
        return false;
    // The point the time zone is read with: the user's decimal separator.
    const QString point = Format::NumberSymbols::current().decimalPoint;
    if (typed == point)
        return rest.contains(point);
    if (c == u'+' || c == u'-')
        return !(position == 0 && !isSigned(rest));
    return true;
}

} // namespace AirportEntryRules

std::optional<AirportEntry::Refusal> AirportEntry::check() const
{
    if (ident.isEmpty())
        return Refusal{Field::Ident, QStringLiteral("Enter Airport Identifier.")};
    if (ident.size() < 3)
        return Refusal{Field::Ident,
                       QStringLiteral("Airport Identifier must be 3 or 4 Characters.")};
    if (name.isEmpty())
        return Refusal{Field::Name, QStringLiteral("Enter Airport Name.")};
    if (!latitude.ok())
        return Refusal{Field::Latitude, latitude.error};
    if (!longitude.ok())
        return Refusal{Field::Longitude, longitude.error};
    if (country.isEmpty())
        return Refusal{Field::Country, QStringLiteral("Enter Country.")};
    if (elevation.isEmpty())
        return Refusal{Field::Elevation, QStringLiteral("Enter Elevation.")};
    if (runwayLength.isEmpty())
        return Refusal{Field::RunwayLength, QStringLiteral("Enter Runway Length.")};
    if (timeZone.isEmpty())
        return Refusal{Field::TimeZone, QStringLiteral("Enter Time Zone.")};
    if (type.isEmpty())
        return Refusal{Field::Type,
                       QStringLiteral("Select Type Airport (Public, Military, Joint or Private).")};
    // Empty is allowed: the airport's local times then keep its standard time alone.
    const QString zoneName = timeZoneName.trimmed();
    if (!zoneName.isEmpty() && !QTimeZone::isTimeZoneIdAvailable(zoneName.toUtf8()))
        return Refusal{Field::TimeZoneName,
                       QStringLiteral("The time zone name \"%1\" is not one this computer "
                                      "knows.\r\rChoose one from the list, or leave the field "
                                      "empty to keep the airport's standard time alone.")
                           .arg(zoneName)};
    const QString code = iata.trimmed();
    if (!code.isEmpty() && !AirportEntryRules::isIataCode(code))
        return Refusal{Field::Iata, QStringLiteral("The IATA Code must be three letters, or "
                                                   "left empty.")};
    return std::nullopt;
}

AirportRecord AirportEntry::record() const
{
    const Db::DbError conversion(Db::Error::TypeMismatch,
                                 QStringLiteral("Data type conversion error."));
    const auto whole = [&](const QString& text) {
        const std::optional<qint32> value = AirportEntryRules::wholeNumber(text);
        if (!value)
            throw conversion;
        return *value;
    };
    AirportRecord r;
    r.ID = ident;
    r.NAME = name;
    r.STATE = state;
    r.COUNTRY = country;
    r.ELEVATION = whole(elevation);
    r.Latitude = latitude.coordinate;
    r.Longitude = longitude.coordinate;
    r.RUNWAY_LENGTH = whole(runwayLength);
    if (!runwayWidth.isEmpty()) {
        const qint32 width = whole(runwayWidth);
        if (width < std::numeric_limits<qint16>::min() ||
            width > std::numeric_limits<qint16>::max())
            throw conversion;
        r.RUNWAY_WIDTH = qint16(width);
    }
    r.TIME_ZONE = AirportEntryRules::timeZone(timeZone);
    if (!r.TIME_ZONE)
        throw conversion;
    r.PUB_MIL = UseCode(type);
    r.IFR = ifr;
    r.CUSTOMS = customs;
    r.FUEL = fuel;
    r.LIGHTING = lighting;
    r.TIME_ZONE_NAME = timeZoneName.trimmed();
    r.IATA = iata.trimmed().toUpper();
    r.CITY = city.trimmed();
    return r;
}
