#pragma once

#include <QIcon>

// Icons made without looking for an image. The style's own warning sign is looked up in
// the desktop's icon theme, or read from images in several sizes, on the first paint of
// a list that shows one; and Qt asks every image format plugin on the machine whether it
// knows an image it is not told the format of.
namespace Icons {

// The sign of a short runway and of a leg beyond the aircraft's range: an amber
// triangle with an exclamation mark, drawn at the size asked for. It reads on light and
// dark lists and on a selected row.
QIcon warningSign();

// A PNG image, read as PNG without asking the plugins.
QIcon png(const QString& path);

} // namespace Icons
