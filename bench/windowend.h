#pragma once

// Ends a window program of the start-up benchmark once a list of its window has been
// painted and the paint is done.

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QEvent>

#include <cstdlib>

inline void endAtFirstPaint(QWidget* window)
{
    struct EndAtPaint : QObject
    {
        using QObject::QObject;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::HighEventPriority);
            return false;
        }
        bool event(QEvent* event) override
        {
            if (event->type() == QEvent::User)
                std::_Exit(0);
            return QObject::event(event);
        }
    };
    auto* filter = new EndAtPaint(window);
    for (QAbstractItemView* view : window->findChildren<QAbstractItemView*>())
        view->viewport()->installEventFilter(filter);
}
