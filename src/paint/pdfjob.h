#pragma once

#include "core/document/quotefiles.h"

#include <QPageLayout>
#include <QPageSize>

#include <optional>

class QPagedPaintDevice;

// The printed quote on a paged device, and written into a PDF file.
namespace PrintJob {

// The paper of the user's locale: Letter in the United States and Canada (and where
// the locale measures in US units), A4 elsewhere.
QPageSize localePaper();

// Composes the whole document on the device and ends it; PrinterError when the
// device cannot be painted on.
void compose(QPagedPaintDevice& device, const QuoteData& data);

// Writes the printed layout into a PDF file, page breaks and headers included, on
// the page of `layout` (a printer's the user chose), else on the locale's paper.
void writePdf(const QString& path, const QuoteData& data,
              const std::optional<QPageLayout>& layout = std::nullopt);

} // namespace PrintJob
