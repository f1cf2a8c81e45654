#pragma once

#include "core/db/engine_p.h"

namespace Db {

// A SQLite handle of its own (a workgroup file, a new or a settling file), closed when
// it goes out of scope.
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

} // namespace Db
