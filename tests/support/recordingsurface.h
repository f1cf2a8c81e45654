#pragma once

#include "core/document/printersurface.h"
#include "core/map/routemap.h"

#include <QFileInfo>
#include <QList>
#include <QStringList>

// A printer surface that keeps everything written on it, with fixed metrics close
// to real ones: a line is 1.15 times the point size high, a column is half the
// point size wide in Arial and 0.6 of it in Courier New, and every character of a
// text is one column wide. The page is a portrait Letter page unless a test sets
// another height.
class RecordingSurface : public PrinterSurface
{
public:
    // The printable height of the page with the printer's usual margins of 10 points.
    static constexpr double LetterPortrait = (792 - 20) * 20.0;

    struct Font
    {
        QString name = QStringLiteral("Arial");
        double size = 10;
        bool bold = false, italic = false, underline = false;
    };
    struct Item
    {
        QString text;
        double x = 0, y = 0;
        int page = 1, line = 0; // the line counted from 0 on each page, empty lines included
        Font font;
        // `Courier New 10 BU x7440 "$  4,105.59"`: the font, its styles, x in twips, the text.
        QString look() const
        {
            const QString styles = QString(font.bold ? "B" : "") + (font.italic ? "I" : "") +
                                   (font.underline ? "U" : "");
            return QStringLiteral("%1 %2%3 x%4 \"%5\"")
                .arg(font.name)
                .arg(font.size)
                .arg(styles.isEmpty() ? styles : ' ' + styles)
                .arg(x)
                .arg(text);
        }
    };

    QList<Item> items;
    bool ended = false; // endDocument() was called

    // Every item, one a line: its page, its line on the page, y in twips, its look().
    QStringList drawing() const
    {
        QStringList result;
        for (const Item& item : items)
            result
                << QStringLiteral("%1 %2 y%3 ").arg(item.page).arg(item.line, 2).arg(item.y, -5) +
                       item.look();
        return result;
    }

    static double lineHeight(const Font& font) { return font.size * 20 * 1.15; }
    double lineHeight() const override { return lineHeight(m_font); }
    double columnWidth() const
    {
        return m_font.size * 20 * (m_font.name == QLatin1String("Courier New") ? 0.6 : 0.5);
    }

    void print(const QString& text) override
    {
        if (m_drawing)
            items.append({text, m_x, m_y, m_page, m_line, m_font});
        m_x += static_cast<double>(text.size()) * columnWidth();
    }
    void column(int n) override
    {
        if (m_x > (n - 1) * columnWidth())
            endLine();
        m_x = (n - 1) * columnWidth();
    }
    void endLine() override
    {
        m_x = 0;
        m_y += lineHeight();
        ++m_line;
    }
    // An image fills its box; only a file that is not there counts as unreadable.
    bool image(const QString& path, double width, double height) override
    {
        if (!QFileInfo::exists(path))
            return false;
        if (m_drawing)
            items.append({QStringLiteral("[image %1 %2x%3]")
                              .arg(QFileInfo(path).fileName())
                              .arg(width)
                              .arg(height),
                          m_x, m_y, m_page, m_line, m_font});
        m_x = 0;
        m_y += height;
        return true;
    }
    // A map is its box and its stops: "[map KJFK KLAX 9360x5040]".
    void map(const RouteMap& route, double width, double height) override
    {
        QStringList stops;
        for (const RouteMap::Stop& stop : route.stops())
            stops << stop.id;
        if (m_drawing)
            items.append(
                {QStringLiteral("[map %1 %2x%3]").arg(stops.join(u' ')).arg(width).arg(height), m_x,
                 m_y, m_page, m_line, m_font});
        m_x = 0;
        m_y += height;
    }
    void newPage() override
    {
        ++m_page;
        m_x = m_y = m_line = 0;
    }
    int page() const override { return m_page; }
    void setDrawing(bool on) override
    {
        if (!on)
            m_fontBeforeCount = m_font;
        else if (!m_drawing)
            m_font = m_fontBeforeCount, m_x = m_y = m_line = 0, m_page = 1;
        m_drawing = on;
    }
    void endDocument() override { ended = true; }

    double x() const override { return m_x; }
    void setX(double twips) override { m_x = twips; }
    double y() const override { return m_y; }
    double pageHeight() const override { return m_pageHeight; }
    void setPageHeight(double twips) { m_pageHeight = twips; }

    void setFontName(const QString& name) override { m_font.name = name; }
    void setFontSize(double points) override { m_font.size = points; }
    void setBold(bool on) override { m_font.bold = on; }
    void setItalic(bool on) override { m_font.italic = on; }
    void setUnderline(bool on) override { m_font.underline = on; }
    QString fontName() const override { return m_font.name; }
    double fontSize() const override { return m_font.size; }
    bool bold() const override { return m_font.bold; }
    bool italic() const override { return m_font.italic; }
    bool underline() const override { return m_font.underline; }

private:
    Font m_font, m_fontBeforeCount;
    bool m_drawing = true;
    double m_x = 0, m_y = 0, m_pageHeight = LetterPortrait;
    int m_page = 1, m_line = 0;
};
