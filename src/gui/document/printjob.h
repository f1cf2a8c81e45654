#pragma once

#include "paint/pdfjob.h"

class QPrinter;

// Sending the composed quote to the printer the user chose.
namespace PrintJob {

// Composes the quote on the printer and ends the job, named after the quote.
void printDocument(QPrinter& printer, const QuoteData& data);

} // namespace PrintJob
