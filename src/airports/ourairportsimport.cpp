#include "airports/ourairportsimport.h"

#include "airports/airportrecord.h"
#include "airports/airporttable.h"
#include "core/csv.h"
#include "core/engine.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTextStream>
#include <QTimeZone>

#include <cmath>
#include <limits>

namespace OurAirports {

namespace {

const QString NotAnAirport = QStringLiteral("not an airport type");
const QString NoRunway = QStringLiteral("no open runway with a length");
const QString NoIdentifier = QStringLiteral("no usable identifier");
const QString AlreadyThere = QStringLiteral("already in the table");

// One CSV file read whole, with its columns by header name.
class CsvFile
{
public:
    CsvFile(const QString& path, Summary& summary)
        : m_name(QFileInfo(path).fileName()), m_summary(summary)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            throw Db::DbError(Db::Error::FileNotFound,
                              QStringLiteral("Could not read the file '%1'.").arg(path));
        QTextStream in(&file);
        QStringList header;
        if (!in.atEnd())
            Csv::splitLine(in.readLine(), header);
        for (int i = 0; i < header.size(); ++i)
            m_columns.insert(header[i].trimmed().toLower(), i);
        while (!in.atEnd())
            m_lines.append(in.readLine());
    }

    int lineCount() const { return m_lines.size(); }
    bool isBlank(int i) const { return m_lines[i].trimmed().isEmpty(); }
    // The fields of data line i, or false when it is blank or malformed (reported).
    bool fields(int i, QStringList& out) const
    {
        out.clear();
        if (isBlank(i))
            return false;
        if (!Csv::splitLine(m_lines[i], out))
            return report(i, QStringLiteral("a quoted field is not closed"));
        if (out.size() != m_columns.size())
            return report(i, QStringLiteral("%1 fields where the header has %2")
                                 .arg(out.size())
                                 .arg(m_columns.size()));
        return true;
    }
    int column(const QString& name) const { return m_columns.value(name, -1); }
    static QString at(const QStringList& fields, int column)
    {
        return column >= 0 && column < fields.size() ? fields[column].trimmed() : QString();
    }
    bool report(int i, const QString& what) const
    {
        // The header is line 1, so data line i is line i + 2 of the file.
        m_summary.malformed.append(
            QStringLiteral("%1 line %2: %3").arg(m_name).arg(i + 2).arg(what));
        return false;
    }

private:
    QString m_name;
    Summary& m_summary;
    QHash<QString, int> m_columns;
    QStringList m_lines;
};

struct RunwayInfo
{
    int length = 0;
    QString width;
    bool lighted = false;
};

// The longest open runway of each airport, by "ref:<airport_ref>" and "ident:<ident>".
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
        const QString key = !CsvFile::at(f, ref).isEmpty()
                                ? QStringLiteral("ref:") + CsvFile::at(f, ref)
                                : QStringLiteral("ident:") + CsvFile::at(f, ident).toUpper();
        RunwayInfo& info = runways[key];
        if (CsvFile::at(f, lighted) == QLatin1String("1"))
            info.lighted = true;
        bool ok = false;
        const double feet = CsvFile::at(f, length).toDouble(&ok);
        if (ok && feet >= 1 && feet < std::numeric_limits<qint32>::max() && feet > info.length) {
            info.length = int(std::lround(feet));
            info.width = CsvFile::at(f, width);
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

std::optional<qint16> widthFrom(const QString& text)
{
    bool ok = false;
    const double feet = text.toDouble(&ok);
    if (!ok || feet < 0 || feet > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(std::lround(feet));
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
    // A fixed date, so that the offset does not change with the day of the import.
    const int seconds =
        zone.standardTimeOffset(QDateTime(QDate(2024, 1, 15), QTime(12, 0), Qt::UTC));
    if (seconds % 900 != 0 || seconds < -12 * 3600 || seconds > 12 * 3600)
        return std::nullopt;
    return float(seconds) / 3600.0f;
}

Summary import(Db::Workspace& workspace, const QString& databasePath, const Options& options,
               const Progress& progress)
{
    Summary summary;
    // Every input is read before the database is touched, so an unreadable file
    // writes nothing.
    const CsvFile airports(options.airportsCsv, summary);
    const QHash<QString, RunwayInfo> runways = readRunways(options.runwaysCsv, summary);
    const auto countries = readLookup(options.countriesCsv, "code", "name", summary);
    const auto zoneNames = readLookup(options.timezonesCsv, "ident", "tz_database_name", summary);
    QHash<QString, std::optional<float>> offsets; // by zone name

    auto database = workspace.openDatabase(databasePath);
    QSet<QString> existing;
    {
        auto ids = database->openRecordset(QStringLiteral("SELECT ID FROM Airports"),
                                           Db::RecordsetType::Snapshot);
        for (int i = 0; i < ids->recordCount(); ++i)
            existing.insert(ids->row(i).value(0).toString().toUpper());
    }
    AirportTransaction transaction(workspace);
    auto set = database->openRecordset(QStringLiteral("Airports"));

    const int cId = airports.column("id"), cIdent = airports.column("ident"),
              cType = airports.column("type"), cName = airports.column("name"),
              cLat = airports.column("latitude_deg"), cLon = airports.column("longitude_deg"),
              cElevation = airports.column("elevation_ft"),
              cCountry = airports.column("iso_country"), cRegion = airports.column("iso_region"),
              cGps = airports.column("gps_code");
    const auto at = [](const QStringList& f, int c) { return CsvFile::at(f, c); };
    const QSet<QString> types{"small_airport", "medium_airport", "large_airport"};
    const int total = airports.lineCount();
    QStringList f;
    for (int i = 0; i < total; ++i) {
        if (progress && i > 0 && i % 1000 == 0)
            progress(i, total);
        if (airports.isBlank(i))
            continue;
        ++summary.read;
        if (!airports.fields(i, f))
            continue;
        if (!types.contains(at(f, cType))) {
            ++summary.skipped[NotAnAirport];
            continue;
        }
        bool latOk = false, lonOk = false;
        AirportRecord r;
        r.Latitude = latitudeFromDecimal(at(f, cLat).toDouble(&latOk));
        r.Longitude = longitudeFromDecimal(at(f, cLon).toDouble(&lonOk));
        if (!latOk || !lonOk || r.Latitude.DegreesText.isEmpty() ||
            r.Longitude.DegreesText.isEmpty()) {
            airports.report(i, QStringLiteral("unreadable latitude or longitude"));
            continue;
        }
        const QString ident = at(f, cIdent), gps = at(f, cGps);
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
        const bool known = existing.contains(r.ID);
        if (known && !options.updateExisting) {
            ++summary.skipped[AlreadyThere];
            continue;
        }
        r.NAME = at(f, cName).toUpper().left(50);
        const QString region = at(f, cRegion);
        r.STATE = region.mid(region.indexOf('-') + 1).toUpper().left(3);
        const QString code = at(f, cCountry);
        r.COUNTRY = countries.value(code.toUpper(), code).toUpper().left(25);
        r.ELEVATION = qint32(std::lround(at(f, cElevation).toDouble()));
        r.RUNWAY_LENGTH = runway.length;
        r.RUNWAY_WIDTH = widthFrom(runway.width);
        r.LIGHTING = runway.lighted ? QString() : QStringLiteral("NO LIGHT");
        r.PUB_MIL = QStringLiteral("P");
        QString zone = zoneNames.value(ident.toUpper());
        if (zone.isEmpty())
            zone = zoneNames.value(gps.toUpper());
        if (!zone.isEmpty()) {
            if (!offsets.contains(zone))
                offsets.insert(zone, standardOffsetHours(zone));
            r.TIME_ZONE = offsets.value(zone);
        }
        if (known) {
            if (!set->findFirst(Db::Criterion::equals(AirportColumn::Id, r.ID)))
                throw Db::DbError(Db::Error::NoCurrentRecord, QStringLiteral("No current record."));
            set->edit();
            ++summary.updated;
        } else {
            set->addNew();
            existing.insert(r.ID);
            ++summary.added;
        }
        writeAirportRecord(*set, r);
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
    QString text = QStringLiteral("Read %1 airports: %2 added, %3 updated, %4 skipped, %5 "
                                  "malformed lines.\n")
                       .arg(summary.read)
                       .arg(summary.added)
                       .arg(summary.updated)
                       .arg(skipped)
                       .arg(summary.malformed.size());
    for (auto it = summary.skipped.cbegin(); it != summary.skipped.cend(); ++it)
        text += QStringLiteral("  skipped, %1: %2\n").arg(it.key()).arg(it.value());
    constexpr int Shown = 20; // a broken download should not flood the terminal
    for (int i = 0; i < summary.malformed.size() && i < Shown; ++i)
        text += QStringLiteral("  malformed: %1\n").arg(summary.malformed[i]);
    if (summary.malformed.size() > Shown)
        text += QStringLiteral("  ... and %1 more malformed lines\n")
                    .arg(summary.malformed.size() - Shown);
    return text;
}

} // namespace OurAirports
