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
// optional list of time-zone names) into the table Airports. Columns are found by
// their header name, so a fresh download with more columns reads the same way.
namespace OurAirports {

struct Options
{
    QString airportsCsv;
    QString runwaysCsv;
    QString countriesCsv; // optional: without it the country is the ISO code
    QString timezonesCsv; // optional: without it the time zone stays empty
    bool updateExisting = false;
};

struct Summary
{
    int read = 0; // data lines of the airports file
    int added = 0;
    int updated = 0;
    QMap<QString, int> skipped; // reason -> count: airports the table does not take
    int rejected = 0;           // airport lines refused: malformed, or a value out of range
    // Every refused line of every file, "airports.csv line 123 (KXYZ): ...". A refused
    // runway line is left out of its airport's runway choice.
    QStringList rejectedLines;
    // Lines taken without a value the table cannot hold (a runway's width).
    QStringList notes;

    // At least one airport line was read and no line of any file was refused.
    bool clean() const { return read > 0 && rejectedLines.isEmpty(); }
};

using Progress = std::function<void(int done, int total)>;

// Imports into the database at `databasePath` through `workspace`, in one
// transaction that is rolled back entirely on an engine failure (which is rethrown).
// An input file that cannot be read fails with DbError FileNotFound before anything
// is written. A line whose values the table cannot hold as the airport editor would
// (see AirportLimits) is refused and reported; the other lines are imported.
Summary import(Db::Workspace& workspace, const QString& databasePath, const Options& options,
               const Progress& progress = {});

// The summary as lines for a terminal.
QString summaryText(const Summary& summary);

// The OurAirports ident when it has 3 or 4 letters or digits, else a gps_code of
// 4 letters or digits, else empty. Upper-cased.
QString chooseIdentifier(const QString& ident, const QString& gpsCode);

// The standard offset from UTC in hours of an IANA time zone, or nothing when the
// zone is unknown, lies outside -12..+12 or is not a whole quarter hour.
std::optional<float> standardOffsetHours(const QString& ianaName);

} // namespace OurAirports
