#pragma once

#include <QColor>
#include <QGroupBox>

#include <memory>

class QPushButton;
class QTableView;
class CatalogEditModel;

namespace Db {
class Database;
}

// A catalogue table in an editable grid, framed, with its delete button beside it.
// The settings dialog places one on each of its catalogue tabs; the edits stay in
// the grid's catalogue table (CatalogTable) until the dialog saves them.
class CatalogGrid : public QGroupBox
{
    Q_OBJECT

public:
    CatalogEditModel* model() const { return m_model; }
    QTableView* grid() const { return m_grid; }
    QPushButton* deleteButton() const { return m_deleteButton; }

    // Where the focus goes after a delete: the dialog's Save button.
    void setSaveButton(QWidget* button) { m_saveButton = button; }
    // Commits the cell being edited, so the current row is among the rows to save;
    // nothing when no cell is being edited. The dialog calls it before it saves. The
    // editor is closed either way; a row the engine refuses keeps what it held, and
    // the failure is thrown for the caller to report (once, in its own words).
    void writeCurrentRow();
    // The grid's Ctrl+Tab: from the grid to its delete button.
    void focusDeleteButton();

signals:
    // The grid or its delete button took the focus; the dialog brings the tab forward.
    void focusReceived();

protected:
    CatalogGrid(const QString& title, const QString& gridName, const QString& buttonName,
                QWidget* parent);
    // Called by the subclass once its model and delegate exist.
    void attach(CatalogEditModel* model, class QAbstractItemDelegate* delegate);
    // The enabling rule of the delete button, with at least one row selected.
    virtual bool canDelete() const = 0;
    void updateDeleteButton();
    // After a delete: the focus to Save, the button off.
    void finishDelete();
    // Deletes the rows (the new row left alone), last first, then finishes as above.
    void deleteRows(QList<int> rows);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QTableView* m_grid;
    QPushButton* m_deleteButton;
    CatalogEditModel* m_model = nullptr;
    QWidget* m_saveButton = nullptr;
};

// The additional charges catalogue ("AdditionalCharges"), Description and Amount.
class ChargesGrid : public CatalogGrid
{
    Q_OBJECT

public:
    enum Column
    {
        ColumnDescription,
        ColumnAmount,
        COLUMNS
    };

    // Reads the table through the database (the dialog opens it on the default
    // workspace); an engine failure is thrown to the caller as Db::DbError.
    explicit ChargesGrid(const std::shared_ptr<Db::Database>& database, QWidget* parent = nullptr);

    // The style of an amount: "NegAmount" dark red when it begins with "-", else
    // "PosAmount" dark blue, each as it reads on the backgrounds it is drawn on.
    static QColor amountStyle(const QString& amount, const QList<QColor>& backgrounds);

public slots:
    void CmdDeleteCharge_Click();

protected:
    bool canDelete() const override;
};

// The tax catalogue ("Taxes"), Tax Type and Tax %. A tax is deleted by emptying
// its row, which the main window's tax lists leave out.
class TaxesGrid : public CatalogGrid
{
    Q_OBJECT

public:
    enum Column
    {
        ColumnTaxType,
        ColumnPercent,
        COLUMNS
    };

    explicit TaxesGrid(const std::shared_ptr<Db::Database>& database, QWidget* parent = nullptr);

public slots:
    void CmdDelTax_Click();

protected:
    bool canDelete() const override;
};

// The aircraft profiles ("Aircraft"), one column per value in AircraftField's order. A
// profile is checked as a whole only when the dialog saves (AircraftRules::refusal). A
// database made before the profiles shows none and gains their table at the Save that
// writes the first.
class AircraftGrid : public CatalogGrid
{
    Q_OBJECT

public:
    explicit AircraftGrid(const std::shared_ptr<Db::Database>& database, QWidget* parent = nullptr);

public slots:
    void CmdDeleteAircraft_Click();

protected:
    bool canDelete() const override;
};
