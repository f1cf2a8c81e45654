#include "core/airports/airporttable.h"
#include "core/quote/routemodel.h"
#include "gui/airports/airporthost.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/catalogmodel.h"
#include "support/mainwindowfixture.h"
#include "support/testfiles.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;
using Platform::Button;
using Platform::Icon;

// The airport commands and printing, driven through the main window.
class TestAirportCommands : public MainWindowFixture
{
    Q_OBJECT

private:
    bool exists(const QString& id) const
    {
        return AirportIdExists(*appContext().Workspace, appContext().DatabasePath, id);
    }
    // Opens the pop-up menu of a list with the Menu key and picks an entry by its key.
    void popup(const char* list, const QString& keys)
    {
        child<QWidget>(list)->setFocus();
        QTest::keyClick(child<QWidget>(list), Qt::Key_Menu);
        QTRY_VERIFY(QApplication::activePopupWidget());
        press(keys);
    }

private slots:
    // Delete asks, then offers to take the deletion back.
    void deleteAsksTwice_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("kept");
        QTest::newRow("Cancel keeps the airport") << int(Button::Cancel) << true;
        QTest::newRow("OK deletes it") << int(Button::Ok) << false;
    }

    void deleteAsksTwice()
    {
        QFETCH(int, answer);
        QFETCH(bool, kept);
        press(QStringLiteral("eglc"));
        prompter().setNextAnswer(Button::Yes);
        prompter().setNextAnswer(Button(answer));
        popup("SSDBGrid1", QStringLiteral("d"));
        expectMessage(
            Icon::Question, QStringLiteral("Delete Airport"),
            QStringLiteral("Are you sure that you want to DELETE \r\rAirport 'EGLC'  LONDON "
                           "CITY AIRPORT"),
            Button::No, 0);
        expectMessage(
            Icon::Exclamation, QStringLiteral("Delete Airport"),
            QStringLiteral("Airport 'EGLC'   LONDON CITY AIRPORT has been deleted.\r\rSelect "
                           "'OK' to make the changes permanent.\r\r'Cancel' will undo the "
                           "changes."),
            Button::Cancel, 1);
        QCOMPARE(exists(QStringLiteral("EGLC")), kept);
        QVERIFY(!appContext().Workspace->inTransaction());
        QCOMPARE(child<QWidget>("Frame1")->toolTip(),
                 QStringLiteral("%1 Total Airports in Database").arg(kept ? 28 : 27));
    }

    void deletingAnAirportInTheRouteRemovesEveryStop()
    {
        add(QStringLiteral("KBOS"));
        add(QStringLiteral("KTEB"));
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KBOS", "KTEB"}));
        selectRoute(0);
        prompter().setNextAnswer(Button::Ok);
        prompter().setNextAnswer(Button::Ok);
        popup("SSDBGrid2", QStringLiteral("d"));
        expectMessage(
            Icon::Exclamation, QStringLiteral("Delete Airport"),
            QStringLiteral("Airport 'KTEB' is Used in the Quote.\r\rDeleting this Airport "
                           "will Remove it from the Quote.\r\rSelect 'OK' to confirm Delete."),
            Button::Cancel, 0);
        QCOMPARE(routeIds(), QStringList{QStringLiteral("KBOS")});
        QCOMPARE(m_window->route()->totalNMText(), QStringLiteral("0.0"));
        QVERIFY(!exists(QStringLiteral("KTEB")));
    }

    // A new name only renames every stop of the airport and leaves the legs; a new
    // position takes each stop out and back at its place, measured again.
    void modifiedAirportIsBroughtUpToDateInTheRoute()
    {
        add(QStringLiteral("KBOS"));
        add(QStringLiteral("KTEB"));
        const RouteModel* route = m_window->route();
        const QString leg = route->leg(1).DistanceNM;
        m_window->RefreshRouteAfterModify(
            AirportChange{"KTEB", "KTEX", "TETERBORO AIRPORT", "TETERBORO EXECUTIVE", false});
        QCOMPARE(routeIds(), (QStringList{"KTEX", "KBOS", "KTEX"}));
        QCOMPARE(route->leg(2).stop.NAME + u' ' + route->leg(1).DistanceNM,
                 QStringLiteral("TETERBORO EXECUTIVE ") + leg);

        auto record = ReadAirport(*appContext().Workspace, appContext().DatabasePath, "KBOS");
        QVERIFY(record);
        record->Latitude.DegreesText = QStringLiteral("41");
        UpdateAirport(*appContext().Workspace, appContext().DatabasePath, "KBOS", *record);
        m_window->refreshAirportList();
        m_window->RefreshRouteAfterModify(
            AirportChange{"KBOS", "KBOS", record->NAME, record->NAME, true});
        QCOMPARE(routeIds(), (QStringList{"KTEX", "KBOS", "KTEX"}));
        QCOMPARE(route->leg(1).stop.Latitude.DegreesText, QStringLiteral("41"));
        for (int row = 1; row < route->count(); ++row)
            QCOMPARE(
                route->leg(row).DistanceNM,
                ComputeLeg(route->leg(row - 1).stop.point(), route->leg(row).stop.point()).nmText);
    }

    void airportMenuFollowsTheTab()
    {
        child<QTabWidget>("SSTab1")->setCurrentIndex(1);
        press(QStringLiteral("%a"));
        QTRY_VERIFY(child<QMenu>("mnuAirports")->isVisible());
        QVERIFY(!child<QAction>("mnuModAirport")->isEnabled());
        QVERIFY(!child<QAction>("mnuairportdetails")->isEnabled());
        QVERIFY(child<QAction>("mnuaddairport")->isEnabled());
        press(QStringLiteral("\x1b\x1b"));
        child<QTabWidget>("SSTab1")->setCurrentIndex(0);
        press(QStringLiteral("%a"));
        QVERIFY(child<QAction>("mnudelairport")->isEnabled());
        press(QStringLiteral("\x1b\x1b"));
    }

    void savedSettingsRepriceAtOnce()
    {
        appSettings().QUOTEBASE = QuoteBase::Nautical;
        appSettings().DEFAULTCHARGESM = 7.39;
        add(QStringLiteral("KBOS"));
        const auto runSettings = [this](const std::function<void(QWidget*)>& edit) {
            onNextModal([edit](QWidget* dialog) {
                edit(dialog);
                dialog->findChild<QPushButton*>(QStringLiteral("CmdSave"))->click();
            });
            backToWindow(); // as the desktop does when a dialog closes
            press(QStringLiteral("%qs"));
        };
        runSettings([](QWidget* dialog) {
            dialog->findChild<QAbstractButton*>(QStringLiteral("OptStatBase"))->click();
            auto* minimum = dialog->findChild<QLineEdit*>(QStringLiteral("TxtMinBaseCharge"));
            minimum->setText(QStringLiteral("99999"));
        });
        QCOMPARE(child<QLabel>("LabelMiles")->text() + u' ' + field("TxtChargePerMile"),
                 QStringLiteral("SM 7.39"));
        QCOMPARE(field("TxtDistanceCharge"), field("TxtTotalSM"));
        QCOMPARE(child<QLabel>("lblBaseCharge")->text() + u' ' + field("TxtBaseCharge"),
                 QStringLiteral("Minimum Charge: 99,999.00"));

        // A tax deleted in the catalogue leaves the main window's lists once saved.
        runSettings([](QWidget* dialog) {
            auto* grid = dialog->findChild<QTableView*>(QStringLiteral("SSDBGridTaxes"));
            grid->selectRow(0);
            grid->setCurrentIndex(grid->model()->index(0, 0));
            dialog->findChild<QPushButton*>(QStringLiteral("CmdDelTax"))->click();
        });
        QCOMPARE(m_window->taxList()->rowCount(), 3);
        QCOMPARE(m_window->taxList()->find(QStringLiteral("FET")), -1);
    }

    // A catalogue row the engine refuses while its cell is still being edited: Save
    // reports it once and saves nothing; the dialog stays open with the operator's
    // changes, that row's too, and the table keeps its rate.
    void catalogueRowRefusedOnSaveKeepsTheDialogOpen()
    {
        appContext()
            .Workspace->openDatabase(appContext().DatabasePath)
            ->execute(QStringLiteral("CREATE TRIGGER RefuseTaxes BEFORE UPDATE ON Taxes BEGIN "
                                     "SELECT RAISE(ABORT, 'tax rates are locked'); END"));
        const QByteArray before = TestFiles::contentOf(appContext().SettingsPath);
        prompter().setNextAnswer(Button::Ok);
        bool stillOpen = false;
        QString rateShown;
        onNextModal([&](QWidget* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("TxtCompany"))->setText("Hudson Air");
            auto* grid = dialog->findChild<QTableView*>(QStringLiteral("SSDBGridTaxes"));
            const QModelIndex rate = grid->model()->index(0, 1);
            QTest::keyClick(dialog, Qt::Key_T, Qt::AltModifier);
            grid->setFocus();
            grid->setCurrentIndex(rate);
            QTest::keyClick(grid, Qt::Key_F2);
            auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(rate));
            QVERIFY(editor);
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(editor, QStringLiteral("9"));
            QTest::keyClick(dialog, Qt::Key_S, Qt::AltModifier);
            QTest::qWait(300); // the access key presses Save a moment later
            stillOpen = dialog->isVisible();
            rateShown = grid->model()->index(0, 1).data().toString();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        press(QStringLiteral("%qs"));

        QVERIFY(stillOpen);
        QCOMPARE(rateShown, QStringLiteral("9.00"));
        QCOMPARE(appContext()
                     .Workspace->openDatabase(appContext().DatabasePath)
                     ->openRecordset(QStringLiteral("Taxes"))
                     ->value(QStringLiteral("Tax %"))
                     .toDouble(),
                 7.5);
        QCOMPARE(prompter().messages().size(), 1);
        expectMessage(Icon::Critical, u"Brisklander"_s,
                      u"An error occurred\r\rError number = *tax rates are locked*"_s, Button::Ok);
        QCOMPARE(TestFiles::contentOf(appContext().SettingsPath), before);
        QCOMPARE(appSettings().company.NAME, QString());
    }

    // Print Quote prints the window's quote, and only a trip of two stops or more.
    void printingTheQuote()
    {
        add(QStringLiteral("KBOS"));
        onNextModal([](QWidget* dialog) {
            dialog->findChild<QPushButton*>(QStringLiteral("CmdPrint"))->click();
        });
        const QString text = m_folder->filePath(QStringLiteral("quote.txt"));
        m_folder->services().printChooser->setChoice(Platform::PrintChoice::ToFile);
        m_folder->services().fileChooser->setAnswer(
            Platform::SaveFileAnswer{text, QStringLiteral("Text File (*.txt)")});
        press(QStringLiteral("%qp")); // the print dialog's own paths are its test's
        const QByteArray contents = TestFiles::contentOf(text);
        QVERIFY(contents.startsWith("\r\nBrisklander For Windows"));
        QVERIFY(contents.contains("KBOS    BOSTON LOGAN INTERNATIONAL AIRPORT"));

        backToWindow();
        selectRoute(1);
        find()->setFocus();
        press(QStringLiteral("\x7f")); // takes KBOS out again
        press(QStringLiteral("%q"));
        QTRY_VERIFY(child<QMenu>("mnufile")->isVisible());
        QVERIFY(!child<QAction>("mnuPrint")->isEnabled());
        press(QStringLiteral("\x1b\x1b"));
    }
};

QTEST_MAIN(TestAirportCommands)
#include "tst_airportcommands.moc"
