#pragma once

#include <sqlite3.h>

namespace Db {

// A statement that is reset (and its bindings cleared) when it goes out of scope,
// so a cached statement never stays active between two calls.
class StatementUse
{
public:
    explicit StatementUse(sqlite3_stmt* statement) : m_statement(statement) {}
    ~StatementUse()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;
    sqlite3_stmt* get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement;
};

} // namespace Db
