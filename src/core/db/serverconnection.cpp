// The engine on a PostgreSQL server, through libpq.

#include "core/db/serverconnection.h"

#include "core/db/dberror.h"
#include "core/db/libpq.h"
#include "core/db/serverdialect.h"
#include "core/db/workspace.h"

#include <QMutex>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSysInfo>

#include <future>
#include <map>

namespace Db {

namespace {

// The server's type numbers the engine reads (pg_type.h).
constexpr Oid BoolOid = 16, ByteaOid = 17, Int8Oid = 20, Int2Oid = 21, Int4Oid = 23,
              Float4Oid = 700, Float8Oid = 701, NumericOid = 1700;

const QString ClosedText = QStringLiteral("Object invalid or no longer set.");

struct Result
{
    explicit Result(PGresult* result) : get(result) {}
    ~Result() { pq().PQclear(get); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    PGresult* get;
};

bool succeeded(const PGresult* result)
{
    const ExecStatusType status = pq().PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

QString field(const PGresult* result, int code)
{
    const char* text = result ? pq().PQresultErrorField(result, code) : nullptr;
    return text ? QString::fromUtf8(text) : QString();
}

// The server as the operator names it: its host (or socket folder) and port.
QString serverName(const PGconn* conn)
{
    const QString host = QString::fromUtf8(pq().PQhost(conn));
    const QString port = QString::fromUtf8(pq().PQport(conn));
    return port.isEmpty() ? host : host + QLatin1Char(':') + port;
}

DbError unreachable(const PGconn* conn, const QString& detail)
{
    return DbError(Error::CannotOpen,
                   QStringLiteral("Cannot reach the database server %1. Check that it is running "
                                  "and that this computer may connect to it (%2).")
                       .arg(serverName(conn), detail));
}

} // namespace

bool isServerLocation(const QString& location)
{
    static const QRegularExpression keyValue(QStringLiteral("^\\s*[A-Za-z_]+\\s*="));
    return location.startsWith(QLatin1String("postgresql://")) ||
           location.startsWith(QLatin1String("postgres://")) || keyValue.match(location).hasMatch();
}

QString describeLocation(const QString& location)
{
    // Never the location as given, which may hold a password.
    const LibPq* const library = pqIfInstalled();
    if (!library)
        return QStringLiteral("the server database");
    char* error = nullptr;
    PQconninfoOption* options = library->PQconninfoParse(location.toUtf8().constData(), &error);
    library->PQfreemem(error);
    if (!options)
        return QStringLiteral("the server database");
    QString database, host, port, user;
    for (PQconninfoOption* option = options; option->keyword; ++option) {
        const QString value = option->val ? QString::fromUtf8(option->val) : QString();
        const QByteArray keyword(option->keyword);
        if (keyword == "dbname")
            database = value;
        else if (keyword == "host" || (keyword == "hostaddr" && host.isEmpty()))
            host = value;
        else if (keyword == "port")
            port = value;
        else if (keyword == "user")
            user = value;
    }
    library->PQconninfoFree(options);
    QString text = database.isEmpty() ? QStringLiteral("the server database") : database;
    if (!host.isEmpty())
        text += QStringLiteral(" on ") + host + (port.isEmpty() ? QString() : u':' + port);
    if (!user.isEmpty())
        text += QStringLiteral(" as ") + user;
    return text;
}

namespace {

struct Passwords
{
    QMutex lock;
    PasswordSource source;
    QHash<QString, QByteArray> given; // by location; empty: asked, none given
};

Passwords& passwords()
{
    static Passwords all;
    return all;
}

PGconn* connectWith(const QByteArray& location, const QByteArray& password)
{
    const QByteArray desk = QSysInfo::machineHostName().toUtf8();
    const char* keys[] = {"dbname", "fallback_application_name", nullptr, nullptr};
    const char* values[] = {location.constData(), desk.constData(), nullptr, nullptr};
    if (!password.isEmpty()) {
        keys[2] = "password";
        values[2] = password.constData();
    }
    return pq().PQconnectdbParams(keys, values, 1);
}

// Connections begun ahead of their use, by location, each made in a thread of its own.
struct Ahead
{
    QMutex lock;
    std::multimap<QString, std::future<PGconn*>> connections;
    ~Ahead()
    {
        for (auto& [location, connection] : connections)
            if (PGconn* made = connection.get())
                pq().PQfinish(made);
    }
};

Ahead& ahead()
{
    static Ahead all;
    return all;
}

// A connection begun ahead to the location, once made; null when none was begun or it
// failed (a password libpq does not have).
PGconn* takeAhead(const QString& location)
{
    std::future<PGconn*> connection;
    {
        Ahead& all = ahead();
        const QMutexLocker locked(&all.lock);
        const auto found = all.connections.find(location);
        if (found == all.connections.end())
            return nullptr;
        connection = std::move(found->second);
        all.connections.erase(found);
    }
    return connection.get();
}

} // namespace

void connectAhead(const QString& location, int count)
{
    Ahead& all = ahead();
    const QMutexLocker locked(&all.lock);
    const QByteArray name = location.toUtf8();
    for (int i = 0; i < count; ++i)
        all.connections.emplace(location, std::async(std::launch::async, [name] {
                                    // One that failed is closed at once: a server waits for
                                    // the password of an open one until it gives up. Without
                                    // libpq none is made; the connection itself says why.
                                    if (!pqIfInstalled())
                                        return static_cast<PGconn*>(nullptr);
                                    PGconn* made = connectWith(name, QByteArray());
                                    if (pq().PQstatus(made) != CONNECTION_OK) {
                                        pq().PQfinish(made);
                                        made = nullptr;
                                    }
                                    return made;
                                }));
}

void forgetConnectionsAhead()
{
    std::multimap<QString, std::future<PGconn*>> left;
    {
        Ahead& all = ahead();
        const QMutexLocker locked(&all.lock);
        left.swap(all.connections);
    }
    for (auto& [location, connection] : left)
        if (PGconn* made = connection.get())
            pq().PQfinish(made);
}

void setPasswordSource(PasswordSource source)
{
    Passwords& all = passwords();
    const QMutexLocker locked(&all.lock);
    all.source = std::move(source);
    all.given.clear();
}

PGconn* connectToServer(const QString& location)
{
    // One made ahead serves, unless it needed the password asked for below.
    if (PGconn* made = takeAhead(location))
        return made;
    Passwords& all = passwords();
    QMutexLocker locked(&all.lock);
    const QByteArray name = location.toUtf8();
    const auto known = all.given.constFind(location);
    PGconn* conn = connectWith(name, known == all.given.constEnd() ? QByteArray() : *known);
    if (pq().PQstatus(conn) == CONNECTION_OK || !pq().PQconnectionNeedsPassword(conn) ||
        !all.source || known != all.given.constEnd())
        return conn;
    const QByteArray password = all.source(describeLocation(location)).toUtf8();
    all.given.insert(location, password);
    if (password.isEmpty())
        return conn;
    pq().PQfinish(conn);
    return connectWith(name, password);
}

// ---- cursor ----

ServerCursor::ServerCursor(ServerConnection* connection, const QByteArray& name,
                           const QStringList& names, PGresult* description)
    : m_connection(connection), m_name(name), m_names(names), m_description(description),
      m_values(names.size()), m_null(names.size(), true)
{}

ServerCursor::~ServerCursor()
{
    pq().PQclear(m_result);
    pq().PQclear(m_description);
}

void ServerCursor::bind(int index, const QVariant& value)
{
    if (index < 1 || index > m_values.size())
        return;
    const bool null = !value.isValid() || value.isNull();
    m_null[index - 1] = null;
    if (null)
        m_values[index - 1].clear();
    else if (value.typeId() == QMetaType::Bool)
        m_values[index - 1] = value.toBool() ? "1" : "0";
    else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        m_values[index - 1] = QByteArray::number(value.toDouble(), 'g', 17);
    else if (value.typeId() == QMetaType::QByteArray)
        m_values[index - 1] = "\\x" + value.toByteArray().toHex();
    else
        m_values[index - 1] = value.toString().toUtf8();
}

void ServerCursor::bindKey(int index, qint64 key)
{
    bind(index, QVariant(key));
}

void ServerCursor::execute()
{
    std::vector<const char*> values(size_t(m_values.size()));
    for (qsizetype i = 0; i < m_values.size(); ++i)
        values[size_t(i)] = m_null[i] ? nullptr : m_values[i].constData();
    pq().PQclear(m_result);
    m_result = pq().PQexecPrepared(m_connection->handle(), m_name.constData(), int(values.size()),
                                   values.data(), nullptr, nullptr, 0);
    if (!succeeded(m_result)) {
        PGresult* failed = m_result;
        m_result = nullptr;
        m_connection->fail(failed);
    }
    m_row = -1;
    m_changes = QByteArray(pq().PQcmdTuples(m_result)).toInt();
    if (pq().PQntuples(m_result) > 0 && pq().PQnfields(m_result) > 0 &&
        QByteArray(pq().PQfname(m_result, pq().PQnfields(m_result) - 1)) == "rowid" &&
        QByteArray(pq().PQcmdStatus(m_result)).startsWith("INSERT"))
        m_lastKey = key(pq().PQnfields(m_result) - 1);
}

bool ServerCursor::next()
{
    if (!m_result)
        execute();
    if (m_row + 1 >= pq().PQntuples(m_result))
        return false;
    ++m_row;
    return true;
}

void ServerCursor::run()
{
    if (!m_result)
        execute();
    m_row = pq().PQntuples(m_result);
}

int ServerCursor::columnCount() const
{
    // A table's key and change stamp are its last columns, which "SELECT *" brings
    // along; the program's rows on a file do not show them, nor do they here.
    static const QList<QByteArray> Own{"rowid", "rowversion", "changedby", "changedat"};
    int count = pq().PQnfields(m_description);
    while (count > 0 && pq().PQftable(m_description, count - 1) != InvalidOid &&
           Own.contains(QByteArray(pq().PQfname(m_description, count - 1))))
        --count;
    return count;
}

const ColumnInfo* ServerCursor::tableColumn(int column) const
{
    const Oid table = pq().PQftable(m_description, column);
    return table == InvalidOid
               ? nullptr
               : m_connection->columnOf(table, pq().PQftablecol(m_description, column));
}

QString ServerCursor::columnName(int column) const
{
    if (const ColumnInfo* info = tableColumn(column))
        return info->name;
    return QString::fromUtf8(pq().PQfname(m_description, column));
}

QString ServerCursor::columnType(int column) const
{
    if (const ColumnInfo* info = tableColumn(column))
        return info->declaredType;
    switch (pq().PQftype(m_description, column)) {
    case Int2Oid:
    case Int4Oid:
    case Int8Oid:
        return QStringLiteral("INTEGER");
    case Float4Oid:
    case Float8Oid:
    case NumericOid:
        return QStringLiteral("DOUBLE");
    case BoolOid:
        return QStringLiteral("BIT");
    default:
        return QString();
    }
}

QVariant ServerCursor::value(int column) const
{
    if (!m_result || m_row < 0 || pq().PQgetisnull(m_result, m_row, column))
        return QVariant();
    const char* text = pq().PQgetvalue(m_result, m_row, column);
    const int length = pq().PQgetlength(m_result, m_row, column);
    switch (pq().PQftype(m_result, column)) {
    case Int2Oid:
    case Int4Oid:
    case Int8Oid:
        return QVariant(qlonglong(QByteArray::fromRawData(text, length).toLongLong()));
    case Float4Oid:
    case Float8Oid:
    case NumericOid:
        return QVariant(QByteArray::fromRawData(text, length).toDouble());
    case BoolOid:
        return QVariant(qlonglong(text[0] == 't' ? 1 : 0));
    case ByteaOid: {
        size_t size = 0;
        unsigned char* bytes =
            pq().PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &size);
        const QByteArray value(reinterpret_cast<const char*>(bytes), qsizetype(size));
        pq().PQfreemem(bytes);
        return QVariant(value);
    }
    default:
        return QVariant(QString::fromUtf8(text, length));
    }
}

qint64 ServerCursor::key(int column) const
{
    if (!m_result || m_row < 0)
        return 0;
    return QByteArray(pq().PQgetvalue(m_result, m_row, column)).toLongLong();
}

void ServerCursor::reset()
{
    pq().PQclear(m_result);
    m_result = nullptr;
    m_row = -1;
    for (qsizetype i = 0; i < m_values.size(); ++i) {
        m_values[i].clear();
        m_null[i] = true;
    }
}

// ---- connection ----

ServerConnection::ServerConnection(const QString& location) : Connection(describeLocation(location))
{
    m_conn = connectToServer(location);
    if (pq().PQstatus(m_conn) != CONNECTION_OK) {
        const QString detail = QString::fromUtf8(pq().PQerrorMessage(m_conn)).trimmed();
        const bool refused = pq().PQconnectionNeedsPassword(m_conn) ||
                             detail.contains(QLatin1String("authentication failed")) ||
                             detail.contains(QLatin1String("does not exist"));
        const DbError error =
            refused
                ? DbError(Error::BadAccount,
                          QStringLiteral("Not a valid account name or password. (%1)").arg(detail))
                : unreachable(m_conn, detail);
        pq().PQfinish(m_conn);
        m_conn = nullptr;
        throw error;
    }
    // The server's notices (a table already there, and the like) are not the operator's.
    pq().PQsetNoticeProcessor(
        m_conn, [](void*, const char*) {}, nullptr);
    try {
        // A desk that waits for another's write gives up after a while, as on a file,
        // and says the row is locked rather than freezing.
        exec(QStringLiteral("SET client_encoding = 'UTF8'; SET lock_timeout = '10s'"));
        if (!hasTable(QStringLiteral("Airports")))
            throw DbError(Error::Unrecognized,
                          QStringLiteral("Unrecognized database format '%1'. The database on the "
                                         "server holds none of the program's tables.")
                              .arg(path()));
    } catch (...) {
        close();
        throw;
    }
}

ServerConnection::~ServerConnection()
{
    close();
}

PGconn* ServerConnection::handle() const
{
    if (!m_conn)
        throw DbError(Error::ObjectClosed, ClosedText);
    return m_conn;
}

void ServerConnection::fail(PGresult* result) const
{
    const Result owned(result);
    const QString state = field(result, PG_DIAG_SQLSTATE);
    const QString message = result ? QString::fromUtf8(pq().PQresultErrorMessage(result)).trimmed()
                                   : QString::fromUtf8(pq().PQerrorMessage(m_conn)).trimmed();
    const QString primary = field(result, PG_DIAG_MESSAGE_PRIMARY);
    const QString detail = primary.isEmpty() ? message : primary;
    if (!m_conn || pq().PQstatus(m_conn) == CONNECTION_BAD ||
        state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")))
        throw unreachable(m_conn, detail);
    if (state == QLatin1String("23505"))
        throw DbError(Error::DuplicateKey,
                      QStringLiteral("The changes you requested to the table were not successful "
                                     "because they would create duplicate values in the index, "
                                     "primary key, or relationship. (%1)")
                          .arg(field(result, PG_DIAG_MESSAGE_DETAIL)));
    if (state == QLatin1String("23502"))
        throw DbError(Error::RequiredField,
                      QStringLiteral("The field '%1' cannot contain a Null value because the "
                                     "Required property for this field is set to True. Enter a "
                                     "value in this field.")
                          .arg(field(result, PG_DIAG_COLUMN_NAME).toUpper()));
    if (state == QLatin1String("55P03") || state == QLatin1String("40001") ||
        state == QLatin1String("40P01"))
        throw DbError(Error::Locked,
                      QStringLiteral("Could not update; currently locked. (%1)").arg(detail));
    if (state.startsWith(QLatin1String("28")))
        throw DbError(Error::BadAccount,
                      QStringLiteral("Not a valid account name or password. (%1)").arg(detail));
    if (state == QLatin1String("42501"))
        throw DbError(Error::NoPermission,
                      QStringLiteral("You do not have the necessary permissions to use the '%1' "
                                     "object. Have your system administrator or the person who "
                                     "created this object establish the appropriate permissions "
                                     "for you. (%2)")
                          .arg(path(), detail));
    if (state == QLatin1String("42P01"))
        throw DbError(Error::ObjectNotFound,
                      QStringLiteral("The database engine cannot find the input table or query. "
                                     "Make sure it exists and that its name is spelled "
                                     "correctly. (%1)")
                          .arg(detail));
    if (state == QLatin1String("42703"))
        throw DbError(Error::ItemNotFound,
                      QStringLiteral("Item not found in this collection. (%1)").arg(detail));
    if (state == QLatin1String("25006"))
        throw DbError(Error::ReadOnly,
                      QStringLiteral("Cannot update. Database or object is read-only."));
    if (state == QLatin1String("53100"))
        throw DbError(Error::DiskFull,
                      QStringLiteral("Not enough space on disk to write on the server %1.")
                          .arg(serverName(m_conn)));
    if (state.startsWith(QLatin1String("22")) || state.startsWith(QLatin1String("23")))
        throw DbError(Error::TypeMismatch,
                      QStringLiteral("The value is not valid for the field (%1).").arg(detail));
    throw DbError(Error::EngineFailure,
                  QStringLiteral("Database engine error %1: %2").arg(state, detail));
}

PGresult* ServerConnection::query(const char* sql, const QList<QByteArray>& values)
{
    std::vector<const char*> pointers;
    for (const QByteArray& value : values)
        pointers.push_back(value.constData());
    PGresult* result = pq().PQexecParams(handle(), sql, int(pointers.size()), nullptr,
                                         pointers.data(), nullptr, nullptr, 0);
    if (!succeeded(result))
        fail(result);
    return result;
}

void ServerConnection::reconnectIfLost()
{
    PGconn* conn = handle();
    if (pq().PQstatus(conn) != CONNECTION_BAD)
        return;
    // Inside a transaction the work begun is gone with the connection: it fails whole,
    // and the next transaction connects again.
    if (m_begun)
        throw unreachable(conn, QString::fromUtf8(pq().PQerrorMessage(conn)).trimmed());
    // The server went away (a restart, the network) and took the statements prepared on
    // it along; outside a transaction nothing was lost that the next step needs.
    forgetPrepared();
    pq().PQreset(conn);
    if (pq().PQstatus(conn) != CONNECTION_OK)
        throw unreachable(conn, QString::fromUtf8(pq().PQerrorMessage(conn)).trimmed());
    pq().PQclear(pq().PQexec(conn, "SET client_encoding = 'UTF8'; SET lock_timeout = '10s'"));
}

Cursor* ServerConnection::prepare(const QString& sql)
{
    reconnectIfLost();
    PGconn* conn = handle();
    if (const auto cached = m_statements.constFind(sql); cached != m_statements.constEnd())
        return cached->get();
    const ServerDialect::Statement statement = ServerDialect::translate(sql);
    const QByteArray name = "s" + QByteArray::number(++m_prepared);
    PGresult* prepared =
        pq().PQprepare(conn, name.constData(), statement.text.constData(), 0, nullptr);
    if (!succeeded(prepared)) {
        // A parameter the statement only tests for NULL has no type to take from its
        // use: such parameters are texts.
        if (field(prepared, PG_DIAG_SQLSTATE) != QLatin1String("42P18"))
            fail(prepared);
        pq().PQclear(prepared);
        const std::vector<Oid> texts(size_t(statement.parameterCount), Oid(25));
        prepared = pq().PQprepare(conn, name.constData(), statement.text.constData(),
                                  statement.parameterCount, texts.data());
        if (!succeeded(prepared))
            fail(prepared);
    }
    pq().PQclear(prepared);
    PGresult* description = pq().PQdescribePrepared(conn, name.constData());
    if (!succeeded(description))
        fail(description);
    auto cursor = std::make_shared<ServerCursor>(this, name, statement.parameterNames, description);
    m_statements.insert(sql, cursor);
    return cursor.get();
}

void ServerConnection::exec(const QString& sql)
{
    reconnectIfLost();
    const ServerDialect::Statement statement = ServerDialect::translate(sql);
    PGresult* result = pq().PQexec(handle(), statement.text.constData());
    m_tableOids.clear();
    m_tables.clear();
    if (!succeeded(result))
        fail(result);
    pq().PQclear(result);
}

const ServerConnection::Table* ServerConnection::tableByOid(unsigned oid)
{
    if (const auto found = m_tables.constFind(oid); found != m_tables.constEnd())
        return &*found;
    Table table;
    {
        const Result result(query("SELECT coalesce(obj_description($1::oid, 'pg_class'), "
                                  "relname::text) FROM pg_class WHERE oid = $1::oid",
                                  {QByteArray::number(oid)}));
        if (pq().PQntuples(result.get) == 0)
            return nullptr;
        table.name = QString::fromUtf8(pq().PQgetvalue(result.get, 0, 0));
    }
    const Result result(
        query("SELECT a.attnum, a.attname, coalesce(col_description(a.attrelid, a.attnum), ''), "
              "a.attnotnull FROM pg_attribute a WHERE a.attrelid = $1::oid AND a.attnum > 0 AND "
              "NOT a.attisdropped AND a.attname NOT IN ('rowid', 'rowversion', 'changedby', "
              "'changedat') ORDER BY a.attnum",
              {QByteArray::number(oid)}));
    static const QRegularExpression sizePattern(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    for (int row = 0; row < pq().PQntuples(result.get); ++row) {
        ColumnInfo column;
        column.name = QString::fromUtf8(pq().PQgetvalue(result.get, row, 1));
        ServerDialect::readColumnComment(QString::fromUtf8(pq().PQgetvalue(result.get, row, 2)),
                                         &column.name, &column.declaredType);
        column.notNull = pq().PQgetvalue(result.get, row, 3)[0] == 't';
        const auto match = sizePattern.match(column.declaredType);
        if (column.declaredType.startsWith(QLatin1String("TEXT")) && match.hasMatch())
            column.size = match.captured(1).toInt();
        table.columns << column;
        table.numbers << QByteArray(pq().PQgetvalue(result.get, row, 0)).toInt();
    }
    return &*m_tables.insert(oid, table);
}

const ServerConnection::Table* ServerConnection::table(const QString& name)
{
    QString bare = name.trimmed();
    if (bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']')))
        bare = bare.mid(1, bare.size() - 2);
    const QString key = bare.toLower();
    unsigned oid = m_tableOids.value(key);
    if (oid == 0) {
        const Result result(query("SELECT c.oid FROM pg_class c WHERE c.relkind IN ('r', 'v') "
                                  "AND c.relname = $1 AND pg_table_is_visible(c.oid)",
                                  {key.toUtf8()}));
        if (pq().PQntuples(result.get) == 0)
            return nullptr;
        oid = QByteArray(pq().PQgetvalue(result.get, 0, 0)).toUInt();
        m_tableOids.insert(key, oid);
    }
    return tableByOid(oid);
}

const ColumnInfo* ServerConnection::columnOf(unsigned tableOid, int column)
{
    const Table* found = tableByOid(tableOid);
    if (!found)
        return nullptr;
    const qsizetype index = found->numbers.indexOf(column);
    return index < 0 ? nullptr : &found->columns[index];
}

QString ServerConnection::tableName(const QString& name)
{
    if (const Table* found = table(name))
        return found->name;
    throw DbError(Error::ObjectNotFound,
                  QStringLiteral("The database engine cannot find the input table or query "
                                 "'%1'. Make sure it exists and that its name is spelled "
                                 "correctly.")
                      .arg(name));
}

QList<ColumnInfo> ServerConnection::columns(const QString& tableName)
{
    const Table* found = table(tableName);
    return found ? found->columns : QList<ColumnInfo>();
}

bool ServerConnection::hasTable(const QString& name)
{
    return table(name) != nullptr;
}

namespace {

ChangeStamp stampOf(const PGresult* result)
{
    ChangeStamp stamp;
    if (pq().PQntuples(result) == 0)
        return stamp;
    stamp.version = QByteArray(pq().PQgetvalue(result, 0, 0)).toLongLong();
    stamp.by = QString::fromUtf8(pq().PQgetvalue(result, 0, 1));
    stamp.at =
        QDateTime::fromSecsSinceEpoch(QByteArray(pq().PQgetvalue(result, 0, 2)).toLongLong());
    return stamp;
}

} // namespace

ChangeStamp ServerConnection::tableStamp(const QString& tableName)
{
    const Result result(query("SELECT version, coalesce(changedby, ''), "
                              "coalesce(extract(epoch FROM changedat)::bigint, 0) "
                              "FROM brisklander_changes WHERE tablename = $1",
                              {tableName.toLower().toUtf8()}));
    return stampOf(result.get);
}

ChangeStamp ServerConnection::rowStamp(const QString& tableName, qint64 key)
{
    const Table* found = table(tableName);
    if (!found)
        return {};
    const QByteArray sql = "SELECT rowversion, coalesce(changedby, ''), "
                           "coalesce(extract(epoch FROM changedat)::bigint, 0) FROM \"" +
                           tableName.toLower().toUtf8() + "\" WHERE rowid = $1";
    const Result result(query(sql.constData(), {QByteArray::number(key)}));
    return stampOf(result.get);
}

void ServerConnection::begin(bool readOnly)
{
    // A read transaction sees one state of the database; writers queue behind each
    // other, as they do on a file, so that what one reads before it writes (the next
    // quote number) is still true when it writes.
    exec(readOnly ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")
                  : QStringLiteral("BEGIN; SELECT pg_advisory_xact_lock(20245)"));
    m_begun = true;
}

void ServerConnection::commit()
{
    // Whatever the answer, the transaction is over: committed, or rolled back by the
    // server (a connection lost before it is not made again for the COMMIT).
    const auto ended = qScopeGuard([this] { m_begun = false; });
    exec(QStringLiteral("COMMIT"));
}

void ServerConnection::rollback()
{
    m_begun = false;
    if (inTransaction())
        exec(QStringLiteral("ROLLBACK"));
}

bool ServerConnection::inTransaction() const
{
    return m_conn && pq().PQtransactionStatus(m_conn) != PQTRANS_IDLE &&
           pq().PQtransactionStatus(m_conn) != PQTRANS_UNKNOWN;
}

void ServerConnection::forgetPrepared()
{
    m_statements.clear();
    m_tables.clear();
    m_tableOids.clear();
}

void ServerConnection::close()
{
    forgetPrepared();
    if (m_conn) {
        pq().PQfinish(m_conn);
        m_conn = nullptr;
    }
}

} // namespace Db
