#include "paint/pdfjob.h"

#include "core/document/quotedocument.h"
#include "paint/qtprintersurface.h"

#include <QBuffer>
#include <QDir>
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
    // Composed in memory and handed whole to the file writer, which replaces the
    // target only once every byte is on the disk; a file beside the target would be
    // a name someone else could prepare a link at.
    QBuffer document;
    document.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&document);
        writer.setResolution(1200);
        if (layout)
            writer.setPageLayout(*layout);
        else
            writer.setPageSize(localePaper());
        writer.setTitle(documentName(data));
        writer.setCreator(QStringLiteral("Brisklander"));
        compose(writer, data);
    }
    const QByteArray bytes = document.data();
    if (!bytes.trimmed().endsWith("%%EOF"))
        throw PrintError(FileAccessError,
                         QStringLiteral("Path/File access error: %1 (the document could not be "
                                        "written whole)")
                             .arg(QDir::toNativeSeparators(path)));
    writeFile(path, bytes);
}

} // namespace PrintJob
