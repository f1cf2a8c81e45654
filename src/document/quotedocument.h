#pragma once

#include "document/quotedata.h"

class PrinterSurface;

// The printed quote: composed block by block on a printer surface, with the
// running header and page number on every page after the first.
namespace QuoteDocument {

// Where a new page starts: this far below the top of the printable area, in twips.
constexpr double PageBreakTwips = 14596;

// Composes the whole document; does not end it (the caller does, once).
void compose(PrinterSurface& surface, const QuoteData& data);

// The page-break check the layout runs at its fixed points.
void CheckNewPage(PrinterSurface& surface, const QuoteData& data);

} // namespace QuoteDocument
