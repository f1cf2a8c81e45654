#include "gui/mainwindow/airportlistmodel.h"

#include "core/airports/airporttable.h"
#include "core/settings/appsettings.h"
#include "gui/mainwindow/dataview.h"
#include "gui/platform/colours.h"
#include "gui/platform/icons.h"

#include <QElapsedTimer>
#include <QStyle>
#include <QTableView>
#include <QTimer>

#include <algorithm>

namespace {

const char* const Captions[] = {"ID", "Name", "State", "Country", "Runway Length"};
const char* const Fields[] = {"ID", "NAME", "STATE", "COUNTRY", "RUNWAY LENGTH"};
const char* const ShortRunway = "Runway shorter than the minimum runway length";

} // namespace

AirportListModel::AirportListModel(DataView* view, QObject* parent)
    : QAbstractTableModel(parent), m_view(view), m_shortRunwayColour(Colours::DarkRed),
      m_slice(new QTimer(this))
{
    m_slice->setSingleShot(true);
    m_slice->setInterval(0);
    connect(m_slice, &QTimer::timeout, this, &AirportListModel::readSlice);
    connect(view, &DataView::aboutToRefresh, this, [this] { beginResetModel(); });
    connect(view, &DataView::refreshed, this, [this] {
        m_held.clear();
        m_text.clear();
        m_inOrder[0] = m_inOrder[1] = true;
        m_rows.clear();
        m_fields.clear();
        std::fill(std::begin(m_fieldOf), std::end(m_fieldOf), -1);
        if (const Db::Recordset* set = m_view->recordset()) {
            for (int i = 0; i < COLUMNS; ++i) {
                const int field = set->fieldIndex(QString::fromLatin1(Fields[i]));
                m_fieldOf[i] = field < 0 ? -1 : int(m_fields.size());
                if (field >= 0)
                    m_fields << field;
            }
        }
        endResetModel();
        if (m_holding)
            m_slice->start();
    });
}

void AirportListModel::holdAllRows()
{
    m_holding = true;
    if (!holdsAllRows() && !m_slice->isActive())
        m_slice->start();
}

bool AirportListModel::holdsAllRows() const
{
    return m_view->recordset() && qsizetype(m_held.size()) == m_view->recordCount();
}

// Reads rows for a few milliseconds, a batch of a statement at a time, and leaves the
// rest to the next turn of the event loop, so that a key typed meanwhile waits no longer.
void AirportListModel::readSlice()
{
    constexpr int Batch = 32;
    constexpr qint64 SliceMs = 4;
    Db::Recordset* set = m_view->recordset();
    if (!set || holdsAllRows())
        return;
    try {
        if (!set->allKeysRead()) {
            // A list whose count changed meanwhile is refreshed, which starts again.
            m_view->readAllKeys();
            if (m_slice->isActive())
                return;
        }
        QElapsedTimer clock;
        clock.start();
        const int count = set->recordCount();
        while (qsizetype(m_held.size()) < count && clock.elapsed() < SliceMs) {
            const int first = int(m_held.size());
            for (const QVariantList& read :
                 set->rows(first, std::min(Batch, count - first), m_fields)) {
                HeldRow row{};
                for (int column = ColumnId; column < ColumnRunwayLength; ++column) {
                    const QString text =
                        m_fieldOf[column] < 0 ? QString() : read[m_fieldOf[column]].toString();
                    row.at[column] = quint32(m_text.size());
                    row.size[column] = quint16(std::min<qsizetype>(text.size(), 0xffff));
                    m_text += QStringView(text).first(row.size[column]);
                }
                const int runway = m_fieldOf[ColumnRunwayLength];
                if (runway >= 0 && !read[runway].isNull())
                    row.runway = read[runway].toInt();
                m_held.push_back(row);
            }
            // Whether the rows are in the order a prefix is found in by halving.
            for (const Column column : {ColumnId, ColumnName}) {
                bool& inOrder = m_inOrder[column == ColumnName];
                for (size_t i = std::max(first, 1); inOrder && i < m_held.size(); ++i)
                    inOrder = m_fieldOf[column] >= 0 &&
                              CompareInListOrder(heldText(m_held[i - 1], column),
                                                 heldText(m_held[i], column)) <= 0;
            }
        }
        if (holdsAllRows())
            m_text.squeeze();
    } catch (const Db::DbError&) {
        // The rows are read as shown, which says what fails.
        m_held.clear();
        m_text.clear();
        return;
    }
    if (!holdsAllRows())
        m_slice->start();
}

int AirportListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_view->recordCount();
}

int AirportListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : COLUMNS;
}

void AirportListModel::readRows(int first, int count) const
{
    const Db::Recordset* set = m_view->recordset();
    m_rows.clear();
    if (!set)
        return;
    m_first = first;
    m_rows = set->rows(first, std::min(count, set->recordCount() - first), m_fields);
}

std::optional<int> AirportListModel::findPrefix(Column column, const QString& prefix) const
{
    if (!holdsAllRows() || m_fieldOf[column] < 0 || !m_inOrder[column == ColumnName] ||
        !FoundByHalving(prefix))
        return std::nullopt;
    const auto first = std::partition_point(m_held.begin(), m_held.end(), [&](const HeldRow& row) {
        return CompareInListOrder(heldText(row, column), prefix) < 0;
    });
    if (first == m_held.end() ||
        CompareInListOrder(heldText(*first, column).left(prefix.size()), prefix) != 0)
        return -1;
    return int(first - m_held.begin());
}

QVariant AirportListModel::cell(int row, int column) const
{
    if (m_fieldOf[column] < 0 || row < 0 || row >= rowCount())
        return QVariant();
    if (row < qsizetype(m_held.size())) {
        const HeldRow& held = m_held[size_t(row)];
        if (column != ColumnRunwayLength)
            return heldText(held, column).toString();
        return held.runway ? QVariant(*held.runway) : QVariant();
    }
    if (row < m_first || row >= m_first + m_rows.size()) {
        try {
            readRows(row, m_shown);
        } catch (const Db::DbError&) {
            m_rows.clear();
            return QVariant();
        }
    }
    // A row deleted elsewhere shows empty until the list is re-read.
    return m_rows[row - m_first].value(m_fieldOf[column]);
}

void AirportListModel::readRowsShownIn(const QTableView* list)
{
    const int top = list->rowAt(0);
    if (top < 0)
        return;
    int bottom = list->rowAt(list->viewport()->height() - 1);
    if (bottom < 0)
        bottom = rowCount() - 1;
    m_shown = bottom - top + 1;
    if (bottom < qsizetype(m_held.size()) || (top >= m_first && bottom < m_first + m_rows.size()))
        return;
    try {
        readRows(top, m_shown);
    } catch (const Db::DbError&) {
        m_rows.clear();
        throw;
    }
}

bool AirportListModel::isShortRunway(int row) const
{
    const QVariant length = cell(row, ColumnRunwayLength);
    return !length.isNull() && length.toLongLong() < appSettings().MINRUNWAYLENGTH;
}

QVariant AirportListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        const QVariant value = cell(index.row(), index.column());
        return value.isNull() ? QString() : value.toString();
    }
    case Qt::ForegroundRole:
        if (isShortRunway(index.row()))
            return m_shortRunwayColour;
        return QVariant();
    case Qt::AccessibleDescriptionRole:
        if (isShortRunway(index.row()))
            return QString::fromLatin1(ShortRunway);
        return QVariant();
    case Qt::ToolTipRole:
    case Qt::DecorationRole:
        if (index.column() != ColumnRunwayLength || !isShortRunway(index.row()))
            return QVariant();
        if (role == Qt::ToolTipRole)
            return QString::fromLatin1(ShortRunway);
        if (m_shortRunwaySign.isNull())
            m_shortRunwaySign = Icons::warningSign();
        return m_shortRunwaySign;
    case Qt::TextAlignmentRole:
        if (index.column() == ColumnRunwayLength)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant AirportListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < COLUMNS)
        return QString::fromLatin1(Captions[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void AirportListModel::restyle()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, COLUMNS - 1),
                         {Qt::ForegroundRole, Qt::DecorationRole, Qt::ToolTipRole,
                          Qt::AccessibleDescriptionRole});
}

void AirportListModel::setShortRunwayColour(const QColor& colour)
{
    if (colour == m_shortRunwayColour)
        return;
    m_shortRunwayColour = colour;
    restyle();
}
