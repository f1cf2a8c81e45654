#pragma once

#include "document/quotedata.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

namespace Db {
class Workspace;
}

// A quote asked for without a window: the stops of the route and what the quote tab
// and the print dialog would be given. Figures are in plain form ("8.5") or in the
// user's own form ("8,5" in German), as in the settings file.
struct QuoteRequest
{
    struct Charge
    {
        QString description;
        QString amount; // empty: the catalogue's amount for a catalogue description
        QString number; // empty: 1 for a catalogue charge, none otherwise
        QString tax;    // a tax type, or empty
    };

    QStringList stops;
    QString rate; // empty: the settings' charge per mile of the quote basis
    QString tax;  // the base charge's tax type, or empty
    QList<Charge> charges;
    std::optional<int> passengers; // the segment tax, when given
    std::optional<int> segments;   // empty: one segment a leg

    // The print dialog's part.
    QuoteData::Customer customer;
    std::optional<QDate> departureDate, returnDate;
    QString remarks;
    QString quotedBy;
    bool printCompany = true;
};

// What the request cannot be priced for: an unknown airport or tax type, a figure
// that does not read, a stop the route refuses. The message says which.
class QuoteRequestError : public std::runtime_error
{
public:
    explicit QuoteRequestError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The quote priced as the main window prices it: each stop inserted by the rules of
// Select after the one before it, the rate, the tax and the charges entered as the
// operator enters them, with the settings of appSettings() and the airports and
// catalogues of the database (opened through `workspace`, which the caller may have
// opened read-only). `notes` receives what the window would have asked about (a
// runway shorter than the minimum; the stop is inserted as after a Yes).
// Throws QuoteRequestError, or the engine's DbError.
QuoteData priceRequest(Db::Workspace& workspace, const QString& databasePath,
                       const QuoteRequest& request, const QString& currencySymbol,
                       const QDate& today, QStringList* notes = nullptr);

// The fields of the quote tab by the names of its controls, as they show them.
QList<std::pair<QString, QString>> quoteTabFields(const QuoteData& data);
