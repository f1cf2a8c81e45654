#pragma once

#include <QStyledItemDelegate>

class CatalogModel;
class ChargesModel;
class QAbstractItemView;
class QComboBox;
class QKeyEvent;

// The editors of the charges grid: the catalogue drop-down on the Charge column
// (a charge can also be typed, and the cell completes it from the catalogue), the
// tax drop-down on the Tax column, and the Amount and Number cells with their key
// rules, recomputing as they are typed. It also leads Tab and Shift+Tab through the
// grid's editable cells, so it watches the grid it is the delegate of (its parent).
class ChargesDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    ChargesDelegate(ChargesModel* charges, CatalogModel* catalog, CatalogModel* taxes,
                    QAbstractItemView* grid);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The cells' styles: amounts dark blue (dark red below zero), the computed columns
    // bold on grey (dark red below zero), the tax column dark blue on grey.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    bool isOpen(const QWidget* editor) const;
    void pickFromList(QComboBox* combo, int row);
    bool typeIntoCell(QWidget* editor, const QKeyEvent* key);
    static bool isTaxCellKey(const QKeyEvent* key);
    void handToGrid(QComboBox* taxBox, const QKeyEvent* key);
    bool typeIntoTaxList(QAbstractItemView* list, const QKeyEvent* key);
    bool tabThroughCells(const QKeyEvent* key);

    ChargesModel* m_charges;
    CatalogModel* m_catalog;
    CatalogModel* m_taxes;
    QAbstractItemView* m_grid;
};
