#pragma once

#include <QList>

// How well text reads on its background, by the contrast of relative luminances that
// WCAG 2 defines: 1:1 for a colour on itself, 21:1 for black on white, and 4.5:1 the
// least for text of ordinary size. The program's dark blue and dark red read well on a
// light field and not at all on the field of a dark desktop theme, so each window asks
// here for the colour of a figure on the background it is drawn on.
namespace Contrast {

// A colour as red, green and blue from 0 to 255.
struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;

    bool operator==(const Rgb&) const = default;
};

inline constexpr double Readable = 4.5;

double luminance(Rgb colour);
double ratio(Rgb first, Rgb second);

// The colour to draw text meant to be `wanted` in on every one of the backgrounds:
// `wanted` itself when it reads on all of them, else the colour of the same hue and
// saturation whose lightness is nearest to it that does (a lighter blue on a dark field,
// a darker one on a light field). Should no lightness read on all of them, the one that
// reads best on the worst of them.
Rgb readable(Rgb wanted, const QList<Rgb>& backgrounds, double minimum = Readable);

} // namespace Contrast
