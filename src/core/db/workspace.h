#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <memory>

namespace Db {

class Connection;
class Database;

// True when a database location names a server (a libpq connection string or URI)
// rather than a file.
bool isServerLocation(const QString& location);
// A server location as messages name it ("brisklander on db.office:5432 as anna"),
// never with its password.
QString describeLocation(const QString& location);

// Asks for a server's password when libpq finds none for it (no ~/.pgpass, service
// file or PGPASSWORD); given the server as describeLocation() names it, returns the
// password, or an empty text when none was given. Asked at most once a server in the
// program's life; the answer serves the program's every connection to it.
using PasswordSource = std::function<QString(const QString& server)>;
void setPasswordSource(PasswordSource source);

// Begins `count` connections to a server location at once, each in a thread of its
// own, for the program's next connections to it to take as they are opened: a start
// waits for one login instead of one after another. A connection that needs a password
// libpq does not have is made again when taken, with the password asked for then.
void connectAhead(const QString& location, int count);
// Closes the connections begun ahead that nothing took; DbEngine::release() does.
void forgetConnectionsAhead();

// A named session of one account of the workgroup, through which databases are
// opened and changed under one transaction.
class Workspace : public std::enable_shared_from_this<Workspace>
{
public:
    QString name() const { return m_name; }

    // Opens a database file that exists and was secured by this workspace's workgroup,
    // or a database on a server (a libpq connection string or URI), whose login decides.
    std::shared_ptr<Database> openDatabase(const QString& path);
    // The same without ever changing the file, so another program may use it at once.
    // Within a workspace a file is opened one way, the way it was first opened.
    std::shared_ptr<Database> openDatabaseReadOnly(const QString& path);
    // Creates a new, empty database file secured by this workspace's workgroup.
    std::shared_ptr<Database> createDatabase(const QString& path);

    // A transaction covers every database opened through the workspace.
    void beginTrans();
    // A transaction that only reads: every database opened through the workspace keeps
    // the state its file had at the first read, whatever other programs write, until
    // commitTrans() or rollback(). It takes no writer's lock, so it may read a file
    // opened read-only.
    void beginReadTrans();
    void commitTrans();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

    // Closes every database opened through the workspace (rolling back an open transaction).
    void close();
    bool isClosed() const { return m_closed; }

private:
    friend class DbEngine;
    friend class Database;
    Workspace(const QString& name, const QByteArray& workgroupId);
    std::shared_ptr<Connection> connectionFor(const QString& path, bool readOnly);
    void begin(bool readOnly);

    QString m_name;
    QByteArray m_workgroupId;
    bool m_inTransaction = false;
    bool m_readTransaction = false;
    bool m_closed = false;
    std::map<QString, std::shared_ptr<Connection>> m_connections;
};

} // namespace Db
