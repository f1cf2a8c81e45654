#include "core/quote/routeinsertion.h"

namespace RouteInsertion {

namespace {

const QString SameAsCurrent =
    QStringLiteral("Selected Airport is the same as Current Airport in Quote.");
const QString SameAsNext = QStringLiteral("Selected Airport is the same as Next Airport in Quote.");

Decision refused(const QString& message)
{
    Decision decision;
    decision.refusal = message;
    return decision;
}

} // namespace

Decision decide(const Situation& situation, const RouteStop& stop, std::optional<qint64> runway,
                qint32 minimumRunway, const std::function<bool()>& insertBefore)
{
    const RouteModel& route = *situation.route;
    const int count = route.count();
    int selected = situation.selected;
    const int current = situation.current;
    if (selected < 0 && count > 0)
        selected = current >= 0 ? current : count - 1;
    const bool currentIsSame =
        current >= 0 && current < count && route.leg(current).stop.ID == stop.ID;
    if (selected == 0 && currentIsSame)
        return refused(SameAsCurrent);

    Decision decision;
    if (selected == 0 && count >= 2)
        decision.position = insertBefore() ? 0 : 1;
    else
        decision.position = selected + 1;
    if (count > 0 && currentIsSame)
        return refused(SameAsCurrent);
    if (count >= 2 && decision.position < count && route.leg(decision.position).stop.ID == stop.ID)
        return refused(SameAsNext);
    if (runway && *runway < minimumRunway)
        decision.runwayQuestion =
            QStringLiteral("The Runway Length at '%1'    '%2'\r\rof %3 ft is shorter than the "
                           "current Minimum Runway Length of %4 ft.\r\rDo you want to insert the "
                           "airport in the route anyway?")
                .arg(stop.ID, stop.NAME)
                .arg(*runway)
                .arg(minimumRunway);
    return decision;
}

} // namespace RouteInsertion
