#include "quote/quoterequest.h"

#include "airports/airporttable.h"
#include "core/appsettings.h"
#include "core/engine.h"
#include "core/format.h"
#include "core/pricing.h"
#include "quote/quote.h"
#include "quote/routeinsertion.h"
#include "quote/segmenttaxline.h"

#include <cmath>

namespace {

// A figure of the request: plain form first, then the user's number format.
double figure(const QString& text, const QString& what)
{
    std::optional<double> value = Format::readPlain(text);
    if (!value)
        value = Format::read(text);
    if (!value || !std::isfinite(*value))
        throw QuoteRequestError(QStringLiteral("%1 '%2' is not a number.").arg(what, text));
    return *value;
}

// The figure as the operator types it into a cell: the user's decimal sign, no grouping.
QString typed(const QString& text, const QString& what)
{
    return Format::general(figure(text, what));
}

// Types the text into a cell key by key, through the grid's key rules, so that the
// cell holds what the operator could have typed; a key the rules drop is refused.
void typeCell(ChargesModel& charges, int row, int column, const QString& text, const QString& what)
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
            throw QuoteRequestError(
                QStringLiteral("%1 '%2' does not fit the charges grid.").arg(what, text));
        }
    }
    charges.editCell(row, column, cell);
    if (column != ChargesModel::ColumnCharge)
        charges.commitCell(row, column);
}

struct CatalogueRow
{
    QString name;
    std::optional<double> value;
};

// The rows of a catalogue, in the order the database returns them.
QList<CatalogueRow> catalogue(Db::Database& database, const QString& source,
                              const QString& nameColumn, const QString& valueColumn)
{
    QList<CatalogueRow> rows;
    auto set = database.openRecordset(source, Db::RecordsetType::Snapshot);
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

void buildRoute(Db::Workspace& workspace, const QString& databasePath, const QStringList& stops,
                RouteModel& route, QStringList* notes)
{
    for (const QString& id : stops) {
        const std::optional<AirportRecord> airport =
            ReadAirport(workspace, databasePath, id.trimmed().toUpper());
        if (!airport)
            throw QuoteRequestError(
                QStringLiteral("Airport Identifier '%1' not found.").arg(id.trimmed().toUpper()));
        const RouteStop stop{airport->ID, airport->NAME, airport->Latitude, airport->Longitude};
        // Each stop follows the one inserted before it, which the window leaves selected.
        const int last = route.count() - 1;
        const std::optional<qint64> runway = airport->RUNWAY_LENGTH > 0
                                                 ? std::optional<qint64>(airport->RUNWAY_LENGTH)
                                                 : std::nullopt;
        const RouteInsertion::Decision decision =
            RouteInsertion::decide({&route, last, last}, stop, runway,
                                   appSettings().MINRUNWAYLENGTH, [] { return false; });
        if (!decision.refusal.isEmpty())
            throw QuoteRequestError(stop.ID + QStringLiteral(": ") + decision.refusal);
        if (!decision.runwayQuestion.isEmpty() && notes)
            *notes << QStringLiteral("%1: runway of %2 ft is shorter than the minimum of %3 ft")
                          .arg(stop.ID)
                          .arg(airport->RUNWAY_LENGTH)
                          .arg(appSettings().MINRUNWAYLENGTH);
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
    if (listed && listed->value) {
        charges.pickCharge(row, listed->name, *listed->value);
    } else if (!charge.description.isEmpty()) {
        typeCell(charges, row, ChargesModel::ColumnCharge, charge.description.trimmed(),
                 QStringLiteral("Charge"));
    }
    if (!charge.amount.isEmpty())
        typeCell(charges, row, ChargesModel::ColumnAmount,
                 typed(charge.amount, QStringLiteral("Amount")), QStringLiteral("Amount"));
    if (!charge.number.isEmpty())
        typeCell(charges, row, ChargesModel::ColumnNumber,
                 typed(charge.number, QStringLiteral("Number")), QStringLiteral("Number"));
    if (!charge.tax.isEmpty()) {
        const CatalogueRow& tax = taxNamed(taxes, charge.tax);
        charges.pickTax(row, tax.name, tax.value.value_or(0));
    }
    charges.writeRow(row);
}

} // namespace

QuoteData priceRequest(Db::Workspace& workspace, const QString& databasePath,
                       const QuoteRequest& request, const QString& currencySymbol,
                       const QDate& today, QStringList* notes)
{
    if (request.stops.size() < 2)
        throw QuoteRequestError(QStringLiteral("A quote needs at least two airports."));
    auto database = workspace.openDatabase(databasePath);
    const QList<CatalogueRow> catalogueRows =
        catalogue(*database, QStringLiteral("AdditionalCharges"),
                  QStringLiteral("ChargeDescription"), QStringLiteral("ChargeAmount"));
    const QList<CatalogueRow> taxes =
        catalogue(*database, QStringLiteral("Select * from Taxes Where [Tax Type] <> \"\""),
                  QStringLiteral("TAX TYPE"), QStringLiteral("TAX %"));

    Quote quote;
    quote.charges()->setTaxLookup([&taxes](const QString& type) -> std::optional<double> {
        const CatalogueRow* tax = named(taxes, type);
        return tax ? std::optional<double>(tax->value.value_or(0)) : std::nullopt;
    });
    quote.charges()->reset(1);
    quote.sheet()->resetChargePerMile();
    buildRoute(workspace, databasePath, request.stops, *quote.route(), notes);

    if (!request.rate.isEmpty()) {
        const double rate = figure(request.rate, QStringLiteral("Charge per mile"));
        if (rate < 0)
            throw QuoteRequestError(
                QStringLiteral("Charge per mile '%1' is negative.").arg(request.rate));
        quote.sheet()->setText(QuoteSheet::ChargePerMile, Format::number(rate, Format::Rate));
    }
    if (!request.tax.isEmpty()) {
        const CatalogueRow& tax = taxNamed(taxes, request.tax);
        quote.sheet()->setBaseTax(tax.name, tax.value);
    }
    for (const QuoteRequest::Charge& charge : request.charges)
        addCharge(*quote.charges(), charge, catalogueRows, taxes);
    if (request.passengers) {
        const int segments = request.segments.value_or(quote.route()->count() - 1);
        const SegmentTaxLine line{*request.passengers, segments, appSettings().SEGMENTTAX};
        if (*request.passengers <= 0 || segments <= 0 || *request.passengers > 99 || segments > 99)
            throw QuoteRequestError(
                QStringLiteral("The segment tax takes 1 to 99 passengers and 1 to 99 segments."));
        quote.charges()->saveSegmentTax(-1, line.chargeText(), line.totalText());
    }

    QuoteData data = quote.documentData(appSettings(), currencySymbol, today);
    data.customer = request.customer;
    data.departureDate = request.departureDate;
    data.returnDate = request.returnDate;
    data.remarks = request.remarks;
    data.quotedBy = request.quotedBy;
    data.printCompany = request.printCompany;
    return data;
}

QList<std::pair<QString, QString>> quoteTabFields(const QuoteData& data)
{
    const bool minimum = Pricing::usesMinimum(
        Format::value(data.distanceCharge), Format::value(data.chargePerMile), data.minBaseCharge);
    return {{QStringLiteral("TxtTotalNM"), data.totalNM},
            {QStringLiteral("TxtTotalSM"), data.totalSM},
            {QStringLiteral("TxtDistanceCharge"), data.distanceCharge},
            {QStringLiteral("LabelMiles"), data.milesCaption},
            {QStringLiteral("TxtChargePerMile"), data.chargePerMile},
            {QStringLiteral("lblBaseCharge"),
             minimum ? QStringLiteral("Minimum Charge:") : QStringLiteral("Base Charge:")},
            {QStringLiteral("TxtBaseCharge"), data.baseCharge},
            {QStringLiteral("SSDBCBTaxBaseCharge"), data.taxType},
            {QStringLiteral("TxtTaxAmount"), data.taxAmount},
            {QStringLiteral("TxtTotalBaseCharge"), data.totalBaseCharge},
            {QStringLiteral("TxtTotAddCharges"), data.totAddCharges},
            {QStringLiteral("TxtTotTaxAddCharges"), data.totTaxAddCharges},
            {QStringLiteral("TxtTotalCharges"), data.totalCharges},
            {QStringLiteral("TxtTotalTaxes"), data.totalTaxes},
            {QStringLiteral("TxtFinalQuote"), data.finalQuote}};
}
