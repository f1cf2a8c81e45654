#include "core/quote/quotebatch.h"

#include "core/csv.h"

#include <QRegularExpression>

#include <algorithm>

namespace QuoteBatch {

namespace {

// The stops of a trip written in one field: "KTEB KBOS", "KTEB-KBOS-KPHL".
QStringList stopsOf(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s\\-]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

// A field of the figures file, in double quotes, a quote in it doubled.
void appendQuoted(QString& line, const QString& text)
{
    line += u'"';
    for (const QChar c : text) {
        if (c == u'"')
            line += u'"';
        line += c;
    }
    line += u'"';
}

QByteArray endedLine(const QString& line)
{
    return line.toUtf8() + "\r\n";
}

} // namespace

QList<Trip> read(const QString& name, const QString& text, QStringList& refusals)
{
    QList<Csv::Record> records;
    int unclosed = 0;
    if (!Csv::readRecords(text, records, &unclosed)) {
        refusals << QStringLiteral("%1:%2: a quoted field is not closed.").arg(name).arg(unclosed);
        return {};
    }
    const auto blank = [](const Csv::Record& record) {
        return record.fields.join(QString()).trimmed().isEmpty();
    };
    records.erase(std::remove_if(records.begin(), records.end(), blank), records.end());
    if (records.isEmpty()) {
        refusals << QStringLiteral("%1: no header line with a column \"stops\".").arg(name);
        return {};
    }
    const Csv::Record first = records.takeFirst();
    QStringList header = first.fields;
    const int headerLine = first.line;
    for (int i = 0; i < header.size(); ++i) {
        header[i] = header[i].trimmed().toLower();
        if (!Columns.contains(header[i]) || header.indexOf(header[i]) < i)
            refusals << QStringLiteral("%1:%2: column %3: '%4' is no column or named twice (the "
                                       "columns are %5).")
                            .arg(name)
                            .arg(headerLine)
                            .arg(i + 1)
                            .arg(header[i], Columns.join(QStringLiteral(", ")));
    }
    if (!header.contains(QStringLiteral("stops")))
        refusals << QStringLiteral("%1:%2: no column \"stops\".").arg(name).arg(headerLine);
    if (!refusals.isEmpty())
        return {};

    QList<Trip> trips;
    trips.reserve(records.size());
    for (const Csv::Record& record : records) {
        if (record.fields.size() > header.size()) {
            refusals << QStringLiteral("%1:%2: %3 columns where the header has %4.")
                            .arg(name)
                            .arg(record.line)
                            .arg(record.fields.size())
                            .arg(header.size());
            continue;
        }
        Trip trip{record.line, {}};
        for (int i = 0; i < record.fields.size(); ++i) {
            const QString value = record.fields[i].trimmed();
            if (value.isEmpty())
                continue;
            try {
                if (header[i] == QLatin1String("stops"))
                    trip.request.stops = stopsOf(value);
                else if (header[i] == QLatin1String("rate"))
                    trip.request.rate = RequestFigures::rate(value);
                else if (header[i] == QLatin1String("tax"))
                    trip.request.tax = value;
                else
                    trip.request.passengers = RequestFigures::count(value);
            } catch (const QuoteRequestError& error) {
                refusals << QStringLiteral("%1:%2: column %3 (%4): %5")
                                .arg(name)
                                .arg(record.line)
                                .arg(i + 1)
                                .arg(header[i], error.message());
            }
        }
        trips << std::move(trip);
    }
    return refusals.isEmpty() ? trips : QList<Trip>();
}

Pricer::Pricer(Db::Workspace& workspace, const QString& databasePath, const AppSettings& settings,
               const QString& currencySymbol, const QDate& today, const QList<Trip>& trips)
    : m_reading(workspace, Db::Transaction::Kind::Read), m_sources(workspace, databasePath),
      m_settings(settings), m_currencySymbol(currencySymbol), m_today(today)
{
    QStringList stops;
    for (const Trip& trip : trips) {
        for (const QString& stop : trip.request.stops)
            stops << stop.trimmed().toUpper();
    }
    m_sources.readAirports(stops);
}

QuoteData Pricer::price(const QuoteRequest& request) const
{
    return priceRequest(m_sources, request, m_settings, m_currencySymbol, m_today);
}

QByteArray figuresHeader()
{
    QString line;
    appendQuoted(line, QStringLiteral("line"));
    line += u',';
    appendQuoted(line, QStringLiteral("stops"));
    for (const QuoteTabField& field : quoteTabFields(QuoteData())) {
        line += u',';
        appendQuoted(line, field.name);
    }
    return endedLine(line);
}

QByteArray figuresLine(const Trip& trip, const QuoteData& data)
{
    QString line = QString::number(trip.line);
    line += u',';
    appendQuoted(line, trip.request.stops.join(u' '));
    for (const QuoteTabField& field : quoteTabFields(data)) {
        line += u',';
        appendQuoted(line, field.text);
    }
    return endedLine(line);
}

} // namespace QuoteBatch
