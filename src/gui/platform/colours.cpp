#include "gui/platform/colours.h"

#include "core/contrast.h"

namespace {

Contrast::Rgb rgb(const QColor& colour)
{
    const QColor solid = colour.toRgb();
    return {solid.red(), solid.green(), solid.blue()};
}

} // namespace

namespace Colours {

QColor readableOn(const QColor& wanted, const QList<QColor>& backgrounds)
{
    QList<Contrast::Rgb> fields;
    for (const QColor& background : backgrounds)
        fields << rgb(background);
    const Contrast::Rgb chosen = Contrast::readable(rgb(wanted), fields);
    return QColor(chosen.red, chosen.green, chosen.blue);
}

double contrast(const QColor& first, const QColor& second)
{
    return Contrast::ratio(rgb(first), rgb(second));
}

} // namespace Colours
