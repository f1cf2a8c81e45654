#include "document/printjob.h"

#include "document/qtprintersurface.h"
#include "document/quotedocument.h"
#include "document/quotetextfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QSaveFile>

namespace PrintJob {

namespace {

// The numbers operators of the program know for these failures.
constexpr int FileAccessError = 75;
constexpr int PathNotFound = 76;
constexpr int PrinterError = 482;

void compose(QPrinter& printer, const QuoteData& data)
{
    QtPrinterSurface surface(&printer);
    if (!surface.isActive())
        throw PrintError(PrinterError, QStringLiteral("Printer error: the printer could not "
                                                      "start the document."));
    QuoteDocument::compose(surface, data);
    surface.endDocument();
}

void checkFolder(const QString& path)
{
    if (!QFileInfo(path).absoluteDir().exists())
        throw PrintError(PathNotFound,
                         QStringLiteral("Path not found: %1").arg(QDir::toNativeSeparators(path)));
}

} // namespace

void printDocument(QPrinter& printer, const QuoteData& data)
{
    if (!printer.isValid())
        throw PrintError(PrinterError, QStringLiteral("Printer error: no printer is available."));
    compose(printer, data);
}

void writePdf(const QString& path, const QuoteData& data)
{
    checkFolder(path);
    // Written beside the target and renamed when complete, so an existing document
    // is never left half replaced.
    const QString partial = path + QStringLiteral(".part");
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(partial);
        printer.setDocName(QStringLiteral("Air Charter Quote"));
        printer.setCreator(QStringLiteral("Brisklander"));
        compose(printer, data);
    }
    QFile::remove(path);
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw PrintError(
            FileAccessError,
            QStringLiteral("Path/File access error: %1").arg(QDir::toNativeSeparators(path)));
    }
}

void writeTextFile(const QString& path, const QuoteData& data)
{
    checkFolder(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QuoteTextFile::contents(data)) < 0 ||
        !file.commit())
        throw PrintError(FileAccessError,
                         QStringLiteral("Path/File access error: %1 (%2)")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
}

} // namespace PrintJob
