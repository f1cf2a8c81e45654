#pragma once

#include <QString>

namespace Db {

// A column of a table as the engine reads and checks its values.
struct ColumnInfo
{
    QString name;
    QString declaredType;
    int size = 0; // characters of a text column; 0 for other types
    bool notNull = false;
    bool flag = false; // a yes/no column, read back as bool
};

} // namespace Db
