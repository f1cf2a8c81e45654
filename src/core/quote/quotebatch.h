#pragma once

#include "core/quote/quoterequest.h"

#include <QList>
#include <QString>
#include <QStringList>

// The quote tool's batch file: CSV with a header line naming its columns ("stops",
// required: the airports separated by blanks or dashes; "rate", "tax", "passengers"),
// then one trip a line. Figures are in plain form ("8.5") in every locale.
namespace QuoteBatch {

inline const QStringList Columns = {QStringLiteral("stops"), QStringLiteral("rate"),
                                    QStringLiteral("tax"), QStringLiteral("passengers")};

struct Trip
{
    int line = 0; // of the file, counted from 1
    QuoteRequest request;
};

// The trips of the file's text, read whole before any is priced: a file with a
// malformed line gives no trip at all, so that no quote goes missing unnoticed.
// `refusals` receives a message a fault, each naming the file (`name`), the line and,
// where there is one, the column.
QList<Trip> read(const QString& name, const QString& text, QStringList& refusals);

} // namespace QuoteBatch
