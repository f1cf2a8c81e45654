#pragma once

#include "gui/platform/colours.h"

#include <QPalette>
#include <QProxyStyle>
#include <QStyleOptionViewItem>

// The palette of a dark desktop theme, as the Fusion style's dark variants set it.
inline QPalette darkPalette()
{
    QPalette palette;
    const QColor window(53, 53, 53);
    const QColor base(42, 42, 42);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, Qt::white);
    palette.setColor(QPalette::PlaceholderText, QColor(127, 127, 127));
    return palette;
}

// The contrast a figure needs to be read on its field.
inline bool readsOn(const QColor& text, const QColor& background)
{
    return Colours::contrast(text, background) >= 4.5;
}

// A style that records each grid cell it is asked to draw: its text colour and the
// background it is drawn on (the selection, the cell's own brush, or the row's base).
struct CellRecorder : QProxyStyle
{
    struct Cell
    {
        QModelIndex index;
        QColor text;
        QColor background;
    };
    QList<Cell> cells;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option)) {
            const bool selected = item->state & State_Selected;
            const QBrush cell = item->backgroundBrush;
            const_cast<CellRecorder*>(this)->cells.append(
                {item->index,
                 item->palette.color(selected ? QPalette::HighlightedText : QPalette::Text),
                 selected ? item->palette.color(QPalette::Highlight)
                 : cell.style() != Qt::NoBrush
                     ? cell.color()
                     : item->palette.color(item->features & QStyleOptionViewItem::Alternate
                                               ? QPalette::AlternateBase
                                               : QPalette::Base)});
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};
