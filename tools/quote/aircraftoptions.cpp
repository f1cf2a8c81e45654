#include "aircraftoptions.h"

#include "core/format.h"
#include "core/settings/appsettings.h"

#include <QJsonArray>

#include <cmath>

namespace AircraftOptions {

namespace {

const QString Custom = QStringLiteral("(custom)");

// The whole-number options, each with the profile's value it sets.
struct CountOption
{
    const char* name;
    const char* valueName;
    const char* description;
    int AircraftProfile::*value;
};

const CountOption Counts[] = {
    {"cruise", "KT", "Cruise speed in knots.", &AircraftProfile::cruiseKnots},
    {"wind", "KT", "Average wind component in knots; negative: headwind.",
     &AircraftProfile::windKnots},
    {"terminal", "MIN", "Terminal allowance a leg, in minutes.", &AircraftProfile::terminalMinutes},
    {"taxi", "MIN", "Taxi time a leg, in minutes.", &AircraftProfile::taxiMinutes},
    {"ground", "MIN", "Ground time between legs, in minutes.", &AircraftProfile::groundMinutes},
};

QString optionName(const char* name)
{
    return QString::fromLatin1(name);
}

double plainOption(const QCommandLineParser& parser, const QString& name)
{
    try {
        return RequestFigures::plain(parser.value(name));
    } catch (const QuoteRequestError& error) {
        throw Refusal{QStringLiteral("--%1: %2").arg(name, error.message())};
    }
}

// A whole number in plain form, as the catalogue's grid takes the value.
int wholeOption(const QCommandLineParser& parser, const QString& name)
{
    const double value = plainOption(parser, name);
    if (value != std::floor(value) || std::fabs(value) > 1e6)
        throw Refusal{
            QStringLiteral("--%1: '%2' is not a whole number.").arg(name, parser.value(name))};
    return int(value);
}

std::optional<Schedule::TypedTime> departOption(const QCommandLineParser& parser)
{
    if (!parser.isSet(QStringLiteral("depart")))
        return std::nullopt;
    const QString text = parser.value(QStringLiteral("depart")).trimmed();
    // The ISO form's "T" between the date and the time reads as the blank does.
    const QStringList parts = QString(text)
                                  .replace(QLatin1Char('T'), QLatin1Char(' '))
                                  .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const Schedule::TypedTime typed{QDate::fromString(parts.value(0), Qt::ISODate),
                                    QTime::fromString(parts.value(1), QStringLiteral("HH:mm"))};
    if (parts.size() != 2 || !typed.date.isValid() || !typed.time.isValid())
        throw Refusal{QStringLiteral("--depart '%1' is not a local date and time "
                                     "(\"yyyy-mm-dd hh:mm\").")
                          .arg(text)};
    return typed;
}

// "4:25" as minutes.
int minutesOf(const QString& hoursMinutes)
{
    return hoursMinutes.section(QLatin1Char(':'), 0, 0).toInt() * 60 +
           hoursMinutes.section(QLatin1Char(':'), 1).toInt();
}

QJsonValue numberOf(const QString& text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(Format::value(text));
}

} // namespace

QList<QCommandLineOption> options()
{
    QList<QCommandLineOption> list{
        {QStringLiteral("aircraft"),
         QStringLiteral("An aircraft of the catalogue; the options below change its values."),
         QStringLiteral("NAME")},
        {QStringLiteral("add-on"), QStringLiteral("Distance add-on for routing, in percent."),
         QStringLiteral("PCT")},
        {QStringLiteral("hourly-rate"), QStringLiteral("Charge per billable hour."),
         QStringLiteral("MONEY")},
        {QStringLiteral("range"), QStringLiteral("Range in nautical miles."), QStringLiteral("NM")},
        {QStringLiteral("basis"),
         QStringLiteral("Price by NM, SM or the hour (else the settings')."),
         QStringLiteral("NM|SM|HR")},
        {QStringLiteral("depart"),
         QStringLiteral("Local departure at the first airport; needs an aircraft for the times."),
         QStringLiteral("YYYY-MM-DD HH:MM")},
    };
    for (const CountOption& count : Counts)
        list.append({optionName(count.name), QString::fromLatin1(count.description),
                     QString::fromLatin1(count.valueName)});
    return list;
}

bool given(const QCommandLineParser& parser)
{
    for (const QCommandLineOption& option : options()) {
        if (parser.isSet(option.names().constFirst()))
            return true;
    }
    return false;
}

void read(const QCommandLineParser& parser, const QList<AircraftProfile>& catalogue,
          QuoteRequest& request)
{
    const bool named = parser.isSet(QStringLiteral("aircraft"));
    const bool custom = parser.isSet(QStringLiteral("cruise"));
    std::optional<AircraftProfile> profile;
    if (named) {
        profile = AircraftRules::find(catalogue, parser.value(QStringLiteral("aircraft")));
        if (!profile) {
            QStringList names;
            for (const AircraftProfile& known : catalogue)
                names << known.name;
            throw Refusal{QStringLiteral("--aircraft '%1' is no aircraft of the catalogue (%2).")
                              .arg(parser.value(QStringLiteral("aircraft")),
                                   names.isEmpty() ? QStringLiteral("it is empty")
                                                   : names.join(QStringLiteral(", ")))};
        }
    } else if (custom) {
        profile = AircraftProfile{};
        profile->name = Custom;
    }
    for (const QCommandLineOption& option : options()) {
        const QString name = option.names().constFirst();
        if (!profile && parser.isSet(name) && name != u"basis" && name != u"depart")
            throw Refusal{
                QStringLiteral("--%1 changes an aircraft: give --aircraft or --cruise.").arg(name)};
    }
    if (profile) {
        for (const CountOption& count : Counts) {
            if (parser.isSet(optionName(count.name)))
                (*profile).*count.value = wholeOption(parser, optionName(count.name));
        }
        if (parser.isSet(QStringLiteral("add-on")))
            profile->addOnPercent = plainOption(parser, QStringLiteral("add-on"));
        if (parser.isSet(QStringLiteral("hourly-rate")))
            profile->hourlyRate = plainOption(parser, QStringLiteral("hourly-rate"));
        if (parser.isSet(QStringLiteral("range")))
            profile->rangeNm = wholeOption(parser, QStringLiteral("range"));
        if (const auto refused = AircraftRules::refusal({*profile}))
            throw Refusal{refused->text};
    }
    request.plan.aircraft = profile;
    request.plan.departure = departOption(parser);
    if (parser.isSet(QStringLiteral("basis"))) {
        const QString basis = parser.value(QStringLiteral("basis")).trimmed().toUpper();
        if (basis != u"NM" && basis != u"SM" && basis != u"HR")
            throw Refusal{QStringLiteral("--basis takes NM, SM or HR.")};
        if (basis == u"HR" && !profile)
            throw Refusal{QStringLiteral("--basis HR prices by the hour: give --aircraft or "
                                         "--cruise.")};
        request.basis = SettingsText::readQuoteBase(basis);
    }
}

QString legTimes(const QuoteData& data, int row)
{
    if (row < 1 || row > data.itinerary.size())
        return QString();
    const QuoteData::ItineraryLeg& leg = data.itinerary.at(row - 1);
    QString text;
    if (!leg.flight.isEmpty())
        text += QStringLiteral(" flight %1 block %2").arg(leg.flight, leg.block);
    if (!leg.departs.isEmpty())
        text += QStringLiteral(" departs %1 arrives %2").arg(leg.departs, leg.arrivesShown());
    if (const QString marks = QuoteData::itineraryMarks(leg); !marks.isEmpty())
        text += QStringLiteral(" (%1)").arg(marks);
    return text;
}

void addTimes(QJsonObject& json, const QuoteData& data)
{
    QJsonArray legs = json.value(QStringLiteral("legs")).toArray();
    for (qsizetype row = 0; row < legs.size() && row < data.route.size(); ++row) {
        QJsonObject leg = legs.at(row).toObject();
        leg.insert(QStringLiteral("nauticalMiles"), numberOf(data.route.at(row).distanceNM));
        leg.insert(QStringLiteral("statuteMiles"), numberOf(data.route.at(row).distanceSM));
        if (row >= 1 && row <= data.itinerary.size()) {
            const QuoteData::ItineraryLeg& timed = data.itinerary.at(row - 1);
            if (!timed.flight.isEmpty()) {
                leg.insert(QStringLiteral("flightMinutes"), minutesOf(timed.flight));
                leg.insert(QStringLiteral("blockMinutes"), minutesOf(timed.block));
                leg.insert(QStringLiteral("billableHours"), numberOf(timed.billableHours));
                leg.insert(QStringLiteral("beyondRange"), timed.beyondRange);
            }
            if (!timed.departsIso.isEmpty()) {
                leg.insert(QStringLiteral("departure"), timed.departsIso);
                leg.insert(QStringLiteral("arrival"), timed.arrivesIso);
                leg.insert(QStringLiteral("departureZone"), timed.departsZone);
                leg.insert(QStringLiteral("arrivalZone"), timed.arrivesZone);
            }
        }
        legs.replace(row, leg);
    }
    json.insert(QStringLiteral("legs"), legs);
    if (!data.aircraft.isEmpty()) {
        json.insert(QStringLiteral("aircraft"), data.aircraft);
        json.insert(QStringLiteral("billableHours"), numberOf(data.billableHours));
    }
}

} // namespace AircraftOptions
