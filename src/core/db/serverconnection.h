#pragma once

#include "core/db/connection.h"

#include <QHash>
#include <QSet>

#include <memory>

struct pg_conn;
struct pg_result;

namespace Db {

class ServerConnection;

// A libpq connection to a server location, named after this desk (the server's
// stamps), with the password asked through setPasswordSource() when libpq has none.
// Never null; the caller checks its status and finishes it.
pg_conn* connectToServer(const QString& location);

// A statement prepared on the server. It runs when first stepped, and holds its
// rows until it is reset.
class ServerCursor : public Cursor
{
public:
    ServerCursor(ServerConnection* connection, const QByteArray& name, const QStringList& names,
                 pg_result* description);
    ~ServerCursor() override;

    int parameterCount() const override { return int(m_names.size()); }
    QString parameterName(int index) const override { return m_names.value(index - 1); }
    void bind(int index, const QVariant& value) override;
    void bindKey(int index, qint64 key) override;
    bool next() override;
    void run() override;
    int columnCount() const override;
    QString columnName(int column) const override;
    QString columnType(int column) const override;
    QVariant value(int column) const override;
    qint64 key(int column) const override;
    int changes() const override { return m_changes; }
    qint64 lastInsertKey() const override { return m_lastKey; }
    void reset() override;

private:
    void execute();
    // The table column a result column comes straight from, else nullptr.
    const ColumnInfo* tableColumn(int column) const;

    ServerConnection* m_connection;
    QByteArray m_name;
    QStringList m_names;
    pg_result* m_description;
    QList<QByteArray> m_values;
    QList<bool> m_null;
    pg_result* m_result = nullptr;
    int m_row = -1;
    int m_changes = 0;
    qint64 m_lastKey = 0;
};

// A database on a PostgreSQL server, through libpq: the program's statements in the
// server's spelling (ServerDialect), its answers as the engine's errors.
class ServerConnection : public Connection
{
public:
    // `location` is a libpq connection string or URI. Fails with 3029 when the server
    // refuses the login, and names the host when it cannot be reached.
    explicit ServerConnection(const QString& location);
    ~ServerConnection() override;

    pg_conn* handle() const;
    bool isClosed() const override { return m_conn == nullptr; }
    Cursor* prepare(const QString& sql) override;
    void exec(const QString& sql) override;
    QString tableName(const QString& name) override;
    QList<ColumnInfo> columns(const QString& table) override;
    bool hasTable(const QString& name) override;
    ChangeStamp tableStamp(const QString& table) override;
    ChangeStamp rowStamp(const QString& table, qint64 key) override;
    void begin(bool readOnly) override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;
    void close() override;

    // The server's answer as the engine's error; `result` may be null (no answer).
    [[noreturn]] void fail(pg_result* result) const;
    // The program's name and declared type of a column of a server table.
    const ColumnInfo* columnOf(unsigned table, int column);

private:
    struct Table
    {
        QString name;
        QList<ColumnInfo> columns;
        QList<int> numbers; // the server's column numbers, in the same order
    };
    void reconnectIfLost();
    // Drops the statements and table layouts read through the connection.
    void forgetPrepared();
    const Table* table(const QString& name);
    const Table* tableByOid(unsigned oid);
    pg_result* query(const char* sql, const QList<QByteArray>& values);

    pg_conn* m_conn = nullptr;
    QHash<QString, std::shared_ptr<ServerCursor>> m_statements;
    QHash<QString, unsigned> m_tableOids; // by lower-case name
    QHash<unsigned, Table> m_tables;
    int m_prepared = 0;
    bool m_begun = false; // a transaction was begun and not yet ended
};

} // namespace Db
