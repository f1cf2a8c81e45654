#include "core/db/engine.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/settings/frmsettings.h"
#include "gui/settings/settingshost.h"
#include "support/child.h"
#include "support/dialogkeys.h"
#include "support/programfolder.h"
#include "support/systemfaults.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

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
        calls << u"basis %1 %2 %3"_s.arg(SettingsText::quoteBase(basis),
                                         basisChanged ? "changed" : "kept",
                                         SettingsText::number(appSettings().DEFAULTCHARGESM));
        if (failBasis)
            throw Db::DbError(Db::Error::EngineFailure, u"Quote unreadable"_s);
    }
    void applyMinimumBaseCharge() override
    {
        calls << "minimum " + SettingsText::number(appSettings().MINBASECHARGE);
    }
    void refreshAfterSettings() override { calls << u"refresh"_s; }
};

QString iniText()
{
    QFile file(appContext().SettingsPath);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
QStringList iniLines()
{
    return iniText().split(QRegularExpression("\\r?\\n"));
}
int chargeRows()
{
    return Db::DbEngine::instance()
        .defaultWorkspace()
        ->openDatabase(appContext().DatabasePath)
        ->openRecordset(u"AdditionalCharges"_s)
        ->recordCount();
}
void deleteCharges(const QString& where)
{
    Db::DbEngine::instance()
        .defaultWorkspace()
        ->openDatabase(appContext().DatabasePath)
        ->execute("DELETE FROM AdditionalCharges" + where);
}
// The message for settings a Save could not write, which stay pending.
QString unsaved(const QString& reason)
{
    return u"The settings could not be written to the file '%1':\r\r%2\r\rThe file was left as "
           "it was. The new settings apply until the program ends; save them again when the "
           "file can be written."_s.arg(appContext().SettingsPath, reason);
}
const QLocale Us(QLocale::English, QLocale::UnitedStates), De(QLocale::German, QLocale::Germany);

} // namespace

class TestFrmSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<FrmSettings> m_dialog;
    FakeHost m_host;

    template <typename T = QLineEdit> T* child(const QString& name)
    {
        return ::child<T>(*m_dialog, qPrintable(name));
    }
    ScriptedPrompter& prompter() { return m_folder->prompter(); }
    void open()
    {
        m_dialog = std::make_unique<FrmSettings>(&m_host);
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    }
    // Types over a field's text; with `leave`, Tab then takes the focus on.
    void type(const QString& name, const QString& keys, bool leave = true)
    {
        auto* field = child(name);
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        field->clear();
        QTest::keyClicks(field, keys);
        if (leave)
            QTest::keyClick(field, Qt::Key_Tab);
    }
    void save()
    {
        QTest::keyClick(m_dialog.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!m_dialog->isVisible());
    }

private slots:
    void init()
    {
        QLocale::setDefault(Us);
        m_folder = std::make_unique<ProgramFolder>();
        QVERIFY(m_folder->open());
        LoadSettings(appContext().SettingsPath);
        m_host.calls.clear();
        m_host.failBasis = false;
    }
    void cleanup()
    {
        m_dialog.reset();
        const QString unexpected = m_folder->unexpectedMessage();
        const int pending = prompter().pendingAnswers();
        const bool busy = m_folder->services().pointer->isBusy();
        m_folder.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
        QCOMPARE(pending, 0);
        QVERIFY(!busy);
    }

    // Opened from the main window's menu, Tab reaches every control of the tab in front
    // in the order they are shown (each grid is left past its last cell), then Save
    // and Cancel.
    void tabOrder_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("trail"); // before Save and Cancel; the company's from its table
        QTest::newRow("defaults") << 0
                                  << "OptNautBase TxtMinRunwayLength TxtDefaultChargeNM "
                                     "TxtDefaultChargeSM TxtMinBaseCharge TxtDefaultAirport "
                                     "ChkRoundMiles";
        QTest::newRow("charges") << 1 << "SSDBGridADDCharges";
        QTest::newRow("taxes") << 2 << "SSDBGridTaxes TxtSegTax";
        QTest::newRow("company") << 3 << "";
    }
    void tabOrder()
    {
        QFETCH(int, tab);
        QFETCH(QString, trail);
        for (const CompanyField& field : CompanyFields::All)
            trail += tab == FrmSettings::CompanyTab ? u' ' + field.controlName : QString();
        auto window = m_folder->showMainWindow();
        QVERIFY(window);
        QStringList walked;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog && QTest::qWaitFor([dialog] { return dialog->isActiveWindow(); }));
            auto* tabs = ::child<QTabWidget>(*dialog, "SSTab1");
            tabs->setCurrentIndex(tab);
            tabs->tabBar()->setFocus();
            walked = tabTrail(u"CmdCancel"_s);
            dialog->reject();
        });
        window->findChild<QAction*>("mnuSettings")->trigger();
        QCOMPARE(walked.join(u' '), (trail + u" CmdSave CmdCancel"_s).trimmed());
    }

    // The figures in the operator's own form, the record's flags as the controls' states.
    void shownAsStored()
    {
        QLocale::setDefault(De);
        appSettings().QUOTEBASE = QuoteBase::Statute;
        appSettings().DEFAULTCHARGENM = 2.7;
        appSettings().ROUNDMILES = true;
        open();
        QVERIFY(child<QRadioButton>("OptStatBase")->isChecked());
        QVERIFY(child<QAbstractButton>("ChkRoundMiles")->isChecked());
        QStringList shown;
        for (const char* name : {"TxtMinRunwayLength", "TxtDefaultChargeNM", "TxtDefaultChargeSM",
                                 "TxtMinBaseCharge", "TxtDefaultAirport", "TxtSegTax"})
            shown << child(name)->text();
        QCOMPARE(shown.join(u' '), u"3000 2,70 7,39 1.500,00 KTEB 5,30"_s);
    }

    // Each company field: a stored text longer than its limit shown whole and only ever
    // made shorter, typing up to the limit, the caption as its name, saved by its key.
    void companyFields()
    {
        for (const CompanyField& field : CompanyFields::All)
            appSettings().company.*field.value = field.key + QString(field.limit, u'-');
        open();
        CompanyDetails saved = appSettings().company;
        bool typeOver = false;
        for (const CompanyField& field : CompanyFields::All) {
            QString& value = saved.*field.value;
            auto* edit = child(field.controlName);
            QCOMPARE(edit->text(), value);
            QCOMPARE(edit->accessibleName(), QString(field.caption));
            if ((typeOver = !typeOver)) {
                type(field.controlName, field.key + QString(field.limit, u'.'), false);
                value = (field.key + QString(field.limit, u'.')).left(field.limit);
            } else {
                edit->setFocus();
                edit->end(false);
                QTest::keyClicks(edit, u"XY"_s);
                QTest::keyClick(edit, Qt::Key_Backspace);
                QTest::keyClicks(edit, u"N"_s);
                value.chop(1);
            }
            QCOMPARE(edit->text(), value);
        }
        save();
        QCOMPARE(appSettings().company, saved);
        for (const CompanyField& field : CompanyFields::All)
            QVERIFY2(iniLines().contains(field.key + u'=' + saved.*field.value), field.key.data());
    }

    // Leaving a field formats it; the keys it cannot take are dropped as typed.
    void leaveRules_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const QLocale& locale, const char* field,
                            const char* keys, const char* shown) {
            QTest::newRow(name) << locale << QString(field) << QString(keys) << QString(shown);
        };
        row("charge NM padded", Us, "TxtDefaultChargeNM", "2.7", "2.70");
        row("charge NM empty", Us, "TxtDefaultChargeNM", "", "0.00");
        row("charge NM longer than its limit", Us, "TxtDefaultChargeNM", "100000", "100000.00");
        row("one point, no letters", Us, "TxtDefaultChargeSM", "1a.2.3", "1.23");
        row("minimum grouped", Us, "TxtMinBaseCharge", "12345.6", "12,345.60");
        row("minimum grouped past its limit", Us, "TxtMinBaseCharge", "1234567.8", "1,234,567.80");
        row("segment tax point only", Us, "TxtSegTax", ".", "0.00");
        row("runway digits only", Us, "TxtMinRunwayLength", "0-07.0x", "70");
        row("runway empty", Us, "TxtMinRunwayLength", "", "0");
        row("airport upper case", Us, "TxtDefaultAirport", "kteb", "KTEB");
        row("de_DE keypad point types the comma", De, "TxtDefaultChargeNM", "9.7,5", "9,75");
        row("de_DE minimum grouped", De, "TxtMinBaseCharge", "2000,5", "2.000,50");
    }
    void leaveRules()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, field);
        QLocale::setDefault(locale);
        open();
        QFETCH(QString, keys);
        type(field, keys);
        QTEST(child(field)->text(), "shown");
    }

    // Save rewrites the lines of what changed and the basis (stored with blanks here),
    // figures in the plain form, the rest of the file byte for byte; the main window
    // hears of the basis and the minimum after the record has them.
    void saveWritesWhatChanged_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("typing"); // control=keys|...
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("calls");
        QTest::newRow("company name alone") << Us << "TxtCompany=Hudson Air"
                                            << "QUOTEBASE=NM|NAME=Hudson Air"
                                            << "basis NM kept 7.39|refresh";
        QTest::newRow("basis and minimum")
            << Us << "OptStatBase= |TxtDefaultChargeSM=9.1|TxtMinBaseCharge=2000"
            << "QUOTEBASE=SM|DEFAULTCHARGESM=9.1|MINBASECHARGE=2000"
            << "basis SM changed 9.1|minimum 2000|refresh";
        QTest::newRow("figures past their limits")
            << Us << "TxtMinBaseCharge=1234567.8|TxtDefaultChargeNM=100000"
            << "QUOTEBASE=NM|DEFAULTCHARGENM=100000|MINBASECHARGE=1234567.8"
            << "basis NM kept 7.39|minimum 1234567.8|refresh";
        QTest::newRow("de_DE figures") << De << "TxtDefaultChargeNM=9,75|TxtMinBaseCharge=2000,5"
                                       << "QUOTEBASE=NM|DEFAULTCHARGENM=9.75|MINBASECHARGE=2000.5"
                                       << "basis NM kept 7.39|minimum 2000.5|refresh";
    }
    void saveWritesWhatChanged()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, typing);
        QFETCH(QString, lines);
        QLocale::setDefault(locale);
        QStringList expected = iniLines().replaceInStrings("QUOTEBASE=NM", "QUOTEBASE= NM ");
        QFile file(appContext().SettingsPath);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(expected.join("\r\n").toUtf8());
        file.close();
        LoadSettings(appContext().SettingsPath);
        open();
        for (const QString& entry : typing.split(u'|')) {
            const QString name = entry.section(u'=', 0, 0), keys = entry.section(u'=', 1);
            if (name.startsWith("Opt")) {
                child<QWidget>(name)->setFocus();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            } else {
                type(name, keys);
            }
        }
        save();
        for (const QString& line : lines.split(u'|')) {
            const QString key = line.section(u'=', 0, 0) + u'=';
            const auto at = std::find_if(expected.begin(), expected.end(),
                                         [&](const QString& l) { return l.startsWith(key); });
            QVERIFY2(at != expected.end(), qPrintable(key));
            *at = line;
        }
        QCOMPARE(iniLines(), expected);
        QTEST(m_host.calls.join(u'|'), "calls");
    }

    // The default airport must exist and have a runway of the minimum length. Leaving a
    // field (for another tab too), or Save pressed in it, checks; towards Cancel nothing
    // is checked. A refusal empties the airport, brings its tab and the focus back, and
    // saves nothing.
    void defaultAirportChecks_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("leave");
        QTest::addColumn<QString>("message"); // empty: accepted
        const QString unknown = u"Airport Identifier 'ZZZZ' not found."_s;
        const QString runway = u"The Runway at 'KTEB' (6997 feet) is shorter than the Min. Runway "
                               "setting of %1 feet.\r\rSelect another Default Airport or adjust "
                               "the Minimum Runway setting."_s;
        const auto row = [](const char* name, const char* field, const char* keys,
                            const char* leave, const QString& message) {
            QTest::newRow(name) << QString(field) << QString(keys) << QString(leave) << message;
        };
        row("unknown airport, Tab", "TxtDefaultAirport", "zzzz", "Tab", unknown);
        row("unknown airport, Enter", "TxtDefaultAirport", "zzzz", "Enter", unknown);
        row("unknown airport, Alt+S", "TxtDefaultAirport", "zzzz", "Alt+S", unknown);
        row("unknown airport, click on a tab", "TxtDefaultAirport", "zzzz", "click", unknown);
        row("unknown airport, a tab's Alt+I", "TxtDefaultAirport", "zzzz", "Alt+I", unknown);
        row("unknown airport, Ctrl+Tab", "TxtDefaultAirport", "zzzz", "Ctrl+Tab", unknown);
        row("unknown airport towards Cancel", "TxtDefaultAirport", "zzzz", "Cancel", {});
        row("runway 0", "TxtMinRunwayLength", "0", "Tab", {});
        row("runway as long as the airport's", "TxtMinRunwayLength", "6997", "Tab", {});
        row("runway 7000, Tab", "TxtMinRunwayLength", "7000", "Tab", runway.arg(7000));
        row("runway 9000, Enter", "TxtMinRunwayLength", "9000", "Enter", runway.arg(9000));
        row("runway 9000, Alt+S", "TxtMinRunwayLength", "9000", "Alt+S", runway.arg(9000));
    }
    void defaultAirportChecks()
    {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(QString, leave);
        QFETCH(QString, message);
        const QString file = iniText();
        open();
        auto* tabs = child<QTabWidget>("SSTab1");
        type(field, keys, false);
        if (!message.isEmpty())
            prompter().setNextAnswer(Button::Ok);
        QWidget* focus = QApplication::focusWidget();
        if (leave == "Tab" || leave == "Ctrl+Tab")
            QTest::keyClick(focus, Qt::Key_Tab,
                            leave == "Tab" ? Qt::NoModifier : Qt::ControlModifier);
        else if (leave == "Enter")
            QTest::keyClick(focus, Qt::Key_Return);
        else if (leave.startsWith("Alt+"))
            QTest::keyClick(focus, leave == "Alt+S" ? Qt::Key_S : Qt::Key_I, Qt::AltModifier);
        else if (leave == "click")
            QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                              tabs->tabBar()->tabRect(FrmSettings::CompanyTab).center());
        else
            child<QWidget>("CmdCancel")->setFocus(Qt::MouseFocusReason);
        if (message.isEmpty()) {
            QVERIFY(prompter().messages().isEmpty());
            return;
        }
        QTRY_COMPARE(prompter().messages().size(), 1);
        verifyOnlyMessage(prompter(), Icon::Exclamation, "Settings", message);
        auto* airport = child("TxtDefaultAirport");
        QTRY_COMPARE(tabs->currentIndex(), int(FrmSettings::DefaultsTab));
        QTRY_COMPARE(QApplication::focusWidget(), airport);
        QVERIFY(airport->isVisible() && m_dialog->isVisible());
        QCOMPARE(airport->text(), QString());
        QCOMPARE(iniText(), file);
        QCOMPARE(appSettings().DEFAULTAIRPORT, u"KTEB"_s);
        QVERIFY(m_host.calls.isEmpty());
        QVERIFY(prompter().messages().isEmpty()); // checked once
    }

    // Cancel, or a Save that cannot finish, leaves the settings file byte for byte as it
    // was. The main window failing, or a full disk, roll the catalogue back too; a file
    // that cannot be written comes after the catalogue's commit. A failed Save names the
    // file and why (after the engine's message when the catalogue failed); the new values
    // apply for this run, and once the fault is mended a Save with nothing changed
    // writes them.
    void cancelOrFailedSaveLeavesTheFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason"); // in the settings message; empty: Cancel
        QTest::addColumn<int>("charges");    // the catalogue's rows afterwards, of 6
        QTest::addColumn<QString>("calls");
        QTest::newRow("Cancel") << "cancel"
                                << "" << 6 << "";
        QTest::newRow("the main window fails")
            << "host"
            << "The catalogue changes could not be saved, so the settings were not written "
               "either."
            << 6 << "basis NM kept 7.39";
        QTest::newRow("full disk") << "full"
                                   << "No space left on device" << 6 << "basis NM kept 7.39";
        QTest::newRow("read-only folder")
            << "folder"
            << "Read-only file system" << 5 << "basis NM kept 7.39|refresh";
        QTest::newRow("read-only file")
            << "file"
            << "The file is read-only." << 5 << "basis NM kept 7.39|refresh";
    }
    void cancelOrFailedSaveLeavesTheFile()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        const QString folder = m_folder->filePath("disk");
        std::unique_ptr<TinyDisk> disk;
        if (fault == "full" || fault == "folder") {
            if (!runningAsRoot())
                QSKIP("needs root to mount file systems");
            const qint64 size = QFileInfo(appContext().DatabasePath).size() + 256 * 1024;
            disk = std::make_unique<TinyDisk>(folder, QByteArray::number(size));
            if (!disk->isMounted())
                QSKIP("cannot mount a tmpfs here");
            QVERIFY(QDir().mkpath(folder));
            // The settings file on the small disk; for a full disk the database too.
            for (QString* path : {&appContext().SettingsPath, &appContext().DatabasePath}) {
                if (path == &appContext().DatabasePath && fault != "full")
                    continue;
                const QString moved = folder + u'/' + QFileInfo(*path).fileName();
                QVERIFY(QFile::copy(*path, moved));
                *path = moved;
            }
            LoadSettings(appContext().SettingsPath);
        }
        m_host.failBasis = fault == "host";
        const QString before = iniText();
        open();
        deleteCharges(" WHERE ChargeDescription = 'HANGAR'");
        std::unique_ptr<ReadOnlyFolder> readOnly;
        if (fault == "full") {
            disk->fill();
        } else if (fault == "folder") {
            readOnly = std::make_unique<ReadOnlyFolder>(folder);
            QVERIFY(readOnly->isReadOnly());
        } else if (fault == "file") {
            QVERIFY(QFile::setPermissions(appContext().SettingsPath,
                                          QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }
        type("TxtCompany", "Hudson Air");
        const int messages = reason.isEmpty() ? 0 : fault == "host" || fault == "full" ? 2 : 1;
        for (int answer = 0; answer < messages; ++answer)
            prompter().setNextAnswer(Button::Ok);
        QTest::keyClick(m_dialog.get(), reason.isEmpty() ? Qt::Key_C : Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!m_dialog->isVisible());
        QCOMPARE(iniText(), before);
        QTEST(chargeRows(), "charges");
        QTEST(m_host.calls.join(u'|'), "calls");
        const auto& shown = prompter().messages();
        QCOMPARE(shown.size(), messages);
        QCOMPARE(appSettings().company.NAME, reason.isEmpty() ? QString() : u"Hudson Air"_s);
        if (reason.isEmpty())
            return;
        QString why;
        QVERIFY2(sameMessage(shown.last(), Icon::Critical, "Settings", unsaved(reason), Button::Ok,
                             &why),
                 qPrintable(why));
        if (messages == 2) {
            const QString database = fault == "host" ? u"An error occurred\r\rError number = "
                                                       "3000\rQuote unreadable"_s
                                                     : shown.first().text;
            QVERIFY2(database.startsWith("An error occurred\r\rError number = "),
                     qPrintable(database));
            QVERIFY(
                sameMessage(shown.first(), Icon::Critical, "Brisklander", database, Button::Ok));
        }
        prompter().clear();
        readOnly.reset();
        QFile::remove(folder + "/filler");
        QVERIFY(
            QFile::setPermissions(appContext().SettingsPath, QFile::ReadOwner | QFile::WriteOwner));
        m_host.failBasis = false;
        open();
        save();
        QVERIFY(iniLines().contains("NAME=Hudson Air"));
    }
};

QTEST_MAIN(TestFrmSettings)
#include "tst_frmsettings.moc"
