#pragma once

#include "core/db/changestamp.h"
#include "core/db/columninfo.h"
#include "core/db/cursor.h"

#include <QList>
#include <QString>

namespace Db {

// One open database, a file or a server's: prepared statements cached by their text,
// the columns of its tables, and transactions. The record sets, stored queries and
// workspaces work through this alone.
class Connection
{
public:
    virtual ~Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The file, or the server database as the operator would name it.
    QString path() const { return m_path; }
    virtual bool isClosed() const = 0;

    // A cached prepared statement of the program's SQL (the SQLite spelling: "?1",
    // ":name", rowid, COLLATE NOCASE, programlike()); wrap each use in a CursorUse.
    virtual Cursor* prepare(const QString& sql) = 0;
    // Runs fixed statements of the program, never text that holds user input.
    virtual void exec(const QString& sql) = 0;
    void run(Cursor* cursor) { cursor->run(); }

    // The table's real name (names compare without regard to case).
    virtual QString tableName(const QString& name) = 0;
    virtual QList<ColumnInfo> columns(const QString& table) = 0;
    // True when the database has that table (letter case ignored).
    virtual bool hasTable(const QString& name) = 0;

    // The last change of a table, or of one row of it by its key; none on a file.
    virtual ChangeStamp tableStamp(const QString&) { return {}; }
    virtual ChangeStamp rowStamp(const QString&, qint64) { return {}; }

    // A read transaction sees one state of the database until it ends and takes no
    // writer's lock; any other serializes with the other writers.
    virtual void begin(bool readOnly) = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    virtual void close() = 0;

protected:
    explicit Connection(const QString& path) : m_path(path) {}

private:
    QString m_path;
};

} // namespace Db
