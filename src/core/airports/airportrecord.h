#pragma once

#include "core/distance.h"

#include <QString>
#include <QtGlobal>

#include <optional>

class QVariant;

namespace Db {
class Recordset;
}

// The whole numbers the editor's fields can hold, by their length: five characters with
// a leading "-" for the elevation, five digits for the runway length, three for the
// width. Whatever writes an airport keeps to them, so that every stored airport can be
// opened and saved again unchanged.
struct WholeRange
{
    qint32 lowest;
    qint32 highest;

    constexpr bool contains(double value) const { return value >= lowest && value <= highest; }
};

namespace AirportLimits {
inline constexpr WholeRange Elevation{-9999, 99999};
inline constexpr WholeRange RunwayLength{0, 99999};
inline constexpr WholeRange RunwayWidth{0, 999};
} // namespace AirportLimits

// The columns of the table Airports as the program names them. The engine compares
// column names without regard to case, so "Latitude Degrees" names the same column.
namespace AirportColumn {
inline const QString Id = QStringLiteral("ID");
inline const QString Name = QStringLiteral("NAME");
inline const QString State = QStringLiteral("STATE");
inline const QString Country = QStringLiteral("COUNTRY");
inline const QString Elevation = QStringLiteral("ELEVATION");
inline const QString LatitudeDegrees = QStringLiteral("LATITUDE DEGREES");
inline const QString LatitudeMinutes = QStringLiteral("LATITUDE MINUTES");
inline const QString LatitudeSeconds = QStringLiteral("LATITUDE SECONDS");
inline const QString LongitudeDegrees = QStringLiteral("LONGITUDE DEGREES");
inline const QString LongitudeMinutes = QStringLiteral("LONGITUDE MINUTES");
inline const QString LongitudeSeconds = QStringLiteral("LONGITUDE SECONDS");
inline const QString RunwayLength = QStringLiteral("RUNWAY LENGTH");
inline const QString RunwayWidth = QStringLiteral("RUNWAY WIDTH");
inline const QString TimeZone = QStringLiteral("TIME ZONE");
// Added after the first databases were made: a database made before has no such columns
// until the program or `brisklander-db import` adds them (Schema::addAirportColumns).
inline const QString TimeZoneName = QStringLiteral("TIME ZONE NAME");
inline const QString Iata = QStringLiteral("IATA");
inline const QString City = QStringLiteral("CITY");
inline const QString PubMil = QStringLiteral("PUB/MIL");
inline const QString Ifr = QStringLiteral("IFR");
inline const QString Customs = QStringLiteral("CUSTOMS");
inline const QString Fuel = QStringLiteral("FUEL");
inline const QString Lighting = QStringLiteral("LIGHTING");
} // namespace AirportColumn

// One row of the table Airports, one member per column under the column's name.
// The hemisphere of a coordinate lives in its degrees text: "-" marks south and
// EAST (the table counts west as positive), and "-00" keeps it below one degree.
struct AirportRecord
{
    QString ID;
    QString NAME;
    QString STATE;
    QString COUNTRY;
    qint32 ELEVATION = 0;
    Coordinate Latitude;  // LATITUDE DEGREES, MINUTES, SECONDS
    Coordinate Longitude; // LONGITUDE DEGREES, MINUTES, SECONDS
    qint32 RUNWAY_LENGTH = 0;
    std::optional<qint16> RUNWAY_WIDTH; // no value when the width was left empty
    std::optional<float> TIME_ZONE;     // hours from UTC; no value when missing or not a number
    QString PUB_MIL;                    // "P", "M", "J" or "V"
    bool IFR = false;
    bool CUSTOMS = false;
    QString FUEL;
    QString LIGHTING;
    // Last, so that a record spelt out field by field reads as before it was kept.
    QString TIME_ZONE_NAME; // TIME ZONE NAME: the IANA zone ("America/New_York"); may be empty
    QString IATA;           // the three-letter code customers know ("LAS"); may be empty
    QString CITY;           // the city the airport serves; may be empty
};

// The airport of the record set's current row. Missing values in STATE, COUNTRY,
// ELEVATION, RUNWAY LENGTH, FUEL and LIGHTING read as empty text or zero, a missing
// RUNWAY WIDTH as no value, a TIME ZONE that is not a number as no value, and a
// TIME ZONE NAME, IATA or CITY that is missing, or a table without its column, as empty text.
// Throws the engine's DbError when there is no current row.
AirportRecord readAirportRecord(const Db::Recordset& set);

// Writes every column of the record into the record set's edit buffer (after
// addNew() or edit(); the caller stores it with update()). A table without the column
// TIME ZONE NAME, IATA or CITY takes a record with that field empty; one with a value
// there fails with the engine's ItemNotFound, so that no value is dropped unsaid.
void writeAirportRecord(Db::Recordset& set, const AirportRecord& record);

// The text of a stored whole number for an editor field that holds `range`: empty when
// the value is missing, is not a number or lies outside the field (its text would be cut
// to the field's length, and Save would store another number).
QString storedWholeText(const QVariant& stored, WholeRange range);

// A stored time zone as a number, or no value when it is missing or does not
// read as one.
std::optional<float> timeZoneFromStored(const QVariant& stored);

// Public airport data gives positions in decimal degrees, north and east positive.
// These turn them into the table's form: two (latitude) or three (longitude) degree
// digits with "-" for south or east, minutes, and seconds rounded to three decimals
// (a rounding that reaches 60 seconds carries into the minutes and degrees). A value
// that is not a finite number gives an empty degrees text, which every reader of a
// coordinate takes as unreadable.
Coordinate latitudeFromDecimal(double degrees);
Coordinate longitudeFromDecimal(double degrees);
