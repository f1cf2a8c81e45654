#include "gui/document/printjob.h"

#include <QPrinter>

namespace PrintJob {

void printDocument(QPrinter& printer, const QuoteData& data)
{
    if (!printer.isValid())
        throw PrintError(PrinterError, QStringLiteral("Printer error: no printer is available."));
    printer.setDocName(documentName(data));
    compose(printer, data);
}

} // namespace PrintJob
