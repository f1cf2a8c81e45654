#include "core/db/engine_p.h"

#include "core/folder/durablefile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUuid>

#include <cstdio>

namespace Db {

namespace {

const QString WorkgroupMissingText = QStringLiteral(
    "Cannot start your application. The workgroup information file is missing or opened "
    "exclusively by another user.");

QByteArray passwordHash(const QByteArray& salt, const QString& password)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(salt);
    hash.addData(password.toUtf8());
    return hash.result();
}

class SqliteHandle
{
public:
    explicit SqliteHandle(sqlite3* db) : m_db(db) {}
    ~SqliteHandle() { sqlite3_close_v2(m_db); }
    SqliteHandle(const SqliteHandle&) = delete;
    SqliteHandle& operator=(const SqliteHandle&) = delete;
    sqlite3* get() const { return m_db; }
    void exec(const QString& sql, const QString& context)
    {
        char* error = nullptr;
        const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error);
        sqlite3_free(error);
        if (rc != SQLITE_OK)
            throwSqlite(m_db, sqlite3_extended_errcode(m_db), context);
    }

private:
    sqlite3* m_db;
};

// Runs a statement that returns no rows.
void stepToEnd(sqlite3* db, sqlite3_stmt* statement, const QString& context)
{
    if (sqlite3_step(statement) != SQLITE_DONE)
        throwSqlite(db, sqlite3_extended_errcode(db), context);
}

sqlite3* createSqliteFile(const QString& path)
{
    if (QFileInfo::exists(path))
        throw DbError(Error::DatabaseExists, QStringLiteral("Database already exists."));
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        throwSqlite(nullptr, rc, describePath(path));
    }
    sqlite3_extended_result_codes(db, 1);
    return db;
}

} // namespace

// ---- engine ----

DbEngine& DbEngine::instance()
{
    static DbEngine engine;
    return engine;
}

QByteArray DbEngine::verifyAccount(const QString& user, const QString& password) const
{
    if (m_systemDB.isEmpty() || !QFileInfo(m_systemDB).isFile())
        throw DbError(Error::WorkgroupMissing, WorkgroupMissingText);
    sqlite3* raw = nullptr;
    try {
        raw = openSqliteFile(m_systemDB, true);
    } catch (const DbError& error) {
        // A workgroup file that is there but cannot be read says why.
        if (error.number() == Error::FileNoPermission || error.number() == Error::InvalidPath ||
            error.number() == Error::DiskError)
            throw;
        throw DbError(Error::WorkgroupMissing, WorkgroupMissingText);
    }
    SqliteHandle db(raw);
    // A workgroup file without its tables is no workgroup file.
    const auto missing = [](int) { throw DbError(Error::WorkgroupMissing, WorkgroupMissingText); };
    QByteArray workgroupId;
    {
        const Statement statement(db.get(), "SELECT WorkgroupId FROM SysWorkgroup", missing);
        if (sqlite3_step(statement.get()) == SQLITE_ROW)
            workgroupId =
                QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)));
    }
    if (workgroupId.isEmpty())
        throw DbError(Error::WorkgroupMissing, WorkgroupMissingText);

    const Statement account(
        db.get(), "SELECT Salt, Hash FROM SysAccounts WHERE Name = ?1 COLLATE NOCASE", missing);
    bindValue(account.get(), 1, user);
    bool valid = false;
    if (sqlite3_step(account.get()) == SQLITE_ROW) {
        const QByteArray salt = columnValue(account.get(), 0).toByteArray();
        const QByteArray hash = columnValue(account.get(), 1).toByteArray();
        valid = !hash.isEmpty() && passwordHash(salt, password) == hash;
    }
    if (!valid)
        throw DbError(Error::BadAccount, QStringLiteral("Not a valid account name or password."));
    return workgroupId;
}

std::shared_ptr<Workspace> DbEngine::createWorkspace(const QString& name, const QString& user,
                                                     const QString& password)
{
    const QByteArray workgroupId = verifyAccount(user, password);
    std::shared_ptr<Workspace> workspace(new Workspace(name, user, workgroupId));
    m_workspaces.push_back(workspace);
    return workspace;
}

std::shared_ptr<Workspace> DbEngine::defaultWorkspace()
{
    if (!m_default || m_default->isClosed())
        m_default = createWorkspace(QStringLiteral("#Default Workspace#"), m_defaultUser,
                                    m_defaultPassword);
    return m_default;
}

void DbEngine::closeDefaultWorkspace()
{
    if (m_default)
        m_default->close();
    m_default.reset();
}

void DbEngine::release()
{
    closeDefaultWorkspace();
    for (const auto& weak : m_workspaces) {
        if (auto workspace = weak.lock())
            workspace->close();
    }
    m_workspaces.clear();
    m_systemDB.clear();
    m_defaultUser.clear();
    m_defaultPassword.clear();
}

void DbEngine::createWorkgroupFile(const QString& path, const QString& user,
                                   const QString& password)
{
    SqliteHandle db(createSqliteFile(path));
    const QString context = describePath(path);
    db.exec(QStringLiteral("CREATE TABLE SysWorkgroup (WorkgroupId TEXT NOT NULL);"
                           "CREATE TABLE SysAccounts (Name TEXT PRIMARY KEY COLLATE NOCASE, "
                           "Salt BLOB NOT NULL, Hash BLOB NOT NULL);"),
            context);
    const QByteArray id = QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    {
        const Statement statement(db.get(), "INSERT INTO SysWorkgroup VALUES (?1)", context);
        bindValue(statement.get(), 1, QString::fromLatin1(id));
        stepToEnd(db.get(), statement.get(), context);
    }
    const Statement statement(db.get(), "INSERT INTO SysAccounts VALUES (?1, ?2, ?3)", context);
    bindValue(statement.get(), 1, user);
    bindValue(statement.get(), 2, salt);
    bindValue(statement.get(), 3, passwordHash(salt, password));
    stepToEnd(db.get(), statement.get(), context);
}

void DbEngine::settleDatabaseFile(const QString& path)
{
    SqliteHandle db(openSqliteFile(path, false));
    const QString context = describePath(path);
    // Reading the schema replays or rolls back whatever a crash left beside the file.
    db.exec(QStringLiteral("SELECT count(*) FROM sqlite_schema"), context);
    sqlite3_busy_timeout(db.get(), 0);
    const auto locked = [](int) {
        throw DbError(Error::Locked, QStringLiteral("Could not update; currently locked."));
    };
    {
        const Statement statement(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)", locked);
        const int rc = sqlite3_step(statement.get());
        const bool blocked = rc == SQLITE_ROW && sqlite3_column_int(statement.get(), 0) != 0;
        if (blocked || (rc != SQLITE_ROW && rc != SQLITE_DONE))
            locked(rc);
    }
    // Leaving WAL mode needs the only connection to the file, and removes the log.
    QString mode;
    {
        // The log goes once the statement has ended.
        const Statement statement(db.get(), "PRAGMA journal_mode=DELETE", locked);
        if (sqlite3_step(statement.get()) == SQLITE_ROW)
            mode = columnValue(statement.get(), 0).toString();
    }
    if (mode.compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
        locked(0);
    for (const char* suffix : {"-wal", "-journal"}) {
        if (QFileInfo::exists(path + QLatin1String(suffix)))
            locked(0);
    }
}

QString DbEngine::partialCompactionPath(const QString& destination)
{
    return destination + QStringLiteral(".compacting");
}

bool DbEngine::isIntactDatabase(const QString& path)
{
    sqlite3* raw = nullptr;
    try {
        raw = openSqliteFile(path, true);
    } catch (const DbError&) {
        return false;
    }
    SqliteHandle db(raw);
    const auto firstValue = [&](const char* sql) {
        try {
            const Statement statement(db.get(), sql, describePath(path));
            return sqlite3_step(statement.get()) == SQLITE_ROW
                       ? columnValue(statement.get(), 0).toString()
                       : QString();
        } catch (const DbError&) {
            return QString();
        }
    };
    return firstValue("SELECT count(*) FROM sqlite_schema WHERE name = 'SysWorkgroup'") ==
               QLatin1String("1") &&
           firstValue("PRAGMA quick_check") == QLatin1String("ok");
}

void DbEngine::compactDatabase(const QString& source, const QString& destination,
                               const SyncFunction& sync)
{
    if (QFileInfo::exists(destination))
        throw DbError(Error::DatabaseExists, QStringLiteral("Database already exists."));
    const QString partial = partialCompactionPath(destination);
    const auto toDisk = [&sync](const QString& path) {
        return sync ? sync(path) : DurableFile::sync(path);
    };
    QFile::remove(partial);
    try {
        {
            SqliteHandle db(openSqliteFile(source, false));
            const Statement statement(db.get(), "VACUUM INTO ?1", describePath(source));
            bindValue(statement.get(), 1, partial);
            stepToEnd(db.get(), statement.get(), describePath(source));
        }
        // The copy must read back whole before it takes the database's name.
        if (!isIntactDatabase(partial))
            throw DbError(Error::Unrecognized, QStringLiteral("Unrecognized database format "
                                                              "'%1'.")
                                                   .arg(describePath(partial)));
        if (!toDisk(partial))
            throw DbError(Error::DiskError, QStringLiteral("Disk or network error: '%1' could "
                                                           "not be written to the disk.")
                                                .arg(describePath(partial)));
        if (std::rename(QFile::encodeName(partial).constData(),
                        QFile::encodeName(destination).constData()) != 0)
            throw DbError(Error::CannotOpen,
                          QStringLiteral("Could not write '%1'.").arg(describePath(destination)));
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    // The new name must reach the disk too, or a power cut could bring back a folder
    // without the database. The copy is complete and named by now, so this cannot fail
    // the compaction.
    toDisk(QFileInfo(destination).absolutePath());
}

// ---- workspace ----

Workspace::Workspace(const QString& name, const QString& user, const QByteArray& workgroupId)
    : m_name(name), m_user(user), m_workgroupId(workgroupId)
{}

std::shared_ptr<Connection> Workspace::connectionFor(const QString& path, bool readOnly)
{
    if (m_closed)
        throw DbError(Error::ObjectClosed, QStringLiteral("Object invalid or no longer set."));
    const QString key = QFileInfo(path).absoluteFilePath();
    auto found = m_connections.find(key);
    if (found != m_connections.end() && !found->second->isClosed())
        return found->second;
    auto connection = std::make_shared<Connection>(key, m_workgroupId, readOnly);
    if (m_inTransaction)
        connection->exec(QStringLiteral("BEGIN IMMEDIATE"));
    m_connections[key] = connection;
    return connection;
}

std::shared_ptr<Database> Workspace::openDatabase(const QString& path)
{
    return std::shared_ptr<Database>(new Database(connectionFor(path, false)));
}

std::shared_ptr<Database> Workspace::openDatabaseReadOnly(const QString& path)
{
    return std::shared_ptr<Database>(new Database(connectionFor(path, true)));
}

Transaction::Transaction(Workspace& workspace) : m_workspace(workspace)
{
    m_workspace.beginTrans();
    m_pending = true;
}

Transaction::~Transaction()
{
    if (!m_pending)
        return;
    try {
        rollback();
    } catch (const DbError&) {
        // A destructor cannot report; the workspace rolls back whatever it still
        // holds when it is closed.
    }
}

void Transaction::commit()
{
    m_workspace.commitTrans();
    m_pending = false;
}

void Transaction::rollback()
{
    m_pending = false;
    if (m_workspace.inTransaction())
        m_workspace.rollback();
}

std::shared_ptr<Database> Workspace::createDatabase(const QString& path)
{
    if (m_closed)
        throw DbError(Error::ObjectClosed, QStringLiteral("Object invalid or no longer set."));
    {
        SqliteHandle db(createSqliteFile(path));
        const QString context = describePath(path);
        db.exec(QStringLiteral("PRAGMA journal_mode=WAL;"
                               "CREATE TABLE SysWorkgroup (WorkgroupId TEXT NOT NULL);"
                               "CREATE TABLE SysQueries (Name TEXT PRIMARY KEY COLLATE NOCASE, "
                               "SQL TEXT NOT NULL);"),
                context);
        const Statement statement(db.get(), "INSERT INTO SysWorkgroup VALUES (?1)", context);
        bindValue(statement.get(), 1, QString::fromLatin1(m_workgroupId));
        stepToEnd(db.get(), statement.get(), context);
    }
    return openDatabase(path);
}

void Workspace::beginTrans()
{
    if (m_closed)
        throw DbError(Error::ObjectClosed, QStringLiteral("Object invalid or no longer set."));
    if (m_inTransaction)
        throw DbError(Error::NestedTransaction,
                      QStringLiteral("Could not start transaction; too many transactions "
                                     "already nested."));
    std::vector<Connection*> begun;
    try {
        for (auto& [path, connection] : m_connections) {
            if (connection->isClosed())
                continue;
            connection->exec(QStringLiteral("BEGIN IMMEDIATE"));
            begun.push_back(connection.get());
        }
    } catch (...) {
        for (Connection* connection : begun)
            sqlite3_exec(connection->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    m_inTransaction = true;
}

void Workspace::commitTrans()
{
    if (!m_inTransaction)
        throw DbError(Error::NoTransaction,
                      QStringLiteral("You tried to commit or rollback a transaction without "
                                     "first beginning a transaction."));
    for (auto& [path, connection] : m_connections) {
        if (!connection->isClosed())
            connection->exec(QStringLiteral("COMMIT"));
    }
    m_inTransaction = false;
}

void Workspace::rollback()
{
    if (!m_inTransaction)
        throw DbError(Error::NoTransaction,
                      QStringLiteral("You tried to commit or rollback a transaction without "
                                     "first beginning a transaction."));
    m_inTransaction = false;
    for (auto& [path, connection] : m_connections) {
        if (!connection->isClosed() && !sqlite3_get_autocommit(connection->handle()))
            connection->exec(QStringLiteral("ROLLBACK"));
    }
}

void Workspace::close()
{
    if (m_closed)
        return;
    for (auto& [path, connection] : m_connections) {
        if (!connection->isClosed() && !sqlite3_get_autocommit(connection->handle()))
            sqlite3_exec(connection->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        connection->close();
    }
    m_connections.clear();
    m_inTransaction = false;
    m_closed = true;
}

// ---- database ----

Database::Database(std::shared_ptr<Connection> connection) : m_connection(std::move(connection)) {}

QString Database::path() const
{
    return m_connection->path();
}

QList<ColumnInfo> Database::columns(const QString& table)
{
    return m_connection->columns(m_connection->tableName(table));
}

void Database::execute(const QString& sql)
{
    m_connection->exec(sql);
}

void Database::close()
{
    // The connection belongs to the workspace, which may hold a transaction on it;
    // this handle simply lets go of it.
    m_connection.reset();
}

void Database::createQueryDef(const QString& name, const QString& sql)
{
    // Prepare once so that a faulty text fails here, not when it is first used.
    sqlite3_stmt* check = m_connection->prepare(sql);
    Q_UNUSED(check);
    sqlite3_stmt* statement =
        m_connection->prepare(QStringLiteral("INSERT INTO SysQueries (Name, SQL) VALUES (?1, ?2)"));
    StatementUse use(statement);
    bindValue(statement, 1, name);
    bindValue(statement, 2, sql);
    m_connection->run(statement);
}

QueryDef Database::queryDef(const QString& name)
{
    if (!m_connection)
        throw DbError(Error::ObjectClosed, QStringLiteral("Object invalid or no longer set."));
    sqlite3_stmt* statement = m_connection->prepare(
        QStringLiteral("SELECT Name, SQL FROM SysQueries WHERE Name = ?1 COLLATE NOCASE"));
    StatementUse use(statement);
    bindValue(statement, 1, name);
    if (sqlite3_step(statement) != SQLITE_ROW)
        throw DbError(Error::ItemNotFound, QStringLiteral("Item not found in this collection."));
    return QueryDef(m_connection, columnValue(statement, 0).toString(),
                    columnValue(statement, 1).toString());
}

// ---- stored queries ----

QueryDef::QueryDef(std::shared_ptr<Connection> connection, const QString& name, const QString& sql)
    : m_connection(std::move(connection)), m_name(name), m_sql(sql)
{
    sqlite3_stmt* statement = m_connection->prepare(sql);
    const int count = sqlite3_bind_parameter_count(statement);
    for (int i = 1; i <= count; ++i) {
        const char* parameter = sqlite3_bind_parameter_name(statement, i);
        if (parameter)
            m_parameterNames << QString::fromUtf8(parameter + 1);
    }
}

void QueryDef::setParameter(const QString& name, const QVariant& value)
{
    for (const QString& parameter : m_parameterNames) {
        if (parameter.compare(name, Qt::CaseInsensitive) == 0) {
            m_values.insert(parameter.toLower(), value);
            return;
        }
    }
    throw DbError(Error::ItemNotFound, QStringLiteral("Item not found in this collection."));
}

std::unique_ptr<Recordset> QueryDef::openSnapshot()
{
    std::unique_ptr<Recordset> set(new Recordset(m_connection, RecordsetType::Snapshot));
    set->openSnapshot(m_sql, m_values);
    return set;
}

} // namespace Db
