#include "gui/mainwindow/routemapview.h"

#include "core/map/worldmap.h"
#include "paint/mappainter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

#include <chrono>
#include <cmath>
#include <future>

namespace {

// The built-in world, read once on another thread so that no window waits for it, from
// when the first map is on screen (`start`); not valid before. The windows' thread alone
// calls it.
std::shared_future<const WorldMap*> worldLoading(bool start = false)
{
    static std::shared_future<const WorldMap*> loading;
    if (start && !loading.valid())
        loading = std::async(std::launch::async, [] { return &WorldMap::builtIn(); }).share();
    return loading;
}

constexpr double ZoomStep = 1.5;

} // namespace

RouteMapView::RouteMapView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("RouteMap"));
    setAccessibleName(QStringLiteral("Map")); // the caption of its frame
    setToolTip(QStringLiteral("Drag to move the map, turn the wheel to zoom, double-click to "
                              "see the whole route"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_style = MapStyle::forResolution(96);
    // The labels in the window's own font, bold as the group boxes' titles: no other font
    // to look up before the first paint.
    m_style.labelFont = font();
    m_style.labelFont.setBold(true);
}

void RouteMapView::setRoute(const RouteMap& route)
{
    m_route = route;
    fit();
    update();
}

void RouteMapView::setHighlighted(int stop)
{
    if (stop == m_highlighted)
        return;
    m_highlighted = stop;
    update();
}

void RouteMapView::fit()
{
    setView(MapPainter::fittedView(m_route, QRectF(rect())));
    m_fitted = true;
}

void RouteMapView::moveView(const MapView& view)
{
    m_fitted = false;
    setView(view);
}

void RouteMapView::setView(const MapView& view)
{
    if (view == m_view)
        return;
    m_view = view;
    m_world = QPixmap();
    update();
}

bool RouteMapView::worldReady()
{
    const std::shared_future<const WorldMap*> loading = worldLoading();
    return loading.valid() &&
           loading.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

void RouteMapView::paintEvent(QPaintEvent*)
{
    const MapStyle& style = m_style;
    const qreal ratio = devicePixelRatioF();
    if (m_world.isNull() || m_world.size() != size() * ratio) {
        if (worldReady()) {
            m_world = QPixmap(size() * ratio);
            m_world.setDevicePixelRatio(ratio);
            QPainter painter(&m_world);
            MapPainter::paintWorld(painter, m_view, *worldLoading().get(), style);
        } else {
            // The world is read once the window is on screen, and drawn when it is there.
            m_world = QPixmap();
            QTimer::singleShot(30, this, [this] {
                worldLoading(true);
                update();
            });
        }
    }
    QPainter painter(this);
    if (m_world.isNull())
        painter.fillRect(rect(), style.water);
    else
        painter.drawPixmap(0, 0, m_world);
    MapPainter::paintRoute(painter, m_view, m_route, style, m_highlighted);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

// A map the operator has not moved shows the whole route at every size; one moved keeps
// what it showed.
void RouteMapView::resizeEvent(QResizeEvent*)
{
    if (m_fitted)
        fit();
    else
        setView(m_view.reframed(QRectF(rect())));
}

void RouteMapView::keyPressEvent(QKeyEvent* event)
{
    const QPointF centre = QRectF(rect()).center();
    const double stepX = width() / 8.0, stepY = height() / 8.0;
    switch (event->key()) {
    case Qt::Key_Left:
        moveView(m_view.panned({stepX, 0}));
        break;
    case Qt::Key_Right:
        moveView(m_view.panned({-stepX, 0}));
        break;
    case Qt::Key_Up:
        moveView(m_view.panned({0, stepY}));
        break;
    case Qt::Key_Down:
        moveView(m_view.panned({0, -stepY}));
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        moveView(m_view.zoomed(ZoomStep, centre));
        break;
    case Qt::Key_Minus:
        moveView(m_view.zoomed(1 / ZoomStep, centre));
        break;
    case Qt::Key_Home:
    case Qt::Key_0:
        fit();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void RouteMapView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragFrom = event->position().toPoint();
        setCursor(Qt::ClosedHandCursor);
    }
    QWidget::mousePressEvent(event);
}

void RouteMapView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragFrom)
        return;
    const QPoint at = event->position().toPoint();
    moveView(m_view.panned(at - *m_dragFrom));
    m_dragFrom = at;
}

void RouteMapView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_dragFrom) {
        m_dragFrom.reset();
        unsetCursor();
    }
}

void RouteMapView::mouseDoubleClickEvent(QMouseEvent*)
{
    fit();
}

void RouteMapView::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0)
        moveView(m_view.zoomed(std::pow(ZoomStep, steps), event->position()));
    event->accept();
}
