#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/settings/frmsettings.h"
#include "gui/settings/settingshost.h"
#include "gui/settings/typinglimit.h"
#include "support/programfolder.h"
#include "support/systemfaults.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
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

    std::unique_ptr<ProgramFolder> m_folder;
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
        QCOMPARE(m_folder->services().prompter->messages().size(), 1);
        QString why;
        QVERIFY2(sameMessage(m_folder->services().prompter->messages().first(), icon, title, text,
                             Button::Ok, &why),
                 qPrintable(why));
        m_folder->services().prompter->clear();
    }
    static void row(const char* name, const char* field, const char* keys, const char* shown)
    {
        QTest::newRow(name) << QString(field) << QString(keys) << QString(shown);
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
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_folder = std::make_unique<ProgramFolder>();
        QVERIFY(m_folder->open());
        LoadSettings(appContext().SettingsPath);
        m_host.calls.clear();
        m_host.failBasis = false;
    }
    void cleanup()
    {
        m_dialog.reset();
        const auto unexpected = m_folder->prompter().messages();
        const int pending = m_folder->prompter().pendingAnswers();
        const bool busy = m_folder->services().pointer->isBusy();
        m_folder.reset();
        QVERIFY2(unexpected.isEmpty(), unexpected.isEmpty() ? "" : qPrintable(unexpected[0].text));
        QCOMPARE(pending, 0);
        QVERIFY(!busy);
    }

    // Tab reaches every control of the tab in front in the order they are shown, the
    // catalogue grids included (each is left past its last cell), then Save and Cancel.
    void tabReachesSaveAndCancelOnEveryTab()
    {
        auto window = m_folder->showMainWindow();
        QVERIFY(window);
        QList<QStringList> trails;
        QTimer::singleShot(0, this, [&trails] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QVERIFY(QTest::qWaitFor([dialog] { return dialog->isActiveWindow(); }));
            auto* tabs = dialog->findChild<QTabWidget*>("SSTab1");
            for (int tab = 0; tab < tabs->count(); ++tab) {
                tabs->setCurrentIndex(tab);
                tabs->tabBar()->setFocus();
                QStringList trail;
                for (int presses = 0; presses < 100 && !trail.endsWith(u"CmdCancel"_s); ++presses) {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                    const QString name = QApplication::focusWidget()->objectName();
                    if (!trail.endsWith(name))
                        trail << name;
                }
                trails << trail;
            }
            dialog->reject();
        });
        window->findChild<QAction*>("mnuSettings")->trigger();
        QCOMPARE(trails.size(), 4);
        QCOMPARE(trails[0],
                 QStringList({"OptNautBase", "TxtMinRunwayLength", "TxtDefaultChargeNM",
                              "TxtDefaultChargeSM", "TxtMinBaseCharge", "TxtDefaultAirport",
                              "ChkRoundMiles", "CmdSave", "CmdCancel"}));
        QCOMPARE(trails[1], QStringList({"SSDBGridADDCharges", "CmdSave", "CmdCancel"}));
        QCOMPARE(trails[2], QStringList({"SSDBGridTaxes", "TxtSegTax", "CmdSave", "CmdCancel"}));
        QStringList company;
        for (const CompanyField& field : CompanyFields::All)
            company << field.controlName;
        QCOMPARE(trails[3], company << "CmdSave"
                                    << "CmdCancel");
        window.reset();
    }

    void filledFromSettings()
    {
        appSettings().QUOTEBASE = QuoteBase::Statute;
        appSettings().DEFAULTCHARGENM = 2.7;
        appSettings().ROUNDMILES = true;
        open();
        QVERIFY(child<QRadioButton>("OptStatBase")->isChecked());
        QStringList shown;
        for (const char* name : {"TxtMinRunwayLength", "TxtDefaultChargeNM", "TxtDefaultChargeSM",
                                 "TxtMinBaseCharge", "TxtDefaultAirport", "TxtSegTax"})
            shown << child(name)->text();
        QCOMPARE(shown, QStringList({"3000", "2.70", "7.39", "1,500.00", "KTEB", "5.30"}));
        QVERIFY(child<QAbstractButton>("ChkRoundMiles")->isChecked());
    }

    // Each company field shows its own detail under its caption, takes as many typed
    // characters as its limit and is saved under its own key.
    void companyFieldsShownTypedAndSavedByTheirKeys()
    {
        for (const CompanyField& field : CompanyFields::All)
            appSettings().company.*field.value = u"Old "_s + field.key;
        open();
        CompanyDetails typed;
        for (const CompanyField& field : CompanyFields::All) {
            const char* name = field.controlName.data();
            QCOMPARE(child(name)->text(), u"Old "_s + field.key);
            QCOMPARE(child(name)->accessibleName(), QString(field.caption));
            const QString keys = field.key + QString(field.limit, u'.');
            type(name, keys, "TxtCompany");
            typed.*field.value = keys.left(field.limit);
        }
        QTest::keyClick(m_dialog.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!m_dialog->isVisible());
        QCOMPARE(appSettings().company, typed);
        const QStringList lines = iniLines();
        for (const CompanyField& field : CompanyFields::All)
            QVERIFY2(lines.contains(field.key + u'=' + typed.*field.value), field.key.data());
    }

    // A German operator sees and types the figures in the German form; the file keeps
    // them in the plain form every machine reads alike.
    void usersOwnFormOnScreenPlainFormInTheFile()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        open();
        QCOMPARE(child("TxtDefaultChargeNM")->text(), u"8,50"_s);
        QCOMPARE(child("TxtMinBaseCharge")->text(), u"1.500,00"_s);
        QCOMPARE(child("TxtSegTax")->text(), u"5,30"_s);
        type("TxtDefaultChargeNM", u"9.7,5"_s); // the keypad's "." types the decimal sign
        QCOMPARE(child("TxtDefaultChargeNM")->text(), u"9,75"_s);
        type("TxtMinBaseCharge", u"2000,5"_s);
        QCOMPARE(child("TxtMinBaseCharge")->text(), u"2.000,50"_s);
        QTest::mouseClick(child<QPushButton>("CmdSave"), Qt::LeftButton);
        const QStringList lines = iniLines();
        QVERIFY(lines.contains(u"DEFAULTCHARGENM=9.75"_s));
        QVERIFY(lines.contains(u"MINBASECHARGE=2000.5"_s));
        QVERIFY(lines.contains(u"SEGMENTTAX=5.3"_s));
        QCOMPARE(appSettings().DEFAULTCHARGENM, 9.75);
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
        QStringList expected = before;
        expected[expected.indexOf("QUOTEBASE= NM ")] = "QUOTEBASE=NM";
        expected[expected.indexOf("NAME=")] = "NAME=Hudson Air";
        QCOMPARE(iniLines(), expected);
        QCOMPARE(m_host.calls, QStringList({"basis NM kept 7.39", "refresh"}));
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
    }

    void leaveRules_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        row("charge NM padded", "TxtDefaultChargeNM", "2.7", "2.70");
        row("charge NM empty", "TxtDefaultChargeNM", "", "0.00");
        row("one point, no letters", "TxtDefaultChargeSM", "1a.2.3", "1.23");
        row("minimum grouped", "TxtMinBaseCharge", "12345.6", "12,345.60");
        row("segment tax point only", "TxtSegTax", ".", "0.00");
        row("runway digits only", "TxtMinRunwayLength", "0-07.0x", "70");
        row("runway empty", "TxtMinRunwayLength", "", "0");
        row("airport upper case", "TxtDefaultAirport", "kteb", "KTEB");
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

    // Save pressed without leaving the field (Enter for the default button, or the
    // access key) runs the field's leave rule first; a refused airport is not saved.
    void saveChecksTheFieldItIsPressedIn_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("enter"); // else Alt+S
        QTest::addColumn<QString>("message");
        const QString runway = "The Runway at 'KTEB' (6997 feet) is shorter than the Min. Runway "
                               "setting of 9000 feet.\r\rSelect another Default Airport or adjust "
                               "the Minimum Runway setting.";
        QTest::newRow("unknown airport, Enter")
            << "TxtDefaultAirport"
            << "xxxx" << true << "Airport Identifier 'XXXX' not found.";
        QTest::newRow("unknown airport, Alt+S")
            << "TxtDefaultAirport"
            << "xxxx" << false << "Airport Identifier 'XXXX' not found.";
        QTest::newRow("runway too long, Enter") << "TxtMinRunwayLength"
                                                << "9000" << true << runway;
        QTest::newRow("runway too long, Alt+S") << "TxtMinRunwayLength"
                                                << "9000" << false << runway;
    }
    void saveChecksTheFieldItIsPressedIn()
    {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(bool, enter);
        QFETCH(QString, message);
        const QString file = iniText();
        open();
        auto* edit = child(qPrintable(field));
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        edit->selectAll();
        m_folder->services().prompter->setNextAnswer(Button::Ok);
        QTest::keyClicks(edit, keys);
        if (enter)
            QTest::keyClick(edit, Qt::Key_Return);
        else
            QTest::keyClick(m_dialog.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(m_folder->services().prompter->messages().size(), 1);
        expectMessage(Icon::Exclamation, "Settings", message);
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(child("TxtDefaultAirport")->text(), QString());
        QVERIFY(child("TxtDefaultAirport")->hasFocus());
        QCOMPARE(iniText(), file);
        QCOMPARE(appSettings().DEFAULTAIRPORT, QStringLiteral("KTEB"));
        QVERIFY(m_host.calls.isEmpty());
    }

    // Typing limits apply to what is typed: a longer stored value or a formatted figure
    // is shown and saved whole.
    void limitsApplyToTypingOnly()
    {
        const QString name = QString(59, u'N');
        const QString address = QString(62, u'A');
        QStringList lines = iniLines();
        lines.replaceInStrings(QRegularExpression("^NAME=.*"), "NAME=" + name);
        lines.replaceInStrings(QRegularExpression("^ADDRESS1=.*"), "ADDRESS1=" + address);
        writeIni(lines);
        LoadSettings(appContext().SettingsPath);
        open();
        QCOMPARE(child("TxtCompany")->text(), name);
        type("TxtMinBaseCharge", "1234567.8");
        QCOMPARE(child("TxtMinBaseCharge")->text(), QStringLiteral("1,234,567.80"));
        type("TxtDefaultChargeNM", "100000");
        QCOMPARE(child("TxtDefaultChargeNM")->text(), QStringLiteral("100000.00"));
        // A field at its limit takes no more typing; a longer one only gets shorter.
        auto* phone = child("TxtPhone1"); // an international number, whole
        phone->setFocus();
        phone->clear();
        QTest::keyClicks(phone, "+44 20 7946 0958 ext. 12");
        QCOMPARE(phone->text(), QStringLiteral("+44 20 7946 0958 ext"));
        auto* company = child("TxtCompany");
        company->setFocus();
        company->end(false);
        QTest::keyClicks(company, "XY");
        QTest::keyClick(company, Qt::Key_Backspace);
        QCOMPARE(company->text(), name.chopped(1));
        QTest::keyClicks(company, "N");
        QCOMPARE(company->text(), name.chopped(1));
        TypingLimit::setText(company, name); // put back untouched: Save leaves it alone

        QTest::keyClick(m_dialog.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!m_dialog->isVisible());
        QVERIFY(iniLines().contains("NAME=" + name));
        QVERIFY(iniLines().contains("ADDRESS1=" + address));
        QCOMPARE(appSettings().MINBASECHARGE, 1234567.8);
        QCOMPARE(appSettings().DEFAULTCHARGENM, 100000.0);
    }

    // A settings file that cannot be written is left byte for byte as it was; the
    // operator is told which file and why (and of a catalogue commit that failed too),
    // the new values apply for this run, and the next Save writes them.
    void unwritableSettingsFileIsLeftAsItWas_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("full disk, with a catalogue change") << "full"
                                                            << "No space left on device";
        QTest::newRow("read-only folder") << "folder"
                                          << "Read-only file system";
        QTest::newRow("read-only file") << "file"
                                        << "The file is read-only.";
    }
    void unwritableSettingsFileIsLeftAsItWas()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        const QString folder = m_folder->filePath("disk");
        std::unique_ptr<TinyDisk> disk;
        if (fault != "file") {
            if (!runningAsRoot())
                QSKIP("needs root to mount file systems");
            const qint64 size = QFileInfo(appContext().DatabasePath).size() + 256 * 1024;
            disk = std::make_unique<TinyDisk>(folder, QByteArray::number(size));
            if (!disk->isMounted())
                QSKIP("cannot mount a tmpfs here");
        }
        QVERIFY(QDir().mkpath(folder));
        const QString settings = folder + "/Brisklander.INI";
        QVERIFY(QFile::copy(appContext().SettingsPath, settings));
        appContext().SettingsPath = settings;
        if (fault == "full") {
            const QString database = folder + "/Brisklander.mdb";
            QVERIFY(QFile::copy(appContext().DatabasePath, database));
            appContext().DatabasePath = database;
        }
        LoadSettings(settings);
        const QString before = iniText();
        open();
        std::unique_ptr<ReadOnlyFolder> readOnly;
        if (fault == "full") {
            catalogues()->execute("DELETE FROM AdditionalCharges");
            disk->fill();
        } else if (fault == "folder") {
            readOnly = std::make_unique<ReadOnlyFolder>(folder);
            QVERIFY(readOnly->isReadOnly());
        } else {
            QVERIFY(QFile::setPermissions(settings,
                                          QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }
        type("TxtCompany", "Hudson Air");
        auto& prompter = *m_folder->services().prompter;
        prompter.setNextAnswer(Button::Ok);
        if (fault == "full")
            prompter.setNextAnswer(Button::Ok);
        QTest::keyClick(m_dialog.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!m_dialog->isVisible());
        const QString text =
            QStringLiteral("The settings could not be written to the file '%1':\r\r%2\r\rThe "
                           "file was left as it was. The new settings apply until the program "
                           "ends; save them again when the file can be written.")
                .arg(settings, reason);
        if (fault == "full") {
            QCOMPARE(prompter.messages().size(), 2);
            const Platform::Message database = prompter.messages().first();
            QVERIFY2(database.text.startsWith("An error occurred\r\rError number = "),
                     qPrintable(database.text));
            QVERIFY(
                sameMessage(database, Icon::Critical, "Brisklander", database.text, Button::Ok));
            QString why;
            QVERIFY2(sameMessage(prompter.messages().last(), Icon::Critical, "Settings", text,
                                 Button::Ok, &why),
                     qPrintable(why));
            prompter.clear();
        } else {
            expectMessage(Icon::Critical, "Settings", text);
        }
        QCOMPARE(iniText(), before);
        QCOMPARE(appSettings().company.NAME, QStringLiteral("Hudson Air"));
        QStringList calls{"basis NM kept 7.39"};
        if (fault != "full")
            calls << "refresh";
        QCOMPARE(m_host.calls, calls);

        // The fault mended, a Save with nothing changed writes what is pending.
        readOnly.reset();
        QFile::remove(folder + "/filler");
        QVERIFY(QFile::setPermissions(settings, QFile::ReadOwner | QFile::WriteOwner));
        open();
        QTest::keyClick(m_dialog.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!m_dialog->isVisible());
        QVERIFY(iniLines().contains("NAME=Hudson Air"));
    }

    void unknownDefaultAirportIsRefused()
    {
        open();
        type("TxtDefaultAirport", "zzzz", "CmdCancel"); // no check on the way to Cancel
        QVERIFY(m_folder->services().prompter->messages().isEmpty());
        m_folder->services().prompter->setNextAnswer(Button::Ok);
        type("TxtDefaultAirport", "zzzz", "TxtCompany");
        expectMessage(Icon::Exclamation, "Settings", "Airport Identifier 'ZZZZ' not found.");
        QCOMPARE(child("TxtDefaultAirport")->text(), QString());
        QVERIFY(child("TxtDefaultAirport")->hasFocus());
    }

    // The check also runs when the operator leaves the field for another tab; the
    // "Defaults" tab then comes back to the front with the focus in the emptied field.
    void refusedDefaultAirportBringsItsTabBack_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("click on the tab") << "click";
        QTest::newRow("the tab's access key") << "Alt+I";
        QTest::newRow("Ctrl+Tab") << "Ctrl+Tab";
    }
    void refusedDefaultAirportBringsItsTabBack()
    {
        QFETCH(QString, way);
        open();
        auto* tabs = child<QTabWidget>("SSTab1");
        auto* field = child("TxtDefaultAirport");
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        field->clear();
        QTest::keyClicks(field, "zzzz");
        m_folder->services().prompter->setNextAnswer(Button::Ok);
        if (way == u"click")
            QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                              tabs->tabBar()->tabRect(FrmSettings::CompanyTab).center());
        else if (way == u"Alt+I")
            QTest::keyClick(field, Qt::Key_I, Qt::AltModifier);
        else
            QTest::keyClick(field, Qt::Key_Tab, Qt::ControlModifier);
        expectMessage(Icon::Exclamation, "Settings", "Airport Identifier 'ZZZZ' not found.");
        QTRY_COMPARE(tabs->currentIndex(), int(FrmSettings::DefaultsTab));
        QTRY_COMPARE(QApplication::focusWidget(), field);
        QCOMPARE(tabs->currentWidget(), tabs->widget(FrmSettings::DefaultsTab));
        QVERIFY(field->isVisible());
        QCOMPARE(field->text(), QString());
        QVERIFY(m_folder->services().prompter->messages().isEmpty()); // checked once
    }

    void runwayLongerThanTheDefaultAirportsIsRefused()
    {
        open();
        type("TxtMinRunwayLength", "0");
        QVERIFY(m_folder->services().prompter->messages().isEmpty());
        type("TxtMinRunwayLength", "6997");
        QVERIFY(m_folder->services().prompter->messages().isEmpty());
        m_folder->services().prompter->setNextAnswer(Button::Ok);
        type("TxtMinRunwayLength", "7000");
        expectMessage(Icon::Exclamation, "Settings",
                      "The Runway at 'KTEB' (6997 feet) is shorter than the Min. Runway setting "
                      "of 7000 feet.\r\rSelect another Default Airport or adjust the Minimum "
                      "Runway setting.");
        QCOMPARE(child("TxtDefaultAirport")->text(), QString());
    }

    void cancelThrowsAwayEverything()
    {
        const QString file = iniText();
        open();
        catalogues()->execute("DELETE FROM AdditionalCharges WHERE ChargeDescription = 'HANGAR'");
        QCOMPARE(chargeRows(), 5);
        type("TxtCompany", "Hudson Air");
        QTest::mouseClick(child<QPushButton>("CmdCancel"), Qt::LeftButton);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(chargeRows(), 6);
        QCOMPARE(iniText(), file);
        QVERIFY(m_host.calls.isEmpty());
    }

    void saveFailureIsReportedAndDropsTheCatalogueChanges()
    {
        m_host.failBasis = true;
        open();
        catalogues()->execute("DELETE FROM AdditionalCharges");
        m_folder->services().prompter->setNextAnswer(Button::Ok);
        QTest::mouseClick(child<QPushButton>("CmdSave"), Qt::LeftButton);
        expectMessage(Icon::Critical, "Brisklander",
                      "An error occurred\r\rError number = 3000\rQuote unreadable");
        QCOMPARE(chargeRows(), 6);
    }
};

QTEST_MAIN(TestFrmSettings)
#include "tst_frmsettings.moc"
