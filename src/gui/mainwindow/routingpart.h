#pragma once

#include <QFont>
#include <QWidget>

#include <functional>
#include <future>
#include <memory>
#include <vector>

struct AirportChange;
class AirportListModel;
class AirportProposals;
class AirportSearch;
class AirportSearchReader;
class DataView;
class QAction;
class QGridLayout;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMouseEvent;
class QPushButton;
class QTableView;
class QTimer;
class Quote;
class RouteHistory;
class RouteMapView;
class RouteModel;
class RouteTimesModel;
struct RouteStop;

// The main window's "R&outing" tab: the airport list with its find box, the route
// list, Select and Remove, and the route totals. It owns the keys of these controls;
// the window around it owns the menus and the airport windows.
class RoutingPart : public QWidget
{
    Q_OBJECT

public:
    enum class SearchMode
    {
        Identifier,
        AirportName,
        Anything // codes, cities and words of names, proposed in a list under the box
    };

    RoutingPart(Quote* quote, RouteHistory* history, QWidget* parent);
    ~RoutingPart() override;

    DataView* Data1() const { return m_data1; }
    AirportListModel* airportList() const { return m_airportList; }
    QLineEdit* totalNMField() const { return m_TxtTotalNM; }
    QLineEdit* totalSMField() const { return m_TxtTotalSM; }
    SearchMode searchMode() const;

    // The menus the lists open by the right button and the menu key; the window builds them.
    void setPopups(QMenu* airports, QMenu* route);
    // The route menu's "Positioning Leg" entry: its key works in the route list, its
    // mark shows the selected leg's.
    void setPositioningAction(QAction* action);
    // The route menu's commands on the selected leg's times ("Set Departure...",
    // "Fuel Stops..."): their keys work in the route list, as the positioning key does.
    void addRouteCommand(QAction* action);
    // The map beside the route list, shown or hidden.
    void setMapShown(bool shown);
    bool mapShown() const;

    // Short runways in dark red, readable on the list's rows of the current theme.
    void colourForTheme();

    void showAirportCount();
    // Reads the airport list in the saved search order; throws the engine's DbError.
    void loadAirports();
    // At start-up the default airport opens the route, without the insertion checks.
    void loadDefaultAirport();
    // A new quote starts with the default airport, inserted as Select would.
    void startWithDefaultAirport();

    int selectedRouteRow() const;
    void selectRouteRow(int row);
    bool routeListHasFocus() const;
    bool airportListHasFocus() const;
    // Positions the airport list on the airport a command acts on (the selected stop's
    // or the current row's); false ends the command.
    bool targetAirport(bool fromRoute);
    // The airport whose details are asked for: the current row's or the selected stop's.
    QString airportIdFor(bool ofRouteStop) const;

    void clearFindBox();
    void focusFindBox();
    // After a command from the route's menu: nothing proposed, the find box ready.
    void restartFinder();
    void refreshAirportList();
    // The list read again for a change another desk made: the airport selected stays
    // selected where it was on the screen, the find box keeps what is typed and its
    // proposals stay open. Throws the engine's DbError.
    void refreshAfterChangeElsewhere();
    void showAirportInList(const QString& id);
    // Every stop of a deleted airport goes, the route repairing its legs each time.
    void removeStopsOf(const QString& id);
    // Stops of a modified airport take its new identity, or its new position in place.
    void RefreshRouteAfterModify(const AirportChange& change);
    // Inserts the airport at `position` of the route as Select inserts one, to be taken
    // back by Undo; false, after a beep, when the airport list no longer holds it.
    bool insertAirport(int position, const QString& id);

public slots:
    void TxtFind_Change();
    void IncrementalFind();
    void SetSearchMode(SearchMode mode);
    void LblSearch_Click();
    void CmdSelect_Click();
    void CmdDelete_Click();
    // Marks the selected stop's leg as flown empty, or takes the mark off.
    void togglePositioning();
    // Scrolls the airport list so that its current airport does not stay on the
    // bottom edge, then selects it.
    void BringAirportIntoView();

signals:
    // One of the tab's controls took the focus: the tab comes to the front.
    void entered();
    void searchModeChanged(SearchMode mode);
    void detailsRequested(bool ofRouteStop);
    // "Departure...": the departure of the selected stop's leg is to be typed.
    void departureRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildLayout();
    void openAirportList();
    bool TxtFind_KeyPress(QKeyEvent* event);
    bool TxtFind_KeyDown(QKeyEvent* event);
    // The find box's typing rule for one character; true when it handled the character.
    bool typeIntoFind(QChar character);
    void pasteIntoFind();
    void showCompletion();
    void writeFindBox(const std::function<void()>& write);
    // Finds what `text` holds before `cursor` and writes the box once: the airport found,
    // or what was typed; on a failure, `text` as it is.
    void findInList(const QString& text, int cursor);
    // Anything mode: the proposals for the box's text, the keys that move through them,
    // and the chosen one going into the route as Select puts it there.
    void buildProposals();
    QString searchCaption() const;
    // Reads the airports for Anything mode a slice at a time between the operator's
    // events, then builds its search on another thread.
    void prepareSearch();
    void readSearchSlice();
    void findAnything();
    bool proposalsKey(QKeyEvent* event);
    void highlightProposal(int row);
    void chooseProposal(int row);
    void placeProposals();
    void closeProposals();
    void setFindText(const QString& text);
    void airportSelectionChanged();
    bool gridKeyPress(QTableView* grid, QKeyEvent* event);
    void gridKeyRelease(QTableView* grid, int key);
    void popupAtCurrentRow(QTableView* grid);
    void gridMouse(QTableView* grid, QMouseEvent* event);
    void updateRouteButtons();
    void updatePositioningAction();
    void afterRemoval(int selected);
    int selectedAirportRow() const;
    bool readSelectedAirport(RouteStop& stop, QVariant& runwayLength) const;
    void endSelect();
    void refreshMap();

    Quote* m_quote = nullptr;
    RouteModel* m_route = nullptr;
    RouteTimesModel* m_routeView = nullptr;
    RouteHistory* m_history = nullptr;
    DataView* m_data1 = nullptr;
    bool m_airportListOpen = false; // opened as the part was made, not yet loaded
    AirportListModel* m_airportList = nullptr;
    // Anything mode's search: read and built after the window is painted (or at the
    // first key), dropped when the list is read again.
    std::unique_ptr<AirportSearchReader> m_reading;
    QTimer* m_readingSlice = nullptr;
    std::unique_ptr<AirportSearch> m_search;
    std::future<std::unique_ptr<AirportSearch>> m_building;
    AirportProposals* m_proposals = nullptr;
    QTableView* m_LstProposals = nullptr;
    // The proposals' header height and column widths, measured for the list's font.
    int m_proposalsHeaderHeight = 0;
    std::vector<int> m_proposalsWidths;
    QFont m_proposalsFont;
    QMenu* m_AirportPopup = nullptr;
    QMenu* m_RoutePopup = nullptr;
    QAction* m_positioning = nullptr;

    QGroupBox* m_Frame1 = nullptr;
    QTableView* m_SSDBGrid1 = nullptr;
    QTableView* m_SSDBGrid2 = nullptr;
    QLabel* m_LblSearch = nullptr;
    QLineEdit* m_TxtFind = nullptr;
    QPushButton* m_CmdSelect = nullptr;
    QPushButton* m_CmdDelete = nullptr;
    QPushButton* m_CmdDeparture = nullptr;
    QLineEdit* m_TxtTotalNM = nullptr;
    QLineEdit* m_TxtTotalSM = nullptr;
    QGroupBox* m_mapFrame = nullptr;
    RouteMapView* m_map = nullptr;
    QGridLayout* m_layout = nullptr;
    bool m_completionHeld = false;
};
