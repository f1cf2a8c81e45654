#include "core/register/quotecsv.h"

#include "core/format.h"

namespace QuoteCsv {

QString textCell(const QString& text)
{
    QString cell = text;
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!cell.isEmpty() && formulaStarts.contains(cell.front()))
        cell.prepend(QLatin1Char('\''));
    if (cell.contains(QLatin1Char(',')) || cell.contains(QLatin1Char('"')) ||
        cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'))) {
        cell.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        cell = QLatin1Char('"') + cell + QLatin1Char('"');
    }
    return cell;
}

QString numberCell(double value)
{
    return Format::general(value, Format::NumberSymbols::plain());
}

QString listText(const QList<QuoteListEntry>& entries)
{
    const QString lineEnd = QStringLiteral("\r\n");
    QString text = QStringLiteral("Number,Revision,Status,Created,Customer,Route,Final Quote,"
                                  "Valid Until") +
                   lineEnd;
    for (const QuoteListEntry& entry : entries) {
        const QStringList cells{
            textCell(entry.number),
            QString::number(entry.revision),
            textCell(QuoteRules::statusName(entry.shown)),
            textCell(entry.created.toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
            textCell(entry.customerName),
            textCell(entry.route),
            numberCell(entry.finalQuoteValue),
            textCell(entry.validUntil.toString(Qt::ISODate)),
        };
        text += cells.join(QLatin1Char(',')) + lineEnd;
    }
    return text;
}

} // namespace QuoteCsv
