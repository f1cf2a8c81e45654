#include "core/db/recordset.h"

#include "core/db/connection.h"
#include "core/db/engine_p.h"

#include <QRegularExpression>

#include <algorithm>

namespace Db {

namespace {

const QString ClosedText = QStringLiteral("Object invalid or no longer set.");
const QString NoCurrentText = QStringLiteral("No current record.");

} // namespace

Recordset::Recordset(std::shared_ptr<Connection> connection, RecordsetType type)
    : m_connection(std::move(connection)), m_type(type)
{}

Recordset::~Recordset() = default;

void Recordset::openKeyset(const QString& table, const QString& where,
                           const QVariantList& whereValues, const QString& orderBy)
{
    m_table = table;
    m_where = where;
    m_whereValues = whereValues;
    m_orderBy = orderBy;
    m_columns = m_connection->columns(table);
    m_fieldSpellings.clear();
    for (ColumnInfo& column : m_columns)
        column.flag = kindOf(column) == Kind::Flag;
    for (int i = 0; i < m_columns.size(); ++i)
        m_fieldIndex.insert(m_columns[i].name.toLower(), i);
    if (m_type == RecordsetType::Snapshot) {
        // A snapshot of a table holds the values as they were when it was opened.
        QString sql = QStringLiteral("SELECT %1 FROM %2").arg(selectList(), quoteIdentifier(table));
        if (!where.isEmpty())
            sql += QStringLiteral(" WHERE ") + where;
        if (!orderBy.isEmpty())
            sql += QStringLiteral(" ORDER BY ") + orderBy;
        CursorUse cursor(m_connection->prepare(sql));
        for (int i = 0; i < whereValues.size(); ++i)
            cursor->bind(i + 1, whereValues[i]);
        while (cursor->next())
            m_rows << readRow(cursor.get(), 0);
        m_updatable = false;
    } else {
        loadKeys();
        m_updatable = true;
    }
    m_position = recordCount() > 0 ? 0 : -1;
}

// The set's columns by name, in their order: a server's table has columns of its own
// besides them.
QString Recordset::selectList() const
{
    QStringList names;
    for (const ColumnInfo& column : m_columns)
        names << quoteIdentifier(column.name);
    return names.join(QStringLiteral(", "));
}

void Recordset::openSnapshot(const QString& sql, const QHash<QString, QVariant>& parameters)
{
    m_type = RecordsetType::Snapshot;
    m_updatable = false;
    m_sql = sql;
    m_parameters = parameters;
    m_columns.clear();
    m_fieldIndex.clear();
    m_fieldSpellings.clear();
    CursorUse cursor(m_connection->prepare(sql));
    for (int i = 1; i <= cursor->parameterCount(); ++i) {
        const QString name = cursor->parameterName(i);
        if (!name.isEmpty())
            cursor->bind(i, parameters.value(name.toLower()));
    }
    static const QRegularExpression sizePattern(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    for (int i = 0; i < cursor->columnCount(); ++i) {
        ColumnInfo column;
        column.name = cursor->columnName(i);
        column.declaredType = cursor->columnType(i);
        const auto match = sizePattern.match(column.declaredType);
        if (kindOf(column) == Kind::Text && match.hasMatch())
            column.size = match.captured(1).toInt();
        column.flag = kindOf(column) == Kind::Flag;
        m_columns << column;
        m_fieldIndex.insert(column.name.toLower(), i);
    }
    while (cursor->next())
        m_rows << readRow(cursor.get(), 0);
    m_position = m_rows.isEmpty() ? -1 : 0;
}

void Recordset::loadKeys()
{
    // The first screens of a list are all it needs to show itself.
    constexpr int FirstKeys = 256;
    int total = 0;
    m_keys = readKeys(FirstKeys, &total);
    m_keysToRead = std::max(0, total - int(m_keys.size()));
    m_keyPositionsValid = false;
    m_cachedKey = -1;
    m_page.clear();
    m_outOfOrder = false;
}

// The keys of the set's rows in its order, the first `limit` of them (0: all). With a
// limit, `total` gets the number of rows of the set, read by the same statement so that
// both see one state of the table: a whole table's kept count when it has one, else
// counted.
std::vector<qint64> Recordset::readKeys(int limit, int* total) const
{
    QString from = QStringLiteral("FROM %1").arg(quoteIdentifier(m_table));
    if (!m_where.isEmpty())
        from += QStringLiteral(" WHERE ") + m_where;
    QString count = QStringLiteral("(SELECT count(*) %1)").arg(from);
    if (limit > 0 && m_where.isEmpty() && m_connection->hasTable(RowCountsTable)) {
        count = QStringLiteral("coalesce((SELECT \"Rows\" FROM %1 WHERE \"Name\" = %2), %3)")
                    .arg(RowCountsTable, quoteLiteral(m_table), count);
    }
    QString sql = limit > 0 ? QStringLiteral("SELECT rowid, %1 %2").arg(count, from)
                            : QStringLiteral("SELECT rowid ") + from;
    sql += QStringLiteral(" ORDER BY ") +
           (m_orderBy.isEmpty() ? QStringLiteral("rowid") : m_orderBy + QStringLiteral(", rowid"));
    if (limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(limit);
    CursorUse cursor(m_connection->prepare(sql));
    for (int i = 0; i < m_whereValues.size(); ++i)
        cursor->bind(i + 1, m_whereValues[i]);
    std::vector<qint64> keys;
    while (cursor->next()) {
        keys.push_back(cursor->key(0));
        if (total)
            *total = int(cursor->key(1));
    }
    return keys;
}

void Recordset::completeKeys() const
{
    if (m_keysToRead == 0)
        return;
    m_keys = readKeys(0, nullptr);
    m_keysToRead = 0;
    m_keyPositionsValid = false;
}

void Recordset::readAllKeys() const
{
    ensureOpen();
    if (m_type != RecordsetType::Dynaset)
        return;
    completeKeys();
    positionOfKey(-1);
}

qint64 Recordset::keyAt(int position) const
{
    if (size_t(position) >= m_keys.size())
        completeKeys();
    // The table may have lost rows since the set counted them.
    if (position < 0 || size_t(position) >= m_keys.size())
        throw DbError(Error::NoCurrentRecord, NoCurrentText);
    return m_keys[size_t(position)];
}

void Recordset::requery()
{
    ensureOpen();
    if (m_editMode != EditMode::None)
        cancelUpdate();
    if (m_type == RecordsetType::Dynaset) {
        loadKeys();
    } else {
        // A snapshot reads its rows again from its source.
        m_rows.clear();
        if (m_table.isEmpty())
            openSnapshot(m_sql, m_parameters);
        else
            openKeyset(m_table, m_where, m_whereValues, m_orderBy);
    }
    m_currentDeleted = false;
    m_position = recordCount() > 0 ? 0 : -1;
}

void Recordset::close()
{
    m_closed = true;
    m_keys.clear();
    m_keysToRead = 0;
    m_rows.clear();
    m_connection.reset();
}

void Recordset::ensureOpen() const
{
    if (m_closed || !m_connection || m_connection->isClosed())
        throw DbError(Error::ObjectClosed, ClosedText);
}

// ---- position ----

int Recordset::recordCount() const
{
    return m_type == RecordsetType::Dynaset ? int(m_keys.size()) + m_keysToRead
                                            : int(m_rows.size());
}

bool Recordset::eof() const
{
    return recordCount() == 0 || m_position >= recordCount();
}
bool Recordset::bof() const
{
    return recordCount() == 0 || m_position < 0;
}

void Recordset::moveFirst()
{
    ensureOpen();
    if (recordCount() == 0)
        throw DbError(Error::NoCurrentRecord, NoCurrentText);
    m_position = 0;
    m_currentDeleted = false;
    m_cachedKey = -1;
}

void Recordset::moveLast()
{
    ensureOpen();
    if (recordCount() == 0)
        throw DbError(Error::NoCurrentRecord, NoCurrentText);
    m_position = recordCount() - 1;
    m_currentDeleted = false;
    m_cachedKey = -1;
}

void Recordset::moveNext()
{
    ensureOpen();
    // After a delete the next row (or the end, when the last row went) already stands
    // at the deleted row's position, so the move itself is always allowed.
    if (!m_currentDeleted && eof())
        throw DbError(Error::NoCurrentRecord, NoCurrentText);
    if (!m_currentDeleted)
        ++m_position;
    m_currentDeleted = false;
    m_cachedKey = -1;
}

int Recordset::absolutePosition() const
{
    if (m_currentDeleted || bof() || eof())
        return -1;
    return m_position;
}

void Recordset::setAbsolutePosition(int position)
{
    ensureOpen();
    if (position < 0 || position >= recordCount())
        throw DbError(Error::NoCurrentRecord, NoCurrentText);
    m_position = position;
    m_currentDeleted = false;
    m_cachedKey = -1;
}

int Recordset::positionOfKey(qint64 key) const
{
    completeKeys();
    if (!m_keyPositionsValid) {
        m_keyPositions.clear();
        m_keyPositions.reserve(qsizetype(m_keys.size()));
        for (size_t i = 0; i < m_keys.size(); ++i)
            m_keyPositions.insert(m_keys[i], int(i));
        m_keyPositionsValid = true;
    }
    return m_keyPositions.value(key, -1);
}

// ---- finding ----

std::vector<qint64> Recordset::matchingKeys(const Criterion& criterion) const
{
    const ColumnInfo* column = findColumn(m_columns, criterion.column());
    if (!column)
        throw DbError(
            Error::ItemNotFound,
            QStringLiteral("Item not found in this collection. (%1)").arg(criterion.column()));
    QVariantList values = m_whereValues;
    QString sql = QStringLiteral("SELECT rowid FROM %1 WHERE ").arg(quoteIdentifier(m_table));
    if (!m_where.isEmpty())
        sql += QLatin1Char('(') + m_where + QStringLiteral(") AND ");
    sql += conditionSql(criterion, column, values);
    sql += QStringLiteral(" ORDER BY ") +
           (m_orderBy.isEmpty() ? QStringLiteral("rowid") : m_orderBy + QStringLiteral(", rowid"));
    CursorUse cursor(m_connection->prepare(sql));
    for (int i = 0; i < values.size(); ++i)
        cursor->bind(i + 1, values[i]);
    std::vector<qint64> keys;
    while (cursor->next()) {
        keys.push_back(cursor->key(0));
        // In the set's own order the first row that belongs to the set is the answer,
        // unless rows added or changed through it since it was read stand out of order.
        if (!m_outOfOrder && positionOfKey(keys.back()) >= 0)
            break;
    }
    return keys;
}

bool Recordset::findFirst(const Criterion& criterion)
{
    ensureOpen();
    int found = -1;
    if (m_type == RecordsetType::Dynaset) {
        for (qint64 key : matchingKeys(criterion)) {
            const int position = positionOfKey(key);
            if (position >= 0 && (found < 0 || position < found))
                found = position;
        }
    } else {
        const int field = fieldIndex(criterion.column());
        if (field < 0)
            throw DbError(
                Error::ItemNotFound,
                QStringLiteral("Item not found in this collection. (%1)").arg(criterion.column()));
        for (int i = 0; i < m_rows.size() && found < 0; ++i) {
            if (valueMatches(criterion, m_rows[i][field]))
                found = i;
        }
    }
    m_noMatch = found < 0;
    if (found >= 0) {
        m_position = found;
        m_currentDeleted = false;
        m_cachedKey = -1;
    }
    return !m_noMatch;
}

// ---- fields ----

int Recordset::fieldIndex(const QString& name) const
{
    // A name is asked for row after row: its spelling is looked up once.
    const auto known = m_fieldSpellings.constFind(name);
    if (known != m_fieldSpellings.constEnd())
        return *known;
    QString bare = name;
    if (bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']')))
        bare = bare.mid(1, bare.size() - 2);
    const int index = m_fieldIndex.value(bare.toLower(), -1);
    m_fieldSpellings.insert(name, index);
    return index;
}

int Recordset::fieldSize(const QString& name) const
{
    const int field = fieldIndex(name);
    if (field < 0)
        throw DbError(Error::ItemNotFound,
                      QStringLiteral("Item not found in this collection. (%1)").arg(name));
    return m_columns[field].size;
}

void Recordset::ensureCurrent() const
{
    ensureOpen();
    if (m_currentDeleted)
        throw DbError(Error::RecordDeleted, QStringLiteral("Record is deleted."));
    if (bof() || eof())
        throw DbError(Error::NoCurrentRecord, NoCurrentText);
}

QVariantList Recordset::fetch(qint64 rowid) const
{
    // The cache only spares reading one row again field by field; every move clears
    // it, so that a move shows what other connections have changed since.
    if (rowid == m_cachedKey)
        return m_cachedValues;
    if (m_fetchSql.isEmpty())
        m_fetchSql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1")
                         .arg(selectList(), quoteIdentifier(m_table));
    CursorUse cursor(m_connection->prepare(m_fetchSql));
    cursor->bindKey(1, rowid);
    if (!cursor->next())
        throw DbError(Error::RecordDeleted, QStringLiteral("Record is deleted."));
    const QVariantList row = readRow(cursor.get(), 0);
    m_cachedKey = rowid;
    m_cachedValues = row;
    return row;
}

QVariantList Recordset::readRow(const Cursor* cursor, int firstColumn) const
{
    QVariantList row;
    row.reserve(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        row << readAs(m_columns[i], cursor->value(firstColumn + i));
    return row;
}

QVariantList Recordset::row(int position) const
{
    ensureOpen();
    if (position < 0 || position >= recordCount())
        throw DbError(Error::NoCurrentRecord, NoCurrentText);
    if (m_type == RecordsetType::Snapshot)
        return m_rows[position];
    const qint64 key = keyAt(position);
    auto hit = m_page.constFind(key);
    if (hit == m_page.constEnd()) {
        fetchPage(position);
        hit = m_page.constFind(key);
        if (hit == m_page.constEnd())
            throw DbError(Error::RecordDeleted, QStringLiteral("Record is deleted."));
    }
    return *hit;
}

void Recordset::fetchPage(int position) const
{
    // A list reads its rows a page at a time: one statement, and one read
    // transaction, for many rows instead of one each.
    constexpr int PageSize = 128;
    if (m_pageSql.isEmpty()) {
        QStringList marks;
        for (int i = 1; i <= PageSize; ++i)
            marks << QStringLiteral("?%1").arg(i);
        m_pageSql = QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid IN (%3)")
                        .arg(selectList(), quoteIdentifier(m_table), marks.join(QLatin1Char(',')));
    }
    CursorUse cursor(m_connection->prepare(m_pageSql));
    const int start = position - position % PageSize;
    const int end = std::min(start + PageSize, recordCount());
    for (int i = start; i < end; ++i)
        cursor->bindKey(i - start + 1, keyAt(i));
    m_page.clear();
    while (cursor->next())
        m_page.insert(cursor->key(0), readRow(cursor.get(), 1));
}

QList<QVariantList> Recordset::rows(int first, int count, const QList<int>& fields) const
{
    ensureOpen();
    if (first < 0 || count < 0 || first + count > recordCount())
        throw DbError(Error::NoCurrentRecord, NoCurrentText);
    for (const int field : fields) {
        if (field < 0 || field >= m_columns.size())
            throw DbError(Error::ItemNotFound,
                          QStringLiteral("Item not found in this collection."));
    }
    QList<QVariantList> values;
    values.reserve(count);
    if (m_type == RecordsetType::Snapshot) {
        for (int i = first; i < first + count; ++i) {
            QVariantList row;
            row.reserve(fields.size());
            for (const int field : fields)
                row << m_rows[i][field];
            values << row;
        }
        return values;
    }
    // The rows by rowid, a batch to one statement: one seek each, with no list of keys
    // to build first; a mark left unbound is NULL, which no rowid equals.
    constexpr int Batch = 32;
    QString& sql = m_rowsSql[fields];
    if (sql.isEmpty()) {
        QStringList names{QStringLiteral("rowid")};
        for (const int field : fields)
            names << quoteIdentifier(m_columns[field].name);
        const QString select = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                   .arg(names.join(QStringLiteral(", ")), quoteIdentifier(m_table));
        QStringList selects;
        for (int i = 1; i <= Batch; ++i)
            selects << select + QString::number(i);
        sql = selects.join(QStringLiteral(" UNION ALL "));
    }
    QHash<qint64, QVariantList> read;
    for (int start = first; start < first + count; start += Batch) {
        CursorUse cursor(m_connection->prepare(sql));
        const int end = std::min(start + Batch, first + count);
        for (int i = start; i < end; ++i)
            cursor->bindKey(i - start + 1, keyAt(i));
        while (cursor->next()) {
            QVariantList row;
            row.reserve(fields.size());
            for (int i = 0; i < fields.size(); ++i)
                row << readAs(m_columns[fields[i]], cursor->value(i + 1));
            read.insert(cursor->key(0), row);
        }
    }
    for (int i = first; i < first + count; ++i)
        values << read.value(keyAt(i));
    return values;
}

const QVariantList& Recordset::currentValues() const
{
    ensureCurrent();
    if (m_type == RecordsetType::Snapshot)
        return m_rows[m_position];
    fetch(keyAt(m_position));
    return m_cachedValues;
}

QVariant Recordset::value(int field) const
{
    if (field < 0 || field >= m_columns.size())
        throw DbError(Error::ItemNotFound, QStringLiteral("Item not found in this collection."));
    if (m_editMode != EditMode::None)
        return m_buffer[field];
    return currentValues()[field];
}

QVariant Recordset::value(const QString& name) const
{
    const int field = fieldIndex(name);
    if (field < 0)
        throw DbError(Error::ItemNotFound,
                      QStringLiteral("Item not found in this collection. (%1)").arg(name));
    return value(field);
}

// ---- changes ----

ChangeStamp Recordset::rowStamp() const
{
    ensureCurrent();
    if (m_type != RecordsetType::Dynaset)
        return {};
    return m_connection->rowStamp(m_table, keyAt(m_position));
}

QVariant Recordset::convertForColumn(int field, const QVariant& value) const
{
    return valueForColumn(m_columns[field], value);
}

void Recordset::addNew()
{
    ensureOpen();
    if (!m_updatable)
        throw DbError(Error::ReadOnly,
                      QStringLiteral("Cannot update. Database or object is read-only."));
    m_buffer = QVariantList(m_columns.size());
    m_changed.assign(size_t(m_columns.size()), false);
    m_editMode = EditMode::Add;
}

void Recordset::edit()
{
    ensureCurrent();
    if (!m_updatable)
        throw DbError(Error::ReadOnly,
                      QStringLiteral("Cannot update. Database or object is read-only."));
    m_buffer = currentValues();
    m_changed.assign(size_t(m_columns.size()), false);
    m_editMode = EditMode::Edit;
}

void Recordset::setValue(const QString& name, const QVariant& value)
{
    ensureOpen();
    const int field = fieldIndex(name);
    if (field < 0)
        throw DbError(Error::ItemNotFound,
                      QStringLiteral("Item not found in this collection. (%1)").arg(name));
    if (m_editMode == EditMode::None)
        throw DbError(Error::NotAnUpdate,
                      QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    m_buffer[field] = convertForColumn(field, value);
    m_changed[size_t(field)] = true;
}

void Recordset::update()
{
    ensureOpen();
    m_page.clear();
    if (m_editMode == EditMode::None)
        throw DbError(Error::NotAnUpdate,
                      QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    QStringList names;
    QVariantList values;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_changed[size_t(i)]) {
            names << quoteIdentifier(m_columns[i].name);
            values << m_buffer[i];
        }
    }
    if (m_editMode == EditMode::Add) {
        // The keys read before the row is added, which then joins them at their end.
        completeKeys();
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(m_table));
        } else {
            QStringList marks;
            for (int i = 0; i < names.size(); ++i)
                marks << QStringLiteral("?%1").arg(i + 1);
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoteIdentifier(m_table), names.join(QStringLiteral(", ")),
                           marks.join(QStringLiteral(", ")));
        }
        CursorUse cursor(m_connection->prepare(sql));
        for (int i = 0; i < values.size(); ++i)
            cursor->bind(i + 1, values[i]);
        cursor->run();
        const qint64 key = cursor->lastInsertKey();
        // A row added through the set joins it at its end, as in any keyset.
        m_keys.push_back(key);
        m_keyPositionsValid = false;
        m_outOfOrder = true;
        if (m_position < 0)
            m_position = 0;
    } else if (!names.isEmpty()) {
        const qint64 key = keyAt(m_position);
        QStringList sets;
        for (int i = 0; i < names.size(); ++i)
            sets << QStringLiteral("%1 = ?%2").arg(names[i]).arg(i + 1);
        const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                                .arg(quoteIdentifier(m_table), sets.join(QStringLiteral(", ")))
                                .arg(names.size() + 1);
        CursorUse cursor(m_connection->prepare(sql));
        for (int i = 0; i < values.size(); ++i)
            cursor->bind(i + 1, values[i]);
        cursor->bindKey(int(names.size()) + 1, key);
        cursor->run();
        if (cursor->changes() == 0)
            throw DbError(Error::RecordDeleted, QStringLiteral("Record is deleted."));
        // The row keeps its place in the set even where its new values would sort elsewhere.
        m_outOfOrder = true;
    }
    m_cachedKey = -1;
    m_editMode = EditMode::None;
    m_buffer.clear();
}

void Recordset::cancelUpdate()
{
    if (m_editMode == EditMode::None)
        throw DbError(Error::NotAnUpdate,
                      QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    m_editMode = EditMode::None;
    m_buffer.clear();
}

void Recordset::deleteRecord()
{
    ensureCurrent();
    if (!m_updatable)
        throw DbError(Error::ReadOnly,
                      QStringLiteral("Cannot update. Database or object is read-only."));
    const qint64 key = keyAt(m_position);
    completeKeys();
    CursorUse cursor(m_connection->prepare(
        QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quoteIdentifier(m_table))));
    cursor->bindKey(1, key);
    cursor->run();
    m_keys.erase(m_keys.begin() + m_position);
    m_keyPositionsValid = false;
    m_cachedKey = -1;
    m_page.clear();
    m_currentDeleted = true;
}

} // namespace Db
