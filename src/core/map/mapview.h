#pragma once

#include <QPointF>
#include <QRectF>

// How the map shows the world in a frame (a widget's pixels, a box on the page in twips):
// an equidistant cylindrical projection, longitude and latitude drawn as straight lines at
// even steps, with the parallels' true scale on one standard parallel. Degrees are taken
// on a plane where longitude runs on past ±180 (x the longitude east, y the latitude), so
// that a route over the 180th meridian lies in one piece.
class MapView
{
public:
    MapView() = default;

    // The view that shows `degrees` (a rectangle on that plane, y up) whole in `frame`, a
    // `margin` of the frame's width and height kept free on every side, centred. The
    // standard parallel is the rectangle's middle latitude, no further than 60° from the
    // equator. A rectangle smaller than `minimumSpan` degrees either way is shown that
    // large around its centre; one wider than the world, the world wide.
    static MapView fit(const QRectF& degrees, const QRectF& frame, double margin = 0.08,
                       double minimumSpan = 4);

    const QRectF& frame() const { return m_frame; }
    QPointF centre() const { return m_centre; }
    // Frame units to a degree of latitude.
    double scale() const { return m_scale; }

    QPointF toFrame(QPointF degrees) const;
    QPointF toDegrees(QPointF framePoint) const;
    // The degrees the frame shows, y up.
    QRectF visibleDegrees() const;

    // The same view moved by `frameDelta` (the picture follows it, as a dragged map does),
    // or zoomed by `factor` keeping the degrees under `framePoint` where they are; never
    // out further than the whole world's height in the frame, nor in closer than 0.01°.
    MapView panned(QPointF frameDelta) const;
    MapView zoomed(double factor, QPointF framePoint) const;
    // The same degrees in another frame (the widget resized): its centre and the scale
    // that keeps the shown rectangle inside.
    MapView reframed(const QRectF& frame) const;

    bool operator==(const MapView&) const = default;

private:
    MapView clamped() const;

    QRectF m_frame;
    QPointF m_centre;      // degrees at the frame's centre
    double m_scale = 1;    // frame units per degree of latitude
    double m_parallel = 1; // the cosine of the standard parallel
};
