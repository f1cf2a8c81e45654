#pragma once

#include <QColor>
#include <QList>

// The program's colours. Dark blue and dark red are what figures are drawn in on a
// light field; on the field of a dark desktop theme they would not be read, and the
// windows draw them through readableOn(), which keeps them wherever they read and
// otherwise takes a lighter (or darker) colour of the same hue.
namespace Colours {

// Negative money figures and short runways.
inline const QColor DarkRed(128, 0, 0);
// The final quote, the minimum-charge caption, positive catalogue amounts and tax types.
inline const QColor DarkBlue(0, 0, 128);
inline const QColor Black(0, 0, 0);
// The computed and tax columns of the charges grid: the classic inactive-border colour.
inline const QColor ColumnGrey(0xd4, 0xd0, 0xc8);

// `wanted`, or the colour of its hue nearest to it that has a contrast of at least 4.5:1
// on every one of the backgrounds.
QColor readableOn(const QColor& wanted, const QList<QColor>& backgrounds);

// The contrast of two colours, from 1 (the same luminance) to 21 (black on white).
double contrast(const QColor& first, const QColor& second);

} // namespace Colours
