#pragma once

#include <QRect>
#include <QString>

#include <optional>

// The main window's place on the desktop, kept from one run to the next in a section
// of its own of the settings file:
//
//   [WINDOW]
//   LEFT=120
//   TOP=80
//   WIDTH=1000
//   HEIGHT=640
//   MAXIMIZED=0
//
// Plain numbers rather than the blob of QWidget::saveGeometry(): the operators edit the
// file by hand, and the numbers say what they are; the rule that brings a window back
// onto the screen it opens on is ours either way (fitInto below).
struct WindowPlacement
{
    QRect normal; // the window's inside when neither maximised nor minimised, on the desktop
    bool maximized = false;
    // The route's map beside the route list (MAP=0 hides it; a file without the key
    // shows it).
    bool mapShown = true;

    bool operator==(const WindowPlacement&) const = default;

    // The placement the file holds; none when a key is missing or not a whole number,
    // or the size is not positive.
    static std::optional<WindowPlacement> read(const QString& settingsPath);

    // Writes the placement into the file as the file is now (the settings dialog writes
    // it too), whole or not at all; nothing is written when the file holds it already.
    // False, with the reason, when the file could not be written: it is left as it was.
    bool write(const QString& settingsPath, QString* error = nullptr) const;
};

// Where a window whose frame is `frame` goes within the available area of a screen:
// no larger than the area, and moved into it as little as it takes.
QRect fitInto(const QRect& frame, const QRect& available);
