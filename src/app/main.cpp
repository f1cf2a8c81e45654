#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"

#include <QApplication>
#include <QCommandLineParser>
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

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Quotes air charter trips.\n"
        "\n"
        "The program folder (the settings file, the database and the workgroup file) is, in "
        "this order: the folder --folder names; the folder the environment variable "
        "BRISKLANDER_HOME names; the program's own folder when a settings file named after "
        "the program (Brisklander.INI) lies there and may be written (a portable copy); "
        "otherwise $XDG_DATA_HOME/Brisklander (~/.local/share/Brisklander). A folder "
        "lacking its files is made and completed at the start; no file in it is ever "
        "replaced."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption folderOption(QStringLiteral("folder"),
                                          QStringLiteral("Use DIR as the program folder."),
                                          QStringLiteral("DIR"));
    parser.addOption(folderOption);
    parser.process(app);

    if (!StartApplication(StartOptions::fromApplication(parser.value(folderOption)),
                          [] { return new Brisklander; }))
        return 1;
    const int code = QApplication::exec();
    ReleaseSingleCopyLock();
    return code;
}
