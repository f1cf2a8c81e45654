// The routing part's find box, its search mode and the behaviour of its two lists.

#include "core/airports/airportsearch.h"
#include "core/airports/airporttable.h"
#include "core/quote/findtyping.h"
#include "core/quote/routemodel.h"
#include "core/settings/appsettings.h"
#include "gui/mainwindow/airportlistmodel.h"
#include "gui/mainwindow/airportproposals.h"
#include "gui/mainwindow/dataview.h"
#include "gui/mainwindow/dberrorbox.h"
#include "gui/mainwindow/findevents.h"
#include "gui/mainwindow/routingpart.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTextCharFormat>

#include <cmath>

namespace {

FindTyping::Box boxOf(const QLineEdit* box, bool identifiers)
{
    return {box->text(), box->cursorPosition(), box->hasSelectedText(), box->maxLength(),
            identifiers};
}

} // namespace

RoutingPart::~RoutingPart() = default;

RoutingPart::SearchMode RoutingPart::searchMode() const
{
    if (appSettings().SEARCHMODE == FindMode::Anything)
        return SearchMode::Anything;
    return appSettings().SORTORDER == SortOrder::Name ? SearchMode::AirportName
                                                      : SearchMode::Identifier;
}

void RoutingPart::setFindText(const QString& text)
{
    FindEventsPause pause;
    m_TxtFind->setText(text);
}

void RoutingPart::TxtFind_Change()
{
    if (!FindEventsEnabled)
        return;
    if (searchMode() == SearchMode::Anything)
        findAnything();
    else
        IncrementalFind();
}

void RoutingPart::IncrementalFind()
{
    findInList(m_TxtFind->text(), m_TxtFind->cursorPosition());
}

void RoutingPart::findInList(const QString& text, int cursor)
{
    const auto keepAsTyped = [&] {
        if (m_TxtFind->text() != text) {
            FindEventsPause pause;
            m_TxtFind->setText(text);
        }
        m_TxtFind->setCursorPosition(cursor);
    };
    const QString typed = text.left(cursor);
    if (typed.isEmpty()) {
        setFindText(QString());
        m_SSDBGrid1->clearSelection();
        m_CmdSelect->setEnabled(false);
        return;
    }
    Db::Recordset* set = m_data1->recordset();
    if (!set) {
        keepAsTyped();
        return;
    }
    const bool byName = searchMode() == SearchMode::AirportName;
    bool found = false;
    try {
        QString prefix = typed;
        if (!byName) {
            while (prefix.endsWith(QLatin1Char(' ')))
                prefix.chop(1);
        }
        // The rows held in memory answer when they can, as the database would.
        if (const std::optional<int> held = m_airportList->findPrefix(
                byName ? AirportListModel::ColumnName : AirportListModel::ColumnId, prefix)) {
            found = *held >= 0;
            if (found)
                set->setAbsolutePosition(*held);
        } else {
            found = FindAirportByPrefix(
                *set, byName ? QStringLiteral("NAME") : QStringLiteral("ID"), prefix);
        }
        FindEventsPause pause;
        if (found) {
            const int row = set->absolutePosition();
            // A jump out of what the list shows repaints it whole: the old rows are not
            // scrolled across the screen first.
            QWidget* viewport = m_SSDBGrid1->viewport();
            const int top = m_SSDBGrid1->rowAt(0);
            const int bottom = m_SSDBGrid1->rowAt(viewport->height() - 1);
            const bool jump = top < 0 || row < top || (bottom >= 0 && row > bottom);
            if (jump)
                viewport->setUpdatesEnabled(false);
            m_SSDBGrid1->setCurrentIndex(m_airportList->index(row, 0));
            m_SSDBGrid1->scrollTo(m_airportList->index(row, 0));
            BringAirportIntoView();
            if (jump)
                viewport->setUpdatesEnabled(true); // and so repainted
            // One read of the rows now shown serves the box and the list's paint.
            m_airportList->readRowsShownIn(m_SSDBGrid1);
            m_TxtFind->setText(
                m_airportList
                    ->index(row, byName ? AirportListModel::ColumnName : AirportListModel::ColumnId)
                    .data()
                    .toString());
            m_CmdSelect->setEnabled(true);
        } else {
            m_TxtFind->setText(typed);
            m_SSDBGrid1->clearSelection();
            m_CmdSelect->setEnabled(false);
        }
    } catch (const Db::DbError& error) {
        keepAsTyped();
        showDbError(QStringLiteral("Brisklander"), error);
        return;
    }
    m_TxtFind->setCursorPosition(int(typed.size()));
}

// The box written by the finder draws its completion once, after the text and the cursor
// are where they belong, not at each step of the way.
void RoutingPart::writeFindBox(const std::function<void()>& write)
{
    m_completionHeld = true;
    write();
    m_completionHeld = false;
    showCompletion();
}

bool RoutingPart::TxtFind_KeyPress(QKeyEvent* event)
{
    if (searchMode() == SearchMode::Anything && proposalsKey(event))
        return true;
    if (event->matches(QKeySequence::Paste)) {
        pasteIntoFind();
        return true;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        m_CmdSelect->isEnabled()) {
        m_CmdSelect->click();
        return true;
    }
    const QString text = event->text();
    if (text.size() != 1 || !text.at(0).isPrint())
        return false;
    // A character with Ctrl or Alt held is a command, never text: Ctrl+C copies, and
    // an access key that no control takes (Alt+S while Select is disabled) types nothing.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return !(event->modifiers() & Qt::ControlModifier);
    // Anything mode takes what is typed as the box does, blanks included.
    return searchMode() != SearchMode::Anything && typeIntoFind(text.at(0));
}

bool RoutingPart::TxtFind_KeyDown(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Delete)
        return false;
    if (searchMode() == SearchMode::Anything) {
        // Nothing is proposed inside the box: Delete edits, and on an empty box takes
        // the selected stop out as in the other modes.
        if (!m_TxtFind->text().isEmpty())
            return false;
        CmdDelete_Click();
        return true;
    }
    switch (FindTyping::deleteKey(boxOf(m_TxtFind, searchMode() == SearchMode::Identifier))) {
    case FindTyping::DeleteAction::RemoveStop:
        CmdDelete_Click();
        return true;
    case FindTyping::DeleteAction::DropProposal: {
        // What was typed names no airport yet: nothing stays selected for Select.
        const QString typed = m_TxtFind->text().left(m_TxtFind->cursorPosition());
        setFindText(typed);
        m_TxtFind->setCursorPosition(int(typed.size()));
        m_SSDBGrid1->clearSelection();
        m_CmdSelect->setEnabled(false);
        return true;
    }
    case FindTyping::DeleteAction::Edit:
        break;
    }
    return false;
}

void RoutingPart::showCompletion()
{
    if (m_completionHeld)
        return; // the finder draws it once, when it has written the box
    // What the search proposes after the cursor is drawn in the placeholder grey, so
    // the operator sees what was typed and what was found. The text and the cursor
    // stay as they are: the format is only how the box draws them.
    QTextCharFormat proposal;
    proposal.setForeground(m_TxtFind->palette().color(QPalette::PlaceholderText));
    const int cursor = m_TxtFind->cursorPosition();
    const int length = int(m_TxtFind->text().size()) - cursor;
    QList<QInputMethodEvent::Attribute> formats;
    if (length > 0 && !m_TxtFind->hasSelectedText() && searchMode() != SearchMode::Anything)
        formats << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0, length, proposal);
    QInputMethodEvent event(QString(), formats);
    QCoreApplication::sendEvent(m_TxtFind, &event);
}

void RoutingPart::pasteIntoFind()
{
    // Pasted text is typed character by character, through the same rules.
    const QString text = QGuiApplication::clipboard()->text();
    if (searchMode() == SearchMode::Anything) {
        m_TxtFind->insert(text.simplified());
        return;
    }
    for (const QChar c : text) {
        if (c.isPrint())
            typeIntoFind(c);
    }
}

bool RoutingPart::typeIntoFind(QChar character)
{
    const FindTyping::Result result =
        FindTyping::type(boxOf(m_TxtFind, searchMode() == SearchMode::Identifier), character);
    writeFindBox([&] {
        switch (result.action) {
        case FindTyping::Action::Drop:
            break;
        case FindTyping::Action::StepOver:
            m_TxtFind->setCursorPosition(result.cursor);
            break;
        case FindTyping::Action::ReplaceSelection:
            m_TxtFind->insert(result.text);
            break;
        case FindTyping::Action::Type:
            if (FindEventsEnabled) {
                findInList(result.text, result.cursor);
            } else {
                FindEventsPause pause;
                m_TxtFind->setText(result.text);
                m_TxtFind->setCursorPosition(result.cursor);
            }
            break;
        }
    });
    return true;
}

void RoutingPart::LblSearch_Click()
{
    // Identifier, Airport Name, Anything, and round again.
    switch (searchMode()) {
    case SearchMode::Identifier:
        SetSearchMode(SearchMode::AirportName);
        break;
    case SearchMode::AirportName:
        SetSearchMode(SearchMode::Anything);
        break;
    case SearchMode::Anything:
        SetSearchMode(SearchMode::Identifier);
        break;
    }
}

QString RoutingPart::searchCaption() const
{
    switch (searchMode()) {
    case SearchMode::AirportName:
        return QStringLiteral(" Airport Search: Airport Name ");
    case SearchMode::Anything:
        return QStringLiteral(" Airport Search: Anything ");
    case SearchMode::Identifier:
        break;
    }
    return QStringLiteral(" Airport Search: Identifier ");
}

void RoutingPart::SetSearchMode(SearchMode mode)
{
    Platform::pointer().setBusy();
    closeProposals();
    appSettings().SEARCHMODE =
        mode == SearchMode::Anything ? FindMode::Anything : FindMode::ListOrder;
    try {
        if (mode == SearchMode::Anything) {
            // The list keeps its order; the box takes a name's length, empty.
            m_LblSearch->setText(searchCaption());
            emit searchModeChanged(mode);
            setFindText(QString());
            m_TxtFind->setMaxLength(m_data1->recordset()->fieldSize(QStringLiteral("NAME")));
            m_TxtFind->setFocus();
            prepareSearch();
        } else if (mode == SearchMode::Identifier) {
            m_LblSearch->setText(QStringLiteral(" Airport Search: Identifier "));
            appSettings().SORTORDER = SortOrder::Id;
            emit searchModeChanged(mode);
            // The text as it was, before the shorter limit of identifiers cuts it.
            const QString text = m_TxtFind->text();
            m_data1->setAirportList(SortOrder::Id);
            m_data1->Refresh();
            m_SSDBGrid1->scrollToTop();
            if (text.size() >= 5)
                setFindText(QString());
            m_TxtFind->setMaxLength(m_data1->recordset()->fieldSize(QStringLiteral("ID")));
            if (text.size() < 5) {
                if (!text.isEmpty()) {
                    m_TxtFind->setCursorPosition(int(text.size()));
                    IncrementalFind();
                } else {
                    m_TxtFind->setFocus();
                }
            } else {
                m_TxtFind->setFocus();
            }
        } else {
            m_LblSearch->setText(QStringLiteral(" Airport Search: Airport Name "));
            appSettings().SORTORDER = SortOrder::Name;
            emit searchModeChanged(mode);
            m_data1->setAirportList(SortOrder::Name);
            setFindText(QString());
            m_data1->Refresh();
            m_SSDBGrid1->scrollToTop();
            m_TxtFind->setMaxLength(m_data1->recordset()->fieldSize(QStringLiteral("NAME")));
            m_TxtFind->setFocus();
        }
    } catch (const Db::DbError& error) {
        showDbError(window()->windowTitle(), error);
    }
    Platform::pointer().setNormal();
}

void RoutingPart::BringAirportIntoView()
{
    const QModelIndex current = m_SSDBGrid1->currentIndex();
    if (!current.isValid())
        return;
    const int rowHeight = qMax(1, m_SSDBGrid1->verticalHeader()->defaultSectionSize());
    const int visible = qMax(1, m_SSDBGrid1->viewport()->height() / rowHeight);
    const int top = m_SSDBGrid1->verticalScrollBar()->value();
    const int p = current.row();
    const int n = m_airportList->rowCount();
    if (p - top == visible - 1) {
        // Keep the airport off the bottom edge: half a screen up, or as far as the
        // list goes.
        const double half = visible / 2.0;
        const int rest = n - p;
        const int by = half > rest ? rest - 1 : int(std::floor(half));
        m_SSDBGrid1->verticalScrollBar()->setValue(top + by);
    }
    m_SSDBGrid1->selectRow(p);
}

void RoutingPart::airportSelectionChanged()
{
    const QModelIndexList rows = m_SSDBGrid1->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        m_CmdSelect->setEnabled(false);
        return;
    }
    m_CmdSelect->setEnabled(true);
    // While the finder writes the box, it puts the found airport there itself; in
    // Anything mode the box keeps what the operator typed.
    if (!FindEventsEnabled || searchMode() == SearchMode::Anything)
        return;
    const bool byName = searchMode() == SearchMode::AirportName;
    const QModelIndex current = m_SSDBGrid1->currentIndex();
    const int row = current.isValid() ? current.row() : rows.first().row();
    setFindText(m_airportList
                    ->index(row, byName ? AirportListModel::ColumnName : AirportListModel::ColumnId)
                    .data()
                    .toString());
}

bool RoutingPart::gridKeyPress(QTableView* grid, QKeyEvent* event)
{
    QAbstractItemModel* model = grid->model();
    const int rows = model->rowCount();
    const int column = qMax(0, grid->currentIndex().column());
    switch (event->key()) {
    case Qt::Key_Home:
        if (rows > 0) {
            grid->setCurrentIndex(model->index(0, column));
            grid->scrollToTop();
        }
        return true;
    case Qt::Key_End:
        if (rows > 0) {
            grid->setCurrentIndex(model->index(rows - 1, column));
            grid->scrollToBottom();
        }
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        QScrollBar* bar = grid->horizontalScrollBar();
        bar->setValue(bar->value() + (event->key() == Qt::Key_Left ? -1 : 1));
        return true;
    }
    case Qt::Key_Menu:
        popupAtCurrentRow(grid);
        return true;
    case Qt::Key_F10:
        if (event->modifiers() != Qt::ShiftModifier)
            return false;
        popupAtCurrentRow(grid);
        return true;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (grid == m_SSDBGrid2) {
            CmdDelete_Click();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void RoutingPart::popupAtCurrentRow(QTableView* grid)
{
    // The keyboard's way to the menu the right button opens, at the current row.
    const bool airports = grid == m_SSDBGrid1;
    if (grid->model()->rowCount() == 0)
        return;
    QModelIndex current = grid->currentIndex();
    if (!current.isValid()) {
        current = grid->model()->index(0, 0);
        grid->setCurrentIndex(current);
    }
    grid->selectRow(current.row());
    if (airports)
        m_CmdSelect->setEnabled(true);
    const QRect cell = grid->visualRect(current.siblingAtColumn(0));
    const QPoint at =
        grid->viewport()->mapToGlobal(cell.isValid() ? cell.bottomLeft() : QPoint(0, 0));
    (airports ? m_AirportPopup : m_RoutePopup)->popup(at);
}

void RoutingPart::gridKeyRelease(QTableView* grid, int key)
{
    if (key != Qt::Key_Home && key != Qt::Key_End && key != Qt::Key_Left && key != Qt::Key_Right)
        return;
    if (grid->model()->rowCount() == 0)
        return;
    if (key == Qt::Key_End)
        grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->value() - 4);
    int row = grid->currentIndex().row();
    if (grid == m_SSDBGrid2 && key != Qt::Key_End)
        row = qMax(0, grid->rowAt(0)); // the first row shown
    if (row < 0)
        return;
    grid->selectRow(row);
}

void RoutingPart::gridMouse(QTableView* grid, QMouseEvent* event)
{
    if (event->button() != Qt::RightButton)
        return;
    if (event->type() == QEvent::MouseButtonPress) {
        const int row = grid->rowAt(int(event->position().y()));
        if (row < 0)
            return;
        grid->setCurrentIndex(grid->model()->index(row, 0));
        grid->selectRow(row);
        if (grid == m_SSDBGrid1)
            m_CmdSelect->setEnabled(true);
    } else if (event->type() == QEvent::MouseButtonRelease) {
        if (grid == m_SSDBGrid1 && m_airportList->rowCount() > 0)
            m_AirportPopup->popup(event->globalPosition().toPoint());
        else if (grid == m_SSDBGrid2 && m_route->count() > 0)
            m_RoutePopup->popup(event->globalPosition().toPoint());
    }
}

bool RoutingPart::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Ctrl+Z in the find box takes back a route change: what the box holds is the
        // program's proposal, not text to undo.
        if (watched == m_TxtFind && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo)) {
            event->ignore();
            return true;
        }
        break;
    case QEvent::FocusOut:
        // The proposals stay while another window or a menu has the focus for a moment;
        // they close when the operator moves on in this window.
        if (watched == m_TxtFind) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                closeProposals();
        }
        break;
    case QEvent::FocusIn:
        if (watched == m_TxtFind || watched == m_CmdSelect || watched == m_CmdDelete ||
            watched == m_SSDBGrid1 || watched == m_SSDBGrid2)
            emit entered();
        break;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == m_TxtFind)
            return TxtFind_KeyDown(key) || TxtFind_KeyPress(key);
        if (watched == m_SSDBGrid1 || watched == m_SSDBGrid2)
            return gridKeyPress(static_cast<QTableView*>(watched), key);
        break;
    }
    case QEvent::KeyRelease:
        if (watched == m_SSDBGrid1 || watched == m_SSDBGrid2) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (!key->isAutoRepeat())
                gridKeyRelease(static_cast<QTableView*>(watched), key->key());
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        if (watched == m_LblSearch && event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            LblSearch_Click();
            return true;
        }
        if (watched == m_SSDBGrid1->viewport() || watched == m_SSDBGrid2->viewport()) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            QTableView* grid = watched == m_SSDBGrid1->viewport() ? m_SSDBGrid1 : m_SSDBGrid2;
            if (mouse->button() == Qt::RightButton) {
                gridMouse(grid, mouse);
                return true;
            }
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
