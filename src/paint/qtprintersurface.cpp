#include "paint/qtprintersurface.h"

#include <QFontMetricsF>
#include <QImage>
#include <QImageReader>
#include <QPagedPaintDevice>

#include "core/map/worldmap.h"
#include "paint/mappainter.h"

namespace {

constexpr double TwipsPerInch = 1440;

// The average character width as fonts used to state it: the lowercase letters and
// the blank weighted by how often they occur in English text (the weights sum to
// 1000). Arial states 904/2048 em this way, and the document's columns were laid
// out with it. Liberation Sans has Arial's advances but states the plain average
// over all its glyphs (0.58 em), which would push the right-hand columns off the
// page; weighting its own advances gives Arial's figure back. For a fixed-pitch
// font both come to the one advance.
double weightedAverageCharWidth(const QFontMetricsF& fm)
{
    static constexpr int Weights[26] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3,  6, 35, 20,
                                        56, 56, 17, 4,  49,  56, 71, 31, 10, 18, 3, 18, 2};
    double sum = 166 * fm.horizontalAdvance(QLatin1Char(' '));
    for (int i = 0; i < 26; ++i)
        sum += Weights[i] * fm.horizontalAdvance(QLatin1Char(char('a' + i)));
    return sum / 1000;
}

} // namespace

QtPrinterSurface::QtPrinterSurface(QPagedPaintDevice* device)
    : m_device(device), m_font(QStringLiteral("Arial"), 10)
{
    m_painter.begin(m_device);
}

// A surface dropped before endDocument (a failure while composing) still ends its
// painter, so the pages composed so far go out.
QtPrinterSurface::~QtPrinterSurface() = default;

bool QtPrinterSurface::isActive() const
{
    return m_painter.isActive();
}

void QtPrinterSurface::print(const QString& text)
{
    const QFontMetricsF fm = metrics();
    if (m_drawing && m_painter.isActive()) {
        m_painter.setFont(m_font);
        m_painter.drawText(QPointF(toPixels(m_x), toPixels(m_y) + fm.ascent()), text);
    }
    m_x += toTwips(fm.horizontalAdvance(text));
}

void QtPrinterSurface::column(int n)
{
    const double target = (n - 1) * toTwips(weightedAverageCharWidth(metrics()));
    if (m_x > target)
        endLine();
    m_x = target;
}

void QtPrinterSurface::endLine()
{
    m_x = 0;
    m_y += lineHeight();
}

// The painter's origin is the top left of the printable area, and the printer's
// height is that area's, in the orientation chosen.
double QtPrinterSurface::pageHeight() const
{
    return toTwips(m_device->height());
}

double QtPrinterSurface::lineHeight() const
{
    return toTwips(metrics().lineSpacing());
}

void QtPrinterSurface::setFontName(const QString& name)
{
    m_font.setFamily(name);
}

void QtPrinterSurface::setFontSize(double points)
{
    m_font.setPointSizeF(points);
}

void QtPrinterSurface::setBold(bool on)
{
    m_font.setBold(on);
}

void QtPrinterSurface::setItalic(bool on)
{
    m_font.setItalic(on);
}

void QtPrinterSurface::setUnderline(bool on)
{
    m_font.setUnderline(on);
}

bool QtPrinterSurface::image(const QString& path, double width, double height)
{
    QImageReader reader(path);
    const QImage picture = reader.read();
    if (picture.isNull())
        return false;
    const QSizeF size =
        QSizeF(picture.size()).scaled(toPixels(width), toPixels(height), Qt::KeepAspectRatio);
    if (m_drawing && m_painter.isActive())
        m_painter.drawImage(QRectF(QPointF(toPixels(m_x), toPixels(m_y)), size), picture);
    m_x = 0;
    m_y += toTwips(size.height());
    return true;
}

void QtPrinterSurface::map(const RouteMap& route, double width, double height)
{
    if (m_drawing && m_painter.isActive()) {
        const QRectF box(toPixels(m_x), toPixels(m_y), toPixels(width), toPixels(height));
        const MapStyle style = MapStyle::forResolution(m_device->logicalDpiY());
        MapPainter::paintFitted(m_painter, box, WorldMap::builtIn(), route, style);
        m_painter.save();
        m_painter.setPen(QPen(style.coast, style.coastWidth));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(box);
        m_painter.restore();
    }
    m_x = 0;
    m_y += height;
}

void QtPrinterSurface::setDrawing(bool on)
{
    if (on == m_drawing)
        return;
    m_drawing = on;
    if (!on) {
        m_fontBeforeCount = m_font;
        return;
    }
    m_font = m_fontBeforeCount;
    m_x = m_y = 0;
    m_page = 1;
}

void QtPrinterSurface::newPage()
{
    if (m_drawing)
        m_device->newPage();
    m_x = 0;
    m_y = 0;
    ++m_page;
}

void QtPrinterSurface::endDocument()
{
    if (m_painter.isActive())
        m_painter.end();
}

QFontMetricsF QtPrinterSurface::metrics() const
{
    return QFontMetricsF(m_font, m_device);
}

double QtPrinterSurface::toPixels(double twips) const
{
    return twips * m_device->logicalDpiY() / TwipsPerInch;
}

double QtPrinterSurface::toTwips(double pixels) const
{
    return pixels * TwipsPerInch / m_device->logicalDpiY();
}
