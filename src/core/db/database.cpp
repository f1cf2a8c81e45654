#include "core/db/database.h"

#include "core/db/connection.h"
#include "core/db/engine_p.h"

#include <QRegularExpression>

namespace Db {

namespace {

const QString ClosedText = QStringLiteral("Object invalid or no longer set.");

} // namespace

Database::Database(std::shared_ptr<Connection> connection) : m_connection(std::move(connection)) {}

QString Database::path() const
{
    return m_connection->path();
}

QList<ColumnInfo> Database::columns(const QString& table)
{
    return m_connection->columns(m_connection->tableName(table));
}

bool Database::hasTable(const QString& name)
{
    if (!m_connection)
        throw DbError(Error::ObjectClosed, ClosedText);
    return m_connection->hasTable(name);
}

ChangeStamp Database::tableStamp(const QString& table)
{
    if (!m_connection)
        throw DbError(Error::ObjectClosed, ClosedText);
    return m_connection->tableStamp(m_connection->tableName(table));
}

void Database::execute(const QString& sql)
{
    m_connection->exec(sql);
}

void Database::close()
{
    // The connection belongs to the workspace, which may hold a transaction on it;
    // this handle simply lets go of it.
    m_connection.reset();
}

void Database::createQueryDef(const QString& name, const QString& sql)
{
    // Prepare once so that a faulty text fails here, not when it is first used.
    m_connection->prepare(sql);
    CursorUse cursor(m_connection->prepare(
        QStringLiteral("INSERT INTO SysQueries (Name, SQL) VALUES (?1, ?2)")));
    cursor->bind(1, name);
    cursor->bind(2, sql);
    cursor->run();
}

QueryDef Database::queryDef(const QString& name)
{
    if (!m_connection)
        throw DbError(Error::ObjectClosed, QStringLiteral("Object invalid or no longer set."));
    CursorUse cursor(m_connection->prepare(
        QStringLiteral("SELECT Name, SQL FROM SysQueries WHERE Name = ?1 COLLATE NOCASE")));
    cursor->bind(1, name);
    if (!cursor->next())
        throw DbError(Error::ItemNotFound, QStringLiteral("Item not found in this collection."));
    return QueryDef(m_connection, cursor->value(0).toString(), cursor->value(1).toString());
}

QueryDef Database::temporaryQueryDef(const QString& sql)
{
    if (!m_connection)
        throw DbError(Error::ObjectClosed, ClosedText);
    return QueryDef(m_connection, QString(), sql);
}

std::unique_ptr<Recordset> Database::openRecordset(const QString& source, RecordsetType type)
{
    if (!m_connection)
        throw DbError(Error::ObjectClosed, ClosedText);
    static const QRegularExpression simpleSelect(
        QStringLiteral("^\\s*SELECT\\s+\\*\\s+FROM\\s+(\\[[^\\]]+\\]|[A-Za-z_][A-Za-z0-9_]*)"
                       "(?:\\s+WHERE\\s+(.*?))?(?:\\s+ORDER\\s+BY\\s+(.*?))?\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = simpleSelect.match(source);
    std::unique_ptr<Recordset> set(new Recordset(m_connection, type));
    if (match.hasMatch()) {
        set->openKeyset(m_connection->tableName(match.captured(1)),
                        translateQuery(match.captured(2)), {}, translateQuery(match.captured(3)));
    } else if (!source.contains(QRegularExpression(QStringLiteral("\\s")))) {
        set->openKeyset(m_connection->tableName(source), QString(), {}, QString());
    } else {
        set->openSnapshot(translateQuery(source), {});
    }
    return set;
}

std::unique_ptr<Recordset> Database::openRecordset(const RecordSource& source, RecordsetType type)
{
    if (!m_connection)
        throw DbError(Error::ObjectClosed, ClosedText);
    const QString table = m_connection->tableName(source.table);
    const QList<ColumnInfo> columns = m_connection->columns(table);
    QString where;
    QVariantList values;
    if (source.where) {
        const ColumnInfo* column = findColumn(columns, source.where->column());
        if (!column)
            throw DbError(Error::ItemNotFound,
                          QStringLiteral("Item not found in this collection. (%1)")
                              .arg(source.where->column()));
        where = conditionSql(*source.where, column, values);
    }
    QStringList order;
    for (const QString& column : source.orderBy)
        order << quoteIdentifier(column);
    std::unique_ptr<Recordset> set(new Recordset(m_connection, type));
    set->openKeyset(table, where, values, order.join(QStringLiteral(", ")));
    return set;
}

} // namespace Db
