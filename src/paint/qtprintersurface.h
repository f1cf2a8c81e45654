#pragma once

#include "core/document/printersurface.h"

#include <QFont>
#include <QPainter>

class QFontMetricsF;
class QPagedPaintDevice;

// The printer surface on a paged device: a printer, or a PDF writer. The position
// is kept in twips and turned into device pixels at the printer's resolution;
// column widths and line heights come from the current font's metrics on that
// printer (the column width as Arial states it, see the source), so the
// document's columns fall where they were laid out.
class QtPrinterSurface : public PrinterSurface
{
public:
    // Starts painting on the device at once; the device must outlive the surface.
    explicit QtPrinterSurface(QPagedPaintDevice* device);
    ~QtPrinterSurface() override;

    QtPrinterSurface(const QtPrinterSurface&) = delete;
    QtPrinterSurface& operator=(const QtPrinterSurface&) = delete;

    // False when the printer (or the PDF file) could not be opened for painting.
    bool isActive() const;

    void print(const QString& text) override;
    void column(int n) override;
    void endLine() override;

    double x() const override { return m_x; }
    void setX(double twips) override { m_x = twips; }
    double y() const override { return m_y; }
    double pageHeight() const override;
    double lineHeight() const override;

    void setFontName(const QString& name) override;
    void setFontSize(double points) override;
    void setBold(bool on) override;
    void setItalic(bool on) override;
    void setUnderline(bool on) override;
    QString fontName() const override { return m_font.family(); }
    double fontSize() const override { return m_font.pointSizeF(); }
    bool bold() const override { return m_font.bold(); }
    bool italic() const override { return m_font.italic(); }
    bool underline() const override { return m_font.underline(); }

    bool image(const QString& path, double width, double height) override;
    void map(const RouteMap& route, double width, double height) override;
    void setDrawing(bool on) override;
    void newPage() override;
    int page() const override { return m_page; }
    void endDocument() override;

private:
    QFontMetricsF metrics() const;
    double toPixels(double twips) const;
    double toTwips(double pixels) const;

    QPagedPaintDevice* m_device;
    QPainter m_painter;
    QFont m_font;
    double m_x = 0;
    double m_y = 0;
    int m_page = 1;
    bool m_drawing = true;
    QFont m_fontBeforeCount; // the font when drawing was turned off
};
