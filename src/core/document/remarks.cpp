#include "core/document/remarks.h"

#include <algorithm>

namespace Remarks {

int limitWith(qsizetype lineBreak)
{
    return lineBreak < 0 ? Line : int(lineBreak) + LineBreakLength + Line;
}

int limitAfter(const QString& text, int limitBefore)
{
    const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'));
    if (lineBreak < 0)
        return Line;
    return limitBefore > Line ? limitBefore : limitWith(lineBreak);
}

int excess(const QString& text, int limit)
{
    const qsizetype breaks = text.count(QLatin1Char('\n'));
    return std::max(0, int(text.size() + breaks * (LineBreakLength - 1)) - limit);
}

QString shown(const QString& stored)
{
    return QString(stored).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

QString stored(const QString& shown)
{
    return QString(shown).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

} // namespace Remarks
