#pragma once

#include "core/db/columninfo.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <sqlite3.h>

namespace Db {

// One open database file: the SQLite handle with its statement cache and the
// columns of its tables.
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
