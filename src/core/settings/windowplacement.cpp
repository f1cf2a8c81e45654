#include "core/settings/windowplacement.h"

#include "core/settings/inifile.h"

#include <algorithm>

namespace {

const QString Section = QStringLiteral("WINDOW");

const char* const Keys[] = {"LEFT", "TOP", "WIDTH", "HEIGHT", "MAXIMIZED"};

QList<int> numbers(const WindowPlacement& placement)
{
    const QRect& r = placement.normal;
    return {r.x(), r.y(), r.width(), r.height(), placement.maximized ? 1 : 0};
}

} // namespace

std::optional<WindowPlacement> WindowPlacement::read(const QString& settingsPath)
{
    IniFile file(settingsPath);
    if (!file.load())
        return std::nullopt;
    int values[std::size(Keys)];
    for (size_t i = 0; i < std::size(Keys); ++i) {
        bool ok = false;
        values[i] = file.value(Section, QString::fromLatin1(Keys[i])).toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    WindowPlacement placement;
    placement.normal = QRect(values[0], values[1], values[2], values[3]);
    placement.maximized = values[4] != 0;
    placement.mapShown = file.value(Section, QStringLiteral("MAP")).trimmed() != u"0";
    if (placement.normal.width() <= 0 || placement.normal.height() <= 0)
        return std::nullopt;
    return placement;
}

bool WindowPlacement::write(const QString& settingsPath, QString* error) const
{
    if (read(settingsPath) == *this)
        return true;
    IniFile file(settingsPath);
    if (!file.load()) {
        if (error)
            *error = QStringLiteral("The file cannot be read.");
        return false;
    }
    const QList<int> values = numbers(*this);
    for (size_t i = 0; i < std::size(Keys); ++i)
        file.setValue(Section, QString::fromLatin1(Keys[i]), QString::number(values[int(i)]));
    file.setValue(Section, QStringLiteral("MAP"),
                  mapShown ? QStringLiteral("1") : QStringLiteral("0"));
    return file.save(error);
}

QRect fitInto(const QRect& frame, const QRect& available)
{
    QRect fitted(frame.topLeft(), frame.size().boundedTo(available.size()));
    fitted.moveLeft(std::clamp(fitted.left(), available.left(),
                               available.left() + available.width() - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), available.top(),
                              available.top() + available.height() - fitted.height()));
    return fitted;
}
