#pragma once

#include "core/colours.h"

#include <QPalette>

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
