#pragma once

#include "core/db/connection.h"

#include <QByteArray>
#include <QHash>

#include <memory>

#include <sqlite3.h>

namespace Db {

// A prepared SQLite statement.
class SqliteCursor : public Cursor
{
public:
    SqliteCursor(sqlite3* db, sqlite3_stmt* statement, const QString& context);
    ~SqliteCursor() override;

    int parameterCount() const override;
    QString parameterName(int index) const override;
    void bind(int index, const QVariant& value) override;
    void bindKey(int index, qint64 key) override;
    bool next() override;
    void run() override;
    int columnCount() const override;
    QString columnName(int column) const override;
    QString columnType(int column) const override;
    QVariant value(int column) const override;
    qint64 key(int column) const override;
    int changes() const override;
    qint64 lastInsertKey() const override;
    void reset() override;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement;
    QString m_context;
};

// One open database file: the SQLite handle with its statement cache and the
// columns of its tables.
class SqliteConnection : public Connection
{
public:
    // A read-only connection never changes the file: every write fails with 3027.
    SqliteConnection(const QString& path, const QByteArray& workgroupId, bool readOnly = false);
    ~SqliteConnection() override;

    sqlite3* handle() const;
    bool isClosed() const override { return m_db == nullptr; }
    Cursor* prepare(const QString& sql) override;
    void exec(const QString& sql) override;
    QString tableName(const QString& name) override;
    QList<ColumnInfo> columns(const QString& table) override;
    bool hasTable(const QString& name) override;
    void begin(bool readOnly) override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;
    void close() override;

private:
    sqlite3* m_db = nullptr;
    QHash<QString, std::shared_ptr<SqliteCursor>> m_statements;
    QHash<QString, QList<ColumnInfo>> m_columns; // by lower-case table name
};

} // namespace Db
