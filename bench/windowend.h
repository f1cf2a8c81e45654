#pragma once

// Ends a window program of the start-up benchmark once a list of its window has been
// painted and the paint is done; and the main() of those that show a database.

#include <QAbstractItemView>
#include <QApplication>
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

// Starts a window on the database named by the only argument, offscreen unless told
// otherwise, and ends at its first paint.
template <class Window> int showDatabaseWindow(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    Window window(QString::fromLocal8Bit(argv[1]));
    endAtFirstPaint(&window);
    window.show();
    return QApplication::exec();
}
