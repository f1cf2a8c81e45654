#include "core/airports/airporttable.h"
#include "core/quote/routemodel.h"
#include "gui/airports/airporthost.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/catalogmodel.h"
#include "support/mainwindowfixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

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
private slots:
    void deleteAsksTwiceAndCancelKeepsTheAirport()
    {
        m_window->showAirportInList(QStringLiteral("EGLC"));
        prompter().setNextAnswer(Button::Yes);
        prompter().setNextAnswer(Button::Cancel);
        m_window->mnudelairport_Click();
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
        QVERIFY(exists(QStringLiteral("EGLC")));
        QVERIFY(!appContext().Workspace->inTransaction());

        m_window->showAirportInList(QStringLiteral("EGLC"));
        prompter().setNextAnswer(Button::Yes);
        prompter().setNextAnswer(Button::Ok);
        m_window->mnudelairport_Click();
        QVERIFY(!exists(QStringLiteral("EGLC")));
        QCOMPARE(child<QWidget>("Frame1")->toolTip(),
                 QStringLiteral("27 Total Airports in Database"));
    }

    void deletingAnAirportInTheRouteRemovesEveryStop()
    {
        add(QStringLiteral("KBOS"));
        add(QStringLiteral("KTEB"));
        QCOMPARE(routeIds(), (QStringList{"KTEB", "KBOS", "KTEB"}));
        auto* route = child<QTableView>("SSDBGrid2");
        route->setFocus();
        route->selectRow(0);
        prompter().setNextAnswer(Button::Ok);
        prompter().setNextAnswer(Button::Ok);
        m_window->mnudelairport_Click();
        expectMessage(
            Icon::Exclamation, QStringLiteral("Delete Airport"),
            QStringLiteral("Airport 'KTEB' is Used in the Quote.\r\rDeleting this Airport "
                           "will Remove it from the Quote.\r\rSelect 'OK' to confirm Delete."),
            Button::Cancel, 0);
        QCOMPARE(routeIds(), QStringList{QStringLiteral("KBOS")});
        QCOMPARE(m_window->route()->totalNMText(), QStringLiteral("0.0"));
        QVERIFY(!exists(QStringLiteral("KTEB")));
    }

    void modifiedAirportIsBroughtUpToDateInTheRoute()
    {
        add(QStringLiteral("KBOS"));
        add(QStringLiteral("KTEB"));
        // A new name only: both stops are renamed, the legs stay.
        const QString leg = m_window->route()->leg(1).DistanceNM;
        m_window->RefreshRouteAfterModify(
            AirportChange{"KTEB", "KTEX", "TETERBORO AIRPORT", "TETERBORO EXECUTIVE", false});
        QCOMPARE(routeIds(), (QStringList{"KTEX", "KBOS", "KTEX"}));
        QCOMPARE(m_window->route()->leg(2).stop.NAME, QStringLiteral("TETERBORO EXECUTIVE"));
        QCOMPARE(m_window->route()->leg(1).DistanceNM, leg);

        // A new position: each stop comes out and goes back at its place, measured again.
        auto record =
            ReadAirport(*appContext().Workspace, appContext().DatabasePath, QStringLiteral("KBOS"));
        QVERIFY(record);
        record->Latitude.DegreesText = QStringLiteral("41");
        UpdateAirport(*appContext().Workspace, appContext().DatabasePath, QStringLiteral("KBOS"),
                      *record);
        m_window->refreshAirportList();
        m_window->RefreshRouteAfterModify(
            AirportChange{"KBOS", "KBOS", record->NAME, record->NAME, true});
        QCOMPARE(routeIds(), (QStringList{"KTEX", "KBOS", "KTEX"}));
        const RouteModel* route = m_window->route();
        QCOMPARE(route->leg(1).stop.Latitude.DegreesText, QStringLiteral("41"));
        for (int row = 1; row < route->count(); ++row)
            QCOMPARE(
                route->leg(row).DistanceNM,
                ComputeLeg(route->leg(row - 1).stop.point(), route->leg(row).stop.point()).nmText);
        QVERIFY(route->leg(1).DistanceNM != leg);
    }

    void airportMenuFollowsTheTab()
    {
        auto* menu = child<QMenu>("mnuAirports");
        child<QTabWidget>("SSTab1")->setCurrentIndex(1);
        m_window->mnuAirports_Click();
        QVERIFY(!child<QAction>("mnuModAirport")->isEnabled());
        QVERIFY(!child<QAction>("mnuairportdetails")->isEnabled());
        QVERIFY(child<QAction>("mnuaddairport")->isEnabled());
        child<QTabWidget>("SSTab1")->setCurrentIndex(0);
        emit menu->aboutToShow();
        QVERIFY(child<QAction>("mnudelairport")->isEnabled());
    }

    void savedSettingsRepriceAtOnce()
    {
        appSettings().QUOTEBASE = QuoteBase::Nautical;
        appSettings().DEFAULTCHARGESM = 7.39;
        add(QStringLiteral("KBOS"));
        const auto runSettings = [this](const std::function<void(QWidget*)>& edit) {
            QTimer::singleShot(0, this, [edit] {
                QWidget* dialog = QApplication::activeModalWidget();
                QVERIFY(dialog);
                edit(dialog);
                dialog->findChild<QPushButton*>(QStringLiteral("CmdSave"))->click();
            });
            m_window->mnuSettings_Click();
        };
        runSettings([](QWidget* dialog) {
            dialog->findChild<QAbstractButton*>(QStringLiteral("OptStatBase"))->click();
            auto* minimum = dialog->findChild<QLineEdit*>(QStringLiteral("TxtMinBaseCharge"));
            minimum->setText(QStringLiteral("99999"));
        });
        QCOMPARE(child<QLabel>("LabelMiles")->text(), QStringLiteral("SM"));
        QCOMPARE(child<QLineEdit>("TxtChargePerMile")->text(), QStringLiteral("7.39"));
        QCOMPARE(child<QLineEdit>("TxtDistanceCharge")->text(),
                 child<QLineEdit>("TxtTotalSM")->text());
        QCOMPARE(child<QLabel>("lblBaseCharge")->text(), QStringLiteral("Minimum Charge:"));
        QCOMPARE(child<QLineEdit>("TxtBaseCharge")->text(), QStringLiteral("99,999.00"));

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
    // reports it once and saves nothing; the dialog stays open with the other changes.
    void catalogueRowRefusedOnSaveKeepsTheDialogOpen()
    {
        appContext()
            .Workspace->openDatabase(appContext().DatabasePath)
            ->execute(QStringLiteral("CREATE TRIGGER RefuseTaxes BEFORE UPDATE ON Taxes BEGIN "
                                     "SELECT RAISE(ABORT, 'tax rates are locked'); END"));
        QFile ini(appContext().SettingsPath);
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray before = ini.readAll();
        ini.close();
        prompter().setNextAnswer(Button::Ok);
        bool stillOpen = false;
        QString rateShown;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QVERIFY(QTest::qWaitFor([dialog] { return dialog->isActiveWindow(); }));
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
        m_window->mnuSettings_Click();

        QVERIFY(stillOpen);
        QCOMPARE(rateShown, QStringLiteral("7.50"));
        const auto& messages = prompter().messages();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().text.startsWith(QStringLiteral("An error occurred\r\rError "
                                                                 "number = ")),
                 qPrintable(messages.first().text));
        QVERIFY(messages.first().text.contains(QStringLiteral("tax rates are locked")));
        QCOMPARE(messages.first().title, QStringLiteral("Brisklander"));
        QCOMPARE(messages.first().icon, Icon::Critical);
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(), before);
        QCOMPARE(appSettings().company.NAME, QString());
    }

    void printingToATextFileAndToAPrinter()
    {
        m_window->mnufile_Click();
        QVERIFY(!child<QAction>("mnuPrint")->isEnabled()); // one stop is no trip
        add(QStringLiteral("KBOS"));
        m_window->mnufile_Click();
        QVERIFY(child<QAction>("mnuPrint")->isEnabled());

        const auto printFromDialog = [this] {
            QTimer::singleShot(0, this, [] {
                QWidget* dialog = QApplication::activeModalWidget();
                QVERIFY(dialog);
                dialog->findChild<QPushButton*>(QStringLiteral("CmdPrint"))->click();
            });
            m_window->mnuPrint_Click();
        };
        const QString text = m_folder->filePath(QStringLiteral("quote.txt"));
        m_folder->services().printChooser->setChoice(Platform::PrintChoice::ToFile);
        m_folder->services().fileChooser->setAnswer(
            Platform::SaveFileAnswer{text, QStringLiteral("Text File (*.txt)")});
        printFromDialog();
        QFile file(text);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray contents = file.readAll();
        QVERIFY(contents.startsWith("\r\nBrisklander For Windows"));
        QVERIFY(contents.contains("KBOS    BOSTON LOGAN INTERNATIONAL AIRPORT"));

        const QString pdf = m_folder->filePath(QStringLiteral("printer.pdf"));
        m_folder->services().printChooser->setChoice(Platform::PrintChoice::Printer, pdf);
        printFromDialog();
        QFile printed(pdf);
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QVERIFY(printed.read(5) == "%PDF-");
    }
};

QTEST_MAIN(TestAirportCommands)
#include "tst_airportcommands.moc"
