#pragma once

// Internals of the engine shared by its source files: the helpers that open SQLite
// files, bind and read values, and turn SQLite's answers into DbErrors.

#include "core/db/columninfo.h"
#include "core/db/criterion.h"
#include "core/db/dberror.h"

#include <QHash>
#include <QString>

#include <sqlite3.h>

namespace Db {

QString describePath(const QString& path);
[[noreturn]] void throwSqlite(sqlite3* db, int rc, const QString& context = QString());
// The error for a failure of the file system (an errno value) on the file `path`:
// missing, no permission, read-only, no space, or a disk error.
DbError fileError(int systemError, const QString& path);
void bindValue(sqlite3_stmt* statement, int index, const QVariant& value);
QVariant columnValue(sqlite3_stmt* statement, int column);
QString quoteIdentifier(const QString& name);
// A text as an SQL string literal, its quotes doubled.
QString quoteLiteral(const QString& text);

// Turns the Jet dialect of the program's fixed query texts into SQLite's:
// double-quoted string literals become single-quoted ones. Square-bracketed
// names are understood by SQLite as they stand.
QString translateQuery(const QString& jetSql);

// The kinds of column the engine tells apart by their declared types.
enum class Kind
{
    Text,
    Int16,
    Int32,
    Real,
    Flag,
    Other
};
Kind kindOf(const ColumnInfo& column);
// A stored value as the program reads it (a flag column gives a bool).
QVariant readAs(const ColumnInfo& column, const QVariant& stored);
// A value checked and converted for the column, as it is stored: a text longer than
// the column fails with 3163, a figure that does not read with 3421, a whole number
// beyond the column's range with 3349.
QVariant valueForColumn(const ColumnInfo& column, const QVariant& value);

// A criterion against a value the record set already holds.
bool valueMatches(const Criterion& criterion, const QVariant& value);
// A criterion as a SQL condition, its values appended to `values`; a plain prefix on
// an indexed text column becomes an index range.
QString conditionSql(const Criterion& criterion, const ColumnInfo* column, QVariantList& values);
// The column of that name (in brackets or not, letter case ignored), else nullptr.
const ColumnInfo* findColumn(const QList<ColumnInfo>& columns, const QString& name);

// Opens a SQLite file without ever creating it.
sqlite3* openSqliteFile(const QString& path, bool readOnly);
// Creates a new SQLite file; fails with 3204 when the file exists.
sqlite3* createSqliteFile(const QString& path);
// Runs a statement that returns no rows.
void stepToEnd(sqlite3* db, sqlite3_stmt* statement, const QString& context);

} // namespace Db
