#include "quote/chargesdelegate.h"

#include "quote/catalogmodel.h"
#include "quote/chargesmodel.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>

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
    QObject::connect(combo, &QComboBox::activated, combo,
                     [combo](int row) { combo->setProperty(PickedProperty, row); });
    return combo;
}

} // namespace

ChargesDelegate::ChargesDelegate(ChargesModel* charges, CatalogModel* catalog, CatalogModel* taxes,
                                 QObject* parent)
    : QStyledItemDelegate(parent), m_charges(charges), m_catalog(catalog), m_taxes(taxes)
{}

QWidget* ChargesDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex& index) const
{
    QWidget* editor = nullptr;
    switch (index.column()) {
    case ChargesModel::ColumnCharge: {
        QComboBox* combo = dropDown(parent, m_catalog, true);
        combo->lineEdit()->setMaxLength(25);
        combo->lineEdit()->setProperty(RowProperty, index.row());
        combo->lineEdit()->setProperty(ColumnProperty, index.column());
        combo->lineEdit()->installEventFilter(const_cast<ChargesDelegate*>(this));
        auto* self = const_cast<ChargesDelegate*>(this);
        connect(combo, &QComboBox::activated, self, [self, combo] {
            emit self->commitData(combo);
            emit self->closeEditor(combo);
        });
        editor = combo;
        break;
    }
    case ChargesModel::ColumnTax: {
        QComboBox* combo = dropDown(parent, m_taxes, false);
        auto* self = const_cast<ChargesDelegate*>(this);
        connect(combo, &QComboBox::activated, self, [self, combo] {
            emit self->commitData(combo);
            emit self->closeEditor(combo);
        });
        QTimer::singleShot(0, combo, &QComboBox::showPopup);
        editor = combo;
        break;
    }
    case ChargesModel::ColumnAmount:
    case ChargesModel::ColumnNumber: {
        auto* line = new QLineEdit(parent);
        line->setAlignment(Qt::AlignRight);
        line->setMaxLength(index.column() == ChargesModel::ColumnAmount ? 9 : 4);
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
    editor->installEventFilter(const_cast<ChargesDelegate*>(this));
    return editor;
}

void ChargesDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(-1);
        if (combo->isEditable())
            combo->setEditText(text);
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
        const int picked = combo->property(PickedProperty).toInt();
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

bool ChargesDelegate::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* line = qobject_cast<QLineEdit*>(watched);
        const QString typed = key->text();
        if (line && typed.size() == 1 && typed.at(0).isPrint()) {
            const int column = line->property(ColumnProperty).toInt();
            const int row = line->property(RowProperty).toInt();
            const QChar ch = typed.at(0);
            KeyOutcome outcome;
            if (column == ChargesModel::ColumnAmount)
                outcome = ChargesModel::amountKey(line->text(), line->cursorPosition(), ch);
            else if (column == ChargesModel::ColumnNumber)
                outcome = ChargesModel::numberKey(line->text(), line->cursorPosition(), ch);
            else
                outcome = ChargesModel::chargeKey(line->text(), line->cursorPosition(), ch);
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
    }
    // The charge drop-down's own text box is not the editor: the drop-down is.
    if (qobject_cast<QComboBox*>(watched->parent()))
        return false;
    return QStyledItemDelegate::eventFilter(watched, event);
}
