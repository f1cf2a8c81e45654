#include "document/pdfjob.h"

#include "document/qtprintersurface.h"
#include "document/quotedocument.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPdfWriter>

namespace PrintJob {

QPageSize localePaper()
{
    const QLocale locale;
    const bool letter = locale.territory() == QLocale::UnitedStates ||
                        locale.territory() == QLocale::Canada ||
                        locale.measurementSystem() == QLocale::ImperialUSSystem;
    return QPageSize(letter ? QPageSize::Letter : QPageSize::A4);
}

void compose(QPagedPaintDevice& device, const QuoteData& data)
{
    QtPrinterSurface surface(&device);
    if (!surface.isActive())
        throw PrintError(PrinterError, QStringLiteral("Printer error: the printer could not "
                                                      "start the document."));
    QuoteDocument::compose(surface, data);
    surface.endDocument();
}

void writePdf(const QString& path, const QuoteData& data, const std::optional<QPageLayout>& layout)
{
    checkFolder(path);
    // Written beside the target and renamed when complete, so an existing document
    // is never left half replaced.
    const QString partial = path + QStringLiteral(".part");
    {
        QPdfWriter writer(partial);
        writer.setResolution(1200);
        if (layout)
            writer.setPageLayout(*layout);
        else
            writer.setPageSize(localePaper());
        writer.setTitle(documentName(data));
        writer.setCreator(QStringLiteral("Brisklander"));
        compose(writer, data);
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

} // namespace PrintJob
