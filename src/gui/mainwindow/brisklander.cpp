#include "gui/mainwindow/brisklander.h"

#include "core/db/changelistener.h"

#include "core/db/dberror.h"
#include "core/errortext.h"
#include "core/format.h"
#include "core/quote/chargesmodel.h"
#include "core/quote/quote.h"
#include "core/quote/quotesheet.h"
#include "core/quote/routehistory.h"
#include "core/quote/routemodel.h"
#include "core/settings/appsettings.h"
#include "gui/about/frmabout.h"
#include "gui/appcontext.h"
#include "gui/document/frmprint.h"
#include "gui/document/printdialogstate.h"
#include "gui/mainwindow/dberrorbox.h"
#include "gui/mainwindow/findevents.h"
#include "gui/platform/accesskeys.h"
#include "gui/platform/platform.h"
#include "gui/settings/frmsettings.h"
#include "gui/startup.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

namespace {

const QString ProgramTitle = QStringLiteral("Brisklander");

QAction* entry(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

Brisklander::Brisklander(QWidget* parent) : QMainWindow(parent)
{
    AccessKeys::runAtOnce();
    setObjectName(ProgramTitle);
    setWindowTitle(ProgramTitle);
    m_quote = new Quote(PricingSettings::from(appSettings()), this);
    m_route = m_quote->route();
    m_history = new RouteHistory(m_route, this);
    m_sheet = m_quote->sheet();
    m_charges = m_quote->charges();
    // The menu bar is made first: it needs no font, and the start reads the fonts on a
    // second core until the first caption asks for one.
    menuBar();
    buildLayout();
    buildMenus();
    colourForTheme();
    Form_Load();
    // The window opens ready for the first identifier.
    m_routing->focusFindBox();
    // The first key or click finds every control in place, even one typed before the
    // window has finished (see completeWindow).
    qApp->installEventFilter(this);
}

Brisklander::~Brisklander() = default;

void Brisklander::buildLayout()
{
    m_SSTab1 = new QTabWidget(this);
    m_SSTab1->setObjectName(QStringLiteral("SSTab1"));
    setCentralWidget(m_SSTab1);

    m_routing = new RoutingPart(m_quote, m_history, m_SSTab1);
    m_SSTab1->addTab(m_routing, QStringLiteral("R&outing"));
    connect(m_routing, &RoutingPart::entered, this, [this] { m_SSTab1->setCurrentIndex(0); });
    connect(m_routing, &RoutingPart::detailsRequested, this, &Brisklander::showDetails);
    connect(m_routing, &RoutingPart::searchModeChanged, this, [this](RoutingPart::SearchMode mode) {
        m_mnusearchID->setChecked(mode == RoutingPart::SearchMode::Identifier);
        m_mnusearchName->setChecked(mode == RoutingPart::SearchMode::AirportName);
        m_mnusearchAnything->setChecked(mode == RoutingPart::SearchMode::Anything);
    });

    m_quotePart =
        new QuotePart(m_quote, m_routing->totalNMField(), m_routing->totalSMField(), m_SSTab1);
    m_SSTab1->addTab(m_quotePart, QStringLiteral("Q&uote"));
    connect(m_quotePart, &QuotePart::entered, this, [this] { m_SSTab1->setCurrentIndex(1); });
    connect(m_quotePart, &QuotePart::aircraftChosen, this, &Brisklander::chooseAircraft);
    connect(m_routing, &RoutingPart::departureRequested, this, &Brisklander::setDeparture);
    connect(m_quote, &Quote::timesChanged, this, [this] {
        m_quotePart->showBeyondRange(
            beyondRangeTexts(m_route->legs(), m_quote->plan(), m_quote->times()));
    });

    resize(1000, 720);
}

bool Brisklander::mapShown() const
{
    return m_routing->mapShown();
}

void Brisklander::setMapShown(bool shown)
{
    m_mnuShowMap->setChecked(shown);
    m_routing->setMapShown(shown);
}

void Brisklander::buildMenus()
{
    m_mnufile = menuBar()->addMenu(QStringLiteral("&Quote"));
    m_mnufile->setObjectName(QStringLiteral("mnufile"));
    connect(entry(m_mnufile, "mnunew", QStringLiteral("&New Quote")), &QAction::triggered, this,
            &Brisklander::mnunew_Click);
    m_mnuUndo = entry(m_mnufile, "mnuUndo", QStringLiteral("&Undo"));
    m_mnuUndo->setShortcut(QKeySequence::Undo);
    m_mnuUndo->setEnabled(false);
    connect(m_mnuUndo, &QAction::triggered, this, &Brisklander::mnuUndo_Click);
    connect(m_history, &RouteHistory::canUndoChanged, m_mnuUndo, &QAction::setEnabled);
    m_mnuSaveQuote = entry(m_mnufile, "mnuSaveQuote", QStringLiteral("Sa&ve Quote"));
    m_mnuSaveQuote->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(m_mnuSaveQuote, &QAction::triggered, this, &Brisklander::mnuSaveQuote_Click);
    m_mnuPrint = entry(m_mnufile, "mnuPrint", QStringLiteral("&Print Quote"));
    connect(m_mnuPrint, &QAction::triggered, this, &Brisklander::mnuPrint_Click);
    m_mnuMail = entry(m_mnufile, "mnuMail", QStringLiteral("Send by &E-mail..."));
    connect(m_mnuMail, &QAction::triggered, this, &Brisklander::mnuMail_Click);
    QAction* quoteRegister = entry(m_mnufile, "mnuRegister", QStringLiteral("Quote &Register..."));
    quoteRegister->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(quoteRegister, &QAction::triggered, this, &Brisklander::mnuRegister_Click);
    m_mnufile->addSeparator();
    m_mnuSettings = entry(m_mnufile, "mnuSettings", QStringLiteral("&Settings"));
    connect(m_mnuSettings, &QAction::triggered, this, &Brisklander::mnuSettings_Click);
    m_mnufile->addSeparator();
    connect(entry(m_mnufile, "mnuBackup", QStringLiteral("&Back Up Database...")),
            &QAction::triggered, this, &Brisklander::mnuBackup_Click);
    connect(entry(m_mnufile, "mnuRestore", QStringLiteral("Res&tore Database...")),
            &QAction::triggered, this, &Brisklander::mnuRestore_Click);
    m_mnufile->addSeparator();
    connect(entry(m_mnufile, "mnuexit", QStringLiteral("E&xit")), &QAction::triggered, this,
            &Brisklander::mnuexit_Click);
    connect(m_mnufile, &QMenu::aboutToShow, this, &Brisklander::mnufile_Click);
    m_mnuPrint->setEnabled(false);
    m_mnuMail->setEnabled(false);

    m_mnuAirports = menuBar()->addMenu(QStringLiteral("&Airports"));
    m_mnuAirports->setObjectName(QStringLiteral("mnuAirports"));
    m_mnuaddairport = entry(m_mnuAirports, "mnuaddairport", QStringLiteral("&Add Airport"));
    m_mnuModAirport = entry(m_mnuAirports, "mnuModAirport", QStringLiteral("&Modify Airport"));
    m_mnudelairport = entry(m_mnuAirports, "mnudelairport", QStringLiteral("&Delete Airport"));
    m_mnuAirports->addSeparator();
    m_mnuairportdetails =
        entry(m_mnuAirports, "mnuairportdetails", QStringLiteral("Airport D&etails"));
    m_mnuAirports->addSeparator();
    QMenu* search = m_mnuAirports->addMenu(QStringLiteral("Airport &Search"));
    search->menuAction()->setObjectName(QStringLiteral("mnusearch"));
    m_mnusearchID = entry(search, "mnusearchID", QStringLiteral("&Identifier"));
    m_mnusearchName = entry(search, "mnusearchName", QStringLiteral("Airport &Name"));
    m_mnusearchAnything = entry(search, "mnusearchAnything", QStringLiteral("&Anything"));
    for (QAction* mode : {m_mnusearchID, m_mnusearchName, m_mnusearchAnything})
        mode->setCheckable(true);
    connect(m_mnusearchID, &QAction::triggered, this, &Brisklander::mnusearchID_Click);
    connect(m_mnusearchName, &QAction::triggered, this, &Brisklander::mnusearchName_Click);
    connect(m_mnusearchAnything, &QAction::triggered, this, [this] {
        if (m_routing->searchMode() != RoutingPart::SearchMode::Anything)
            m_routing->SetSearchMode(RoutingPart::SearchMode::Anything);
        m_mnusearchAnything->setChecked(true);
    });
    connect(m_mnuAirports, &QMenu::aboutToShow, this, &Brisklander::mnuAirports_Click);
    connect(m_mnuaddairport, &QAction::triggered, this, &Brisklander::mnuaddairport_Click);
    connect(m_mnuModAirport, &QAction::triggered, this, &Brisklander::mnuModAirport_Click);
    connect(m_mnudelairport, &QAction::triggered, this, &Brisklander::mnudelairport_Click);
    connect(m_mnuairportdetails, &QAction::triggered, this, &Brisklander::mnuairportdetails_Click);

    QMenu* program = menuBar()->addMenu(QStringLiteral("&Program"));
    program->setObjectName(QStringLiteral("mnuProgram"));
    m_mnuShowMap = entry(program, "mnuShowMap", QStringLiteral("Show Route &Map"));
    m_mnuShowMap->setCheckable(true);
    m_mnuShowMap->setChecked(true);
    m_mnuShowMap->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    connect(m_mnuShowMap, &QAction::toggled, m_routing, &RoutingPart::setMapShown);
    program->addSeparator();
    connect(entry(program, "mnuAbout", QStringLiteral("&About Brisklander")), &QAction::triggered,
            this, &Brisklander::mnuAbout_Click);

    m_AirportPopup = new QMenu(this);
    m_AirportPopup->setObjectName(QStringLiteral("AirportPopup"));
    connect(entry(m_AirportPopup, "mnuAirportPopupSelect", QStringLiteral("&Select")),
            &QAction::triggered, m_routing, &RoutingPart::CmdSelect_Click);
    m_AirportPopup->addSeparator();
    connect(entry(m_AirportPopup, "mnuAirportPopupAddAirport", QStringLiteral("&Add Airport")),
            &QAction::triggered, this, &Brisklander::mnuaddairport_Click);
    connect(entry(m_AirportPopup, "mnuAirportPopupModAirport", QStringLiteral("&Modify Airport")),
            &QAction::triggered, this, &Brisklander::mnuModAirport_Click);
    connect(entry(m_AirportPopup, "mnuAirportPopupDelAirport", QStringLiteral("&Delete Airport")),
            &QAction::triggered, this, &Brisklander::mnudelairport_Click);
    m_AirportPopup->addSeparator();
    QAction* airportDetails =
        entry(m_AirportPopup, "mnuAirportPopupDetails", QStringLiteral("Airport D&etails"));
    m_AirportPopup->setDefaultAction(airportDetails);
    connect(airportDetails, &QAction::triggered, this, [this] { showDetails(false); });

    // The route list's menu acts on the airport of the selected stop.
    m_RoutePopup = new QMenu(this);
    m_RoutePopup->setObjectName(QStringLiteral("RoutePopup"));
    connect(entry(m_RoutePopup, "mnuRoutePopupRemove", QStringLiteral("&Remove")),
            &QAction::triggered, m_routing, &RoutingPart::CmdDelete_Click);
    QAction* positioning =
        entry(m_RoutePopup, "mnuRoutePopupPositioning", QStringLiteral("&Positioning Leg"));
    m_RoutePopup->addSeparator();
    connect(entry(m_RoutePopup, "mnuRoutePopupAddAirport", QStringLiteral("&Add Airport")),
            &QAction::triggered, this, &Brisklander::mnuaddairport_Click);
    connect(entry(m_RoutePopup, "mnuRoutePopupModify", QStringLiteral("&Modify Airport")),
            &QAction::triggered, this, [this] {
                modifyAirport(true);
                m_routing->restartFinder();
            });
    connect(entry(m_RoutePopup, "mnuRoutePopUpDelete", QStringLiteral("&Delete Airport")),
            &QAction::triggered, this, [this] { deleteAirport(true); });
    m_RoutePopup->addSeparator();
    QAction* routeDetails =
        entry(m_RoutePopup, "mnuRoutePopupDetails", QStringLiteral("Airport D&etails"));
    m_RoutePopup->setDefaultAction(routeDetails);
    connect(routeDetails, &QAction::triggered, this, [this] { showDetails(true); });
    m_RoutePopup->addSeparator();
    QAction* departure =
        entry(m_RoutePopup, "mnuRoutePopupDeparture", QStringLiteral("Se&t Departure..."));
    departure->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(departure, &QAction::triggered, this, &Brisklander::setDeparture);
    QAction* fuelStops =
        entry(m_RoutePopup, "mnuRoutePopupFuelStops", QStringLiteral("&Fuel Stops..."));
    fuelStops->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(fuelStops, &QAction::triggered, this, &Brisklander::showFuelStops);
    m_routing->setPopups(m_AirportPopup, m_RoutePopup);
    m_routing->addRouteCommand(departure);
    m_routing->addRouteCommand(fuelStops);
    m_routing->setPositioningAction(positioning);
}

void Brisklander::mnusearchID_Click()
{
    if (m_routing->searchMode() != RoutingPart::SearchMode::Identifier)
        m_routing->SetSearchMode(RoutingPart::SearchMode::Identifier);
    m_mnusearchID->setChecked(true); // choosing the checked entry again keeps its mark
}

void Brisklander::mnusearchName_Click()
{
    if (m_routing->searchMode() != RoutingPart::SearchMode::AirportName)
        m_routing->SetSearchMode(RoutingPart::SearchMode::AirportName);
    m_mnusearchName->setChecked(true);
}

void Brisklander::Form_Load()
{
    int section = 1;
    try {
        // 1: search mode
        const RoutingPart::SearchMode mode = m_routing->searchMode();
        m_mnusearchID->setChecked(mode == RoutingPart::SearchMode::Identifier);
        m_mnusearchName->setChecked(mode == RoutingPart::SearchMode::AirportName);
        m_mnusearchAnything->setChecked(mode == RoutingPart::SearchMode::Anything);
        section = 2;
        m_routing->loadAirports();
        section = 3;
        m_quotePart->loadCharges();
        section = 4;
        m_quotePart->loadTaxes();
        section = 5;
        FindEventsEnabled = true;
        section = 6;
        m_charges->ensureRows(8);
        section = 7;
        m_quotePart->resetChargePerMile();
        section = 8;
        m_sheet->setText(QuoteSheet::TotalNM, Format::number(0, Format::TotalMiles));
        m_sheet->setText(QuoteSheet::TotalSM, Format::number(0, Format::TotalMiles));
        section = 9;
        m_routing->loadDefaultAirport();
        section = 10;
        printDialogState().PrintCompany = true;
        section = 11;
        loadAircraft();
        startPlan();
        listenForChangesElsewhere();
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(
            Platform::Icon::Critical, ProgramTitle,
            ErrorText::message(QStringLiteral("An Error Occurred: "), error) +
                QStringLiteral("\r\rBrisklander Load event\r\rSection = %1").arg(section));
    }
}

void Brisklander::listenForChangesElsewhere()
{
    if (!appContext().onServer())
        return;
    auto* listener = new Db::ChangeListener(appContext().DatabasePath, this);
    connect(listener, &Db::ChangeListener::tableChanged, this, &Brisklander::tableChangedElsewhere);
}

void Brisklander::tableChangedElsewhere(const QString& table)
{
    const bool all = table == Db::ChangeListener::AllTables;
    try {
        if (all || table == u"airports")
            m_routing->refreshAfterChangeElsewhere();
        if (all || table == u"additionalcharges" || table == u"taxes")
            m_quotePart->refreshCatalogues();
    } catch (const Db::DbError&) {
        // The server is out of reach for now: the next change, or the next action of
        // the operator, reads again and says so.
    }
    if (all || table == u"aircraft")
        refreshAircraft();
}

void Brisklander::Form_Activate()
{
    m_routing->showAirportCount();
    const QString company = appSettings().company.NAME.trimmed();
    setWindowTitle(company.isEmpty() ? ProgramTitle
                                     : ProgramTitle + QStringLiteral(" - ") + company);
}

void Brisklander::Form_Paint()
{
    Platform::pointer().setNormal();
}

void Brisklander::mnuexit_Click()
{
    ExitApplication(unkeptQuotes());
}

void Brisklander::mnuPrint_Click()
{
    openPrintWindow(false);
}

void Brisklander::mnuMail_Click()
{
    openPrintWindow(true);
}

void Brisklander::openPrintWindow(bool mail)
{
    if (m_route->count() < 2)
        return;
    Platform::pointer().setBusy();
    FrmPrint dialog([this] { return m_kept.numbered(quoteData()); }, this);
    keepBeforePrinting(dialog);
    if (mail)
        dialog.offerMail();
    dialog.exec();
    Platform::pointer().setNormal();
}

void Brisklander::mnuSettings_Click()
{
    Platform::pointer().setBusy();
    FrmSettings dialog(this, this);
    dialog.exec();
    Platform::pointer().setNormal();
}

void Brisklander::mnuAbout_Click()
{
    Platform::pointer().setBusy();
    FrmAbout about(this);
    about.exec();
}

void Brisklander::mnufile_Click()
{
    m_mnuPrint->setEnabled(m_route->count() >= 2);
    m_mnuMail->setEnabled(m_route->count() >= 2);
}

void Brisklander::mnuAirports_Click()
{
    // Modify, Delete and Details act on the lists of the "R&outing" tab.
    const bool routing = m_SSTab1->currentIndex() == 0;
    m_mnuModAirport->setEnabled(routing);
    m_mnudelairport->setEnabled(routing);
    m_mnuairportdetails->setEnabled(routing);
}

bool Brisklander::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        Form_Activate();
        break;
    case QEvent::UpdateRequest:
        // Every repaint of the window passes here, whichever child is painted:
        // painting ends the busy pointer of start-up and of the dialogs.
        Form_Paint();
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

bool Brisklander::isComplete() const
{
    return m_quotePart->isBuilt();
}

void Brisklander::completeWindow()
{
    if (m_quotePart->isBuilt())
        return;
    qApp->removeEventFilter(this);
    m_quotePart->build();
}

bool Brisklander::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Paint:
        // The window paints its routing tab before the tab behind it is built, which is
        // built at once after that paint.
        if (watched == m_routing)
            QMetaObject::invokeMethod(this, &Brisklander::completeWindow, Qt::QueuedConnection);
        break;
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
        completeWindow();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void Brisklander::closeEvent(QCloseEvent* event)
{
    Form_QueryUnload(event);
}

void Brisklander::Form_QueryUnload(QCloseEvent* event)
{
    if (ProgramIsUnloading()) {
        event->accept();
        return;
    }
    // The close box, the window menu and the session ending all go through the exit,
    // which ends the process itself after a Yes; the request is cancelled either way.
    event->ignore();
    ExitApplication(unkeptQuotes());
}

void Brisklander::showError(const QString& title, const Db::DbError& error)
{
    showDbError(title, error);
}
