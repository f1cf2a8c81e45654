#include "gui/mainwindow/routingpart.h"

#include "core/airports/airportrecord.h"
#include "core/airports/airportsearch.h"
#include "core/airports/airporttable.h"
#include "core/quote/quote.h"
#include "core/quote/routehistory.h"
#include "core/quote/routeinsertion.h"
#include "core/quote/routemodel.h"
#include "core/settings/appsettings.h"
#include "gui/airports/airporthost.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/airportlistmodel.h"
#include "gui/mainwindow/dataview.h"
#include "gui/mainwindow/dberrorbox.h"
#include "gui/mainwindow/findevents.h"
#include "gui/mainwindow/routemapview.h"
#include "gui/mainwindow/routetimesmodel.h"
#include "gui/platform/colours.h"
#include "gui/platform/tableheader.h"
#include "gui/quote/frmmsgboxinsairport.h"

#include <QAction>
#include <QApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>

using Platform::Button;
using Platform::Icon;

namespace {

// The default airport: halving a list in identifier order, rather than searching it all.
bool findDefaultAirport(Db::Recordset& set, RoutingPart::SearchMode mode)
{
    const QString& airport = appSettings().DEFAULTAIRPORT;
    return mode == RoutingPart::SearchMode::AirportName ? FindAirport(set, airport)
                                                        : FindAirportById(set, airport);
}

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
    view->setHorizontalHeader(new TableHeader(Qt::Horizontal, view));
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
    // The list, its frame, header and scroll bars cover the whole of it: drawn on its own
    // background, a list that scrolls does not repaint the frames and tabs behind it.
    view->setAutoFillBackground(true);
    return view;
}

// The width a cell of the view takes for the text, with the short runway's sign before it
// if asked: what the view's delegate gives a cell, measured without a row.
int cellWidth(const QTableView* view, const QString& text, bool sign)
{
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.font = view->font();
    option.fontMetrics = view->fontMetrics();
    option.features = QStyleOptionViewItem::HasDisplay;
    option.text = text;
    if (sign) {
        const int size = view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view);
        option.features |= QStyleOptionViewItem::HasDecoration;
        option.decorationSize = QSize(size, size);
    }
    // The grid's line is the cell's too.
    return view->style()
               ->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), view)
               .width() +
           (view->showGrid() ? 1 : 0);
}

} // namespace

RoutingPart::RoutingPart(Quote* quote, RouteHistory* history, QWidget* parent)
    : QWidget(parent), m_quote(quote), m_route(quote->route()), m_history(history)
{
    m_routeView = new RouteTimesModel(quote, this);
    m_data1 = new DataView(this);
    m_data1->setObjectName(QStringLiteral("Data1"));
    m_airportList = new AirportListModel(m_data1, this);
    // The list's statement is opened before any control is made, while the start still
    // reads the fonts on its second core (see StartApplication). One that fails is opened
    // again by loadAirports, which tells the operator.
    if (!appContext().DatabasePath.isEmpty()) {
        try {
            openAirportList();
            m_airportListOpen = true;
        } catch (const Db::DbError&) {
        }
    }
    buildLayout();
    buildProposals();
    connect(m_route, &RouteModel::totalsChanged, this, &RoutingPart::updateRouteButtons);
    // The map follows every change of the route: stops, positions, marks and times.
    for (auto changed : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_route, changed, this, &RoutingPart::refreshMap);
    connect(m_route, &QAbstractItemModel::dataChanged, this, &RoutingPart::refreshMap);
    connect(m_route, &QAbstractItemModel::modelReset, this, &RoutingPart::refreshMap);
    connect(quote, &Quote::timesChanged, this, &RoutingPart::refreshMap);
    connect(m_SSDBGrid2->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_map->setHighlighted(selectedRouteRow()); });
}

void RoutingPart::setMapShown(bool shown)
{
    m_mapFrame->setVisible(shown);
    m_layout->setColumnStretch(1, shown ? 2 : 0);
    if (shown)
        refreshMap();
}

bool RoutingPart::mapShown() const
{
    return !m_mapFrame->isHidden();
}

void RoutingPart::refreshMap()
{
    if (m_mapFrame->isHidden())
        return; // drawn again when it is shown
    QList<RouteMap::StopInput> stops;
    const QList<int>& beyondRange = m_quote->times().beyondRange;
    for (int row = 0; row < m_route->count(); ++row) {
        const RouteLeg& leg = m_route->leg(row);
        stops.append({leg.stop.ID, northEastDegrees(leg.stop.point()), leg.positioning,
                      beyondRange.contains(row)});
    }
    m_map->setRoute(RouteMap(stops, m_route->distanceModel()));
    m_map->setHighlighted(selectedRouteRow());
}

void RoutingPart::buildLayout()
{
    m_Frame1 = new QGroupBox(QStringLiteral("Airports"), this);
    m_Frame1->setObjectName(QStringLiteral("Frame1"));
    m_SSDBGrid1 = grid(m_Frame1, "SSDBGrid1", QStringLiteral("Airports"));
    m_SSDBGrid1->setModel(m_airportList);
    m_SSDBGrid1->horizontalHeader()->setSectionsClickable(true);
    // The names take the room the other columns leave; those fit their contents
    // (sized when the list is read).
    m_SSDBGrid1->horizontalHeader()->setSectionResizeMode(AirportListModel::ColumnName,
                                                          QHeaderView::Stretch);
    m_SSDBGrid1->horizontalHeader()->setResizeContentsPrecision(32); // about a screenful
    (new QVBoxLayout(m_Frame1))->addWidget(m_SSDBGrid1);

    auto* frame2 = new QGroupBox(QStringLiteral("Route"), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    m_SSDBGrid2 = grid(frame2, "SSDBGrid2", QStringLiteral("Route"));
    m_SSDBGrid2->setModel(m_routeView);
    for (int column = RouteModel::ColumnLatHour; column <= RouteModel::ColumnLongSec; ++column)
        m_SSDBGrid2->setColumnHidden(column, true);
    m_SSDBGrid2->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_SSDBGrid2->horizontalHeader()->setSectionResizeMode(RouteModel::ColumnName,
                                                          QHeaderView::Stretch);
    (new QVBoxLayout(frame2))->addWidget(m_SSDBGrid2);

    auto* frame3 = new QGroupBox(this);
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
    // Drawn on its own background (the window's, as behind it), the box repaints alone as
    // it is typed in: the frame around it, which the style draws from an image, stays.
    m_TxtFind->setAutoFillBackground(true);
    m_TxtFind->setBackgroundRole(QPalette::Window);
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
    m_CmdDeparture = new QPushButton(QStringLiteral("&Departure..."), frame3);
    m_CmdDeparture->setObjectName(QStringLiteral("CmdDeparture"));
    m_CmdDeparture->setToolTip(
        QStringLiteral("Types the local departure of the selected stop's leg (the first leg's "
                       "when the first stop is selected)"));
    m_CmdDeparture->setEnabled(false);
    auto* findRow = new QHBoxLayout(frame3);
    findRow->addWidget(m_LblSearch);
    findRow->addWidget(m_TxtFind, 1);
    findRow->addWidget(m_CmdSelect);
    findRow->addWidget(m_CmdDelete);
    findRow->addWidget(m_CmdDeparture);

    auto* frame4 = new QGroupBox(QStringLiteral("Route Totals"), this);
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

    // The map of the route, below the totals and as wide as the route list.
    m_mapFrame = new QGroupBox(QStringLiteral("Map"), this);
    m_mapFrame->setObjectName(QStringLiteral("FrameMap"));
    m_map = new RouteMapView(m_mapFrame);
    (new QVBoxLayout(m_mapFrame))->addWidget(m_map);
    setTabOrder(m_SSDBGrid2, m_map);
    auto* beside = new QVBoxLayout;
    beside->addWidget(frame4);
    beside->addWidget(m_mapFrame, 1);
    beside->addStretch(0);

    auto* layout = new QGridLayout(this);
    m_layout = layout;
    layout->addWidget(m_Frame1, 0, 0, 1, 2);
    layout->addWidget(frame3, 1, 0, 1, 2);
    layout->addWidget(frame2, 2, 0);
    layout->addLayout(beside, 2, 1);
    layout->setRowStretch(0, 3);
    layout->setRowStretch(2, 2);
    // The route list keeps the larger part of the width: its columns tell the legs' times.
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(1, 2);

    // A control that receives the focus brings the tab to the front.
    for (QWidget* w : {static_cast<QWidget*>(m_TxtFind), static_cast<QWidget*>(m_CmdSelect),
                       static_cast<QWidget*>(m_CmdDelete), static_cast<QWidget*>(m_CmdDeparture),
                       static_cast<QWidget*>(m_SSDBGrid1), static_cast<QWidget*>(m_SSDBGrid2)})
        w->installEventFilter(this);
    for (QTableView* view : {m_SSDBGrid1, m_SSDBGrid2})
        view->viewport()->installEventFilter(this);

    connect(m_TxtFind, &QLineEdit::textChanged, this, &RoutingPart::TxtFind_Change);
    connect(m_TxtFind, &QLineEdit::cursorPositionChanged, this, &RoutingPart::showCompletion);
    connect(m_TxtFind, &QLineEdit::selectionChanged, this, &RoutingPart::showCompletion);
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
                connect(action, &QAction::triggered, this, &RoutingPart::pasteIntoFind);
            }
        }
        menu->popup(m_TxtFind->mapToGlobal(at));
    });
    connect(m_CmdSelect, &QPushButton::clicked, this, &RoutingPart::CmdSelect_Click);
    connect(m_CmdDelete, &QPushButton::clicked, this, &RoutingPart::CmdDelete_Click);
    connect(m_CmdDeparture, &QPushButton::clicked, this, &RoutingPart::departureRequested);
    connect(m_SSDBGrid1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RoutingPart::airportSelectionChanged);
    connect(m_SSDBGrid1, &QTableView::doubleClicked, this,
            [this] { emit detailsRequested(false); });
    connect(m_SSDBGrid2, &QTableView::doubleClicked, this, [this] { emit detailsRequested(true); });
    connect(m_SSDBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) {
                const SearchMode mode =
                    section == AirportListModel::ColumnId     ? SearchMode::Identifier
                    : section == AirportListModel::ColumnName ? SearchMode::AirportName
                                                              : searchMode();
                if (mode != searchMode())
                    SetSearchMode(mode);
            });
}

void RoutingPart::setPopups(QMenu* airports, QMenu* route)
{
    m_AirportPopup = airports;
    m_RoutePopup = route;
}

void RoutingPart::setPositioningAction(QAction* action)
{
    m_positioning = action;
    action->setCheckable(true);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    // Only where a leg is selected: the route list, and the menu it opens.
    action->setShortcutContext(Qt::WidgetShortcut);
    m_SSDBGrid2->addAction(action);
    connect(action, &QAction::triggered, this, &RoutingPart::togglePositioning);
    connect(m_RoutePopup, &QMenu::aboutToShow, this, &RoutingPart::updatePositioningAction);
}

void RoutingPart::addRouteCommand(QAction* action)
{
    action->setShortcutContext(Qt::WidgetShortcut);
    m_SSDBGrid2->addAction(action);
}

void RoutingPart::togglePositioning()
{
    const int row = selectedRouteRow();
    if (row < 1) {
        // The first stop ends no leg.
        Platform::prompter().beep();
    } else {
        m_history->record(RouteHistory::Change::Edit, row);
        m_route->setPositioning(row, !m_route->leg(row).positioning);
    }
    updatePositioningAction();
}

void RoutingPart::updatePositioningAction()
{
    const int row = selectedRouteRow();
    m_positioning->setChecked(row >= 1 && m_route->leg(row).positioning);
}

void RoutingPart::colourForTheme()
{
    const QPalette theme = window()->palette();
    QList<QColor> rows{theme.color(QPalette::Base)};
    if (m_SSDBGrid1->alternatingRowColors())
        rows << theme.color(QPalette::AlternateBase);
    m_airportList->setShortRunwayColour(Colours::readableOn(Colours::DarkRed, rows));
    m_routeView->setBeyondRangeColour(Colours::readableOn(Colours::DarkRed, rows));
}

void RoutingPart::showAirportCount()
{
    m_Frame1->setToolTip(
        QStringLiteral("%1 Total Airports in Database").arg(m_data1->recordCount()));
}

void RoutingPart::openAirportList()
{
    m_data1->setDatabaseName(appContext().DatabasePath);
    m_data1->setAirportList(appSettings().SORTORDER);
    m_data1->Refresh();
}

void RoutingPart::loadAirports()
{
    const bool byName = appSettings().SORTORDER == SortOrder::Name;
    m_LblSearch->setText(searchCaption());
    if (!std::exchange(m_airportListOpen, false))
        openAirportList();
    // Anything mode takes what a name can take.
    m_TxtFind->setMaxLength(m_data1->recordset()->fieldSize(
        byName || searchMode() == SearchMode::Anything ? QStringLiteral("NAME")
                                                       : QStringLiteral("ID")));
    // The countries' names are measured on the rows of about a screenful (see buildLayout).
    // The other columns hold at most a few letters or digits: each is as wide as the
    // widest such cell, or its caption, without reading a row.
    m_SSDBGrid1->resizeColumnToContents(AirportListModel::ColumnCountry);
    const auto fit = [this](int column, const QString& widest, bool sign = false) {
        m_SSDBGrid1->setColumnWidth(column,
                                    qMax(cellWidth(m_SSDBGrid1, widest, sign),
                                         m_SSDBGrid1->horizontalHeader()->sectionSizeHint(column)));
    };
    fit(AirportListModel::ColumnId, QStringLiteral("WWWW"));
    fit(AirportListModel::ColumnState, QStringLiteral("WWW"));
    fit(AirportListModel::ColumnRunwayLength, QStringLiteral("00000"), true);
}

void RoutingPart::loadDefaultAirport()
{
    const QString airport = appSettings().DEFAULTAIRPORT;
    if (airport.isEmpty() || !m_data1->database())
        return;
    // Read by its identifier, without searching the list for it.
    const std::optional<AirportRecord> record = ReadAirport(*m_data1->database(), airport);
    if (!record)
        return;
    m_route->insertStop(0, RouteStop{record->ID, record->NAME, record->Latitude, record->Longitude,
                                     record->TIME_ZONE_NAME, record->TIME_ZONE});
    selectRouteRow(0);
}

void RoutingPart::startWithDefaultAirport()
{
    Db::Recordset* set = m_data1->recordset();
    if (!set)
        return;
    const QString airport = appSettings().DEFAULTAIRPORT;
    try {
        if (!airport.isEmpty() && findDefaultAirport(*set, searchMode())) {
            const int row = set->absolutePosition();
            m_SSDBGrid1->setCurrentIndex(m_airportList->index(row, 0));
            m_SSDBGrid1->selectRow(row);
            setFindText(airport);
            CmdSelect_Click();
        }
        if (set->recordCount() > 0)
            set->moveFirst();
    } catch (const Db::DbError& error) {
        showDbError(window()->windowTitle(), error);
    }
}

int RoutingPart::selectedAirportRow() const
{
    const QModelIndexList rows = m_SSDBGrid1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int RoutingPart::selectedRouteRow() const
{
    const QModelIndexList rows = m_SSDBGrid2->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void RoutingPart::selectRouteRow(int row)
{
    if (row < 0 || row >= m_route->count())
        return;
    m_SSDBGrid2->setCurrentIndex(m_routeView->index(row, RouteModel::ColumnId));
    m_SSDBGrid2->selectRow(row);
}

bool RoutingPart::routeListHasFocus() const
{
    return QApplication::focusWidget() == m_SSDBGrid2;
}

bool RoutingPart::airportListHasFocus() const
{
    return m_SSDBGrid1->hasFocus();
}

bool RoutingPart::readSelectedAirport(RouteStop& stop, QVariant& runwayLength) const
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
    // A database made before zone names has no such column until the program adds it.
    if (set->fieldIndex(QStringLiteral("TIME ZONE NAME")) >= 0)
        stop.TIME_ZONE_NAME = field("TIME ZONE NAME").toString();
    stop.TIME_ZONE = timeZoneFromStored(field("TIME ZONE"));
    return true;
}

void RoutingPart::updateRouteButtons()
{
    m_CmdDelete->setEnabled(m_route->count() > 0);
    m_CmdDeparture->setEnabled(m_route->count() > 1);
}

void RoutingPart::focusFindBox()
{
    m_TxtFind->setFocus();
}

void RoutingPart::endSelect()
{
    setFindText(QString());
    m_TxtFind->setFocus();
}

void RoutingPart::CmdSelect_Click()
{
    try {
        RouteStop stop;
        QVariant runway;
        if (!readSelectedAirport(stop, runway)) {
            Platform::prompter().beep();
            return;
        }
        const RouteInsertion::Decision decision = RouteInsertion::decide(
            {m_route, selectedRouteRow(), m_SSDBGrid2->currentIndex().row()}, stop,
            runway.isNull() ? std::nullopt : std::optional<qint64>(runway.toLongLong()),
            appSettings().MINRUNWAYLENGTH,
            [this] { return FrmMsgBoxInsAirport::ask(window()) == FrmMsgBoxInsAirport::Before; });
        if (!decision.refusal.isEmpty()) {
            Platform::prompter().inform(Icon::Exclamation, RouteInsertion::Title, decision.refusal);
            endSelect();
            return;
        }
        if (!decision.runwayQuestion.isEmpty() &&
            Platform::prompter().ask(
                Platform::Message{Icon::Exclamation, RouteInsertion::Title, decision.runwayQuestion,
                                  Button::Yes | Button::No, Button::No}) != Button::Yes) {
            endSelect();
            return;
        }
        m_history->record(RouteHistory::Change::Edit, selectedRouteRow());
        m_route->insertStop(decision.position, stop);
        setFindText(QString());
        selectRouteRow(decision.position);
        m_SSDBGrid1->clearSelection();
        m_CmdSelect->setEnabled(false);
        if (m_TxtFind->isVisible() && isActiveWindow())
            m_TxtFind->setFocus();
    } catch (const Db::DbError& error) {
        showDbError(window()->windowTitle(), error);
    }
}

void RoutingPart::CmdDelete_Click()
{
    const int row = selectedRouteRow();
    if (m_route->count() == 0 || row < 0)
        return;
    m_history->record(RouteHistory::Change::Edit, row);
    afterRemoval(m_route->removeStop(row));
}

void RoutingPart::afterRemoval(int selected)
{
    QScrollBar* bar = m_SSDBGrid2->verticalScrollBar();
    bar->setValue(bar->value() - 1);
    selectRouteRow(selected);
    if (isActiveWindow())
        m_TxtFind->setFocus();
}

void RoutingPart::removeStopsOf(const QString& id)
{
    for (int row = 0; row < m_route->count();) {
        if (m_route->leg(row).stop.ID != id) {
            ++row;
            continue;
        }
        afterRemoval(m_route->removeStop(row));
        row = 0;
    }
}

void RoutingPart::RefreshRouteAfterModify(const AirportChange& change)
{
    if (!change.changed())
        return;
    for (int row = 0; row < m_route->count(); ++row) {
        if (m_route->leg(row).stop.ID != change.oldId)
            continue;
        if (!change.positionChanged) {
            m_route->setStopIdentity(row, change.newId, change.newName);
            continue;
        }
        // The stop stays at its place; the legs on both sides are measured again from
        // the new position.
        selectRouteRow(row);
        showAirportInList(change.newId);
        RouteStop stop;
        QVariant runway;
        if (readSelectedAirport(stop, runway))
            m_route->replaceStop(row, stop);
        else
            Platform::prompter().beep();
        setFindText(QString());
        m_SSDBGrid1->clearSelection();
        m_CmdSelect->setEnabled(false);
        if (m_TxtFind->isVisible() && isActiveWindow())
            m_TxtFind->setFocus();
    }
    // A route kept for undo holds the airport as it was.
    m_history->clear();
}

bool RoutingPart::insertAirport(int position, const QString& id)
{
    showAirportInList(id);
    RouteStop stop;
    QVariant runway;
    if (airportIdFor(false).compare(id, Qt::CaseInsensitive) != 0 ||
        !readSelectedAirport(stop, runway)) {
        Platform::prompter().beep();
        return false;
    }
    m_history->record(RouteHistory::Change::Edit, selectedRouteRow());
    m_route->insertStop(position, stop);
    setFindText(QString());
    selectRouteRow(position);
    m_SSDBGrid1->clearSelection();
    m_CmdSelect->setEnabled(false);
    return true;
}

bool RoutingPart::targetAirport(bool fromRoute)
{
    Db::Recordset* set = m_data1->recordset();
    if (!set)
        return false;
    if (fromRoute) {
        const int stop = selectedRouteRow();
        const QString id = stop >= 0 ? m_route->leg(stop).stop.ID : QString();
        if (id.isEmpty() || !FindAirport(*set, id)) {
            Platform::prompter().inform(Icon::Exclamation, QStringLiteral("Brisklander"),
                                        QStringLiteral("Airport not found."));
            return false;
        }
        const int row = set->absolutePosition();
        m_SSDBGrid1->setCurrentIndex(m_airportList->index(row, 0));
        const bool byId = appSettings().SORTORDER == SortOrder::Id;
        setFindText(set->value(byId ? QStringLiteral("ID") : QStringLiteral("NAME")).toString());
        m_SSDBGrid1->scrollTo(m_airportList->index(row, 0));
        BringAirportIntoView();
        return true;
    }
    const QModelIndex current = m_SSDBGrid1->currentIndex();
    if (!current.isValid())
        return false;
    set->setAbsolutePosition(current.row());
    m_SSDBGrid1->selectRow(current.row());
    return true;
}

QString RoutingPart::airportIdFor(bool ofRouteStop) const
{
    if (!ofRouteStop) {
        const QModelIndex current = m_SSDBGrid1->currentIndex();
        return current.isValid() ? m_airportList->index(current.row(), AirportListModel::ColumnId)
                                       .data()
                                       .toString()
                                 : QString();
    }
    const int stop = selectedRouteRow();
    return stop >= 0 ? m_route->leg(stop).stop.ID : QString();
}

void RoutingPart::clearFindBox()
{
    setFindText(QString());
}

void RoutingPart::restartFinder()
{
    setFindText(QString());
    m_SSDBGrid1->clearSelection();
    m_TxtFind->setFocus();
}

void RoutingPart::refreshAirportList()
{
    try {
        m_data1->Refresh();
    } catch (const Db::DbError& error) {
        showDbError(window()->windowTitle(), error);
    }
}

void RoutingPart::refreshAfterChangeElsewhere()
{
    const QModelIndex current = m_SSDBGrid1->currentIndex();
    const QString selected =
        current.isValid()
            ? m_airportList->index(current.row(), AirportListModel::ColumnId).data().toString()
            : QString();
    const int offset = current.isValid() ? current.row() - m_SSDBGrid1->rowAt(0) : 0;
    const bool proposing = m_LstProposals->isVisible();
    const FindEventsPause quiet; // the box is the operator's
    m_data1->Refresh();
    if (!selected.isEmpty()) {
        Db::Recordset* set = m_data1->recordset();
        if (set && FindAirport(*set, selected)) {
            const int row = set->absolutePosition();
            const int rowHeight = qMax(1, m_SSDBGrid1->verticalHeader()->defaultSectionSize());
            m_SSDBGrid1->setCurrentIndex(m_airportList->index(row, 0));
            m_SSDBGrid1->verticalScrollBar()->setValue(m_SSDBGrid1->verticalScrollMode() ==
                                                               QAbstractItemView::ScrollPerItem
                                                           ? row - offset
                                                           : (row - offset) * rowHeight);
        }
    }
    if (proposing)
        findAnything();
}

void RoutingPart::showAirportInList(const QString& id)
{
    Db::Recordset* set = m_data1->recordset();
    if (!set)
        return;
    try {
        if (!FindAirport(*set, id))
            return;
        const int row = set->absolutePosition();
        m_SSDBGrid1->setCurrentIndex(m_airportList->index(row, 0));
        m_SSDBGrid1->scrollTo(m_airportList->index(row, 0));
        BringAirportIntoView();
    } catch (const Db::DbError& error) {
        showDbError(window()->windowTitle(), error);
    }
}
