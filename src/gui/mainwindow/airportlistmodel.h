#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>

class DataView;

// The airport list's rows: the records of the airport view, five columns, and the
// dark red of airports whose runway is shorter than the minimum runway length. The
// short runway is marked by more than its colour: a warning sign in its cell and a
// description that screen readers and tool tips give.
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

    // The colour of short runways' rows, dark red made readable on the list's rows.
    void setShortRunwayColour(const QColor& colour);
    QColor shortRunwayColour() const { return m_shortRunwayColour; }

private:
    QVariant cell(int row, int column) const;

    DataView* m_view;
    QColor m_shortRunwayColour;
    mutable QIcon m_shortRunwaySign;
    int m_fields[COLUMNS] = {-1, -1, -1, -1, -1};
};
