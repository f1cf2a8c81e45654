#include "core/folder/ourairportsimport.h"

#include "core/airports/airportentry.h"
#include "core/airports/airportrecord.h"
#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/distance.h"
#include "core/folder/ourairportscsv.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTimeZone>

#include <QtMath>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace OurAirports {

namespace {

const QString NotAnAirport = QStringLiteral("not an airport type");
const QString NoRunway = QStringLiteral("no open runway with a length");
const QString NoIdentifier = QStringLiteral("no usable identifier");
const QString AlreadyThere = QStringLiteral("already in the table");

struct RunwayInfo
{
    int length = 0;
    std::optional<qint16> width;
    bool lighted = false;
};

// A whole number of a CSV field, rounded half away from zero: no value when the field is
// empty; `refusal` says why when it is not a number or lies outside the range.
struct WholeField
{
    std::optional<qint32> value;
    QString refusal;
};

WholeField wholeField(const QString& text, const QString& what, WholeRange range)
{
    WholeField field;
    if (text.isEmpty())
        return field;
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok || !std::isfinite(number)) {
        field.refusal = QStringLiteral("%1 \"%2\" is not a number").arg(what, text);
        return field;
    }
    const double whole = std::round(number);
    if (!range.contains(whole)) {
        field.refusal = QStringLiteral("%1 %2 is outside %3..%4")
                            .arg(what, text)
                            .arg(range.lowest)
                            .arg(range.highest);
        return field;
    }
    field.value = qint32(whole);
    return field;
}

// A position in decimal degrees as the table keeps it, or why it is refused. The editor
// takes whole degrees below 90 (180) only, so a value that rounds, to thousandths of a
// second, onto a pole or onto the 180th meridian is refused like one off the globe: the
// airport could not be saved again. Minutes and seconds always come out below 60.
QString readCoordinate(const QString& text, bool latitude, Coordinate& coordinate)
{
    const QString what = latitude ? QStringLiteral("latitude") : QStringLiteral("longitude");
    bool ok = false;
    const double degrees = text.toDouble(&ok);
    if (!ok || !std::isfinite(degrees))
        return QStringLiteral("%1 \"%2\" is not a number").arg(what, text);
    coordinate = latitude ? latitudeFromDecimal(degrees) : longitudeFromDecimal(degrees);
    const int limit = latitude ? 90 : 180;
    if (std::abs(degrees) > limit)
        return QStringLiteral("%1 %2 is not between -%3 and %3").arg(what, text).arg(limit);
    if (coordinate.DegreesText.isEmpty() || std::abs(coordinate.DegreesText.toInt()) >= limit) {
        const QString where =
            latitude ? QStringLiteral("a pole") : QStringLiteral("the 180th meridian");
        return QStringLiteral("%1 %2 %3 %4, where the airport table cannot hold a position")
            .arg(what, text,
                 std::abs(degrees) >= limit ? QStringLiteral("is on")
                                            : QStringLiteral("rounds onto"),
                 where);
    }
    return QString();
}

// The longest open runway of each airport, by "ref:<airport_ref>" and "ident:<ident>".
// A runway line with a length the table cannot hold is refused and left out of the
// choice, so the airport gets its longest runway that can be stored, or none.
QHash<QString, RunwayInfo> readRunways(const QString& path, Summary& summary)
{
    QHash<QString, RunwayInfo> runways;
    const CsvFile csv(path, summary);
    const int ref = csv.column("airport_ref"), ident = csv.column("airport_ident"),
              length = csv.column("length_ft"), width = csv.column("width_ft"),
              lighted = csv.column("lighted"), closed = csv.column("closed");
    QStringList f;
    for (int i = 0; i < csv.lineCount(); ++i) {
        if (!csv.fields(i, f) || CsvFile::at(f, closed) == QLatin1String("1"))
            continue;
        const WholeField feet = wholeField(CsvFile::at(f, length), QStringLiteral("runway length"),
                                           AirportLimits::RunwayLength);
        const WholeField wide = wholeField(CsvFile::at(f, width), QStringLiteral("runway width"),
                                           AirportLimits::RunwayWidth);
        if (!feet.refusal.isEmpty()) {
            csv.report(i, feet.refusal + QStringLiteral("; the runway is left out"),
                       CsvFile::at(f, ident));
            continue;
        }
        // The width is optional: one the table cannot hold (water lanes are listed a
        // mile wide) costs the runway only its width.
        if (!wide.refusal.isEmpty())
            summary.notes << QStringLiteral("%1 line %2 (%3): %4; the runway is kept without "
                                            "a width")
                                 .arg(QFileInfo(path).fileName())
                                 .arg(i + 2)
                                 .arg(CsvFile::at(f, ident), wide.refusal);
        const QString key = !CsvFile::at(f, ref).isEmpty()
                                ? QStringLiteral("ref:") + CsvFile::at(f, ref)
                                : QStringLiteral("ident:") + CsvFile::at(f, ident).toUpper();
        RunwayInfo& info = runways[key];
        if (CsvFile::at(f, lighted) == QLatin1String("1"))
            info.lighted = true;
        // A length of 0 is no length, as an empty one.
        if (feet.value.value_or(0) > info.length) {
            info.length = *feet.value;
            info.width = wide.value ? std::optional<qint16>(qint16(*wide.value)) : std::nullopt;
        }
    }
    return runways;
}

// A two-column lookup (key column -> value column), keys upper-cased.
QHash<QString, QString> readLookup(const QString& path, const QString& keyColumn,
                                   const QString& valueColumn, Summary& summary)
{
    QHash<QString, QString> lookup;
    if (path.isEmpty())
        return lookup;
    const CsvFile csv(path, summary);
    const int key = csv.column(keyColumn), value = csv.column(valueColumn);
    QStringList f;
    for (int i = 0; i < csv.lineCount(); ++i) {
        if (csv.fields(i, f))
            lookup.insert(CsvFile::at(f, key).toUpper(), CsvFile::at(f, value));
    }
    return lookup;
}

// Hours as the table keeps a time zone: whole quarter hours from -12 to +12.
std::optional<float> storableHours(double hours)
{
    const double quarters = hours * 4;
    if (!std::isfinite(quarters) || std::abs(quarters - std::round(quarters)) > 1e-6 ||
        std::round(quarters) < -48 || std::round(quarters) > 48)
        return std::nullopt;
    return float(std::round(quarters) / 4);
}

// The time zones of the airports of one or more tables, by identifier and by position.
class ZoneTable
{
public:
    struct Zone
    {
        std::optional<float> hours; // no value: the table cannot hold the offset
        QString name;               // the IANA name, when this machine knows it
    };

    // Adds the lines of a table; an identifier already known keeps the zone it has.
    void read(const CsvFile& csv)
    {
        const int cIdent = csv.column("ident"), cName = csv.column("tz_database_name"),
                  cOffset = csv.column("standard_offset_hours"), cLat = csv.column("latitude_deg"),
                  cLon = csv.column("longitude_deg"), cCountry = csv.column("iso_country");
        QStringList f;
        for (int i = 0; i < csv.lineCount(); ++i) {
            if (!csv.fields(i, f))
                continue;
            const QString ident = CsvFile::at(f, cIdent).toUpper();
            if (ident.isEmpty())
                continue;
            Zone zone;
            const QString name = CsvFile::at(f, cName).trimmed();
            auto available = m_available.constFind(name);
            if (available == m_available.cend())
                available =
                    m_available.insert(name, QTimeZone::isTimeZoneIdAvailable(name.toUtf8()));
            if (*available)
                zone.name = name;
            const QString offset = CsvFile::at(f, cOffset);
            if (!offset.isEmpty()) {
                bool ok = false;
                const double hours = offset.toDouble(&ok);
                if (!ok || !std::isfinite(hours)) {
                    csv.report(i,
                               QStringLiteral("standard offset \"%1\" is not a number").arg(offset),
                               ident);
                    continue;
                }
                zone.hours = storableHours(hours);
            } else {
                auto known = m_byName.constFind(name);
                if (known == m_byName.cend())
                    known = m_byName.insert(name, standardOffsetHours(name));
                zone.hours = *known;
            }
            if (!m_byIdent.contains(ident))
                m_byIdent.insert(ident, zone);
            bool latOk = false, lonOk = false;
            const double lat = CsvFile::at(f, cLat).toDouble(&latOk);
            const double lon = CsvFile::at(f, cLon).toDouble(&lonOk);
            if (latOk && lonOk && std::abs(lat) <= 90 && std::abs(lon) <= 180)
                m_placed.append({zone, CsvFile::at(f, cCountry).toUpper(), lat, lon});
        }
        std::sort(m_placed.begin(), m_placed.end(),
                  [](const Placed& a, const Placed& b) { return a.latitude < b.latitude; });
    }

    // The zone listed for `ident`, or null when no table lists it.
    const Zone* byIdentifier(const QString& ident) const
    {
        const auto it = m_byIdent.constFind(ident.toUpper());
        return ident.isEmpty() || it == m_byIdent.cend() ? nullptr : &*it;
    }

    // The zone of the listed airport nearest to `latitude`, `longitude` (decimal degrees,
    // north and east positive, as the tables have them) within NearestZoneMiles, of the
    // same country when both name one, or null when there is none.
    const Zone* nearest(double latitude, double longitude, const QString& country) const
    {
        // A minute of arc is a nautical mile: nothing beyond this many degrees of
        // latitude is near enough, nor, where a degree of longitude is shorter, beyond
        // this many degrees of longitude.
        const double band = NearestZoneMiles / 60;
        const double shortest =
            std::cos(qDegreesToRadians(std::min(90.0, std::abs(latitude) + band)));
        const GeoPoint here{latitudeFromDecimal(latitude), longitudeFromDecimal(longitude)};
        const QString wanted = country.toUpper();
        const Zone* best = nullptr;
        double bestMiles = NearestZoneMiles;
        auto it = std::lower_bound(m_placed.cbegin(), m_placed.cend(), latitude - band,
                                   [](const Placed& p, double l) { return p.latitude < l; });
        for (; it != m_placed.cend() && it->latitude <= latitude + band; ++it) {
            if (!wanted.isEmpty() && !it->country.isEmpty() && it->country != wanted)
                continue;
            double east = std::abs(it->longitude - longitude);
            east = std::min(east, 360 - east);
            if (east * shortest > band)
                continue;
            const double miles = LegDistanceNM(
                here, {latitudeFromDecimal(it->latitude), longitudeFromDecimal(it->longitude)});
            if (miles <= bestMiles) {
                bestMiles = miles;
                best = &it->zone;
            }
        }
        return best;
    }

private:
    struct Placed
    {
        Zone zone;
        QString country;
        double latitude = 0;
        double longitude = 0;
    };
    QHash<QString, Zone> m_byIdent;
    QList<Placed> m_placed; // by latitude
    QHash<QString, std::optional<float>> m_byName;
    QHash<QString, bool> m_available; // zone names this machine knows
};

bool lettersOrDigits(const QString& text, int minLength, int maxLength)
{
    if (text.size() < minLength || text.size() > maxLength)
        return false;
    for (const QChar c : text) {
        if (!(c.isDigit() || (c.toLatin1() >= 'A' && c.toLatin1() <= 'Z') ||
              (c.toLatin1() >= 'a' && c.toLatin1() <= 'z')))
            return false;
    }
    return true;
}

} // namespace

QString chooseIdentifier(const QString& ident, const QString& gpsCode)
{
    const QString i = ident.trimmed(), g = gpsCode.trimmed();
    if (lettersOrDigits(i, 3, 4))
        return i.toUpper();
    if (lettersOrDigits(g, 4, 4))
        return g.toUpper();
    return QString();
}

std::optional<float> standardOffsetHours(const QString& ianaName)
{
    const QTimeZone zone(ianaName.trimmed().toUtf8());
    if (ianaName.trimmed().isEmpty() || !zone.isValid())
        return std::nullopt;
    // The next year follows the rules in force now, whatever change came earlier this year.
    const int year = QDate::currentDate().year() + 1;
    const QDateTime start(QDate(year, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime end(QDate(year + 1, 1, 1), QTime(0, 0), Qt::UTC);
    QMap<int, qint64> inForce; // offset in seconds -> seconds of the year, smallest first
    int offset = zone.offsetFromUtc(start);
    QDateTime from = start;
    for (const QTimeZone::OffsetData& change : zone.transitions(start, end)) {
        inForce[offset] += from.secsTo(change.atUtc);
        offset = change.offsetFromUtc;
        from = change.atUtc;
    }
    inForce[offset] += from.secsTo(end);
    constexpr qint64 Season = 60 * 24 * 3600;
    for (auto it = inForce.cbegin(); it != inForce.cend(); ++it) {
        if (it.value() >= Season)
            return storableHours(it.key() / 3600.0);
    }
    return std::nullopt;
}

Summary import(Db::Workspace& workspace, const QString& databasePath, const Options& options,
               const Progress& progress)
{
    Summary summary;
    // Every input is read before the database is touched, so an unreadable file
    // writes nothing.
    const CsvFile airports(options.airportsCsv, summary);
    // Without these it is no airports file of OurAirports: each of its lines would be
    // skipped for a reason that is not its own.
    const QStringList missing =
        airports.missingColumns({"ident", "type", "name", "latitude_deg", "longitude_deg"});
    if (!missing.isEmpty() && airports.lineCount() > 0)
        throw Db::DbError(Db::Error::Unrecognized,
                          QStringLiteral("The file '%1' is not an airports file of OurAirports: "
                                         "its first line names no column %2.")
                              .arg(options.airportsCsv, missing.join(QStringLiteral(", "))));
    const QHash<QString, RunwayInfo> runways = readRunways(options.runwaysCsv, summary);
    const auto countries = readLookup(options.countriesCsv, "code", "name", summary);
    ZoneTable zones;
    QByteArray ownZones;
    if (!options.timezonesCsv.isEmpty()) {
        const CsvFile table(options.timezonesCsv, summary);
        zones.read(table);
        ownZones = table.bytes();
    }
    // The starter data's own table is the one the program ships: read once.
    const CsvFile shipped(ShippedZoneTable, summary);
    if (ownZones != shipped.bytes())
        zones.read(shipped);

    auto database = workspace.openDatabase(databasePath);
    QSet<QString> existing;
    {
        auto ids = database->openRecordset(QStringLiteral("SELECT ID FROM Airports"),
                                           Db::RecordsetType::Snapshot);
        for (int i = 0; i < ids->recordCount(); ++i)
            existing.insert(ids->row(i).value(0).toString().toUpper());
    }
    Db::Transaction transaction(workspace);
    // A database made before zone names were kept gains their column with the import,
    // and one made before the count was kept its count.
    Schema::addAirportColumns(*database);
    Schema::countAirportRows(*database);
    auto set = database->openRecordset(QStringLiteral("Airports"));

    const int cId = airports.column("id"), cIdent = airports.column("ident"),
              cType = airports.column("type"), cName = airports.column("name"),
              cLat = airports.column("latitude_deg"), cLon = airports.column("longitude_deg"),
              cElevation = airports.column("elevation_ft"),
              cCountry = airports.column("iso_country"), cRegion = airports.column("iso_region"),
              cGps = airports.column("gps_code"), cIata = airports.column("iata_code"),
              cCity = airports.column("municipality");
    const auto at = [](const QStringList& f, int c) { return CsvFile::at(f, c); };
    const QSet<QString> types{"small_airport", "medium_airport", "large_airport"};
    QHash<QString, int> seen; // identifier -> the line of this file that has it
    const int total = airports.lineCount();
    QStringList f;
    for (int i = 0; i < total; ++i) {
        if (progress && i > 0 && i % 1000 == 0)
            progress(i, total);
        if (airports.isBlank(i))
            continue;
        ++summary.read;
        if (!airports.fields(i, f)) {
            ++summary.rejected;
            continue;
        }
        if (!types.contains(at(f, cType))) {
            ++summary.skipped[NotAnAirport];
            continue;
        }
        const QString ident = at(f, cIdent), gps = at(f, cGps);
        AirportRecord r;
        // An empty elevation stays empty: a 0 would claim the airport lies at sea level.
        const WholeField elevation =
            wholeField(at(f, cElevation), QStringLiteral("elevation"), AirportLimits::Elevation);
        QString refusal = readCoordinate(at(f, cLat), true, r.Latitude);
        if (refusal.isEmpty())
            refusal = readCoordinate(at(f, cLon), false, r.Longitude);
        if (refusal.isEmpty())
            refusal = elevation.refusal;
        if (!refusal.isEmpty()) {
            airports.report(i, refusal, ident);
            ++summary.rejected;
            continue;
        }
        RunwayInfo runway = runways.value(QStringLiteral("ref:") + at(f, cId));
        if (runway.length == 0)
            runway = runways.value(QStringLiteral("ident:") + ident.toUpper());
        if (runway.length == 0) {
            ++summary.skipped[NoRunway];
            continue;
        }
        r.ID = chooseIdentifier(ident, gps);
        if (r.ID.isEmpty()) {
            ++summary.skipped[NoIdentifier];
            continue;
        }
        // Two lines of one file for one airport: the first is taken, the second named.
        const auto first = seen.constFind(r.ID);
        if (first != seen.cend()) {
            airports.report(i,
                            QStringLiteral("identifier %1 again, as on line %2; the line is left "
                                           "out")
                                .arg(r.ID)
                                .arg(*first),
                            ident);
            ++summary.rejected;
            continue;
        }
        seen.insert(r.ID, airports.fileLine(i));
        const bool known = existing.contains(r.ID);
        ++summary.kept;
        if (known && !options.updateExisting) {
            ++summary.skipped[AlreadyThere];
            continue;
        }
        // One line, as the editor's field shows it: a quoted line break becomes a blank.
        r.NAME = at(f, cName).simplified().toUpper().left(50);
        const QString region = at(f, cRegion);
        r.STATE = region.mid(region.indexOf('-') + 1).toUpper().left(3);
        const QString code = at(f, cCountry);
        r.COUNTRY = countries.value(code.toUpper(), code).toUpper().left(25);
        r.ELEVATION = elevation.value.value_or(0);
        r.RUNWAY_LENGTH = runway.length;
        r.RUNWAY_WIDTH = runway.width;
        r.LIGHTING = runway.lighted ? QString() : QStringLiteral("NO LIGHT");
        r.PUB_MIL = QStringLiteral("P");
        // The editor's rule for the code: anything else is left out, and said.
        const QString iata = at(f, cIata).trimmed();
        if (AirportEntryRules::isIataCode(iata))
            r.IATA = iata.toUpper();
        else if (!iata.isEmpty())
            summary.notes << QStringLiteral("%1 line %2 (%3): iata_code \"%4\" is not three "
                                            "letters; the airport is kept without it")
                                 .arg(QFileInfo(options.airportsCsv).fileName())
                                 .arg(airports.fileLine(i))
                                 .arg(r.ID, iata);
        // Cut as the name is: a city of more than 40 characters keeps its first 40.
        r.CITY = at(f, cCity).simplified().toUpper().left(40).trimmed();
        const ZoneTable::Zone* zone = zones.byIdentifier(ident);
        if (!zone)
            zone = zones.byIdentifier(gps);
        const bool listed = zone != nullptr;
        if (!listed)
            zone = zones.nearest(at(f, cLat).toDouble(), at(f, cLon).toDouble(), code);
        // The nearest airport's zone gives its name along with its offset.
        if (zone) {
            r.TIME_ZONE = zone->hours;
            r.TIME_ZONE_NAME = zone->name;
        }
        if (!r.TIME_ZONE)
            ++summary.withoutZone;
        else if (listed)
            ++summary.zoneByIdentifier;
        else
            ++summary.zoneFromNearest;
        QVariant storedElevation; // none for a new airport
        if (known) {
            if (!set->findFirst(Db::Criterion::equals(AirportColumn::Id, r.ID)))
                throw Db::DbError(Db::Error::NoCurrentRecord, QStringLiteral("No current record."));
            set->edit();
            storedElevation = set->value(AirportColumn::Elevation);
            ++summary.updated;
        } else {
            set->addNew();
            ++summary.added;
        }
        writeAirportRecord(*set, r);
        if (!elevation.value)
            set->setValue(AirportColumn::Elevation, storedElevation);
        set->update();
    }
    set->close();
    transaction.commit();
    if (progress)
        progress(total, total);
    return summary;
}

QString summaryText(const Summary& summary)
{
    int skipped = 0;
    for (const int count : summary.skipped)
        skipped += count;
    QString text = QStringLiteral("Read %1 airports: %2 added, %3 updated, %4 skipped, %5 rejected")
                       .arg(summary.read)
                       .arg(summary.added)
                       .arg(summary.updated)
                       .arg(skipped)
                       .arg(summary.rejected);
    const qsizetype others = summary.rejectedLines.size() - summary.rejected;
    if (others > 0)
        text += QStringLiteral("; %1 lines of the other files rejected").arg(others);
    text += QStringLiteral(".\n");
    for (const QString& file : summary.readAsWindows1252)
        text += QStringLiteral("  %1 is not UTF-8: read as Windows-1252\n").arg(file);
    if (summary.added + summary.updated > 0)
        text += QStringLiteral("  time zones: %1 by identifier, %2 from the nearest airport within "
                               "%3 NM, %4 left empty\n")
                    .arg(summary.zoneByIdentifier)
                    .arg(summary.zoneFromNearest)
                    .arg(NearestZoneMiles)
                    .arg(summary.withoutZone);
    for (auto it = summary.skipped.cbegin(); it != summary.skipped.cend(); ++it)
        text += QStringLiteral("  skipped, %1: %2\n").arg(it.key()).arg(it.value());
    constexpr int Shown = 20; // a broken download should not flood the terminal
    for (qsizetype i = 0; i < summary.rejectedLines.size() && i < Shown; ++i)
        text += QStringLiteral("  rejected: %1\n").arg(summary.rejectedLines[i]);
    if (summary.rejectedLines.size() > Shown)
        text += QStringLiteral("  ... and %1 more rejected lines\n")
                    .arg(summary.rejectedLines.size() - Shown);
    for (qsizetype i = 0; i < summary.notes.size() && i < Shown; ++i)
        text += QStringLiteral("  note: %1\n").arg(summary.notes[i]);
    if (summary.notes.size() > Shown)
        text += QStringLiteral("  ... and %1 more notes\n").arg(summary.notes.size() - Shown);
    return text;
}

Options Options::inFolder(const QString& folder)
{
    const QDir dir(folder);
    Options options;
    options.airportsCsv = dir.filePath(QStringLiteral("airports.csv"));
    options.runwaysCsv = dir.filePath(QStringLiteral("runways.csv"));
    options.countriesCsv = dir.filePath(QStringLiteral("countries.csv"));
    if (QFileInfo::exists(dir.filePath(QStringLiteral("timezones.csv"))))
        options.timezonesCsv = dir.filePath(QStringLiteral("timezones.csv"));
    return options;
}

} // namespace OurAirports
