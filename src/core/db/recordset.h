#pragma once

#include "core/db/changestamp.h"
#include "core/db/columninfo.h"
#include "core/db/criterion.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace Db {

class Connection;
class Cursor;

// The table that holds the number of rows of the tables counted as their rows come and
// go (Schema counts the airports): a list of a whole table reads its count there rather
// than counting every row. A table it does not name is counted.
inline const QString RowCountsTable = QStringLiteral("TableRows");

enum class RecordsetType
{
    Dynaset,
    Snapshot
};

// A set of rows with a current record. A dynaset keeps the keys of its rows and
// reads their values when asked, so it shows changes made to them elsewhere; a
// snapshot holds the values it read and cannot be changed.
class Recordset
{
public:
    ~Recordset();

    RecordsetType type() const { return m_type; }

    int recordCount() const;
    bool eof() const;
    bool bof() const;
    void moveFirst();
    void moveLast();
    void moveNext();
    int absolutePosition() const; // 0-based, -1 when there is no current record
    void setAbsolutePosition(int position);

    // Searches from the first row in the set's own order; the position is left
    // unchanged when nothing matches.
    bool findFirst(const Criterion& criterion);
    bool noMatch() const { return m_noMatch; }

    int fieldIndex(const QString& name) const; // -1 when missing
    int fieldSize(const QString& name) const;
    QVariant value(const QString& field) const;
    QVariant value(int field) const;
    // The values of one row by its position, without moving the current record.
    QVariantList row(int position) const;
    // The values of some fields (by index) of the rows from `first` on, by position,
    // read together without moving the current record; a row deleted since the set
    // was read comes back empty. A list reads the rows it shows this way.
    QList<QVariantList> rows(int first, int count, const QList<int>& fields) const;

    // Who changed the current row last and when, on a server; version 0 on a file.
    ChangeStamp rowStamp() const;

    void addNew();
    void edit();
    void setValue(const QString& field, const QVariant& value);
    void update();
    void cancelUpdate();
    bool isEditing() const { return m_editMode != EditMode::None; }
    void deleteRecord();

    // Runs the source again: new rows appear, removed ones go; the first row becomes current.
    void requery();
    // A large dynaset reads the keys of its first rows when it opens, and counts the
    // rest; their keys are read when first needed. This reads them now, and indexes
    // them for finding, so that a list can do it while the operator looks at it.
    void readAllKeys() const;
    bool allKeysRead() const
    {
        return m_type != RecordsetType::Dynaset || (m_keysToRead == 0 && m_keyPositionsValid);
    }
    void close();

private:
    friend class Database;
    friend class QueryDef;
    enum class EditMode
    {
        None,
        Add,
        Edit
    };

    Recordset(std::shared_ptr<Connection> connection, RecordsetType type);
    void openKeyset(const QString& table, const QString& where, const QVariantList& whereValues,
                    const QString& orderBy);
    void openSnapshot(const QString& sql, const QHash<QString, QVariant>& parameters);
    QString selectList() const;
    void loadKeys();
    std::vector<qint64> readKeys(int limit, int* total) const;
    void completeKeys() const;
    qint64 keyAt(int position) const;
    void ensureOpen() const;
    void ensureCurrent() const;
    QVariantList fetch(qint64 rowid) const;
    QVariantList readRow(const Cursor* cursor, int firstColumn) const;
    void fetchPage(int position) const;
    const QVariantList& currentValues() const;
    int positionOfKey(qint64 key) const;
    QVariant convertForColumn(int field, const QVariant& value) const;
    std::vector<qint64> matchingKeys(const Criterion& criterion) const;

    std::shared_ptr<Connection> m_connection;
    RecordsetType m_type;
    bool m_updatable = false;
    bool m_closed = false;

    // Source of a dynaset or of a snapshot of a table.
    QString m_table;
    QString m_where;
    QVariantList m_whereValues;
    QString m_orderBy;
    mutable QString m_fetchSql;
    mutable QString m_pageSql;
    mutable QHash<QList<int>, QString> m_rowsSql; // by the fields read
    mutable QHash<qint64, QVariantList> m_page;   // rows read for row(), by key
    // Source of a snapshot of a query, run again by requery().
    QString m_sql;
    QHash<QString, QVariant> m_parameters;

    QList<ColumnInfo> m_columns;
    QHash<QString, int> m_fieldIndex;             // lower-case name -> index
    mutable QHash<QString, int> m_fieldSpellings; // a name as asked for -> index

    mutable std::vector<qint64> m_keys;        // dynaset rows by rowid, the first ones
    mutable int m_keysToRead = 0;              // rows after them whose keys are not read yet
    mutable QHash<qint64, int> m_keyPositions; // built on demand
    mutable bool m_keyPositionsValid = false;
    bool m_outOfOrder = false;  // rows added or changed through the set since it was read
    QList<QVariantList> m_rows; // snapshot rows

    int m_position = -1; // -1 before the first row; == count after the last
    bool m_currentDeleted = false;
    bool m_noMatch = false;
    mutable qint64 m_cachedKey = -1;
    mutable QVariantList m_cachedValues;

    EditMode m_editMode = EditMode::None;
    QVariantList m_buffer;
    std::vector<bool> m_changed;
};

} // namespace Db
