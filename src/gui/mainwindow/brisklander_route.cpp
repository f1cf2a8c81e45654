// The main window's new quote and its undo.

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

void Brisklander::mnunew_Click()
{
    const Button answer = Platform::prompter().question(QStringLiteral("Brisklander"),
                                                        QStringLiteral("Erase Current Quote ? "),
                                                        Button::Yes | Button::No, Button::No);
    if (answer != Button::Yes)
        return;
    {
        // Emptying the route and adding the default airport are one change to undo.
        RouteHistory::Group change(*m_history, RouteHistory::Change::NewQuote,
                                   m_routing->selectedRouteRow());
        resetRoute();
        resetBaseChargeTax();
        resetChargePerMile();
        m_routing->startWithDefaultAirport();
    }
    resetPrintDialog();
    m_routing->clearFindBox();
    // The quote before ended on the "Q&uote" tab; the next one starts with an airport.
    // The find box takes the focus only on the tab in front.
    m_SSTab1->setCurrentIndex(0);
    m_routing->focusFindBox();
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
    m_routing->selectRouteRow(selected);
}

void Brisklander::resetRoute()
{
    m_route->clear(); // writes the totals, nautical first
    resetCharges();
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

void Brisklander::resetPrintDialog()
{
    printDialogState() = PrintDialogState();
}
