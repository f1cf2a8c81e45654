#include "core/document/printdates.h"

#include "core/format.h"

#include <QLocale>
#include <QStringList>

namespace PrintDates {

QString shortDatePattern()
{
    QString pattern = QLocale().dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(QLatin1String("yyyy")))
        pattern.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return pattern;
}

QString displayFormat(const QString& todayShort, const QString& monthAbbrev)
{
    const qsizetype at = monthAbbrev.isEmpty() ? -1 : todayShort.indexOf(monthAbbrev);
    if (at < 0)
        return QString();
    const qsizetype after = at + monthAbbrev.size();
    QChar separator = after < todayShort.size() ? todayShort.at(after) : QLatin1Char(' ');
    if (separator.isDigit())
        separator = QLatin1Char('/');
    // Where the name stood tells the order of the parts; the month is shown as a number.
    const qsizetype position = at + 1;
    const QStringList parts = position == 1                    ? QStringList{"MM", "dd", "yyyy"}
                              : position == 3 || position == 4 ? QStringList{"dd", "MM", "yyyy"}
                                                               : QStringList{"yyyy", "MM", "dd"};
    return parts.join(separator);
}

QString displayFormat(const QDate& today)
{
    return displayFormat(Format::shortDate(today),
                         QLocale().monthName(today.month(), QLocale::ShortFormat));
}

QString text(const QDate& date, const QString& format)
{
    return QLocale().toString(date, format.isEmpty() ? shortDatePattern() : format);
}

QDate read(const QString& text, const QString& format)
{
    // The shown form, with a day or month of one digit, or a year of two digits,
    // which is this century's (Qt reads it as 19yy).
    const QString shown = format.isEmpty() ? shortDatePattern() : format;
    const QString lenient = QString(shown)
                                .replace(QLatin1String("dd"), QLatin1String("d"))
                                .replace(QLatin1String("MM"), QLatin1String("M"));
    for (const QString& pattern : {shown, lenient}) {
        const QDate date = QLocale().toDate(text, pattern);
        if (date.isValid())
            return date;
        if (!pattern.contains(QLatin1String("yyyy")))
            continue;
        const QDate shortYear = QLocale().toDate(
            text, QString(pattern).replace(QLatin1String("yyyy"), QLatin1String("yy")));
        if (shortYear.isValid())
            return shortYear.addYears(100);
    }
    return QDate();
}

Limits departure(const QDate& reference)
{
    return {reference.addYears(-1), reference.addYears(10)};
}

Limits returnDate(const Limits& departure, const std::optional<QDate>& departureDate)
{
    return {departureDate ? *departureDate : departure.minimum, departure.maximum};
}

QString refusal(const QString& name, const QString& typed, bool isDate, const Limits& limits)
{
    const QString range =
        QStringLiteral("%1 must be between %2 and %3.")
            .arg(name.isEmpty() ? QStringLiteral("The date") : name,
                 Format::shortDate(limits.minimum), Format::shortDate(limits.maximum));
    return isDate ? range : QStringLiteral("\"%1\" is not a date.").arg(typed) + u'\r' + range;
}

QString stored(const std::optional<QDate>& date)
{
    return date ? date->toString(Qt::ISODate) : QString();
}

std::optional<QDate> fromStored(const QString& text)
{
    const QDate date = QDate::fromString(text, Qt::ISODate);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

} // namespace PrintDates
