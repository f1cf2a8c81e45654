#include "core/register/quotejson.h"

#include "core/document/customerfields.h"
#include "core/settings/companyfields.h"

#include <QJsonArray>

namespace QuoteJson {

namespace {

// The fields of the rows, once for writing and reading.
template <typename Row> struct RowField
{
    const char* key;
    QString Row::*text;
};

const RowField<QuoteData::RouteRow> RouteFields[] = {
    {"id", &QuoteData::RouteRow::id},
    {"name", &QuoteData::RouteRow::name},
    {"distanceNM", &QuoteData::RouteRow::distanceNM},
    {"distanceSM", &QuoteData::RouteRow::distanceSM},
};

const RowField<QuoteData::ChargeRow> ChargeFields[] = {
    {"charge", &QuoteData::ChargeRow::charge}, {"amount", &QuoteData::ChargeRow::amount},
    {"number", &QuoteData::ChargeRow::number}, {"total", &QuoteData::ChargeRow::total},
    {"tax", &QuoteData::ChargeRow::tax},       {"taxAmount", &QuoteData::ChargeRow::taxAmount},
};

const RowField<QuoteData> DataTexts[] = {
    {"currencySymbol", &QuoteData::currencySymbol},
    {"totalNM", &QuoteData::totalNM},
    {"totalSM", &QuoteData::totalSM},
    {"distanceCharge", &QuoteData::distanceCharge},
    {"chargePerMile", &QuoteData::chargePerMile},
    {"milesCaption", &QuoteData::milesCaption},
    {"baseCharge", &QuoteData::baseCharge},
    {"taxType", &QuoteData::taxType},
    {"taxAmount", &QuoteData::taxAmount},
    {"totalBaseCharge", &QuoteData::totalBaseCharge},
    {"totAddCharges", &QuoteData::totAddCharges},
    {"totTaxAddCharges", &QuoteData::totTaxAddCharges},
    {"totalCharges", &QuoteData::totalCharges},
    {"totalTaxes", &QuoteData::totalTaxes},
    {"finalQuote", &QuoteData::finalQuote},
    {"remarks", &QuoteData::remarks},
    {"quotedBy", &QuoteData::quotedBy},
    {"quoteNumber", &QuoteData::quoteNumber},
    {"logoPath", &QuoteData::logoPath},
    {"terms", &QuoteData::terms},
};

template <typename Row, size_t N>
QJsonObject writeRow(const Row& row, const RowField<Row> (&fields)[N])
{
    QJsonObject object;
    for (const auto& field : fields)
        object.insert(QLatin1String(field.key), row.*field.text);
    return object;
}

template <typename Row, size_t N>
void readRow(const QJsonObject& object, Row& row, const RowField<Row> (&fields)[N])
{
    for (const auto& field : fields) {
        const QJsonValue value = object.value(QLatin1String(field.key));
        if (value.isString())
            row.*field.text = value.toString();
    }
}

template <typename Row, size_t N>
QJsonArray writeRows(const QList<Row>& rows, const RowField<Row> (&fields)[N])
{
    QJsonArray array;
    for (const Row& row : rows)
        array.append(writeRow(row, fields));
    return array;
}

template <typename Row, size_t N>
QList<Row> readRows(const QJsonValue& value, const RowField<Row> (&fields)[N])
{
    QList<Row> rows;
    for (const QJsonValue& item : value.toArray()) {
        Row row;
        readRow(item.toObject(), row, fields);
        rows << row;
    }
    return rows;
}

// The route's rows; a leg flown empty says so, the others keep their old form.
QJsonArray writeRoute(const QList<QuoteData::RouteRow>& rows)
{
    QJsonArray array = writeRows(rows, RouteFields);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows.at(i).positioning) {
            QJsonObject row = array.at(i).toObject();
            row.insert(QLatin1String("positioning"), true);
            array.replace(i, row);
        }
    }
    return array;
}

QList<QuoteData::RouteRow> readRoute(const QJsonValue& value)
{
    QList<QuoteData::RouteRow> rows = readRows(value, RouteFields);
    const QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < rows.size(); ++i)
        rows[i].positioning = array.at(i).toObject().value(QLatin1String("positioning")).toBool();
    return rows;
}

template <typename T>
void putOptional(QJsonObject& object, const char* key, const std::optional<T>& value)
{
    if (value)
        object.insert(QLatin1String(key), *value);
}

void putDate(QJsonObject& object, const char* key, const std::optional<QDate>& date)
{
    if (date)
        object.insert(QLatin1String(key), date->toString(Qt::ISODate));
}

std::optional<double> optionalNumber(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isDouble() ? std::optional<double>(value.toDouble()) : std::nullopt;
}

std::optional<int> optionalCount(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isDouble() ? std::optional<int>(value.toInt()) : std::nullopt;
}

std::optional<QDate> optionalDate(const QJsonObject& object, const char* key)
{
    const QDate date = QDate::fromString(object.value(QLatin1String(key)).toString(), Qt::ISODate);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QString text(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toString();
}

} // namespace

QJsonObject fromCustomer(const QuoteData::Customer& customer)
{
    QJsonObject object;
    for (const CustomerField& field : PrintFields::Customer)
        object.insert(field.key, customer.*field.data);
    return object;
}

QuoteData::Customer toCustomer(const QJsonObject& object)
{
    QuoteData::Customer customer;
    for (const CustomerField& field : PrintFields::Customer)
        customer.*field.data = object.value(field.key).toString();
    return customer;
}

QJsonObject fromRequest(const QuoteRequest& request)
{
    QJsonObject object;
    object.insert(QLatin1String("stops"), QJsonArray::fromStringList(request.stops));
    putOptional(object, "rate", request.rate);
    object.insert(QLatin1String("tax"), request.tax);
    QJsonArray charges;
    for (const QuoteRequest::Charge& charge : request.charges) {
        QJsonObject row;
        row.insert(QLatin1String("description"), charge.description);
        putOptional(row, "amount", charge.amount);
        putOptional(row, "number", charge.number);
        row.insert(QLatin1String("tax"), charge.tax);
        charges.append(row);
    }
    object.insert(QLatin1String("charges"), charges);
    putOptional(object, "passengers", request.passengers);
    putOptional(object, "segments", request.segments);
    // Only when there are some, so a quote without positioning legs keeps its old form.
    if (!request.positioningLegs.isEmpty()) {
        QJsonArray legs;
        for (const int leg : request.positioningLegs)
            legs.append(leg);
        object.insert(QLatin1String("positioning"), legs);
    }
    object.insert(QLatin1String("customer"), fromCustomer(request.customer));
    putDate(object, "departureDate", request.departureDate);
    putDate(object, "returnDate", request.returnDate);
    object.insert(QLatin1String("remarks"), request.remarks);
    object.insert(QLatin1String("quotedBy"), request.quotedBy);
    object.insert(QLatin1String("printCompany"), request.printCompany);
    return object;
}

QuoteRequest toRequest(const QJsonObject& object)
{
    QuoteRequest request;
    for (const QJsonValue& stop : object.value(QLatin1String("stops")).toArray())
        request.stops << stop.toString();
    request.rate = optionalNumber(object, "rate");
    request.tax = text(object, "tax");
    for (const QJsonValue& item : object.value(QLatin1String("charges")).toArray()) {
        const QJsonObject row = item.toObject();
        request.charges << QuoteRequest::Charge{text(row, "description"),
                                                optionalNumber(row, "amount"),
                                                optionalNumber(row, "number"), text(row, "tax")};
    }
    request.passengers = optionalCount(object, "passengers");
    request.segments = optionalCount(object, "segments");
    for (const QJsonValue& leg : object.value(QLatin1String("positioning")).toArray())
        request.positioningLegs << leg.toInt();
    request.customer = toCustomer(object.value(QLatin1String("customer")).toObject());
    request.departureDate = optionalDate(object, "departureDate");
    request.returnDate = optionalDate(object, "returnDate");
    request.remarks = text(object, "remarks");
    request.quotedBy = text(object, "quotedBy");
    request.printCompany = object.value(QLatin1String("printCompany")).toBool(true);
    return request;
}

QJsonObject fromData(const QuoteData& data)
{
    QJsonObject object = writeRow(data, DataTexts);
    QJsonObject company;
    for (const CompanyField& field : CompanyFields::All)
        company.insert(field.key, data.company.*field.value);
    object.insert(QLatin1String("company"), company);
    object.insert(QLatin1String("minBaseCharge"), data.minBaseCharge);
    object.insert(QLatin1String("route"), writeRoute(data.route));
    putOptional(object, "taxPercent", data.taxPercent);
    object.insert(QLatin1String("charges"), writeRows(data.charges, ChargeFields));
    object.insert(QLatin1String("printCompany"), data.printCompany);
    object.insert(QLatin1String("customer"), fromCustomer(data.customer));
    putDate(object, "departureDate", data.departureDate);
    putDate(object, "returnDate", data.returnDate);
    putDate(object, "today", data.today.isValid() ? std::optional(data.today) : std::nullopt);
    object.insert(QLatin1String("revision"), data.revision);
    putDate(object, "validUntil", data.validUntil);
    // Written only for the ellipsoid, so a quote on the sphere keeps the form it always had.
    if (data.distanceModel == DistanceModel::Wgs84)
        object.insert(QLatin1String("distanceModel"), QLatin1String("WGS84"));
    return object;
}

QuoteData toData(const QJsonObject& object)
{
    QuoteData data;
    readRow(object, data, DataTexts);
    const QJsonObject company = object.value(QLatin1String("company")).toObject();
    for (const CompanyField& field : CompanyFields::All)
        data.company.*field.value = company.value(field.key).toString();
    data.minBaseCharge = object.value(QLatin1String("minBaseCharge")).toDouble();
    data.route = readRoute(object.value(QLatin1String("route")));
    data.taxPercent = optionalNumber(object, "taxPercent");
    data.charges = readRows(object.value(QLatin1String("charges")), ChargeFields);
    data.printCompany = object.value(QLatin1String("printCompany")).toBool(true);
    data.customer = toCustomer(object.value(QLatin1String("customer")).toObject());
    data.departureDate = optionalDate(object, "departureDate");
    data.returnDate = optionalDate(object, "returnDate");
    data.today = optionalDate(object, "today").value_or(QDate());
    data.revision = object.value(QLatin1String("revision")).toInt();
    data.validUntil = optionalDate(object, "validUntil");
    data.distanceModel =
        text(object, "distanceModel") == u"WGS84" ? DistanceModel::Wgs84 : DistanceModel::Sphere;
    return data;
}

} // namespace QuoteJson
