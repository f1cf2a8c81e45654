#include "core/db/schema.h"

#include "core/db/engine.h"

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
                       "\"PUB/MIL\" TEXT(1),"
                       "\"IFR\" BIT NOT NULL DEFAULT 0,"
                       "\"CUSTOMS\" BIT NOT NULL DEFAULT 0,"
                       "\"FUEL\" TEXT(10) COLLATE NOCASE,"
                       "\"LIGHTING\" TEXT(8) COLLATE NOCASE);"
                       "CREATE INDEX AirportsByName ON Airports (\"NAME\" COLLATE NOCASE);"
                       "CREATE TABLE AdditionalCharges ("
                       "\"ChargeDescription\" TEXT(25) COLLATE NOCASE,"
                       "\"ChargeAmount\" DOUBLE);"
                       "CREATE TABLE Taxes ("
                       "\"Tax Type\" TEXT(12) COLLATE NOCASE,"
                       "\"Tax %\" FLOAT);"));
    database->createQueryDef(CheckAirportIdQuery,
                             QStringLiteral("SELECT * FROM Airports WHERE ID = :") +
                                 CheckAirportIdParameter);
    database->close();
}

} // namespace Schema
