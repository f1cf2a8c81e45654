#pragma once

#include <QString>

// What the print dialog's fields held when it last closed, kept in memory for the
// whole run until a new quote empties it.
struct PrintDialogState
{
    QString DepartureDate;
    QString ReturnDate;
    QString QuotedBy;
    bool PrintCompany = true;
    QString CustomerName;
    QString CustomerAddress1;
    QString CustomerAddress2;
    QString CustomerCity;
    QString CustomerState;
    QString CustomerCountry;
    QString CustomerZip;
    QString CustomerPhone;
    QString CustomerFax;
    QString CustomerEmail;
    QString Remarks;
};

PrintDialogState& printDialogState();
