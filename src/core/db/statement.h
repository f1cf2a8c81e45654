#pragma once

#include <QString>

#include <functional>

#include <sqlite3.h>

namespace Db {

// A statement run once, outside a connection's cache (on the workgroup file, a new or
// a settling file, a file's first read), and finalized when it goes out of scope.
// A statement that does not prepare is never used: its failure is thrown.
class Statement
{
public:
    // The failure is thrown as the DbError SQLite's answer stands for, naming `context`.
    Statement(sqlite3* db, const char* sql, const QString& context);
    // The failure is thrown by `fail` (called with SQLite's answer), which must throw.
    Statement(sqlite3* db, const char* sql, const std::function<void(int rc)>& fail);
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement = nullptr;
};

} // namespace Db
