#include "gui/mainwindow/catalogmodel.h"

#include "core/db/engine.h"
#include "core/format.h"
#include "gui/mainwindow/dataview.h"
#include "gui/platform/colours.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

CatalogModel::CatalogModel(DataView* view, const QList<Column>& columns, QObject* parent)
    : QAbstractTableModel(parent), m_view(view), m_columns(columns)
{
    connect(view, &DataView::aboutToRefresh, this, [this] { beginResetModel(); });
    connect(view, &DataView::refreshed, this, [this] {
        m_fields.clear();
        for (const Column& column : m_columns)
            m_fields << (m_view->recordset() ? m_view->recordset()->fieldIndex(column.field) : -1);
        endResetModel();
    });
}

int CatalogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_view->recordCount();
}

int CatalogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant CatalogModel::stored(int row, int column) const
{
    const Db::Recordset* set = m_view->recordset();
    if (!set || column < 0 || column >= m_fields.size() || m_fields[column] < 0)
        return QVariant();
    try {
        return set->row(row).at(m_fields[column]);
    } catch (const Db::DbError&) {
        return QVariant();
    }
}

QVariant CatalogModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const Column& column = m_columns[index.column()];
    const QVariant value = stored(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (value.isNull())
            return QString();
        return column.mask.isEmpty() ? value.toString()
                                     : Format::number(value.toDouble(), column.mask);
    case Qt::ForegroundRole:
        // Asked at every paint, so a change of theme is followed: the lists lie on the
        // theme's field colour.
        if (column.signColours && !value.isNull())
            return Colours::readableOn(value.toDouble() < 0 ? Colours::DarkRed : Colours::DarkBlue,
                                       {QGuiApplication::palette().color(QPalette::Base)});
        return QVariant();
    case Qt::TextAlignmentRole:
        if (!column.mask.isEmpty())
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant CatalogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns.size())
        return m_columns[section].caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}

int CatalogModel::find(const QString& text) const
{
    Db::Recordset* set = m_view->recordset();
    if (!set || m_columns.isEmpty() || text.isEmpty())
        return -1;
    // The search moves the view's record set, as a lookup in the list does.
    if (!set->findFirst(Db::Criterion::equals(m_columns.first().field, text)))
        return -1;
    return set->absolutePosition();
}

int CatalogModel::findFirstLetter(QChar letter) const
{
    Db::Recordset* set = m_view->recordset();
    if (!set || m_columns.isEmpty())
        return -1;
    if (!set->findFirst(Db::Criterion::startsWith(m_columns.first().field, QString(letter))))
        return -1;
    return set->absolutePosition();
}
