#pragma once

#include <QColor>

// The program's colours, fixed so that windows look the same under every desktop theme.
namespace Colours {

// Negative money figures and short runways.
inline const QColor DarkRed(128, 0, 0);
// The final quote, the minimum-charge caption, positive catalogue amounts and tax types.
inline const QColor DarkBlue(0, 0, 128);
inline const QColor Black(0, 0, 0);
// The computed and tax columns of the charges grid: the classic inactive-border colour.
inline const QColor ColumnGrey(0xd4, 0xd0, 0xc8);

} // namespace Colours
