#include "gui/mainwindow/brisklander.h"

#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/document/printdialogstate.h"
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
#include "gui/mainwindow/airportlistmodel.h"
#include "gui/mainwindow/catalogmodel.h"
#include "gui/mainwindow/dataview.h"
#include "gui/mainwindow/findevents.h"
#include "gui/platform/accesskeys.h"
#include "gui/platform/platform.h"
#include "gui/settings/cataloggrids.h"
#include "gui/settings/frmsettings.h"
#include "gui/startup.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString ProgramTitle = QStringLiteral("Brisklander");

QLineEdit* figureField(QWidget* parent, const char* name, const QString& toolTip)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignRight);
    field->setToolTip(toolTip);
    field->setFocusPolicy(Qt::ClickFocus); // read-only: not in the Tab chain
    return field;
}

QTableView* grid(QWidget* parent, const char* name, const QString& accessibleName)
{
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setAccessibleName(accessibleName);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view->setTabKeyNavigation(false);
    view->setContextMenuPolicy(Qt::PreventContextMenu);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->verticalHeader()->hide();
    view->setWordWrap(false);
    return view;
}

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
    m_data1 = new DataView(this);
    m_data1->setObjectName(QStringLiteral("Data1"));
    m_data2 = new DataView(this);
    m_data2->setObjectName(QStringLiteral("Data2"));
    m_data3 = new DataView(this);
    m_data3->setObjectName(QStringLiteral("Data3"));
    m_airportList = new AirportListModel(m_data1, this);
    m_sheet = m_quote->sheet();
    m_charges = m_quote->charges();
    m_chargeCatalog = new CatalogModel(
        m_data2,
        {{QStringLiteral("ChargeDescription"), QStringLiteral("Charge"), QString(), false},
         {QStringLiteral("ChargeAmount"), QStringLiteral("Amount"), Format::Rate, true}},
        this);
    m_taxList = new CatalogModel(
        m_data3,
        {{QStringLiteral("TAX TYPE"), QStringLiteral("Tax Type"), QString(), false},
         {QStringLiteral("TAX %"), QStringLiteral("Tax %"), Format::Percent, false}},
        this);
    m_charges->setTaxLookup([this](const QString& type) -> std::optional<double> {
        const int row = m_taxList->find(type);
        if (row < 0)
            return std::nullopt;
        return m_taxList->stored(row, 1).toDouble();
    });
    buildLayout();
    buildMenus();
    colourForTheme();
    Form_Load();
    // The window opens ready for the first identifier.
    m_TxtFind->setFocus();
}

Brisklander::~Brisklander() = default;

void Brisklander::buildLayout()
{
    m_SSTab1 = new QTabWidget(this);
    m_SSTab1->setObjectName(QStringLiteral("SSTab1"));
    setCentralWidget(m_SSTab1);

    // ---- "R&outing" ----
    auto* routing = new QWidget(m_SSTab1);
    m_Frame1 = new QGroupBox(QStringLiteral("Airports"), routing);
    m_Frame1->setObjectName(QStringLiteral("Frame1"));
    m_SSDBGrid1 = grid(m_Frame1, "SSDBGrid1", QStringLiteral("Airports"));
    m_SSDBGrid1->setModel(m_airportList);
    m_SSDBGrid1->horizontalHeader()->setSectionsClickable(true);
    // The names take the room the other columns leave; those fit their contents
    // (sized when the list is read).
    m_SSDBGrid1->horizontalHeader()->setSectionResizeMode(AirportListModel::ColumnName,
                                                          QHeaderView::Stretch);
    m_SSDBGrid1->horizontalHeader()->setResizeContentsPrecision(100); // fast on 70,000 rows
    (new QVBoxLayout(m_Frame1))->addWidget(m_SSDBGrid1);

    auto* frame2 = new QGroupBox(QStringLiteral("Route"), routing);
    frame2->setObjectName(QStringLiteral("Frame2"));
    m_SSDBGrid2 = grid(frame2, "SSDBGrid2", QStringLiteral("Route"));
    m_SSDBGrid2->setModel(m_route);
    for (int column = RouteModel::ColumnLatHour; column <= RouteModel::ColumnLongSec; ++column)
        m_SSDBGrid2->setColumnHidden(column, true);
    m_SSDBGrid2->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_SSDBGrid2->horizontalHeader()->setSectionResizeMode(RouteModel::ColumnName,
                                                          QHeaderView::Stretch);
    (new QVBoxLayout(frame2))->addWidget(m_SSDBGrid2);

    auto* frame3 = new QGroupBox(routing);
    frame3->setObjectName(QStringLiteral("Frame3"));
    m_LblSearch = new QLabel(QStringLiteral(" Airport Search: Identifier "), frame3);
    m_LblSearch->setObjectName(QStringLiteral("LblSearch"));
    m_LblSearch->setToolTip(QStringLiteral("Click Here to switch Airport Search Mode"));
    m_LblSearch->setFrameShape(QFrame::Panel);
    m_LblSearch->setFrameShadow(QFrame::Raised);
    m_LblSearch->setCursor(Qt::PointingHandCursor);
    m_LblSearch->installEventFilter(this);
    m_TxtFind = new QLineEdit(frame3);
    m_TxtFind->setObjectName(QStringLiteral("TxtFind"));
    m_TxtFind->setAccessibleName(QStringLiteral("Airport Search"));
    m_LblSearch->setBuddy(m_TxtFind);
    m_CmdSelect = new QPushButton(QStringLiteral("&Select"), frame3);
    m_CmdSelect->setObjectName(QStringLiteral("CmdSelect"));
    m_CmdSelect->setToolTip(QStringLiteral("Adds the Selected Airport to the Route"));
    m_CmdSelect->setEnabled(false);
    m_CmdDelete = new QPushButton(QStringLiteral("&Remove"), frame3);
    m_CmdDelete->setObjectName(QStringLiteral("CmdDelete"));
    m_CmdDelete->setToolTip(QStringLiteral("Removes an Airport from the Route"));
    m_CmdDelete->setEnabled(false);
    auto* findRow = new QHBoxLayout(frame3);
    findRow->addWidget(m_LblSearch);
    findRow->addWidget(m_TxtFind, 1);
    findRow->addWidget(m_CmdSelect);
    findRow->addWidget(m_CmdDelete);

    auto* frame4 = new QGroupBox(QStringLiteral("Route Totals"), routing);
    frame4->setObjectName(QStringLiteral("Frame4"));
    m_TxtTotalNM =
        figureField(frame4, "TxtTotalNM", QStringLiteral("Total Route Distance in Nautical Miles"));
    m_TxtTotalSM =
        figureField(frame4, "TxtTotalSM", QStringLiteral("Total Route Distance in Statute Miles"));
    auto* totals = new QFormLayout(frame4);
    auto* labelNM = new QLabel(QStringLiteral("Total Nautical Miles"), frame4);
    labelNM->setBuddy(m_TxtTotalNM);
    m_TxtTotalNM->setAccessibleName(labelNM->text());
    auto* labelSM = new QLabel(QStringLiteral("Total Statute Miles"), frame4);
    labelSM->setBuddy(m_TxtTotalSM);
    m_TxtTotalSM->setAccessibleName(labelSM->text());
    totals->addRow(labelNM, m_TxtTotalNM);
    totals->addRow(labelSM, m_TxtTotalSM);

    auto* routingLayout = new QGridLayout(routing);
    routingLayout->addWidget(m_Frame1, 0, 0, 1, 2);
    routingLayout->addWidget(frame3, 1, 0, 1, 2);
    routingLayout->addWidget(frame2, 2, 0);
    routingLayout->addWidget(frame4, 2, 1, Qt::AlignTop);
    routingLayout->setRowStretch(0, 3);
    routingLayout->setRowStretch(2, 2);
    routingLayout->setColumnStretch(0, 1);
    m_SSTab1->addTab(routing, QStringLiteral("R&outing"));

    m_SSTab1->addTab(buildQuoteTab(), QStringLiteral("Q&uote"));

    // A control that receives the focus brings its tab to the front.
    for (QWidget* w :
         {static_cast<QWidget*>(m_TxtFind), static_cast<QWidget*>(m_CmdSelect),
          static_cast<QWidget*>(m_CmdDelete), static_cast<QWidget*>(m_SSDBGrid1),
          static_cast<QWidget*>(m_SSDBGrid2), static_cast<QWidget*>(m_CmdQuoteMem),
          static_cast<QWidget*>(m_TxtChargePerMile), static_cast<QWidget*>(m_SSDBGrid3),
          static_cast<QWidget*>(m_TxtDistanceCharge), static_cast<QWidget*>(m_TxtFinalQuote)})
        w->installEventFilter(this);
    m_TxtFind->installEventFilter(this);
    for (QTableView* view : {m_SSDBGrid1, m_SSDBGrid2})
        view->viewport()->installEventFilter(this);

    connect(m_TxtFind, &QLineEdit::textChanged, this, &Brisklander::TxtFind_Change);
    connect(m_TxtFind, &QLineEdit::cursorPositionChanged, this, &Brisklander::showCompletion);
    connect(m_TxtFind, &QLineEdit::selectionChanged, this, &Brisklander::showCompletion);
    // Text reaches the box only through its typing rules: no drops, and the context
    // menu's Paste types the clipboard as the keys would.
    m_TxtFind->setAcceptDrops(false);
    m_TxtFind->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_TxtFind, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = m_TxtFind->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        for (QAction* action : menu->actions()) {
            if (action->objectName() == QLatin1String("edit-paste")) {
                disconnect(action, &QAction::triggered, nullptr, nullptr);
                connect(action, &QAction::triggered, this, &Brisklander::pasteIntoFind);
            }
        }
        menu->popup(m_TxtFind->mapToGlobal(at));
    });
    connect(m_CmdSelect, &QPushButton::clicked, this, &Brisklander::CmdSelect_Click);
    connect(m_CmdDelete, &QPushButton::clicked, this, &Brisklander::CmdDelete_Click);
    connect(m_SSDBGrid1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Brisklander::airportSelectionChanged);
    connect(m_SSDBGrid1, &QTableView::doubleClicked, this, [this] { showDetails(false); });
    connect(m_SSDBGrid2, &QTableView::doubleClicked, this, [this] { showDetails(true); });
    connect(m_SSDBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) {
                if (section == AirportListModel::ColumnId)
                    mnusearchID_Click();
                else if (section == AirportListModel::ColumnName)
                    mnusearchName_Click();
            });
    resize(1000, 720);
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
    m_mnuPrint = entry(m_mnufile, "mnuPrint", QStringLiteral("&Print Quote"));
    connect(m_mnuPrint, &QAction::triggered, this, &Brisklander::mnuPrint_Click);
    m_mnufile->addSeparator();
    m_mnuSettings = entry(m_mnufile, "mnuSettings", QStringLiteral("&Settings"));
    connect(m_mnuSettings, &QAction::triggered, this, &Brisklander::mnuSettings_Click);
    m_mnufile->addSeparator();
    connect(entry(m_mnufile, "mnuexit", QStringLiteral("E&xit")), &QAction::triggered, this,
            &Brisklander::mnuexit_Click);
    connect(m_mnufile, &QMenu::aboutToShow, this, &Brisklander::mnufile_Click);
    m_mnuPrint->setEnabled(false);

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
    m_mnusearchID->setCheckable(true);
    m_mnusearchName->setCheckable(true);
    connect(m_mnusearchID, &QAction::triggered, this, &Brisklander::mnusearchID_Click);
    connect(m_mnusearchName, &QAction::triggered, this, &Brisklander::mnusearchName_Click);
    connect(m_mnuAirports, &QMenu::aboutToShow, this, &Brisklander::mnuAirports_Click);
    connect(m_mnuaddairport, &QAction::triggered, this, &Brisklander::mnuaddairport_Click);
    connect(m_mnuModAirport, &QAction::triggered, this, &Brisklander::mnuModAirport_Click);
    connect(m_mnudelairport, &QAction::triggered, this, &Brisklander::mnudelairport_Click);
    connect(m_mnuairportdetails, &QAction::triggered, this, &Brisklander::mnuairportdetails_Click);

    QMenu* program = menuBar()->addMenu(QStringLiteral("&Program"));
    program->setObjectName(QStringLiteral("mnuProgram"));
    connect(entry(program, "mnuAbout", QStringLiteral("&About Brisklander")), &QAction::triggered,
            this, &Brisklander::mnuAbout_Click);

    m_AirportPopup = new QMenu(this);
    m_AirportPopup->setObjectName(QStringLiteral("AirportPopup"));
    connect(entry(m_AirportPopup, "mnuAirportPopupSelect", QStringLiteral("&Select")),
            &QAction::triggered, this, &Brisklander::CmdSelect_Click);
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
            &QAction::triggered, this, &Brisklander::CmdDelete_Click);
    m_RoutePopup->addSeparator();
    connect(entry(m_RoutePopup, "mnuRoutePopupAddAirport", QStringLiteral("&Add Airport")),
            &QAction::triggered, this, &Brisklander::mnuaddairport_Click);
    connect(entry(m_RoutePopup, "mnuRoutePopupModify", QStringLiteral("&Modify Airport")),
            &QAction::triggered, this, [this] {
                modifyAirport(true);
                setFindText(QString());
                m_SSDBGrid1->clearSelection();
                m_TxtFind->setFocus();
            });
    connect(entry(m_RoutePopup, "mnuRoutePopUpDelete", QStringLiteral("&Delete Airport")),
            &QAction::triggered, this, [this] { deleteAirport(true); });
    m_RoutePopup->addSeparator();
    QAction* routeDetails =
        entry(m_RoutePopup, "mnuRoutePopupDetails", QStringLiteral("Airport D&etails"));
    m_RoutePopup->setDefaultAction(routeDetails);
    connect(routeDetails, &QAction::triggered, this, [this] { showDetails(true); });
}

Brisklander::SearchMode Brisklander::searchMode() const
{
    return appSettings().SORTORDER == SortOrder::Name ? SearchMode::AirportName
                                                      : SearchMode::Identifier;
}

void Brisklander::Form_Load()
{
    int section = 1;
    try {
        // 1: search mode
        const bool byName = appSettings().SORTORDER == SortOrder::Name;
        m_mnusearchName->setChecked(byName);
        m_mnusearchID->setChecked(!byName);
        m_LblSearch->setText(byName ? QStringLiteral(" Airport Search: Airport Name ")
                                    : QStringLiteral(" Airport Search: Identifier "));
        section = 2;
        m_data1->setDatabaseName(appContext().DatabasePath);
        m_data1->setRecordSource(QStringLiteral("SELECT * From Airports ORDER BY ") +
                                 (byName ? QStringLiteral("[NAME]") : QStringLiteral("[ID]")));
        m_data1->Refresh();
        m_TxtFind->setMaxLength(m_data1->recordset()->fieldSize(byName ? QStringLiteral("NAME")
                                                                       : QStringLiteral("ID")));
        for (int column : {AirportListModel::ColumnId, AirportListModel::ColumnState,
                           AirportListModel::ColumnCountry, AirportListModel::ColumnRunwayLength})
            m_SSDBGrid1->resizeColumnToContents(column);
        // The rows measured are a sample: an identifier takes four of the widest letters.
        const int identifier =
            m_SSDBGrid1->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")) +
            2 * m_SSDBGrid1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
        if (m_SSDBGrid1->columnWidth(AirportListModel::ColumnId) < identifier)
            m_SSDBGrid1->setColumnWidth(AirportListModel::ColumnId, identifier);
        section = 3;
        m_data2->setDatabaseName(appContext().DatabasePath);
        m_data2->setRecordSource(QStringLiteral("AdditionalCharges"));
        m_data2->Refresh();
        section = 4;
        m_data3->setDatabaseName(appContext().DatabasePath);
        m_data3->setRecordSource(QStringLiteral("Select * from Taxes Where [Tax Type] <> \"\""));
        m_data3->Refresh();
        pickBaseTax(-1); // a filled list must not look like a chosen tax
        section = 5;
        FindEventsEnabled = true;
        section = 6;
        m_charges->ensureRows(8);
        section = 7;
        resetChargePerMile();
        section = 8;
        m_sheet->setText(QuoteSheet::TotalNM, Format::number(0, Format::TotalMiles));
        m_sheet->setText(QuoteSheet::TotalSM, Format::number(0, Format::TotalMiles));
        section = 9;
        const QString airport = appSettings().DEFAULTAIRPORT;
        if (!airport.isEmpty() && m_data1->recordset() &&
            FindAirport(*m_data1->recordset(), airport)) {
            RouteStop stop;
            QVariant runway;
            const int row = m_data1->recordset()->absolutePosition();
            m_SSDBGrid1->selectionModel()->blockSignals(true);
            m_SSDBGrid1->selectRow(row);
            m_SSDBGrid1->selectionModel()->blockSignals(false);
            if (readSelectedAirport(stop, runway)) {
                m_CmdDelete->setEnabled(true);
                m_route->insertStop(0, stop);
                selectRouteRow(0);
            }
            m_SSDBGrid1->clearSelection();
            m_data1->recordset()->moveFirst();
        }
        section = 10;
        printDialogState().PrintCompany = true;
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(
            Platform::Icon::Critical, ProgramTitle,
            ErrorText::message(QStringLiteral("An Error Occurred: "), error) +
                QStringLiteral("\r\rBrisklander Load event\r\rSection = %1").arg(section));
    }
    updateRouteButtons();
}

void Brisklander::Form_Activate()
{
    m_Frame1->setToolTip(
        QStringLiteral("%1 Total Airports in Database").arg(m_data1->recordCount()));
    const QString company = appSettings().NAME.trimmed();
    setWindowTitle(company.isEmpty() ? ProgramTitle
                                     : ProgramTitle + QStringLiteral(" - ") + company);
}

void Brisklander::Form_Paint()
{
    Platform::pointer().setNormal();
}

void Brisklander::mnuexit_Click()
{
    ExitApplication();
}

void Brisklander::mnuPrint_Click()
{
    if (m_route->count() < 2)
        return;
    Platform::pointer().setBusy();
    FrmPrint dialog([this] { return quoteData(); }, this);
    dialog.exec();
    Platform::pointer().setNormal();
}

void Brisklander::mnuSettings_Click()
{
    Platform::pointer().setBusy();
    FrmSettings dialog(this, this);
    if (std::shared_ptr<Db::Database> database = dialog.database()) {
        try {
            // The catalogues are edited in place, inside the dialog's one transaction.
            auto* charges = new ChargesGrid(database, dialog.chargesPage());
            auto* taxes = new TaxesGrid(database, dialog.taxesPage());
            for (CatalogGrid* grid :
                 {static_cast<CatalogGrid*>(charges), static_cast<CatalogGrid*>(taxes)}) {
                grid->setTitle(QString());
                grid->setFlat(true);
                grid->setSaveButton(dialog.saveButton());
                dialog.addCommitStep([grid] { grid->writeCurrentRow(); });
            }
            dialog.chargesPage()->layout()->addWidget(charges);
            dialog.taxesPage()->layout()->addWidget(taxes);
            dialog.showTabOnFocus(charges->grid(), FrmSettings::ChargesTab);
            dialog.showTabOnFocus(charges->deleteButton(), FrmSettings::ChargesTab);
            dialog.showTabOnFocus(taxes->grid(), FrmSettings::TaxesTab);
            dialog.showTabOnFocus(taxes->deleteButton(), FrmSettings::TaxesTab);
        } catch (const Db::DbError& error) {
            showError(QStringLiteral("Settings"), error);
        }
    }
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
    ExitApplication();
}

void Brisklander::showError(const QString& title, const Db::DbError& error)
{
    Platform::pointer().setNormal();
    Platform::prompter().inform(Platform::Icon::Critical, title,
                                ErrorText::message(QStringLiteral("An Error Occurred:"), error));
}
