#include "core/quote/aircraftcatalog.h"

#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/format.h"

const QString AircraftCatalog::Table = QStringLiteral("Aircraft");

const QList<AircraftCatalog::Column>& AircraftCatalog::columns()
{
    static const QString Whole = QStringLiteral("#,##0");
    static const QList<Column> All = {
        {AircraftField::Name, QStringLiteral("Name"), QStringLiteral("Aircraft"), QString()},
        {AircraftField::Cruise, QStringLiteral("CruiseSpeed"), QStringLiteral("Cruise kt"), Whole},
        {AircraftField::Wind, QStringLiteral("Wind"), QStringLiteral("Wind kt"), Whole},
        {AircraftField::AddOn, QStringLiteral("DistanceAddOn"), QStringLiteral("Add-on %"),
         Format::Rate},
        {AircraftField::Terminal, QStringLiteral("TerminalMinutes"), QStringLiteral("Terminal min"),
         Whole},
        {AircraftField::Taxi, QStringLiteral("TaxiMinutes"), QStringLiteral("Taxi min"), Whole},
        {AircraftField::Rate, QStringLiteral("HourlyRate"), QStringLiteral("Rate per hour"),
         Format::Money},
        {AircraftField::Range, QStringLiteral("Range"), QStringLiteral("Range NM"), Whole},
        {AircraftField::Ground, QStringLiteral("GroundMinutes"), QStringLiteral("Ground min"),
         Whole},
    };
    return All;
}

bool AircraftCatalog::hasTable(Db::Database& database)
{
    return database.hasTable(QStringLiteral("Aircraft"));
}

QStringList AircraftCatalog::columnNames()
{
    QStringList names;
    for (const Column& column : columns())
        names << column.name;
    return names;
}

AircraftProfile AircraftCatalog::fromRow(const Db::Recordset& records, const QVariantList& row)
{
    QVariantList values;
    for (const Column& column : columns())
        values << row.value(records.fieldIndex(column.name));
    return fromValues(values);
}

AircraftProfile AircraftCatalog::fromValues(const QVariantList& values)
{
    AircraftProfile profile;
    const auto value = [&](AircraftField field) { return values.value(int(field)); };
    const auto whole = [&](AircraftField field, int& target) {
        if (const QVariant stored = value(field); !stored.isNull())
            target = stored.toInt();
    };
    profile.name = value(AircraftField::Name).toString();
    whole(AircraftField::Cruise, profile.cruiseKnots);
    whole(AircraftField::Wind, profile.windKnots);
    profile.addOnPercent = value(AircraftField::AddOn).toDouble();
    whole(AircraftField::Terminal, profile.terminalMinutes);
    whole(AircraftField::Taxi, profile.taxiMinutes);
    profile.hourlyRate = value(AircraftField::Rate).toDouble();
    if (const QVariant range = value(AircraftField::Range); !range.isNull())
        profile.rangeNm = range.toInt();
    whole(AircraftField::Ground, profile.groundMinutes);
    return profile;
}

QList<AircraftProfile> AircraftCatalog::read(Db::Database& database)
{
    if (!hasTable(database))
        return {};
    auto records = database.openRecordset(Table, Db::RecordsetType::Snapshot);
    QList<AircraftProfile> profiles;
    for (int row = 0; row < records->recordCount(); ++row)
        profiles << fromRow(*records, records->row(row));
    return profiles;
}

void AircraftCatalog::add(Db::Workspace& workspace, Db::Database& database,
                          const QList<AircraftProfile>& profiles)
{
    Db::Transaction transaction(workspace);
    Schema::createAircraftTable(database);
    auto records = database.openRecordset(Table);
    for (const AircraftProfile& p : profiles) {
        const auto set = [&](AircraftField field, const QVariant& value) {
            records->setValue(columns().at(int(field)).name, value);
        };
        records->addNew();
        set(AircraftField::Name, p.name);
        set(AircraftField::Cruise, p.cruiseKnots);
        set(AircraftField::Wind, p.windKnots);
        set(AircraftField::AddOn, p.addOnPercent);
        set(AircraftField::Terminal, p.terminalMinutes);
        set(AircraftField::Taxi, p.taxiMinutes);
        set(AircraftField::Rate, p.hourlyRate);
        set(AircraftField::Range, p.rangeNm ? QVariant(*p.rangeNm) : QVariant());
        set(AircraftField::Ground, p.groundMinutes);
        records->update();
    }
    transaction.commit();
}
