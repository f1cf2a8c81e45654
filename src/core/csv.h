#pragma once

#include <QString>
#include <QStringList>

namespace Csv {

// Splits one line of comma-separated values: fields may be enclosed in double
// quotes, and a doubled quote inside them stands for one. Returns false (and no
// fields) when a quoted field is not closed on the line.
bool splitLine(const QString& line, QStringList& fields);

} // namespace Csv
