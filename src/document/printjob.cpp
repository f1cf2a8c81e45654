#include "document/printjob.h"

#include "core/durablefile.h"

#include "document/qtprintersurface.h"
#include "document/quotedocument.h"
#include "document/quotetextfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
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

QString documentName(const QuoteData& data)
{
    QString subject = data.customer.Name.trimmed();
    if (subject.isEmpty()) {
        QStringList ids;
        for (const QuoteData::RouteRow& row : data.route)
            ids << row.id.trimmed();
        subject = ids.join(QLatin1Char('-'));
    }
    return (QStringLiteral("Quote ") + subject).trimmed();
}

QPageSize localePaper()
{
    const QLocale locale;
    const bool letter = locale.territory() == QLocale::UnitedStates ||
                        locale.territory() == QLocale::Canada ||
                        locale.measurementSystem() == QLocale::ImperialUSSystem;
    return QPageSize(letter ? QPageSize::Letter : QPageSize::A4);
}

void printDocument(QPrinter& printer, const QuoteData& data)
{
    if (!printer.isValid())
        throw PrintError(PrinterError, QStringLiteral("Printer error: no printer is available."));
    printer.setDocName(documentName(data));
    compose(printer, data);
}

void writePdf(const QString& path, const QuoteData& data, const std::optional<QPageLayout>& layout)
{
    checkFolder(path);
    // Written beside the target and renamed when complete, so an existing document
    // is never left half replaced.
    const QString partial = path + QStringLiteral(".part");
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(partial);
        if (layout)
            printer.setPageLayout(*layout);
        else
            printer.setPageSize(localePaper());
        printer.setDocName(documentName(data));
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
