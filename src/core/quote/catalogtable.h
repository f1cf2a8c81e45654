#pragma once

#include "core/db/changestamp.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

namespace Db {
class Database;
class Recordset;
class Transaction;
class Workspace;
} // namespace Db

// A catalogue table (the additional charges, the taxes, the aircraft profiles) as the
// settings dialog edits it: the rows read when the dialog opens, with the table's change
// stamp as read, and the operator's rows, kept here until Save writes them. Nothing is
// written and no transaction is held in between, so the other desks of a server work on
// while the dialog is open. Every engine failure is thrown as the engine's DbError.
class CatalogTable
{
public:
    // A row as edited: its values in the order of fields(), and the row read it comes
    // from (-1 for a row the operator added).
    struct Row
    {
        int origin = -1;
        QVariantList values;
    };

    // What a Save writes: rows read that are gone (positions in rowsRead()), edited rows
    // whose values differ from the row read and rows added (positions in rows()).
    struct Changes
    {
        QList<int> deleted;
        QList<int> changed;
        QList<int> added;
        bool isEmpty() const { return deleted.isEmpty() && changed.isEmpty() && added.isEmpty(); }
    };

    // Reads the table's stamp, then the fields of every row, in the table's order. `name`
    // names the catalogue in messages ("additional charges"). A table the database lacks
    // reads as empty; `makeTable` makes it, in the Save's transaction, before rows are
    // written into it.
    CatalogTable(std::shared_ptr<Db::Database> database, const QString& table,
                 const QStringList& fields, const QString& name,
                 std::function<void(Db::Database&)> makeTable = {});
    ~CatalogTable();
    CatalogTable(const CatalogTable&) = delete;
    CatalogTable& operator=(const CatalogTable&) = delete;

    const QString& table() const { return m_table; }
    const QString& name() const { return m_name; }
    const QStringList& fields() const { return m_fields; }
    const QList<QVariantList>& rowsRead() const { return m_read; }
    const Db::ChangeStamp& stampRead() const { return m_stamp; }
    const QList<Row>& rows() const { return m_rows; }

    // Puts the values into a row (rows().size() adds one) once the table's columns would
    // take those that differ from the row's; else the engine's refusal is thrown and the
    // row stays as it was. Nothing is written to the table.
    void setRow(int row, const QVariantList& values);
    void removeRow(int row);

    Changes changes() const;
    bool isChanged() const { return m_replace || !changes().isEmpty(); }

    // The table's stamp now, when it is not the stamp read (another desk changed the
    // table since): read inside the Save's transaction, nothing can change it until that
    // ends.
    std::optional<Db::ChangeStamp> changedElsewhere() const;
    // The operator keeps their rows over the table as another desk left it (`theirs`):
    // the next write replaces the table's rows with the operator's.
    void keepOver(const Db::ChangeStamp& theirs);
    // Writes the changes into the table inside the caller's transaction: the rows read
    // that changed are changed, those deleted deleted, new ones added at the end; or,
    // after keepOver(), the table's rows replaced by the operator's in their order.
    void write();
    // Reads the table again as the constructor does; the operator's changes are dropped.
    // A failure leaves everything as it was.
    void reload();

private:
    void read();

    std::shared_ptr<Db::Database> m_database;
    QString m_table;
    QStringList m_fields;
    QString m_name;
    std::function<void(Db::Database&)> m_makeTable;
    // Over the table, for the checks of setRow(); none while the table is missing.
    std::unique_ptr<Db::Recordset> m_records;
    QList<QVariantList> m_read;
    Db::ChangeStamp m_stamp;
    QList<Row> m_rows;
    bool m_replace = false;
};

// Saves the operator's changes of several catalogue tables in one transaction of their
// workspace: all of them or none.
class CatalogSave
{
public:
    enum class Choice
    {
        KeepMine,  // the operator's rows replace the table as the other desk left it
        TakeTheirs // the table is read again; the operator's changes to it are dropped
    };
    // Asked, with no transaction held, for a table the operator changed that another desk
    // changed since it was read, with that desk's stamp.
    using Resolve = std::function<Choice(const CatalogTable&, const Db::ChangeStamp& theirs)>;

    CatalogSave(Db::Workspace& workspace, QList<CatalogTable*> tables);
    // Rolls back what was not committed.
    ~CatalogSave();
    CatalogSave(const CatalogSave&) = delete;
    CatalogSave& operator=(const CatalogSave&) = delete;

    // Begins the transaction, compares the stamps of the changed tables with those read
    // and, when none moved, writes them, leaving the transaction for commit(). Tables
    // changed elsewhere are put to `resolve` with the transaction rolled back first (no
    // desk waits on the operator's answer); then it begins again. Returns the tables the
    // operator took from the other desk: nothing is written then, no transaction is left,
    // and the caller reads each of them again (CatalogTable::reload). A failure rolls
    // back and is thrown.
    QList<CatalogTable*> write(const Resolve& resolve);
    // Commits what write() wrote; nothing when no table had changes.
    void commit();
    void rollback();

    // The question put to the operator: the catalogue, who changed it and when.
    static QString conflictText(const QString& name, const Db::ChangeStamp& theirs);

private:
    std::shared_ptr<Db::Workspace> m_workspace;
    QList<CatalogTable*> m_tables;
    std::unique_ptr<Db::Transaction> m_transaction;
};
