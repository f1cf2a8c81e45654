#include "core/airports/airporttable.h"
#include "core/format.h"
#include "core/quote/chargesmodel.h"
#include "core/quote/quotesheet.h"
#include "core/quote/routemodel.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/airportlistmodel.h"
#include "gui/mainwindow/catalogmodel.h"
#include "gui/mainwindow/dataview.h"
#include "support/mainwindowfixture.h"
#include "support/themes.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

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
    QLineEdit* find() const { return child<QLineEdit>("TxtFind"); }
    void typeInFind(const QString& keys) { QTest::keyClicks(find(), keys); }
    // Queues keys as a fast typist sends them: all of them are waiting before the
    // first is handled, and each goes to the control that has the focus when it
    // arrives. "%s" is Alt+S.
    static void typeAhead(const QString& keys)
    {
        for (qsizetype i = 0; i < keys.size(); ++i) {
            const bool alt = keys.at(i) == u'%';
            const char key = keys.at(alt ? ++i : i).toLatin1();
            QMetaObject::invokeMethod(
                qApp,
                [key, alt] {
                    QTest::keyClick(QApplication::focusWidget(), key,
                                    alt ? Qt::AltModifier : Qt::NoModifier);
                },
                Qt::QueuedConnection);
        }
    }
    void selectRoute(int row) { child<QTableView>("SSDBGrid2")->selectRow(row); }
private slots:
    void loadFillsTheWindow()
    {
        QCOMPARE(QApplication::focusWidget(), find()); // ready for the first identifier
        QCOMPARE(routeIds(), QStringList{QStringLiteral("KTEB")});
        QCOMPARE(child<QLineEdit>("TxtTotalNM")->text(), QStringLiteral("0.0"));
        QCOMPARE(child<QLabel>("LabelMiles")->text(), QStringLiteral("NM"));
        QCOMPARE(child<QLineEdit>("TxtChargePerMile")->text(), QStringLiteral("8.50"));
        QCOMPARE(child<QWidget>("Frame1")->toolTip(),
                 QStringLiteral("28 Total Airports in Database"));
        QVERIFY(child<QPushButton>("CmdDelete")->isEnabled());
        QVERIFY(!child<QPushButton>("CmdSegTax")->isEnabled());
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Brisklander"));
    }

    void loadFailureNamesItsSection()
    {
        m_window.reset();
        appContext().DatabasePath = m_folder->filePath(QStringLiteral("missing.mdb"));
        prompter().setNextAnswer(Button::Ok);
        m_window = m_folder->showMainWindow();
        QVERIFY(m_window);
        const QString text = prompter().messages().last().text;
        QVERIFY2(text.startsWith(QStringLiteral("An Error Occurred: \r\rError number = 3024\r")),
                 qPrintable(text));
        QVERIFY(text.endsWith(QStringLiteral("\r\rBrisklander Load event\r\rSection = 2")));
        QVERIFY(m_window->isVisible());
        QVERIFY(QFile::exists(appContext().DatabasePath) == false);
    }

    void menusAndPopups()
    {
        const auto captions = [](QMenu* menu) {
            QStringList list;
            for (QAction* action : menu->actions())
                list << (action->isSeparator() ? QStringLiteral("-") : action->text());
            return list;
        };
        QCOMPARE(
            captions(child<QMenu>("mnufile")),
            (QStringList{"&New Quote", "&Undo", "&Print Quote", "-", "&Settings", "-", "E&xit"}));
        QCOMPARE(captions(child<QMenu>("mnuAirports")),
                 (QStringList{"&Add Airport", "&Modify Airport", "&Delete Airport", "-",
                              "Airport D&etails", "-", "Airport &Search"}));
        QCOMPARE(captions(child<QMenu>("AirportPopup")),
                 (QStringList{"&Select", "-", "&Add Airport", "&Modify Airport", "&Delete Airport",
                              "-", "Airport D&etails"}));
        QCOMPARE(child<QMenu>("RoutePopup")->defaultAction()->text(),
                 QStringLiteral("Airport D&etails"));
        QVERIFY(child<QAction>("mnusearchID")->isChecked());
        QVERIFY(!child<QAction>("mnusearchName")->isChecked());
        QVERIFY(!child<QAction>("mnuPrint")->isEnabled());
    }

    void finderCompletesAsTheOperatorTypes()
    {
        typeInFind(QStringLiteral("k"));
        QCOMPARE(find()->text(), QStringLiteral("KASE"));
        QCOMPARE(find()->cursorPosition(), 1);
        QVERIFY(child<QPushButton>("CmdSelect")->isEnabled());
        typeInFind(QStringLiteral("a")); // the next character of the completion only moves on
        QCOMPARE(find()->text(), QStringLiteral("KASE"));
        QCOMPARE(find()->cursorPosition(), 2);
        typeInFind(QStringLiteral("'[],  ")); // never typed in identifier mode
        QCOMPARE(find()->text(), QStringLiteral("KASE"));
        QTest::keyClick(find(), Qt::Key_Backspace);
        QTest::keyClick(find(), Qt::Key_Backspace);
        typeInFind(QStringLiteral("kt"));
        QCOMPARE(find()->text(), QStringLiteral("KTEB"));
        QCOMPARE(find()->cursorPosition(), 2);
        typeInFind(QStringLiteral("x"));
        QCOMPARE(find()->text(), QStringLiteral("KTX"));
        QVERIFY(!child<QPushButton>("CmdSelect")->isEnabled());
        find()->setCursorPosition(3);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(find(), Qt::Key_Backspace);
        QCOMPARE(find()->text(), QString());
        QVERIFY(child<QTableView>("SSDBGrid1")->selectionModel()->selectedRows().isEmpty());
        find()->insert(QStringLiteral("*OS")); // the engine's wildcards act as wildcards
        QCOMPARE(find()->text(), QStringLiteral("KBOS"));
    }

    void searchModes()
    {
        typeInFind(QStringLiteral("eg"));
        QTest::mouseClick(child<QLabel>("LblSearch"), Qt::LeftButton);
        QCOMPARE(child<QLabel>("LblSearch")->text(),
                 QStringLiteral(" Airport Search: Airport Name "));
        QCOMPARE(find()->text(), QString()); // switching to names always empties the box
        QCOMPARE(appSettings().SORTORDER, SortOrder::Name);
        typeInFind(QStringLiteral("london c"));
        QCOMPARE(find()->text(), QStringLiteral("LONDON CITY AIRPORT"));
        QCOMPARE(find()->cursorPosition(), 8);
        find()->setText(QStringLiteral("EGL"));
        child<QAction>("mnusearchID")->trigger();
        QCOMPARE(find()->text(), QStringLiteral("EGLC")); // up to four characters search again
        QVERIFY(child<QAction>("mnusearchID")->isChecked());
        QVERIFY(!child<QAction>("mnusearchName")->isChecked());
    }

    // Characters reach the find box only through its typing rules: with Alt held, from
    // the clipboard, or with Enter for Select.
    void findBoxTakesTextOnlyThroughItsRules()
    {
        typeInFind(QStringLiteral("ktx")); // no such airport: Select is disabled
        QVERIFY(!child<QPushButton>("CmdSelect")->isEnabled());
        for (const char key : {'s', '\'', '[', ','})
            QTest::keyClick(find(), key, Qt::AltModifier);
        QCOMPARE(find()->text(), QStringLiteral("KTX"));
        find()->clear();
        QGuiApplication::clipboard()->setText(QStringLiteral("k'b,o[s"));
        QTest::keyClick(find(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(find()->text(), QStringLiteral("KBOS"));
        QTest::keyClick(find(), Qt::Key_Return);
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KBOS"}));
        QCOMPARE(find()->text(), QString());
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
        typeInFind(QStringLiteral("k")); // KASE
        QCOMPARE(find()->text(), QStringLiteral("KASE"));
        QVERIFY2(
            darkest(false) > darkest(true) + 60,
            qPrintable(QString::number(darkest(false)) + " " + QString::number(darkest(true))));
        typeInFind(QStringLiteral("ase")); // typed in full: nothing is proposed
        QVERIFY(darkest(true) < 100);
    }

    // A mode switch reads the list from the top; identifier mode starts from an empty
    // box when the name typed is longer than an identifier.
    void searchModeSwitchStartsAfresh()
    {
        auto* list = child<QTableView>("SSDBGrid1");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_End);
        QVERIFY(list->verticalScrollBar()->value() > 0);
        child<QAction>("mnusearchName")->trigger();
        QCOMPARE(list->verticalScrollBar()->value(), 0);
        typeInFind(QStringLiteral("london c"));
        list->scrollToBottom();
        child<QAction>("mnusearchID")->trigger();
        QCOMPARE(find()->text(), QString());
        QVERIFY(list->selectionModel()->selectedRows().isEmpty());
        QCOMPARE(list->verticalScrollBar()->value(), 0);
    }

    // The access keys of the other tab's controls reach them and bring their tab forward.
    void accessKeysReachTheOtherTab()
    {
        auto* tabs = child<QTabWidget>("SSTab1");
        add(QStringLiteral("KBOS"));
        selectRoute(1);
        QTest::keyClick(m_window.get(), Qt::Key_U, Qt::AltModifier); // "Q&uote"
        QCOMPARE(tabs->currentIndex(), 1);
        QTest::keyClick(m_window.get(), Qt::Key_R, Qt::AltModifier); // "&Remove"
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(routeIds(), QStringList{"KTEB"});
        int tabWithTheMemory = -1;
        QTimer::singleShot(0, this, [&] {
            tabWithTheMemory = tabs->currentIndex();
            auto* memory = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(memory);
            memory->reject();
        });
        QTest::keyClick(m_window.get(), Qt::Key_M, Qt::AltModifier); // "&M", the quote memory
        QCOMPARE(tabWithTheMemory, 1);
    }

    void keyboardReachesWhatTheMouseDoes()
    {
        // The read-only figures are left out of the Tab chain but take the mouse.
        const QStringList figures{"TxtTotalNM",       "TxtTotalSM",          "TxtDistanceCharge",
                                  "TxtBaseCharge",    "TxtTaxAmount",        "TxtTotalBaseCharge",
                                  "TxtTotAddCharges", "TxtTotTaxAddCharges", "TxtTotalCharges",
                                  "TxtTotalTaxes",    "TxtFinalQuote"};
        QStringList reached;
        for (const char* start : {"TxtFind", "TxtChargePerMile"}) {
            child<QWidget>(start)->setFocus();
            for (int i = 0; i < 8 && QApplication::focusWidget() != child<QWidget>("SSDBGrid3");
                 ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                reached << QApplication::focusWidget()->objectName();
            }
        }
        QVERIFY2(reached.contains("SSDBCBTaxBaseCharge"), qPrintable(reached.join(' ')));
        for (const QString& figure : figures)
            QVERIFY2(!reached.contains(figure), qPrintable(reached.join(' ')));
        auto* finalQuote = child<QLineEdit>("TxtFinalQuote");
        QTest::mouseClick(finalQuote, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), finalQuote);

        // The Menu key and Shift+F10 open the lists' pop-up menus at the current row.
        auto* list = child<QTableView>("SSDBGrid1");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Menu);
        QTRY_VERIFY(child<QMenu>("AirportPopup")->isVisible());
        child<QMenu>("AirportPopup")->close();
        auto* route = child<QTableView>("SSDBGrid2");
        route->setFocus();
        QTest::keyClick(route, Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(child<QMenu>("RoutePopup")->isVisible());
        child<QMenu>("RoutePopup")->close();

        // A wide window shows every name whole; figures stand right-aligned.
        m_window->resize(1280, 800);
        QTRY_COMPARE(m_window->width(), 1280);
        int longest = 0;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            longest = qMax(longest, list->fontMetrics().horizontalAdvance(
                                        list->model()->index(row, 1).data().toString()));
        QVERIFY(list->columnWidth(AirportListModel::ColumnName) > longest + 8);
        // Identifiers are measured on a sample of rows; the widest one fits as well.
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

    void shortRunwaysAreDarkRed()
    {
        appSettings().MINRUNWAYLENGTH = 6997;
        const AirportListModel* list = m_window->airportList();
        const auto colourOf = [&](const QString& id) {
            for (int row = 0; row < list->rowCount(); ++row) {
                if (list->index(row, 0).data().toString() == id)
                    return list->index(row, 1).data(Qt::ForegroundRole);
            }
            return QVariant(QStringLiteral("missing"));
        };
        QCOMPARE(colourOf(QStringLiteral("EGLC")), QVariant(QColor(128, 0, 0)));
        QCOMPARE(colourOf(QStringLiteral("KTEB")), QVariant()); // exactly the minimum
        QCOMPARE(colourOf(QStringLiteral("KJFK")), QVariant());
    }

    void buildingARoute()
    {
        add(QStringLiteral("KBOS"));
        add(QStringLiteral("EGLL"));
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KBOS", "EGLL"}));
        QVERIFY(child<QPushButton>("CmdSegTax")->isEnabled());
        const RouteModel* route = m_window->route();
        QCOMPARE(child<QLineEdit>("TxtTotalNM")->text(), route->totalNMText());
        QVERIFY(route->RouteTotalNM() > 2500);

        // Row 0 selected in a longer route: Before or After.
        selectRoute(0);
        QTimer::singleShot(0, this, [this] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(box && box->windowTitle() == QLatin1String("Insert Airport in Route"));
            box->findChild<QPushButton*>(QStringLiteral("CmdBefore"))->click();
        });
        add(QStringLiteral("KJFK"));
        QCOMPARE(routeIds(), (QStringList{"KJFK", "KTEB", "KBOS", "EGLL"}));
        QCOMPARE(prompter().beeps(), 1);

        // The same airport again, and the next airport again.
        selectRoute(1);
        prompter().setNextAnswer(Button::Ok);
        add(QStringLiteral("KTEB"));
        expectMessage(Icon::Exclamation, QStringLiteral("Select Airport"),
                      QStringLiteral("Selected Airport is the same as Current Airport in Quote."),
                      Button::Ok);
        selectRoute(1);
        prompter().setNextAnswer(Button::Ok);
        add(QStringLiteral("KBOS"));
        expectMessage(Icon::Exclamation, QStringLiteral("Select Airport"),
                      QStringLiteral("Selected Airport is the same as Next Airport in Quote."),
                      Button::Ok);
        QCOMPARE(find()->text(), QString());
        QCOMPARE(routeIds(), (QStringList{"KJFK", "KTEB", "KBOS", "EGLL"}));

        // Removing with the keyboard repairs the legs.
        selectRoute(2);
        QTest::keyClick(child<QTableView>("SSDBGrid2"), Qt::Key_Delete);
        QCOMPARE(routeIds(), (QStringList{"KJFK", "KTEB", "EGLL"}));
        QCOMPARE(route->leg(2).DistanceNM,
                 ComputeLeg(route->leg(1).stop.point(), route->leg(2).stop.point()).nmText);
        QCOMPARE(child<QLineEdit>("TxtTotalSM")->text(), route->totalSMText());
    }

    void shortRunwayAsksWithNoAsDefault()
    {
        appSettings().MINRUNWAYLENGTH = 5000;
        prompter().setNextAnswer(Button::No);
        add(QStringLiteral("EGLC"));
        expectMessage(Icon::Exclamation, QStringLiteral("Select Airport"),
                      QStringLiteral("The Runway Length at 'EGLC'    'LONDON CITY AIRPORT'\r\rof "
                                     "4948 ft is shorter than the current Minimum Runway Length "
                                     "of 5000 ft.\r\rDo you want to insert the airport in the "
                                     "route anyway?"),
                      Button::No);
        QCOMPARE(routeIds(), QStringList{QStringLiteral("KTEB")});
        QCOMPARE(find()->text(), QString());
        prompter().setNextAnswer(Button::Yes);
        add(QStringLiteral("EGLC"));
        QCOMPARE(routeIds(), (QStringList{"KTEB", "EGLC"}));
    }

    void newQuote()
    {
        add(QStringLiteral("KBOS"));
        prompter().setNextAnswer(Button::No);
        child<QAction>("mnunew")->trigger();
        expectMessage(Icon::Question, QStringLiteral("Brisklander"),
                      QStringLiteral("Erase Current Quote ? "), Button::No);
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KBOS"}));
        prompter().setNextAnswer(Button::Yes);
        child<QAction>("mnunew")->trigger();
        QCOMPARE(routeIds(), QStringList{QStringLiteral("KTEB")});
        QCOMPARE(child<QLineEdit>("TxtTotalNM")->text(), QStringLiteral("0.0"));
        QCOMPARE(child<QLineEdit>("TxtTotalSM")->text(), QStringLiteral("0.0"));
        QVERIFY(!child<QPushButton>("CmdSegTax")->isEnabled());
        QCOMPARE(find()->text(), QString());

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
        auto box = std::make_shared<BoxPrompter>();
        box->answers = m_folder->services().prompter;
        box->answers->setNextAnswer(Button::Yes);
        Platform::services().prompter = box;
        QTest::keyClick(rate, Qt::Key_Q, Qt::AltModifier);
        QVERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_N);
        Platform::services().prompter = box->answers;
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("kbos"));
        QCOMPARE(find()->text(), QStringLiteral("KBOS"));
        QCOMPARE(child<QTabWidget>("SSTab1")->currentIndex(), 0);
        QCOMPARE(rate->text(), QStringLiteral("8.50"));
    }

    // Delete takes back the grey proposal of the find box, and takes out a stop only
    // from an empty box; Ctrl+Z puts the last route change back, a new quote after asking.
    void deleteInTheFindBoxAndUndo()
    {
        add(QStringLiteral("KBOS"));
        add(QStringLiteral("KJFK"));
        const QString finalQuote = child<QLineEdit>("TxtFinalQuote")->text();
        typeInFind(QStringLiteral("km"));
        QCOMPARE(find()->text(), QStringLiteral("KMIA"));
        QTest::keyClick(find(), Qt::Key_Delete);
        QCOMPARE(find()->text(), QStringLiteral("KM"));
        QVERIFY(!child<QPushButton>("CmdSelect")->isEnabled());
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KBOS", "KJFK"}));

        QTest::keyClick(find(), Qt::Key_Backspace);
        QTest::keyClick(find(), Qt::Key_Backspace);
        QCOMPARE(find()->text(), QString());
        selectRoute(1);
        QTest::keyClick(find(), Qt::Key_Delete);
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KJFK"}));
        QVERIFY(child<QLineEdit>("TxtFinalQuote")->text() != finalQuote);
        auto* undo = child<QAction>("mnuUndo");
        QCOMPARE(undo->shortcut(), QKeySequence(QKeySequence::Undo));
        QTest::keyClick(find(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KBOS", "KJFK"}));
        QCOMPARE(child<QLineEdit>("TxtTotalNM")->text(), m_window->route()->totalNMText());
        QCOMPARE(child<QLineEdit>("TxtFinalQuote")->text(), finalQuote);
        QCOMPARE(child<QTableView>("SSDBGrid2")->selectionModel()->selectedRows().value(0).row(),
                 1);
        QTest::keyClick(find(), Qt::Key_Z, Qt::ControlModifier); // KJFK's insertion
        QTest::keyClick(find(), Qt::Key_Z, Qt::ControlModifier); // KBOS's
        QCOMPARE(routeIds(), QStringList{"KTEB"});
        QVERIFY(!child<QPushButton>("CmdSegTax")->isEnabled());
        QVERIFY(!undo->isEnabled());

        add(QStringLiteral("KBOS"));
        prompter().setNextAnswer(Button::Yes);
        child<QAction>("mnunew")->trigger();
        const QString question = QStringLiteral("Restore the Route of the Erased Quote ? ");
        prompter().setNextAnswer(Button::No);
        QTest::keyClick(find(), Qt::Key_Z, Qt::ControlModifier);
        expectMessage(Icon::Question, QStringLiteral("Brisklander"), question, Button::No);
        QCOMPARE(routeIds(), QStringList{"KTEB"});
        prompter().setNextAnswer(Button::Yes);
        undo->trigger();
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KBOS"}));
        QVERIFY(child<QPushButton>("CmdSegTax")->isEnabled());
        QVERIFY(child<QPushButton>("CmdDelete")->isEnabled());
    }

    void airportListKeysMouseAndScrolling()
    {
        auto* list = child<QTableView>("SSDBGrid1");
        const auto selectedRow = [list] {
            const auto rows = list->selectionModel()->selectedRows();
            return rows.isEmpty() ? -1 : rows.first().row();
        };
        list->setFocus();
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(selectedRow(), 27);
        QCOMPARE(find()->text(), QStringLiteral("YSSY"));
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(selectedRow(), 0);
        QCOMPARE(find()->text(), QStringLiteral("CYYZ"));

        // An airport found on the bottom row moves up by half the rows shown.
        const int visible =
            list->viewport()->height() / list->verticalHeader()->defaultSectionSize();
        QVERIFY(visible > 3 && visible < 20);
        list->setCurrentIndex(m_window->airportList()->index(visible - 1, 0));
        m_window->BringAirportIntoView();
        QCOMPARE(list->verticalScrollBar()->value(), visible / 2);
        QCOMPARE(selectedRow(), visible - 1);

        // The right button selects the row under it and opens the list's menu.
        list->clearSelection();
        const QPoint row3 = list->visualRect(m_window->airportList()->index(3, 1)).center();
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, row3);
        QCOMPARE(selectedRow(), 3);
        QVERIFY(child<QPushButton>("CmdSelect")->isEnabled());
        QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, row3);
        QTRY_VERIFY(child<QMenu>("AirportPopup")->isVisible());
        child<QMenu>("AirportPopup")->close();
    }

    void quoteTabPricesTheRoute()
    {
        appSettings().MINBASECHARGE = 1500;
        m_window->applyMinimumBaseCharge(); // as a Save of the settings does
        add(QStringLiteral("KBOS"));        // 159.6 nm from KTEB
        auto* rate = child<QLineEdit>("TxtChargePerMile");
        rate->setFocus();
        QCOMPARE(child<QTabWidget>("SSTab1")->currentIndex(), 1);
        rate->selectAll();
        QTest::keyClicks(rate, QStringLiteral("1x2.-5.")); // no letters, signs or second point
        QCOMPARE(rate->text(), QStringLiteral("12.5"));
        find()->setFocus(); // leaving the rate shows it with two decimals
        QCOMPARE(rate->text(), QStringLiteral("12.50"));
        const QuoteSheet* sheet = m_window->sheet();
        QCOMPARE(child<QLineEdit>("TxtBaseCharge")->text(),
                 Format::number(sheet->value(QuoteSheet::DistanceCharge) * 12.5, Format::Money));
        QCOMPARE(child<QLabel>("lblBaseCharge")->text(), QStringLiteral("Base Charge:"));
        rate->setText(QString());
        QTest::keyClicks(rate, QStringLiteral("2"));
        QCOMPARE(child<QLabel>("lblBaseCharge")->text(), QStringLiteral("Minimum Charge:"));
        QCOMPARE(child<QLineEdit>("TxtBaseCharge")->text(), QStringLiteral("1,500.00"));

        // The tax choice by its first letter, and emptied with Delete.
        auto* tax = child<QComboBox>("SSDBCBTaxBaseCharge");
        QTest::keyClick(tax, 'f');
        QCOMPARE(tax->currentText(), QStringLiteral("FET"));
        // A screen reader hears the caption and then the choice.
        QAccessibleInterface* announced = QAccessible::queryAccessibleInterface(tax);
        QCOMPARE(announced->text(QAccessible::Name), QStringLiteral("Tax"));
        QCOMPARE(announced->text(QAccessible::Value), QStringLiteral("FET"));
        QCOMPARE(child<QLineEdit>("TxtTaxAmount")->text(), QStringLiteral("112.50"));
        QCOMPARE(child<QLineEdit>("TxtFinalQuote")->text(), QStringLiteral("1,612.50"));
        QTest::keyClick(tax, Qt::Key_Delete);
        QCOMPARE(tax->currentText(), QString());
        QCOMPARE(child<QLineEdit>("TxtTotalTaxes")->text(), QStringLiteral("0.00"));
    }

    void chargesGridThroughTheKeyboard()
    {
        auto* grid = child<QTableView>("SSDBGrid3");
        enterIntoCell(0, ChargesModel::ColumnAmount, QStringLiteral("150"));
        enterIntoCell(0, ChargesModel::ColumnNumber, QStringLiteral("3"));
        const ChargesModel* charges = m_window->charges();
        QCOMPARE(charges->line(0).Amount, QStringLiteral("150.00"));
        QCOMPARE(charges->line(0).Total, QStringLiteral("450.00"));
        grid->setCurrentIndex(charges->index(0, ChargesModel::ColumnTax));
        QTest::keyClick(grid, 's'); // the first tax type beginning with S
        QCOMPARE(charges->line(0).Tax, QStringLiteral("SALES TAX"));
        QCOMPARE(child<QLineEdit>("TxtTotTaxAddCharges")->text(), QStringLiteral("28.13"));
        QCOMPARE(child<QLineEdit>("TxtTotalCharges")->text(), QStringLiteral("450.00"));
        QTest::keyClick(grid, Qt::Key_Delete);
        QCOMPARE(child<QLineEdit>("TxtTotTaxAddCharges")->text(), QStringLiteral("0.00"));

        // The segment tax window writes its row; the quote follows.
        add(QStringLiteral("KBOS"));
        QTimer::singleShot(0, this, [] {
            auto* window = QApplication::activeModalWidget();
            QVERIFY(window);
            auto* pax = window->findChild<QLineEdit*>(QStringLiteral("TxtNoPax"));
            pax->selectAll();
            QTest::keyClicks(pax, QStringLiteral("4"));
            window->findChild<QPushButton*>(QStringLiteral("CmdSave"))->click();
        });
        child<QPushButton>("CmdSegTax")->click();
        QCOMPARE(charges->line(1).Charge, QStringLiteral("4 Pax * 1 Segm. * 2.50"));
        QCOMPARE(child<QLineEdit>("TxtTotTaxAddCharges")->text(), QStringLiteral("10.00"));

        // New Quote empties the grid and both sums.
        prompter().setNextAnswer(Button::Yes);
        child<QAction>("mnunew")->trigger();
        QCOMPARE(child<QLineEdit>("TxtTotAddCharges")->text(), QStringLiteral("0.00"));
        QCOMPARE(child<QLineEdit>("TxtTotTaxAddCharges")->text(), QStringLiteral("0.00"));
        QVERIFY(charges->count() >= 8);
        QVERIFY(charges->line(0).Charge.isEmpty());
    }

    // Keys typed before the last command has run act in the order they were typed.
    void typingAheadKeepsTheRoute()
    {
        typeAhead(QStringLiteral("kbos%skjfk%skmia%s"));
        QTRY_COMPARE(routeIds(), (QStringList{"KTEB", "KBOS", "KJFK", "KMIA"}));
        QTest::qWait(300); // nothing is left to arrive late
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KBOS", "KJFK", "KMIA"}));
        QCOMPARE(find()->text(), QString());
        QCOMPARE(child<QLineEdit>("TxtTotalNM")->text(), QStringLiteral("1,274.2"));
        QCOMPARE(child<QLineEdit>("TxtTotalSM")->text(), QStringLiteral("1,466.3"));
    }

    // "Charge p/m" has an access key of its own; reached by it or by Tab, its text is
    // selected, so a new rate replaces the old one.
    void rateIsOneKeyAway()
    {
        auto* rate = child<QLineEdit>("TxtChargePerMile");
        QLabel* caption = nullptr;
        QStringList captions;
        for (QLabel* label : m_window->findChildren<QLabel*>()) {
            captions << label->text();
            if (label->buddy() == rate)
                caption = label;
        }
        QVERIFY(caption);
        for (QAbstractButton* button : m_window->findChildren<QAbstractButton*>())
            captions << button->text();
        auto* tabs = child<QTabWidget>("SSTab1");
        for (int index = 0; index < tabs->count(); ++index)
            captions << tabs->tabText(index);
        for (QAction* menu : m_window->menuBar()->actions())
            captions << menu->text();
        const QKeySequence key = QKeySequence::mnemonic(caption->text());
        QVERIFY(!key.isEmpty());
        QCOMPARE(
            std::count_if(captions.cbegin(), captions.cend(),
                          [&](const QString& text) { return QKeySequence::mnemonic(text) == key; }),
            1);

        add(QStringLiteral("KBOS"));
        QTest::keyClick(find(), key[0].key(), key[0].keyboardModifiers());
        QCOMPARE(QApplication::focusWidget(), rate);
        QCOMPARE(tabs->currentIndex(), 1);
        QTest::keyClicks(rate, QStringLiteral("9.35"));
        QCOMPARE(rate->text(), QStringLiteral("9.35"));
        QCOMPARE(child<QLineEdit>("TxtBaseCharge")->text(),
                 Format::number(m_window->sheet()->value(QuoteSheet::DistanceCharge) * 9.35,
                                Format::Money));
        QTest::keyClick(rate, key[0].key(), key[0].keyboardModifiers()); // from inside it
        QTest::keyClicks(rate, QStringLiteral("7"));
        QCOMPARE(rate->text(), QStringLiteral("7"));
        QTest::keyClick(rate, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(QApplication::focusWidget() != rate);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(rate, QStringLiteral("6"));
        QCOMPARE(rate->text(), QStringLiteral("6"));
    }

    void focusBringsItsTabForward()
    {
        auto* tabs = child<QTabWidget>("SSTab1");
        child<QLineEdit>("TxtChargePerMile")->setFocus();
        QTRY_COMPARE(tabs->currentIndex(), 1);
        find()->setFocus();
        QTRY_COMPARE(tabs->currentIndex(), 0);
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
        child<QTabWidget>("SSTab1")->setCurrentIndex(1);
        QCOMPARE(child<QLabel>("lblBaseCharge")->text(), QStringLiteral("Minimum Charge:"));
        QVERIFY(m_window->sheet()->isNegative(QuoteSheet::FinalQuote));

        const QColor darkBlue(0, 0, 128);
        const QColor darkRed(128, 0, 0);
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
            for (const char* name : {"TxtFinalQuote", "TxtTotAddCharges", "TxtTotalCharges"}) {
                const QPalette field = child<QLineEdit>(name)->palette();
                check(QLatin1String(name), field.color(QPalette::Text), field.color(QPalette::Base),
                      darkRed);
                if (field.color(QPalette::Base) != m_window->palette().color(QPalette::Window))
                    found << QLatin1String(name) + QStringLiteral(" not on the window's colour");
            }
            for (const QLabel* caption : m_window->findChildren<QLabel*>()) {
                const QString text = caption->text();
                if (text == QLatin1String("Final Quote:") || text.startsWith(u"Minimum"))
                    check(text, caption->palette().color(QPalette::WindowText),
                          m_window->palette().color(QPalette::Window), darkBlue);
            }

            const AirportListModel* list = m_window->airportList();
            for (int row = 0; row < list->rowCount(); ++row) {
                if (list->index(row, 0).data().toString() != QLatin1String("EGLC"))
                    continue;
                const QColor red = list->index(row, 1).data(Qt::ForegroundRole).value<QColor>();
                const auto* airports = child<QTableView>("SSDBGrid1");
                check(QStringLiteral("short runway"), red,
                      airports->palette().color(QPalette::Base), darkRed);
                if (airports->alternatingRowColors())
                    check(QStringLiteral("short runway, alternate row"), red,
                          airports->palette().color(QPalette::AlternateBase), QColor());
                const QModelIndex length = list->index(row, AirportListModel::ColumnRunwayLength);
                if (length.data(Qt::DecorationRole).value<QIcon>().isNull() ||
                    length.data(Qt::AccessibleDescriptionRole).toString().isEmpty())
                    found << QStringLiteral("short runway marked by colour alone");
            }

            // The charge catalogue's drop-down list.
            const QModelIndex listed = m_window->chargeCatalog()->index(0, 1);
            check(QStringLiteral("catalogue amount"),
                  listed.data(Qt::ForegroundRole).value<QColor>(),
                  m_window->palette().color(QPalette::Base), QColor());

            style->cells.clear();
            grid->selectRow(1);
            grid->viewport()->repaint();
            int amounts = 0;
            for (const CellRecorder::Cell& cell : std::as_const(style->cells)) {
                if (cell.index.column() != ChargesModel::ColumnAmount || cell.index.row() > 1)
                    continue;
                ++amounts;
                check(QStringLiteral("amount in row %1").arg(cell.index.row() + 1), cell.text,
                      cell.background, cell.index.row() == 0 ? darkRed : QColor());
            }
            if (amounts != 2)
                found << QStringLiteral("%1 amounts drawn").arg(amounts);
            return found;
        };

        QCOMPARE(faults(true).join(u", "), QString());
        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        QTRY_COMPARE(m_window->palette().color(QPalette::Window), QColor(53, 53, 53));
        QCOMPARE(faults(false).join(u", "), QString());
        QApplication::setPalette(light);
        QTRY_COMPARE(m_window->palette().color(QPalette::Window), light.color(QPalette::Window));
        QCOMPARE(faults(true).join(u", "), QString());
    }
};

QTEST_MAIN(TestBrisklander)
#include "tst_brisklander.moc"
