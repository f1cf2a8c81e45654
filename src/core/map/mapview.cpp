#include "core/map/mapview.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double MaximumParallel = 60;
constexpr double ClosestSpan = 0.01; // degrees across the frame's shorter side

} // namespace

MapView MapView::fit(const QRectF& degrees, const QRectF& frame, double margin, double minimumSpan)
{
    MapView view;
    view.m_frame = frame;
    QRectF shown = degrees.normalized();
    if (shown.width() > 360)
        shown = QRectF(shown.center().x() - 180, shown.top(), 360, shown.height());
    if (shown.width() < minimumSpan)
        shown.adjust(-(minimumSpan - shown.width()) / 2, 0, (minimumSpan - shown.width()) / 2, 0);
    if (shown.height() < minimumSpan)
        shown.adjust(0, -(minimumSpan - shown.height()) / 2, 0, (minimumSpan - shown.height()) / 2);
    view.m_centre = shown.center();
    const double parallel =
        std::clamp(view.m_centre.y(), -MaximumParallel, MaximumParallel) * std::numbers::pi / 180;
    view.m_parallel = std::cos(parallel);
    const double width = frame.width() * (1 - 2 * margin);
    const double height = frame.height() * (1 - 2 * margin);
    view.m_scale = std::min(width / (shown.width() * view.m_parallel), height / shown.height());
    return view.clamped();
}

QPointF MapView::toFrame(QPointF degrees) const
{
    return QPointF(m_frame.center().x() + (degrees.x() - m_centre.x()) * m_scale * m_parallel,
                   m_frame.center().y() - (degrees.y() - m_centre.y()) * m_scale);
}

QPointF MapView::toDegrees(QPointF framePoint) const
{
    return QPointF(m_centre.x() + (framePoint.x() - m_frame.center().x()) / (m_scale * m_parallel),
                   m_centre.y() - (framePoint.y() - m_frame.center().y()) / m_scale);
}

QRectF MapView::visibleDegrees() const
{
    const QPointF topLeft = toDegrees(m_frame.topLeft());
    const QPointF bottomRight = toDegrees(m_frame.bottomRight());
    return QRectF(QPointF(topLeft.x(), bottomRight.y()), QPointF(bottomRight.x(), topLeft.y()));
}

MapView MapView::panned(QPointF frameDelta) const
{
    MapView view = *this;
    view.m_centre = toDegrees(m_frame.center() - frameDelta);
    return view.clamped();
}

MapView MapView::zoomed(double factor, QPointF framePoint) const
{
    MapView view = *this;
    const QPointF under = toDegrees(framePoint);
    view.m_scale = m_scale * factor;
    view = view.clamped();
    // Move the centre so that `under` lies at framePoint again.
    view.m_centre += under - view.toDegrees(framePoint);
    return view.clamped();
}

MapView MapView::reframed(const QRectF& frame) const
{
    const QRectF shown = visibleDegrees();
    MapView view = *this;
    view.m_frame = frame;
    if (!frame.isEmpty() && !m_frame.isEmpty())
        view.m_scale =
            std::min(frame.width() / (shown.width() * m_parallel), frame.height() / shown.height());
    return view.clamped();
}

MapView MapView::clamped() const
{
    MapView view = *this;
    const double side = std::min(m_frame.width(), m_frame.height());
    if (side > 0) {
        view.m_scale = std::clamp(view.m_scale, m_frame.height() / 180, side / ClosestSpan);
        // Latitudes stay within the world: the centre no further than the frame's half
        // height inside the poles, or the equator when the whole world fits.
        const double half = m_frame.height() / 2 / view.m_scale;
        view.m_centre.setY(half >= 90 ? 0 : std::clamp(view.m_centre.y(), -90 + half, 90 - half));
    }
    return view;
}
