#include "core/quote/catalogtable.h"

#include "core/db/engine.h"
#include "core/format.h"

#include <algorithm>

namespace {

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// A figure compares by its value, whatever type the engine or the grid gave it (430 read
// from a whole-number column is the 430.0 typed).
bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    if (isNumber(a) && isNumber(b))
        return a.toDouble() == b.toDouble();
    return isNumber(a) == isNumber(b) && a.toString() == b.toString();
}

bool sameValues(const QVariantList& a, const QVariantList& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameValue);
}

} // namespace

CatalogTable::CatalogTable(std::shared_ptr<Db::Database> database, const QString& table,
                           const QStringList& fields, const QString& name,
                           std::function<void(Db::Database&)> makeTable)
    : m_database(std::move(database)), m_table(table), m_fields(fields), m_name(name),
      m_makeTable(std::move(makeTable))
{
    read();
}

CatalogTable::~CatalogTable() = default;

void CatalogTable::read()
{
    // The stamp before the rows: a change in between shows as a change since the read,
    // never the other way round.
    const bool exists = m_database->hasTable(m_table);
    const Db::ChangeStamp stamp = exists ? m_database->tableStamp(m_table) : Db::ChangeStamp();
    std::unique_ptr<Db::Recordset> records;
    QList<QVariantList> rows;
    if (exists) {
        records = m_database->openRecordset(m_table);
        QList<int> indexes;
        for (const QString& field : m_fields)
            indexes << records->fieldIndex(field);
        for (int position = 0; position < records->recordCount(); ++position) {
            const QVariantList row = records->row(position);
            QVariantList values;
            for (int index : indexes)
                values << row.value(index);
            rows << values;
        }
    }
    m_records = std::move(records);
    m_stamp = stamp;
    m_read = rows;
    m_rows.clear();
    for (int origin = 0; origin < m_read.size(); ++origin)
        m_rows << Row{origin, m_read.at(origin)};
    m_replace = false;
}

void CatalogTable::reload()
{
    read();
}

void CatalogTable::setRow(int row, const QVariantList& values)
{
    if (row < 0 || row > m_rows.size() || values.size() != m_fields.size())
        throw Db::DbError(Db::Error::ItemNotFound,
                          QStringLiteral("Item not found in this collection. (row %1)").arg(row));
    const bool adding = row == m_rows.size();
    // The engine's own checks of a value (its type, a text's length), on a row that is
    // never added.
    if (m_records) {
        m_records->addNew();
        try {
            for (int field = 0; field < m_fields.size(); ++field) {
                if (adding || !sameValue(values.at(field), m_rows.at(row).values.at(field)))
                    m_records->setValue(m_fields.at(field), values.at(field));
            }
        } catch (const Db::DbError&) {
            m_records->cancelUpdate();
            throw;
        }
        m_records->cancelUpdate();
    }
    if (adding)
        m_rows << Row{-1, values};
    else
        m_rows[row].values = values;
}

void CatalogTable::removeRow(int row)
{
    if (row >= 0 && row < m_rows.size())
        m_rows.removeAt(row);
}

CatalogTable::Changes CatalogTable::changes() const
{
    Changes changes;
    QList<bool> kept(m_read.size(), false);
    for (int row = 0; row < m_rows.size(); ++row) {
        const Row& edited = m_rows.at(row);
        if (edited.origin < 0) {
            changes.added << row;
            continue;
        }
        kept[edited.origin] = true;
        if (!sameValues(edited.values, m_read.at(edited.origin)))
            changes.changed << row;
    }
    for (int origin = 0; origin < m_read.size(); ++origin) {
        if (!kept.at(origin))
            changes.deleted << origin;
    }
    return changes;
}

std::optional<Db::ChangeStamp> CatalogTable::changedElsewhere() const
{
    const Db::ChangeStamp now =
        m_database->hasTable(m_table) ? m_database->tableStamp(m_table) : Db::ChangeStamp();
    if (now == m_stamp)
        return std::nullopt;
    return now;
}

void CatalogTable::keepOver(const Db::ChangeStamp& theirs)
{
    m_stamp = theirs;
    m_replace = true;
}

void CatalogTable::write()
{
    if (!isChanged())
        return;
    if (m_makeTable && !m_database->hasTable(m_table))
        m_makeTable(*m_database);
    auto records = m_database->openRecordset(m_table);
    const auto set = [&](const QVariantList& values, const QVariantList* before) {
        for (int field = 0; field < m_fields.size(); ++field) {
            if (!before || !sameValue(values.at(field), before->at(field)))
                records->setValue(m_fields.at(field), values.at(field));
        }
        records->update();
    };
    const auto add = [&](const QVariantList& values) {
        records->addNew();
        set(values, nullptr);
    };
    if (m_replace) {
        while (records->recordCount() > 0) {
            records->setAbsolutePosition(records->recordCount() - 1);
            records->deleteRecord();
        }
        for (const Row& row : std::as_const(m_rows))
            add(row.values);
        return;
    }
    // The rows are found where they were read: the stamp (or, on a file, the single desk)
    // says nobody changed the table since. A table that says otherwise is not guessed at.
    if (records->recordCount() != m_read.size())
        throw Db::DbError(Db::Error::EngineFailure,
                          QStringLiteral("The %1 no longer hold the rows read when Settings "
                                         "opened.")
                              .arg(m_name));
    const Changes changes = this->changes();
    for (int row : changes.changed) {
        const Row& edited = m_rows.at(row);
        records->setAbsolutePosition(edited.origin);
        records->edit();
        set(edited.values, &m_read.at(edited.origin));
    }
    // The last first, so that the positions of those before stay as read.
    for (auto origin = changes.deleted.crbegin(); origin != changes.deleted.crend(); ++origin) {
        records->setAbsolutePosition(*origin);
        records->deleteRecord();
    }
    for (int row : changes.added)
        add(m_rows.at(row).values);
}

CatalogSave::CatalogSave(Db::Workspace& workspace, QList<CatalogTable*> tables)
    : m_workspace(workspace.shared_from_this()), m_tables(std::move(tables))
{}

CatalogSave::~CatalogSave() = default;

QList<CatalogTable*> CatalogSave::write(const Resolve& resolve)
{
    QList<CatalogTable*> changed;
    for (CatalogTable* table : std::as_const(m_tables)) {
        if (table->isChanged())
            changed << table;
    }
    if (changed.isEmpty())
        return {};
    for (;;) {
        QList<std::pair<CatalogTable*, Db::ChangeStamp>> conflicts;
        try {
            m_transaction = std::make_unique<Db::Transaction>(*m_workspace);
            // Writers queue behind each other on a server: no other desk's change can come
            // between these stamps and the commit.
            for (CatalogTable* table : std::as_const(changed)) {
                if (const std::optional<Db::ChangeStamp> theirs = table->changedElsewhere())
                    conflicts.append({table, *theirs});
            }
            if (conflicts.isEmpty()) {
                for (CatalogTable* table : std::as_const(changed))
                    table->write();
                return {};
            }
        } catch (...) {
            try {
                rollback();
            } catch (const Db::DbError&) {
                // The failure that stopped the write is the one to report.
            }
            throw;
        }
        rollback();
        QList<CatalogTable*> taken;
        for (const auto& [table, theirs] : std::as_const(conflicts)) {
            if (resolve(*table, theirs) == Choice::KeepMine)
                table->keepOver(theirs);
            else
                taken << table;
        }
        if (!taken.isEmpty())
            return taken;
        // Asked again should yet another change have come while the operator answered.
    }
}

void CatalogSave::commit()
{
    // The guard goes in any case: a commit the engine refuses is rolled back by it.
    const std::unique_ptr<Db::Transaction> transaction = std::move(m_transaction);
    if (transaction)
        transaction->commit();
}

void CatalogSave::rollback()
{
    const std::unique_ptr<Db::Transaction> transaction = std::move(m_transaction);
    if (transaction)
        transaction->rollback();
}

QString CatalogSave::conflictText(const QString& name, const Db::ChangeStamp& theirs)
{
    const QDateTime at = theirs.at.toLocalTime();
    QString when = QStringLiteral("at ") + at.toString(QStringLiteral("HH:mm"));
    if (at.date() != QDate::currentDate())
        when = QStringLiteral("on %1 %2").arg(Format::shortDate(at.date()), when);
    const QString by = theirs.by.isEmpty() ? QString() : QStringLiteral("by %1 ").arg(theirs.by);
    return QStringLiteral("The %1 were changed %2%3 after you opened Settings.\r\r"
                          "Yes: keep your changes, replacing theirs.\r"
                          "No: reload theirs; your changes to them are dropped.")
        .arg(name, by, when);
}
