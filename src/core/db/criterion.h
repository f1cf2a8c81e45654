#pragma once

#include <QString>
#include <QVariant>

namespace Db {

// A search or filter condition as a typed value, never SQL text glued from input.
// Text compares without regard to case. A LIKE pattern uses the program's
// wildcards: '*' any tail, '?' one character, '#' one digit; every other
// character (quotes, '%', '_' included) stands for itself.
class Criterion
{
public:
    enum class Op
    {
        Equals,
        Like
    };

    static Criterion equals(const QString& column, const QVariant& value);
    static Criterion like(const QString& column, const QString& pattern);
    // "column LIKE 'prefix*'": the rows whose column begins with the prefix.
    static Criterion startsWith(const QString& column, const QString& prefix);

    QString column() const { return m_column; }
    Op op() const { return m_op; }
    QVariant value() const { return m_value; }

    // True when a text matches a LIKE pattern of the program's wildcards.
    static bool likeMatches(const QString& pattern, const QString& text);

private:
    Criterion(const QString& column, Op op, const QVariant& value);
    QString m_column;
    Op m_op;
    QVariant m_value;
};

} // namespace Db
