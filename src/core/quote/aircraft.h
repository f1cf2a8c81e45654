#pragma once

#include <QList>
#include <QString>

#include <optional>

// An aircraft the operator flies, as the time rules and the hourly price need it. The
// values are whole knots, minutes and nautical miles but for the add-on and the rate.
// Their limits (AircraftLimits) are what a profile must keep to be saved.
struct AircraftProfile
{
    QString name;               // 1 to 30 characters, unique without regard to case
    int cruiseKnots = 0;        // true airspeed, 50 to 600
    int windKnots = 0;          // average wind component, -200 to 200; negative: headwind
    double addOnPercent = 0;    // added to every leg's distance for routing, 0 to 50
    int terminalMinutes = 0;    // per leg, for climb, descent and approach, 0 to 120
    int taxiMinutes = 0;        // per leg, 0 to 120
    double hourlyRate = 0;      // money per billable hour, 0.01 to 999,999.99
    std::optional<int> rangeNm; // 100 to 9,999; none: no limit
    int groundMinutes = 60;     // between legs, 0 to 1,440

    int groundSpeed() const { return cruiseKnots + windKnots; }
    bool operator==(const AircraftProfile&) const = default;
};

// The values of a profile in the order the settings dialog's grid and the catalogue
// table show them; a refusal names the one at fault.
enum class AircraftField
{
    Name,
    Cruise,
    Wind,
    AddOn,
    Terminal,
    Taxi,
    Rate,
    Range,
    Ground,
    COUNT
};

namespace AircraftLimits {
constexpr int NameLength = 30;
constexpr int MinCruise = 50, MaxCruise = 600;
constexpr int MaxWind = 200; // either way
constexpr double MaxAddOn = 50;
constexpr int MaxTerminal = 120, MaxTaxi = 120;
constexpr double MinRate = 0.01, MaxRate = 999999.99;
constexpr int MinRange = 100, MaxRange = 9999;
constexpr int MaxGround = 1440;
} // namespace AircraftLimits

// Why a profile of a catalogue cannot be saved: the profile's place in the list, the
// value at fault and the text the window shows.
struct AircraftRefusal
{
    int index = -1;
    AircraftField field = AircraftField::Name;
    QString text;
};

// The time one leg takes with a profile.
struct LegTime
{
    int flightMinutes = 0;
    int blockMinutes = 0;   // flight plus taxi
    int billableTenths = 0; // flight time in tenths of an hour, rounded up
    bool beyondRange = false;
};

namespace AircraftRules {

// The first profile of the list that cannot be saved (its name empty, too long or
// the same as an earlier one's in another case; a ground speed not above zero; a value
// out of its limits), or nothing when every one can.
std::optional<AircraftRefusal> refusal(const QList<AircraftProfile>& profiles);

// The profile of that name, compared without regard to case; nothing for "" or an
// unknown name.
std::optional<AircraftProfile> find(const QList<AircraftProfile>& profiles, const QString& name);

// A leg of `nauticalMiles`, the figure as the route shows it (its one-decimal text
// read back, so the times agree with the distance on screen):
//   flight = 60 x NM x (1 + add-on / 100) / ground speed + terminal allowance, rounded
//            half away from zero to whole minutes on its decimal value (an exact .5 in
//            decimal rounds up even where its binary double lies below);
//   block = flight + taxi; billable = flight / 60 rounded up to the tenth;
//   beyond range when NM x (1 + add-on / 100) exceeds the range.
// A profile with no ground speed (refusal() never accepts one) takes no time and
// counts as beyond range: the leg cannot be flown with it.
LegTime legTime(const AircraftProfile& profile, double nauticalMiles);
// The same from the leg's shown text ("2,991.3" in the user's form); an empty or
// unreadable text counts as no distance.
LegTime legTime(const AircraftProfile& profile, const QString& shownMiles);

// A route's billable tenths: the sum of its legs', each rounded up on its own.
int billableTenths(const QList<LegTime>& legs);

// A minute count as hours and minutes: 125 -> "2:05".
QString hoursMinutes(int minutes);
// Tenths of an hour as the hours they bill: 79 -> "7.9", in the user's number format.
QString hoursText(int tenths);

} // namespace AircraftRules
