#include "core/db/schema.h"

#include "core/db/engine.h"
#include "core/db/recordset.h"
#include "core/db/workspace.h"

#include <QSet>

namespace Schema {

void createDatabase(Db::Workspace& workspace, const QString& path)
{
    auto database = workspace.createDatabase(path);
    // Text columns compare without regard to case, so ID is unique that way too and
    // the lists sort as operators expect. The degrees are text so that "-00" keeps
    // its hemisphere.
    database->execute(
        QStringLiteral("CREATE TABLE Airports ("
                       "\"ID\" TEXT(4) NOT NULL COLLATE NOCASE UNIQUE,"
                       "\"NAME\" TEXT(50) NOT NULL COLLATE NOCASE,"
                       "\"STATE\" TEXT(3) COLLATE NOCASE,"
                       "\"COUNTRY\" TEXT(25) COLLATE NOCASE,"
                       "\"ELEVATION\" INTEGER,"
                       "\"LATITUDE DEGREES\" TEXT(3) NOT NULL,"
                       "\"LATITUDE MINUTES\" SMALLINT NOT NULL DEFAULT 0,"
                       "\"LATITUDE SECONDS\" DOUBLE NOT NULL DEFAULT 0,"
                       "\"LONGITUDE DEGREES\" TEXT(4) NOT NULL,"
                       "\"LONGITUDE MINUTES\" SMALLINT NOT NULL DEFAULT 0,"
                       "\"LONGITUDE SECONDS\" DOUBLE NOT NULL DEFAULT 0,"
                       "\"RUNWAY LENGTH\" INTEGER,"
                       "\"RUNWAY WIDTH\" SMALLINT,"
                       "\"TIME ZONE\" FLOAT,"
                       "\"TIME ZONE NAME\" TEXT(40),"
                       "\"IATA\" TEXT(3) COLLATE NOCASE,"
                       "\"CITY\" TEXT(40) COLLATE NOCASE,"
                       "\"PUB/MIL\" TEXT(1),"
                       "\"IFR\" BIT NOT NULL DEFAULT 0,"
                       "\"CUSTOMS\" BIT NOT NULL DEFAULT 0,"
                       "\"FUEL\" TEXT(10) COLLATE NOCASE,"
                       "\"LIGHTING\" TEXT(8) COLLATE NOCASE);"
                       "CREATE INDEX AirportsByName ON Airports (\"NAME\" COLLATE NOCASE);"
                       "CREATE INDEX AirportsByIata ON Airports (\"IATA\" COLLATE NOCASE);"
                       "CREATE TABLE AdditionalCharges ("
                       "\"ChargeDescription\" TEXT(25) COLLATE NOCASE,"
                       "\"ChargeAmount\" DOUBLE);"
                       "CREATE TABLE Taxes ("
                       "\"Tax Type\" TEXT(12) COLLATE NOCASE,"
                       "\"Tax %\" FLOAT);"));
    createRegisterTables(*database);
    createAircraftTable(*database);
    countAirportRows(*database);
    database->createQueryDef(CheckAirportIdQuery,
                             QStringLiteral("SELECT * FROM Airports WHERE ID = :") +
                                 CheckAirportIdParameter);
    database->close();
}

void createRegisterTables(Db::Database& database)
{
    // The list columns are real columns so that the register is listed and filtered
    // without reading the quotes themselves; Search* hold the customer's name and the
    // route case-folded (the route between dashes) for the text filter. Latest marks
    // the newest revision of each number, the one the list shows.
    database.execute(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS Quotes ("
        "\"Number\" TEXT NOT NULL,"
        "\"Revision\" INTEGER NOT NULL,"
        "\"Year\" INTEGER NOT NULL,"
        "\"Sequence\" INTEGER NOT NULL,"
        "\"Latest\" BIT NOT NULL DEFAULT 1,"
        "\"Status\" TEXT NOT NULL,"
        "\"Reason\" TEXT,"
        "\"Created\" TEXT NOT NULL,"
        "\"CreatedBy\" TEXT,"
        "\"CustomerName\" TEXT,"
        "\"RouteText\" TEXT,"
        "\"FinalQuote\" TEXT,"
        "\"FinalQuoteValue\" DOUBLE,"
        "\"ValidUntil\" TEXT NOT NULL,"
        "\"SearchName\" TEXT,"
        "\"SearchRoute\" TEXT,"
        "\"QuoteBasis\" TEXT,"
        "\"MinimumCharge\" DOUBLE,"
        "\"Request\" TEXT NOT NULL,"
        "\"Data\" TEXT NOT NULL,"
        "UNIQUE (\"Number\", \"Revision\"));"
        "CREATE UNIQUE INDEX IF NOT EXISTS QuotesLatestRevision ON Quotes (\"Number\") "
        "WHERE \"Latest\" = 1;"
        // The list in its order, holding every column the list shows and filters on,
        // so that listing never reads the quotes themselves.
        "CREATE INDEX IF NOT EXISTS QuotesList ON Quotes (\"Latest\", \"Created\" DESC, "
        "\"Number\" DESC, \"Revision\", \"Status\", \"CustomerName\", \"RouteText\", "
        "\"FinalQuote\", \"FinalQuoteValue\", \"ValidUntil\", \"SearchName\", "
        "\"SearchRoute\");"
        "CREATE INDEX IF NOT EXISTS QuotesByYear ON Quotes (\"Year\", \"Sequence\");"
        "CREATE TABLE IF NOT EXISTS QuoteHistory ("
        "\"Number\" TEXT NOT NULL,"
        "\"Revision\" INTEGER NOT NULL,"
        "\"Status\" TEXT NOT NULL,"
        "\"Reason\" TEXT,"
        "\"Changed\" TEXT NOT NULL);"
        "CREATE INDEX IF NOT EXISTS QuoteHistoryByQuote ON QuoteHistory "
        "(\"Number\", \"Revision\");"
        // A customer is remembered by its case-folded name, its fields kept together
        // as a JSON object by the print window's keys.
        "CREATE TABLE IF NOT EXISTS Customers ("
        "\"NameKey\" TEXT PRIMARY KEY,"
        "\"Name\" TEXT NOT NULL,"
        "\"City\" TEXT,"
        "\"Fields\" TEXT NOT NULL);"));
}

void createAircraftTable(Db::Database& database)
{
    // One column per value of a profile (AircraftProfile); a value left NULL takes the
    // profile's default when read, and no range is no limit.
    database.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS Aircraft ("
                                    "\"Name\" TEXT(30) NOT NULL COLLATE NOCASE UNIQUE,"
                                    "\"CruiseSpeed\" INTEGER,"
                                    "\"Wind\" INTEGER,"
                                    "\"DistanceAddOn\" DOUBLE,"
                                    "\"TerminalMinutes\" INTEGER,"
                                    "\"TaxiMinutes\" INTEGER,"
                                    "\"HourlyRate\" DOUBLE,"
                                    "\"Range\" INTEGER,"
                                    "\"GroundMinutes\" INTEGER);"));
}

bool addAirportColumns(Db::Database& database)
{
    // The columns airports gained after the first databases were made, in that order.
    const QList<std::pair<QString, QString>> added{
        {QStringLiteral("TIME ZONE NAME"), QStringLiteral("TEXT(40)")},
        {QStringLiteral("IATA"), QStringLiteral("TEXT(3) COLLATE NOCASE")},
        {QStringLiteral("CITY"), QStringLiteral("TEXT(40) COLLATE NOCASE")}};
    QSet<QString> present;
    for (const Db::ColumnInfo& column : database.columns(QStringLiteral("Airports")))
        present.insert(column.name.toUpper());
    bool changed = false;
    for (const auto& [name, type] : added) {
        if (present.contains(name))
            continue;
        database.execute(
            QStringLiteral("ALTER TABLE Airports ADD COLUMN \"%1\" %2;").arg(name, type));
        changed = true;
    }
    if (changed)
        database.execute(QStringLiteral("CREATE INDEX IF NOT EXISTS AirportsByIata ON Airports "
                                        "(\"IATA\" COLLATE NOCASE);"));
    return changed;
}

bool countAirportRows(Db::Database& database)
{
    if (Db::isServerLocation(database.path()) || database.hasTable(Db::RowCountsTable))
        return false;
    // Made at once with the triggers that keep it, in one transaction.
    database.execute(
        QStringLiteral("CREATE TABLE %1 (\"Name\" TEXT PRIMARY KEY COLLATE NOCASE, "
                       "\"Rows\" INTEGER NOT NULL);"
                       "INSERT INTO %1 VALUES ('Airports', (SELECT count(*) FROM Airports));"
                       "CREATE TRIGGER AirportAdded AFTER INSERT ON Airports BEGIN "
                       "UPDATE %1 SET \"Rows\" = \"Rows\" + 1 WHERE \"Name\" = 'Airports'; END;"
                       "CREATE TRIGGER AirportDeleted AFTER DELETE ON Airports BEGIN "
                       "UPDATE %1 SET \"Rows\" = \"Rows\" - 1 WHERE \"Name\" = 'Airports'; END;")
            .arg(Db::RowCountsTable));
    return true;
}

} // namespace Schema
