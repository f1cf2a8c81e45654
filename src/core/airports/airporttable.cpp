#include "core/airports/airporttable.h"

#include "core/db/engine.h"
#include "core/db/schema.h"

namespace {

const QString AirportTable = QStringLiteral("Airports");

// The rows of one identifier (at most one: ID is unique), so that a change costs
// the same however many airports the table holds.
Db::RecordSource rowsOf(const QString& id)
{
    return Db::RecordSource{AirportTable, Db::Criterion::equals(AirportColumn::Id, id), {}};
}

} // namespace

std::unique_ptr<Db::Recordset> ListAirports(Db::Database& database, SortOrder sortOrder)
{
    const QString order =
        sortOrder == SortOrder::Name ? QStringLiteral("[NAME]") : QStringLiteral("[ID]");
    return database.openRecordset(QStringLiteral("SELECT * From Airports ORDER BY ") + order);
}

bool FindAirport(Db::Recordset& set, const QString& id)
{
    return set.findFirst(Db::Criterion::equals(AirportColumn::Id, id));
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
                                         const QString& id)
{
    auto database = workspace.openDatabase(databasePath);
    auto set = database->openRecordset(rowsOf(id), Db::RecordsetType::Snapshot);
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

void DeleteAirport(Db::Workspace& workspace, const QString& databasePath, const QString& id)
{
    auto database = workspace.openDatabase(databasePath);
    auto set = database->openRecordset(rowsOf(id));
    set->deleteRecord(); // "No current record." (3021) when there is no row
}
