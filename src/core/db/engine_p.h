#pragma once

// Internals of the engine shared by its source files: the SQLite connection with
// its statement cache, and the helpers that turn SQLite's answers into DbErrors.

#include "core/db/engine.h"

#include <QHash>
#include <QString>

#include <functional>

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

// A statement that is reset (and its bindings cleared) when it goes out of scope,
// so a cached statement never stays active between two calls.
class StatementUse
{
public:
    explicit StatementUse(sqlite3_stmt* statement) : m_statement(statement) {}
    ~StatementUse()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;
    sqlite3_stmt* get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement;
};

// A statement of its own, prepared on a handle outside a connection's cache (the
// workgroup file, a new or a settling file) and finalized when it goes out of scope.
// A statement that does not prepare is never used: its failure is thrown.
class Statement
{
public:
    // The failure is thrown as the DbError SQLite's answer stands for, naming `context`.
    Statement(sqlite3* db, const char* sql, const QString& context);
    // The failure is thrown by `fail` (called with SQLite's answer), which must throw.
    Statement(sqlite3* db, const char* sql, const std::function<void(int rc)>& fail);
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement = nullptr;
};

class Connection
{
public:
    // A read-only connection never changes the file: every write fails with 3027.
    Connection(const QString& path, const QByteArray& workgroupId, bool readOnly = false);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QString path() const { return m_path; }
    sqlite3* handle() const;
    bool isClosed() const { return m_db == nullptr; }

    // A cached prepared statement; wrap each use in a StatementUse.
    sqlite3_stmt* prepare(const QString& sql);
    void exec(const QString& sql);
    // Steps a statement to its end, throwing on failure.
    void run(sqlite3_stmt* statement);

    // The table's real name (names compare without regard to case).
    QString tableName(const QString& name);
    QList<ColumnInfo> columns(const QString& table);
    void close();

private:
    QString m_path;
    sqlite3* m_db = nullptr;
    QHash<QString, sqlite3_stmt*> m_statements;
    QHash<QString, QList<ColumnInfo>> m_columns; // by lower-case table name
};

} // namespace Db
