#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Db {
class Workspace;
}

// Reads the public OurAirports downloads (airports, runways, countries and an
// optional time-zone table) into the table Airports. Columns are found by their
// header name, so a fresh download with more columns reads the same way.
//
// An airport's time zone is its standard offset from UTC, found in this order: by its
// ident (else its gps_code) in the time-zone table of the download, then in the table
// the program ships (ShippedZoneTable, made from the airports' positions); else the
// zone of the nearest airport of those tables with a position, of the same country,
// within NearestZoneMiles. It stays empty when none is found or the offset is one the
// table cannot hold (beyond -12..+12, or not a whole quarter hour). The IANA name of the
// zone found that way is kept too (TIME ZONE NAME), when this machine's time-zone
// database knows it, also where the offset cannot be held. The airport's iata_code is
// kept when it is three letters (another is left out, with a note), its municipality as
// its city, cut at 40 characters. A database made before those columns gains them in
// the import's transaction.
//
// A time-zone table has the columns ident and tz_database_name (an IANA name), and
// optionally standard_offset_hours (preferred to the name when given), latitude_deg,
// longitude_deg and iso_country (for the nearest-airport search).
namespace OurAirports {

inline const QString ShippedZoneTable = QStringLiteral(":/data/ourairports/timezones.csv");
constexpr double NearestZoneMiles = 50; // nautical miles

struct Options
{
    QString airportsCsv;
    QString runwaysCsv;
    QString countriesCsv; // optional: without it the country is the ISO code
    QString timezonesCsv; // optional: looked up before the shipped table
    bool updateExisting = false;

    // The files of an OurAirports download in `folder`, its timezones.csv when it has one.
    static Options inFolder(const QString& folder);
};

struct Summary
{
    int read = 0; // data lines of the airports file
    int added = 0;
    int updated = 0;
    QMap<QString, int> skipped; // reason -> count: airports the table does not take
    int rejected = 0; // airport lines refused: malformed, a value out of range, a duplicate
    // Airports of the file that the table holds now: added, updated or already there.
    int kept = 0;
    // Every refused line of every file, "airports.csv line 123 (KXYZ): ...". A refused
    // runway line is left out of its airport's runway choice.
    QStringList rejectedLines;
    // Lines taken without a value the table cannot hold (a runway's width).
    QStringList notes;
    // The files that were not UTF-8 and were read as Windows-1252.
    QStringList readAsWindows1252;
    // How the airports added or updated got their time zone, or did not.
    int zoneByIdentifier = 0;
    int zoneFromNearest = 0;
    int withoutZone = 0;

    // At least one airport line was read and no line of any file was refused.
    bool clean() const { return read > 0 && rejectedLines.isEmpty(); }
};

using Progress = std::function<void(int done, int total)>;

// Imports into the database at `databasePath` through `workspace`, in one
// transaction that is rolled back entirely on an engine failure (which is rethrown).
// An input file that cannot be read fails with DbError FileNotFound, and an airports
// file whose header lacks the columns read here with Unrecognized, before anything is
// written. A line whose values the table cannot hold as the airport editor would
// (see AirportLimits), a line holding a NUL and the second line of an identifier are
// refused and reported; the other lines are imported. An empty elevation is stored as
// none (an airport already in the table keeps its own).
Summary import(Db::Workspace& workspace, const QString& databasePath, const Options& options,
               const Progress& progress = {});

// The summary as lines for a terminal.
QString summaryText(const Summary& summary);

// The OurAirports ident when it has 3 or 4 letters or digits, else a gps_code of
// 4 letters or digits, else empty. Upper-cased.
QString chooseIdentifier(const QString& ident, const QString& gpsCode);

// The standard offset from UTC in hours of an IANA time zone as this machine's time-zone
// database has it, or nothing when the zone is unknown, lies outside -12..+12 or is
// not a whole quarter hour. The standard offset is the smallest offset in force for at
// least 60 days of the next year: the winter offset in both hemispheres, also where the
// rules call winter time a negative saving (Europe/Dublin), and not a short change such
// as Morocco's hour back during Ramadan.
std::optional<float> standardOffsetHours(const QString& ianaName);

} // namespace OurAirports
