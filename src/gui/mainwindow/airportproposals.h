#pragma once

#include <QAbstractTableModel>

#include <vector>

class AirportSearch;

// The airports the find box proposes in Anything mode, best first: what tells one
// airport from another before it goes into the route (identifier, name, city, where it
// lies and its runway).
class AirportProposals : public QAbstractTableModel
{
public:
    enum Column
    {
        ColumnId,
        ColumnName,
        ColumnCity,
        ColumnWhere,
        ColumnRunwayLength,
        COLUMNS
    };

    using QAbstractTableModel::QAbstractTableModel;

    // The proposals of a search; rows that did not change are not redrawn.
    void show(const AirportSearch* search, const std::vector<int>& airports);
    void clear() { show(nullptr, {}); }
    // The identifier of a row's airport.
    QString id(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const AirportSearch* m_search = nullptr;
    std::vector<int> m_airports;
};
