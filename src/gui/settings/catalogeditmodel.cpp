#include "gui/settings/catalogeditmodel.h"

#include "core/db/engine.h"
#include "core/errortext.h"
#include "core/format.h"
#include "core/quote/catalogtable.h"
#include "gui/platform/platform.h"

CatalogEditModel::CatalogEditModel(std::unique_ptr<CatalogTable> table,
                                   const QList<CatalogColumn>& columns, QObject* parent)
    : QAbstractTableModel(parent), m_table(std::move(table)), m_columns(columns)
{}

CatalogEditModel::~CatalogEditModel() = default;

int CatalogEditModel::tableRows() const
{
    return int(m_table->rows().size());
}

int CatalogEditModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : tableRows() + 1;
}

int CatalogEditModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString CatalogEditModel::text(int row, int column) const
{
    if (row < 0 || row >= tableRows() || column < 0 || column >= m_columns.size())
        return QString();
    const QVariant value = m_table->rows().at(row).values.value(column);
    if (value.isNull())
        return QString();
    const QString& mask = m_columns.at(column).mask;
    return mask.isEmpty() ? value.toString() : Format::number(value.toDouble(), mask);
}

QStringList CatalogEditModel::rowTexts(int row) const
{
    QStringList texts;
    for (int column = 0; column < m_columns.size(); ++column)
        texts << text(row, column);
    return texts;
}

QVariant CatalogEditModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && !m_columns.at(index.column()).mask.isEmpty())
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant CatalogEditModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_columns.size() ? m_columns.at(section).caption
                                                          : QVariant();
    // The empty row at the end is marked the way grids mark their new row.
    return section == tableRows() ? QVariant(QStringLiteral("*")) : QVariant();
}

Qt::ItemFlags CatalogEditModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool CatalogEditModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    QStringList texts = rowTexts(index.row());
    texts[index.column()] = value.toString();
    return setRowTexts(index.row(), texts);
}

QVariant CatalogEditModel::storedValue(int column, const QString& text) const
{
    if (m_columns.at(column).mask.isEmpty())
        return text;
    if (text.isEmpty())
        return QVariant();
    // A text that is no figure goes to the engine as it is, which refuses it.
    const std::optional<double> number = Format::read(text);
    return number ? QVariant(*number) : QVariant(text);
}

bool CatalogEditModel::setRowTexts(int row, const QStringList& texts)
{
    if (row < 0 || row > tableRows() || texts.size() != m_columns.size())
        return false;
    const QStringList before = rowTexts(row);
    if (texts == before)
        return true;
    const bool adding = isNewRow(row);
    // The values of the cells left alone stay as they were read.
    QVariantList values = adding ? QVariantList(m_columns.size()) : m_table->rows().at(row).values;
    for (int column = 0; column < m_columns.size(); ++column) {
        if (adding || texts.at(column) != before.at(column))
            values[column] = storedValue(column, texts.at(column));
    }
    try {
        m_table->setRow(row, values);
    } catch (const Db::DbError& error) {
        showError(error.number(), error.description());
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        return false;
    }
    if (adding) {
        // The new row stays where it is; a new empty row follows it.
        beginInsertRows(QModelIndex(), row + 1, row + 1);
        endInsertRows();
        emit headerDataChanged(Qt::Vertical, row, row + 1);
    }
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    return true;
}

bool CatalogEditModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || count <= 0 || row < 0 || row + count > tableRows())
        return false;
    for (int current = row + count - 1; current >= row; --current) {
        beginRemoveRows(QModelIndex(), current, current);
        m_table->removeRow(current);
        endRemoveRows();
    }
    return true;
}

void CatalogEditModel::reload()
{
    beginResetModel();
    try {
        m_table->reload();
    } catch (const Db::DbError&) {
        endResetModel();
        throw;
    }
    endResetModel();
}

void CatalogEditModel::showError(int number, const QString& description)
{
    if (!m_showsErrors) {
        m_error = Db::DbError(number, description);
        return;
    }
    Platform::prompter().inform(Platform::Icon::Critical, QStringLiteral("Settings"),
                                QStringLiteral("An Error Occurred:\r\r") +
                                    ErrorText::lines(number, description));
}
