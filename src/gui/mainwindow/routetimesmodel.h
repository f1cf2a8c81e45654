#pragma once

#include <QColor>
#include <QIcon>
#include <QIdentityProxyModel>

class Quote;

// The route list's model: the route's own columns and, after them, the times of the
// leg ending at each stop (flight, block, local departure and arrival) from the
// quote's timed legs. The route model stays the route's; this only adds the view of
// the times. A leg beyond the aircraft's range is marked on its row.
class RouteTimesModel : public QIdentityProxyModel
{
    Q_OBJECT

public:
    enum TimesColumn
    {
        ColumnFlight,
        ColumnBlock,
        ColumnDeparts,
        ColumnArrives,
        TIMES_COLUMNS
    };

    explicit RouteTimesModel(Quote* quote, QObject* parent = nullptr);

    // The view's column of a times column.
    int column(TimesColumn times) const;
    // The mark's colour, readable on the list's rows of the current theme.
    void setBeyondRangeColour(const QColor& colour);

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& index) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    int routeColumns() const;
    bool beyondRange(int row) const;
    QString timesText(int row, int times) const;
    void refresh();

    Quote* m_quote;
    QColor m_beyondRangeColour;
    mutable QIcon m_warning;
};
