#include "core/db/workspace.h"

#include "core/db/database.h"
#include "core/db/engine_p.h"
#include "core/db/serverconnection.h"
#include "core/db/sqliteconnection.h"
#include "core/db/sqlitehandle.h"
#include "core/db/statement.h"

#include <QFileInfo>

#include <vector>

namespace Db {

Workspace::Workspace(const QString& name, const QByteArray& workgroupId)
    : m_name(name), m_workgroupId(workgroupId)
{}

std::shared_ptr<Connection> Workspace::connectionFor(const QString& path, bool readOnly)
{
    if (m_closed)
        throw DbError(Error::ObjectClosed, QStringLiteral("Object invalid or no longer set."));
    const bool server = isServerLocation(path);
    const QString key = server ? path : QFileInfo(path).absoluteFilePath();
    auto found = m_connections.find(key);
    if (found != m_connections.end() && !found->second->isClosed())
        return found->second;
    // A server checks the account itself, at the login.
    std::shared_ptr<Connection> connection;
    if (server)
        connection = std::make_shared<ServerConnection>(key);
    else
        connection = std::make_shared<SqliteConnection>(key, m_workgroupId, readOnly);
    if (m_inTransaction)
        connection->begin(m_readTransaction);
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
    begin(false);
}

void Workspace::beginReadTrans()
{
    begin(true);
}

void Workspace::begin(bool readOnly)
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
            connection->begin(readOnly);
            begun.push_back(connection.get());
        }
    } catch (...) {
        for (Connection* connection : begun) {
            try {
                connection->rollback();
            } catch (const DbError&) {
                // The failure that stopped the transaction is the one to report.
            }
        }
        throw;
    }
    m_inTransaction = true;
    m_readTransaction = readOnly;
}

void Workspace::commitTrans()
{
    if (!m_inTransaction)
        throw DbError(Error::NoTransaction,
                      QStringLiteral("You tried to commit or rollback a transaction without "
                                     "first beginning a transaction."));
    for (auto& [path, connection] : m_connections) {
        if (!connection->isClosed())
            connection->commit();
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
        if (!connection->isClosed())
            connection->rollback();
    }
}

void Workspace::close()
{
    if (m_closed)
        return;
    for (auto& [path, connection] : m_connections) {
        try {
            if (!connection->isClosed())
                connection->rollback();
        } catch (const DbError&) {
            // Closing the connection rolls back whatever the engine could not.
        }
        connection->close();
    }
    m_connections.clear();
    m_inTransaction = false;
    m_closed = true;
}

} // namespace Db
