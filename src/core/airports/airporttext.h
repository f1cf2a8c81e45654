#pragma once

#include "core/distance.h"

#include <QString>

#include <optional>

// The forms in which stored airport values are shown. The hemisphere of a coordinate
// is decided by the first character of its degrees text, never by the number, so
// "-00" degrees shows as south (or east).

// "N40°38'23.123"" or "S00°30'00.000"": hemisphere, degrees "00", minutes "00",
// seconds "00.000" (rounded half away from zero, the user's decimal point).
QString FormatLatitude(const Coordinate& latitude);

// "W073°46'40.000"" or "E008°..."": as FormatLatitude with three degree digits; a
// leading "-" marks east.
QString FormatLongitude(const Coordinate& longitude);

// "+5", "+5.5", "0", "-3.75": the offset in its shortest form, with "+" above zero;
// empty when there is no value.
QString FormatTimeZone(std::optional<float> timeZone);

// The use category: "P" Public, "M" Military, "J" Joint, "V" Private.
// UseText of an unknown code is empty; UseCode of any other non-empty word is "J".
QString UseText(const QString& code);
QString UseCode(const QString& word);
