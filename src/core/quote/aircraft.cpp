#include "core/quote/aircraft.h"

#include "core/format.h"

namespace {

const QString Whole = QStringLiteral("#,##0");

QString whole(double value)
{
    return Format::number(value, Whole);
}

// "The cruise speed of 'Citation' must be from 50 to 600 knots."
QString outOfLimits(const AircraftProfile& profile, const QString& what, const QString& low,
                    const QString& high, const QString& unit)
{
    return QStringLiteral("The %1 of '%2' must be from %3 to %4%5.")
        .arg(what, profile.name, low, high, unit);
}

std::optional<AircraftRefusal> refusalOf(const AircraftProfile& p, int index,
                                         const QList<AircraftProfile>& earlier)
{
    using namespace AircraftLimits;
    const auto refuse = [index](AircraftField field, const QString& text) {
        return std::optional<AircraftRefusal>(AircraftRefusal{index, field, text});
    };
    const auto wholeLimits = [&](AircraftField field, int value, int low, int high,
                                 const char* what, const char* unit) {
        return value < low || value > high
                   ? refuse(field, outOfLimits(p, QString::fromLatin1(what), whole(low),
                                               whole(high), QString::fromLatin1(unit)))
                   : std::nullopt;
    };
    if (p.name.trimmed().isEmpty())
        return refuse(AircraftField::Name,
                      QStringLiteral("The aircraft in row %1 needs a name.").arg(index + 1));
    if (p.name.size() > NameLength)
        return refuse(AircraftField::Name,
                      QStringLiteral("The aircraft name '%1' is longer than %2 characters.")
                          .arg(p.name)
                          .arg(NameLength));
    for (const AircraftProfile& other : earlier) {
        if (other.name.compare(p.name, Qt::CaseInsensitive) == 0)
            return refuse(
                AircraftField::Name,
                QStringLiteral("There is already an aircraft named '%1'.").arg(other.name));
    }
    if (auto r = wholeLimits(AircraftField::Cruise, p.cruiseKnots, MinCruise, MaxCruise,
                             "cruise speed", " knots"))
        return r;
    if (auto r = wholeLimits(AircraftField::Wind, p.windKnots, -MaxWind, MaxWind, "wind component",
                             " knots"))
        return r;
    if (p.groundSpeed() <= 0)
        return refuse(AircraftField::Wind,
                      QStringLiteral("The ground speed of '%1' (cruise speed %2 and wind %3 "
                                     "knots) must be above 0 knots.")
                          .arg(p.name, whole(p.cruiseKnots), whole(p.windKnots)));
    if (p.addOnPercent < 0 || Format::decimalValue(p.addOnPercent) > MaxAddOn)
        return refuse(AircraftField::AddOn,
                      outOfLimits(p, QStringLiteral("distance add-on"), whole(0), whole(MaxAddOn),
                                  QStringLiteral(" %")));
    if (auto r = wholeLimits(AircraftField::Terminal, p.terminalMinutes, 0, MaxTerminal,
                             "terminal allowance", " minutes"))
        return r;
    if (auto r =
            wholeLimits(AircraftField::Taxi, p.taxiMinutes, 0, MaxTaxi, "taxi time", " minutes"))
        return r;
    if (Format::decimalValue(p.hourlyRate) < MinRate ||
        Format::decimalValue(p.hourlyRate) > MaxRate)
        return refuse(AircraftField::Rate,
                      outOfLimits(p, QStringLiteral("hourly rate"),
                                  Format::number(MinRate, Format::Money),
                                  Format::number(MaxRate, Format::Money), QString()));
    if (p.rangeNm) {
        if (auto r =
                wholeLimits(AircraftField::Range, *p.rangeNm, MinRange, MaxRange, "range", " NM"))
            return r;
    }
    return wholeLimits(AircraftField::Ground, p.groundMinutes, 0, MaxGround,
                       "ground time between legs", " minutes");
}

} // namespace

namespace AircraftRules {

std::optional<AircraftRefusal> refusal(const QList<AircraftProfile>& profiles)
{
    for (int i = 0; i < profiles.size(); ++i) {
        if (auto refused = refusalOf(profiles.at(i), i, profiles.first(i)))
            return refused;
    }
    return std::nullopt;
}

std::optional<AircraftProfile> find(const QList<AircraftProfile>& profiles, const QString& name)
{
    for (const AircraftProfile& profile : profiles) {
        if (!name.isEmpty() && profile.name.compare(name, Qt::CaseInsensitive) == 0)
            return profile;
    }
    return std::nullopt;
}

LegTime legTime(const AircraftProfile& profile, double nauticalMiles)
{
    const double flown = nauticalMiles * (1 + profile.addOnPercent / 100);
    LegTime leg;
    // A profile without ground speed never gets there; the window refuses to keep one.
    if (profile.groundSpeed() <= 0) {
        leg.beyondRange = true;
        return leg;
    }
    // Rounded on the decimal value: 19.5 minutes whose double reads 19.4999... still
    // count as 20.
    leg.flightMinutes =
        int(Format::roundHalfAway(60 * flown / profile.groundSpeed() + profile.terminalMinutes, 0));
    leg.blockMinutes = leg.flightMinutes + profile.taxiMinutes;
    // Whole tenths, rounded up: six minutes make a tenth, so sums stay exact.
    leg.billableTenths = (leg.flightMinutes + 5) / 6;
    leg.beyondRange = profile.rangeNm && Format::decimalValue(flown) > *profile.rangeNm;
    return leg;
}

LegTime legTime(const AircraftProfile& profile, const QString& shownMiles)
{
    return legTime(profile, Format::value(shownMiles));
}

int billableTenths(const QList<LegTime>& legs)
{
    int tenths = 0;
    for (const LegTime& leg : legs)
        tenths += leg.billableTenths;
    return tenths;
}

QString hoursMinutes(int minutes)
{
    return Format::number(minutes / 60, QStringLiteral("0")) + QLatin1Char(':') +
           Format::number(minutes % 60, Format::TwoDigits);
}

QString hoursText(int tenths)
{
    return Format::number(tenths / 10.0, QStringLiteral("#,##0.0"));
}

} // namespace AircraftRules
