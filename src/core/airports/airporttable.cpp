#include "core/airports/airporttable.h"

#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/db/serverconnection.h"
#include "core/format.h"

#include <algorithm>

namespace {

const QString AirportTable = QStringLiteral("Airports");

// The rows of one identifier (at most one: ID is unique), so that a change costs
// the same however many airports the table holds.
Db::RecordSource rowsOf(const QString& id)
{
    return Db::RecordSource{AirportTable, Db::Criterion::equals(AirportColumn::Id, id), {}};
}

// Two identifiers in the order of the ID column: its collation compares the UTF-8 bytes
// with the ASCII letters folded to lower case.
int compareIds(QStringView left, QStringView right)
{
    const QByteArray a = left.toUtf8(), b = right.toUtf8();
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? uchar(c - 'A' + 'a') : uchar(c);
    };
    for (qsizetype i = 0; i < a.size() && i < b.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return lower(a[i]) < lower(b[i]) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

std::unique_ptr<Db::Recordset> ListAirports(Db::Database& database, SortOrder sortOrder)
{
    const QString order =
        sortOrder == SortOrder::Name ? QStringLiteral("[NAME]") : QStringLiteral("[ID]");
    return database.openRecordset(QStringLiteral("SELECT * From Airports ORDER BY ") + order);
}

int CompareInListOrder(QStringView left, QStringView right)
{
    return compareIds(left, right);
}

bool FoundByHalving(const QString& prefix)
{
    return std::all_of(prefix.begin(), prefix.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7f && c != QLatin1Char('*') &&
               c != QLatin1Char('?') && c != QLatin1Char('#');
    });
}

bool FindAirport(Db::Recordset& set, const QString& id)
{
    return set.findFirst(Db::Criterion::equals(AirportColumn::Id, id));
}

bool FindAirportById(Db::Recordset& set, const QString& id)
{
    const int was = set.absolutePosition();
    if (was < 0 || set.isEditing())
        return FindAirport(set, id);
    try {
        int low = 0, high = set.recordCount();
        while (low < high) {
            const int middle = low + (high - low) / 2;
            set.setAbsolutePosition(middle);
            if (compareIds(set.value(AirportColumn::Id).toString(), id) < 0)
                low = middle + 1;
            else
                high = middle;
        }
        if (low < set.recordCount()) {
            set.setAbsolutePosition(low);
            if (compareIds(set.value(AirportColumn::Id).toString(), id) == 0)
                return true;
        }
    } catch (const Db::DbError&) {
        // A row removed elsewhere since the list was read: the whole search says.
    }
    set.setAbsolutePosition(was);
    return FindAirport(set, id);
}

bool FindAirportByPrefix(Db::Recordset& set, const QString& column, const QString& prefix)
{
    return set.findFirst(Db::Criterion::startsWith(column, prefix));
}

bool AirportIdExists(Db::Workspace& workspace, const QString& databasePath, const QString& id)
{
    auto database = workspace.openDatabase(databasePath);
    Db::QueryDef query = database->queryDef(Schema::CheckAirportIdQuery);
    query.setParameter(Schema::CheckAirportIdParameter, id);
    auto set = query.openSnapshot();
    return set->recordCount() > 0;
}

std::optional<AirportRecord> ReadAirport(Db::Workspace& workspace, const QString& databasePath,
                                         const QString& id, Db::ChangeStamp* stamp)
{
    auto database = workspace.openDatabase(databasePath);
    if (!stamp)
        return ReadAirport(*database, id);
    std::optional<AirportRecord> record;
    if (auto row = OpenAirportForEdit(*database, id, stamp))
        record = readAirportRecord(*row);
    return record;
}

std::unique_ptr<Db::Recordset> OpenAirportForEdit(Db::Database& database, const QString& id,
                                                  Db::ChangeStamp* stamp)
{
    // A dynaset reads the row's values when first asked, so after the stamp.
    auto set = database.openRecordset(rowsOf(id));
    if (set->recordCount() == 0)
        return nullptr;
    if (stamp)
        *stamp = set->rowStamp();
    return set;
}

std::optional<AirportRecord> ReadAirport(Db::Database& database, const QString& id)
{
    auto set = database.openRecordset(rowsOf(id), Db::RecordsetType::Snapshot);
    std::optional<AirportRecord> record;
    if (set->recordCount() > 0)
        record = readAirportRecord(*set);
    return record;
}

void AddAirport(Db::Workspace& workspace, const QString& databasePath, const AirportRecord& record)
{
    auto database = workspace.openDatabase(databasePath);
    auto set = database->openRecordset(rowsOf(record.ID));
    set->addNew();
    writeAirportRecord(*set, record);
    set->update();
}

void UpdateAirport(Db::Workspace& workspace, const QString& databasePath, const QString& id,
                   const AirportRecord& record)
{
    auto database = workspace.openDatabase(databasePath);
    auto set = database->openRecordset(rowsOf(id));
    // Without a row, edit() fails with the engine's "No current record." (3021).
    set->edit();
    writeAirportRecord(*set, record);
    set->update();
}

AirportWrite UpdateAirport(Db::Workspace& workspace, const QString& databasePath, const QString& id,
                           const AirportRecord& record, const Db::ChangeStamp& read)
{
    auto database = workspace.openDatabase(databasePath);
    auto set = database->openRecordset(rowsOf(id));
    if (set->recordCount() == 0)
        return {AirportWrite::Outcome::Deleted, {}};
    const Db::ChangeStamp now = set->rowStamp();
    if (!(now == read))
        return {AirportWrite::Outcome::ChangedElsewhere, now};
    set->edit();
    writeAirportRecord(*set, record);
    set->update();
    return {AirportWrite::Outcome::Written, now};
}

QString AirportChangedQuestion(const QString& id, const Db::ChangeStamp& now, const QDate& today)
{
    const QString time = now.at.toString(QStringLiteral("HH:mm"));
    const QString when =
        now.at.date() == today
            ? QStringLiteral("at ") + time
            : QStringLiteral("on %1 at %2").arg(Format::shortDate(now.at.date()), time);
    return QStringLiteral("Airport %1 was changed by %2 %3 after you opened it.\r\r"
                          "Yes: save yours over theirs.\r"
                          "No: reload theirs; your changes are dropped.")
        .arg(id, now.by, when);
}

QString AirportGoneMessage(const QString& id)
{
    return QStringLiteral("Airport %1 is no longer in the database: another desk deleted it, or "
                          "changed its identifier, after you opened it.\r\rNothing was saved.")
        .arg(id);
}

bool EditSessionHoldsTransaction(const QString& databasePath)
{
    return !Db::isServerLocation(databasePath);
}

void DeleteAirport(Db::Workspace& workspace, const QString& databasePath, const QString& id)
{
    auto database = workspace.openDatabase(databasePath);
    auto set = database->openRecordset(rowsOf(id));
    set->deleteRecord(); // "No current record." (3021) when there is no row
}
