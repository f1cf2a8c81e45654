#include "document/printjob.h"

#include "core/durablefile.h"

#include "document/qtprintersurface.h"
#include "document/quotedocument.h"
#include "document/quotetextfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>

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

// Replaces the file only with a complete new one; the old one stays otherwise.
void writeFile(const QString& path, const QByteArray& bytes)
{
    const DurableFile::Result result = DurableFile::write(path, bytes);
    if (!result.ok)
        throw PrintError(FileAccessError, QStringLiteral("Path/File access error: %1 (%2)")
                                              .arg(QDir::toNativeSeparators(path), result.error));
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
    // The PDF writer does not report a failed write: a document cut short by a full
    // disk lacks the end marker every PDF closes with.
    QFile written(partial);
    const QByteArray bytes = written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
    written.close();
    QFile::remove(partial);
    if (!bytes.trimmed().endsWith("%%EOF"))
        throw PrintError(FileAccessError,
                         QStringLiteral("Path/File access error: %1 (the document could not be "
                                        "written whole)")
                             .arg(QDir::toNativeSeparators(path)));
    writeFile(path, bytes);
}

void writeTextFile(const QString& path, const QuoteData& data)
{
    checkFolder(path);
    writeFile(path, QuoteTextFile::contents(data));
}

} // namespace PrintJob
