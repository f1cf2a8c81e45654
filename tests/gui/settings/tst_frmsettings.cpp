#include "core/db/engine.h"
#include "core/quote/aircraftcatalog.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/settings/frmsettings.h"
#include "gui/settings/settingshost.h"
#include "support/child.h"
#include "support/dialogkeys.h"
#include "support/systemfaults.h"
#include "support/tablerows.h"
#include "support/testfiles.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

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
    return QString::fromUtf8(TestFiles::contentOf(appContext().SettingsPath));
}
QStringList iniLines()
{
    return iniText().split(QRegularExpression("\\r?\\n"));
}
std::shared_ptr<Db::Database> database()
{
    return Db::DbEngine::instance().defaultWorkspace()->openDatabase(appContext().DatabasePath);
}

} // namespace

class TestFrmSettings : public FolderTest
{
    Q_OBJECT

    std::unique_ptr<FrmSettings> m_dialog;
    FakeHost m_host;

    template <typename T = QLineEdit> T* child(const QString& name)
    {
        return ::child<T>(*m_dialog, qPrintable(name));
    }
    void open()
    {
        m_dialog = std::make_unique<FrmSettings>(&m_host);
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    }
    // Types over a field's text; with `leave`, Tab then takes the focus on.
    void type(const QString& name, const QString& keys, bool leave = true)
    {
        child(name)->clear();
        typeInto(*m_dialog, name, keys);
        if (leave)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    void save()
    {
        QTest::keyClick(m_dialog.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!m_dialog->isVisible());
    }
    // Types each key into whatever has the focus, as the first one opens a grid's cell.
    static void keys(const QString& text)
    {
        for (const QChar key : text)
            QTest::keyClick(QApplication::focusWidget(), key.toLatin1());
    }
    // The operator deletes a charge on its tab.
    void deleteCharge(const QString& description)
    {
        QTest::keyClick(m_dialog.get(), Qt::Key_A, Qt::AltModifier);
        auto* grid = child<QTableView>("SSDBGridADDCharges");
        const QModelIndexList found =
            grid->model()->match(grid->model()->index(0, 0), Qt::DisplayRole, description);
        QCOMPARE(found.size(), 1);
        grid->selectRow(found.first().row());
        QTest::keyClick(m_dialog.get(), Qt::Key_D, Qt::AltModifier);
        QCOMPARE(grid->model()->match(grid->model()->index(0, 0), Qt::DisplayRole, description),
                 QModelIndexList());
    }

private slots:
    void init()
    {
        openFolder();
        LoadSettings(appContext().SettingsPath);
        m_host.calls.clear();
        m_host.failBasis = false;
    }
    void cleanup()
    {
        m_dialog.reset();
        closeFolder();
    }

    // On the taxes tab Tab goes through the grid, past its last cell (the grid's own
    // test) to the tab's other field, then Save and Cancel. (The main window's menu opens
    // the dialog in its Settings test.)
    void tabOrder()
    {
        open();
        auto* tabs = child<QTabWidget>("SSTab1");
        tabs->setCurrentIndex(2);
        tabs->tabBar()->setFocus();
        QCOMPARE(tabTrail(u"CmdCancel"_s).join(u' '),
                 u"SSDBGridTaxes TxtSegTax CmdSave CmdCancel"_s);
    }

    // The figures in the operator's own form, the record's flags as the controls' states.
    void shownAsStored()
    {
        QLocale::setDefault(QLocale(u"de_DE"_s));
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

    // Each company field shown as stored, named by its caption and saved by its key;
    // typing stops at its limit, and a stored text longer than that (the first field's)
    // is shown whole and only ever made shorter.
    void companyFields()
    {
        for (const CompanyField& field : CompanyFields::All)
            appSettings().company.*field.value = field.key + QString(field.limit, u'-');
        open();
        QCOMPARE(misnamedControls(*m_dialog), QStringList());
        CompanyDetails saved = appSettings().company;
        for (const CompanyField& field : CompanyFields::All) {
            QString& value = saved.*field.value;
            auto* edit = child(field.controlName);
            QCOMPARE(edit->text(), value);
            if (&field == &CompanyFields::All.front()) {
                edit->end(false);
                typeInto(*m_dialog, field.controlName, u"X"_s);
                QTest::keyClick(edit, Qt::Key_Backspace);
                value.chop(1);
            } else {
                type(field.controlName, field.key + QString(field.limit, u'.'), false);
                value = (field.key + QString(field.limit, u'.')).left(field.limit);
            }
            QCOMPARE(edit->text(), value);
        }
        save();
        QCOMPARE(appSettings().company, saved);
        for (const CompanyField& field : CompanyFields::All)
            QVERIFY2(iniLines().contains(field.key + u'=' + saved.*field.value), field.key.data());
    }

    // The Quotes tab from the keyboard: its access key, Browse giving the logo through the
    // file chooser, terms of two lines left by Tab; Save writes them to the file.
    void quotesTab()
    {
        open();
        m_folder->services().fileChooser->setAnswer(Platform::SaveFileAnswer{"/logos/sky.png", {}});
        QTest::keyClick(m_dialog.get(), Qt::Key_Q, Qt::AltModifier);
        QTRY_COMPARE(child<QTabWidget>("SSTab1")->currentIndex(), int(FrmSettings::QuotesTab));
        QTest::keyClick(m_dialog.get(), Qt::Key_R, Qt::AltModifier);
        QTest::keyClick(m_dialog.get(), Qt::Key_M, Qt::AltModifier);
        QTest::keyClicks(QApplication::focusWidget(), "Net 30 days.");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), "No refunds.");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>("TxtMailSubject"));
        save();
        const QStringList lines = iniLines();
        for (const char* line : {
                 "[QUOTES]",
                 "LOGO=/logos/sky.png",
                 R"(TERMS=Net 30 days.\nNo refunds.)",
             })
            QVERIFY2(lines.contains(QString::fromUtf8(line)), line);
    }

    // From the keyboard: the page's access key, a new profile typed cell by cell (the
    // values it leaves empty take their defaults) and chosen as the default, Save. Then a
    // profile with no ground speed stops the Save: its message, the focus on its wind,
    // nothing written; Cancel keeps the profile as it was saved.
    void aircraftProfiles()
    {
        const auto tab = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); };
        const auto profiles = [] { return AircraftCatalog::read(*database()); };
        const QList<AircraftProfile> samples = profiles();
        open();
        QTest::keyClick(m_dialog.get(), Qt::Key_P, Qt::AltModifier);
        QTRY_COMPARE(child<QTabWidget>("SSTab1")->currentIndex(),
                     int(FrmSettings::AircraftProfilesTab));
        QCOMPARE(tabTrail(u"CmdCancel"_s).join(u' '),
                 u"SSDBGridAircraft CboDefaultAircraft CmdSave CmdCancel"_s);
        QTest::keyClick(m_dialog.get(), Qt::Key_N, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>("SSDBGridAircraft"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
        for (const QString& cell : {u"Hawker 800"_s, u"430"_s, u"-6x0"_s, u""_s, u""_s, u""_s})
            keys(cell), tab();
        keys(u"4250,5"_s);
        QTest::keyClick(m_dialog.get(), Qt::Key_N, Qt::AltModifier);
        keys(u"Haw"_s);
        save();
        const AircraftProfile hawker{u"Hawker 800"_s, 430, -60, 0, 0, 0, 4250.5, std::nullopt, 60};
        QCOMPARE(profiles(), samples + QList{hawker});
        QVERIFY(iniLines().contains(u"AIRCRAFT=Hawker 800"_s));

        const QString file = iniText();
        open();
        QTest::keyClick(m_dialog.get(), Qt::Key_P, Qt::AltModifier);
        QTest::keyClick(m_dialog.get(), Qt::Key_N, Qt::AltModifier);
        QCOMPARE(child<QComboBox>("CboDefaultAircraft")->currentText(), hawker.name);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
        tab();
        keys(u"60"_s);
        prompter().setNextAnswer(Button::Ok);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
        verifyOnlyMessage(prompter(), Icon::Exclamation, "Settings",
                          u"The ground speed of 'Hawker 800' (cruise speed 60 and wind -60 "
                          "knots) must be above 0 knots."_s);
        auto* grid = child<QTableView>("SSDBGridAircraft");
        QCOMPARE(QApplication::focusWidget(), grid);
        QCOMPARE(grid->currentIndex(), grid->model()->index(int(samples.size()), 2));
        QVERIFY(m_dialog->isVisible());
        QTest::keyClick(m_dialog.get(), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!m_dialog->isVisible());
        QCOMPARE(profiles(), samples + QList{hawker});
        QCOMPARE(iniText(), file);
    }

    // A charge typed into its grid and another one's amount changed: the dialog holds no
    // transaction and writes nothing while it is open, nor at Cancel; Save writes both.
    void catalogueWrittenBySaveOnly()
    {
        const auto charges = [] {
            QStringList rows;
            auto records = database()->openRecordset(u"AdditionalCharges"_s);
            for (int i = 0; i < records->recordCount(); ++i)
                rows << records->row(i).value(0).toString() + u'=' +
                            records->row(i).value(1).toString();
            return rows;
        };
        const QStringList before = charges();
        for (const bool saving : {false, true}) {
            open();
            QTest::keyClick(m_dialog.get(), Qt::Key_A, Qt::AltModifier);
            typeInto(*m_dialog, u"SSDBGridADDCharges"_s, QString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home, Qt::ControlModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            keys(u"75"_s);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
            keys(u"Deicing"_s);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            keys(u"350.5"_s);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY(!Db::DbEngine::instance().defaultWorkspace()->inTransaction());
            QCOMPARE(charges(), before);
            if (!saving) {
                QTest::keyClick(m_dialog.get(), Qt::Key_C, Qt::AltModifier);
                QTRY_VERIFY(!m_dialog->isVisible());
                QCOMPARE(charges(), before);
            }
        }
        save();
        QStringList expected = before;
        expected.first() = expected.first().section(u'=', 0, 0) + u"=75"_s;
        QCOMPARE(charges(), expected + QStringList{u"Deicing=350.5"_s});
    }

    // Leaving a field formats it; the keys it cannot take are dropped as typed.
    void leaveRules_data() { addTableRows(u"gui/settings/frmsettings-leave.txt"_s); }
    void leaveRules()
    {
        QFETCH(QStringList, row);
        QLocale::setDefault(QLocale(row[0]));
        open();
        type(row[1], row[2]);
        QCOMPARE(child(row[1])->text(), row[3]);
    }

    // Save rewrites the lines of what changed and the basis (stored with blanks here),
    // figures in the plain form, the rest of the file byte for byte; the main window
    // hears of the basis and the minimum after the record has them.
    void saveWritesWhatChanged()
    {
        QStringList expected = iniLines().replaceInStrings("QUOTEBASE=NM", "QUOTEBASE= NM ");
        QVERIFY(writeFile(appContext().SettingsPath, expected.join("\r\n").toUtf8()));
        LoadSettings(appContext().SettingsPath);
        open();
        typeInto(*m_dialog, u"OptStatBase"_s, u" "_s);
        type(u"TxtDefaultChargeSM"_s, u"9.1"_s);
        type(u"TxtMinBaseCharge"_s, u"2000"_s);
        QTest::keyClick(m_dialog.get(), Qt::Key_W, Qt::AltModifier); // the ellipsoid
        save();
        QCOMPARE(appSettings().DISTANCEMODEL, DistanceModel::Wgs84);
        QStringList written = iniLines();
        QVERIFY(written.removeOne(u"DISTANCEMODEL=WGS84"_s)); // a key the file lacked joins it
        for (const QString& line :
             {u"QUOTEBASE=SM"_s, u"DEFAULTCHARGESM=9.1"_s, u"MINBASECHARGE=2000"_s}) {
            const QString key = line.section(u'=', 0, 0) + u'=';
            const auto at = std::find_if(expected.begin(), expected.end(),
                                         [&](const QString& l) { return l.startsWith(key); });
            QVERIFY2(at != expected.end(), qPrintable(key));
            *at = line;
        }
        QCOMPARE(written, expected);
        QCOMPARE(m_host.calls.join(u'|'), u"basis SM changed 9.1|minimum 2000|refresh"_s);
    }

    // The default airport must exist and have a runway of the minimum length. Leaving a
    // field, a tab coming to the front, or Save pressed in it, checks; towards Cancel
    // nothing is checked. A refusal empties the airport, brings its tab and the focus
    // back, and saves nothing.
    void defaultAirportChecks_data() { addTableRows(u"gui/settings/frmsettings-airport.txt"_s); }
    void defaultAirportChecks()
    {
        QFETCH(QStringList, row);
        const QString &leave = row[2], &message = row[3];
        const QString file = iniText();
        open();
        auto* tabs = child<QTabWidget>("SSTab1");
        type(row[0], row[1], false);
        if (!message.isEmpty())
            prompter().setNextAnswer(Button::Ok);
        if (leave == "Tab")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        else if (leave == "Alt+S")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
        else if (leave == "click")
            QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                              tabs->tabBar()->tabRect(FrmSettings::CompanyTab).center());
        else
            child<QWidget>("CmdCancel")->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(prompter().messages().size(), message.isEmpty() ? 0 : 1);
        if (message.isEmpty())
            return;
        verifyOnlyMessage(prompter(), Icon::Exclamation, "Settings", message);
        QTRY_COMPARE(tabs->currentIndex(), int(FrmSettings::DefaultsTab));
        QTRY_COMPARE(QApplication::focusWidget(), child("TxtDefaultAirport"));
        QVERIFY(m_dialog->isVisible() && child("TxtDefaultAirport")->text().isEmpty());
        QCOMPARE(iniText(), file);
        QCOMPARE(appSettings().DEFAULTAIRPORT, u"KTEB"_s);
        QVERIFY(m_host.calls.isEmpty() && prompter().messages().isEmpty()); // checked once
    }

    // Cancel, or a Save that cannot finish, leaves the settings file byte for byte as it
    // was. The main window failing, or a full disk, roll the catalogue (a charge deleted)
    // back too; a file
    // that cannot be written (each way a write fails is DurableFile's rows; a read-only
    // file stands for them) comes after the catalogue's commit. A failed Save names the
    // file and why (after the engine's message when the catalogue failed); the new values
    // apply for this run, and once the fault is mended a Save with nothing changed
    // writes them.
    void cancelOrFailedSaveLeavesTheFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason"); // in the settings message; empty: Cancel
        QTest::addColumn<int>("charges");    // the catalogue's rows afterwards, of 6
        QTest::addColumn<QString>("calls");
        const auto row = [](const char* name, const char* fault, const QString& reason, int charges,
                            const QString& calls) {
            QTest::newRow(name) << QString(fault) << reason << charges << calls;
        };
        row("Cancel", "cancel", "", 6, "");
        row("the main window fails", "host",
            "The catalogue changes could not be saved, so the settings were not written either.", 6,
            "basis NM kept 7.39");
        row("full disk", "full", "No space left on device", 6, "basis NM kept 7.39");
        row("read-only file", "file", "The file is read-only.", 5, "basis NM kept 7.39|refresh");
    }
    void cancelOrFailedSaveLeavesTheFile()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        const QString folder = m_folder->filePath("disk");
        std::unique_ptr<TinyDisk> disk;
        if (fault == "full") {
            if (!runningAsRoot())
                QSKIP("needs root to mount file systems");
            const qint64 size = QFileInfo(appContext().DatabasePath).size() + 256 * 1024;
            disk = std::make_unique<TinyDisk>(folder, QByteArray::number(size));
            if (!disk->isMounted())
                QSKIP("cannot mount a tmpfs here");
            QVERIFY(QDir().mkpath(folder));
            // The settings file and the database on the small disk.
            for (QString* path : {&appContext().SettingsPath, &appContext().DatabasePath}) {
                const QString moved = folder + u'/' + QFileInfo(*path).fileName();
                QVERIFY(QFile::copy(*path, moved));
                *path = moved;
            }
            LoadSettings(appContext().SettingsPath);
        }
        m_host.failBasis = fault == "host";
        const QString before = iniText();
        open();
        deleteCharge(u"HANGAR"_s);
        if (fault == "full")
            disk->fill();
        else if (fault == "file")
            QVERIFY(QFile::setPermissions(appContext().SettingsPath, QFile::ReadOwner));
        type("TxtCompany", "Hudson Air");
        typeInto(*m_dialog, u"TxtTerms"_s, u"Net 30"_s);
        const int messages = reason.isEmpty() ? 0 : fault == "host" || fault == "full" ? 2 : 1;
        for (int answer = 0; answer < messages; ++answer)
            prompter().setNextAnswer(Button::Ok);
        QTest::keyClick(m_dialog.get(), reason.isEmpty() ? Qt::Key_C : Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!m_dialog->isVisible());
        QCOMPARE(iniText(), before);
        QTEST(database()->openRecordset(u"AdditionalCharges"_s)->recordCount(), "charges");
        QTEST(m_host.calls.join(u'|'), "calls");
        const auto& shown = prompter().messages();
        QCOMPARE(shown.size(), messages);
        QCOMPARE(appSettings().company.NAME, reason.isEmpty() ? QString() : u"Hudson Air"_s);
        QCOMPARE(appSettings().TERMS, reason.isEmpty() ? QString() : u"Net 30"_s);
        if (reason.isEmpty())
            return;
        QString why;
        const QString unsaved = u"The settings could not be written to the file '%1':\r\r%2\r\r"
                                "The file was left as it was. The new settings apply until the "
                                "program ends; save them again when the file can be written."_s;
        QVERIFY2(sameMessage(shown.last(), Icon::Critical, "Settings",
                             unsaved.arg(appContext().SettingsPath, reason), Button::Ok, &why),
                 qPrintable(why));
        if (messages == 2)
            QVERIFY2(sameMessage(shown.first(), Icon::Critical, "Brisklander",
                                 u"An error occurred\r\rError number = "_s +
                                     (fault == "host" ? u"3000\rQuote unreadable"_s : u"*"_s),
                                 Button::Ok, &why),
                     qPrintable(why));
        prompter().clear();
        QFile::remove(folder + "/filler");
        QVERIFY(
            QFile::setPermissions(appContext().SettingsPath, QFile::ReadOwner | QFile::WriteOwner));
        m_host.failBasis = false;
        open();
        save();
        QVERIFY(iniLines().contains("NAME=Hudson Air") && iniLines().contains("TERMS=Net 30"));
    }
};

QTEST_MAIN(TestFrmSettings)
#include "tst_frmsettings.moc"
