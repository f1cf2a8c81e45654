#pragma once

#include "core/airports/airportrecord.h"
#include "core/document/quotedata.h"
#include "core/quote/triptimes.h"
#include "core/settings/appsettings.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

namespace Db {
class Workspace;
}

// A quote asked for without a window: the stops of the route and what the quote tab
// and the print dialog would be given.
struct QuoteRequest
{
    struct Charge
    {
        QString description;          // a catalogue name in any case picks that charge
        std::optional<double> amount; // none: the catalogue's amount for a catalogue charge
        std::optional<double> number; // none: 1 for a catalogue charge, none otherwise
        QString tax;                  // a tax type, or empty
    };

    QStringList stops;
    std::optional<double> rate; // none: the settings' charge per mile of the quote basis
    QString tax;                // the base charge's tax type, or empty
    QList<Charge> charges;
    std::optional<int> passengers; // the segment tax, when given
    std::optional<int> segments;   // none: one segment a passenger leg
    QList<int> positioningLegs;    // the legs flown empty, by number (1 = the first leg)

    // The aircraft (the profile as used, its catalogue name in it) and the typed
    // departures; the basis, when the quote is not priced by the settings' own.
    TripPlan plan;
    std::optional<QuoteBase> basis;

    // The print dialog's part.
    QuoteData::Customer customer;
    std::optional<QDate> departureDate, returnDate;
    QString remarks;
    QString quotedBy;
    bool printCompany = true;
};

// Why a request cannot be priced. Refused: it asks for what the window would not take
// (a figure not in plain form, a value its field cannot hold, a charge that is neither
// the catalogue's nor given an amount); Plan: the hourly basis without an aircraft, or a
// departure the airport's clock refuses; TooLarge: a figure of the quote comes to more
// than its field can show; otherwise the quote cannot be priced (an unknown airport or
// tax type, a stop the route refuses). The message says which, and leaves naming the
// option or the file to the caller.
class QuoteRequestError : public std::runtime_error
{
public:
    enum class Kind
    {
        NotPriced,
        Refused,
        Plan,
        TooLarge,
    };
    explicit QuoteRequestError(const QString& message, Kind kind = Kind::NotPriced)
        : std::runtime_error(message.toStdString()), m_message(message), m_kind(kind)
    {}
    QString message() const { return m_message; }
    Kind kind() const { return m_kind; }
    // What was asked for, not the data, is at fault.
    bool refused() const { return m_kind != Kind::NotPriced; }

private:
    QString m_message;
    Kind m_kind;
};

// The figures of a request as a script or a file gives them: in plain form ("8.5", as
// the settings file writes numbers) in every locale, so that "8,5" is never read as 85
// nor "1,234.5" as anything. Each throws a refused QuoteRequestError saying why.
namespace RequestFigures {

// "Charge p/m" of the quote tab takes this many characters.
constexpr int ChargePerMileLength = 7;

// Any number in plain form.
double plain(const QString& text);
// A charge per mile: a number in plain form, not negative, that "Charge p/m" holds
// as the operator would type it (its digits and one ".", never an exponent).
double rate(const QString& text);
// A count of passengers or segments, as the segment tax window takes it: 1 to 99.
int count(const QString& text);

} // namespace RequestFigures

// What a request is priced from besides the settings: the charge and tax catalogues of
// a database, read once when made, and its airports, read as each stop asks for one
// (through `workspace`, which the caller may have opened read-only and may hold in a
// read transaction, so that many quotes see one state of the file). Throws the
// engine's DbError.
class QuoteSources
{
public:
    struct CatalogueRow
    {
        QString name;
        std::optional<double> value;
    };

    QuoteSources(Db::Workspace& workspace, const QString& databasePath);

    // In the order the database returns them.
    const QList<CatalogueRow>& charges() const { return m_charges; }
    const QList<CatalogueRow>& taxes() const { return m_taxes; }
    // The airport of one identifier, or nothing when there is none.
    std::optional<AirportRecord> airport(const QString& id) const;
    // Reads the airports of these identifiers (as airport() is asked for them) a few
    // dozen a statement and keeps them, found or not, for airport() to give without
    // reading again: a batch's stops read at once.
    void readAirports(const QStringList& ids);

private:
    Db::Workspace& m_workspace;
    QString m_databasePath;
    QList<CatalogueRow> m_charges, m_taxes;
    QHash<QString, std::optional<AirportRecord>> m_airports; // by the identifier asked for
};

// The quote priced as the main window prices it: each stop inserted by the rules of
// Select after the one before it, the rate, the tax and the charges entered as the
// operator enters them, with `settings` (as the settings file gives them) and the
// airports and catalogues of `sources`. `notes` receives what the window would have
// asked about (a runway shorter than the minimum; the stop is inserted as after a
// Yes). A figure that comes to more than its field shows exactly (15 digits) is never
// handed back. Throws QuoteRequestError, or the engine's DbError.
QuoteData priceRequest(const QuoteSources& sources, const QuoteRequest& request,
                       const AppSettings& settings, const QString& currencySymbol,
                       const QDate& today, QStringList* notes = nullptr);

// The same with the sources of the database at `databasePath`, read for this quote alone.
QuoteData priceRequest(Db::Workspace& workspace, const QString& databasePath,
                       const QuoteRequest& request, const AppSettings& settings,
                       const QString& currencySymbol, const QDate& today,
                       QStringList* notes = nullptr);

// A field of the quote tab as the window shows it.
struct QuoteTabField
{
    enum class Kind
    {
        Caption, // a caption that changes: the miles' unit, "Base Charge:" or "Minimum Charge:"
        Text,    // the base charge's tax type
        Figure,  // a distance
        Money,   // an amount, or the charge per mile
    };
    QString name;    // the control's name: "TxtFinalQuote"
    QString caption; // the caption beside it, without access key and colon: "Final Quote"
    QString text;    // as the field shows it: "2,793.10"
    Kind kind = Kind::Text;
    QString unit; // after a distance that has one: "NM"
};

// The fields of the quote tab in the window's order.
QList<QuoteTabField> quoteTabFields(const QuoteData& data);
