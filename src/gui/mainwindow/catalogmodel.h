#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

class DataView;

// A catalogue list as the drop-down lists show it: the records of a data view,
// some of their columns, each with its caption and display mask.
class CatalogModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct Column
    {
        QString field;
        QString caption;
        QString mask;             // empty: shown as stored
        bool signColours = false; // dark blue, or dark red when negative
    };

    CatalogModel(DataView* view, const QList<Column>& columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The stored value of a row's column, for the program to compute with.
    QVariant stored(int row, int column) const;
    // The first row whose first column equals the text (letter case ignored), or -1.
    int find(const QString& text) const;
    // The first row whose first column begins with the character, or -1.
    int findFirstLetter(QChar letter) const;

private:
    DataView* m_view;
    QList<Column> m_columns;
    QList<int> m_fields;
};
