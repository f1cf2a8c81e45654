#pragma once

#include "core/document/quotedata.h"

#include <QString>

// What the print dialog's fields held when it last closed, kept in memory for the
// whole run until a new quote empties it.
struct PrintDialogState
{
    QString DepartureDate;
    QString ReturnDate;
    QString QuotedBy;
    bool PrintCompany = true;
    bool PrintMap = true; // the route's map at the end of the printed quote
    QuoteData::Customer Customer;
    QString Remarks;
};

PrintDialogState& printDialogState();
