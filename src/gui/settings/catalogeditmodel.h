#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>

#include "core/db/engine.h"

class CatalogTable;

// One column of a catalogue grid: the table field it edits, its caption, the
// display mask of a number field (empty for text) and its typing limit.
struct CatalogColumn
{
    QString field;
    QString caption;
    QString mask;
    int maxLength = 0;
};

// An editable grid over a whole catalogue table: every row of the table in the
// table's order, then one empty row that takes a new entry. Cells are texts as
// the grid shows them; a committed edit is checked by the engine's rules for the
// table's columns and kept in the catalogue table (CatalogTable) until the dialog
// saves it; nothing is written to the database before.
class CatalogEditModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The columns edit the fields of `table` in its order.
    CatalogEditModel(std::unique_ptr<CatalogTable> table, const QList<CatalogColumn>& columns,
                     QObject* parent = nullptr);
    ~CatalogEditModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Writes one cell; see setRowTexts().
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // Deletes rows; the empty row at the end is never removed.
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    const CatalogColumn& column(int column) const { return m_columns.at(column); }
    QString text(int row, int column) const;
    QStringList rowTexts(int row) const;
    bool isNewRow(int row) const { return row == tableRows(); }
    int tableRows() const;

    // Sets a whole row at once (the texts of all columns): an existing row is
    // edited, the empty row becomes a new row once it holds some text. A value the
    // table's column refuses shows the engine's error and leaves the row as it was.
    // Returns false then.
    bool setRowTexts(int row, const QStringList& texts);

    CatalogTable& table() const { return *m_table; }
    // Shows the table as it is now, read again; the edits are dropped. An engine
    // failure is thrown and leaves the rows as they were.
    void reload();

    // While off, an engine failure is kept for takeError() instead of shown, for a
    // caller that reports it in its own words.
    void setShowsErrors(bool shows) { m_showsErrors = shows; }
    std::optional<Db::DbError> takeError() { return std::exchange(m_error, std::nullopt); }

private:
    QVariant storedValue(int column, const QString& text) const;
    void showError(int number, const QString& description);

    std::unique_ptr<CatalogTable> m_table;
    QList<CatalogColumn> m_columns;
    bool m_showsErrors = true;
    std::optional<Db::DbError> m_error;
};
