#include "core/register/keptquote.h"

#include <array>
#include <utility>

namespace QuoteRules {

namespace {

const std::array<std::pair<QuoteStatus, const char*>, 5> StoredNames = {{
    {QuoteStatus::Draft, "Draft"},
    {QuoteStatus::Sent, "Sent"},
    {QuoteStatus::Accepted, "Accepted"},
    {QuoteStatus::Declined, "Declined"},
    {QuoteStatus::Cancelled, "Cancelled"},
}};

} // namespace

QString statusName(QuoteStatus status)
{
    for (const auto& [stored, name] : StoredNames) {
        if (stored == status)
            return QString::fromLatin1(name);
    }
    return QStringLiteral("Expired");
}

std::optional<QuoteStatus> storedStatus(const QString& name)
{
    for (const auto& [stored, storedName] : StoredNames) {
        if (name == QLatin1String(storedName))
            return stored;
    }
    return std::nullopt;
}

QString quoteNumber(int year, int sequence)
{
    return QStringLiteral("%1-%2").arg(year).arg(sequence, 4, 10, QLatin1Char('0'));
}

QuoteStatus shownStatus(QuoteStatus status, const QDate& validUntil, const QDate& today)
{
    const bool open = status == QuoteStatus::Draft || status == QuoteStatus::Sent;
    return open && validUntil < today ? QuoteStatus::Expired : status;
}

QString statusChangeRefusal(QuoteStatus from, QuoteStatus to, const QString& reason)
{
    const auto refused = [&] {
        return QStringLiteral("A %1 quote cannot be marked %2.")
            .arg(statusName(from).toLower(), statusName(to).toLower());
    };
    switch (from) {
    case QuoteStatus::Draft:
        if (to == QuoteStatus::Sent || to == QuoteStatus::Cancelled)
            return QString();
        return refused();
    case QuoteStatus::Sent:
        if (to == QuoteStatus::Declined && reason.trimmed().isEmpty())
            return QStringLiteral("A quote is declined with a reason.");
        if (to == QuoteStatus::Accepted || to == QuoteStatus::Declined ||
            to == QuoteStatus::Cancelled)
            return QString();
        if (to == QuoteStatus::Draft)
            return QStringLiteral("A sent quote does not go back to draft; it is revised.");
        return refused();
    default:
        return refused();
    }
}

QString actionRefusal(QuoteStatus status, QuoteAction action)
{
    switch (action) {
    case QuoteAction::KeepInPlace:
        if (status == QuoteStatus::Draft)
            return QString();
        return QStringLiteral("A %1 quote is kept as it was handed out; revise or duplicate it.")
            .arg(statusName(status).toLower());
    case QuoteAction::Revise:
        if (status == QuoteStatus::Sent || status == QuoteStatus::Accepted ||
            status == QuoteStatus::Declined)
            return QString();
        if (status == QuoteStatus::Draft)
            return QStringLiteral("A draft is changed as it stands; it has no revision yet.");
        return QStringLiteral("A %1 quote is not revised; duplicate it.")
            .arg(statusName(status).toLower());
    case QuoteAction::Duplicate:
        return QString(); // whatever became of a quote, a new one may start from it
    }
    return QString();
}

} // namespace QuoteRules
