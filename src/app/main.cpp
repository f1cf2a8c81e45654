#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The icon of every window where the desktop takes it from the window (X11); a Wayland
    // desktop finds the installed desktop entry, and so the icon, by the entry's name.
    QApplication::setWindowIcon(
        QIcon(QStringLiteral(":/icons/io.github.brisklander.Brisklander-128.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.brisklander.Brisklander"));
    QApplication::setApplicationName(QStringLiteral("Brisklander"));
    QApplication::setApplicationVersion(QStringLiteral(BRISKLANDER_VERSION));
    if (!StartApplication(StartOptions::fromApplication(), [] { return new Brisklander; }))
        return 1;
    const int code = QApplication::exec();
    ReleaseSingleCopyLock();
    return code;
}
