#include "gui/mainwindow/chargesdelegate.h"

#include "core/format.h"
#include "core/quote/cellorder.h"
#include "core/quote/chargesmodel.h"
#include "gui/mainwindow/catalogmodel.h"
#include "gui/platform/colours.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>

#include <optional>

namespace {

const char* const RowProperty = "chargeRow";
const char* const ColumnProperty = "chargeColumn";
const char* const PickedProperty = "pickedRow";

QComboBox* dropDown(QWidget* parent, CatalogModel* model, bool editable)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(editable);
    auto* view = new QTableView(combo);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    combo->setView(view);
    combo->setModel(model);
    combo->setModelColumn(0);
    view->setWordWrap(false);
    view->setMinimumWidth(320);
    view->horizontalHeader()->setDefaultSectionSize(200);
    combo->setProperty(PickedProperty, -1);
    return combo;
}

// The catalogue row whose completion the Charge cell still proposes: the cell's text
// is the typed part followed by the proposed rest, letter case aside. -1 when nothing
// was typed, no row matches, or the proposed rest was deleted or typed over.
int proposedRow(const QComboBox* combo)
{
    const QCompleter* completer = combo->completer();
    if (!completer || completer->completionPrefix().isEmpty() ||
        combo->currentText().compare(completer->currentCompletion(), Qt::CaseInsensitive) != 0)
        return -1;
    const auto* proxy = qobject_cast<const QAbstractProxyModel*>(completer->completionModel());
    const QModelIndex row = proxy ? proxy->mapToSource(completer->currentIndex()) : QModelIndex();
    return row.isValid() ? row.row() : -1;
}

// Tab (forward) or Shift+Tab; nothing for any other key.
std::optional<bool> tabDirection(const QKeyEvent* key)
{
    return CellOrder::tabDirection(key->key(), key->modifiers());
}

} // namespace

ChargesDelegate::ChargesDelegate(ChargesModel* charges, CatalogModel* catalog, CatalogModel* taxes,
                                 QAbstractItemView* grid)
    : QStyledItemDelegate(grid), m_charges(charges), m_catalog(catalog), m_taxes(taxes),
      m_grid(grid)
{
    if (m_grid)
        m_grid->installEventFilter(this);
}

void ChargesDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const int column = index.column();
    const bool negative = m_charges->isNegative(index.row(), column);
    const bool computed = ChargesModel::isComputed(column);
    const bool grey = computed || column == ChargesModel::ColumnTax;
    if (column == ChargesModel::ColumnAmount || grey) {
        const QColor text = negative   ? Colours::DarkRed
                            : computed ? Colours::Black
                                       : Colours::DarkBlue;
        // The grey columns keep their grey in every theme; the others lie on the
        // theme's field, where dark blue and dark red are made to read.
        const QColor background =
            grey ? Colours::ColumnGrey
                 : option->palette.color(option->features & QStyleOptionViewItem::Alternate
                                             ? QPalette::AlternateBase
                                             : QPalette::Base);
        option->palette.setColor(QPalette::Text, Colours::readableOn(text, {background}));
    }
    if (computed)
        option->font.setBold(true);
    if (grey)
        option->backgroundBrush = Colours::ColumnGrey;
}

QWidget* ChargesDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex& index) const
{
    auto* self = const_cast<ChargesDelegate*>(this);
    QWidget* editor = nullptr;
    switch (index.column()) {
    case ChargesModel::ColumnCharge:
    case ChargesModel::ColumnTax: {
        const bool charge = index.column() == ChargesModel::ColumnCharge;
        QComboBox* combo = dropDown(parent, charge ? m_catalog : m_taxes, charge);
        if (charge) {
            combo->lineEdit()->setMaxLength(ChargeKeys::ChargeLimit);
        } else {
            // The open list has the keyboard; its keys obey the Tax cell's rules too.
            combo->view()->installEventFilter(self);
            QTimer::singleShot(0, combo, &QComboBox::showPopup);
        }
        connect(combo, &QComboBox::activated, self,
                [self, combo](int row) { self->pickFromList(combo, row); });
        editor = combo;
        break;
    }
    case ChargesModel::ColumnAmount:
    case ChargesModel::ColumnNumber: {
        auto* line = new QLineEdit(parent);
        line->setAlignment(Qt::AlignRight);
        line->setMaxLength(index.column() == ChargesModel::ColumnAmount ? ChargeKeys::AmountLimit
                                                                        : ChargeKeys::NumberLimit);
        const int row = index.row();
        const int column = index.column();
        ChargesModel* charges = m_charges;
        // Every change of the text recomputes the row and both sums at once.
        connect(line, &QLineEdit::textEdited, line, [charges, row, column](const QString& text) {
            charges->editCell(row, column, text);
        });
        editor = line;
        break;
    }
    default:
        return nullptr;
    }
    editor->setProperty(RowProperty, index.row());
    editor->setProperty(ColumnProperty, index.column());
    editor->installEventFilter(self);
    return editor;
}

void ChargesDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        if (!combo->isEditable()) {
            // The tax list opens on the row's tax type, which leaving the cell keeps.
            combo->setCurrentIndex(text.isEmpty() ? -1
                                                  : combo->findText(text, Qt::MatchFixedString));
        } else if (combo->currentIndex() >= 0 || combo->currentText() != text) {
            combo->setCurrentIndex(-1);
            combo->setEditText(text);
            // As in the other cells, the first key typed replaces what the cell held.
            combo->lineEdit()->selectAll();
        }
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        if (line->text() != text)
            line->setText(text);
    }
}

void ChargesDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                   const QModelIndex& index) const
{
    const int row = index.row();
    switch (index.column()) {
    case ChargesModel::ColumnCharge: {
        auto* combo = static_cast<QComboBox*>(editor);
        // Leaving the cell while it still proposes a catalogue charge accepts it: that
        // is a pick of the row, as in the list. Anything else stays as typed.
        int picked = combo->property(PickedProperty).toInt();
        if (picked < 0)
            picked = proposedRow(combo);
        if (picked >= 0) {
            m_charges->pickCharge(row, m_catalog->stored(picked, 0).toString(),
                                  m_catalog->stored(picked, 1).toDouble());
        } else {
            m_charges->editCell(row, ChargesModel::ColumnCharge, combo->currentText());
        }
        m_charges->writeRow(row);
        break;
    }
    case ChargesModel::ColumnTax: {
        auto* combo = static_cast<QComboBox*>(editor);
        const int picked = combo->property(PickedProperty).toInt();
        if (picked >= 0)
            m_charges->pickTax(row, m_taxes->stored(picked, 0).toString(),
                               m_taxes->stored(picked, 1).toDouble());
        m_charges->writeRow(row);
        break;
    }
    case ChargesModel::ColumnAmount:
    case ChargesModel::ColumnNumber:
        m_charges->commitCell(row, index.column());
        break;
    default:
        break;
    }
}

bool ChargesDelegate::isOpen(const QWidget* editor) const
{
    if (!m_grid || !m_grid->model())
        return false;
    const QModelIndex cell = m_grid->model()->index(editor->property(RowProperty).toInt(),
                                                    editor->property(ColumnProperty).toInt());
    return m_grid->indexWidget(cell) == editor;
}

// A row chosen in a drop-down list is picked, and the list closes the cell. The charge
// box also reports its text matching a row when it loses the focus; by then the cell
// is closed, and its leave rule has already decided what the text means.
void ChargesDelegate::pickFromList(QComboBox* combo, int row)
{
    if (!isOpen(combo))
        return;
    combo->setProperty(PickedProperty, row);
    emit commitData(combo);
    emit closeEditor(combo);
}

bool ChargesDelegate::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid)
        return event->type() == QEvent::KeyPress && tabThroughCells(static_cast<QKeyEvent*>(event));
    if (auto* list = qobject_cast<QAbstractItemView*>(watched))
        return event->type() == QEvent::KeyPress &&
               typeIntoTaxList(list, static_cast<QKeyEvent*>(event));
    if (event->type() != QEvent::KeyPress)
        return QStyledItemDelegate::eventFilter(watched, event);
    auto* editor = static_cast<QWidget*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    if (auto* taxBox = qobject_cast<QComboBox*>(editor);
        taxBox && !taxBox->isEditable() && isTaxCellKey(key)) {
        handToGrid(taxBox, key);
        return true;
    }
    auto* combo = qobject_cast<QComboBox*>(editor);
    const bool chargeBox = combo && combo->isEditable();
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (tabDirection(key) || (chargeBox && plain &&
                              (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down ||
                               key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown))) {
        // The edit ends and the grid takes the key, as if no cell had been edited: Tab
        // moves to the next editable cell, an arrow to the next row. In the charge box
        // the arrows leave the cell like everywhere else in the grid rather than step
        // through the catalogue, which Alt+Down or F4 opens.
        if (tabDirection(key)) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
        QKeyEvent again(key->type(), key->key(), key->modifiers(), key->text());
        if (m_grid)
            QApplication::sendEvent(m_grid, &again);
        return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        // Enter ends the edit at once, before any later key or click can leave the
        // cell, and not in the charge box, which would look its text up in the list.
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
        return true;
    }
    if (typeIntoCell(editor, key))
        return true;
    return QStyledItemDelegate::eventFilter(watched, event);
}

// Keys that act on the Tax cell itself, whether its list is open or not: a typed
// character picks the first tax type it begins, Delete and Backspace clear the tax.
bool ChargesDelegate::isTaxCellKey(const QKeyEvent* key)
{
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace)
        return true;
    return key->text().size() == 1 && key->text().at(0).isPrint();
}

// The Tax cell's editor closes and the grid takes the key, as if the cell had never
// been opened: the grid's own key rules for the Tax cell decide.
void ChargesDelegate::handToGrid(QComboBox* taxBox, const QKeyEvent* key)
{
    taxBox->hidePopup();
    emit closeEditor(taxBox, QAbstractItemDelegate::NoHint);
    QKeyEvent again(key->type(), key->key(), key->modifiers(), key->text());
    if (m_grid)
        QApplication::sendEvent(m_grid, &again);
}

// Keys typed while the tax list is open over its cell. Tab and Shift+Tab keep the
// tax type the list shows highlighted and go on to the next cell; Enter, Escape
// and the arrows are the list's own.
bool ChargesDelegate::typeIntoTaxList(QAbstractItemView* list, const QKeyEvent* key)
{
    QComboBox* taxBox = nullptr;
    for (QObject* up = list->parent(); up && !taxBox; up = up->parent())
        taxBox = qobject_cast<QComboBox*>(up);
    if (!taxBox || !isOpen(taxBox))
        return false;
    if (isTaxCellKey(key)) {
        handToGrid(taxBox, key);
        return true;
    }
    if (!tabDirection(key))
        return false;
    if (list->currentIndex().isValid())
        taxBox->setProperty(PickedProperty, list->currentIndex().row());
    taxBox->hidePopup();
    emit commitData(taxBox);
    emit closeEditor(taxBox, QAbstractItemDelegate::NoHint);
    QKeyEvent again(key->type(), key->key(), key->modifiers(), key->text());
    if (m_grid)
        QApplication::sendEvent(m_grid, &again);
    return true;
}

// The key rules of the text cells; true when the key is dropped or already handled.
bool ChargesDelegate::typeIntoCell(QWidget* editor, const QKeyEvent* key)
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        line = combo->lineEdit();
    const QString typed = key->text();
    if (!line || typed.size() != 1 || !typed.at(0).isPrint())
        return false;
    const int column = editor->property(ColumnProperty).toInt();
    const int row = editor->property(RowProperty).toInt();
    const QChar ch = typed.at(0);
    // A typed character replaces the selected text, so the rules see the text without
    // it; the minus sign of an amount goes in front of the whole text instead.
    QString text = line->text();
    int caret = line->cursorPosition();
    const bool minus = column == ChargesModel::ColumnAmount &&
                       (ch == u'-' || typed == Format::NumberSymbols::current().negativeSign);
    if (line->hasSelectedText() && !minus) {
        caret = line->selectionStart();
        text.remove(caret, line->selectedText().size());
    }
    KeyOutcome outcome;
    if (column == ChargesModel::ColumnAmount)
        outcome = ChargeKeys::amount(text, caret, ch);
    else if (column == ChargesModel::ColumnNumber)
        outcome = ChargeKeys::number(text, caret, ch);
    else
        outcome = ChargeKeys::charge(text, caret, ch);
    if (outcome.accepted)
        return false;
    if (outcome.replaced) {
        line->setText(outcome.text);
        line->setCursorPosition(outcome.caret);
        // A minus put in front of a figure recomputes at once.
        if (outcome.text.size() > 1)
            m_charges->editCell(row, column, outcome.text);
    }
    return true;
}

// Tab and Shift+Tab on the grid go from one editable cell to the next; past the last
// (or before the first) the key is left to Qt, which moves on to the next control.
bool ChargesDelegate::tabThroughCells(const QKeyEvent* key)
{
    const std::optional<bool> forward = tabDirection(key);
    if (!forward || !m_grid->model())
        return false;
    const QModelIndex next =
        CellOrder::nextEditable(m_grid->model(), m_grid->currentIndex(), *forward);
    if (!next.isValid())
        return false;
    m_grid->setCurrentIndex(next);
    return true;
}
