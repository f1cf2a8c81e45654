#pragma once

#include "core/format.h"

namespace Pricing {

// True when the base charge is the minimum charge: the pricing distance times the
// charge per mile is strictly below the minimum, both taken as the decimal values the
// figures stand for. So 10.7 x 8.50 equals a minimum of 90.95 although its binary
// product lies a hair below, 10.7 x 7.03 equals a minimum of 75.221, and 12.3 x 7.39
// = 90.897 is below a minimum of 90.90 though it shows as 90.90. A route of no
// distance prices nothing and keeps its base charge of 0.00. The screen, the quote
// document and the text file decide by this one rule.
inline bool usesMinimum(double distance, double rate, double minimum)
{
    return distance != 0 && Format::decimalValue(distance * rate) < Format::decimalValue(minimum);
}

} // namespace Pricing
