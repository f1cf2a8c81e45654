#include "core/db/sqliteconnection.h"

#include "core/db/engine_p.h"
#include "core/db/statement.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <unistd.h>

namespace Db {

namespace {

// like(pattern, text) with the program's wildcards, for patterns that are more
// than a plain prefix.
void likeFunction(sqlite3_context* context, int, sqlite3_value** values)
{
    if (sqlite3_value_type(values[1]) == SQLITE_NULL) {
        sqlite3_result_int(context, 0);
        return;
    }
    const QString pattern =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(values[0])));
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(values[1])));
    sqlite3_result_int(context, Criterion::likeMatches(pattern, text) ? 1 : 0);
}

} // namespace

SqliteCursor::SqliteCursor(sqlite3* db, sqlite3_stmt* statement, const QString& context)
    : m_db(db), m_statement(statement), m_context(context)
{}

SqliteCursor::~SqliteCursor()
{
    sqlite3_finalize(m_statement);
}

int SqliteCursor::parameterCount() const
{
    return sqlite3_bind_parameter_count(m_statement);
}

QString SqliteCursor::parameterName(int index) const
{
    const char* name = sqlite3_bind_parameter_name(m_statement, index);
    return name && name[0] == ':' ? QString::fromUtf8(name + 1) : QString();
}

void SqliteCursor::bind(int index, const QVariant& value)
{
    bindValue(m_statement, index, value);
}

void SqliteCursor::bindKey(int index, qint64 key)
{
    sqlite3_bind_int64(m_statement, index, key);
}

bool SqliteCursor::next()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        throwSqlite(m_db, sqlite3_extended_errcode(m_db));
    return false;
}

void SqliteCursor::run()
{
    int rc;
    while ((rc = sqlite3_step(m_statement)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throwSqlite(m_db, sqlite3_extended_errcode(m_db), m_context);
}

int SqliteCursor::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

QString SqliteCursor::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

QString SqliteCursor::columnType(int column) const
{
    return QString::fromUtf8(sqlite3_column_decltype(m_statement, column)).toUpper();
}

QVariant SqliteCursor::value(int column) const
{
    return columnValue(m_statement, column);
}

qint64 SqliteCursor::key(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

int SqliteCursor::changes() const
{
    return sqlite3_changes(m_db);
}

qint64 SqliteCursor::lastInsertKey() const
{
    return sqlite3_last_insert_rowid(m_db);
}

void SqliteCursor::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

SqliteConnection::SqliteConnection(const QString& path, const QByteArray& workgroupId,
                                   bool readOnly)
    : Connection(path)
{
    m_db = openSqliteFile(path, readOnly);
    try {
        const QString described = describePath(path);
        // Whatever stops the first read (a lock held by another program, a file that
        // is no database, a folder where no log can be made) is reported as itself.
        const auto fail = [&](int rc) {
            const int code = sqlite3_extended_errcode(m_db);
            if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
                throw DbError(Error::InUse, QStringLiteral("Could not use '%1'; file already in "
                                                           "use by another program.")
                                                .arg(described));
            // A log beside the file is read through a shared-memory file, which whoever
            // reads first makes; an account that may not write in the folder cannot.
            const QString shm = path + QStringLiteral("-shm");
            const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
            if ((code & 0xff) == SQLITE_CANTOPEN && !QFileInfo::exists(shm) &&
                ::faccessat(AT_FDCWD, folder.constData(), W_OK, AT_EACCESS) != 0)
                throw DbError(Error::FileNoPermission,
                              QStringLiteral("Cannot open the file '%1'. It can only be read "
                                             "together with its shared-memory file '%2', which "
                                             "is missing, and this account may not make it in "
                                             "the folder.")
                                  .arg(described, describePath(shm)));
            throwSqlite(m_db, code != SQLITE_OK ? code : rc, described);
        };
        QByteArray owner;
        {
            // Ended before the journal mode below, which an active statement would keep.
            const Statement statement(m_db, "SELECT WorkgroupId FROM SysWorkgroup", [&](int rc) {
                // A database without the workgroup's table is none of the program's.
                if (QString::fromUtf8(sqlite3_errmsg(m_db))
                        .startsWith(QLatin1String("no such table")))
                    throw DbError(
                        Error::Unrecognized,
                        QStringLiteral("Unrecognized database format '%1'.").arg(described));
                fail(rc);
            });
            const int rc = sqlite3_step(statement.get());
            if (rc == SQLITE_ROW)
                owner = QByteArray(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)));
            else if (rc != SQLITE_DONE)
                fail(rc);
        }
        if (owner.isEmpty() || owner != workgroupId)
            throw DbError(Error::NoPermission,
                          QStringLiteral("You do not have the necessary permissions to use the "
                                         "'%1' object. Have your system administrator or the "
                                         "person who created this object establish the "
                                         "appropriate permissions for you.")
                              .arg(describePath(path)));
        // A long-lived reader (the airport list) never blocks a writer in WAL mode. The
        // mode is kept in the file: it is set by the first program to open it for a
        // change (a database made before the program kept it), and stays.
        if (!readOnly) {
            bool logged = false;
            {
                const Statement statement(m_db, "PRAGMA journal_mode", fail);
                logged = sqlite3_step(statement.get()) == SQLITE_ROW &&
                         sqlite3_stricmp(
                             reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)),
                             "wal") == 0;
            }
            if (!logged)
                sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        }
        sqlite3_create_function(m_db, "programlike", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                likeFunction, nullptr, nullptr);
    } catch (...) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
}

SqliteConnection::~SqliteConnection()
{
    close();
}

sqlite3* SqliteConnection::handle() const
{
    if (!m_db)
        throw DbError(Error::ObjectClosed, QStringLiteral("Object invalid or no longer set."));
    return m_db;
}

Cursor* SqliteConnection::prepare(const QString& sql)
{
    sqlite3* db = handle();
    if (const auto cached = m_statements.constFind(sql); cached != m_statements.constEnd())
        return cached->get();
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(statement);
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        if (message.startsWith(QLatin1String("no such table")))
            throw DbError(Error::ObjectNotFound,
                          QStringLiteral("The database engine cannot find the input table or "
                                         "query '%1'. Make sure it exists and that its name is "
                                         "spelled correctly.")
                              .arg(message.section(QLatin1Char(':'), 1).trimmed()));
        if (message.startsWith(QLatin1String("no such column")))
            throw DbError(Error::ItemNotFound,
                          QStringLiteral("Item not found in this collection. (%1)")
                              .arg(message.section(QLatin1Char(':'), 1).trimmed()));
        throwSqlite(db, rc, describePath(path()));
    }
    auto cursor = std::make_shared<SqliteCursor>(db, statement, describePath(path()));
    m_statements.insert(sql, cursor);
    return cursor.get();
}

void SqliteConnection::exec(const QString& sql)
{
    char* error = nullptr;
    const int rc = sqlite3_exec(handle(), sql.toUtf8().constData(), nullptr, nullptr, &error);
    sqlite3_free(error);
    // A fixed statement may change a table (a column added to a database made before
    // it): the columns are read again when next asked for.
    m_columns.clear();
    if (rc != SQLITE_OK)
        throwSqlite(m_db, sqlite3_extended_errcode(m_db), describePath(path()));
}

QString SqliteConnection::tableName(const QString& name)
{
    QString bare = name.trimmed();
    if (bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']')))
        bare = bare.mid(1, bare.size() - 2);
    CursorUse cursor(prepare(QStringLiteral(
        "SELECT name FROM sqlite_schema WHERE type IN ('table','view') AND name = ?1 "
        "COLLATE NOCASE")));
    cursor->bind(1, bare);
    if (cursor->next())
        return cursor->value(0).toString();
    throw DbError(Error::ObjectNotFound,
                  QStringLiteral("The database engine cannot find the input table or query "
                                 "'%1'. Make sure it exists and that its name is spelled "
                                 "correctly.")
                      .arg(bare));
}

bool SqliteConnection::hasTable(const QString& name)
{
    CursorUse cursor(prepare(QStringLiteral(
        "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?1 COLLATE NOCASE")));
    cursor->bind(1, name);
    return cursor->next();
}

QList<ColumnInfo> SqliteConnection::columns(const QString& table)
{
    const QString key = table.toLower();
    auto found = m_columns.constFind(key);
    if (found != m_columns.constEnd())
        return *found;
    QList<ColumnInfo> result;
    CursorUse cursor(
        prepare(QStringLiteral("SELECT name, type, \"notnull\" FROM pragma_table_info(?1)")));
    cursor->bind(1, table);
    static const QRegularExpression sizePattern(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    while (cursor->next()) {
        ColumnInfo column;
        column.name = cursor->value(0).toString();
        column.declaredType = cursor->value(1).toString().toUpper();
        column.notNull = cursor->value(2).toInt() != 0;
        const auto match = sizePattern.match(column.declaredType);
        if (column.declaredType.startsWith(QLatin1String("TEXT")) && match.hasMatch())
            column.size = match.captured(1).toInt();
        result << column;
    }
    m_columns.insert(key, result);
    return result;
}

// A read transaction takes its shared lock at its first read; any other takes the
// writer's lock at once.
void SqliteConnection::begin(bool readOnly)
{
    exec(readOnly ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
}

void SqliteConnection::commit()
{
    exec(QStringLiteral("COMMIT"));
}

void SqliteConnection::rollback()
{
    if (inTransaction())
        exec(QStringLiteral("ROLLBACK"));
}

bool SqliteConnection::inTransaction() const
{
    return m_db && !sqlite3_get_autocommit(m_db);
}

void SqliteConnection::close()
{
    m_statements.clear();
    m_columns.clear();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

} // namespace Db
