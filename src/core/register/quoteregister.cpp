#include "core/register/quoteregister.h"

#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/format.h"
#include "core/register/customerbook.h"
#include "core/register/quotejson.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace QuoteRules;

namespace {

const QString Columns =
    QStringLiteral("Number, Revision, Year, Sequence, Latest, Status, Reason, Created, CreatedBy, "
                   "CustomerName, RouteText, FinalQuote, FinalQuoteValue, ValidUntil, SearchName, "
                   "SearchRoute, QuoteBasis, MinimumCharge, Request, Data");

QString timeText(const QDateTime& when)
{
    return when.toString(Qt::ISODateWithMs);
}

// The texts the register writes read back field by field: Qt's reading of any ISO text
// costs more than the rest of a list line.
int digits(QStringView text, qsizetype from, qsizetype count)
{
    return text.mid(from, count).toInt();
}

QDate dateOf(const QVariant& stored)
{
    const QString text = stored.toString();
    if (text.size() < 10)
        return QDate();
    return QDate(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
}

QDateTime timeOf(const QVariant& stored)
{
    const QString text = stored.toString();
    if (text.size() < 23)
        return QDateTime::fromString(text, Qt::ISODateWithMs);
    return QDateTime(dateOf(text), QTime(digits(text, 11, 2), digits(text, 14, 2),
                                         digits(text, 17, 2), digits(text, 20, 3)));
}

QString jsonText(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QJsonObject jsonObject(const QVariant& text)
{
    const QJsonDocument document = QJsonDocument::fromJson(text.toString().toUtf8());
    if (!document.isObject())
        throw Db::DbError(Db::Error::Unrecognized,
                          QStringLiteral("A kept quote cannot be read; its record is damaged."));
    return document.object();
}

QString routeText(const QuoteData& data)
{
    QStringList stops;
    for (const QuoteData::RouteRow& row : data.route) {
        if (!row.id.isEmpty())
            stops << row.id;
    }
    return stops.join(QLatin1Char('-'));
}

QString basisName(QuoteBase basis)
{
    return SettingsText::quoteBase(basis);
}

QuoteStatus statusOf(const QVariant& stored)
{
    const auto status = storedStatus(stored.toString());
    if (!status)
        throw Db::DbError(Db::Error::Unrecognized,
                          QStringLiteral("A kept quote has a status the program does not know "
                                         "(%1).")
                              .arg(stored.toString()));
    return *status;
}

// The columns that follow from the quote's content, for a new row and a Draft kept again.
void bindContent(Db::QueryDef& query, const KeptQuote& quote)
{
    const QString route = routeText(quote.data);
    query.setParameter(QStringLiteral("customerName"), quote.data.customer.Name);
    query.setParameter(QStringLiteral("route"), route);
    query.setParameter(QStringLiteral("finalQuote"), quote.data.finalQuote);
    query.setParameter(QStringLiteral("finalQuoteValue"), Format::value(quote.data.finalQuote));
    query.setParameter(QStringLiteral("searchName"), quote.data.customer.Name.toCaseFolded());
    query.setParameter(QStringLiteral("searchRoute"),
                       QLatin1Char('-') + route.toCaseFolded() + QLatin1Char('-'));
    query.setParameter(QStringLiteral("quoteBasis"), basisName(quote.quoteBasis));
    query.setParameter(QStringLiteral("minimumCharge"), quote.minimumCharge);
    query.setParameter(QStringLiteral("request"), jsonText(QuoteJson::fromRequest(quote.request)));
    // The quote as handed out bears its number, revision and last valid day.
    query.setParameter(QStringLiteral("data"),
                       jsonText(QuoteJson::fromData(quote.numbered(quote.data))));
}

// A new Draft of `number`, made at `when` by `by` from `content`.
KeptQuote newDraft(const KeptQuote& content, const QString& number, int revision,
                   const QDateTime& when, const QString& by, int validityDays)
{
    KeptQuote draft = content;
    draft.number = number;
    draft.revision = revision;
    draft.status = QuoteStatus::Draft;
    draft.reason.clear();
    draft.created = when;
    draft.createdBy = by;
    draft.validUntil = when.date().addDays(validityDays);
    draft.history = {StatusChange{QuoteStatus::Draft, QString(), when}};
    return draft;
}

} // namespace

QuoteRegister::QuoteRegister(Db::Workspace& workspace, const QString& databasePath, Access access)
    : m_workspace(workspace), m_path(databasePath), m_access(access)
{}

std::shared_ptr<Db::Database> QuoteRegister::open()
{
    return m_access == Access::ReadOnly ? m_workspace.openDatabaseReadOnly(m_path)
                                        : m_workspace.openDatabase(m_path);
}

bool QuoteRegister::hasTables(Db::Database& database)
{
    return database.hasTable(QStringLiteral("Quotes"));
}

int QuoteRegister::nextSequence(Db::Database& database, int year)
{
    auto query = database.temporaryQueryDef(QStringLiteral(
        "SELECT coalesce(max(Sequence), 0) + 1 AS Next FROM Quotes WHERE Year = :year"));
    query.setParameter(QStringLiteral("year"), year);
    return query.openSnapshot()->value(QStringLiteral("Next")).toInt();
}

void QuoteRegister::insert(Db::Database& database, const KeptQuote& quote)
{
    auto query = database.temporaryQueryDef(
        QStringLiteral("INSERT INTO Quotes (%1) VALUES (:number, :revision, :year, :sequence, 1, "
                       ":status, :reason, :created, :createdBy, :customerName, :route, "
                       ":finalQuote, :finalQuoteValue, :validUntil, :searchName, :searchRoute, "
                       ":quoteBasis, :minimumCharge, :request, :data)")
            .arg(Columns));
    query.setParameter(QStringLiteral("number"), quote.number);
    query.setParameter(QStringLiteral("revision"), quote.revision);
    query.setParameter(QStringLiteral("year"),
                       quote.number.section(QLatin1Char('-'), 0, 0).toInt());
    query.setParameter(QStringLiteral("sequence"),
                       quote.number.section(QLatin1Char('-'), 1).toInt());
    query.setParameter(QStringLiteral("status"), statusName(quote.status));
    query.setParameter(QStringLiteral("reason"), quote.reason);
    query.setParameter(QStringLiteral("created"), timeText(quote.created));
    query.setParameter(QStringLiteral("createdBy"), quote.createdBy);
    query.setParameter(QStringLiteral("validUntil"), quote.validUntil.toString(Qt::ISODate));
    bindContent(query, quote);
    query.execute();
}

void QuoteRegister::addHistory(Db::Database& database, const KeptQuote& quote,
                               const StatusChange& change)
{
    auto query = database.temporaryQueryDef(
        QStringLiteral("INSERT INTO QuoteHistory (Number, Revision, Status, Reason, Changed) "
                       "VALUES (:number, :revision, :status, :reason, :changed)"));
    query.setParameter(QStringLiteral("number"), quote.number);
    query.setParameter(QStringLiteral("revision"), quote.revision);
    query.setParameter(QStringLiteral("status"), statusName(change.status));
    query.setParameter(QStringLiteral("reason"), change.reason);
    query.setParameter(QStringLiteral("changed"), timeText(change.when));
    query.execute();
}

std::optional<KeptQuote> QuoteRegister::read(Db::Database& database, const QString& number,
                                             int revision)
{
    if (!hasTables(database))
        return std::nullopt;
    auto query = database.temporaryQueryDef(
        QStringLiteral("SELECT %1 FROM Quotes WHERE Number = :number AND "
                       "(Revision = :revision OR (:revision IS NULL AND Latest = 1))")
            .arg(Columns));
    query.setParameter(QStringLiteral("number"), number);
    query.setParameter(QStringLiteral("revision"), revision > 0 ? QVariant(revision) : QVariant());
    auto row = query.openSnapshot();
    if (row->recordCount() == 0)
        return std::nullopt;
    const auto value = [&](const char* column) { return row->value(QLatin1String(column)); };
    KeptQuote quote;
    quote.number = value("Number").toString();
    quote.revision = value("Revision").toInt();
    quote.status = statusOf(value("Status"));
    quote.reason = value("Reason").toString();
    quote.created = QDateTime::fromString(value("Created").toString(), Qt::ISODateWithMs);
    quote.createdBy = value("CreatedBy").toString();
    quote.validUntil = QDate::fromString(value("ValidUntil").toString(), Qt::ISODate);
    quote.quoteBasis = SettingsText::readQuoteBase(value("QuoteBasis").toString());
    quote.minimumCharge = value("MinimumCharge").toDouble();
    quote.request = QuoteJson::toRequest(jsonObject(value("Request")));
    quote.data = QuoteJson::toData(jsonObject(value("Data")));

    auto history = database.temporaryQueryDef(
        QStringLiteral("SELECT Status, Reason, Changed FROM QuoteHistory WHERE Number = :number "
                       "AND Revision = :revision ORDER BY rowid"));
    history.setParameter(QStringLiteral("number"), quote.number);
    history.setParameter(QStringLiteral("revision"), quote.revision);
    auto changes = history.openSnapshot();
    for (int i = 0; i < changes->recordCount(); ++i) {
        const QVariantList change = changes->row(i);
        quote.history << StatusChange{
            statusOf(change[0]), change[1].toString(),
            QDateTime::fromString(change[2].toString(), Qt::ISODateWithMs)};
    }
    return quote;
}

KeptQuote QuoteRegister::latestFor(Db::Database& database, const QString& number)
{
    auto quote = read(database, number, 0);
    if (!quote)
        throw QuoteRuleError(QStringLiteral("No quote %1 is kept.").arg(number));
    return *quote;
}

KeptQuote QuoteRegister::keep(const KeptQuote& quote, int validityDays)
{
    return keep(quote, validityDays, QuoteStatus::Draft, nullptr);
}

KeptQuote QuoteRegister::keep(const KeptQuote& quote, int validityDays, QuoteStatus status,
                              const std::function<void(const KeptQuote& kept)>& beforeCommit)
{
    if (quote.number.isEmpty() && !quote.created.isValid())
        throw QuoteRuleError(QStringLiteral("A new quote is kept with the time it was made."));
    if (status != QuoteStatus::Draft) {
        const QString refusal =
            quote.number.isEmpty()
                ? statusChangeRefusal(QuoteStatus::Draft, status, QString())
                : QStringLiteral(
                      "Quote %1 is kept again as a Draft; its status changes on its own.")
                      .arg(quote.number);
        if (!refusal.isEmpty())
            throw QuoteRuleError(refusal);
    }
    auto database = open();
    Db::Transaction transaction(m_workspace);
    Schema::createRegisterTables(*database);
    KeptQuote kept;
    if (quote.number.isEmpty()) {
        const int year = quote.created.date().year();
        kept = newDraft(quote, quoteNumber(year, nextSequence(*database, year)), 1, quote.created,
                        quote.createdBy, validityDays);
        if (status != QuoteStatus::Draft) {
            kept.status = status;
            kept.history << StatusChange{status, QString(), quote.created};
        }
        insert(*database, kept);
        for (const StatusChange& change : kept.history)
            addHistory(*database, kept, change);
    } else {
        kept = latestFor(*database, quote.number);
        if (quote.revision != kept.revision)
            throw QuoteRuleError(QStringLiteral("Quote %1 has a newer revision (%2).")
                                     .arg(kept.number)
                                     .arg(kept.revision));
        const QString refusal = actionRefusal(kept.status, QuoteAction::KeepInPlace);
        if (!refusal.isEmpty())
            throw QuoteRuleError(refusal);
        kept.request = quote.request;
        kept.data = quote.data;
        kept.quoteBasis = quote.quoteBasis;
        kept.minimumCharge = quote.minimumCharge;
        auto update = database->temporaryQueryDef(QStringLiteral(
            "UPDATE Quotes SET CustomerName = :customerName, RouteText = :route, "
            "FinalQuote = :finalQuote, FinalQuoteValue = :finalQuoteValue, "
            "SearchName = :searchName, SearchRoute = :searchRoute, QuoteBasis = :quoteBasis, "
            "MinimumCharge = :minimumCharge, Request = :request, Data = :data "
            "WHERE Number = :number AND Revision = :revision"));
        update.setParameter(QStringLiteral("number"), kept.number);
        update.setParameter(QStringLiteral("revision"), kept.revision);
        bindContent(update, kept);
        update.execute();
    }
    CustomerBook::remember(*database, kept.data.customer);
    if (beforeCommit)
        beforeCommit(kept);
    transaction.commit();
    return kept;
}

KeptQuote QuoteRegister::revise(const QString& number, const QDateTime& when, const QString& by,
                                int validityDays)
{
    auto database = open();
    Db::Transaction transaction(m_workspace);
    const KeptQuote current = latestFor(*database, number);
    const QString refusal = actionRefusal(current.status, QuoteAction::Revise);
    if (!refusal.isEmpty())
        throw QuoteRuleError(refusal);
    auto earlier = database->temporaryQueryDef(QStringLiteral(
        "UPDATE Quotes SET Latest = 0 WHERE Number = :number AND Revision = :revision"));
    earlier.setParameter(QStringLiteral("number"), current.number);
    earlier.setParameter(QStringLiteral("revision"), current.revision);
    earlier.execute();
    const KeptQuote revised =
        newDraft(current, current.number, current.revision + 1, when, by, validityDays);
    insert(*database, revised);
    addHistory(*database, revised, revised.history.first());
    transaction.commit();
    return revised;
}

KeptQuote QuoteRegister::duplicate(const QString& number, int revision, const QDateTime& when,
                                   const QString& by, int validityDays)
{
    auto database = open();
    Db::Transaction transaction(m_workspace);
    const auto source = read(*database, number, revision);
    if (!source)
        throw QuoteRuleError(
            revision > 0
                ? QStringLiteral("No revision %1 of quote %2 is kept.").arg(revision).arg(number)
                : QStringLiteral("No quote %1 is kept.").arg(number));
    const QString refusal = actionRefusal(source->status, QuoteAction::Duplicate);
    if (!refusal.isEmpty())
        throw QuoteRuleError(refusal);
    const int year = when.date().year();
    const KeptQuote copy = newDraft(*source, quoteNumber(year, nextSequence(*database, year)), 1,
                                    when, by, validityDays);
    insert(*database, copy);
    addHistory(*database, copy, copy.history.first());
    transaction.commit();
    return copy;
}

KeptQuote QuoteRegister::setStatus(const QString& number, QuoteStatus status, const QString& reason,
                                   const QDateTime& when)
{
    auto database = open();
    Db::Transaction transaction(m_workspace);
    KeptQuote quote = latestFor(*database, number);
    const QString refusal = statusChangeRefusal(quote.status, status, reason);
    if (!refusal.isEmpty())
        throw QuoteRuleError(refusal);
    const StatusChange change{status,
                              status == QuoteStatus::Declined ? reason.trimmed() : QString(), when};
    auto update = database->temporaryQueryDef(
        QStringLiteral("UPDATE Quotes SET Status = :status, Reason = :reason "
                       "WHERE Number = :number AND Revision = :revision"));
    update.setParameter(QStringLiteral("status"), statusName(status));
    update.setParameter(QStringLiteral("reason"), change.reason);
    update.setParameter(QStringLiteral("number"), quote.number);
    update.setParameter(QStringLiteral("revision"), quote.revision);
    update.execute();
    addHistory(*database, quote, change);
    transaction.commit();
    quote.status = status;
    quote.reason = change.reason;
    quote.history << change;
    return quote;
}

std::optional<KeptQuote> QuoteRegister::load(const QString& number, int revision)
{
    auto database = open();
    return read(*database, number, revision);
}

QList<QuoteListEntry> QuoteRegister::list(const QuoteFilter& filter, const QDate& today)
{
    auto database = open();
    if (!hasTables(*database))
        return {};
    // One fixed statement: a part of the filter left empty is bound as NULL and lets
    // every row through. The route is searched between dashes, so "KAS" finds no KASE.
    auto query = database->temporaryQueryDef(QStringLiteral(
        "SELECT Number, Revision, Status, Created, CustomerName, RouteText, FinalQuote, "
        "FinalQuoteValue, ValidUntil FROM Quotes WHERE Latest = 1 "
        "AND (:text IS NULL OR instr(Number, :text) > 0 OR instr(SearchName, :folded) > 0 "
        "OR instr(SearchRoute, '-' || :folded || '-') > 0) "
        "AND (:from IS NULL OR Created >= :from) AND (:to IS NULL OR Created < :to) "
        "AND (:status IS NULL OR (Status = :status AND NOT (Status IN ('Draft', 'Sent') "
        "AND ValidUntil < :today))) "
        "AND (:expired IS NULL OR (Status IN ('Draft', 'Sent') AND ValidUntil < :today)) "
        "ORDER BY Latest DESC, Created DESC, Number DESC"));
    const QString text = filter.text.trimmed();
    if (!text.isEmpty()) {
        query.setParameter(QStringLiteral("text"), text);
        query.setParameter(QStringLiteral("folded"), text.toCaseFolded());
    }
    if (filter.from)
        query.setParameter(QStringLiteral("from"), filter.from->toString(Qt::ISODate));
    if (filter.to)
        query.setParameter(QStringLiteral("to"), filter.to->addDays(1).toString(Qt::ISODate));
    if (filter.status == QuoteStatus::Expired)
        query.setParameter(QStringLiteral("expired"), 1);
    else if (filter.status)
        query.setParameter(QStringLiteral("status"), statusName(*filter.status));
    query.setParameter(QStringLiteral("today"), today.toString(Qt::ISODate));

    auto rows = query.openSnapshot();
    QList<QuoteListEntry> entries;
    entries.reserve(rows->recordCount());
    for (int i = 0; i < rows->recordCount(); ++i) {
        const QVariantList row = rows->row(i);
        QuoteListEntry entry;
        entry.number = row[0].toString();
        entry.revision = row[1].toInt();
        entry.status = statusOf(row[2]);
        entry.created = timeOf(row[3]);
        entry.customerName = row[4].toString();
        entry.route = row[5].toString();
        entry.finalQuote = row[6].toString();
        entry.finalQuoteValue = row[7].toDouble();
        entry.validUntil = dateOf(row[8]);
        entry.shown = shownStatus(entry.status, entry.validUntil, today);
        entries << entry;
    }
    return entries;
}
