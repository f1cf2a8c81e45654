#pragma once

#include "core/map/mapview.h"
#include "core/map/routemap.h"
#include "paint/mappainter.h"

#include <QPixmap>
#include <QPoint>
#include <QWidget>

#include <optional>

// The route on the world map, beside the route list: every stop labelled, every leg a
// great circle, the selected stop and the leg that ends there highlighted. It shows the
// whole route whenever the route changes; the operator pans and zooms with the mouse
// (drag, wheel, double-click to see the whole route again) or the keys (arrows, + and -,
// Home). The world is read on another thread the first time a map is shown, and drawn
// once for each view: a repaint for anything else (a keystroke elsewhere, the selection)
// only copies it.
class RouteMapView : public QWidget
{
    Q_OBJECT

public:
    explicit RouteMapView(QWidget* parent = nullptr);

    // A new route: the view fits it again.
    void setRoute(const RouteMap& route);
    const RouteMap& route() const { return m_route; }
    // The stop whose route row is selected, -1 for none.
    void setHighlighted(int stop);
    int highlighted() const { return m_highlighted; }
    const MapView& view() const { return m_view; }

    QSize sizeHint() const override { return {360, 220}; }
    QSize minimumSizeHint() const override { return {80, 40}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void fit();
    void setView(const MapView& view);
    // A view the operator chose: kept at a resize, until the route changes.
    void moveView(const MapView& view);
    bool worldReady();

    MapStyle m_style;
    RouteMap m_route;
    MapView m_view;
    int m_highlighted = -1;
    bool m_fitted = true;
    // The world drawn for m_view at the widget's size and pixel ratio.
    QPixmap m_world;
    std::optional<QPoint> m_dragFrom;
};
