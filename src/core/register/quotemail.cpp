#include "core/register/quotemail.h"

#include "core/document/printdates.h"
#include "core/register/keptquote.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>

namespace QuoteMail {

namespace {

QString routeText(const QuoteData& quote)
{
    QStringList stops;
    for (const QuoteData::RouteRow& row : quote.route) {
        if (!row.id.trimmed().isEmpty())
            stops << row.id.trimmed();
    }
    return stops.join(QLatin1Char('-'));
}

} // namespace

Parts parts(const QuoteData& quote)
{
    const QString total = quote.finalQuote.trimmed();
    return Parts{
        QuoteData::numberText(quote.quoteNumber, quote.revision),
        quote.customer.Name.trimmed(),
        routeText(quote),
        total.isEmpty() ? QString() : quote.currencySymbol + total,
        quote.validUntil
            ? PrintDates::text(*quote.validUntil, PrintDates::displayFormat(*quote.validUntil))
            : QString(),
    };
}

QString fill(const QString& text, const Parts& parts)
{
    static const QRegularExpression known(
        QStringLiteral("\\{(number|customer|route|total|valid_until)\\}"));
    const QHash<QString, QString> values = {{QStringLiteral("number"), parts.number},
                                            {QStringLiteral("customer"), parts.customer},
                                            {QStringLiteral("route"), parts.route},
                                            {QStringLiteral("total"), parts.total},
                                            {QStringLiteral("valid_until"), parts.validUntil}};
    QString filled;
    qsizetype at = 0;
    for (const QRegularExpressionMatch& match : known.globalMatch(text)) {
        filled += text.mid(at, match.capturedStart() - at);
        filled += values.value(match.captured(1));
        at = match.capturedEnd();
    }
    return filled + text.mid(at);
}

QString fileName(const QString& number, int revision, const QString& subject)
{
    QStringList words = {number.trimmed()};
    if (revision > 1)
        words << QStringLiteral("rev %1").arg(revision);
    words << subject.trimmed();
    words.removeAll(QString());
    QString name = words.join(QLatin1Char(' '));
    static const QRegularExpression refused(QStringLiteral("[\\x00-\\x1f\\x7f/\\\\:*?\"<>|]"));
    name.replace(refused, QStringLiteral("_"));
    // Dots lead to hidden files and ".."; the end is trimmed as Windows would.
    while (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char(' ')))
        name.remove(0, 1);
    name.truncate(120);
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return (name.isEmpty() ? QStringLiteral("Quote") : name) + QStringLiteral(".pdf");
}

QString folder(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("quotes"));
}

QString pdfPath(const QString& programFolder, const QuoteData& quote)
{
    const QString customer = quote.customer.Name.trimmed();
    return QDir(folder(programFolder))
        .filePath(fileName(quote.quoteNumber, quote.revision,
                           customer.isEmpty() ? routeText(quote) : customer));
}

QStringList mailArguments(const QString& subject, const QString& body, const QString& attachment,
                          const QString& address)
{
    QStringList arguments = {QStringLiteral("--subject"), subject,   QStringLiteral("--body"), body,
                             QStringLiteral("--attach"),  attachment};
    const QString to = address.trimmed();
    // An address that looks like an option is handed over as a mailto address.
    if (!to.isEmpty())
        arguments << (to.startsWith(QLatin1Char('-')) ? QStringLiteral("mailto:") + to : to);
    return arguments;
}

} // namespace QuoteMail
