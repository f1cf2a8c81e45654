#pragma once

#include "core/document/quotedata.h"
#include "core/quote/quoterequest.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <stdexcept>

// A quote's place in its life. Expired is never stored: a Draft or Sent quote whose
// validity date has passed is shown as Expired.
enum class QuoteStatus
{
    Draft,
    Sent,
    Accepted,
    Declined,
    Cancelled,
    Expired,
};

// What may be done with a kept quote besides changing its status.
enum class QuoteAction
{
    KeepInPlace, // its content replaced under the same number and revision
    Revise,      // kept again as the next revision of its number, a Draft
    Duplicate,   // kept again under a new number, a Draft
};

// One change of status and when it was made.
struct StatusChange
{
    QuoteStatus status = QuoteStatus::Draft;
    QString reason; // why a quote was declined
    QDateTime when;
};

// A quote as the register keeps it: its inputs, to revise or duplicate it, and the
// quote exactly as it was handed out.
struct KeptQuote
{
    QString number; // "2026-0042"; empty until the quote is first kept
    int revision = 0;
    QuoteStatus status = QuoteStatus::Draft;
    QString reason;              // why it was declined
    QList<StatusChange> history; // oldest first
    QDate validUntil;
    QDateTime created;
    QString createdBy;
    QuoteRequest request;
    QuoteData data;
    QuoteBase quoteBasis = QuoteBase::Statute; // the settings the quote was priced with
    double minimumCharge = 0;

    // The document data bearing this quote's number, revision and last valid day, as
    // the quote is handed out (none of them while it was never kept).
    QuoteData numbered(QuoteData document) const
    {
        document.quoteNumber = number;
        document.revision = revision;
        if (validUntil.isValid())
            document.validUntil = validUntil;
        return document;
    }
};

// A rule of the register that forbids what was asked; the message says why.
class QuoteRuleError : public std::runtime_error
{
public:
    explicit QuoteRuleError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

namespace QuoteRules {

inline constexpr int DefaultValidityDays = 30;

// The status as the register stores it ("Draft") and back; nothing for a name the
// register does not store (Expired among them).
QString statusName(QuoteStatus status);
std::optional<QuoteStatus> storedStatus(const QString& name);

// The number of the sequence-th quote first kept in the year: "2026-0042".
QString quoteNumber(int year, int sequence);

// The status shown for a quote stored with `status` that is valid until `validUntil`.
QuoteStatus shownStatus(QuoteStatus status, const QDate& validUntil, const QDate& today);

// Why a quote of stored status `from` cannot become `to` (a decline needs a reason);
// empty when it can.
QString statusChangeRefusal(QuoteStatus from, QuoteStatus to, const QString& reason);
// Why the action cannot be taken on a quote of stored status `status`; empty when it can.
QString actionRefusal(QuoteStatus status, QuoteAction action);

} // namespace QuoteRules
