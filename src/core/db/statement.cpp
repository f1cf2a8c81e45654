#include "core/db/statement.h"

#include "core/db/engine_p.h"

namespace Db {

Statement::Statement(sqlite3* db, const char* sql, const QString& context)
    : Statement(db, sql,
                [db, &context](int) { throwSqlite(db, sqlite3_extended_errcode(db), context); })
{}

Statement::Statement(sqlite3* db, const char* sql, const std::function<void(int rc)>& fail)
{
    const int rc = sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr);
    if (rc == SQLITE_OK)
        return;
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
    fail(rc);
    throwSqlite(db, rc); // for a `fail` that did not throw
}

} // namespace Db
