#include "core/db/criterion.h"

namespace Db {

Criterion::Criterion(const QString& column, Op op, const QVariant& value)
    : m_column(column), m_op(op), m_value(value)
{}

Criterion Criterion::equals(const QString& column, const QVariant& value)
{
    return Criterion(column, Op::Equals, value);
}

Criterion Criterion::like(const QString& column, const QString& pattern)
{
    return Criterion(column, Op::Like, pattern);
}

Criterion Criterion::startsWith(const QString& column, const QString& prefix)
{
    return Criterion(column, Op::Like, prefix + QLatin1Char('*'));
}

bool Criterion::likeMatches(const QString& pattern, const QString& text)
{
    // Iterative matcher with one backtrack point for the last '*'.
    qsizetype p = 0, t = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size()) {
            const QChar pc = pattern.at(p);
            const QChar tc = text.at(t);
            if (pc == QLatin1Char('*')) {
                starP = p++;
                starT = t;
                continue;
            }
            const bool one = pc == QLatin1Char('?') || (pc == QLatin1Char('#') && tc.isDigit()) ||
                             (pc != QLatin1Char('#') &&
                              QString::compare(QString(pc), QString(tc), Qt::CaseInsensitive) == 0);
            if (one) {
                ++p;
                ++t;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP + 1;
        t = ++starT;
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

} // namespace Db
