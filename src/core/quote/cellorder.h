#pragma once

#include <QModelIndex>

#include <optional>

class QAbstractItemModel;

// The order in which Tab visits the cells of a grid: row by row, left to right, only
// the cells that take input.
namespace CellOrder {

// Tab (true: forward) or Shift+Tab (false), without Ctrl or Alt; nothing for any
// other key. Ctrl+Tab is the grid's way out to the control beside it.
std::optional<bool> tabDirection(int key, Qt::KeyboardModifiers modifiers);

// The editable cell after (or before) `from`; invalid past the last (or before the
// first) one, where Tab leaves the grid. From no cell, the first (or last) one.
QModelIndex nextEditable(const QAbstractItemModel* model, const QModelIndex& from, bool forward);

} // namespace CellOrder
