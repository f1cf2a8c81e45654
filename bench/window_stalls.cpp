// What the operator feels of the work the window leaves for after its first paint (the
// airport list read into memory, Anything mode's search read and built): the program
// started on a program folder as its main() starts it, a timer asked to fire every
// millisecond, and the longest wait between two of its turns printed after three
// seconds, the start itself and its first paint left out. An idle Qt window waits a
// millisecond or two. Usage: window_stalls FOLDER LOCK

#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

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
    if (!StartApplication(options, [] { return new Brisklander; }))
        return 1;
    constexpr qint64 SettleMs = 80, WatchMs = 3000;
    QElapsedTimer sinceStart, sinceTurn;
    sinceStart.start();
    sinceTurn.start();
    qint64 longest = 0, longestAt = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 wait = sinceTurn.restart();
        if (sinceStart.elapsed() > SettleMs && wait > longest) {
            longest = wait;
            longestAt = sinceStart.elapsed();
        }
        if (sinceStart.elapsed() > WatchMs) {
            std::printf("longest wait %lld ms, %lld ms after the window was shown\n", longest,
                        longestAt);
            std::fflush(stdout);
            std::_Exit(0);
        }
    });
    tick.start(1);
    return QApplication::exec();
}
