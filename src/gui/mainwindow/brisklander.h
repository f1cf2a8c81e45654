#pragma once

#include "core/quote/aircraft.h"
#include "core/register/keptquote.h"
#include "gui/airports/airporthost.h"
#include "gui/mainwindow/quotepart.h"
#include "gui/mainwindow/routingpart.h"
#include "gui/settings/settingshost.h"

#include <QMainWindow>

namespace Db {
class DbError;
}
struct QuoteData;
class AirportListModel;
class CatalogModel;
class ChargesModel;
class Quote;
class QuoteSheet;
class DataView;
class FrmPrint;
class QAction;
class QMenu;
class QTabWidget;
class RouteHistory;
class RouteModel;

// The program's main window: a frame of menus and dialogs around two parts, the
// routing part (the airport list with its finder, the route with its totals) and the
// quote. The exit routine is the only way it closes.
class Brisklander : public QMainWindow, public AirportHost, public SettingsHost
{
    Q_OBJECT
    // The route's map beside the route list; start-up and exit keep it with the window's
    // placement.
    Q_PROPERTY(bool mapShown READ mapShown WRITE setMapShown)

public:
    explicit Brisklander(QWidget* parent = nullptr);

    bool mapShown() const;
    void setMapShown(bool shown);
    ~Brisklander() override;

    RouteModel* route() const { return m_route; }
    RouteHistory* routeHistory() const { return m_history; }
    QuoteSheet* sheet() const { return m_sheet; }
    ChargesModel* charges() const { return m_charges; }
    CatalogModel* chargeCatalog() const { return m_quotePart->chargeCatalog(); }
    CatalogModel* taxList() const { return m_quotePart->taxList(); }
    DataView* Data1() const { return m_routing->Data1(); }
    DataView* Data2() const { return m_quotePart->Data2(); }
    DataView* Data3() const { return m_quotePart->Data3(); }
    AirportListModel* airportList() const { return m_routing->airportList(); }

    // The quote as the document prints it: the settings, the route, the figures and
    // the charges as they are shown now (the print dialog adds its own fields).
    QuoteData quoteData() const;

    // The quote on screen as the register last kept it; its number is empty until the
    // quote is first kept.
    const KeptQuote& keptQuote() const { return m_kept; }
    // Keeps the quote on screen with the print dialog's last fields: a new quote under
    // a new number, a Draft in place, a changed quote already handed out as the next
    // revision. False, after the engine's message, when it could not be kept.
    bool keepQuote();
    // Shows a kept quote as the quote on screen: its route, rate, taxes, charges and
    // the print dialog's fields, priced again as always; tells the operator which of
    // the final quote, the total charges and the total taxes now come out otherwise.
    // A quote handed out stays as it was kept until it is changed.
    void showKeptQuote(const KeptQuote& quote);
    // Quotes made since the start and never kept, the one on screen among them.
    int unkeptQuotes() const;

public slots:
    void Form_Load();
    void Form_Activate();
    void Form_Paint();

    void mnunew_Click();
    // Takes back the last change of the route; a new quote only after asking.
    void mnuUndo_Click();
    void mnuexit_Click();
    void mnusearchID_Click();
    void mnusearchName_Click();
    void mnuAbout_Click();
    void mnuPrint_Click();
    void mnuSaveQuote_Click();
    void mnuRegister_Click();
    // The print window, ready to send the quote by e-mail.
    void mnuMail_Click();
    void mnuSettings_Click();
    // A copy of the database into a file the operator names (the folder's Backups
    // subfolder offered), with the program running.
    void mnuBackup_Click();
    // A backup the operator picks, checked now and put in place as the program closes.
    void mnuRestore_Click();
    void mnufile_Click();
    void mnuAirports_Click();

    void mnuaddairport_Click();
    void mnuModAirport_Click() override;
    void mnudelairport_Click() override;
    void mnuairportdetails_Click();

    // What the airport windows ask of the main window.
    void refreshAirportList() override;
    void clearFindBox() override;
    void RefreshRouteAfterModify(const AirportChange& change) override;
    void showAirportInList(const QString& id) override;

    // What the settings dialog asks after a save.
    void applyQuoteBasis(QuoteBase basis, bool basisChanged) override;
    void applyMinimumBaseCharge() override;
    void refreshAfterSettings() override;

    void BringAirportIntoView() { m_routing->BringAirportIntoView(); }
    // Every control built: the window paints before it builds the tab behind.
    bool isComplete() const;

    // The times of the quote: the aircraft chosen on the quote tab ("" for none), the
    // departure of the selected stop's leg, the fuel stops of its leg.
    void chooseAircraft(const QString& name);
    void setDeparture();
    void showFuelStops();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildLayout();
    // Builds what the first paint did not show; done before any key or click is handled.
    void completeWindow();
    void modifyAirport(bool fromRoute);
    // The print window; `mail` opens it with Send by E-mail ready for Enter.
    void openPrintWindow(bool mail);
    void deleteAirport(bool fromRoute);
    void showDetails(bool ofRouteStop);
    // Colours that read on the theme's fields, set again when the theme changes.
    void colourForTheme();
    void buildMenus();
    void Form_QueryUnload(QCloseEvent* event);

    // Each step of a new quote, in order; each part of the quote resets its own.
    void resetRoute();
    void resetPrintDialog();

    void showError(const QString& title, const Db::DbError& error);

    // Reads the aircraft profiles again; an engine failure leaves the list empty.
    void loadAircraft();
    // After a Save: the profiles read again, the quote's aircraft kept while it is there.
    void refreshAircraft();
    // The quote tab shows the plan's aircraft.
    void showPlanAircraft();
    // A new quote's plan: the settings' default aircraft, no departures.
    void startPlan();
    // Takes the plan unless the schedule refuses one of its departures: then the
    // refusal is shown and the plan stays as it was. A time that occurs twice is told
    // once. False when refused.
    bool changePlan(const TripPlan& plan);
    // The selected stop's leg (the first leg for the first stop); 0 when there is none.
    int selectedLeg() const;
    // The print dialog's print and file commands keep the quote first.
    void keepBeforePrinting(FrmPrint& dialog);
    // A quote with a route is a quote made; it counts as unkept until kept.
    bool quoteMade() const;
    // On an office's server: what another desk changed is shown here too.
    void listenForChangesElsewhere();
    void tableChangedElsewhere(const QString& table);

    KeptQuote m_kept;
    QList<AircraftProfile> m_aircraft; // the catalogue, for the quote tab's choice
    int m_discardedUnkept = 0;         // quotes made, never kept, replaced by a new quote

    Quote* m_quote = nullptr; // the route, the sheet and the charges, joined
    RouteModel* m_route = nullptr;
    RouteHistory* m_history = nullptr;

    QTabWidget* m_SSTab1 = nullptr;
    RoutingPart* m_routing = nullptr;
    QuotePart* m_quotePart = nullptr;
    QuoteSheet* m_sheet = nullptr;
    ChargesModel* m_charges = nullptr;

    QMenu* m_mnufile = nullptr;
    QMenu* m_mnuAirports = nullptr;
    QAction* m_mnuUndo = nullptr;
    QAction* m_mnuShowMap = nullptr;
    QAction* m_mnuPrint = nullptr;
    QAction* m_mnuSaveQuote = nullptr;
    QAction* m_mnuMail = nullptr;
    QAction* m_mnuSettings = nullptr;
    QAction* m_mnusearchID = nullptr;
    QAction* m_mnusearchName = nullptr;
    QAction* m_mnusearchAnything = nullptr;
    QAction* m_mnuModAirport = nullptr;
    QAction* m_mnudelairport = nullptr;
    QAction* m_mnuairportdetails = nullptr;
    QAction* m_mnuaddairport = nullptr;
    QMenu* m_AirportPopup = nullptr;
    QMenu* m_RoutePopup = nullptr;
};
