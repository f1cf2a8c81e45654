#pragma once

#include "core/airports/airportentry.h"
#include "core/distance.h"

#include <QString>

// The text of a masked coordinate entry: a latitude (N40°38'23.123") or a longitude
// (W073°46'40.000"), read by position with "_" in every unfilled position.

// A stored coordinate in the entry's layout: hemisphere letter ("S"/"N", "E"/"W")
// from the sign of the degrees text, two (three) degree digits, two minute digits
// and the seconds with three decimals.
QString CoordinateEntryText(const Coordinate& coordinate, bool latitude);

// Reads an entry's text by position (latitude: 0 letter, 1-2 degrees, 4-5 minutes,
// 7-8 seconds, 10-12 decimals; a longitude has one degree digit more).
//  - Nothing after the letter: "Enter Latitude." ("Enter Longitude.").
//  - Degrees and minutes read only when every one of their positions holds a digit;
//    a single digit is ambiguous (4_ may mean 4 or 40), so it is refused.
//  - Seconds read when both whole-second digits are there; an unfilled decimal
//    counts as 0 (12.5__ is 12.5). Seconds that do not read are 0.
//  - A missing letter counts as N (W); S (E) puts "-" before the degrees text.
//  - Valid below 90 (180) degrees, 60 minutes and 60 seconds.
CoordinateReading ParseCoordinateEntry(const QString& text, bool latitude);
