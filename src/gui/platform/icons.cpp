#include "gui/platform/icons.h"

#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <map>
#include <tuple>

namespace {

// The sign drawn in the square in the middle of `rect`.
void drawWarningSign(QPainter* painter, const QRectF& rect, QIcon::Mode mode)
{
    const qreal side = qMin(rect.width(), rect.height());
    const QRectF box(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2,
                     side, side);
    const qreal line = qMax<qreal>(1, side / 16);
    QPainterPath triangle;
    triangle.moveTo(box.center().x(), box.top() + line);
    triangle.lineTo(box.right() - line / 2, box.bottom() - line);
    triangle.lineTo(box.left() + line / 2, box.bottom() - line);
    triangle.closeSubpath();

    const bool disabled = mode == QIcon::Disabled;
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
}

// Each size and mode is drawn once and kept: a list paints the sign on every row it
// marks, at every paint.
class WarningSignEngine final : public QIconEngine
{
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        QPixmap sign = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        sign.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect.topLeft(), sign);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        if (size.isEmpty())
            return QPixmap();
        const auto key = std::make_tuple(size.width(), size.height(), int(mode));
        const auto kept = m_drawn.find(key);
        if (kept != m_drawn.end())
            return kept->second;
        QPixmap drawn(size);
        drawn.fill(Qt::transparent);
        {
            QPainter painter(&drawn);
            drawWarningSign(&painter, QRectF(QPointF(0, 0), size), mode);
        }
        m_drawn.emplace(key, drawn);
        return drawn;
    }

    bool isNull() override { return false; }
    QIconEngine* clone() const override { return new WarningSignEngine; }
    QString key() const override { return QStringLiteral("WarningSign"); }

private:
    std::map<std::tuple<int, int, int>, QPixmap> m_drawn;
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
