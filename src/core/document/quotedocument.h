#pragma once

#include "core/document/quotedata.h"

class PrinterSurface;

// The printed quote: composed block by block on a printer surface, with the
// running header and page number on every page after the first.
namespace QuoteDocument {

// Where the layout's fixed checks start a new page: this far below the top of the
// printable area, in twips. A page too short for that breaks before the first line
// that would not fit on it.
constexpr double PageBreakTwips = 14596;

// Composes the whole document; does not end it (the caller does, once).
void compose(PrinterSurface& surface, const QuoteData& data);

// The page-break check the layout runs at its fixed points.
void CheckNewPage(PrinterSurface& surface, const QuoteData& data);

// Starts a new page with the running header: the program's name, today's date and
// the page number. The next line goes on in Arial 10 bold.
void runningHeader(PrinterSurface& surface, const QuoteData& data);

} // namespace QuoteDocument
