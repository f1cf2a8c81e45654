// The main window's route: inserting and removing stops, and starting a new quote.

#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/document/printdialogstate.h"
#include "core/format.h"
#include "core/quote/chargesmodel.h"
#include "core/quote/quotesheet.h"
#include "core/quote/routehistory.h"
#include "core/quote/routeinsertion.h"
#include "core/quote/routemodel.h"
#include "core/settings/appsettings.h"
#include "gui/mainwindow/airportlistmodel.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/mainwindow/dataview.h"
#include "gui/mainwindow/findevents.h"
#include "gui/platform/platform.h"
#include "gui/quote/frmmsgboxinsairport.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>

using Platform::Button;
using Platform::Icon;

int Brisklander::selectedAirportRow() const
{
    const QModelIndexList rows = m_SSDBGrid1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int Brisklander::selectedRouteRow() const
{
    const QModelIndexList rows = m_SSDBGrid2->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void Brisklander::selectRouteRow(int row)
{
    if (row < 0 || row >= m_route->count())
        return;
    m_SSDBGrid2->setCurrentIndex(m_route->index(row, RouteModel::ColumnId));
    m_SSDBGrid2->selectRow(row);
}

bool Brisklander::readSelectedAirport(RouteStop& stop, QVariant& runwayLength) const
{
    const int row = selectedAirportRow();
    const Db::Recordset* set = m_data1->recordset();
    if (row < 0 || !set)
        return false;
    const QVariantList values = set->row(row);
    const auto field = [&](const char* name) {
        return values.at(set->fieldIndex(QString::fromLatin1(name)));
    };
    stop.ID = field("ID").toString();
    stop.NAME = field("NAME").toString();
    stop.Latitude =
        Coordinate{field("LATITUDE DEGREES").toString(), qint16(field("LATITUDE MINUTES").toInt()),
                   field("LATITUDE SECONDS").toDouble()};
    stop.Longitude = Coordinate{field("LONGITUDE DEGREES").toString(),
                                qint16(field("LONGITUDE MINUTES").toInt()),
                                field("LONGITUDE SECONDS").toDouble()};
    runwayLength = field("RUNWAY LENGTH");
    return true;
}

void Brisklander::updateRouteButtons()
{
    m_CmdDelete->setEnabled(m_route->count() > 0);
    m_CmdSegTax->setEnabled(m_route->count() > 1);
}

void Brisklander::focusFindBox()
{
    if (m_TxtFind->isVisible() && isActiveWindow())
        m_TxtFind->setFocus();
}

void Brisklander::sameAirportEnding()
{
    setFindText(QString());
    m_TxtFind->setFocus();
    RouteInsertPosition = 0;
}

void Brisklander::CmdSelect_Click()
{
    const bool unchecked = RouteInsertPosition != 0;
    try {
        RouteStop stop;
        QVariant runway;
        if (!readSelectedAirport(stop, runway)) {
            Platform::prompter().beep();
            RouteInsertPosition = 0;
            return;
        }
        int position = 0;
        if (unchecked) {
            position = RouteInsertPosition == -1 ? 0 : RouteInsertPosition;
            position = qBound(0, position, m_route->count());
        } else {
            const RouteInsertion::Decision decision = RouteInsertion::decide(
                {m_route, selectedRouteRow(), m_SSDBGrid2->currentIndex().row()}, stop,
                runway.isNull() ? std::nullopt : std::optional<qint64>(runway.toLongLong()),
                appSettings().MINRUNWAYLENGTH,
                [this] { return FrmMsgBoxInsAirport::ask(this) == FrmMsgBoxInsAirport::Before; });
            if (!decision.refusal.isEmpty()) {
                Platform::prompter().inform(Icon::Exclamation, RouteInsertion::Title,
                                            decision.refusal);
                sameAirportEnding();
                return;
            }
            if (!decision.runwayQuestion.isEmpty() &&
                Platform::prompter().ask(Platform::Message{
                    Icon::Exclamation, RouteInsertion::Title, decision.runwayQuestion,
                    Button::Yes | Button::No, Button::No}) != Button::Yes) {
                setFindText(QString());
                m_TxtFind->setFocus();
                RouteInsertPosition = 0;
                return;
            }
            position = decision.position;
        }
        m_CmdDelete->setEnabled(true);
        m_history->record(RouteHistory::Change::Edit, selectedRouteRow());
        m_route->insertStop(position, stop);
        setFindText(QString());
        selectRouteRow(position);
        m_SSDBGrid1->clearSelection();
        m_CmdSelect->setEnabled(false);
        if (m_route->count() > 1)
            m_CmdSegTax->setEnabled(true);
        focusFindBox();
    } catch (const Db::DbError& error) {
        showError(windowTitle(), error);
    }
    RouteInsertPosition = 0;
}

void Brisklander::CmdDelete_Click()
{
    const int row = selectedRouteRow();
    if (m_route->count() == 0 || row < 0)
        return;
    try {
        const bool collapse = m_CmdDelete->property("Tag").toString() != QLatin1String("X");
        m_history->record(RouteHistory::Change::Edit, row);
        const int selected = m_route->removeStop(row, collapse);
        QScrollBar* bar = m_SSDBGrid2->verticalScrollBar();
        bar->setValue(bar->value() - 1);
        if (m_route->count() == 0)
            m_CmdDelete->setEnabled(false);
        else
            selectRouteRow(selected);
        if (m_route->count() < 2)
            m_CmdSegTax->setEnabled(false);
        if (isActiveWindow())
            m_TxtFind->setFocus();
    } catch (const Db::DbError& error) {
        QWidget* active = QApplication::activeWindow();
        showError(active ? active->windowTitle() : windowTitle(), error);
    }
}

void Brisklander::mnunew_Click()
{
    const Button answer = Platform::prompter().question(QStringLiteral("Brisklander"),
                                                        QStringLiteral("Erase Current Quote ? "),
                                                        Button::Yes | Button::No, Button::No);
    if (answer != Button::Yes)
        return;
    {
        // Emptying the route and adding the default airport are one change to undo.
        RouteHistory::Group change(*m_history, RouteHistory::Change::NewQuote, selectedRouteRow());
        resetRoute();
        resetBaseChargeTax();
        resetChargePerMile();
        startWithDefaultAirport();
    }
    resetPrintDialog();
    setFindText(QString());
    // The quote before ended on the "Q&uote" tab; the next one starts with an airport.
    // The find box takes the focus only on the tab in front.
    m_SSTab1->setCurrentIndex(0);
    m_TxtFind->setFocus();
}

void Brisklander::mnuUndo_Click()
{
    if (!m_history->canUndo())
        return;
    if (m_history->nextUndo() == RouteHistory::Change::NewQuote &&
        Platform::prompter().question(QStringLiteral("Brisklander"),
                                      QStringLiteral("Restore the Route of the Erased Quote ? "),
                                      Button::Yes | Button::No, Button::No) != Button::Yes)
        return;
    const int selected = m_history->undo(); // writes the totals, which reprice the quote
    updateRouteButtons();
    selectRouteRow(selected);
}

void Brisklander::resetRoute()
{
    m_route->clear(); // writes the totals, nautical first
    resetCharges();
    m_CmdDelete->setEnabled(false);
    m_CmdSegTax->setEnabled(false);
}

void Brisklander::resetCharges()
{
    // Empty rows to fill the grid, both sums back to 0.
    m_charges->reset(visibleChargeRows());
    m_CmdRemoveCharge->setEnabled(false);
}

void Brisklander::resetBaseChargeTax()
{
    pickBaseTax(-1);
}

void Brisklander::resetChargePerMile()
{
    const bool nautical = appSettings().QUOTEBASE == QuoteBase::Nautical;
    m_LabelMiles->setText(nautical ? QStringLiteral("NM") : QStringLiteral("SM"));
    m_sheet->resetChargePerMile();
}

void Brisklander::startWithDefaultAirport()
{
    Db::Recordset* set = m_data1->recordset();
    if (!set)
        return;
    const QString airport = appSettings().DEFAULTAIRPORT;
    try {
        if (!airport.isEmpty() && FindAirport(*set, airport)) {
            const int row = set->absolutePosition();
            m_SSDBGrid1->setCurrentIndex(m_airportList->index(row, 0));
            m_SSDBGrid1->selectRow(row);
            setFindText(airport);
            CmdSelect_Click();
        }
        if (set->recordCount() > 0)
            set->moveFirst();
    } catch (const Db::DbError& error) {
        showError(windowTitle(), error);
    }
}

void Brisklander::resetPrintDialog()
{
    printDialogState() = PrintDialogState();
}
