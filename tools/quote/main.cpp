// brisklander-quote: the quote of the main window from the command line (quotetool.h).

#include "quotetool.h"

#include <QGuiApplication>

#include <memory>

int main(int argc, char** argv)
{
    // The PDF writer needs the fonts of a Gui application (no window is ever shown);
    // everything else runs on Qt Core alone.
    bool pdf = false;
    for (int i = 1; i < argc; ++i)
        pdf = pdf || QByteArray(argv[i]).startsWith("--pdf");
    if (pdf && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(pdf ? new QGuiApplication(argc, argv)
                                              : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("brisklander-quote"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRISKLANDER_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runQuoteTool(QCoreApplication::arguments().mid(1), out, err);
}
