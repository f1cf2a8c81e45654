#include "paint/mappainter.h"

#include "core/map/worldmap.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

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
void addLine(QPainterPath& path, const MapView& view, const QList<QPointF>& points, double shift,
             double tolerance, bool closed)
{
    if (points.isEmpty())
        return;
    QPointF last = view.toFrame(points.first() + QPointF(shift, 0));
    path.moveTo(last);
    for (qsizetype i = 1; i < points.size(); ++i) {
        const QPointF p = view.toFrame(points[i] + QPointF(shift, 0));
        if (i + 1 < points.size() && std::abs(p.x() - last.x()) < tolerance &&
            std::abs(p.y() - last.y()) < tolerance)
            continue;
        path.lineTo(p);
        last = p;
    }
    if (closed)
        path.closeSubpath();
}

QPainterPath shapesPath(const MapView& view, const QList<WorldMap::Shape>& shapes, bool closed,
                        double tolerance)
{
    const QRectF visible = view.visibleDegrees();
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const WorldMap::Shape& shape : shapes) {
        const auto [first, last] = turnsShown(shape.bounds, visible);
        for (int turn = first; turn <= last; ++turn)
            if (meets(shape.bounds, turn * 360.0, visible))
                addLine(path, view, shape.points, turn * 360.0, tolerance, closed);
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

void paintWorld(QPainter& painter, const MapView& view, const WorldMap& world,
                const MapStyle& style)
{
    painter.save();
    painter.setClipRect(view.frame());
    painter.fillRect(view.frame(), style.water);
    painter.setRenderHint(QPainter::Antialiasing);
    const double tolerance = style.detail;
    painter.setPen(QPen(style.coast, style.coastWidth));
    painter.setBrush(style.land);
    painter.drawPath(shapesPath(view, world.landShapes(), true, tolerance));
    painter.setPen(QPen(style.border, style.borderWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shapesPath(view, world.borderShapes(), false, tolerance));
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
        QPen pen(colour, leg.beyondRange || i + 1 == highlighted ? style.legWidth * 1.5
                                                                 : style.legWidth);
        pen.setCapStyle(Qt::RoundCap);
        if (leg.positioning)
            pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        QPainterPath path;
        for (int turn = first - 1; turn <= last + 1; ++turn)
            addLine(path, view, leg.points, turn * 360.0, 0.5, false);
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
        requests.append({at, QSizeF(metrics.horizontalAdvance(stop.id) + 2 * pad,
                                    metrics.height() + pad)});
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
