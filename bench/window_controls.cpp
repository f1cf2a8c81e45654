// The program's controls and nothing of the program: the floor window's airport table
// (floorwindow.h) inside the main window's menus, tabs and group boxes, with the find
// row, the route list, the totals and an empty frame where the map is drawn. Started on
// a database and ended at the first paint of its lists, as the floor is. It tells how
// much of the program's start is Qt making and painting these controls, which no
// program showing them can avoid. Usage: window_controls DATABASE

#include "floorwindow.h"
#include "windowend.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>

namespace {

class ControlsWindow : public QMainWindow
{
public:
    explicit ControlsWindow(const QString& database) : m_airports(database), m_route(1, 9)
    {
        addMenu("&Quote", {"&New Quote", "&Undo", "Sa&ve Quote", "&Print Quote",
                           "Send by &E-mail...", "Quote &Register...", "&Settings",
                           "&Back Up Database...", "Res&tore Database...", "E&xit"});
        addMenu("&Airports", {"&Add Airport", "&Modify Airport", "&Delete Airport",
                              "Airport D&etails", "Airport &Search"});
        addMenu("&Program", {"Show Route &Map", "&About Brisklander"});
        auto* tabs = new QTabWidget(this);
        setCentralWidget(tabs);
        auto* routing = new QWidget(tabs);
        tabs->addTab(routing, QStringLiteral("R&outing"));
        tabs->addTab(new QWidget(tabs), QStringLiteral("Q&uote")); // built after the paint

        auto* airports = new QGroupBox(QStringLiteral("Airports"), routing);
        (new QVBoxLayout(airports))->addWidget(table(airports, &m_airports));
        auto* find = new QGroupBox(routing);
        auto* findRow = new QHBoxLayout(find);
        findRow->addWidget(new QLabel(QStringLiteral(" Airport Search: Anything "), find));
        findRow->addWidget(new QLineEdit(find), 1);
        for (const char* caption : {"&Select", "&Remove", "&Departure..."})
            findRow->addWidget(new QPushButton(QString::fromLatin1(caption), find));
        auto* route = new QGroupBox(QStringLiteral("Route"), routing);
        for (int column = 0; column < m_route.columnCount(); ++column)
            m_route.setItem(0, column, new QStandardItem(QStringLiteral("KTEB")));
        (new QVBoxLayout(route))->addWidget(table(route, &m_route));
        auto* totals = new QGroupBox(QStringLiteral("Route Totals"), routing);
        auto* form = new QFormLayout(totals);
        form->addRow(QStringLiteral("Total Nautical Miles"), new QLineEdit(totals));
        form->addRow(QStringLiteral("Total Statute Miles"), new QLineEdit(totals));
        auto* map = new QGroupBox(QStringLiteral("Map"), routing);
        (new QVBoxLayout(map))->addWidget(new QWidget(map));

        auto* beside = new QVBoxLayout;
        beside->addWidget(totals);
        beside->addWidget(map, 1);
        auto* layout = new QGridLayout(routing);
        layout->addWidget(airports, 0, 0, 1, 2);
        layout->addWidget(find, 1, 0, 1, 2);
        layout->addWidget(route, 2, 0);
        layout->addLayout(beside, 2, 1);
        layout->setRowStretch(0, 3);
        layout->setRowStretch(2, 2);
        layout->setColumnStretch(0, 3);
        layout->setColumnStretch(1, 2);
        resize(1000, 720); // the size the program opens at
    }

private:
    void addMenu(const char* title, std::initializer_list<const char*> entries)
    {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(title));
        for (const char* entry : entries)
            menu->addAction(QString::fromLatin1(entry));
    }
    static QTableView* table(QWidget* parent, QAbstractItemModel* model)
    {
        auto* view = new QTableView(parent);
        view->setModel(model);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->verticalHeader()->hide();
        return view;
    }

    FloorAirports m_airports;
    QStandardItemModel m_route;
};

} // namespace

int main(int argc, char** argv)
{
    return showDatabaseWindow<ControlsWindow>(argc, argv);
}
