#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

// The named child of a window or dialog; a test without the control it drives stops.
template <typename T> T* child(const QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}
