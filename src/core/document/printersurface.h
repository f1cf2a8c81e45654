#pragma once

#include <QString>

class RouteMap;

// A page the quote document is written on, item by item, as on a line printer
// with fonts: a current position, a current font, column moves by the average
// character width of that font, new pages. Positions are in twips (1/1440 inch)
// from the top left of the printable area.
class PrinterSurface
{
public:
    virtual ~PrinterSurface() = default;

    // Prints text at the current position and moves to its right end.
    virtual void print(const QString& text) = 0;
    // Moves to column n (1 = the left edge) of the current line; when the position is
    // already past it, to column n of the next line. The column width is the average
    // character width of the current font.
    virtual void column(int n) = 0;
    // Moves to the left edge of the next line (the line height of the current font).
    virtual void endLine() = 0;

    virtual double x() const = 0;
    virtual void setX(double twips) = 0;
    virtual double y() const = 0;
    // The height of the printable area: a line whose top lies at y needs y plus its
    // line height to be no more than this.
    virtual double pageHeight() const = 0;
    // The line height of the current font.
    virtual double lineHeight() const = 0;

    virtual void setFontName(const QString& name) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void setBold(bool on) = 0;
    virtual void setItalic(bool on) = 0;
    virtual void setUnderline(bool on) = 0;
    virtual QString fontName() const = 0;
    virtual double fontSize() const = 0;
    virtual bool bold() const = 0;
    virtual bool italic() const = 0;
    virtual bool underline() const = 0;

    // Draws the image file at the current position, scaled to fit a box of width by
    // height twips with its proportions kept, and moves to the left edge below it.
    // A file that is missing or holds no image the surface reads draws nothing and
    // moves nowhere: false.
    virtual bool image(const QString& path, double width, double height) = 0;

    // Draws the route on the world map in a box of width by height twips at the current
    // position, the route fitted into it, and moves to the left edge below it.
    virtual void map(const RouteMap& route, double width, double height) = 0;

    // While off, the document is only laid out: print() and image() move the position
    // and newPage() counts the page, but nothing reaches the pages. Turning it on
    // again starts over at the top of page 1 in the font the surface had when it was
    // turned off.
    virtual void setDrawing(bool on) = 0;

    virtual void newPage() = 0;
    virtual int page() const = 0;
    // Ends the document: the job goes to the printer (or the file).
    virtual void endDocument() = 0;
};
