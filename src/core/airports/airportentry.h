#pragma once

#include "core/airports/airportrecord.h"
#include "core/distance.h"

#include <QString>

#include <optional>

// A coordinate read from an entry, or the message that refuses it.
struct CoordinateReading
{
    Coordinate coordinate;
    QString error; // "Enter Latitude.", "Invalid Longitude.", ...; empty when readable

    bool ok() const { return error.isEmpty(); }
};

// What the operator entered in the airport editor, as the fields hold it, and the
// rules the editor applies to it, apart from the window.
struct AirportEntry
{
    QString ident, name, state, country, elevation, runwayLength, runwayWidth, timeZone;
    CoordinateReading latitude, longitude; // as the coordinate entries read
    QString type;                          // the type list's text; empty when none chosen
    bool ifr = false, customs = false;
    QString fuel, lighting;
    QString timeZoneName; // an IANA zone name, or empty
    QString iata, city;   // the code customers know and the city served; may be empty

    enum class Field
    {
        Ident,
        Name,
        Latitude,
        Longitude,
        Country,
        Elevation,
        RunwayLength,
        TimeZone,
        Type,
        TimeZoneName,
        Iata
    };
    struct Refusal
    {
        Field field;     // where the focus goes
        QString message; // the exclamation message titled with the window's caption
    };

    // Save's checks in their order; the first that fails, or nothing.
    std::optional<Refusal> check() const;

    // The record to store. Fails with the engine's conversion error (3421) for a number
    // that does not read or does not fit its column, as the table would.
    AirportRecord record() const;
};

namespace AirportEntryRules {

// An IATA code as the table keeps it: three letters A-Z, any case.
bool isIataCode(const QString& text);

// A number field's text as a whole number (halves to the even neighbour); nothing when
// it is empty, does not read or does not fit 32 bits.
std::optional<qint32> wholeNumber(const QString& text);
// The time zone field's text as a number, in the user's number format.
std::optional<float> timeZone(const QString& text);

// Leaving the time zone field: its text rewritten in its shortest form ("05.50"
// becomes "+5.5"; empty when it does not read) and whether the value is refused (above
// 12, below -12, or a fraction other than .25, .5 or .75), which keeps the focus there.
struct TimeZoneLeave
{
    QString text;
    bool refused = false;
};
TimeZoneLeave leaveTimeZone(const QString& text);

// The key rules of the number fields: true when the typed character is dropped. `rest`
// is the field's text without its selection, `position` where the character goes.
// Digits pass everywhere; the elevation takes a "-" first; the time zone one decimal
// sign and a sign at the first position.
bool refusesElevationKey(const QString& rest, int position, QChar typed);
bool refusesTimeZoneKey(const QString& rest, int position, const QString& typed);

} // namespace AirportEntryRules
