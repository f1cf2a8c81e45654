#pragma once

#include "core/db/engine.h"

#include <QObject>
#include <QString>

#include <memory>

// A window's view of the database: a file, a record source (a table name or a
// query text) and the record set they give, opened through the engine's default
// workspace with its default account.
class DataView : public QObject
{
    Q_OBJECT

public:
    explicit DataView(QObject* parent = nullptr);

    void setDatabaseName(const QString& path) { m_databaseName = path; }
    QString databaseName() const { return m_databaseName; }
    void setRecordSource(const QString& source) { m_recordSource = source; }
    QString recordSource() const { return m_recordSource; }

    // Runs the record source again and re-reads it; throws the engine's DbError.
    void Refresh();

    // The record set of the last refresh; null before the first.
    Db::Recordset* recordset() const { return m_recordset.get(); }
    int recordCount() const { return m_recordset ? m_recordset->recordCount() : 0; }

signals:
    void aboutToRefresh();
    void refreshed();

private:
    QString m_databaseName;
    QString m_recordSource;
    std::shared_ptr<Db::Database> m_database;
    std::unique_ptr<Db::Recordset> m_recordset;
};
