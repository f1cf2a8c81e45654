#pragma once

#include <QAbstractTableModel>

class DataView;

// The airport list's rows: the records of the airport view, five columns, and the
// dark red of airports whose runway is shorter than the minimum runway length.
class AirportListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        ColumnId,
        ColumnName,
        ColumnState,
        ColumnCountry,
        ColumnRunwayLength,
        COLUMNS
    };

    explicit AirportListModel(DataView* view, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // True when the airport of the row is to be drawn in the "LineRed" style.
    bool isShortRunway(int row) const;

    // Redraws every row, for a changed minimum runway length.
    void restyle();

private:
    QVariant cell(int row, int column) const;

    DataView* m_view;
    int m_fields[COLUMNS] = {-1, -1, -1, -1, -1};
};
