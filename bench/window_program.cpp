// The program's start as its main() makes it, on a program folder, ended at the first
// paint of the airport list, before whatever the window leaves for later; or, with
// "complete", once the window has built every control. It links what the program
// links and no benchmark library.
// Usage: window_program FOLDER LOCK [complete]

#include "windowend.h"

#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"

#include <QApplication>

#include <cstring>

namespace {

// Ends the process at the first event after the window has built every control.
void endWhenComplete(Brisklander* window)
{
    struct EndWhenComplete : QObject
    {
        EndWhenComplete(Brisklander* window) : QObject(window), m_window(window) {}
        bool eventFilter(QObject*, QEvent*) override
        {
            if (m_window->isComplete())
                std::_Exit(0);
            return false;
        }
        Brisklander* m_window;
    };
    qApp->installEventFilter(new EndWhenComplete(window));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    // As the program's main() does.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.brisklander.Brisklander"));
    StartOptions options;
    options.programFolder = QString::fromLocal8Bit(argv[1]);
    options.executableName = QStringLiteral("Brisklander");
    options.lockPath = QString::fromLocal8Bit(argv[2]);
    options.windowIcon = QStringLiteral(":/icons/io.github.brisklander.Brisklander-128.png");
    const bool complete = argc > 3 && std::strcmp(argv[3], "complete") == 0;
    if (!StartApplication(options, [complete] {
            auto* window = new Brisklander;
            if (complete)
                endWhenComplete(window);
            else
                endAtFirstPaint(window);
            return window;
        }))
        return 1;
    return QApplication::exec();
}
