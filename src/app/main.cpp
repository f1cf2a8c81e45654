#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"

#include <QApplication>
#include <QCommandLineParser>

namespace {

// The command line, described once for --help and read at the start.
struct Options
{
    QCommandLineParser parser;
    const QCommandLineOption folder{QStringLiteral("folder"),
                                    QStringLiteral("Use DIR as the program folder."),
                                    QStringLiteral("DIR")};

    Options()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Quotes air charter trips.\n"
            "\n"
            "The program folder (the settings file, the database and the workgroup file) is, "
            "in this order: the folder --folder names; the folder the environment variable "
            "BRISKLANDER_HOME names; the program's own folder when a settings file named "
            "after the program (Brisklander.INI) lies there and may be written (a portable "
            "copy); otherwise $XDG_DATA_HOME/Brisklander (~/.local/share/Brisklander). A "
            "folder lacking its files is made and completed at the start; no file in it is "
            "ever replaced."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(folder);
    }
};

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Brisklander"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRISKLANDER_VERSION));
}

// True when the command line asks only for text (help, version) or is wrong, which is
// answered on the terminal: no display needed.
bool answeredAsText(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Options options;
    return !options.parser.parse(arguments) || options.parser.isSet(QStringLiteral("help")) ||
           options.parser.isSet(QStringLiteral("help-all")) ||
           options.parser.isSet(QStringLiteral("version"));
}

} // namespace

int main(int argc, char** argv)
{
    if (answeredAsText(argc, argv)) {
        // Answered from a terminal without a desktop too: no window system is reached.
        QCoreApplication app(argc, argv);
        nameApplication();
        Options options;
        options.parser.process(app); // prints the text and ends the process
        return 1;
    }
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.brisklander.Brisklander"));
    nameApplication();
    Options options;
    options.parser.process(app);

    StartOptions start = StartOptions::fromApplication(options.parser.value(options.folder));
    // The icon of every window where the desktop takes it from the window (X11); a Wayland
    // desktop finds the installed desktop entry, and so the icon, by the entry's name.
    start.windowIcon = QStringLiteral(":/icons/io.github.brisklander.Brisklander-128.png");
    if (!StartApplication(start, [] { return new Brisklander; }))
        return 1;
    const int code = QApplication::exec();
    ReleaseSingleCopyLock();
    return code;
}
