#include "paint/mappainter.h"

#include "core/map/worldmap.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <span>

namespace {

// The whole turns by which a shape within `bounds` is shifted to meet what the view shows.
std::pair<int, int> turnsShown(const QRectF& bounds, const QRectF& visible)
{
    return {int(std::ceil((visible.left() - bounds.right()) / 360)),
            int(std::floor((visible.right() - bounds.left()) / 360))};
}

bool meets(const QRectF& bounds, double shift, const QRectF& visible)
{
    return bounds.right() + shift >= visible.left() && bounds.left() + shift <= visible.right() &&
           bounds.top() <= visible.bottom() && bounds.bottom() >= visible.top();
}

// The line in the frame, shifted by `shift` degrees, without the points that lie closer
// than `tolerance` to the one kept before them (the last always kept).
QList<QPointF> framed(const MapView& view, std::span<const QPointF> points, double shift,
                      double tolerance)
{
    QList<QPointF> line;
    line.reserve(points.size());
    for (qsizetype i = 0; i < qsizetype(points.size()); ++i) {
        const QPointF p = view.toFrame(points[i] + QPointF(shift, 0));
        if (!line.isEmpty() && i + 1 < qsizetype(points.size()) &&
            std::abs(p.x() - line.last().x()) < tolerance &&
            std::abs(p.y() - line.last().y()) < tolerance)
            continue;
        line.append(p);
    }
    return line;
}

// The ring cut to the rectangle (Sutherland and Hodgman): what it fills inside stays the
// same, and the parts outside, which a page would carry for nothing, are gone.
QList<QPointF> clippedRing(QList<QPointF> ring, const QRectF& r)
{
    const auto clipEdge = [&](auto inside, auto cross) {
        QList<QPointF> out;
        out.reserve(ring.size());
        for (qsizetype i = 0; i < ring.size(); ++i) {
            const QPointF& a = ring[(i + ring.size() - 1) % ring.size()];
            const QPointF& b = ring[i];
            if (inside(b)) {
                if (!inside(a))
                    out.append(cross(a, b));
                out.append(b);
            } else if (inside(a)) {
                out.append(cross(a, b));
            }
        }
        ring = out;
    };
    const auto atX = [](double x) {
        return [x](const QPointF& a, const QPointF& b) {
            return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x()));
        };
    };
    const auto atY = [](double y) {
        return [y](const QPointF& a, const QPointF& b) {
            return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y);
        };
    };
    clipEdge([&](const QPointF& p) { return p.x() >= r.left(); }, atX(r.left()));
    clipEdge([&](const QPointF& p) { return p.x() <= r.right(); }, atX(r.right()));
    clipEdge([&](const QPointF& p) { return p.y() >= r.top(); }, atY(r.top()));
    clipEdge([&](const QPointF& p) { return p.y() <= r.bottom(); }, atY(r.bottom()));
    return ring;
}

// The line's segments that may cross the rectangle, each run of them drawn as one line.
void addClippedLine(QPainterPath& path, const QList<QPointF>& line, const QRectF& r)
{
    bool drawing = false;
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QRectF segment = QRectF(line[i - 1], line[i]).normalized();
        if (segment.right() < r.left() || segment.left() > r.right() ||
            segment.bottom() < r.top() || segment.top() > r.bottom()) {
            drawing = false;
            continue;
        }
        if (!drawing)
            path.moveTo(line[i - 1]);
        path.lineTo(line[i]);
        drawing = true;
    }
}

// The shapes as one path, each where the view shows it, cut a little outside the frame:
// filled rings (`fill`), or lines; an outline takes each ring's own line only, without
// the way round a pole that closes it.
QPainterPath shapesPath(const MapView& view, const QList<WorldMap::Shape>& shapes, bool fill,
                        double tolerance, double margin)
{
    const QRectF visible = view.visibleDegrees();
    const QRectF cut = view.frame().adjusted(-margin, -margin, margin, margin);
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const WorldMap::Shape& shape : shapes) {
        const auto [first, last] = turnsShown(shape.bounds, visible);
        for (int turn = first; turn <= last; ++turn) {
            if (!meets(shape.bounds, turn * 360.0, visible))
                continue;
            if (fill) {
                const QList<QPointF> ring = clippedRing(
                    framed(view, std::span(shape.points), turn * 360.0, tolerance), cut);
                if (ring.size() > 2) {
                    path.addPolygon(QPolygonF(ring));
                    path.closeSubpath();
                }
            } else {
                addClippedLine(path,
                               framed(view, std::span(shape.points).first(size_t(shape.ownPoints)),
                                      turn * 360.0, tolerance),
                               cut);
            }
        }
    }
    return path;
}

} // namespace

MapStyle MapStyle::forResolution(double dotsPerInch)
{
    MapStyle style;
    const double k = dotsPerInch / 96;
    style.coastWidth *= k;
    style.borderWidth *= k;
    style.legWidth *= k;
    style.stopRadius *= k;
    style.labelGap *= k;
    style.detail = dotsPerInch / 100; // a quarter of a millimetre
    style.labelFont = QFont(QStringLiteral("Arial"));
    style.labelFont.setPixelSize(std::max(1, int(std::lround(12 * k))));
    style.labelFont.setBold(true);
    return style;
}

namespace MapPainter {

WorldPaths worldPaths(const MapView& view, const WorldMap& world, const MapStyle& style)
{
    const double margin = 4 * style.coastWidth; // where cut edges lie, outside the clip
    return {shapesPath(view, world.landShapes(), true, style.detail, margin),
            shapesPath(view, world.landShapes(), false, style.detail, margin),
            shapesPath(view, world.borderShapes(), false, style.detail, margin)};
}

void paintWorld(QPainter& painter, const MapView& view, const WorldMap& world,
                const MapStyle& style)
{
    painter.save();
    painter.setClipRect(view.frame());
    painter.fillRect(view.frame(), style.water);
    painter.setRenderHint(QPainter::Antialiasing);
    const WorldPaths paths = worldPaths(view, world, style);
    painter.fillPath(paths.land, style.land);
    painter.strokePath(paths.coasts, QPen(style.coast, style.coastWidth));
    painter.strokePath(paths.borders, QPen(style.border, style.borderWidth));
    painter.restore();
}

void paintRoute(QPainter& painter, const MapView& view, const RouteMap& route,
                const MapStyle& style, int highlighted)
{
    if (route.isEmpty())
        return;
    painter.save();
    painter.setClipRect(view.frame());
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF visible = view.visibleDegrees();
    const auto [first, last] = turnsShown(route.bounds(), visible);

    for (int i = 0; i < route.legs().size(); ++i) {
        const RouteMap::Leg& leg = route.legs()[i];
        QColor colour = leg.beyondRange ? style.beyondRange : style.leg;
        if (i + 1 == highlighted)
            colour = style.highlight;
        QPen pen(colour,
                 leg.beyondRange || i + 1 == highlighted ? style.legWidth * 1.5 : style.legWidth);
        pen.setCapStyle(Qt::RoundCap);
        if (leg.positioning)
            pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        QPainterPath path;
        for (int turn = first - 1; turn <= last + 1; ++turn)
            path.addPolygon(QPolygonF(framed(view, std::span(leg.points), turn * 360.0, 0.5)));
        painter.drawPath(path);
    }

    // The stops, and a label for each one that finds room, in order of priority.
    QList<int> order;
    if (highlighted >= 0 && highlighted < route.stops().size())
        order << highlighted;
    for (int i = 0; i < route.stops().size(); ++i)
        if (i != highlighted)
            order << i;
    const QFontMetricsF metrics(style.labelFont, painter.device());
    const double pad = style.labelGap / 3;
    struct Label
    {
        int stop;
        QPointF at;
    };
    QList<Label> labels; // one for each place: a round trip's home airport once
    QList<MapLabels::Request> requests;
    for (int i : order) {
        const RouteMap::Stop& stop = route.stops()[i];
        // The copy of the stop nearest the middle of the view.
        const double shift = 360.0 * std::round((visible.center().x() - stop.at.x()) / 360);
        const QPointF at = view.toFrame(stop.at + QPointF(shift, 0));
        painter.setPen(QPen(style.labelBox, style.stopRadius / 2));
        painter.setBrush(i == highlighted ? style.highlight : style.stop);
        painter.drawEllipse(at, style.stopRadius, style.stopRadius);
        if (std::any_of(labels.begin(), labels.end(), [&](const Label& l) {
                return route.stops()[l.stop].id == stop.id && l.at == at;
            }))
            continue;
        labels.append({i, at});
        requests.append(
            {at, QSizeF(metrics.horizontalAdvance(stop.id) + 2 * pad, metrics.height() + pad)});
    }
    const QList<QRectF> boxes = MapLabels::place(requests, view.frame(), style.labelGap);
    painter.setFont(style.labelFont);
    for (qsizetype k = 0; k < labels.size(); ++k) {
        if (boxes[k].isEmpty())
            continue;
        const bool isHighlighted = labels[k].stop == highlighted;
        painter.setPen(Qt::NoPen);
        painter.setBrush(style.labelBox);
        painter.drawRoundedRect(boxes[k], pad, pad);
        painter.setPen(isHighlighted ? style.highlight.darker(130) : style.label);
        painter.drawText(boxes[k], Qt::AlignCenter, route.stops()[labels[k].stop].id);
    }
    painter.restore();
}

MapView fittedView(const RouteMap& route, const QRectF& frame)
{
    return route.isEmpty() ? MapView::fit(QRectF(-180, -60, 360, 140), frame, 0)
                           : MapView::fit(route.bounds(), frame);
}

void paintFitted(QPainter& painter, const QRectF& frame, const WorldMap& world,
                 const RouteMap& route, const MapStyle& style)
{
    const MapView view = fittedView(route, frame);
    paintWorld(painter, view, world, style);
    paintRoute(painter, view, route, style);
}

} // namespace MapPainter
