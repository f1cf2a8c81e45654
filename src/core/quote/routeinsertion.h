#pragma once

#include "core/quote/routemodel.h"

#include <QString>

#include <functional>
#include <optional>

// Where a selected airport goes in the route, and when it is refused: the rules of
// Select, apart from the questions, which the caller asks (the main window with its
// dialogs, the quote tool by its options).
namespace RouteInsertion {

// The route's state at the moment of Select.
struct Situation
{
    const RouteModel* route = nullptr;
    int selected = -1; // the selected row of the route list; -1 for none
    int current = -1;  // the current row of the route list; -1 for none
};

struct Decision
{
    int position = 0; // where the airport goes, 0 to the route's count
    QString refusal;  // the message when the airport is refused; empty to insert
    // The runway is shorter than the minimum: ask this question (Yes inserts) first.
    QString runwayQuestion;
};

// Decides for the airport `stop` with the runway length `runway` (none when not
// known) against the minimum runway length. `insertBefore` is asked only when the
// first of two or more stops is selected: true puts the airport before it.
Decision decide(const Situation& situation, const RouteStop& stop, std::optional<qint64> runway,
                qint32 minimumRunway, const std::function<bool()>& insertBefore);

// The title of the messages and questions of Select.
inline const QString Title = QStringLiteral("Select Airport");

} // namespace RouteInsertion
