#pragma once

#include "core/quote/aircraft.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace Db {
class Database;
class Recordset;
class Workspace;
} // namespace Db

// The aircraft profiles kept in the database ("Aircraft", one row per profile), read
// and written through the engine. A database made before the profiles has no table
// yet: it reads as an empty catalogue and gains the table at its first write. Every
// engine failure is thrown as the engine's DbError.
class AircraftCatalog
{
public:
    // One column of the table: the value it holds, its name, the caption the settings
    // grid shows and the display mask of a number (empty for the name).
    struct Column
    {
        AircraftField field;
        QString name;
        QString caption;
        QString mask;
    };
    // In AircraftField's order.
    static const QList<Column>& columns();
    static const QString Table;

    // Every profile in the table's order; none when the table is missing.
    static QList<AircraftProfile> read(Db::Database& database);
    // The profile in a row of a record set over the table; a NULL value takes the
    // profile's default.
    static AircraftProfile fromRow(const Db::Recordset& records, const QVariantList& row);
    // The profile in values in the order of columns() (a NULL value takes the default).
    static AircraftProfile fromValues(const QVariantList& values);
    // The names of columns(), in their order.
    static QStringList columnNames();
    // Adds the profiles in one transaction of the workspace, the table made first where
    // it is missing: all are written or, on a failure, none. The caller checks them with
    // AircraftRules::refusal() first; the table refuses a name it already holds.
    static void add(Db::Workspace& workspace, Db::Database& database,
                    const QList<AircraftProfile>& profiles);
    // True when the database has the table.
    static bool hasTable(Db::Database& database);
};
