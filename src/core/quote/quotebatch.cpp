#include "core/quote/quotebatch.h"

#include "core/csv.h"

#include <QRegularExpression>

#include <algorithm>

namespace QuoteBatch {

namespace {

// The stops of a trip written in one field: "KTEB KBOS", "KTEB-KBOS-KPHL".
QStringList stopsOf(const QString& text)
{
    return text.split(QRegularExpression(QStringLiteral("[\\s\\-]+")), Qt::SkipEmptyParts);
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
        trips << trip;
    }
    return refusals.isEmpty() ? trips : QList<Trip>();
}

} // namespace QuoteBatch
