#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>

#include <memory>

namespace Db {

class Connection;
class Recordset;

// A stored query with named parameters.
class QueryDef
{
public:
    QString name() const { return m_name; }
    void setParameter(const QString& name, const QVariant& value);
    // A stored query's rows are read, never updated: always a snapshot.
    std::unique_ptr<Recordset> openSnapshot();
    // Runs an action query (INSERT, UPDATE, DELETE); returns how many rows it changed.
    int execute();

private:
    friend class Database;
    QueryDef(std::shared_ptr<Connection> connection, const QString& name, const QString& sql);
    std::shared_ptr<Connection> m_connection;
    QString m_name;
    QString m_sql;
    QSet<QString> m_parameters;        // the statement's parameters, by lower-case name
    QHash<QString, QVariant> m_values; // by lower-case name
};

} // namespace Db
