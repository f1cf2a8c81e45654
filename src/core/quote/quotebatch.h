#pragma once

#include "core/db/transaction.h"
#include "core/format.h"
#include "core/quote/quoterequest.h"

#include <QByteArray>
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

// Prices the trips of a batch against one state of the database: every read of the
// batch in one read transaction of `workspace`, which lasts as long as the pricer, and
// the catalogues read once, so that a batch costs its airports and little more, and a
// change the program makes meanwhile reaches all of its trips or none.
class Pricer
{
public:
    // Reads the catalogues and the airports of `trips`. Throws the engine's DbError.
    Pricer(Db::Workspace& workspace, const QString& databasePath, const AppSettings& settings,
           const QString& currencySymbol, const QDate& today, const QList<Trip>& trips);

    // As priceRequest() prices it: throws QuoteRequestError, or the engine's DbError.
    QuoteData price(const QuoteRequest& request) const;

private:
    Format::HeldSymbols m_symbols;
    Db::Transaction m_reading;
    QuoteSources m_sources;
    const AppSettings& m_settings;
    QString m_currencySymbol;
    QDate m_today;
};

// The figures file: CSV with every field quoted but the line's number, lines ended by
// a carriage return and a line feed, in UTF-8. The header names the columns: "line",
// "stops", then the quote tab's fields (quoteTabFields()); each priced trip gives a
// line with its stops separated by blanks and the fields as the window shows them.
QByteArray figuresHeader();
QByteArray figuresLine(const Trip& trip, const QuoteData& data);

} // namespace QuoteBatch
