#include "core/quote/cellorder.h"

#include <QAbstractItemModel>

namespace CellOrder {

std::optional<bool> tabDirection(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier))
        return std::nullopt;
    if (key == Qt::Key_Backtab)
        return false;
    if (key == Qt::Key_Tab)
        return !(modifiers & Qt::ShiftModifier);
    return std::nullopt;
}

QModelIndex nextEditable(const QAbstractItemModel* model, const QModelIndex& from, bool forward)
{
    const int columns = model->columnCount();
    const int cells = model->rowCount() * columns;
    int position = from.isValid() ? from.row() * columns + from.column() : (forward ? -1 : cells);
    for (position += forward ? 1 : -1; position >= 0 && position < cells;
         position += forward ? 1 : -1) {
        const QModelIndex cell = model->index(position / columns, position % columns);
        if (model->flags(cell) & Qt::ItemIsEditable)
            return cell;
    }
    return QModelIndex();
}

} // namespace CellOrder
