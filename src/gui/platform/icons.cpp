#include "gui/platform/icons.h"

#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Icon engines draw into a pixmap cleared first.
QPixmap drawnPixmap(QIconEngine& engine, const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    engine.paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pixmap;
}

class WarningSignEngine final : public QIconEngine
{
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        const qreal side = qMin(rect.width(), rect.height());
        if (side <= 0)
            return;
        const QRectF box(rect.x() + (rect.width() - side) / 2,
                         rect.y() + (rect.height() - side) / 2, side, side);
        const qreal line = qMax<qreal>(1, side / 16);
        QPainterPath triangle;
        triangle.moveTo(box.center().x(), box.top() + line);
        triangle.lineTo(box.right() - line / 2, box.bottom() - line);
        triangle.lineTo(box.left() + line / 2, box.bottom() - line);
        triangle.closeSubpath();

        const bool disabled = mode == QIcon::Disabled;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(disabled ? QColor(0x70, 0x70, 0x70) : QColor(0x7a, 0x4a, 0x00), line,
                             Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->setBrush(disabled ? QColor(0xb8, 0xb8, 0xb8) : QColor(0xf5, 0xb4, 0x00));
        painter->drawPath(triangle);
        // The mark: a bar and a dot, on the triangle's axis.
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(0x20, 0x20, 0x20));
        const qreal x = box.center().x();
        const qreal bar = qMax<qreal>(1.5, side * 0.13);
        painter->drawRoundedRect(QRectF(x - bar / 2, box.top() + side * 0.34, bar, side * 0.33),
                                 bar / 3, bar / 3);
        painter->drawEllipse(QPointF(x, box.top() + side * 0.78), bar * 0.55, bar * 0.55);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return drawnPixmap(*this, size, mode, state);
    }

    bool isNull() override { return false; }
    QIconEngine* clone() const override { return new WarningSignEngine; }
    QString key() const override { return QStringLiteral("WarningSign"); }
};

} // namespace

namespace Icons {

QIcon warningSign()
{
    return QIcon(new WarningSignEngine);
}

QIcon png(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

} // namespace Icons
