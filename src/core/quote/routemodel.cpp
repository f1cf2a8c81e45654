#include "core/quote/routemodel.h"

#include "core/format.h"

#include <exception>
#include <utility>

namespace {

const char* const Captions[RouteModel::COLUMNS] = {
    "ID",      "Name",    "LatHour", "LatMin",  "LatSec", "LongHour",
    "LongMin", "LongSec", "Dist.NM", "Dist.SM", "Pos.",
};

} // namespace

RouteModel::RouteModel(QObject* parent) : QAbstractTableModel(parent) {}

int RouteModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int RouteModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : COLUMNS;
}

QVariant RouteModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == ColumnId || index.column() == ColumnName
                   ? QVariant()
                   : QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
    const RouteLeg& row = m_legs.at(index.row());
    if (index.column() == ColumnPositioning) {
        // A screen reader hears what the short mark stands for.
        if (role == Qt::AccessibleTextRole || role == Qt::ToolTipRole)
            return row.positioning ? QStringLiteral("Positioning leg") : QString();
        return role == Qt::DisplayRole && row.positioning ? QStringLiteral("Pos.") : QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    switch (index.column()) {
    case ColumnId:
        return row.stop.ID;
    case ColumnName:
        return row.stop.NAME;
    case ColumnLatHour:
        return row.stop.Latitude.DegreesText;
    case ColumnLatMin:
        return QString::number(row.stop.Latitude.Minutes);
    case ColumnLatSec:
        return Format::general(row.stop.Latitude.Seconds);
    case ColumnLongHour:
        return row.stop.Longitude.DegreesText;
    case ColumnLongMin:
        return QString::number(row.stop.Longitude.Minutes);
    case ColumnLongSec:
        return Format::general(row.stop.Longitude.Seconds);
    case ColumnDistanceNM:
        return row.DistanceNM;
    case ColumnDistanceSM:
        return row.DistanceSM;
    default:
        return {};
    }
}

QVariant RouteModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < COLUMNS)
        return QString::fromLatin1(Captions[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString RouteModel::totalNMText() const
{
    return Format::number(m_totalNM, Format::TotalMiles);
}

QString RouteModel::totalSMText() const
{
    return Format::number(m_totalSM, Format::TotalMiles);
}

void RouteModel::UpdateLeg(int row)
{
    if (count() < 2 || row < 1 || row >= count())
        return;
    const LegDistance leg =
        ComputeLeg(m_legs.at(row - 1).stop.point(), m_legs.at(row).stop.point(), m_distanceModel);
    // The totals add the legs as shown, rounded to one decimal, not the exact distances.
    m_totalNM += Format::value(leg.nmText);
    m_totalSM += Format::value(leg.smText);
    setLegTexts(row, leg.nmText, leg.smText);
}

void RouteModel::setDistanceModel(DistanceModel model)
{
    if (model == m_distanceModel)
        return;
    m_distanceModel = model;
    m_totalNM = 0;
    m_totalSM = 0;
    for (int row = 1; row < count(); ++row)
        UpdateLeg(row);
    tellTotals();
}

void RouteModel::insertStop(int position, const RouteStop& stop)
{
    position = qBound(0, position, count());
    beginInsertRows(QModelIndex(), position, position);
    m_legs.insert(position, RouteLeg{stop, QString(), QString(), false});
    endInsertRows();

    if (position > 0)
        UpdateLeg(position);
    const int next = position + 1;
    if (next < count()) {
        // The stop that now follows had a leg from the new stop's predecessor; at the
        // top it was the first stop and carried none.
        if (position > 0)
            subtractLeg(next);
        setPositioning(next, false); // its departure stop is another: a new leg
        UpdateLeg(next);
    }
    tellTotals();
}

int RouteModel::removeStop(int row)
{
    if (row < 0 || row >= count())
        return -1;
    int current = removeOne(row);
    // Taking a stop out can bring two visits of the same airport together; the second
    // goes too. Only the stop left at the removed position is looked at.
    while (current > 0 && m_legs.at(current).stop.ID == m_legs.at(current - 1).stop.ID)
        current = removeOne(current);
    tellTotals();
    return current;
}

void RouteModel::clear()
{
    beginResetModel();
    m_legs.clear();
    m_totalNM = 0;
    m_totalSM = 0;
    endResetModel();
    tellTotals();
}

void RouteModel::setPositioning(int row, bool positioning)
{
    if (row < 1 || row >= count() || m_legs.at(row).positioning == positioning)
        return;
    m_legs[row].positioning = positioning;
    emit dataChanged(index(row, ColumnPositioning), index(row, ColumnPositioning));
}

int RouteModel::passengerLegs() const
{
    return int(count() < 2 ? 0 : count() - 1 - positioningLegs().size());
}

QList<int> RouteModel::positioningLegs() const
{
    QList<int> legs;
    for (int row = 1; row < count(); ++row) {
        if (m_legs.at(row).positioning)
            legs << row;
    }
    return legs;
}

void RouteModel::restore(const Snapshot& snapshot)
{
    beginResetModel();
    m_legs = snapshot.legs;
    m_totalNM = snapshot.totalNM;
    m_totalSM = snapshot.totalSM;
    endResetModel();
    tellTotals();
}

void RouteModel::replaceStop(int row, const RouteStop& stop)
{
    if (row < 0 || row >= count())
        return;
    if (row > 0)
        subtractLeg(row);
    if (row + 1 < count())
        subtractLeg(row + 1);
    m_legs[row].stop = stop;
    emit dataChanged(index(row, ColumnId), index(row, ColumnLongSec));
    UpdateLeg(row);
    UpdateLeg(row + 1);
    tellTotals();
}

void RouteModel::setStopIdentity(int row, const QString& id, const QString& name)
{
    if (row < 0 || row >= count())
        return;
    RouteStop& stop = m_legs[row].stop;
    stop.ID = id;
    stop.NAME = name;
    emit dataChanged(index(row, ColumnId), index(row, ColumnName));
}

void RouteModel::setLegTexts(int row, const QString& nm, const QString& sm)
{
    RouteLeg& leg = m_legs[row];
    if (leg.DistanceNM == nm && leg.DistanceSM == sm)
        return;
    leg.DistanceNM = nm;
    leg.DistanceSM = sm;
    emit dataChanged(index(row, ColumnDistanceNM), index(row, ColumnDistanceSM), {Qt::DisplayRole});
}

void RouteModel::subtractLeg(int row)
{
    m_totalNM -= Format::value(m_legs.at(row).DistanceNM);
    m_totalSM -= Format::value(m_legs.at(row).DistanceSM);
}

int RouteModel::removeOne(int row)
{
    const int before = count();
    if (before <= 2) {
        m_totalNM = 0;
        m_totalSM = 0;
    } else if (row > 0) {
        subtractLeg(row);
    }

    beginRemoveRows(QModelIndex(), row, row);
    m_legs.removeAt(row);
    endRemoveRows();

    const int current = row < count() ? row : row - 1;
    if (row > 0) {
        // The stop now at the removed position is measured from its new predecessor;
        // when the last stop went, this re-adds the unchanged leg of the new last stop.
        if (current >= 0 && count() > 1) {
            subtractLeg(current);
            if (current == row)
                setPositioning(current, false); // measured from another stop: a new leg
            UpdateLeg(current);
        }
    } else if (count() > 0 && !m_legs.at(0).DistanceNM.isEmpty()) {
        // The first stop never carries a leg.
        if (count() > 1)
            subtractLeg(0);
        setLegTexts(0, QString(), QString());
    }
    if (count() > 0 && m_legs.at(0).positioning) {
        m_legs[0].positioning = false;
        emit dataChanged(index(0, ColumnPositioning), index(0, ColumnPositioning));
    }
    return current;
}

void RouteModel::tellTotals()
{
    if (m_totalsHeld > 0)
        m_totalsToTell = true;
    else
        emit totalsChanged();
}

RouteModel::TotalsHold::TotalsHold(RouteModel& route)
    : m_route(route), m_exceptions(std::uncaught_exceptions())
{
    ++m_route.m_totalsHeld;
}

RouteModel::TotalsHold::~TotalsHold()
{
    if (--m_route.m_totalsHeld > 0 || !std::exchange(m_route.m_totalsToTell, false))
        return;
    if (std::uncaught_exceptions() == m_exceptions)
        emit m_route.totalsChanged();
}
