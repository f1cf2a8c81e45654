#include "core/contrast.h"

#include <algorithm>
#include <cmath>

namespace Contrast {

namespace {

double linear(int channel)
{
    const double value = channel / 255.0;
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

struct Hsl
{
    double hue = 0;        // 0..6, a sixth of the circle per unit
    double saturation = 0; // 0..1
    double lightness = 0;  // 0..1
};

Hsl toHsl(Rgb colour)
{
    const double r = colour.red / 255.0;
    const double g = colour.green / 255.0;
    const double b = colour.blue / 255.0;
    const double high = std::max({r, g, b});
    const double low = std::min({r, g, b});
    Hsl hsl;
    hsl.lightness = (high + low) / 2;
    const double spread = high - low;
    if (spread <= 0)
        return hsl;
    hsl.saturation = spread / (1 - std::abs(2 * hsl.lightness - 1));
    if (high == r)
        hsl.hue = std::fmod((g - b) / spread + 6, 6);
    else if (high == g)
        hsl.hue = (b - r) / spread + 2;
    else
        hsl.hue = (r - g) / spread + 4;
    return hsl;
}

Rgb toRgb(const Hsl& hsl)
{
    const double chroma = (1 - std::abs(2 * hsl.lightness - 1)) * hsl.saturation;
    const double second = chroma * (1 - std::abs(std::fmod(hsl.hue, 2) - 1));
    double r = 0, g = 0, b = 0;
    switch (int(hsl.hue) % 6) {
    case 0:
        r = chroma, g = second;
        break;
    case 1:
        r = second, g = chroma;
        break;
    case 2:
        g = chroma, b = second;
        break;
    case 3:
        g = second, b = chroma;
        break;
    case 4:
        r = second, b = chroma;
        break;
    default:
        r = chroma, b = second;
        break;
    }
    const double base = hsl.lightness - chroma / 2;
    const auto channel = [base](double value) {
        return std::clamp(int(std::lround((value + base) * 255)), 0, 255);
    };
    return {channel(r), channel(g), channel(b)};
}

double worstRatio(Rgb colour, const QList<Rgb>& backgrounds)
{
    double worst = 21;
    for (const Rgb& background : backgrounds)
        worst = std::min(worst, ratio(colour, background));
    return worst;
}

} // namespace

double luminance(Rgb colour)
{
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
           0.0722 * linear(colour.blue);
}

double ratio(Rgb first, Rgb second)
{
    const double a = luminance(first) + 0.05;
    const double b = luminance(second) + 0.05;
    return a > b ? a / b : b / a;
}

Rgb readable(Rgb wanted, const QList<Rgb>& backgrounds, double minimum)
{
    if (worstRatio(wanted, backgrounds) >= minimum)
        return wanted;
    // Lightness in steps of half a percent, nearest first in both directions; the
    // check is on the colour as rounded to whole channels, as it is drawn.
    const Hsl start = toHsl(wanted);
    Rgb best = wanted;
    double bestRatio = worstRatio(wanted, backgrounds);
    constexpr double Step = 0.005;
    for (int steps = 1; steps <= int(1 / Step) + 1; ++steps) {
        Rgb found;
        double foundRatio = 0;
        for (const int direction : {1, -1}) {
            Hsl candidate = start;
            candidate.lightness = start.lightness + direction * steps * Step;
            if (candidate.lightness < -Step / 2 || candidate.lightness > 1 + Step / 2)
                continue;
            candidate.lightness = std::clamp(candidate.lightness, 0.0, 1.0);
            const Rgb colour = toRgb(candidate);
            const double worst = worstRatio(colour, backgrounds);
            if (worst >= minimum && worst > foundRatio) {
                found = colour;
                foundRatio = worst;
            }
            if (worst > bestRatio) {
                best = colour;
                bestRatio = worst;
            }
        }
        if (foundRatio > 0)
            return found;
    }
    return best;
}

} // namespace Contrast
