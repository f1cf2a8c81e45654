#pragma once

#include "core/format.h"

namespace Pricing {

// True when the base charge is the minimum charge: the pricing distance times the
// charge per mile, taken at cents as the base charge shows it, is below the minimum.
// (10.7 x 8.50 is 90.95 although its binary product lies a hair below 90.95.) A
// route of no distance prices nothing and keeps its base charge of 0.00. The screen
// and the quote document decide by this one rule.
inline bool usesMinimum(double distance, double rate, double minimum)
{
    return distance != 0 && Format::roundHalfAway(distance * rate, 2) < minimum;
}

} // namespace Pricing
