#pragma once

#include "core/db/columninfo.h"
#include "core/db/criterion.h"
#include "core/db/querydef.h"
#include "core/db/recordset.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace Db {

// One table with an optional filter and order, for callers that build a record
// source from values rather than from a fixed query text.
struct RecordSource
{
    QString table;
    std::optional<Criterion> where;
    QStringList orderBy; // column names, ascending
};

// A database file opened through a workspace.
class Database
{
public:
    QString path() const;
    // A table name or a query text ("SELECT * From Airports ORDER BY [ID]").
    std::unique_ptr<Recordset> openRecordset(const QString& source,
                                             RecordsetType type = RecordsetType::Dynaset);
    std::unique_ptr<Recordset> openRecordset(const RecordSource& source,
                                             RecordsetType type = RecordsetType::Dynaset);
    QueryDef queryDef(const QString& name);
    // Stores a parameter query; parameters are written :NAME in its text.
    void createQueryDef(const QString& name, const QString& sql);
    // A parameter query of the program that is not stored, for reading rows or, through
    // QueryDef::execute(), changing them with every value bound.
    QueryDef temporaryQueryDef(const QString& sql);
    // Runs a fixed statement of the program (table definitions and the like),
    // never text that holds user input.
    void execute(const QString& sql);
    QList<ColumnInfo> columns(const QString& table);
    // True when the database has a table of that name (letter case ignored).
    bool hasTable(const QString& name);
    // The last change of a table on a server, for a desk to see whether another one
    // changed it since it read it; version 0 on a file.
    ChangeStamp tableStamp(const QString& table);
    void close();

private:
    friend class Workspace;
    explicit Database(std::shared_ptr<Connection> connection);
    std::shared_ptr<Connection> m_connection;
};

} // namespace Db
