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

// The box the logo is fitted into at the head of the first page, in twips (2.5 by 1
// inch), and the longest line of the terms, in characters.
constexpr double LogoWidthTwips = 3600;
constexpr double LogoHeightTwips = 1440;
constexpr int TermsLineLength = 110;

// The box of the route's map, in twips (6.5 by 3.5 inches): as wide as the route table.
constexpr double MapWidthTwips = 9360;
constexpr double MapHeightTwips = 5040;

// Composes the whole document; does not end it (the caller does, once). A quote with
// a number is laid out once without drawing to count its pages, so that every page
// can say "Page N of M".
void compose(PrinterSurface& surface, const QuoteData& data);

// The page-break check the layout runs at its fixed points; `pages` as runningHeader().
void CheckNewPage(PrinterSurface& surface, const QuoteData& data, int pages = 0);

// Starts a new page with the running header: the program's name, today's date and
// the page number, with the number of pages when `pages` is given. The next line goes
// on in Arial 10 bold.
void runningHeader(PrinterSurface& surface, const QuoteData& data, int pages = 0);

} // namespace QuoteDocument
