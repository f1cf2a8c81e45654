#pragma once

#include <QString>

namespace Db {
class Database;
class Workspace;
} // namespace Db

// The files the program keeps beside itself and the layout of the database file:
// the airport table, the charge, tax and aircraft catalogues and the stored identifier
// query.
namespace Schema {

inline const QString DatabaseFileName = QStringLiteral("Brisklander.mdb");
inline const QString WorkgroupFileName = QStringLiteral("Brisklander.mdw");
inline const QString PreviousDatabaseFileName = QStringLiteral("Brisklander.old");

// The workgroup account that opens the database; fixed in the program.
inline const QString UserName = QStringLiteral("BLUser");
inline const QString Password = QStringLiteral("$QW#7h41pzkrtx");

inline const QString CheckAirportIdQuery = QStringLiteral("QRYCheckAirportID");
inline const QString CheckAirportIdParameter = QStringLiteral("VBAIRPORTID");

// Creates an empty database file with every table and the stored query, secured
// by the workspace's workgroup.
void createDatabase(Db::Workspace& workspace, const QString& path);

// The quote register's tables and indexes (the kept quotes, their status changes and
// the customer book), each made only where it is missing: a database made before the
// register gains them at its first keep, inside that keep's transaction.
void createRegisterTables(Db::Database& database);

// The aircraft profiles' table, made only where it is missing: a database made before
// the profiles gains it when the catalogue is first written, inside that write's
// transaction; until then the catalogue reads as empty.
void createAircraftTable(Db::Database& database);

// Adds to the table Airports of a database made before them whichever of the columns
// "TIME ZONE NAME", "IATA" and "CITY" it lacks (and the index on IATA), in the caller's
// transaction; true when one was added, false when all were there.
bool addAirportColumns(Db::Database& database);

// Keeps the number of airports in Db::RowCountsTable, counted as airports are added and
// deleted, so that the list does not count them at every start; in the caller's
// transaction. A database on a server counts its rows itself. True when the count was
// added, false when it was there or is not kept.
bool countAirportRows(Db::Database& database);

} // namespace Schema
