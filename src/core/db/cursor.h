#pragma once

#include <QString>
#include <QVariant>

namespace Db {

// A prepared statement of a connection, whichever engine runs it: values bound by
// position (from 1), rows stepped through, values read by column (from 0). Every
// failure is thrown as the DbError the engine's answer stands for.
class Cursor
{
public:
    virtual ~Cursor() = default;

    // The statement's parameters; a named one (":name") gives its name without the
    // colon, a numbered one ("?1") an empty name.
    virtual int parameterCount() const = 0;
    virtual QString parameterName(int index) const = 0;
    virtual void bind(int index, const QVariant& value) = 0;
    virtual void bindKey(int index, qint64 key) = 0;

    // Runs the statement at the first call and moves to its next row; false at the end.
    virtual bool next() = 0;
    // Runs the statement to its end; a failure names the database it was written to.
    virtual void run() = 0;
    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    // The declared type of a result column that comes straight from a table column,
    // in the engine's own spelling of the program's types ("TEXT(4)", "BIT", ...).
    virtual QString columnType(int column) const = 0;
    virtual QVariant value(int column) const = 0;
    virtual qint64 key(int column) const = 0;

    // How many rows the last run changed, and the key of the row it added.
    virtual int changes() const = 0;
    virtual qint64 lastInsertKey() const = 0;

    // Ready to run again, every value unbound.
    virtual void reset() = 0;
};

// A cached cursor that is reset (and its values unbound) when it goes out of scope,
// so it never stays active between two calls.
class CursorUse
{
public:
    explicit CursorUse(Cursor* cursor) : m_cursor(cursor) {}
    ~CursorUse() { m_cursor->reset(); }
    CursorUse(const CursorUse&) = delete;
    CursorUse& operator=(const CursorUse&) = delete;
    Cursor* operator->() const { return m_cursor; }
    Cursor* get() const { return m_cursor; }

private:
    Cursor* m_cursor;
};

} // namespace Db
