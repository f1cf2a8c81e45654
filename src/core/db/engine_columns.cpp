// How the engine reads and writes the columns of the program's tables: the kind of
// a column from its declared type, and a value checked and converted for it.

#include "core/db/engine_p.h"

#include <cmath>

namespace Db {

Kind kindOf(const ColumnInfo& column)
{
    const QString& type = column.declaredType;
    if (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("TEXT")))
        return Kind::Text;
    if (type.startsWith(QLatin1String("SMALLINT")))
        return Kind::Int16;
    if (type.startsWith(QLatin1String("BIT")) || type.startsWith(QLatin1String("BOOL")))
        return Kind::Flag;
    if (type.contains(QLatin1String("INT")) || type.startsWith(QLatin1String("LONG")))
        return Kind::Int32;
    if (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("FLOA")) ||
        type.contains(QLatin1String("DOUB")) || type.startsWith(QLatin1String("SINGLE")))
        return Kind::Real;
    return Kind::Other;
}

QVariant readAs(const ColumnInfo& column, const QVariant& stored)
{
    if (column.flag && !stored.isNull())
        return QVariant(stored.toLongLong() != 0);
    return stored;
}

QVariant valueForColumn(const ColumnInfo& column, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    const auto mismatch = [] {
        return DbError(Error::TypeMismatch, QStringLiteral("Data type conversion error."));
    };
    const auto overflow = [] {
        return DbError(Error::Overflow, QStringLiteral("Numeric field overflow."));
    };
    // A figure, from a number or from its plain text; anything else does not fit.
    const auto finiteNumber = [&] {
        bool ok = false;
        const double number = value.typeId() == QMetaType::QString
                                  ? value.toString().trimmed().toDouble(&ok)
                                  : value.toDouble(&ok);
        if (!ok || !std::isfinite(number))
            throw mismatch();
        return number;
    };
    switch (kindOf(column)) {
    case Kind::Text: {
        const QString text = value.toString();
        if (column.size > 0 && text.size() > column.size)
            throw DbError(Error::TooSmall,
                          QStringLiteral("The field is too small to accept the amount of data "
                                         "you attempted to add. Try inserting or pasting less "
                                         "data."));
        return text;
    }
    case Kind::Flag:
        if (value.typeId() == QMetaType::QString) {
            bool ok = false;
            const double number = value.toString().trimmed().toDouble(&ok);
            if (!ok)
                throw mismatch();
            return QVariant(qlonglong(number != 0 ? 1 : 0));
        }
        return QVariant(qlonglong(value.toBool() ? 1 : 0));
    case Kind::Int16:
    case Kind::Int32: {
        const double number = finiteNumber();
        const double whole = std::nearbyint(number); // halves to the even neighbour
        const double low = kindOf(column) == Kind::Int16 ? -32768.0 : -2147483648.0;
        const double high = kindOf(column) == Kind::Int16 ? 32767.0 : 2147483647.0;
        if (whole < low || whole > high)
            throw overflow();
        return QVariant(qlonglong(whole));
    }
    case Kind::Real:
        return QVariant(finiteNumber());
    case Kind::Other:
        break;
    }
    return value;
}

} // namespace Db
