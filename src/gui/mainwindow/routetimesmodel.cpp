#include "gui/mainwindow/routetimesmodel.h"

#include "core/quote/quote.h"
#include "core/quote/routemodel.h"
#include "gui/platform/colours.h"
#include "gui/platform/icons.h"

namespace {

const char* const Captions[] = {"Flight", "Block", "Departs", "Arrives"};
const char* const BeyondRange = "Leg beyond the aircraft's range";

} // namespace

RouteTimesModel::RouteTimesModel(Quote* quote, QObject* parent)
    : QIdentityProxyModel(parent), m_quote(quote), m_beyondRangeColour(Colours::DarkRed)
{
    setSourceModel(quote->route());
    connect(quote, &Quote::timesChanged, this, &RouteTimesModel::refresh);
}

int RouteTimesModel::routeColumns() const
{
    return sourceModel()->columnCount();
}

int RouteTimesModel::column(TimesColumn times) const
{
    return routeColumns() + times;
}

int RouteTimesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : routeColumns() + TIMES_COLUMNS;
}

QModelIndex RouteTimesModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex RouteTimesModel::parent(const QModelIndex&) const
{
    return QModelIndex();
}

QModelIndex RouteTimesModel::sibling(int row, int column, const QModelIndex&) const
{
    return index(row, column);
}

QModelIndex RouteTimesModel::mapToSource(const QModelIndex& proxyIndex) const
{
    if (!proxyIndex.isValid() || proxyIndex.column() >= routeColumns())
        return QModelIndex();
    return sourceModel()->index(proxyIndex.row(), proxyIndex.column());
}

QModelIndex RouteTimesModel::mapFromSource(const QModelIndex& sourceIndex) const
{
    return sourceIndex.isValid() ? createIndex(sourceIndex.row(), sourceIndex.column())
                                 : QModelIndex();
}

bool RouteTimesModel::beyondRange(int row) const
{
    return m_quote->times().beyondRange.contains(row);
}

QString RouteTimesModel::timesText(int row, int times) const
{
    // Row 0 is the first stop: no leg ends there.
    const QList<TripLeg>& legs = m_quote->times().legs;
    if (row < 1 || row > legs.size())
        return QString();
    const TripLeg& leg = legs.at(row - 1);
    switch (times) {
    case ColumnFlight:
        return leg.flightText;
    case ColumnBlock:
        return leg.blockText;
    case ColumnDeparts:
        return leg.when.departureText;
    case ColumnArrives:
        return leg.when.dayShift.isEmpty()
                   ? leg.when.arrivalText
                   : leg.when.arrivalText + QLatin1Char(' ') + leg.when.dayShift;
    default:
        return QString();
    }
}

QVariant RouteTimesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int row = index.row();
    const int times = index.column() - routeColumns();
    // The mark is the whole row's, as the airport list marks a short runway.
    switch (role) {
    case Qt::ForegroundRole:
        return beyondRange(row) ? QVariant(m_beyondRangeColour) : QVariant();
    case Qt::AccessibleDescriptionRole:
        return beyondRange(row) ? QVariant(QString::fromLatin1(BeyondRange)) : QVariant();
    case Qt::ToolTipRole:
    case Qt::DecorationRole:
        if (times != ColumnFlight || !beyondRange(row))
            break;
        if (role == Qt::ToolTipRole)
            return QString::fromLatin1(BeyondRange);
        if (m_warning.isNull())
            m_warning = Icons::warningSign();
        return m_warning;
    default:
        break;
    }
    if (times < 0)
        return QIdentityProxyModel::data(index, role);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return timesText(row, times);
    case Qt::TextAlignmentRole:
        return times <= ColumnBlock ? int(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default:
        return QVariant();
    }
}

QVariant RouteTimesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const int times = section - routeColumns();
    if (orientation == Qt::Horizontal && times >= 0) {
        if (times < TIMES_COLUMNS && role == Qt::DisplayRole)
            return QString::fromLatin1(Captions[times]);
        return QVariant();
    }
    return QIdentityProxyModel::headerData(section, orientation, role);
}

Qt::ItemFlags RouteTimesModel::flags(const QModelIndex& index) const
{
    if (index.isValid() && index.column() >= routeColumns())
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return QIdentityProxyModel::flags(index);
}

void RouteTimesModel::setBeyondRangeColour(const QColor& colour)
{
    if (colour == m_beyondRangeColour)
        return;
    m_beyondRangeColour = colour;
    refresh();
}

void RouteTimesModel::refresh()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}
