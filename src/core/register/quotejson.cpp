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

const RowField<QuoteData::ItineraryLeg> ItineraryFields[] = {
    {"from", &QuoteData::ItineraryLeg::from},
    {"to", &QuoteData::ItineraryLeg::to},
    {"departs", &QuoteData::ItineraryLeg::departs},
    {"arrives", &QuoteData::ItineraryLeg::arrives},
    {"dayShift", &QuoteData::ItineraryLeg::dayShift},
    {"departsIso", &QuoteData::ItineraryLeg::departsIso},
    {"arrivesIso", &QuoteData::ItineraryLeg::arrivesIso},
    {"departsZone", &QuoteData::ItineraryLeg::departsZone},
    {"arrivesZone", &QuoteData::ItineraryLeg::arrivesZone},
    {"flight", &QuoteData::ItineraryLeg::flight},
    {"block", &QuoteData::ItineraryLeg::block},
    {"billableHours", &QuoteData::ItineraryLeg::billableHours},
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
        QJsonObject row = array.at(i).toObject();
        if (rows.at(i).positioning)
            row.insert(QLatin1String("positioning"), true);
        if (const std::optional<LatLon>& position = rows.at(i).position) {
            row.insert(QLatin1String("latitude"), position->latitude);
            row.insert(QLatin1String("longitude"), position->longitude);
        }
        array.replace(i, row);
    }
    return array;
}

QList<QuoteData::RouteRow> readRoute(const QJsonValue& value)
{
    QList<QuoteData::RouteRow> rows = readRows(value, RouteFields);
    const QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QJsonObject row = array.at(i).toObject();
        rows[i].positioning = row.value(QLatin1String("positioning")).toBool();
        const QJsonValue latitude = row.value(QLatin1String("latitude"));
        const QJsonValue longitude = row.value(QLatin1String("longitude"));
        if (latitude.isDouble() && longitude.isDouble())
            rows[i].position = LatLon{latitude.toDouble(), longitude.toDouble()};
    }
    return rows;
}

// The trip's times, each leg's flags only when set; written only when the quote has
// them, so a quote without an aircraft or a departure keeps its old form.
void writeItinerary(QJsonObject& object, const QuoteData& data)
{
    if (data.itinerary.isEmpty() && data.aircraft.isEmpty())
        return;
    object.insert(QLatin1String("aircraft"), data.aircraft);
    object.insert(QLatin1String("billableHours"), data.billableHours);
    QJsonArray legs = writeRows(data.itinerary, ItineraryFields);
    for (qsizetype i = 0; i < legs.size(); ++i) {
        QJsonObject leg = legs.at(i).toObject();
        for (const auto& [key, on] : {std::pair{"positioning", data.itinerary.at(i).positioning},
                                      std::pair{"beyondRange", data.itinerary.at(i).beyondRange}}) {
            if (on)
                leg.insert(QLatin1String(key), true);
        }
        legs.replace(i, leg);
    }
    object.insert(QLatin1String("itinerary"), legs);
}

void readItinerary(const QJsonObject& object, QuoteData& data)
{
    data.aircraft = object.value(QLatin1String("aircraft")).toString();
    data.billableHours = object.value(QLatin1String("billableHours")).toString();
    const QJsonArray legs = object.value(QLatin1String("itinerary")).toArray();
    data.itinerary = readRows(legs, ItineraryFields);
    for (qsizetype i = 0; i < legs.size(); ++i) {
        const QJsonObject leg = legs.at(i).toObject();
        data.itinerary[i].positioning = leg.value(QLatin1String("positioning")).toBool();
        data.itinerary[i].beyondRange = leg.value(QLatin1String("beyondRange")).toBool();
    }
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

// A typed local time: "2026-06-12T09:30:00", no offset (the airport's clock reads it).
QString typedText(const Schedule::TypedTime& typed)
{
    return typed.date.toString(Qt::ISODate) + QLatin1Char('T') + typed.time.toString(Qt::ISODate);
}

std::optional<Schedule::TypedTime> typedTime(const QJsonValue& value)
{
    const QString text = value.toString();
    const Schedule::TypedTime typed{
        QDate::fromString(text.section(QLatin1Char('T'), 0, 0), Qt::ISODate),
        QTime::fromString(text.section(QLatin1Char('T'), 1), Qt::ISODate)};
    return typed.date.isValid() && typed.time.isValid() ? std::optional(typed) : std::nullopt;
}

// A profile's whole numbers, once for writing and reading.
const std::pair<const char*, int AircraftProfile::*> ProfileCounts[] = {
    {"cruiseKnots", &AircraftProfile::cruiseKnots},
    {"windKnots", &AircraftProfile::windKnots},
    {"terminalMinutes", &AircraftProfile::terminalMinutes},
    {"taxiMinutes", &AircraftProfile::taxiMinutes},
    {"groundMinutes", &AircraftProfile::groundMinutes},
};

QJsonObject fromProfile(const AircraftProfile& profile)
{
    QJsonObject object;
    object.insert(QLatin1String("name"), profile.name);
    for (const auto& [key, member] : ProfileCounts)
        object.insert(QLatin1String(key), profile.*member);
    object.insert(QLatin1String("addOnPercent"), profile.addOnPercent);
    object.insert(QLatin1String("hourlyRate"), profile.hourlyRate);
    putOptional(object, "rangeNm", profile.rangeNm);
    return object;
}

AircraftProfile toProfile(const QJsonObject& object)
{
    AircraftProfile profile;
    profile.name = text(object, "name");
    for (const auto& [key, member] : ProfileCounts)
        profile.*member = object.value(QLatin1String(key)).toInt(profile.*member);
    profile.addOnPercent = object.value(QLatin1String("addOnPercent")).toDouble();
    profile.hourlyRate = object.value(QLatin1String("hourlyRate")).toDouble();
    profile.rangeNm = optionalCount(object, "rangeNm");
    return profile;
}

// Written only when the quote has an aircraft or a departure.
void writePlan(QJsonObject& object, const TripPlan& plan)
{
    if (!plan.aircraft && !plan.departure && plan.laterDepartures.isEmpty())
        return;
    QJsonObject json;
    if (plan.aircraft)
        json.insert(QLatin1String("aircraft"), fromProfile(*plan.aircraft));
    if (plan.departure)
        json.insert(QLatin1String("departure"), typedText(*plan.departure));
    QJsonObject later;
    for (auto it = plan.laterDepartures.cbegin(); it != plan.laterDepartures.cend(); ++it)
        later.insert(QString::number(it.key()), typedText(it.value()));
    if (!later.isEmpty())
        json.insert(QLatin1String("laterDepartures"), later);
    object.insert(QLatin1String("plan"), json);
}

TripPlan readPlan(const QJsonObject& object)
{
    TripPlan plan;
    if (const QJsonValue aircraft = object.value(QLatin1String("aircraft")); aircraft.isObject())
        plan.aircraft = toProfile(aircraft.toObject());
    plan.departure = typedTime(object.value(QLatin1String("departure")));
    const QJsonObject later = object.value(QLatin1String("laterDepartures")).toObject();
    for (auto it = later.begin(); it != later.end(); ++it) {
        if (const auto typed = typedTime(it.value()); typed && it.key().toInt() > 1)
            plan.laterDepartures.insert(it.key().toInt(), *typed);
    }
    return plan;
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
    writePlan(object, request.plan);
    if (request.basis)
        object.insert(QLatin1String("basis"), SettingsText::quoteBase(*request.basis));
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
    request.plan = readPlan(object.value(QLatin1String("plan")).toObject());
    if (const QString basis = text(object, "basis"); !basis.isEmpty())
        request.basis = SettingsText::readQuoteBase(basis);
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
    writeItinerary(object, data);
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
    readItinerary(object, data);
    return data;
}

} // namespace QuoteJson
