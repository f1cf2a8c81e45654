// brisklander-quote-pdf: brisklander-quote with the PDF writer, which needs Qt Gui;
// brisklander-quote runs it for every command line that asks for a PDF.

#include "core/document/quotedata.h"
#include "paint/pdfjob.h"
#include "quotetool.h"

#include <QGuiApplication>

int main(int argc, char** argv)
{
    // The PDF writer needs the fonts of a Gui application; no window is ever shown.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Messages and --version speak as the program the operator ran.
    QCoreApplication::setApplicationName(QStringLiteral("brisklander-quote"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRISKLANDER_VERSION));
    setPdfWriter(
        [](const QString& path, const QuoteData& data) { PrintJob::writePdf(path, data); });
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runQuoteTool(QCoreApplication::arguments().mid(1), out, err);
}
