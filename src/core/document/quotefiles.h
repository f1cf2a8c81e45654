#pragma once

#include "core/document/quotedata.h"
#include "core/numberederror.h"

#include <QString>

// The quote as the files and jobs that leave the program: what they are named and
// how they fail. The text file is written here; PDF and printer jobs elsewhere.
namespace PrintJob {

// A printer, driver or file failure, with the number and description the print
// dialog shows.
class PrintError : public NumberedError
{
public:
    using NumberedError::NumberedError;
};

// The numbers operators of the program know for these failures.
constexpr int FileAccessError = 75;
constexpr int PathNotFound = 76;
constexpr int PrinterError = 482;

// The name the print queue and a PDF's title show: "Quote " and the customer's
// name, or without a customer the route's identifiers joined by "-".
QString documentName(const QuoteData& data);

// Fails with PathNotFound when the file's folder does not exist.
void checkFolder(const QString& path);
// Replaces the file only with a complete new one; the old one stays otherwise.
void writeFile(const QString& path, const QByteArray& bytes);

// Writes the quote text file (replacing the file only once it is complete).
void writeTextFile(const QString& path, const QuoteData& data);

} // namespace PrintJob
