#pragma once

#include "core/db/engine.h"
#include "core/settings/appsettings.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// A window's view of the database: a file, one of the core's lists of a table (the
// airports, the charges or the taxes) and the record set it gives, opened through
// the engine's default workspace with its default account.
class DataView : public QObject
{
    Q_OBJECT

public:
    explicit DataView(QObject* parent = nullptr);

    void setDatabaseName(const QString& path) { m_databaseName = path; }
    QString databaseName() const { return m_databaseName; }
    // What the next refresh reads: every airport in the order given, the additional
    // charges, or the taxes that have a tax type.
    void setAirportList(SortOrder order);
    void setChargeList();
    void setTaxList();

    // Reads the list again; throws the engine's DbError.
    void Refresh();
    // Reads the keys of the rows a large list left for later (Db::Recordset::readAllKeys);
    // a list whose count changed meanwhile, as another program added rows, is shown
    // again. Throws the engine's DbError.
    void readAllKeys();

    // The database of the last refresh; null before the first.
    Db::Database* database() const { return m_database.get(); }
    // The record set of the last refresh; null before the first.
    Db::Recordset* recordset() const { return m_recordset.get(); }
    int recordCount() const { return m_recordset ? m_recordset->recordCount() : 0; }

signals:
    void aboutToRefresh();
    void refreshed();

private:
    using List = std::function<std::unique_ptr<Db::Recordset>(Db::Database&)>;

    QString m_databaseName;
    List m_list;
    std::shared_ptr<Db::Database> m_database;
    std::unique_ptr<Db::Recordset> m_recordset;
};
