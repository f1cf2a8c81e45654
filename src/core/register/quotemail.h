#pragma once

#include "core/document/quotedata.h"

#include <QString>
#include <QStringList>

// Sending a quote by e-mail: the subject and body filled from the settings' templates,
// the PDF's name in the program folder's "quotes" folder and what the desktop's mail
// command (xdg-email) is given.
namespace QuoteMail {

// What the templates' braces stand for.
struct Parts
{
    QString number;     // {number}: "2026-0042 rev. 2"
    QString customer;   // {customer}: the customer's name
    QString route;      // {route}: the stops' identifiers, "KTEB-KBOS"
    QString total;      // {total}: the final quote with its currency, "$12,480.00"
    QString validUntil; // {valid_until}: the last valid day as the date fields show it
};

Parts parts(const QuoteData& quote);

// The template with each known brace replaced by its part; other braces stay as they
// are, and a part's own braces are never filled in turn.
QString fill(const QString& text, const Parts& parts);

// The PDF's name: the number, the revision from the second on and the customer
// ("2026-0042 rev 2 Harborview Air.pdf"), the route standing in for a missing
// customer. Characters no file name may hold become "_", and the name never leads
// out of its folder.
QString fileName(const QString& number, int revision, const QString& subject);
// The folder the quotes are written to, and the quote's PDF in it.
QString folder(const QString& programFolder);
QString pdfPath(const QString& programFolder, const QuoteData& quote);

// The mail command's arguments, each one argument whatever it holds; no address
// leaves it to the operator.
QStringList mailArguments(const QString& subject, const QString& body, const QString& attachment,
                          const QString& address);

} // namespace QuoteMail
