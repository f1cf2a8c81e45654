#include "airports/airporttable.h"
#include "airports/starterdata.h"
#include "core/appcontext.h"
#include "core/appsettings.h"
#include "core/engine.h"
#include "core/schema.h"
#include "settings/frmsettings.h"
#include "settings/settingshost.h"
#include "support/testservices.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <functional>

using Platform::Button;
using Platform::Icon;

namespace {

// What the dialog asked of the main window, with the record as the window saw it.
class FakeHost final : public SettingsHost
{
public:
    QStringList calls;
    bool failBasis = false;

    void applyQuoteBasis(QuoteBase basis, bool basisChanged) override
    {
        calls << QStringLiteral("basis %1 %2 %3")
                     .arg(SettingsText::quoteBase(basis), basisChanged ? "changed" : "kept",
                          SettingsText::number(appSettings().DEFAULTCHARGESM));
        if (failBasis)
            throw Db::DbError(Db::Error::EngineFailure, QStringLiteral("Quote unreadable"));
    }
    void applyMinimumBaseCharge() override
    {
        calls << "minimum " + SettingsText::number(appSettings().MINBASECHARGE);
    }
    void refreshAfterSettings() override { calls << QStringLiteral("refresh"); }
};

} // namespace

class TestFrmSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestServices> m_services;
    std::unique_ptr<FrmSettings> m_dialog;
    FakeHost m_host;

    template <typename T = QLineEdit> T* child(const char* name)
    {
        T* found = m_dialog->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    static QString iniText()
    {
        QFile file(appContext().SettingsPath);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    static QStringList iniLines() { return iniText().split(QRegularExpression("\\r?\\n")); }
    static void writeIni(const QStringList& lines)
    {
        QFile file(appContext().SettingsPath);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines.join("\r\n").toUtf8());
    }
    void open()
    {
        m_dialog = std::make_unique<FrmSettings>(&m_host);
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    }
    // Types into a field, then moves the focus on to `next`.
    void type(const char* name, const QString& keys, const char* next = "TxtSegTax")
    {
        auto* field = child(name);
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        field->clear();
        QTest::keyClicks(field, keys);
        child<QWidget>(next)->setFocus();
    }
    void expectMessage(Icon icon, const QString& title, const QString& text)
    {
        QCOMPARE(m_services->prompter->messages().size(), 1);
        QString why;
        QVERIFY2(sameMessage(m_services->prompter->messages().first(), icon, title, text,
                             Button::Ok, &why),
                 qPrintable(why));
        m_services->prompter->clear();
    }
    // The message of an engine failure, as the action fails.
    static QString failureText(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const Db::DbError& error) {
            return QStringLiteral("An error occured\r\rError number = %1\r%2")
                .arg(error.number())
                .arg(error.description());
        }
        return QStringLiteral("(no failure)");
    }
    static std::shared_ptr<Db::Database> catalogues()
    {
        return Db::DbEngine::instance().defaultWorkspace()->openDatabase(appContext().DatabasePath);
    }
    static int chargeRows()
    {
        return catalogues()->openRecordset(QStringLiteral("AdditionalCharges"))->recordCount();
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        StarterData::createProgramFolder(m_dir->path(), QStringLiteral("Brisklander"));
        Db::DbEngine& engine = Db::DbEngine::instance();
        engine.setSystemDB(m_dir->filePath(Schema::WorkgroupFileName));
        engine.setDefaultUser(Schema::UserName);
        engine.setDefaultPassword(Schema::Password);
        appContext().Workspace =
            engine.createWorkspace(QStringLiteral("AirportWS"), Schema::UserName, Schema::Password);
        appContext().DatabasePath = m_dir->filePath(Schema::DatabaseFileName);
        appContext().SettingsPath = m_dir->filePath(QStringLiteral("Brisklander.INI"));
        LoadSettings(appContext().SettingsPath);
        m_services = std::make_unique<TestServices>();
        m_host.calls.clear();
        m_host.failBasis = false;
    }
    void cleanup()
    {
        m_dialog.reset();
        const auto unexpected = m_services->prompter->messages();
        const int pending = m_services->prompter->pendingAnswers();
        const bool busy = m_services->pointer->isBusy();
        m_services.reset();
        appContext() = AppContext();
        Db::DbEngine::instance().release();
        m_dir.reset();
        QVERIFY2(unexpected.isEmpty(), unexpected.isEmpty() ? "" : qPrintable(unexpected[0].text));
        QCOMPARE(pending, 0);
        QVERIFY(!busy);
    }

    void filledFromSettingsWithNamedControls()
    {
        appSettings().QUOTEBASE = QuoteBase::Statute;
        appSettings().DEFAULTCHARGENM = 2.7;
        appSettings().ROUNDMILES = true;
        appSettings().CITY = QStringLiteral("Teterboro");
        open();
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Settings"));
        QVERIFY(child<QRadioButton>("OptStatBase")->isChecked());
        QVERIFY(!child<QRadioButton>("OptNautBase")->isChecked());
        const QStringList shown{child("TxtMinRunwayLength")->text(),
                                child("TxtDefaultChargeNM")->text(),
                                child("TxtDefaultChargeSM")->text(),
                                child("TxtMinBaseCharge")->text(),
                                child("TxtDefaultAirport")->text(),
                                child("TxtSegTax")->text(),
                                child("TxtCity")->text(),
                                child("TxtCompany")->text()};
        QCOMPARE(shown, QStringList(
                            {"3000", "2.70", "7.39", "1,500.00", "KTEB", "5.30", "Teterboro", ""}));
        QVERIFY(child<QAbstractButton>("ChkRoundMiles")->isChecked());
        QCOMPARE(child<QTabWidget>("SSTab1")->currentIndex(), 0);
        QVERIFY(Db::DbEngine::instance().defaultWorkspace()->inTransaction());
        const auto labels = m_dialog->findChildren<QLabel*>();
        int named = 0;
        for (const QLabel* label : labels) {
            if (label->buddy()) {
                QCOMPARE(label->buddy()->accessibleName(), label->text());
                ++named;
            }
        }
        QCOMPARE(named, 15);
        QCOMPARE(child("TxtMinBaseCharge")->maxLength(), 9);
        QCOMPARE(child("TxtEmail")->maxLength(), 35);
    }

    void companyNameAloneRewritesOnlyItsLineAndTheBasis()
    {
        // A basis stored with blanks around it shows that the basis is always written.
        const QStringList before = iniLines().replaceInStrings("QUOTEBASE=NM", "QUOTEBASE= NM ");
        writeIni(before);
        LoadSettings(appContext().SettingsPath);
        open();
        type("TxtCompany", "Hudson Air");
        QTest::mouseClick(child<QPushButton>("CmdSave"), Qt::LeftButton);
        QVERIFY(!m_dialog->isVisible());
        QStringList expected = before;
        expected[expected.indexOf("QUOTEBASE= NM ")] = "QUOTEBASE=NM";
        expected[expected.indexOf("NAME=")] = "NAME=Hudson Air";
        QCOMPARE(iniLines(), expected);
        QCOMPARE(appSettings().NAME, QStringLiteral("Hudson Air"));
        QCOMPARE(m_host.calls, QStringList({"basis NM kept 7.39", "refresh"}));
        QVERIFY(!Db::DbEngine::instance().defaultWorkspace()->inTransaction());
    }

    void basisSwitchAndMinimumReachTheMainWindowAfterTheRecord()
    {
        open();
        child<QRadioButton>("OptStatBase")->setFocus();
        QTest::keyClick(child<QRadioButton>("OptStatBase"), Qt::Key_Space);
        type("TxtDefaultChargeSM", "9.1");
        type("TxtMinBaseCharge", "2000");
        QTest::mouseClick(child<QPushButton>("CmdSave"), Qt::LeftButton);
        QCOMPARE(m_host.calls, QStringList({"basis SM changed 9.1", "minimum 2000", "refresh"}));
        QVERIFY(iniLines().contains("QUOTEBASE=SM"));
        QVERIFY(iniLines().contains("MINBASECHARGE=2000"));
        QCOMPARE(appSettings().QUOTEBASE, QuoteBase::Statute);
    }

    void leaveRules_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("charge NM padded") << "TxtDefaultChargeNM"
                                          << "2.7"
                                          << "2.70";
        QTest::newRow("charge NM empty") << "TxtDefaultChargeNM"
                                         << ""
                                         << "0.00";
        QTest::newRow("one point, no letters") << "TxtDefaultChargeSM"
                                               << "1a.2.3"
                                               << "1.23";
        QTest::newRow("minimum grouped") << "TxtMinBaseCharge"
                                         << "12345.6"
                                         << "12,345.60";
        QTest::newRow("segment tax point only") << "TxtSegTax"
                                                << "."
                                                << "0.00";
        QTest::newRow("runway digits only") << "TxtMinRunwayLength"
                                            << "0-07.0x"
                                            << "70";
        QTest::newRow("runway empty") << "TxtMinRunwayLength"
                                      << ""
                                      << "0";
        QTest::newRow("airport upper case") << "TxtDefaultAirport"
                                            << "kteb"
                                            << "KTEB";
    }
    void leaveRules()
    {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        open();
        type(qPrintable(field), keys, "TxtDefaultChargeNM" == field ? "TxtSegTax" : "TxtFax");
        QCOMPARE(child(qPrintable(field))->text(), shown);
    }

    void unknownDefaultAirportIsRefused()
    {
        open();
        type("TxtDefaultAirport", "zzzz", "CmdCancel"); // no check on the way to Cancel
        QVERIFY(m_services->prompter->messages().isEmpty());
        m_services->prompter->setNextAnswer(Button::Ok);
        type("TxtDefaultAirport", "zzzz", "TxtCompany");
        expectMessage(Icon::Exclamation, "Settings", "Airport Identifier 'ZZZZ' not found.");
        QCOMPARE(child("TxtDefaultAirport")->text(), QString());
        QCOMPARE(child<QTabWidget>("SSTab1")->currentIndex(), 0);
        QVERIFY(child("TxtDefaultAirport")->hasFocus());
    }

    void runwayLongerThanTheDefaultAirportsIsRefused()
    {
        open();
        type("TxtMinRunwayLength", "0");
        QVERIFY(m_services->prompter->messages().isEmpty());
        QCOMPARE(child("TxtDefaultAirport")->text(), QStringLiteral("KTEB"));
        type("TxtMinRunwayLength", "6997");
        QVERIFY(m_services->prompter->messages().isEmpty());
        m_services->prompter->setNextAnswer(Button::Ok);
        type("TxtMinRunwayLength", "7000");
        expectMessage(Icon::Exclamation, "Settings",
                      "The Runway at 'KTEB' (6997 feet) is shorter than the Min. Runway setting "
                      "of 7000 feet.\r\rSelect another Default Airport or adjust the Minimum "
                      "Runway setting.");
        QCOMPARE(child("TxtDefaultAirport")->text(), QString());
        QVERIFY(child("TxtDefaultAirport")->hasFocus());
    }

    void focusShowsTheControlsTab()
    {
        open();
        auto* grid = new QLineEdit;
        m_dialog->chargesPage()->layout()->addWidget(grid);
        m_dialog->showTabOnFocus(grid, FrmSettings::ChargesTab);
        const auto tabAfterFocus = [&](QWidget* control) {
            control->setFocus();
            return child<QTabWidget>("SSTab1")->currentIndex();
        };
        QCOMPARE(tabAfterFocus(child("TxtWebsite")), 3);
        QCOMPARE(tabAfterFocus(child("TxtMinBaseCharge")), 0);
        QCOMPARE(tabAfterFocus(grid), 1);
        QCOMPARE(tabAfterFocus(child<QRadioButton>("OptNautBase")), 0);
    }

    void cancelAndEscapeThrowAwayEverything()
    {
        const QString file = iniText();
        for (const bool escape : {false, true}) {
            open();
            catalogues()->execute(
                "DELETE FROM AdditionalCharges WHERE ChargeDescription = 'HANGAR'");
            QCOMPARE(chargeRows(), 5);
            type("TxtCompany", "Hudson Air");
            if (escape)
                QTest::keyClick(child("TxtCompany"), Qt::Key_Escape);
            else
                QTest::mouseClick(child<QPushButton>("CmdCancel"), Qt::LeftButton);
            QVERIFY(!m_dialog->isVisible());
            QCOMPARE(chargeRows(), 6);
            QCOMPARE(appSettings().NAME, QString());
            QCOMPARE(iniText(), file);
        }
        QVERIFY(m_host.calls.isEmpty());
    }

    void saveKeepsTheCatalogueChangesAndAFailureDropsThem()
    {
        open();
        catalogues()->execute("DELETE FROM AdditionalCharges WHERE ChargeDescription = 'HANGAR'");
        QTest::mouseClick(child<QPushButton>("CmdSave"), Qt::LeftButton);
        QCOMPARE(chargeRows(), 5);
        m_host.failBasis = true;
        open();
        catalogues()->execute("DELETE FROM AdditionalCharges");
        m_services->prompter->setNextAnswer(Button::Ok);
        QTest::mouseClick(child<QPushButton>("CmdSave"), Qt::LeftButton);
        expectMessage(Icon::Critical, "Brisklander",
                      "An error occured\r\rError number = 3000\rQuote unreadable");
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(chargeRows(), 5);
    }

    void engineFailuresAreReported()
    {
        // Checking the default airport in a file that cannot be opened.
        open();
        const QString missing = m_dir->filePath("missing.mdb");
        appContext().DatabasePath = missing;
        m_services->prompter->setNextAnswer(Button::Ok);
        type("TxtDefaultAirport", "KJFK");
        expectMessage(Icon::Critical, "Brisklander",
                      failureText([&] { ReadAirport(*appContext().Workspace, missing, "KTEB"); }));
        QCOMPARE(child("TxtDefaultAirport")->text(), QStringLiteral("KJFK"));
        m_dialog.reset();

        // Opening the catalogues' file, and a transaction another connection blocks.
        auto& engine = Db::DbEngine::instance();
        m_services->prompter->setNextAnswer(Button::Ok);
        open();
        expectMessage(Icon::Critical, "Brisklander",
                      failureText([&] { engine.defaultWorkspace()->openDatabase(missing); }));
        m_dialog.reset();
        appContext().DatabasePath = m_dir->filePath(Schema::DatabaseFileName);
        appContext().Workspace->beginTrans();
        appContext().Workspace->openDatabase(appContext().DatabasePath);
        m_services->prompter->setNextAnswer(Button::Ok);
        open();
        expectMessage(Icon::Critical, "Brisklander",
                      failureText([&] { engine.defaultWorkspace()->beginTrans(); }));
        appContext().Workspace->rollback();
    }
};

QTEST_MAIN(TestFrmSettings)
#include "tst_frmsettings.moc"
