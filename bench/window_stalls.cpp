// What the operator feels of the work the window leaves for after its first paint (the
// airport list read into memory, Anything mode's search read and built): the program
// started on a program folder as its main() starts it, a timer asked to fire every
// millisecond from the end of the airport list's first paint on, and the longest wait
// between two of its turns in the three seconds after that paint printed. An idle Qt
// window waits a millisecond or two. Usage: window_stalls FOLDER LOCK

#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// Starts a timer at the first paint of a list of the window.
class AtFirstPaint : public QObject
{
public:
    AtFirstPaint(QWidget* window, QTimer* timer) : QObject(window), m_timer(timer)
    {
        for (QAbstractItemView* view : window->findChildren<QAbstractItemView*>())
            view->viewport()->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_timer->isActive())
            m_timer->start(1);
        return false;
    }

private:
    QTimer* m_timer;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    StartOptions options;
    options.programFolder = QString::fromLocal8Bit(argv[1]);
    options.executableName = QStringLiteral("Brisklander");
    options.lockPath = QString::fromLocal8Bit(argv[2]);
    QTimer tick;
    if (!StartApplication(options, [&tick] {
            auto* window = new Brisklander;
            new AtFirstPaint(window, &tick);
            return window;
        }))
        return 1;
    constexpr qint64 WatchMs = 3000;
    QElapsedTimer sincePaint, sinceTurn;
    qint64 longest = 0, longestAt = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (!sincePaint.isValid()) {
            // The first turn after the paint: the watch begins.
            sincePaint.start();
            sinceTurn.start();
            return;
        }
        const qint64 wait = sinceTurn.restart();
        if (wait > longest) {
            longest = wait;
            longestAt = sincePaint.elapsed();
        }
        if (sincePaint.elapsed() > WatchMs) {
            std::printf("longest wait %lld ms, %lld ms after the first paint\n", longest,
                        longestAt);
            std::fflush(stdout);
            std::_Exit(0);
        }
    });
    return QApplication::exec();
}
