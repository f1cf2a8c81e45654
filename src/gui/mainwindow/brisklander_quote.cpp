// The main window's quote as a whole: a new quote and its undo, the document's data,
// what the settings dialog asks after a save, and the colours of the theme.

#include "core/document/quotedata.h"
#include "core/quote/quote.h"
#include "core/quote/quotesheet.h"
#include "core/quote/routehistory.h"
#include "core/quote/routemodel.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/document/printdialogstate.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/mainwindow/dataview.h"
#include "gui/mainwindow/quotepart.h"
#include "gui/platform/platform.h"

#include <QEvent>
#include <QTabWidget>

using Platform::Button;

void Brisklander::mnunew_Click()
{
    const Button answer = Platform::prompter().question(QStringLiteral("Brisklander"),
                                                        QStringLiteral("Erase Current Quote ? "),
                                                        Button::Yes | Button::No, Button::No);
    if (answer != Button::Yes)
        return;
    if (quoteMade() && m_kept.number.isEmpty())
        ++m_discardedUnkept;
    m_kept = KeptQuote();
    {
        // Emptying the route and adding the default airport are one change to undo.
        RouteHistory::Group change(*m_history, RouteHistory::Change::NewQuote,
                                   m_routing->selectedRouteRow());
        resetRoute();
        m_quotePart->pickBaseTax(-1);
        m_quotePart->resetChargePerMile();
        startPlan();
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
    m_quotePart->resetCharges();
}

void Brisklander::resetPrintDialog()
{
    printDialogState() = PrintDialogState();
}

QuoteData Brisklander::quoteData() const
{
    QuoteData quote = m_quote->documentData(appSettings(), appContext().CurrencySymbol,
                                            Platform::clock().today());
    quote.milesCaption = m_quotePart->milesCaption();
    return quote;
}

void Brisklander::applyQuoteBasis(QuoteBase basis, bool basisChanged)
{
    m_quotePart->applyQuoteBasis(basis, basisChanged);
}

void Brisklander::applyMinimumBaseCharge()
{
    m_quote->setPricingSettings(PricingSettings::from(appSettings()));
    m_sheet->repriceRate();
}

void Brisklander::refreshAfterSettings()
{
    try {
        m_routing->Data1()->Refresh();
        m_quotePart->refreshCatalogues();
    } catch (const Db::DbError& error) {
        showError(windowTitle(), error);
    }
    refreshAircraft();
    m_routing->clearFindBox();
}

// A change of desktop theme while the program runs: the figures' fields take the new
// window colour, and every figure and caption a colour that reads on it. The window's
// palette is brought up to date before its children's, so the colours come from it.
void Brisklander::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_quotePart)
        colourForTheme();
}

void Brisklander::colourForTheme()
{
    m_quotePart->colourForTheme();
    m_routing->colourForTheme();
}
