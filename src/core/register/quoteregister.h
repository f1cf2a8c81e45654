#pragma once

#include "core/register/keptquote.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace Db {
class Database;
class Workspace;
} // namespace Db

// One line of the register's list: the newest revision of a number.
struct QuoteListEntry
{
    QString number;
    int revision = 0;
    QuoteStatus status = QuoteStatus::Draft; // as stored
    QuoteStatus shown = QuoteStatus::Draft;  // Expired once a Draft or Sent quote's validity passed
    QDateTime created;
    QString customerName;
    QString route; // "KTEB-KASE-KTEB"
    QString finalQuote;
    double finalQuoteValue = 0;
    QDate validUntil;
};

// What the list is narrowed to; an empty part narrows nothing.
struct QuoteFilter
{
    // Part of the number, part of the customer's name (case ignored), an airport's
    // identifier in the route or a run of stops ("KTEB-KASE").
    QString text;
    std::optional<QDate> from, to;     // the days the quotes were created, both included
    std::optional<QuoteStatus> status; // as shown: Expired, or a status not expired
};

// The quotes kept in a database, opened through a workspace. Every change is one
// transaction of its own (Db::Transaction), made whole or not at all: a failure of the
// engine or of the disk leaves the register as it was, with no number used up, and
// is thrown as the engine's DbError. A change the rules forbid throws QuoteRuleError
// and changes nothing. The register's tables are made at the first change where they
// are missing; until then the register reads as empty. A change begins its own
// transaction, so the workspace must hold none at the time (else DbError 3003).
class QuoteRegister
{
public:
    enum class Access
    {
        ReadWrite,
        ReadOnly,
    };
    QuoteRegister(Db::Workspace& workspace, const QString& databasePath,
                  Access access = Access::ReadWrite);

    // Keeps a new quote (its number empty) as a Draft under the next number of the year
    // it was created, revision 1, valid for `validityDays` from that day; or keeps a
    // Draft again in place, its content replaced (its number and revision those of the
    // newest revision). The customer book learns the quote's customer. Returns the quote
    // as kept.
    KeptQuote keep(const KeptQuote& quote, int validityDays = QuoteRules::DefaultValidityDays);
    // Keeps the quote as above, a new one with `status` (Sent: a quote handed out as it
    // is kept; its history then reads Draft and Sent, both at the time it was made, as
    // when it is kept and sent in two steps), and calls `beforeCommit` with the quote
    // as kept, its number given, before the transaction commits: a document bearing the
    // number is written there. When `beforeCommit` throws, nothing is kept, no number
    // is used up and the exception goes on to the caller. `beforeCommit` makes no change
    // of its own to the register (the transaction is open). A quote kept again in place
    // stays a Draft.
    KeptQuote keep(const KeptQuote& quote, int validityDays, QuoteStatus status,
                   const std::function<void(const KeptQuote& kept)>& beforeCommit);
    // The newest revision of the number kept again as the next revision, a Draft made
    // at `when` by `by`, the earlier revisions kept as they are.
    KeptQuote revise(const QString& number, const QDateTime& when, const QString& by,
                     int validityDays = QuoteRules::DefaultValidityDays);
    // A revision of the number (0: the newest) kept as a new quote, a Draft.
    KeptQuote duplicate(const QString& number, int revision, const QDateTime& when,
                        const QString& by, int validityDays = QuoteRules::DefaultValidityDays);
    // Changes the status of the newest revision of the number; the change joins its
    // history. A decline needs a reason.
    KeptQuote setStatus(const QString& number, QuoteStatus status, const QString& reason,
                        const QDateTime& when);

    // A revision of the number (0: the newest); nothing when it was never kept.
    std::optional<KeptQuote> load(const QString& number, int revision = 0);
    // The newest revision of every number the filter lets through, newest first.
    QList<QuoteListEntry> list(const QuoteFilter& filter, const QDate& today);

private:
    std::shared_ptr<Db::Database> open();
    bool hasTables(Db::Database& database);
    std::optional<KeptQuote> read(Db::Database& database, const QString& number, int revision);
    KeptQuote latestFor(Db::Database& database, const QString& number);
    int nextSequence(Db::Database& database, int year);
    void insert(Db::Database& database, const KeptQuote& quote);
    void addHistory(Db::Database& database, const KeptQuote& quote, const StatusChange& change);

    Db::Workspace& m_workspace;
    QString m_path;
    Access m_access;
};
