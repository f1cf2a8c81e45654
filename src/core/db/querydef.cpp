#include "core/db/querydef.h"

#include "core/db/connection.h"
#include "core/db/engine_p.h"
#include "core/db/recordset.h"
#include "core/db/statementuse.h"

namespace Db {

QueryDef::QueryDef(std::shared_ptr<Connection> connection, const QString& name, const QString& sql)
    : m_connection(std::move(connection)), m_name(name), m_sql(sql)
{
    sqlite3_stmt* statement = m_connection->prepare(sql);
    const int count = sqlite3_bind_parameter_count(statement);
    for (int i = 1; i <= count; ++i) {
        const char* parameter = sqlite3_bind_parameter_name(statement, i);
        if (parameter)
            m_parameterNames << QString::fromUtf8(parameter + 1);
    }
}

void QueryDef::setParameter(const QString& name, const QVariant& value)
{
    for (const QString& parameter : m_parameterNames) {
        if (parameter.compare(name, Qt::CaseInsensitive) == 0) {
            m_values.insert(parameter.toLower(), value);
            return;
        }
    }
    throw DbError(Error::ItemNotFound, QStringLiteral("Item not found in this collection."));
}

std::unique_ptr<Recordset> QueryDef::openSnapshot()
{
    std::unique_ptr<Recordset> set(new Recordset(m_connection, RecordsetType::Snapshot));
    set->openSnapshot(m_sql, m_values);
    return set;
}

int QueryDef::execute()
{
    sqlite3_stmt* statement = m_connection->prepare(m_sql);
    StatementUse use(statement);
    for (int i = 1; i <= sqlite3_bind_parameter_count(statement); ++i) {
        const char* name = sqlite3_bind_parameter_name(statement, i);
        if (name)
            bindValue(statement, i, m_values.value(QString::fromUtf8(name + 1).toLower()));
    }
    m_connection->run(statement);
    return sqlite3_changes(m_connection->handle());
}

} // namespace Db
