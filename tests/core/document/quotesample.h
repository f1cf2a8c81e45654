#pragma once

// Quotes for the document's tests, written out in data files: one "name: value" a
// line, '#' starting a comment. The names are the settings file's company keys
// (CITY), the quote tool's customer options (customer-city) and the QuoteData members;
// "route", "leg" (of the itinerary) and "charge" add a row of "|"-separated cells. A value in
// double quotes keeps its blanks; "\r\n" stands for a line break. A logo is a file beside the
// samples.

#include "core/document/customerfields.h"
#include "core/document/quotedata.h"

#include <QFile>
#include <QHash>

namespace QuoteSample {

// The bytes of a file of tests/core/document/data.
inline QByteArray file(const QString& name)
{
    QFile file(QStringLiteral(BRISKLANDER_SOURCE_DIR "/tests/core/document/data/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return file.readAll();
}

inline void set(QuoteData& data, const QString& name, QString value)
{
    using Q = QuoteData;
    const QStringList names = QString("totalNM totalSM distanceCharge chargePerMile milesCaption "
                                      "baseCharge taxType taxAmount totalBaseCharge totAddCharges "
                                      "totTaxAddCharges totalCharges totalTaxes finalQuote remarks "
                                      "quotedBy quoteNumber terms aircraft billableHours")
                                  .split(' ');
    QString Q::*const members[] = {
        &Q::totalNM,         &Q::totalSM,       &Q::distanceCharge,   &Q::chargePerMile,
        &Q::milesCaption,    &Q::baseCharge,    &Q::taxType,          &Q::taxAmount,
        &Q::totalBaseCharge, &Q::totAddCharges, &Q::totTaxAddCharges, &Q::totalCharges,
        &Q::totalTaxes,      &Q::finalQuote,    &Q::remarks,          &Q::quotedBy,
        &Q::quoteNumber,     &Q::terms,         &Q::aircraft,         &Q::billableHours};
    QHash<QString, QString*> texts;
    for (qsizetype i = 0; i < names.size(); ++i)
        texts.insert(names[i], &(data.*members[i]));
    for (const CompanyField& field : CompanyFields::All)
        texts.insert(field.key, &(data.company.*field.value));
    for (const CustomerField& field : PrintFields::Customer)
        texts.insert(field.key, &(data.customer.*field.data));
    if (value.size() > 1 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    value.replace("\\r\\n", "\r\n");
    const QStringList cells = value.split('|');
    const QDate date = QDate::fromString(value, Qt::ISODate);
    if (texts.contains(name))
        *texts.value(name) = value;
    else if (name == "route" && cells.size() == 4)
        data.route.append({cells[0], cells[1], cells[2], cells[3]});
    else if (name == "leg" && cells.size() == 8) // marks: P positioning, R beyond range
        data.itinerary.append({cells[0],
                               cells[1],
                               cells[2],
                               cells[3],
                               cells[4],
                               {},
                               {},
                               {},
                               {},
                               cells[5],
                               cells[6],
                               {},
                               cells[7].contains('P'),
                               cells[7].contains('R')});
    else if (name == "charge" && cells.size() == 6)
        data.charges.append({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5]});
    else if (name == "today" || name == "departureDate" || name == "returnDate" ||
             name == "validUntil")
        (name == "today"           ? data.today
         : name == "departureDate" ? data.departureDate.emplace()
         : name == "returnDate"    ? data.returnDate.emplace()
                                   : data.validUntil.emplace()) = date;
    else if (name == "logoPath")
        data.logoPath = QStringLiteral(BRISKLANDER_SOURCE_DIR "/tests/core/document/data/") + value;
    else if (name == "revision")
        data.revision = value.toInt();
    else if (name == "minBaseCharge")
        data.minBaseCharge = value.toDouble();
    else if (name == "taxPercent")
        data.taxPercent = value.toDouble();
    else if (name == "printCompany")
        data.printCompany = value == "yes";
    else
        qFatal("no quote field %s", qPrintable(name));
}

// The quote a sample file of tests/core/document/data holds ("full"); with `stops`, that
// many more airports and three more charge rows.
inline QuoteData read(const QString& name, int stops = 0)
{
    QuoteData data;
    for (const QString& line : QString::fromUtf8(file(name + ".quote")).split('\n'))
        if (!line.startsWith('#') && line.contains(": "))
            set(data, line.section(": ", 0, 0), line.section(": ", 1));
    for (int i = 0; i < stops; ++i)
        data.route.append(
            {QStringLiteral("K%1").arg(i, 3, 10, QChar('0')), "Field", "12.0", "13.8"});
    for (int i = 0; stops > 0 && i < 3; ++i)
        data.charges.append({"Handling " + QString::number(i), "75.00", "1", "75.00", "", ""});
    return data;
}

} // namespace QuoteSample
