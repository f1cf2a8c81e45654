// brisklander-quote: the quote of the main window from the command line (quotetool.h).

#include "quotetool.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brisklander-quote"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRISKLANDER_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    // Only a PDF needs Qt Gui, whose thirty-odd libraries every other run would load for
    // nothing: a run that asks for one becomes brisklander-quote-pdf, same arguments.
    bool pdf = false;
    for (int i = 1; i < argc; ++i)
        pdf = pdf || QByteArray(argv[i]).startsWith("--pdf");
    if (pdf) {
        const QString helper = helperProgram(QCoreApplication::applicationDirPath(),
                                             QStringLiteral("brisklander-quote-pdf"));
        if (!helper.isEmpty()) {
            const QByteArray path = QFile::encodeName(helper);
            execv(path.constData(), argv);
        }
        err << "brisklander-quote: cannot write a PDF: "
            << (helper.isEmpty()
                    ? QStringLiteral("brisklander-quote-pdf is not installed")
                    : helper + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)))
            << '\n';
        return 1;
    }
    return runQuoteTool(QCoreApplication::arguments().mid(1), out, err);
}
