#include "core/csv.h"

namespace Csv {

bool splitLine(const QString& line, QStringList& fields)
{
    fields.clear();
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty() && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
            wasQuoted = false;
        } else if (c != QLatin1Char('\r') || i + 1 != line.size()) {
            field += c;
        }
    }
    if (quoted) {
        fields.clear();
        return false;
    }
    fields << field;
    return true;
}

} // namespace Csv
