#include "gui/settings/cataloggrids.h"

#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/format.h"
#include "core/quote/aircraftcatalog.h"
#include "core/quote/catalogtable.h"
#include "core/quote/cellorder.h"
#include "core/quote/chargekeys.h"
#include "gui/platform/colours.h"
#include "gui/platform/platform.h"
#include "gui/settings/catalogeditmodel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

const QString TaxPercentMask = QStringLiteral("#0.00");

QStringList fieldsOf(const QList<CatalogColumn>& columns)
{
    QStringList fields;
    for (const CatalogColumn& column : columns)
        fields << column.field;
    return fields;
}

bool isEnter(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

bool isCtrlTab(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ControlModifier);
}

std::optional<bool> tabDirection(const QKeyEvent* key)
{
    return CellOrder::tabDirection(key->key(), key->modifiers());
}

// The key rule of a figure that is never negative: digits and, with `decimals`, one
// decimal point typed by "." and "," alike. True when the key is dropped (or typed by
// the rule itself).
bool dropUnsignedKey(QLineEdit* line, QChar key, bool decimals)
{
    if (key.isDigit() && key.unicode() < 128)
        return false;
    const QString point = Format::NumberSymbols::current().decimalPoint;
    if (!decimals || Format::decimalKey(QString(key)) != point ||
        (line->text().contains(point) && !line->selectedText().contains(point)))
        return true;
    if (QString(key) == point)
        return false;
    line->insert(point);
    return true;
}

// The key rule of an amount (ChargeKeys::amount): the sign goes in front wherever the
// caret stands.
bool dropAmountKey(QLineEdit* line, QChar key)
{
    const KeyOutcome outcome = ChargeKeys::amount(line->text(), line->cursorPosition(), key);
    if (outcome.replaced) {
        line->setText(outcome.text);
        line->setCursorPosition(outcome.caret);
    }
    return !outcome.accepted;
}

// The editors of a catalogue grid: a line edit with the column's typing limit.
// Enter is dropped everywhere (a row is written when it is left, not on Enter);
// Ctrl+Tab commits the cell and moves on to the delete button; Tab and Shift+Tab
// commit it and leave the rest to the grid.
class CatalogDelegate : public QStyledItemDelegate
{
public:
    CatalogDelegate(CatalogGrid* grid, CatalogEditModel* model)
        : QStyledItemDelegate(grid), m_grid(grid), m_model(model)
    {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override
    {
        auto* line = new QLineEdit(parent);
        line->setFrame(false);
        const CatalogColumn& column = m_model->column(index.column());
        if (column.mask.isEmpty())
            line->setMaxLength(column.maxLength);
        else
            line->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        line->setProperty("column", index.column());
        prepareEditor(line, index.column());
        return line;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* line = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (line->text() != text)
            line->setText(text);
    }

protected:
    // The row's texts with the cell being left as its editor holds it.
    QStringList editedRow(QWidget* editor, const QModelIndex& index) const
    {
        QStringList texts = m_model->rowTexts(index.row());
        texts[index.column()] = static_cast<QLineEdit*>(editor)->text();
        return texts;
    }

    virtual void prepareEditor(QLineEdit*, int /*column*/) const {}
    // True when the typed character is dropped (or replaced by the rule itself).
    virtual bool dropKey(QLineEdit*, int /*column*/, QChar /*key*/) const { return false; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* line = qobject_cast<QLineEdit*>(watched);
        if (line && event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (isCtrlTab(key)) {
                emit commitData(line);
                emit closeEditor(line, NoHint);
                m_grid->focusDeleteButton();
                return true;
            }
            if (tabDirection(key)) {
                emit commitData(line);
                emit closeEditor(line, NoHint);
                QKeyEvent again(key->type(), key->key(), key->modifiers(), key->text());
                QApplication::sendEvent(m_grid->grid(), &again);
                return true;
            }
            if (isEnter(key))
                return true;
            const QString typed = key->text();
            if (typed.size() == 1 && typed.at(0).isPrint() &&
                dropKey(line, line->property("column").toInt(), typed.at(0)))
                return true;
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

    CatalogGrid* m_grid;
    CatalogEditModel* m_model;
};

class ChargesDelegate final : public CatalogDelegate
{
public:
    using CatalogDelegate::CatalogDelegate;

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        QString text = static_cast<QLineEdit*>(editor)->text();
        if (index.column() == ChargesGrid::ColumnAmount) {
            const QString point = Format::NumberSymbols::current().decimalPoint;
            if (text == point || text == QLatin1String("-"))
                text.clear();
            if (!text.isEmpty())
                text = Format::number(Format::value(text), Format::Money);
        }
        m_model->setData(index, text);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() != ChargesGrid::ColumnAmount)
            return;
        const QString amount = index.data().toString();
        const QPalette& palette = option->palette;
        option->palette.setColor(
            QPalette::Text,
            ChargesGrid::amountStyle(
                amount, {palette.color(QPalette::Base), palette.color(QPalette::AlternateBase)}));
        option->palette.setColor(
            QPalette::HighlightedText,
            ChargesGrid::amountStyle(amount, {palette.color(QPalette::Highlight)}));
        option->font.setWeight(QFont::Normal);
    }

    void prepareEditor(QLineEdit* line, int column) const override
    {
        if (column != ChargesGrid::ColumnAmount)
            return;
        // The change rule: no leading digit grouping, and the style follows the sign.
        QObject::connect(line, &QLineEdit::textChanged, line, [line](const QString& text) {
            const QString group = Format::NumberSymbols::current().groupSeparator;
            if (text.startsWith(group)) {
                const int caret = line->cursorPosition();
                line->setText(text.mid(group.size()));
                line->setCursorPosition(std::max(0, caret - int(group.size())));
                return;
            }
            QPalette palette = line->palette();
            palette.setColor(QPalette::Text,
                             ChargesGrid::amountStyle(text, {palette.color(QPalette::Base)}));
            line->setPalette(palette);
        });
    }

    bool dropKey(QLineEdit* line, int column, QChar key) const override
    {
        return column == ChargesGrid::ColumnAmount && dropAmountKey(line, key);
    }
};

class TaxesDelegate final : public CatalogDelegate
{
public:
    using CatalogDelegate::CatalogDelegate;

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        QStringList texts = editedRow(editor, index);
        QString& type = texts[TaxesGrid::ColumnTaxType];
        QString& percent = texts[TaxesGrid::ColumnPercent];
        type = type.trimmed();
        // A tax without a name has no percentage either.
        if (type.isEmpty())
            percent.clear();
        if (percent == Format::NumberSymbols::current().decimalPoint)
            percent.clear();
        if (index.column() == TaxesGrid::ColumnPercent && !percent.isEmpty())
            percent = Format::number(Format::value(percent), TaxPercentMask);
        m_model->setRowTexts(index.row(), texts);
    }

protected:
    bool dropKey(QLineEdit* line, int column, QChar key) const override
    {
        return column == TaxesGrid::ColumnPercent && dropUnsignedKey(line, key, true);
    }
};

// The aircraft grid: the name trimmed; each figure formatted by its column's mask as it
// is written (whole numbers but for the add-on and the rate), and a value with a
// default shown as it once the profile holds anything.
class AircraftDelegate final : public CatalogDelegate
{
public:
    using CatalogDelegate::CatalogDelegate;

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        QStringList texts = editedRow(editor, index);
        texts[int(AircraftField::Name)] = texts[int(AircraftField::Name)].trimmed();
        const QString point = Format::NumberSymbols::current().decimalPoint;
        const bool filled = std::any_of(texts.begin(), texts.end(),
                                        [](const QString& text) { return !text.isEmpty(); });
        const AircraftProfile defaults;
        for (const AircraftCatalog::Column& column : AircraftCatalog::columns()) {
            QString& text = texts[int(column.field)];
            if (text == point || text == QLatin1String("-"))
                text.clear();
            if (!text.isEmpty() && !column.mask.isEmpty())
                text = Format::number(Format::value(text), column.mask);
            if (text.isEmpty() && filled)
                text = defaultText(column, defaults);
        }
        m_model->setRowTexts(index.row(), texts);
    }

protected:
    bool dropKey(QLineEdit* line, int column, QChar key) const override
    {
        switch (AircraftField(column)) {
        case AircraftField::Name:
            return false;
        case AircraftField::Rate:
            return dropAmountKey(line, key);
        case AircraftField::Wind: // whole knots with a sign
            return Format::decimalKey(QString(key)) ==
                       Format::NumberSymbols::current().decimalPoint ||
                   dropAmountKey(line, key);
        case AircraftField::AddOn:
            return dropUnsignedKey(line, key, true);
        default:
            return dropUnsignedKey(line, key, false);
        }
    }

private:
    static QString defaultText(const AircraftCatalog::Column& column,
                               const AircraftProfile& defaults)
    {
        switch (column.field) {
        case AircraftField::Wind:
            return Format::number(defaults.windKnots, column.mask);
        case AircraftField::AddOn:
            return Format::number(defaults.addOnPercent, column.mask);
        case AircraftField::Terminal:
            return Format::number(defaults.terminalMinutes, column.mask);
        case AircraftField::Taxi:
            return Format::number(defaults.taxiMinutes, column.mask);
        case AircraftField::Ground:
            return Format::number(defaults.groundMinutes, column.mask);
        default: // the name, the speed and the rate have none; no range is no limit
            return QString();
        }
    }
};

} // namespace

CatalogGrid::CatalogGrid(const QString& title, const QString& gridName, const QString& buttonName,
                         QWidget* parent)
    : QGroupBox(title, parent), m_grid(new QTableView(this)), m_deleteButton(new QPushButton(this))
{
    m_grid->setObjectName(gridName);
    // Named by the frame's caption, which the dialog's own frame shows in its place.
    m_grid->setAccessibleName(title);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                            QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    // Tab goes through the cells and on past the last one, never round to the first.
    m_grid->setTabKeyNavigation(false);
    m_grid->installEventFilter(this);
    m_deleteButton->setObjectName(buttonName);
    m_deleteButton->setEnabled(false);
    m_deleteButton->installEventFilter(this);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_deleteButton);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
}

void CatalogGrid::attach(CatalogEditModel* model, QAbstractItemDelegate* delegate)
{
    m_model = model;
    m_grid->setModel(model);
    m_grid->setItemDelegate(delegate);
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CatalogGrid::updateDeleteButton);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CatalogGrid::updateDeleteButton);
    connect(model, &QAbstractItemModel::dataChanged, this, &CatalogGrid::updateDeleteButton);
}

void CatalogGrid::updateDeleteButton()
{
    m_deleteButton->setEnabled(m_grid->selectionModel()->hasSelection() && canDelete());
}

void CatalogGrid::writeCurrentRow()
{
    const QModelIndex current = m_grid->currentIndex();
    QPointer<QWidget> editor = current.isValid() ? m_grid->indexWidget(current) : nullptr;
    if (!editor)
        return;
    // No message box may open while the editor is half committed: its event loop
    // would let the focus close and destroy the editor under us.
    m_model->setShowsErrors(false);
    m_grid->itemDelegate()->setModelData(editor, m_model, current);
    m_model->setShowsErrors(true);
    if (editor)
        emit m_grid->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (std::optional<Db::DbError> error = m_model->takeError())
        throw *error;
}

void CatalogGrid::focusDeleteButton()
{
    m_deleteButton->setFocus(Qt::TabFocusReason);
}

void CatalogGrid::finishDelete()
{
    if (m_saveButton)
        m_saveButton->setFocus(Qt::OtherFocusReason);
    m_deleteButton->setEnabled(false);
}

bool CatalogGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        emit focusReceived();
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isCtrlTab(key)) {
            focusDeleteButton();
            return true;
        }
        // Past the last cell (or before the first) Qt moves on to the next control.
        if (const std::optional<bool> forward = tabDirection(key)) {
            const QModelIndex next =
                CellOrder::nextEditable(m_model, m_grid->currentIndex(), *forward);
            if (!next.isValid())
                return false;
            m_grid->setCurrentIndex(next);
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

ChargesGrid::ChargesGrid(const std::shared_ptr<Db::Database>& database, QWidget* parent)
    : CatalogGrid(QStringLiteral("Edit Additional Charges"), QStringLiteral("SSDBGridADDCharges"),
                  QStringLiteral("CmdDeleteCharge"), parent)
{
    m_deleteButton->setText(QStringLiteral("&Delete Charge"));
    m_deleteButton->setToolTip(QStringLiteral("Deletes the selected Additional Charge"));
    const QList<CatalogColumn> columns{
        {QStringLiteral("ChargeDescription"), QStringLiteral("Description"), QString(), 25},
        {QStringLiteral("ChargeAmount"), QStringLiteral("Amount"), Format::Money, 0}};
    auto* model = new CatalogEditModel(
        std::make_unique<CatalogTable>(database, QStringLiteral("AdditionalCharges"),
                                       fieldsOf(columns), QStringLiteral("additional charges")),
        columns, this);
    attach(model, new ChargesDelegate(this, model));
    connect(m_deleteButton, &QPushButton::clicked, this, &ChargesGrid::CmdDeleteCharge_Click);
}

QColor ChargesGrid::amountStyle(const QString& amount, const QList<QColor>& backgrounds)
{
    return Colours::readableOn(
        amount.startsWith(QLatin1Char('-')) ? Colours::DarkRed : Colours::DarkBlue, backgrounds);
}

bool ChargesGrid::canDelete() const
{
    const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return false;
    const int first = std::min_element(rows.begin(), rows.end(), [](auto a, auto b) {
                          return a.row() < b.row();
                      })->row();
    return !m_model->text(first, ColumnDescription).isEmpty() ||
           !m_model->text(first, ColumnAmount).isEmpty();
}

void CatalogGrid::deleteRows(QList<int> rows)
{
    // No confirmation: the dialog's Cancel is the way back.
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    m_grid->clearSelection();
    for (int row : rows) {
        if (!m_model->isNewRow(row) && !m_model->removeRows(row, 1))
            break;
    }
    finishDelete();
}

void ChargesGrid::CmdDeleteCharge_Click()
{
    QList<int> rows;
    for (const QModelIndex& index : m_grid->selectionModel()->selectedRows())
        rows << index.row();
    if (rows.isEmpty()) {
        Platform::prompter().inform(Platform::Icon::Exclamation,
                                    QStringLiteral("Delete Add. Charges"),
                                    QStringLiteral("No Row Selected."));
        return;
    }
    deleteRows(rows);
}

TaxesGrid::TaxesGrid(const std::shared_ptr<Db::Database>& database, QWidget* parent)
    : CatalogGrid(QStringLiteral("Edit Taxes"), QStringLiteral("SSDBGridTaxes"),
                  QStringLiteral("CmdDelTax"), parent)
{
    m_deleteButton->setText(QStringLiteral("D&elete Tax"));
    m_deleteButton->setToolTip(QStringLiteral("Deletes the selected Tax Rate"));
    const QList<CatalogColumn> columns{
        {QStringLiteral("Tax Type"), QStringLiteral("Tax Type"), QString(), 12},
        {QStringLiteral("Tax %"), QStringLiteral("Tax %"), TaxPercentMask, 0}};
    auto* model = new CatalogEditModel(
        std::make_unique<CatalogTable>(database, QStringLiteral("Taxes"), fieldsOf(columns),
                                       QStringLiteral("taxes")),
        columns, this);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    attach(model, new TaxesDelegate(this, model));
    connect(m_deleteButton, &QPushButton::clicked, this, &TaxesGrid::CmdDelTax_Click);
}

bool TaxesGrid::canDelete() const
{
    const int row = m_grid->currentIndex().row();
    return row >= 0 && (!m_model->text(row, ColumnTaxType).isEmpty() ||
                        !m_model->text(row, ColumnPercent).isEmpty());
}

void TaxesGrid::CmdDelTax_Click()
{
    if (!m_grid->selectionModel()->hasSelection()) {
        Platform::prompter().inform(Platform::Icon::Exclamation, QStringLiteral("Delete Tax"),
                                    QStringLiteral("No Row Selected."));
        return;
    }
    // The row stays; emptied, it drops out of every tax list of the main window.
    const int row = m_grid->currentIndex().row();
    if (row >= 0)
        m_model->setRowTexts(row, {QString(), QString()});
    m_grid->clearSelection();
    finishDelete();
}

AircraftGrid::AircraftGrid(const std::shared_ptr<Db::Database>& database, QWidget* parent)
    : CatalogGrid(QStringLiteral("Edit Aircraft Profiles"), QStringLiteral("SSDBGridAircraft"),
                  QStringLiteral("CmdDeleteAircraft"), parent)
{
    m_deleteButton->setText(QStringLiteral("Delete Pr&ofile"));
    m_deleteButton->setToolTip(QStringLiteral("Deletes the selected Aircraft Profiles"));
    QList<CatalogColumn> columns;
    for (const AircraftCatalog::Column& column : AircraftCatalog::columns())
        columns << CatalogColumn{column.name, column.caption, column.mask,
                                 column.mask.isEmpty() ? AircraftLimits::NameLength : 0};
    // A database made before the profiles gains their table when the first are saved.
    auto* model = new CatalogEditModel(
        std::make_unique<CatalogTable>(database, AircraftCatalog::Table, fieldsOf(columns),
                                       QStringLiteral("aircraft profiles"),
                                       [](Db::Database& db) { Schema::createAircraftTable(db); }),
        columns, this);
    attach(model, new AircraftDelegate(this, model));
    connect(m_deleteButton, &QPushButton::clicked, this, &AircraftGrid::CmdDeleteAircraft_Click);
}

bool AircraftGrid::canDelete() const
{
    const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
    return std::any_of(rows.begin(), rows.end(),
                       [this](const QModelIndex& row) { return !m_model->isNewRow(row.row()); });
}

void AircraftGrid::CmdDeleteAircraft_Click()
{
    QList<int> rows;
    for (const QModelIndex& index : m_grid->selectionModel()->selectedRows())
        rows << index.row();
    deleteRows(rows);
}
