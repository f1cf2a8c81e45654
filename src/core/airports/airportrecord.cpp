#include "core/airports/airportrecord.h"

#include "core/db/engine.h"

#include <QVariant>

#include <cmath>

namespace {

QString textOf(const QVariant& stored)
{
    return stored.isNull() ? QString() : stored.toString();
}

// A number column; a missing or unreadable value reads as nothing.
std::optional<double> numberOf(const QVariant& stored)
{
    if (stored.isNull())
        return std::nullopt;
    bool ok = false;
    const double value = stored.typeId() == QMetaType::QString
                             ? stored.toString().trimmed().toDouble(&ok)
                             : stored.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint64> wholeOf(const QVariant& stored)
{
    const std::optional<double> value = numberOf(stored);
    if (!value)
        return std::nullopt;
    return qint64(std::llround(*value));
}

Coordinate coordinateOf(const Db::Recordset& set, const QString& degrees, const QString& minutes,
                        const QString& seconds)
{
    Coordinate c;
    c.DegreesText = textOf(set.value(degrees));
    c.Minutes = qint16(wholeOf(set.value(minutes)).value_or(0));
    c.Seconds = set.value(seconds).toDouble();
    return c;
}

void writeCoordinate(Db::Recordset& set, const Coordinate& c, const QString& degrees,
                     const QString& minutes, const QString& seconds)
{
    set.setValue(degrees, c.DegreesText);
    set.setValue(minutes, c.Minutes);
    set.setValue(seconds, c.Seconds);
}

Coordinate fromDecimal(double degrees, double limit, int digits, bool negativeHemisphere)
{
    if (!std::isfinite(degrees) || std::fabs(degrees) > limit)
        return Coordinate{};
    // One rounding of the whole angle to thousandths of a second, so a position whose
    // seconds round up to 60 comes out as the next minute (and degree), never as 60".
    const qint64 thousandths = std::llround(std::fabs(degrees) * 3600000.0);
    Coordinate c;
    c.DegreesText = QStringLiteral("%1").arg(thousandths / 3600000, digits, 10, QLatin1Char('0'));
    c.Minutes = qint16(thousandths / 60000 % 60);
    c.Seconds = double(thousandths % 60000) / 1000.0;
    // The sign stays in the text even on zero degrees; only a point that rounds to
    // the equator or the zero meridian itself has none.
    if (negativeHemisphere && thousandths > 0)
        c.DegreesText.prepend(QLatin1Char('-'));
    return c;
}

} // namespace

std::optional<float> timeZoneFromStored(const QVariant& stored)
{
    const std::optional<double> value = numberOf(stored);
    if (!value)
        return std::nullopt;
    return float(*value);
}

QString storedWholeText(const QVariant& stored, WholeRange range)
{
    if (stored.isNull())
        return QString();
    bool ok = false;
    const double value = stored.typeId() == QMetaType::QString
                             ? stored.toString().trimmed().toDouble(&ok)
                             : stored.toDouble(&ok);
    const double whole = std::round(value);
    if (!ok || !std::isfinite(value) || !range.contains(whole))
        return QString();
    return QString::number(qint32(whole));
}

AirportRecord readAirportRecord(const Db::Recordset& set)
{
    using namespace AirportColumn;
    AirportRecord record;
    record.ID = textOf(set.value(Id));
    record.NAME = textOf(set.value(Name));
    record.STATE = textOf(set.value(State));
    record.COUNTRY = textOf(set.value(Country));
    record.ELEVATION = qint32(wholeOf(set.value(Elevation)).value_or(0));
    record.Latitude = coordinateOf(set, LatitudeDegrees, LatitudeMinutes, LatitudeSeconds);
    record.Longitude = coordinateOf(set, LongitudeDegrees, LongitudeMinutes, LongitudeSeconds);
    record.RUNWAY_LENGTH = qint32(wholeOf(set.value(RunwayLength)).value_or(0));
    if (const auto width = wholeOf(set.value(RunwayWidth)))
        record.RUNWAY_WIDTH = qint16(*width);
    record.TIME_ZONE = timeZoneFromStored(set.value(TimeZone));
    const auto laterText = [&set](const QString& column) {
        return set.fieldIndex(column) >= 0 ? textOf(set.value(column)).trimmed() : QString();
    };
    record.TIME_ZONE_NAME = laterText(TimeZoneName);
    record.IATA = laterText(Iata);
    record.CITY = laterText(City);
    record.PUB_MIL = textOf(set.value(PubMil));
    record.IFR = set.value(Ifr).toBool();
    record.CUSTOMS = set.value(Customs).toBool();
    record.FUEL = textOf(set.value(Fuel));
    record.LIGHTING = textOf(set.value(Lighting));
    return record;
}

void writeAirportRecord(Db::Recordset& set, const AirportRecord& record)
{
    using namespace AirportColumn;
    set.setValue(Id, record.ID);
    set.setValue(Name, record.NAME);
    set.setValue(State, record.STATE);
    set.setValue(Country, record.COUNTRY);
    set.setValue(Elevation, record.ELEVATION);
    writeCoordinate(set, record.Latitude, LatitudeDegrees, LatitudeMinutes, LatitudeSeconds);
    writeCoordinate(set, record.Longitude, LongitudeDegrees, LongitudeMinutes, LongitudeSeconds);
    set.setValue(RunwayLength, record.RUNWAY_LENGTH);
    set.setValue(RunwayWidth, record.RUNWAY_WIDTH ? QVariant(*record.RUNWAY_WIDTH) : QVariant());
    set.setValue(TimeZone, record.TIME_ZONE ? QVariant(*record.TIME_ZONE) : QVariant());
    const auto writeLater = [&set](const QString& column, const QString& text) {
        if (!text.isEmpty() || set.fieldIndex(column) >= 0)
            set.setValue(column, text);
    };
    writeLater(TimeZoneName, record.TIME_ZONE_NAME);
    writeLater(Iata, record.IATA);
    writeLater(City, record.CITY);
    set.setValue(PubMil, record.PUB_MIL);
    set.setValue(Ifr, record.IFR);
    set.setValue(Customs, record.CUSTOMS);
    set.setValue(Fuel, record.FUEL);
    set.setValue(Lighting, record.LIGHTING);
}

Coordinate latitudeFromDecimal(double degrees)
{
    return fromDecimal(degrees, 90, 2, degrees < 0);
}

Coordinate longitudeFromDecimal(double degrees)
{
    // Public data counts east as positive; the table counts west.
    return fromDecimal(degrees, 180, 3, degrees > 0);
}
