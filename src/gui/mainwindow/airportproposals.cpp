#include "gui/mainwindow/airportproposals.h"

#include "core/airports/airportsearch.h"
#include "core/format.h"

#include <algorithm>

void AirportProposals::show(const AirportSearch* search, const std::vector<int>& airports)
{
    const std::vector<int>& rows = search ? airports : std::vector<int>();
    if (search != m_search) {
        beginResetModel();
        m_search = search;
        m_airports = rows;
        endResetModel();
        return;
    }
    // A key changes some of the rows: the list is told which, and lays out and redraws
    // only those, keeping its columns and highlight.
    const size_t kept = std::min(rows.size(), m_airports.size());
    if (rows.size() < m_airports.size()) {
        beginRemoveRows(QModelIndex(), int(kept), int(m_airports.size()) - 1);
        m_airports.resize(kept);
        endRemoveRows();
    } else if (rows.size() > m_airports.size()) {
        beginInsertRows(QModelIndex(), int(kept), int(rows.size()) - 1);
        m_airports.insert(m_airports.end(), rows.begin() + std::ptrdiff_t(kept), rows.end());
        endInsertRows();
    }
    const auto first =
        std::mismatch(m_airports.begin(), m_airports.begin() + std::ptrdiff_t(kept), rows.begin())
            .first;
    if (first == m_airports.begin() + std::ptrdiff_t(kept))
        return;
    const int top = int(first - m_airports.begin());
    int bottom = top;
    for (size_t row = size_t(top); row < kept; ++row) {
        if (m_airports[row] != rows[row])
            bottom = int(row);
        m_airports[row] = rows[row];
    }
    emit dataChanged(index(top, 0), index(bottom, COLUMNS - 1));
}

QString AirportProposals::id(int row) const
{
    if (row < 0 || row >= rowCount())
        return QString();
    return m_search->airport(m_airports[size_t(row)]).id;
}

int AirportProposals::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_airports.size());
}

int AirportProposals::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : COLUMNS;
}

QVariant AirportProposals::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const AirportSearch::Airport& a = m_search->airport(m_airports[size_t(index.row())]);
    if (role == Qt::TextAlignmentRole && index.column() == ColumnRunwayLength)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return QVariant();
    switch (index.column()) {
    case ColumnId:
        return a.iata.isEmpty() ? a.id : QStringLiteral("%1 (%2)").arg(a.id, a.iata);
    case ColumnName:
        return a.name;
    case ColumnCity:
        return a.city;
    case ColumnWhere:
        return a.state.isEmpty() || a.country.isEmpty()
                   ? a.state + a.country
                   : a.state + QStringLiteral(", ") + a.country;
    case ColumnRunwayLength:
        return a.runwayLength > 0
                   ? Format::number(a.runwayLength, Format::WholeFeet) + QStringLiteral(" ft")
                   : QString();
    default:
        return QVariant();
    }
}

QVariant AirportProposals::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const Captions[] = {"ID", "Name", "City", "State, Country", "Runway"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < COLUMNS)
        return QString::fromLatin1(Captions[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}
