#include "core/airports/airporttable.h"
#include "core/quote/chargesmodel.h"
#include "core/quote/routemodel.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/airportlistmodel.h"
#include "gui/mainwindow/catalogmodel.h"
#include "gui/mainwindow/dataview.h"
#include "gui/mainwindow/findevents.h"
#include "gui/mainwindow/routemapview.h"
#include "support/databasedump.h"
#include "support/mainwindowfixture.h"
#include "support/tablerows.h"
#include "support/themes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>

#include <QTest>
#include <sqlite3.h>

using namespace Qt::StringLiterals;
using Platform::Button;
using Platform::Icon;

class TestBrisklander : public MainWindowFixture
{
    Q_OBJECT

public:
    TestBrisklander()
    {
        m_start.DEFAULTCHARGENM = 8.5;
        m_start.QUOTEBASE = QuoteBase::Nautical;
    }

private:
    QTabWidget* tabs() const { return child<QTabWidget>("SSTab1"); }
    bool selectEnabled() const { return child<QPushButton>("CmdSelect")->isEnabled(); }
    // Queues keys as a fast typist sends them: all of them are waiting before the first
    // is handled, and each goes to the focus of the moment it arrives.
    static void typeAhead(const QString& keys)
    {
        for (qsizetype i = 0; i < keys.size(); ++i) {
            const QString key = keys.mid(i, keys.at(i) == u'%' ? 2 : 1);
            i += key.size() - 1;
            QMetaObject::invokeMethod(
                qApp, [key] { press(key); }, Qt::QueuedConnection);
        }
    }

private slots:
    void loadFailureNamesItsSection()
    {
        m_window.reset();
        appContext().DatabasePath = m_folder->filePath(QStringLiteral("missing.mdb"));
        prompter().setNextAnswer(Button::Ok);
        m_window = m_folder->showMainWindow();
        QVERIFY(m_window);
        expectMessage(Icon::Critical, u"Brisklander"_s,
                      u"An Error Occurred: \r\rError number = 3024\r*\r\rBrisklander Load event\r\r"
                      "Section = 2"_s,
                      Button::Ok);
        QVERIFY(m_window->isVisible());
        QVERIFY(!QFile::exists(appContext().DatabasePath));
    }

    // The find box takes keys through its typing rules (whose cases the core tests hold):
    // a completion proposed, Alt keys typing nothing, a paste filtered, Delete taking
    // back the proposal, Enter selecting.
    void findBoxTyping_data() { addTableRows(u"gui/mainwindow/findbox-keys.txt"_s); }

    void findBoxTyping()
    {
        QFETCH(QStringList, row);
        QGuiApplication::clipboard()->setText(u"k'b,o[s"_s);
        press(row[0]);
        QCOMPARE(find()->text(), row[1]);
        QCOMPARE(find()->cursorPosition(), row[2].toInt());
        QCOMPARE(selectEnabled() ? u"yes"_s : u"no"_s, row[3]);
        if (find()->text().isEmpty())
            QVERIFY(child<QTableView>("SSDBGrid1")->selectionModel()->selectedRows().isEmpty());
        const bool select = selectEnabled();
        press(QStringLiteral("\r")); // Enter is Select
        QCOMPARE(routeIds().size(), select ? 2 : 1);
    }

    // A write of the find box inside another leaves searching off until the outer ends.
    void nestedPauseRestoresWhatWasBefore()
    {
        {
            FindEventsPause outer;
            {
                FindEventsPause inner;
            }
            QVERIFY(!FindEventsEnabled);
        }
        QVERIFY(FindEventsEnabled);
    }

    // Switching the mode reads the list from the top and completes names; a box of up to
    // four characters searches again by identifier, a longer name leaves it empty.
    void searchModes()
    {
        auto* list = child<QTableView>("SSDBGrid1");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_End);
        QVERIFY(list->verticalScrollBar()->value() > 0);
        press(QStringLiteral("eg"));
        QTest::mouseClick(child<QLabel>("LblSearch"), Qt::LeftButton);
        QCOMPARE(find()->text(), QString());
        QCOMPARE(appSettings().SORTORDER, SortOrder::Name);
        QCOMPARE(list->verticalScrollBar()->value(), 0);
        find()->setText(QStringLiteral("EGL"));
        child<QAction>("mnusearchID")->trigger();
        QCOMPARE(find()->text(), QStringLiteral("EGLC"));
        child<QAction>("mnusearchName")->trigger();
        find()->setFocus();
        press(QStringLiteral("london c"));
        QCOMPARE(find()->text(), QStringLiteral("LONDON CITY AIRPORT"));
        list->scrollToBottom();
        child<QAction>("mnusearchID")->trigger();
        QCOMPARE(find()->text(), QString());
        QVERIFY(list->selectionModel()->selectedRows().isEmpty());
        QCOMPARE(list->verticalScrollBar()->value(), 0);
    }

    // Anything mode, chosen by keys: proposals under the box as the operator types,
    // blanks included; Up and Down move the highlight, Escape closes the list and Down
    // brings it back, Enter puts the highlighted airport into the route as Select does.
    void anythingProposesAsTyped()
    {
        press(u"%asa"_s);
        QCOMPARE(child<QLabel>("LblSearch")->text(), u" Airport Search: Anything "_s);
        QVERIFY(child<QAction>("mnusearchAnything")->isChecked());
        backToWindow(); // as the desktop does when the menu closes
        auto* proposals = child<QTableView>("LstProposals");
        const auto highlighted = [proposals] {
            return proposals->isVisible()
                       ? proposals->model()->index(proposals->currentIndex().row(), 0).data()
                       : QVariant();
        };
        typeAhead(u"london"_s);
        QTRY_COMPARE(find()->text(), u"london"_s);
        QCOMPARE(proposals->model()->rowCount(), 2);
        QCOMPARE(highlighted(), u"EGLL (LHR)"_s);
        press(u"\x1b"_s);
        QCOMPARE(highlighted(), QVariant());
        key(Qt::Key_Down);
        QCOMPARE(highlighted(), u"EGLL (LHR)"_s);
        key(Qt::Key_Down);
        QCOMPARE(highlighted(), u"EGLC (LCY)"_s);
        typeAhead(u"\r"_s);
        QTRY_COMPARE(routeIds(), QStringList({"KTEB", "EGLC"}));
        QCOMPARE(find()->text(), QString());
        QVERIFY(!proposals->isVisible());
        typeAhead(u"new york%s"_s); // Select takes the highlighted airport too
        QTRY_COMPARE(routeIds(), QStringList({"KTEB", "EGLC", "KJFK"}));
        QTest::mouseClick(child<QLabel>("LblSearch"), Qt::LeftButton);
        QCOMPARE(child<QLabel>("LblSearch")->text(), u" Airport Search: Identifier "_s);
    }

    // The completion after the cursor is drawn lighter than what was typed.
    void completionIsDrawnAsAProposal()
    {
        const auto darkest = [this](bool typedPart) {
            const QImage image = find()->grab().toImage();
            const int cursor =
                find()->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
            const QRect text = find()->contentsRect().adjusted(2, 2, -2, -2);
            int least = 255;
            for (int x = typedPart ? text.left() : cursor + 2;
                 x < (typedPart ? cursor : text.right()); ++x)
                for (int y = text.top(); y < text.bottom(); ++y)
                    least = qMin(least, qGray(image.pixel(x, y)));
            return least;
        };
        press(QStringLiteral("k")); // KASE
        QVERIFY(darkest(false) > darkest(true) + 60);
        press(QStringLiteral("ase")); // typed in full: nothing is proposed
        QVERIFY(darkest(true) < 100);
    }

    // Tab walks the enabled controls of a tab, never the read-only figures (which still
    // take the mouse), and brings the tab of the focus forward. A chain ends back at its
    // start or at the charges grid, whose own order of cells is the grid's test.
    void tabOrder_data() { addTableRows(u"gui/mainwindow/tab-chains.txt"_s); }

    void tabOrder()
    {
        QFETCH(QStringList, row);
        QWidget* first = child<QWidget>(qPrintable(row[0]));
        first->setFocus();
        QStringList chain;
        do {
            chain << focusName() + u'/' + QString::number(tabs()->currentIndex());
            press(row[1]);
        } while (chain.size() < 12 && QApplication::focusWidget() != first &&
                 QApplication::focusWidget() != child<QWidget>("SSDBGrid3"));
        QCOMPARE(chain.join(u' '), row[2]);
        auto* finalQuote = child<QLineEdit>("TxtFinalQuote");
        QTest::mouseClick(finalQuote, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), finalQuote);
    }

    // Each access key reaches its control from either tab and brings its tab forward (a
    // key two captions shared would reach neither); the rate's text is selected when
    // reached, so a new rate replaces the old one.
    void accessKeys_data() { addTableRows(u"gui/mainwindow/access-keys.txt"_s); }

    void accessKeys()
    {
        QFETCH(QStringList, row);
        add(QStringLiteral("KBOS"));
        selectRoute(1);
        child<QWidget>(qPrintable(row[0]))->setFocus();
        press(row[1]);
        QCOMPARE(QString::number(tabs()->currentIndex()), row[2]);
        QCOMPARE(routeIds().join(u' '), row[3]);
        QCOMPARE(field("TxtChargePerMile"), row[4]);
    }

    // The lists: Home and End fill the find box, an airport found on the bottom row moves
    // up by half the rows shown, the right button selects the row under it and Shift+F10
    // opens the pop-up menus as well, and names show whole.
    void listsByKeysAndMouse()
    {
        auto* list = child<QTableView>("SSDBGrid1");
        const auto selectedRow = [list] {
            return list->selectionModel()->selectedRows().value(0, QModelIndex()).row();
        };
        list->setFocus();
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(QString::number(selectedRow()) + u' ' + find()->text(), QStringLiteral("27 YSSY"));
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(QString::number(selectedRow()) + u' ' + find()->text(), QStringLiteral("0 CYYZ"));

        const int visible =
            list->viewport()->height() / list->verticalHeader()->defaultSectionSize();
        list->setCurrentIndex(m_window->airportList()->index(visible - 1, 0));
        m_window->BringAirportIntoView();
        QCOMPARE(list->verticalScrollBar()->value(), visible / 2);
        QCOMPARE(selectedRow(), visible - 1);

        list->scrollToTop();
        list->clearSelection();
        const QPoint row3 = list->visualRect(m_window->airportList()->index(3, 1)).center();
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, row3);
        QCOMPARE(selectedRow(), 3);
        QVERIFY(selectEnabled());
        QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, row3);
        QTRY_VERIFY(child<QMenu>("AirportPopup")->isVisible());
        child<QMenu>("AirportPopup")->close();
        child<QWidget>("SSDBGrid2")->setFocus(); // the Menu key is the airport commands' test
        QTest::keyClick(child<QWidget>("SSDBGrid2"), Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(child<QMenu>("RoutePopup")->isVisible());
        child<QMenu>("RoutePopup")->close();
        m_window->resize(1280, 800);
        QTRY_COMPARE(m_window->width(), 1280);
        int longest = 0;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            longest = qMax(longest, list->fontMetrics().horizontalAdvance(
                                        list->model()->index(row, 1).data().toString()));
        QVERIFY(list->columnWidth(AirportListModel::ColumnName) > longest + 8);
        // The columns sized without reading the rows fit every cell the list shows.
        for (int column : {AirportListModel::ColumnId, AirportListModel::ColumnState,
                           AirportListModel::ColumnCountry, AirportListModel::ColumnRunwayLength}) {
            const int width = list->columnWidth(column);
            list->resizeColumnToContents(column);
            QVERIFY2(list->columnWidth(column) <= width, qPrintable(QString::number(column)));
        }
    }

    // Where Select puts an airport and when it refuses one is the core's rule; the window
    // asks Before or After, shows each refusal, and Delete on the route takes a stop out.
    void buildingARoute()
    {
        add(QStringLiteral("KBOS"));
        add(QStringLiteral("EGLL"));
        QVERIFY(child<QPushButton>("CmdSegTax")->isEnabled());
        selectRoute(0);
        onNextModal([](QWidget* box) {
            box->findChild<QPushButton*>(QStringLiteral("CmdBefore"))->click();
        });
        add(QStringLiteral("KJFK"));
        QCOMPARE(routeIds(), (QStringList{"KJFK", "KTEB", "KBOS", "EGLL"}));
        QCOMPARE(prompter().beeps(), 1);
        selectRoute(1); // each refusal's text is the core's row; one is shown here
        prompter().setNextAnswer(Button::Ok);
        add(QStringLiteral("KBOS"));
        expectMessage(Icon::Exclamation, QStringLiteral("Select Airport"),
                      QStringLiteral("Selected Airport is the same as Next Airport in Quote."),
                      Button::Ok);
        QCOMPARE(find()->text(), QString());
        QCOMPARE(routeIds(), (QStringList{"KJFK", "KTEB", "KBOS", "EGLL"}));
        selectRoute(2);
        QTest::keyClick(child<QTableView>("SSDBGrid2"), Qt::Key_Delete);
        QCOMPARE(routeIds(), (QStringList{"KJFK", "KTEB", "EGLL"}));
        QCOMPARE(field("TxtTotalNM"), m_window->route()->totalNMText());
    }

    // Ctrl+L in the route list and the menu's "Positioning Leg" mark the selected stop's
    // leg (the first stop ends none); the segment tax proposes the passenger legs only.
    void positioningLegs()
    {
        add(QStringLiteral("KBOS"));
        add(QStringLiteral("KJFK"));
        auto* list = child<QTableView>("SSDBGrid2");
        list->setFocus();
        for (const int row : {0, 1}) {
            selectRoute(row);
            press(QStringLiteral("^l"));
        }
        QCOMPARE(prompter().beeps(), 1);
        QCOMPARE(m_window->route()->positioningLegs(), QList<int>{1});
        for (const int row : {2, 1}) {
            selectRoute(row);
            list->setFocus();
            key(Qt::Key_Menu);
            QTRY_VERIFY(child<QMenu>("RoutePopup")->isVisible());
            QCOMPARE(child<QAction>("mnuRoutePopupPositioning")->isChecked(), row == 1);
            press(QStringLiteral("p"));
            QTRY_VERIFY(!child<QMenu>("RoutePopup")->isVisible());
        }
        QCOMPARE(m_window->route()->positioningLegs(), QList<int>{2});
        press(QStringLiteral("%u"));
        QString segments;
        onNextModal([&segments](QWidget* window) {
            segments = ::child<QLineEdit>(*window, "TxtNoSegments")->text();
            QTest::keyClick(window, Qt::Key_Escape);
        });
        QTest::mouseClick(child<QPushButton>("CmdSegTax"), Qt::LeftButton);
        QCOMPARE(segments, u"1"_s);
    }

    // Whether a short runway is asked about, and what each answer does, is the core's
    // rule; the window shows the question with No as its default and acts on the answer.
    void shortRunwayAsksWithNoAsDefault()
    {
        appSettings().MINRUNWAYLENGTH = 5000;
        prompter().setNextAnswer(Button::Yes);
        add(QStringLiteral("EGLC"));
        expectMessage(Icon::Exclamation, QStringLiteral("Select Airport"),
                      QStringLiteral("The Runway Length at 'EGLC'    'LONDON CITY AIRPORT'\r\r"
                                     "of 4948 ft is shorter than the current Minimum Runway "
                                     "Length of 5000 ft.\r\rDo you want to insert the "
                                     "airport in the route anyway?"),
                      Button::No);
        QCOMPARE(routeIds().size(), 2);
        QCOMPARE(find()->text(), QString());
    }

    void newQuote()
    {
        add(QStringLiteral("KBOS"));
        typeIntoCell(0, ChargesModel::ColumnAmount, QStringLiteral("150"), true);
        prompter().setNextAnswer(Button::No);
        child<QAction>("mnunew")->trigger();
        expectMessage(Icon::Question, QStringLiteral("Brisklander"),
                      QStringLiteral("Erase Current Quote ? "), Button::No);
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KBOS"}));

        // Chosen on the "Q&uote" tab, where a quote ends, it opens the next one on the
        // "R&outing" tab. The question box holds the activation while New Quote runs:
        // the focus goes where New Quote put it when the window is active again.
        struct BoxPrompter final : Platform::Prompter
        {
            std::shared_ptr<ScriptedPrompter> answers;
            Button ask(const Platform::Message& message) override
            {
                QDialog box;
                box.show();
                if (!QTest::qWaitForWindowActive(&box))
                    qWarning("the question box did not become active");
                return answers->ask(message);
            }
            void beep() override {}
            QString askPassword(const QString&, const QString&) override { return {}; }
        };
        auto* rate = child<QLineEdit>("TxtChargePerMile");
        rate->setFocus();
        press(QStringLiteral("9"));
        auto box = std::make_shared<BoxPrompter>();
        box->answers = m_folder->services().prompter;
        box->answers->setNextAnswer(Button::Yes);
        Platform::services().prompter = box;
        press(QStringLiteral("%qn"));
        Platform::services().prompter = box->answers;
        backToWindow();
        QCOMPARE(routeIds(), QStringList{QStringLiteral("KTEB")});
        QCOMPARE(field("TxtTotalNM") + u' ' + field("TxtTotAddCharges"), u"0.0 0.00"_s);
        QVERIFY(m_window->charges()->line(0).Amount.isEmpty());
        QVERIFY(!child<QPushButton>("CmdSegTax")->isEnabled());
        press(QStringLiteral("kbos"));
        QCOMPARE(find()->text(), QStringLiteral("KBOS"));
        QCOMPARE(tabs()->currentIndex(), 0);
        QCOMPARE(rate->text(), QStringLiteral("8.50"));
    }

    // Delete in an empty find box takes out the selected stop; Ctrl+Z puts the last route
    // change back with its price and selection, a new quote's only after asking.
    void deleteFromTheFindBoxAndUndo()
    {
        add(QStringLiteral("KBOS"));
        add(QStringLiteral("KJFK"));
        const QString finalQuote = field("TxtFinalQuote");
        selectRoute(1);
        press(QStringLiteral("\x7f"));
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KJFK"}));
        QVERIFY(field("TxtFinalQuote") != finalQuote);
        press(QStringLiteral("^z"));
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KBOS", "KJFK"}));
        QCOMPARE(field("TxtFinalQuote"), finalQuote);
        QCOMPARE(child<QTableView>("SSDBGrid2")->selectionModel()->selectedRows().value(0).row(),
                 1);
        press(QStringLiteral("^z^z")); // the insertions of KJFK and KBOS
        QCOMPARE(routeIds(), QStringList{"KTEB"});
        QVERIFY(!child<QPushButton>("CmdSegTax")->isEnabled());
        QVERIFY(!child<QAction>("mnuUndo")->isEnabled());

        add(QStringLiteral("KBOS"));
        prompter().setNextAnswer(Button::Yes);
        child<QAction>("mnunew")->trigger();
        for (const Button answer : {Button::No, Button::Yes}) {
            prompter().setNextAnswer(answer);
            press(QStringLiteral("^z"));
            expectMessage(Icon::Question, QStringLiteral("Brisklander"),
                          QStringLiteral("Restore the Route of the Erased Quote ? "), Button::No);
            QCOMPARE(routeIds().size(), answer == Button::Yes ? 2 : 1);
        }
        QVERIFY(child<QPushButton>("CmdSegTax")->isEnabled());
    }

    // The map beside the route list follows the route and its selection, zooms and moves
    // with its keys until Home fits the route again, and Ctrl+M hides and shows it.
    void routeMapFollowsTheRoute()
    {
        auto* map = child<RouteMapView>("RouteMap");
        QVERIFY(map->isVisible() && m_window->mapShown());
        add(QStringLiteral("KBOS"));
        add(QStringLiteral("EGLL"));
        QStringList stops;
        for (const RouteMap::Stop& stop : map->route().stops())
            stops << stop.id;
        QCOMPARE(stops, routeIds());
        QCOMPARE(map->route().legs().size(), 2);
        selectRoute(1);
        QCOMPARE(map->highlighted(), 1);

        const MapView fitted = map->view();
        QVERIFY(fitted.frame().contains(fitted.toFrame(map->route().stops().last().at)));
        QTest::mouseClick(map, Qt::LeftButton);
        QCOMPARE(focusName(), QStringLiteral("RouteMap"));
        press(QStringLiteral("++"));
        QCOMPARE(map->view().scale(), fitted.scale() * 1.5 * 1.5);
        key(Qt::Key_Left);
        QVERIFY(map->view().centre().x() < fitted.centre().x());
        key(Qt::Key_Home);
        QCOMPARE(map->view(), fitted);

        key(Qt::Key_M, Qt::ControlModifier);
        QVERIFY(!map->isVisible() && !m_window->mapShown());
        selectRoute(2);
        add(QStringLiteral("KJFK")); // drawn when shown again
        key(Qt::Key_M, Qt::ControlModifier);
        QVERIFY(map->isVisible() && m_window->mapShown());
        QCOMPARE(routeIds().size(), 4);
        QCOMPARE(map->route().stops().size(), 4);
    }

    // A key that moves the list far paints it once, with the found airport in view, and
    // neither the map beside it nor the frames around the list and the find box.
    void aKeyPaintsTheListOnce()
    {
        struct PaintCounter : QObject
        {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } counter, mapCounter, frameCounter, findFrameCounter;
        auto* list = child<QTableView>("SSDBGrid1");
        auto* map = child<RouteMapView>("RouteMap");
        auto* frame = child<QGroupBox>("Frame1");
        auto* findFrame = child<QGroupBox>("Frame3");
        m_window->resize(m_window->width(), 480); // fewer rows shown than the list holds
        find()->setFocus();
        QCoreApplication::processEvents();
        list->viewport()->installEventFilter(&counter);
        map->installEventFilter(&mapCounter);
        frame->installEventFilter(&frameCounter);
        press(QStringLiteral("y"));
        QCoreApplication::processEvents();
        list->viewport()->removeEventFilter(&counter);
        map->removeEventFilter(&mapCounter);
        frame->removeEventFilter(&frameCounter);
        QCOMPARE(mapCounter.paints, 0);
        QCOMPARE(frameCounter.paints, 0);
        QCOMPARE(find()->text(), QStringLiteral("YSSY"));
        QCOMPARE(counter.paints, 1);
        QVERIFY(list->rowAt(0) > 0);
        const QModelIndex found = list->currentIndex();
        QVERIFY(list->viewport()->rect().contains(list->visualRect(found)));
        QCOMPARE(found.data().toString(), QStringLiteral("YSSY"));
        // The next key repaints the find box alone, not the frame around it.
        findFrame->installEventFilter(&findFrameCounter);
        press(QStringLiteral("s"));
        QCoreApplication::processEvents();
        findFrame->removeEventFilter(&findFrameCounter);
        QCOMPARE(findFrameCounter.paints, 0);
    }

    // The list held in memory finds every prefix where the database finds it, in both
    // orders and whatever the letters' case; what only the database answers (the
    // wildcards, letters beyond ASCII) is left to it.
    void listInMemoryFindsAsTheDatabase()
    {
        const QString letters = u"akqz09 -'."_s;
        QStringList prefixes{u"K"_s, u"kA"_s, u"Ka"_s, u"SAN "_s, u"zzzz"_s};
        for (const QChar first : letters)
            for (const QChar second : letters + u"AKz"_s)
                prefixes << QString(first) << QString(first) + second;
        for (const SortOrder order : {SortOrder::Id, SortOrder::Name}) {
            DataView view;
            view.setDatabaseName(appContext().DatabasePath);
            view.setAirportList(order);
            AirportListModel model(&view);
            view.Refresh();
            model.holdAllRows();
            QTRY_VERIFY(model.holdsAllRows());
            auto set = ListAirports(*view.database(), order);
            const bool byName = order == SortOrder::Name;
            const auto column = byName ? AirportListModel::ColumnName : AirportListModel::ColumnId;
            for (const QString& prefix : prefixes) {
                const std::optional<int> held = model.findPrefix(column, prefix);
                QVERIFY2(held, qPrintable(prefix));
                const bool found = FindAirportByPrefix(*set, byName ? u"NAME"_s : u"ID"_s, prefix);
                QCOMPARE(*held, found ? set->absolutePosition() : -1);
            }
            for (const QString& prefix : {u"k*"_s, u"?b"_s, u"S\u00c3O"_s})
                QVERIFY(!model.findPrefix(column, prefix));
        }
    }

    // A find the database refuses says so, and the box keeps what was typed.
    void aFindTheDatabaseRefusesKeepsTheTyping()
    {
        const auto rename = [this](const char* from, const char* to) {
            sqlite3* other = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(m_folder->databasePath()).constData(), &other),
                     SQLITE_OK);
            const QByteArray sql = QByteArray("ALTER TABLE ") + from + " RENAME TO " + to;
            QCOMPARE(sqlite3_exec(other, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(other);
        };
        QTRY_VERIFY(qobject_cast<AirportListModel*>(child<QTableView>("SSDBGrid1")->model())
                        ->holdsAllRows());
        find()->setFocus();
        rename("Airports", "Gone");
        prompter().setNextAnswer(Button::Ok);
        // A letter beyond ASCII is found by the database even when the list is in memory.
        QTest::sendKeyEvent(QTest::Click, find(), Qt::Key_Adiaeresis, u"\u00e4"_s, Qt::NoModifier);
        rename("Gone", "Airports");
        QCOMPARE(prompter().messages().size(), 1);
        const QString text = prompter().messages().last().text;
        expectMessage(Icon::Critical, u"Brisklander"_s, text, Button::Ok);
        QVERIFY2(text.contains(QStringLiteral("no such table")), qPrintable(text));
        QCOMPARE(find()->text(), u"\u00c4"_s);
        QCOMPARE(find()->cursorPosition(), 1);
    }

    // Keys typed before the last command has run act in the order they were typed.
    void typingAheadKeepsTheRoute()
    {
        typeAhead(QStringLiteral("kbos%skjfk%skmia%s"));
        const QStringList route{"KTEB", "KBOS", "KJFK", "KMIA"};
        QTRY_COMPARE(routeIds(), route);
        QTest::qWait(300); // nothing is left to arrive late
        QCOMPARE(routeIds(), route);
        QCOMPARE(find()->text(), QString());
    }

    // The window paints before it builds the tab behind; a key typed before then finds
    // that tab's controls in place: the rate's access key at once reaches its field.
    void keysBeforeTheTabBehindIsBuilt()
    {
        m_window.reset();
        m_window = std::make_unique<Brisklander>();
        QVERIFY(!m_window->findChild<QWidget*>(u"TxtChargePerMile"_s));
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        press(u"%c5"_s);
        QCOMPARE(tabs()->currentIndex(), 1);
        QCOMPARE(field("TxtChargePerMile"), u"5"_s);
    }

    // Every figure drawn in dark blue or dark red still reads on its own field after a
    // switch to a dark theme while the program runs; short runways carry a sign besides
    // their colour, and a runway of exactly the minimum none.
    void figuresReadInADarkTheme()
    {
        auto* style = new CellRecorder; // the charges grid's cells as they are drawn
        style->setParent(m_window.get());
        auto* grid = child<QTableView>("SSDBGrid3");
        grid->setStyle(style);
        appSettings().MINBASECHARGE = 1500; // KBOS from KTEB is priced at the minimum
        appSettings().MINRUNWAYLENGTH = 6997;
        m_window->applyMinimumBaseCharge();
        m_window->airportList()->restyle();
        add(QStringLiteral("KBOS"));
        m_window->charges()->pickCharge(0, QStringLiteral("Refund"), -5000);
        m_window->charges()->pickCharge(1, QStringLiteral("Catering"), 120);
        tabs()->setCurrentIndex(1);
        const AirportListModel* list = m_window->airportList();
        const auto cellOf = [list](const char* id, int column) {
            const QModelIndexList found =
                list->match(list->index(0, 0), Qt::DisplayRole, QString::fromLatin1(id));
            return found.value(0).siblingAtColumn(column);
        };
        QCOMPARE(cellOf("KTEB", 1).data(Qt::ForegroundRole), QVariant());
        const QModelIndex length = cellOf("EGLC", AirportListModel::ColumnRunwayLength);
        // The sign is drawn at the size asked for: its middle covered, its corners clear.
        const QImage sign =
            length.data(Qt::DecorationRole).value<QIcon>().pixmap(QSize(16, 16), 1.0).toImage();
        QCOMPARE(sign.size(), QSize(16, 16));
        QCOMPARE(qAlpha(sign.pixel(8, 10)), 255);
        QCOMPARE(qAlpha(sign.pixel(0, 0)), 0);
        QVERIFY(!length.data(Qt::AccessibleDescriptionRole).toString().isEmpty());

        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        QTRY_COMPARE(m_window->palette().color(QPalette::Window), QColor(53, 53, 53));
        QStringList unreadable;
        const auto check = [&](const QString& what, const QColor& text, const QColor& background) {
            if (!readsOn(text, background))
                unreadable << what;
        };
        const QPalette window = m_window->palette();
        for (const char* name : {"TxtFinalQuote", "TxtTotAddCharges", "TxtTotalCharges"}) {
            const QPalette field = child<QLineEdit>(name)->palette();
            check(QLatin1String(name), field.color(QPalette::Text), field.color(QPalette::Base));
        }
        for (const QLabel* caption : m_window->findChildren<QLabel*>())
            if (caption->text() == u"Final Quote:" || caption->text().startsWith(u"Minimum"))
                check(caption->text(), caption->palette().color(QPalette::WindowText),
                      window.color(QPalette::Window));
        check(QStringLiteral("short runway"),
              cellOf("EGLC", 1).data(Qt::ForegroundRole).value<QColor>(),
              child<QTableView>("SSDBGrid1")->palette().color(QPalette::Base));
        check(QStringLiteral("catalogue amount"),
              m_window->chargeCatalog()->index(0, 1).data(Qt::ForegroundRole).value<QColor>(),
              window.color(QPalette::Base));
        style->cells.clear();
        grid->selectRow(1);
        grid->viewport()->repaint();
        int amounts = 0;
        for (const CellRecorder::Cell& cell : std::as_const(style->cells))
            if (cell.index.column() == ChargesModel::ColumnAmount && cell.index.row() <= 1) {
                ++amounts;
                check(QStringLiteral("amount %1").arg(cell.index.row()), cell.text,
                      cell.background);
            }
        QApplication::setPalette(light);
        QCOMPARE(amounts, 2);
        QCOMPARE(unreadable.join(u", "), QString());
    }

    // The Quote menu's Back Up Database (Alt+Q, B) offers the folder's Backups subfolder,
    // writes the copy there with the busy pointer and says so, or says what failed;
    // Restore Database (Alt+Q, T) refuses a file that is no whole database before the
    // program closes for it.
    void backupAndRestoreFromTheQuoteMenu()
    {
        ScriptedFileChooser& files = *m_folder->services().fileChooser;
        const QString copy = m_folder->filePath(u"copy.mdb"_s);
        files.setAnswer(Platform::SaveFileAnswer{copy, QString()});
        prompter().setNextAnswer(Button::Ok);
        m_folder->services().pointer->clear();
        press(u"%qb"_s);
        QCOMPARE(files.requests().last().title, u"Back Up Database"_s);
        QCOMPARE(files.requests().last().initialName,
                 m_folder->filePath(u"Backups/Brisklander-2026-12-06.mdb"_s));
        expectMessage(Icon::Information, u"Back Up Database"_s,
                      u"The database was backed up to '%1'."_s.arg(copy), Button::Ok);
        QVERIFY(m_folder->services().pointer->history().contains(u"busy"_s));
        QCOMPARE(dumpDatabase(copy), dumpDatabase(m_folder->databasePath()));

        const QString nowhere = m_folder->filePath(u"nowhere/copy.mdb"_s);
        files.setAnswer(Platform::SaveFileAnswer{nowhere, QString()});
        prompter().setNextAnswer(Button::Ok);
        press(u"%qb"_s);
        expectMessage(Icon::Critical, u"Back Up Database"_s,
                      u"The database could not be backed up to '%1':\r\rThe folder '%2' to write "
                      "the backup in does not exist.\r\rNo backup was made; a file already there "
                      "was left as it was."_s.arg(nowhere, m_folder->filePath(u"nowhere"_s)),
                      Button::Ok);

        QFile cut(copy);
        QVERIFY(cut.resize(cut.size() / 2));
        files.setAnswer(Platform::SaveFileAnswer{copy, QString()});
        prompter().setNextAnswer(Button::Ok);
        press(u"%qt"_s);
        QCOMPARE(files.requests().last().title, u"Restore Database"_s);
        expectMessage(
            Icon::Critical, u"Restore Database"_s,
            u"'%1' cannot be restored:\r\r'%1' is not a whole database: it is damaged, "
            "cut short or no database at all.\r\rThe database was left as it was."_s.arg(copy),
            Button::Ok);
        QVERIFY(!m_folder->services().process->ended());
        QVERIFY(!m_folder->services().pointer->isBusy());
    }
};

QTEST_MAIN(TestBrisklander)
#include "tst_brisklander.moc"
