#include "core/db/querydef.h"

#include "core/db/connection.h"
#include "core/db/engine_p.h"
#include "core/db/recordset.h"

namespace Db {

QueryDef::QueryDef(std::shared_ptr<Connection> connection, const QString& name, const QString& sql)
    : m_connection(std::move(connection)), m_name(name), m_sql(sql)
{
    const Cursor* cursor = m_connection->prepare(sql);
    for (int i = 1; i <= cursor->parameterCount(); ++i) {
        const QString parameter = cursor->parameterName(i);
        if (!parameter.isEmpty())
            m_parameters.insert(parameter.toLower());
    }
}

void QueryDef::setParameter(const QString& name, const QVariant& value)
{
    // Names are compared without case: a statement of many parameters sets each by one
    // lookup, not by comparing it with all the others.
    const QString key = name.toLower();
    if (!m_parameters.contains(key))
        throw DbError(Error::ItemNotFound, QStringLiteral("Item not found in this collection."));
    m_values.insert(key, value);
}

std::unique_ptr<Recordset> QueryDef::openSnapshot()
{
    std::unique_ptr<Recordset> set(new Recordset(m_connection, RecordsetType::Snapshot));
    set->openSnapshot(m_sql, m_values);
    return set;
}

int QueryDef::execute()
{
    CursorUse cursor(m_connection->prepare(m_sql));
    for (int i = 1; i <= cursor->parameterCount(); ++i) {
        const QString name = cursor->parameterName(i);
        if (!name.isEmpty())
            cursor->bind(i, m_values.value(name.toLower()));
    }
    cursor->run();
    return cursor->changes();
}

} // namespace Db
