#include "core/quote/chargesmodel.h"
#include "core/quote/quotesheet.h"
#include "core/quote/routemodel.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/airportlistmodel.h"
#include "gui/mainwindow/catalogmodel.h"
#include "support/mainwindowfixture.h"
#include "support/themes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

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
        const Platform::Message& message = prompter().messages().last();
        QCOMPARE(message.title, u"Brisklander"_s);
        QCOMPARE(message.icon, Icon::Critical);
        QCOMPARE(message.defaultButton, Button::Ok);
        const QString text = message.text;
        QVERIFY2(text.startsWith(QStringLiteral("An Error Occurred: \r\rError number = 3024\r")),
                 qPrintable(text));
        QVERIFY(text.endsWith(QStringLiteral("\r\rBrisklander Load event\r\rSection = 2")));
        QVERIFY(m_window->isVisible());
        QVERIFY(!QFile::exists(appContext().DatabasePath));
    }

    // The find box takes keys through its typing rules (whose cases the core tests hold):
    // a completion proposed, Alt keys typing nothing, a paste filtered, Delete taking
    // back the proposal, Enter selecting.
    void findBoxTyping_data()
    {
        QTest::addColumn<bool>("names");
        QTest::addColumn<QString>("clipboard"); // pasted after the keys with Ctrl+V
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<bool>("select");

        QTest::newRow("completion") << false << u""_s << u"k"_s << u"KASE"_s << 1 << true;
        QTest::newRow("Alt keys type nothing")
            << false << u""_s << u"ktx%s%'%[%,"_s << u"KTX"_s << 3 << false;
        QTest::newRow("Backspace to empty")
            << false << u""_s << u"ktx\b\b\b"_s << u""_s << 0 << false;
        QTest::newRow("Delete takes back the proposal")
            << false << u""_s << u"km\x7f"_s << u"KM"_s << 2 << false;
        QTest::newRow("a paste filtered")
            << false << u"k'b,o[s"_s << u""_s << u"KBOS"_s << 4 << true;
        QTest::newRow("names") << true << u""_s << u"london c"_s << u"LONDON CITY AIRPORT"_s << 8
                               << true;
    }

    void findBoxTyping()
    {
        QFETCH(bool, names);
        QFETCH(QString, clipboard);
        if (names)
            QTest::mouseClick(child<QLabel>("LblSearch"), Qt::LeftButton);
        QFETCH(QString, keys);
        press(keys);
        if (!clipboard.isEmpty()) {
            QGuiApplication::clipboard()->setText(clipboard);
            press(QStringLiteral("^v"));
        }
        QTEST(find()->text(), "text");
        QTEST(find()->cursorPosition(), "cursor");
        QTEST(selectEnabled(), "select");
        if (find()->text().isEmpty())
            QVERIFY(child<QTableView>("SSDBGrid1")->selectionModel()->selectedRows().isEmpty());
        const bool select = selectEnabled();
        press(QStringLiteral("\r")); // Enter is Select
        QCOMPARE(routeIds().size(), select ? 2 : 1);
    }

    // Switching the mode reads the list from the top; a box of up to four characters
    // searches again by identifier, a longer name leaves it empty.
    void searchModes()
    {
        auto* list = child<QTableView>("SSDBGrid1");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_End);
        QVERIFY(list->verticalScrollBar()->value() > 0);
        press(QStringLiteral("eg"));
        QTest::mouseClick(child<QLabel>("LblSearch"), Qt::LeftButton);
        QCOMPARE(child<QLabel>("LblSearch")->text(),
                 QStringLiteral(" Airport Search: Airport Name "));
        QCOMPARE(find()->text(), QString());
        QCOMPARE(appSettings().SORTORDER, SortOrder::Name);
        QCOMPARE(list->verticalScrollBar()->value(), 0);
        find()->setText(QStringLiteral("EGL"));
        child<QAction>("mnusearchID")->trigger();
        QCOMPARE(find()->text(), QStringLiteral("EGLC"));
        QVERIFY(!child<QAction>("mnusearchName")->isChecked());
        child<QAction>("mnusearchName")->trigger();
        find()->setFocus();
        press(QStringLiteral("london c"));
        list->scrollToBottom();
        child<QAction>("mnusearchID")->trigger();
        QCOMPARE(find()->text(), QString());
        QVERIFY(list->selectionModel()->selectedRows().isEmpty());
        QCOMPARE(list->verticalScrollBar()->value(), 0);
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
        QVERIFY2(
            darkest(false) > darkest(true) + 60,
            qPrintable(QString::number(darkest(false)) + " " + QString::number(darkest(true))));
        press(QStringLiteral("ase")); // typed in full: nothing is proposed
        QVERIFY(darkest(true) < 100);
    }

    // Tab walks the enabled controls of a tab, never the read-only figures (which still
    // take the mouse), and brings the tab of the focus forward. A chain ends back at its
    // start or at the charges grid, whose own order of cells is the grid's test.
    void tabOrder_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("chain"); // focus/tab, "*": all of its text selected

        const QString routing =
            QStringLiteral("TxtFind/0 CmdDelete/0 qt_tabwidget_tabbar/0 SSDBGrid1/0 SSDBGrid2/0");
        QTest::newRow("Routing, Tab") << u"TxtFind"_s << u"\t"_s << routing;
        QTest::newRow("Routing, Shift+Tab")
            << u"TxtFind"_s << u"\x0b"_s
            << u"TxtFind/0 SSDBGrid2/0 SSDBGrid1/0 qt_tabwidget_tabbar/0 CmdDelete/0"_s;
        QTest::newRow("Quote, Tab")
            << u"TxtChargePerMile"_s << u"\t"_s << u"TxtChargePerMile*/1 SSDBCBTaxBaseCharge/1"_s;
        QTest::newRow("Quote, Shift+Tab")
            << u"TxtChargePerMile"_s << u"\x0b"_s
            << u"TxtChargePerMile*/1 qt_tabwidget_tabbar/1 CmdQuoteMem/1"_s;
    }

    void tabOrder()
    {
        QFETCH(QString, start);
        QFETCH(QString, key);
        QWidget* first = child<QWidget>(qPrintable(start));
        first->setFocus();
        QStringList chain;
        do {
            chain << focusName() + u'/' + QString::number(tabs()->currentIndex());
            press(key);
        } while (chain.size() < 12 && QApplication::focusWidget() != first &&
                 QApplication::focusWidget() != child<QWidget>("SSDBGrid3"));
        QTEST(chain.join(u' '), "chain");
        auto* finalQuote = child<QLineEdit>("TxtFinalQuote");
        QTest::mouseClick(finalQuote, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), finalQuote);
    }

    // Each access key reaches its control from either tab and brings its tab forward;
    // the rate's text is selected when reached, so a new rate replaces the old one.
    void accessKeys_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("focus"); // empty: not checked
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("route");
        QTest::addColumn<QString>("rate");

        const QStringList both{"KTEB", "KBOS"};
        QTest::newRow("Q&uote") << u"TxtFind"_s << u"%u"_s << u""_s << 1 << both << u"8.50"_s;
        QTest::newRow("&Remove, from the other tab")
            << u"TxtChargePerMile"_s << u"%r"_s << u""_s << 0 << QStringList{"KTEB"} << u"8.50"_s;
        QTest::newRow("&Charge p/m")
            << u"TxtFind"_s << u"%c"_s << u"TxtChargePerMile*"_s << 1 << both << u"8.50"_s;
        QTest::newRow("&Charge p/m, from inside it")
            << u"TxtChargePerMile"_s << u"9.35%c7"_s << u"TxtChargePerMile"_s << 1 << both
            << u"7"_s;
        QTest::newRow("Shift+Tab and Tab back: typed over")
            << u"TxtChargePerMile"_s << u"9\x0b\t6"_s << u"TxtChargePerMile"_s << 1 << both
            << u"6"_s;
        QTest::newRow("&M, the quote memory")
            << u"TxtFind"_s << u"%m"_s << u""_s << 1 << both << u"8.50"_s;
    }

    void accessKeys()
    {
        QFETCH(QString, from);
        QFETCH(QString, keys);
        QFETCH(QString, focus);
        QFETCH(int, tab);
        add(QStringLiteral("KBOS"));
        selectRoute(1);
        child<QWidget>(qPrintable(from))->setFocus();
        int tabWithTheMemory = -1;
        if (keys == u"%m")
            onNextModal([&](QWidget* memory) {
                tabWithTheMemory = tabs()->currentIndex();
                qobject_cast<QDialog*>(memory)->reject();
            });
        press(keys);
        if (keys == u"%m")
            QCOMPARE(tabWithTheMemory, tab);
        if (!focus.isEmpty())
            QCOMPARE(focusName(), focus);
        QCOMPARE(tabs()->currentIndex(), tab);
        QTEST(routeIds(), "route");
        QTEST(field("TxtChargePerMile"), "rate");

        // No other caption of the window takes the same key.
        QStringList captions;
        for (const QWidget* widget : m_window->findChildren<QWidget*>())
            if (widget->inherits("QLabel") || widget->inherits("QAbstractButton"))
                captions << widget->property("text").toString();
        for (int index = 0; index < tabs()->count(); ++index)
            captions << tabs()->tabText(index);
        for (const QAction* menu : m_window->menuBar()->actions())
            captions << menu->text();
        const qsizetype alt = keys.indexOf(u'%');
        const QKeySequence key = QKeySequence::mnemonic(u'&' + keys.mid(alt + 1, 1));
        QCOMPARE(
            std::count_if(captions.cbegin(), captions.cend(),
                          [&](const QString& text) { return QKeySequence::mnemonic(text) == key; }),
            alt >= 0 ? 1 : 0);
    }

    // The lists: Home and End fill the find box, an airport found on the bottom row moves
    // up by half the rows shown, the right button selects the row under it, the Menu key
    // and Shift+F10 open the pop-up menus, names show whole and figures stand right.
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
        for (const auto& [view, key, menu] : {std::tuple("SSDBGrid1", Qt::Key_Menu, "AirportPopup"),
                                              std::tuple("SSDBGrid2", Qt::Key_F10, "RoutePopup")}) {
            child<QWidget>(view)->setFocus();
            QTest::keyClick(child<QWidget>(view), key,
                            key == Qt::Key_F10 ? Qt::ShiftModifier : Qt::NoModifier);
            QTRY_VERIFY(child<QMenu>(menu)->isVisible());
            child<QMenu>(menu)->close();
        }

        QCOMPARE(child<QMenu>("RoutePopup")->defaultAction()->objectName(),
                 QStringLiteral("mnuRoutePopupDetails"));
        m_window->resize(1280, 800);
        QTRY_COMPARE(m_window->width(), 1280);
        int longest = 0;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            longest = qMax(longest, list->fontMetrics().horizontalAdvance(
                                        list->model()->index(row, 1).data().toString()));
        QVERIFY(list->columnWidth(AirportListModel::ColumnName) > longest + 8);
        QVERIFY(list->columnWidth(AirportListModel::ColumnId) >
                list->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")) + 4);
        add(QStringLiteral("KBOS"));
        const auto rightAligned = [](const QModelIndex& cell) {
            return (cell.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight) != 0;
        };
        QVERIFY(rightAligned(m_window->route()->index(1, RouteModel::ColumnDistanceNM)));
        QVERIFY(rightAligned(m_window->charges()->index(0, ChargesModel::ColumnAmount)));
        QVERIFY(!rightAligned(m_window->charges()->index(0, ChargesModel::ColumnCharge)));
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
            QCOMPARE(box->windowTitle(), QStringLiteral("Insert Airport in Route"));
            box->findChild<QPushButton*>(QStringLiteral("CmdBefore"))->click();
        });
        add(QStringLiteral("KJFK"));
        QCOMPARE(routeIds(), (QStringList{"KJFK", "KTEB", "KBOS", "EGLL"}));
        QCOMPARE(prompter().beeps(), 1);
        for (const char* same : {"Current", "Next"}) {
            selectRoute(1);
            prompter().setNextAnswer(Button::Ok);
            add(QLatin1String(same) == u"Current" ? QStringLiteral("KTEB")
                                                  : QStringLiteral("KBOS"));
            expectMessage(Icon::Exclamation, QStringLiteral("Select Airport"),
                          QStringLiteral("Selected Airport is the same as %1 Airport in Quote.")
                              .arg(QLatin1String(same)),
                          Button::Ok);
            QCOMPARE(find()->text(), QString());
        }
        QCOMPARE(routeIds(), (QStringList{"KJFK", "KTEB", "KBOS", "EGLL"}));
        selectRoute(2);
        QTest::keyClick(child<QTableView>("SSDBGrid2"), Qt::Key_Delete);
        QCOMPARE(routeIds(), (QStringList{"KJFK", "KTEB", "EGLL"}));
        QCOMPARE(field("TxtTotalNM"), m_window->route()->totalNMText());
        QCOMPARE(field("TxtTotalSM"), m_window->route()->totalSMText());
    }

    void shortRunwayAsksWithNoAsDefault()
    {
        appSettings().MINRUNWAYLENGTH = 5000;
        for (const Button answer : {Button::No, Button::Yes}) {
            prompter().setNextAnswer(answer);
            add(QStringLiteral("EGLC"));
            expectMessage(Icon::Exclamation, QStringLiteral("Select Airport"),
                          QStringLiteral("The Runway Length at 'EGLC'    'LONDON CITY AIRPORT'\r\r"
                                         "of 4948 ft is shorter than the current Minimum Runway "
                                         "Length of 5000 ft.\r\rDo you want to insert the "
                                         "airport in the route anyway?"),
                          Button::No);
            QCOMPARE(routeIds().size(), answer == Button::Yes ? 2 : 1);
            QCOMPARE(find()->text(), QString());
        }
    }

    void newQuote()
    {
        add(QStringLiteral("KBOS"));
        enterIntoCell(0, ChargesModel::ColumnAmount, QStringLiteral("150"));
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
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QCOMPARE(routeIds(), QStringList{QStringLiteral("KTEB")});
        for (const char* name : {"TxtTotalNM", "TxtTotalSM"})
            QCOMPARE(field(name), QStringLiteral("0.0"));
        for (const char* name : {"TxtTotAddCharges", "TxtTotTaxAddCharges"})
            QCOMPARE(field(name), QStringLiteral("0.00"));
        QVERIFY(m_window->charges()->count() >= 8);
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
        QCOMPARE(child<QAction>("mnuUndo")->shortcut(), QKeySequence(QKeySequence::Undo));
        press(QStringLiteral("^z"));
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KBOS", "KJFK"}));
        QCOMPARE(field("TxtTotalNM"), m_window->route()->totalNMText());
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

    // Keys typed before the last command has run act in the order they were typed.
    void typingAheadKeepsTheRoute()
    {
        typeAhead(QStringLiteral("kbos%skjfk%skmia%s"));
        const QStringList route{"KTEB", "KBOS", "KJFK", "KMIA"};
        QTRY_COMPARE(routeIds(), route);
        QTest::qWait(300); // nothing is left to arrive late
        QCOMPARE(routeIds(), route);
        QCOMPARE(find()->text(), QString());
        QCOMPARE(field("TxtTotalNM"), QStringLiteral("1,274.2"));
        QCOMPARE(field("TxtTotalSM"), QStringLiteral("1,466.3"));
    }

    // Every figure drawn in dark blue or dark red reads on its own field, in a light
    // theme (in the documented colours) and after a switch to a dark one while the
    // program runs; short runways carry a sign besides their colour.
    void figuresReadInLightAndDarkThemes()
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
        QCOMPARE(child<QLabel>("lblBaseCharge")->text(), QStringLiteral("Minimum Charge:"));
        QVERIFY(m_window->sheet()->isNegative(QuoteSheet::FinalQuote));
        const AirportListModel* list = m_window->airportList();
        const auto cellOf = [list](const char* id, int column) {
            for (int row = 0; row < list->rowCount(); ++row)
                if (list->index(row, 0).data().toString() == QLatin1String(id))
                    return list->index(row, column);
            return QModelIndex();
        };
        for (const char* id : {"KTEB", "KJFK"}) // KTEB's runway is exactly the minimum
            QCOMPARE(cellOf(id, 1).data(Qt::ForegroundRole), QVariant());

        const QColor darkBlue(0, 0, 128), darkRed(128, 0, 0);
        // Unreadable figures, and in the light theme figures not in their documented colour.
        const auto faults = [&](bool light) {
            QStringList found;
            const auto check = [&](const QString& what, const QColor& text,
                                   const QColor& background, const QColor& documented) {
                if (!readsOn(text, background))
                    found << what + QStringLiteral(" unreadable");
                if (light && documented.isValid() && text != documented)
                    found << what + QStringLiteral(" not in its colour");
            };
            const QPalette window = m_window->palette();
            for (const char* name : {"TxtFinalQuote", "TxtTotAddCharges", "TxtTotalCharges"}) {
                const QPalette field = child<QLineEdit>(name)->palette();
                check(QLatin1String(name), field.color(QPalette::Text), field.color(QPalette::Base),
                      darkRed);
                if (field.color(QPalette::Base) != window.color(QPalette::Window))
                    found << QLatin1String(name) + QStringLiteral(" not on the window's colour");
            }
            for (const QLabel* caption : m_window->findChildren<QLabel*>())
                if (caption->text() == u"Final Quote:" || caption->text().startsWith(u"Minimum"))
                    check(caption->text(), caption->palette().color(QPalette::WindowText),
                          window.color(QPalette::Window), darkBlue);
            const QColor red = cellOf("EGLC", 1).data(Qt::ForegroundRole).value<QColor>();
            const QPalette airports = child<QTableView>("SSDBGrid1")->palette();
            check(QStringLiteral("short runway"), red, airports.color(QPalette::Base), darkRed);
            if (child<QTableView>("SSDBGrid1")->alternatingRowColors())
                check(QStringLiteral("short runway, alternate row"), red,
                      airports.color(QPalette::AlternateBase), QColor());
            const QModelIndex length = cellOf("EGLC", AirportListModel::ColumnRunwayLength);
            if (length.data(Qt::DecorationRole).value<QIcon>().isNull() ||
                length.data(Qt::AccessibleDescriptionRole).toString().isEmpty())
                found << QStringLiteral("short runway marked by colour alone");
            check(QStringLiteral("catalogue amount"),
                  m_window->chargeCatalog()->index(0, 1).data(Qt::ForegroundRole).value<QColor>(),
                  window.color(QPalette::Base), QColor());
            style->cells.clear();
            grid->selectRow(1);
            grid->viewport()->repaint();
            int amounts = 0;
            for (const CellRecorder::Cell& cell : std::as_const(style->cells))
                if (cell.index.column() == ChargesModel::ColumnAmount && cell.index.row() <= 1) {
                    ++amounts;
                    check(QStringLiteral("amount in row %1").arg(cell.index.row() + 1), cell.text,
                          cell.background, cell.index.row() == 0 ? darkRed : QColor());
                }
            if (amounts != 2)
                found << QStringLiteral("%1 amounts drawn").arg(amounts);
            return found.join(u", ");
        };

        QCOMPARE(faults(true), QString());
        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        QTRY_COMPARE(m_window->palette().color(QPalette::Window), QColor(53, 53, 53));
        QCOMPARE(faults(false), QString());
        QApplication::setPalette(light);
        QTRY_COMPARE(m_window->palette().color(QPalette::Window), light.color(QPalette::Window));
        QCOMPARE(faults(true), QString());
    }
};

QTEST_MAIN(TestBrisklander)
#include "tst_brisklander.moc"
