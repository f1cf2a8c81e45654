#pragma once

#include "document/quotedata.h"

#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include <optional>
#include <stdexcept>

class QPrinter;

// Sending the composed quote to a printer or into a PDF file.
namespace PrintJob {

// A printer, driver or file failure, with the number and description the print
// dialog shows.
class PrintError : public std::runtime_error
{
public:
    PrintError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number),
          m_description(description)
    {}
    int number() const { return m_number; }
    QString description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

// The name the print queue and a PDF's title show: "Quote " and the customer's
// name, or without a customer the route's identifiers joined by "-".
QString documentName(const QuoteData& data);

// The paper of the user's locale: Letter in the United States and Canada (and where
// the locale measures in US units), A4 elsewhere.
QPageSize localePaper();

// Composes the quote on the printer the user chose and ends the job.
void printDocument(QPrinter& printer, const QuoteData& data);

// Writes the printed layout into a PDF file, page breaks and headers included, on
// the page of `layout` (a printer's the user chose), else on the locale's paper.
void writePdf(const QString& path, const QuoteData& data,
              const std::optional<QPageLayout>& layout = std::nullopt);

// Writes the quote text file (replacing the file only once it is complete).
void writeTextFile(const QString& path, const QuoteData& data);

} // namespace PrintJob
