#pragma once

#include "core/map/mapview.h"
#include "core/map/routemap.h"

#include <QColor>
#include <QFont>
#include <QPainterPath>

class QPainter;
class WorldMap;

// The colours and sizes a map is drawn in. Sizes are in the painter's units: pixels on
// screen, the printer's dots on paper (see forResolution).
struct MapStyle
{
    QColor water{0xcf, 0xe3, 0xf3};
    QColor land{0xf1, 0xee, 0xe4};
    QColor coast{0x8c, 0xa6, 0xbd};
    QColor border{0xb3, 0xa9, 0x9a};
    QColor leg{0x1c, 0x4e, 0x9a};
    QColor highlight{0xd9, 0x6c, 0x00};
    QColor beyondRange{0xc0, 0x1c, 0x28};
    QColor stop{0x1a, 0x1a, 0x1a};
    QColor label{0x1a, 0x1a, 0x1a};
    QColor labelBox{0xff, 0xff, 0xff, 0xd8};
    QFont labelFont;
    double coastWidth = 0.6;
    double borderWidth = 0.5;
    double legWidth = 2;
    double stopRadius = 3.5;
    double labelGap = 6;
    // The shortest step of a coastline or border drawn: finer detail is left out.
    double detail = 0.96;

    // The style for a device of `dotsPerInch`, its sizes those of the screen at 96 dots.
    static MapStyle forResolution(double dotsPerInch);
};

// Draws the world and a route on a painter, in the frame of a MapView and clipped to it.
// The world is drawn where the view shows it, once or again 360° over, so that the map has
// no edge at the 180th meridian.
namespace MapPainter {

// The world in the view's frame as paths: the land to fill, its coasts and the borders to
// stroke, each cut a little outside the frame and without detail finer than the style's.
struct WorldPaths
{
    QPainterPath land, coasts, borders;
};
WorldPaths worldPaths(const MapView& view, const WorldMap& world, const MapStyle& style);

void paintWorld(QPainter& painter, const MapView& view, const WorldMap& world,
                const MapStyle& style);

// Every leg as its great circle (a positioning leg dashed, one beyond the aircraft's
// range in its own colour), every stop as a point with its identifier where the label
// finds room (the highlighted stop's first, then the route's order). `highlighted` is
// the stop whose row is selected, and the leg that ends at it; -1 for none.
void paintRoute(QPainter& painter, const MapView& view, const RouteMap& route,
                const MapStyle& style, int highlighted = -1);

// Both, the route fitted into `frame`.
void paintFitted(QPainter& painter, const QRectF& frame, const WorldMap& world,
                 const RouteMap& route, const MapStyle& style);

// The view that fits the route (or, without one, the whole world) into `frame`.
MapView fittedView(const RouteMap& route, const QRectF& frame);

} // namespace MapPainter
