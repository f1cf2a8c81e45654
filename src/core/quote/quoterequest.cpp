#include "core/quote/quoterequest.h"

#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/format.h"
#include "core/quote/catalogues.h"
#include "core/quote/pricing.h"
#include "core/quote/quote.h"
#include "core/quote/routeinsertion.h"
#include "core/quote/segmenttaxline.h"
#include "core/settings/appsettings.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

// The masks show a figure exactly up to this many digits (its decimal value); a
// figure with more would be read back as another one.
constexpr int ShownDigits = 15;

QuoteRequestError refusal(const QString& message)
{
    return QuoteRequestError(message, QuoteRequestError::Kind::Refused);
}

// A number as a person types it: its digits with the decimal sign of `symbols`, never
// an exponent (Format::general writes 1e+308 and 1e-07 so), so that a limit on what a
// field holds is a limit on what could have been typed into it.
QString typedForm(double value, const Format::NumberSymbols& symbols)
{
    const QString general = Format::general(value, symbols);
    const qsizetype e = general.indexOf(QLatin1Char('e'));
    if (e < 0)
        return general;
    const int exponent = general.mid(e + 1).toInt();
    QString digits = general.left(e);
    const bool negative = digits.startsWith(symbols.negativeSign);
    if (negative)
        digits.remove(0, symbols.negativeSign.size());
    digits.remove(symbols.decimalPoint);
    // One digit stands before the point; the exponent form is used from 1e+15 on, where
    // every digit stands before it.
    const QString typed =
        exponent < 0 ? u'0' + symbols.decimalPoint + QString(-exponent - 1, u'0') + digits
                     : digits + QString(std::max<qsizetype>(0, exponent + 1 - digits.size()), u'0');
    return (negative ? symbols.negativeSign : QString()) + typed;
}

// A figure as its field shows it: a number of at most ShownDigits digits, never "inf".
void checkShown(const QString& text, const QString& what)
{
    if (text.isEmpty())
        return;
    const std::optional<double> value = Format::read(text);
    const auto digits =
        std::count_if(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
    if (!value || !std::isfinite(*value) || digits > ShownDigits)
        throw QuoteRequestError(
            QStringLiteral("%1 comes to more than the quote can show (%2 digits).")
                .arg(what)
                .arg(ShownDigits),
            QuoteRequestError::Kind::TooLarge);
}

// Types the text into a cell key by key, through the grid's key rules, so that the
// cell holds what the operator could have typed; a key the rules drop is refused.
void typeCell(ChargesModel& charges, int row, int column, const QString& text, const QString& what,
              const QString& description)
{
    QString cell;
    int caret = 0;
    for (const QChar key : text) {
        const KeyOutcome outcome =
            column == ChargesModel::ColumnAmount   ? ChargeKeys::amount(cell, caret, key)
            : column == ChargesModel::ColumnNumber ? ChargeKeys::number(cell, caret, key)
                                                   : ChargeKeys::charge(cell, caret, key);
        if (outcome.replaced) {
            cell = outcome.text;
            caret = outcome.caret;
        } else if (outcome.accepted) {
            cell.insert(caret++, key);
        } else {
            throw refusal(
                QStringLiteral("%1 '%2' of the charge '%3' does not fit the charges grid.")
                    .arg(what, text, description));
        }
    }
    charges.editCell(row, column, cell);
    if (column != ChargesModel::ColumnCharge)
        charges.commitCell(row, column);
}

using CatalogueRow = QuoteSources::CatalogueRow;

// The rows of a catalogue, in the order the database returns them.
QList<CatalogueRow> catalogue(const std::unique_ptr<Db::Recordset>& set, const QString& nameColumn,
                              const QString& valueColumn)
{
    QList<CatalogueRow> rows;
    for (int i = 0; i < set->recordCount(); ++i) {
        const QVariantList values = set->row(i);
        const QVariant value = values.at(set->fieldIndex(valueColumn));
        rows << CatalogueRow{values.at(set->fieldIndex(nameColumn)).toString(),
                             value.isNull() ? std::nullopt
                                            : std::optional<double>(value.toDouble())};
    }
    return rows;
}

// The first row of that name, letter case ignored.
const CatalogueRow* named(const QList<CatalogueRow>& rows, const QString& name)
{
    for (const CatalogueRow& row : rows) {
        if (row.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return &row;
    }
    return nullptr;
}

const CatalogueRow& taxNamed(const QList<CatalogueRow>& taxes, const QString& type)
{
    const CatalogueRow* tax = named(taxes, type);
    if (!tax)
        throw QuoteRequestError(QStringLiteral("Unknown tax type '%1'.").arg(type));
    return *tax;
}

void buildRoute(const QuoteSources& sources, const QStringList& stops, qint32 minRunwayLength,
                RouteModel& route, QStringList* notes)
{
    const RouteModel::TotalsHold pricedOnce(route);
    for (const QString& id : stops) {
        const std::optional<AirportRecord> airport = sources.airport(id.trimmed().toUpper());
        if (!airport)
            throw QuoteRequestError(
                QStringLiteral("Airport Identifier '%1' not found.").arg(id.trimmed().toUpper()));
        const RouteStop stop{airport->ID,        airport->NAME,           airport->Latitude,
                             airport->Longitude, airport->TIME_ZONE_NAME, airport->TIME_ZONE};
        // Each stop follows the one inserted before it, which the window leaves selected.
        const int last = route.count() - 1;
        const std::optional<qint64> runway = airport->RUNWAY_LENGTH > 0
                                                 ? std::optional<qint64>(airport->RUNWAY_LENGTH)
                                                 : std::nullopt;
        const RouteInsertion::Decision decision = RouteInsertion::decide(
            {&route, last, last}, stop, runway, minRunwayLength, [] { return false; });
        if (!decision.refusal.isEmpty())
            throw QuoteRequestError(stop.ID + QStringLiteral(": ") + decision.refusal);
        if (!decision.runwayQuestion.isEmpty() && notes)
            *notes << QStringLiteral("%1: runway of %2 ft is shorter than the minimum of %3 ft")
                          .arg(stop.ID)
                          .arg(airport->RUNWAY_LENGTH)
                          .arg(minRunwayLength);
        route.insertStop(decision.position, stop);
    }
}

// One charge row entered as the operator enters it: a catalogue charge picked (its
// stored description, its amount, number 1), then what was given typed over it.
void addCharge(ChargesModel& charges, const QuoteRequest::Charge& charge,
               const QList<CatalogueRow>& catalogueRows, const QList<CatalogueRow>& taxes)
{
    int row = -1;
    for (int i = 0; i < charges.count() && row < 0; ++i) {
        if (charges.line(i) == ChargeLine())
            row = i;
    }
    if (row < 0) {
        charges.ensureRows(charges.count() + 1);
        row = charges.count() - 1;
    }
    const CatalogueRow* listed =
        charge.description.isEmpty() ? nullptr : named(catalogueRows, charge.description);
    const QString description = charge.description.trimmed();
    // Only a catalogue charge brings its amount: any other charge without one is a
    // misspelt catalogue name far more often than a charge of 0.00.
    if (!listed && !charge.amount) {
        QStringList names;
        for (const CatalogueRow& catalogued : catalogueRows)
            names << catalogued.name;
        throw refusal(QStringLiteral("'%1' is no charge of the catalogue (%2); a charge of "
                                     "your own needs an amount.")
                          .arg(description, names.isEmpty() ? QStringLiteral("it is empty")
                                                            : names.join(QStringLiteral(", "))));
    }
    // As in the grid: a catalogue charge without an amount is picked at 0.00.
    if (listed) {
        charges.pickCharge(row, listed->name, listed->value.value_or(0));
    } else if (!description.isEmpty()) {
        typeCell(charges, row, ChargesModel::ColumnCharge, description, QStringLiteral("Text"),
                 description);
    }
    // The figures as the operator types them: the user's decimal sign, no grouping.
    if (charge.amount)
        typeCell(charges, row, ChargesModel::ColumnAmount,
                 typedForm(*charge.amount, Format::NumberSymbols::current()),
                 QStringLiteral("Amount"), description);
    if (charge.number)
        typeCell(charges, row, ChargesModel::ColumnNumber,
                 typedForm(*charge.number, Format::NumberSymbols::current()),
                 QStringLiteral("Number"), description);
    if (!charge.tax.isEmpty()) {
        const CatalogueRow& tax = taxNamed(taxes, charge.tax);
        charges.pickTax(row, tax.name, tax.value.value_or(0));
    }
    charges.writeRow(row);
}

} // namespace

QuoteSources::QuoteSources(Db::Workspace& workspace, const QString& databasePath)
    : m_workspace(workspace), m_databasePath(databasePath)
{
    auto database = workspace.openDatabase(databasePath);
    m_charges = catalogue(ListCharges(*database, Db::RecordsetType::Snapshot),
                          QStringLiteral("ChargeDescription"), QStringLiteral("ChargeAmount"));
    m_taxes = catalogue(ListTaxes(*database, Db::RecordsetType::Snapshot),
                        QStringLiteral("TAX TYPE"), QStringLiteral("TAX %"));
}

std::optional<AirportRecord> QuoteSources::airport(const QString& id) const
{
    const auto kept = m_airports.constFind(id);
    if (kept != m_airports.constEnd())
        return *kept;
    return ReadAirport(m_workspace, m_databasePath, id);
}

void QuoteSources::readAirports(const QStringList& ids)
{
    // The identifiers as the column's collation compares them: ASCII letters alike in
    // either case, every other character itself.
    const auto folded = [](const QString& id) {
        QString key = id;
        for (QChar& c : key) {
            if (c >= u'a' && c <= u'z')
                c = QChar(c.unicode() - 'a' + 'A');
        }
        return key;
    };
    QStringList asked;
    QSet<QString> seen;
    for (const QString& id : ids) {
        if (!m_airports.contains(id) && !seen.contains(id)) {
            seen.insert(id);
            asked << id;
        }
    }
    // One statement text for every group, the last one filled up with nulls, which
    // match no row.
    m_airports.reserve(m_airports.size() + asked.size());
    constexpr int Group = 64;
    QStringList parameters;
    for (int i = 0; i < Group; ++i)
        parameters << QStringLiteral(":ID%1").arg(i);
    const QString sql = QStringLiteral("SELECT * FROM Airports WHERE ID IN (%1)")
                            .arg(parameters.join(QStringLiteral(", ")));
    auto database = m_workspace.openDatabase(m_databasePath);
    for (qsizetype first = 0; first < asked.size(); first += Group) {
        Db::QueryDef query = database->temporaryQueryDef(sql);
        for (int i = 0; i < Group; ++i)
            query.setParameter(parameters[i].mid(1),
                               first + i < asked.size() ? QVariant(asked[first + i]) : QVariant());
        const auto set = query.openSnapshot();
        QHash<QString, AirportRecord> found;
        for (int row = 0; row < set->recordCount(); ++row) {
            set->setAbsolutePosition(row);
            const AirportRecord record = readAirportRecord(*set);
            found.insert(folded(record.ID), record);
        }
        for (qsizetype i = first; i < std::min(first + Group, asked.size()); ++i) {
            const auto record = found.constFind(folded(asked[i]));
            m_airports.insert(asked[i], record == found.constEnd()
                                            ? std::nullopt
                                            : std::optional<AirportRecord>(*record));
        }
    }
}

QuoteData priceRequest(Db::Workspace& workspace, const QString& databasePath,
                       const QuoteRequest& request, const AppSettings& settings,
                       const QString& currencySymbol, const QDate& today, QStringList* notes)
{
    if (request.stops.size() < 2)
        throw QuoteRequestError(QStringLiteral("A quote needs at least two airports."));
    return priceRequest(QuoteSources(workspace, databasePath), request, settings, currencySymbol,
                        today, notes);
}

QuoteData priceRequest(const QuoteSources& sources, const QuoteRequest& request,
                       const AppSettings& settings, const QString& currencySymbol,
                       const QDate& today, QStringList* notes)
{
    if (request.stops.size() < 2)
        throw QuoteRequestError(QStringLiteral("A quote needs at least two airports."));
    const QList<CatalogueRow>& catalogueRows = sources.charges();
    const QList<CatalogueRow>& taxes = sources.taxes();

    PricingSettings pricing = PricingSettings::from(settings);
    if (request.basis)
        pricing.base = *request.basis;
    if (pricing.hourly() && !request.plan.aircraft)
        throw QuoteRequestError(QStringLiteral("Pricing by the hour (HR) needs an aircraft."),
                                QuoteRequestError::Kind::Plan);
    Quote quote(pricing);
    quote.setPlan(request.plan);
    quote.charges()->setTaxLookup([&taxes](const QString& type) -> std::optional<double> {
        const CatalogueRow* tax = named(taxes, type);
        return tax ? std::optional<double>(tax->value.value_or(0)) : std::nullopt;
    });
    quote.charges()->reset(1);
    quote.sheet()->resetChargePerMile();
    buildRoute(sources, request.stops, settings.MINRUNWAYLENGTH, *quote.route(), notes);
    for (const int leg : request.positioningLegs) {
        if (leg < 1 || leg >= quote.route()->count())
            throw QuoteRequestError(QStringLiteral("The route has no leg %1.").arg(leg));
        quote.route()->setPositioning(leg, true);
    }

    if (request.rate)
        quote.sheet()->setText(QuoteSheet::ChargePerMile,
                               Format::number(*request.rate, Format::Rate));
    if (!request.tax.isEmpty()) {
        const CatalogueRow& tax = taxNamed(taxes, request.tax);
        quote.sheet()->setBaseTax(tax.name, tax.value);
    }
    for (const QuoteRequest::Charge& charge : request.charges)
        addCharge(*quote.charges(), charge, catalogueRows, taxes);
    if (request.passengers) {
        const int segments = request.segments.value_or(quote.route()->passengerLegs());
        const SegmentTaxLine line{*request.passengers, segments, settings.SEGMENTTAX};
        if (*request.passengers <= 0 || segments <= 0 || *request.passengers > 99 || segments > 99)
            throw QuoteRequestError(
                QStringLiteral("The segment tax takes 1 to 99 passengers and 1 to 99 segments."));
        quote.charges()->saveSegmentTax(-1, line.chargeText(), line.totalText());
    }

    if (!quote.times().refusal.isEmpty())
        throw QuoteRequestError(quote.times().refusal, QuoteRequestError::Kind::Plan);
    if (notes)
        *notes << quote.times().notes;
    QuoteData data = quote.documentData(settings, currencySymbol, today);
    for (const QuoteTabField& field : quoteTabFields(data)) {
        if (field.kind == QuoteTabField::Kind::Figure || field.kind == QuoteTabField::Kind::Money)
            checkShown(field.text, field.caption);
    }
    for (const QuoteData::ChargeRow& row : data.charges) {
        checkShown(row.total, QStringLiteral("The total of the charge '%1'").arg(row.charge));
        checkShown(row.taxAmount,
                   QStringLiteral("The tax amount of the charge '%1'").arg(row.charge));
    }
    data.customer = request.customer;
    data.departureDate = request.departureDate;
    data.returnDate = request.returnDate;
    data.remarks = request.remarks;
    data.quotedBy = request.quotedBy;
    data.printCompany = request.printCompany;
    return data;
}

namespace RequestFigures {

double plain(const QString& text)
{
    const std::optional<double> value = Format::readPlain(text);
    if (!value || !std::isfinite(*value))
        throw refusal(
            QStringLiteral("'%1' is not a number in plain form (such as 8.5).").arg(text));
    return *value;
}

double rate(const QString& text)
{
    const double value = plain(text);
    if (value < 0)
        throw refusal(QStringLiteral("'%1' is negative; a charge per mile never is.").arg(text));
    // What the operator would type: its digits and at most one decimal point.
    if (typedForm(value, Format::NumberSymbols::plain()).size() > ChargePerMileLength)
        throw refusal(QStringLiteral("'%1' does not fit \"Charge p/m\" (%2 characters).")
                          .arg(text)
                          .arg(ChargePerMileLength));
    return value;
}

int count(const QString& text)
{
    bool read = false;
    const int value = text.trimmed().toInt(&read);
    if (!read || value < 1 || value > 99)
        throw refusal(QStringLiteral("'%1' is not a whole number from 1 to 99.").arg(text));
    return value;
}

} // namespace RequestFigures

QList<QuoteTabField> quoteTabFields(const QuoteData& data)
{
    using Kind = QuoteTabField::Kind;
    const bool minimum = Pricing::usesMinimum(
        Format::value(data.distanceCharge), Format::value(data.chargePerMile), data.minBaseCharge);
    const QString baseCaption =
        minimum ? QStringLiteral("Minimum Charge") : QStringLiteral("Base Charge");
    return {
        {QStringLiteral("TxtTotalNM"),
         QStringLiteral("Total Nautical Miles"),
         data.totalNM,
         Kind::Figure,
         {}},
        {QStringLiteral("TxtTotalSM"),
         QStringLiteral("Total Statute Miles"),
         data.totalSM,
         Kind::Figure,
         {}},
        {QStringLiteral("TxtDistanceCharge"), QStringLiteral("Route Distance"), data.distanceCharge,
         Kind::Figure, data.milesCaption},
        {QStringLiteral("LabelMiles"), {}, data.milesCaption, Kind::Caption, {}},
        {QStringLiteral("TxtChargePerMile"),
         QStringLiteral("Charge p/m"),
         data.chargePerMile,
         Kind::Money,
         {}},
        {QStringLiteral("lblBaseCharge"), {}, baseCaption + u':', Kind::Caption, {}},
        {QStringLiteral("TxtBaseCharge"), baseCaption, data.baseCharge, Kind::Money, {}},
        {QStringLiteral("SSDBCBTaxBaseCharge"),
         QStringLiteral("Tax"),
         data.taxType,
         Kind::Text,
         {}},
        {QStringLiteral("TxtTaxAmount"),
         QStringLiteral("Tax Amount"),
         data.taxAmount,
         Kind::Money,
         {}},
        {QStringLiteral("TxtTotalBaseCharge"),
         QStringLiteral("Total Base Charge"),
         data.totalBaseCharge,
         Kind::Money,
         {}},
        {QStringLiteral("TxtTotAddCharges"),
         QStringLiteral("Charges"),
         data.totAddCharges,
         Kind::Money,
         {}},
        {QStringLiteral("TxtTotTaxAddCharges"),
         QStringLiteral("Taxes"),
         data.totTaxAddCharges,
         Kind::Money,
         {}},
        {QStringLiteral("TxtTotalCharges"),
         QStringLiteral("Total Charges"),
         data.totalCharges,
         Kind::Money,
         {}},
        {QStringLiteral("TxtTotalTaxes"),
         QStringLiteral("Total Taxes"),
         data.totalTaxes,
         Kind::Money,
         {}},
        {QStringLiteral("TxtFinalQuote"),
         QStringLiteral("Final Quote"),
         data.finalQuote,
         Kind::Money,
         {}},
    };
}
