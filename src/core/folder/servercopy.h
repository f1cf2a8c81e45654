#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A program folder's data copied onto a PostgreSQL server database that the office
// made for it (ServerSchema::create): every table the file has, in one transaction on
// the server, so the server holds all of it or nothing.
namespace ServerCopy {

struct Count
{
    QString table;
    int rows = 0;
};

// Copies the database of the program folder `folder` to the server database at
// `location` (a libpq connection string or URI), whose tables must be empty. Throws the
// engine's DbError; the server is then as it was. Returns the rows copied, by table.
QList<Count> copyFolder(const QString& folder, const QString& location);

// "Copied 23,153 rows of Airports." and so on, one line a table.
QStringList summaryLines(const QList<Count>& counts);

} // namespace ServerCopy
