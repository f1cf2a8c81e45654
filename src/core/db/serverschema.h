#pragma once

#include <QString>
#include <QStringList>

// The program's database on a PostgreSQL server: the same tables, columns and indexes
// as the program folder's file, made from the file's own layout so that the two never
// differ, in the server's types (ServerDialect).
namespace ServerSchema {

// The statements that make the program's tables, indexes, functions and roles on an
// empty database; read from a database file made for the purpose.
QStringList creationStatements();

// Makes the schema on the empty database at `location` (a libpq connection string or
// URI), in one transaction: all of it or nothing. The roles "brisklander_dispatcher"
// (reads and changes rows) and "brisklander_admin" (also makes and copies) are made
// where the server lacks them. Throws the engine's DbError.
void create(const QString& location);

} // namespace ServerSchema
