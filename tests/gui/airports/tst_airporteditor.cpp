#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/settings/appsettings.h"
#include "gui/airports/airporteditor.h"
#include "gui/appcontext.h"
#include "support/airportrow.h"
#include "support/child.h"
#include "support/dialogkeys.h"
#include "support/recordinghost.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

using namespace Qt::StringLiterals;
using Platform::Button;
using Platform::Icon;

namespace {

// South and east within one degree, no runway width.
const AirportRecord Equator = {"ZZEQ",
                               "EQUATOR STRIP",
                               "X",
                               "UGANDA",
                               -11,
                               {"-00", 30, 15.5},
                               {"-000", 45, 0},
                               3658,
                               std::nullopt,
                               -3.75f,
                               "J",
                               true,
                               false,
                               "JET ONLY",
                               "MEDIUM",
                               "Africa/Kampala",
                               "EBB",
                               "ENTEBBE"};

Db::Workspace& ws()
{
    return *appContext().Workspace;
}
std::optional<AirportRecord> read(const QString& id)
{
    return ReadAirport(ws(), appContext().DatabasePath, id);
}
QString focused()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}
// The number and description lines of the engine's failure.
QString failureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Db::DbError& error) {
        return QString::number(error.number()) + u'\r' + error.description();
    }
    return u"(no failure)"_s;
}

} // namespace

// The Add and Modify Airport windows: the entry's rules are on AirportEntry; here each
// rule's wiring (message, focus), what is stored and what the main window is told.
class TestAirportEditor : public FolderTest
{
    Q_OBJECT

    RecordingHost m_host;

    static void open(QDialog& dialog)
    {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }
    std::unique_ptr<QDialog> editor(bool modify)
    {
        if (modify)
            return std::make_unique<FrmModAirport>(&m_host, u"KTEB"_s);
        return std::make_unique<FrmAddAirport>(&m_host);
    }
    // Focuses the control and types; a leading "^" presses Home first.
    static void type(QDialog& dialog, const QString& name, QString keys)
    {
        typeInto(dialog, name, {});
        if (keys.startsWith(u'^'))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
        QTest::keyClicks(QApplication::focusWidget(), keys.remove(u'^'));
    }
    // Save pressed with the mouse: the message shown, and where the focus went.
    void save(QDialog& dialog, Icon icon, const QString& message, const QString& focus = {})
    {
        prompter().setNextAnswer(Button::Ok);
        QTest::mouseClick(child<QPushButton>(dialog, "CmdSave"), Qt::LeftButton);
        const bool modify = qobject_cast<FrmModAirport*>(&dialog);
        verifyOnlyMessage(prompter(), icon, modify ? "Modify Airport" : "Add Airport", message);
        if (!focus.isEmpty())
            QCOMPARE(focused(), focus);
    }
    // A complete entry set without typing, from a control with no leave rule.
    static void fillValid(QDialog& dialog, const char* id)
    {
        child<QWidget>(dialog, "CBPubMil")->setFocus();
        for (const QString& entry : u"TxtIdent=%1|TxtAirportName=NEW FIELD|TxtLatitude=N1000|"
                                    "TxtLongitude=W02000|TxtCountry=X|TxtElevation=1|"
                                    "TxtRwyLength=500|TxtTimeZone=0"_s.arg(id)
                                        .split(u'|'))
            child<QLineEdit>(dialog, qPrintable(entry.section(u'=', 0, 0)))
                ->setText(entry.section(u'=', 1));
        child<QComboBox>(dialog, "CBPubMil")->setCurrentIndex(0);
    }
    // Points the program at a database that is not there; the engine's lines for it.
    QString loseDatabase()
    {
        appContext().DatabasePath = m_folder->filePath(u"missing.mdb"_s);
        return failureOf([] { read("KTEB"); });
    }

private slots:
    void init()
    {
        openFolder();
        appSettings() = AppSettings();
        m_host.calls.clear();
    }
    void cleanup() { closeFolder(); }

    // Both windows open in the identifier; Tab goes through the 17 fields, past the
    // empty ones without a word, then Save and Cancel. Screen readers name each field
    // by its label.
    void tabOrder_data()
    {
        QTest::addColumn<bool>("modify");
        QTest::newRow("add") << false;
        QTest::newRow("modify") << true;
    }
    void tabOrder()
    {
        QFETCH(bool, modify);
        const auto window = editor(modify);
        open(*window);
        QCOMPARE(misnamedControls(*window), QStringList());
        QCOMPARE(focused(), u"TxtIdent"_s);
        QCOMPARE(tabTrail(u"CmdCancel"_s).size(), 19);
    }

    // The rule's cases are on AirportEntryRules. Tab leaves by the rule and shows the
    // short form; towards Cancel nothing is refused; Enter presses Save, which leaves
    // the field first and stops when it is refused.
    void timeZoneLeaveRule_data()
    {
        QTest::addColumn<int>("leaveBy");  // 0: the focus goes to Cancel
        QTest::addColumn<bool>("refused"); // a beep, and the focus stays
        QTest::newRow("Tab") << int(Qt::Key_Tab) << true;
        QTest::newRow("towards Cancel") << 0 << false;
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
    }
    void timeZoneLeaveRule()
    {
        QFETCH(int, leaveBy);
        QFETCH(bool, refused);
        FrmAddAirport add(&m_host);
        open(add);
        type(add, "TxtTimeZone", "13");
        if (leaveBy)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(leaveBy));
        else
            child<QPushButton>(add, "CmdCancel")->setFocus(Qt::MouseFocusReason);
        QCOMPARE(child<QLineEdit>(add, "TxtTimeZone")->text(), u"+13"_s);
        QCOMPARE(prompter().beeps(), refused ? 1 : 0);
        QCOMPARE(focused() == "TxtTimeZone", refused);
    }

    // An identifier that exists, or that the engine cannot look up, is refused on leaving
    // and emptied.
    void identifierCheckOnLeaving()
    {
        FrmAddAirport add(&m_host);
        open(add);
        auto* ident = child<QLineEdit>(add, "TxtIdent");
        type(add, "TxtIdent", "kteb");
        prompter().setNextAnswer(Button::Ok);
        QTest::keyClick(ident, Qt::Key_Tab);
        verifyOnlyMessage(prompter(), Icon::Exclamation, "Add Airport",
                          "Airport Identifier 'KTEB' already exists.");
        QCOMPARE(ident->text(), QString());
        QCOMPARE(focused(), u"TxtIdent"_s);
        const QString failure = loseDatabase();
        QTest::keyClicks(ident, "zzac");
        prompter().setNextAnswer(Button::Ok);
        QTest::keyClick(ident, Qt::Key_Tab);
        verifyOnlyMessage(prompter(), Icon::Critical, "Brisklander",
                          "An Error Occurred:\r\rError Number = " + failure);
        QCOMPARE(ident->text(), QString());
    }

    // Save's checks and their order are on AirportEntry; here the message, and the
    // focus going to the field named, first, in the middle and last.
    void validationInOrder()
    {
        FrmAddAirport add(&m_host);
        open(add);
        save(add, Icon::Exclamation, "Enter Airport Identifier.", "TxtIdent");
        type(add, "TxtIdent", "zzq");
        type(add, "TxtAirportName", "order");
        type(add, "TxtLatitude", "4");
        save(add, Icon::Exclamation, "Invalid Latitude.", "TxtLatitude");
        fillValid(add, "ZZQ");
        child<QComboBox>(add, "CBPubMil")->setCurrentIndex(-1);
        save(add, Icon::Exclamation, "Select Type Airport (Public, Military, Joint or Private).",
             "CBPubMil");
        child<QComboBox>(add, "CBPubMil")->setCurrentIndex(0);
        type(add, "TxtIata", "l1");
        save(add, Icon::Exclamation, "The IATA Code must be three letters, or left empty.",
             "TxtIata");
        type(add, "CBTimeZoneName", "Mars/Olympus");
        save(add, Icon::Exclamation,
             "The time zone name \"Mars/Olympus\" is not one this computer knows.\r\rChoose "
             "one from the list, or leave the field empty to keep the airport's standard time "
             "alone.",
             "CBTimeZoneName");
    }

    // Typed through the key filters, which drop what a field refuses; the user's decimal
    // sign is typed and shown. Below the minimum runway the operator is told.
    void addWritesEveryColumn_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("at the minimum runway") << 3658 << QLocale(QLocale::English);
        QTest::newRow("below it, de_DE") << 3659 << QLocale(QLocale::German, QLocale::Germany);
    }
    void addWritesEveryColumn()
    {
        QFETCH(int, minimum);
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        const QString point = locale.decimalPoint();
        appSettings().MINRUNWAYLENGTH = minimum;
        FrmAddAirport add(&m_host);
        open(add);
        for (const QString& entry :
             u"TxtIdent=zzeqx|TxtAirportName=equator strip|TxtLatitude=^s0030155|"
             "TxtLongitude=^e00045|TxtState=x|TxtCountry=uganda|TxtElevation=-1-1|CheckIFR= |"
             "TxtRwyLength=3.6-58|TxtTimeZone=-3.7.+5|CBTimeZoneName=africa/kamp|CBPubMil=j|"
             "SSDBCBFuel=j|SSDBCBLights=m|TxtIata=ebb|TxtCity=entebbe"_s.split(u'|'))
            type(add, entry.section(u'=', 0, 0), entry.section(u'=', 1).replace(u'.', point));
        if (minimum > Equator.RUNWAY_LENGTH)
            save(add, Icon::Information,
                 "Runway Length is below current Minimum Runway Length setting.\r\r"
                 "Airport will be shown in Red in the Airport List.");
        else
            QTest::mouseClick(child<QPushButton>(add, "CmdSave"), Qt::LeftButton);
        QVERIFY(!add.isVisible());
        QCOMPARE(airportRow(read("ZZEQ").value()), airportRow(Equator));
        QCOMPARE(m_host.calls, QStringList({"refresh", "clear"}));
        FrmModAirport modify(&m_host, "ZZEQ");
        modify.fill(read("ZZEQ").value());
        QCOMPARE(child<QLineEdit>(modify, "TxtLatitude")->text(), "S00°30'15" + point + "500\"");
        QCOMPARE(child<QLineEdit>(modify, "TxtTimeZone")->text(), "-3" + point + "75");
    }

    // Modify tells the main window what changed (Cancel: nothing) and ends its edit
    // session; the identifier being modified is not refused for existing.
    void modifySaveOrCancel_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("calls"); // none: Cancel
        const QString route = u"route ZZEQ>ZZEQ EQUATOR STRIP>%1 %2"_s;
        QTest::newRow("unchanged") << ""
                                   << "" << QStringList{"refresh", "show ZZEQ"};
        QTest::newRow("name only")
            << "TxtAirportName"
            << "SOUTH" << QStringList{"refresh", route.arg("SOUTH", "kept"), "show ZZEQ"};
        QTest::newRow("moved") << "TxtLatitude" << u"S00°31'15.500\""_s
                               << QStringList{"refresh", route.arg("EQUATOR STRIP", "moved"),
                                              "show ZZEQ"};
        QTest::newRow("cancelled") << "TxtAirportName"
                                   << "SOUTH" << QStringList();
    }
    void modifySaveOrCancel()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QStringList, calls);
        AddAirport(ws(), appContext().DatabasePath, Equator);
        FrmModAirport modify(&m_host, "ZZEQ");
        modify.fill(read("ZZEQ").value());
        open(modify);
        QTRY_VERIFY(ws().inTransaction());
        QTest::keyClick(child<QLineEdit>(modify, "TxtIdent"), Qt::Key_Tab);
        if (!field.isEmpty())
            child<QLineEdit>(modify, qPrintable(field))->setText(value);
        QTest::mouseClick(child<QPushButton>(modify, calls.isEmpty() ? "CmdCancel" : "CmdSave"),
                          Qt::LeftButton);
        AirportRecord expected = Equator;
        if (!calls.isEmpty() && field == "TxtAirportName")
            expected.NAME = value;
        else if (field == "TxtLatitude")
            expected.Latitude.Minutes = 31;
        QVERIFY(!modify.isVisible());
        QVERIFY(!ws().inTransaction());
        QCOMPARE(m_host.calls, calls);
        QCOMPARE(airportRow(read("ZZEQ").value()), airportRow(expected));
    }

    // Another airport's identifier: the save is rolled back and the table left as it
    // was; a modify's edit session is then over, and Save writes nothing more.
    void failingSave_data() { tabOrder_data(); }
    void failingSave()
    {
        QFETCH(bool, modify);
        const AirportRecord kteb = read("KTEB").value(), kjfk = read("KJFK").value();
        const QString duplicate = "Error number = " + failureOf([&] {
                                      AddAirport(ws(), appContext().DatabasePath, kjfk);
                                  });
        const auto window = editor(modify);
        open(*window);
        QTRY_COMPARE(ws().inTransaction(), modify);
        fillValid(*window, "KJFK");
        save(*window, Icon::Critical, "An Error Occurred, no record saved\r\r" + duplicate);
        QVERIFY(window->isVisible());
        QVERIFY(!ws().inTransaction());
        QCOMPARE(airportRow(read("KTEB").value()), airportRow(kteb));
        QCOMPARE(airportRow(read("KJFK").value()), airportRow(kjfk));
        QVERIFY(m_host.calls.isEmpty());
        if (!modify)
            return;
        save(*window, Icon::Critical, "An Error Occurred: \r\r" + duplicate);
        QCOMPARE(airportRow(read("KTEB").value()), airportRow(kteb));
    }

    // Modify closes at once, with a word, when its airport is gone or the database too.
    void modifyOpeningFailure()
    {
        for (const QString& id : {u"ZZZZ"_s, u"KTEB"_s}) {
            const QString failure = id == "KTEB" ? loseDatabase() : QString();
            FrmModAirport modify(&m_host, id);
            prompter().setNextAnswer(Button::Ok);
            modify.show();
            QTRY_VERIFY(!modify.isVisible());
            if (failure.isEmpty())
                verifyOnlyMessage(prompter(), Icon::Exclamation, "Modify Airport",
                                  "Airport not found.");
            else
                verifyOnlyMessage(prompter(), Icon::Critical, "Brisklander",
                                  "An error occurred:\r\rError number = " + failure);
        }
    }
};

QTEST_MAIN(TestAirportEditor)
#include "tst_airporteditor.moc"
