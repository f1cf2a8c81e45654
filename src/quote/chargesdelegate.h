#pragma once

#include <QStyledItemDelegate>

class CatalogModel;
class ChargesModel;

// The editors of the charges grid: the catalogue drop-down on the Charge column
// (a charge can also be typed), the tax drop-down on the Tax column, and the
// Amount and Number cells with their key rules, recomputing as they are typed.
class ChargesDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    ChargesDelegate(ChargesModel* charges, CatalogModel* catalog, CatalogModel* taxes,
                    QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ChargesModel* m_charges;
    CatalogModel* m_catalog;
    CatalogModel* m_taxes;
};
