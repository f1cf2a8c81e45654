#pragma once

#include "core/document/customerfields.h"

#include <QString>

// The remarks of the print window: one line of RemarksLine characters, or one line
// break and a second line that may hold as many again. The line break is kept and
// printed as carriage return and line feed and so counts as two characters.
namespace Remarks {

inline constexpr int Line = PrintFields::RemarksLine;
inline constexpr int LineBreakLength = 2;

// The limit once a line break stands at `lineBreak` (-1: none): the first line as it
// is, the line break and a full second line.
int limitWith(qsizetype lineBreak);
// The limit after the text changed, given the limit before: a line break that appears
// (typed or pasted) sets it, one that is gone puts it back to one line; otherwise it
// stays, so that typing into the first line never lengthens the second.
int limitAfter(const QString& text, int limitBefore);
// How many characters `text` holds past `limit` (0 when none); the line break counts
// as two.
int excess(const QString& text, int limit);

// The text as the field shows it ("\n") and as it is kept and printed ("\r\n").
QString shown(const QString& stored);
QString stored(const QString& shown);

} // namespace Remarks
