// Criteria as SQL: the conditions the record sets search and filter with.

#include "core/db/engine_p.h"

#include <algorithm>

namespace Db {

namespace {

// The characters that can follow every text in a NOCASE comparison: the upper
// bound of a prefix range.
const QString PrefixEnd = QString::fromUcs4(U"\U0010FFFF", 1);

bool isPlainPrefix(const QString& pattern)
{
    if (!pattern.endsWith(QLatin1Char('*')))
        return false;
    const QString head = pattern.left(pattern.size() - 1);
    return !head.contains(QLatin1Char('*')) && !head.contains(QLatin1Char('?')) &&
           !head.contains(QLatin1Char('#'));
}

} // namespace

bool valueMatches(const Criterion& criterion, const QVariant& value)
{
    const QVariant wanted = criterion.value();
    if (criterion.op() == Criterion::Op::Like)
        return !value.isNull() && Criterion::likeMatches(wanted.toString(), value.toString());
    if (value.isNull() || wanted.isNull())
        return false;
    bool numericValue = false, numericWanted = false;
    const double a = value.toDouble(&numericValue);
    const double b = wanted.toDouble(&numericWanted);
    const bool textual = value.typeId() == QMetaType::QString;
    if (!textual && numericValue && numericWanted)
        return a == b;
    return QString::compare(value.toString(), wanted.toString(), Qt::CaseInsensitive) == 0;
}

// A typed criterion as a SQL condition with its bound values.
QString conditionSql(const Criterion& criterion, const ColumnInfo* column, QVariantList& values)
{
    const QString name = quoteIdentifier(criterion.column());
    const int first = int(values.size()) + 1;
    switch (criterion.op()) {
    case Criterion::Op::Equals:
        values << criterion.value();
        return QStringLiteral("%1 = ?%2").arg(name).arg(first);
    case Criterion::Op::Like:
        break;
    }
    const QString pattern = criterion.value().toString();
    values << pattern;
    QString sql = QStringLiteral("programlike(?%1, %2)").arg(first).arg(name);
    const QString prefix = pattern.left(pattern.size() - 1);
    // NOCASE folds only ASCII letters, so only an ASCII prefix can bound an index range.
    const bool ascii =
        std::all_of(prefix.cbegin(), prefix.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (column && kindOf(*column) == Kind::Text && isPlainPrefix(pattern) && !prefix.isEmpty() &&
        ascii) {
        // A prefix search walks the column's index; the pattern check keeps it exact.
        values << prefix << prefix + PrefixEnd;
        sql = QStringLiteral("(%1 >= ?%2 COLLATE NOCASE AND %1 < ?%3 COLLATE NOCASE AND %4)")
                  .arg(name)
                  .arg(first + 1)
                  .arg(first + 2)
                  .arg(sql);
    }
    return sql;
}

const ColumnInfo* findColumn(const QList<ColumnInfo>& columns, const QString& name)
{
    QString bare = name;
    if (bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']')))
        bare = bare.mid(1, bare.size() - 2);
    for (const ColumnInfo& column : columns) {
        if (column.name.compare(bare, Qt::CaseInsensitive) == 0)
            return &column;
    }
    return nullptr;
}

} // namespace Db
