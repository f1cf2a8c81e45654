#include "airports/airporteditor.h"
#include "airports/airporthost.h"
#include "airports/airporttable.h"
#include "airports/starterdata.h"
#include "core/appcontext.h"
#include "core/appsettings.h"
#include "core/engine.h"
#include "core/schema.h"
#include "support/testservices.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using Platform::Button;
using Platform::Icon;

namespace {

// What the editor asked of the main window, one line per call.
class FakeHost final : public AirportHost
{
public:
    QStringList calls;
    bool failRefresh = false;

    void refreshAirportList() override
    {
        calls << QStringLiteral("refresh");
        if (failRefresh)
            throw Db::DbError(Db::Error::EngineFailure, QStringLiteral("List unreadable"));
    }
    void clearFindBox() override { calls << QStringLiteral("clear"); }
    void RefreshRouteAfterModify(const AirportChange& c) override
    {
        calls << QStringLiteral("route %1>%2 %3>%4 %5")
                     .arg(c.oldId, c.newId, c.oldName, c.newName,
                          c.positionChanged ? QStringLiteral("moved") : QStringLiteral("kept"));
    }
    void showAirportInList(const QString& id) override { calls << QStringLiteral("show ") + id; }
    void mnuModAirport_Click() override {}
    void mnudelairport_Click() override {}
};

QString text(const AirportRecord& r)
{
    const auto n = [](auto v) { return QString::number(v, 'g', 17); };
    return (QStringList() << r.ID << r.NAME << r.STATE << r.COUNTRY << n(r.ELEVATION)
                          << r.Latitude.DegreesText << n(r.Latitude.Minutes)
                          << n(r.Latitude.Seconds) << r.Longitude.DegreesText
                          << n(r.Longitude.Minutes) << n(r.Longitude.Seconds) << n(r.RUNWAY_LENGTH)
                          << (r.RUNWAY_WIDTH ? n(*r.RUNWAY_WIDTH) : "none")
                          << (r.TIME_ZONE ? n(*r.TIME_ZONE) : "none") << r.PUB_MIL << n(int(r.IFR))
                          << n(int(r.CUSTOMS)) << r.FUEL << r.LIGHTING)
        .join(u'|');
}

// South and east within one degree, no runway width.
const AirportRecord Equator = {
    "ZZEQ",       "EQUATOR STRIP", "X", "UGANDA", -11,   {"-00", 30, 15.5}, {"-000", 45, 0}, 3658,
    std::nullopt, -3.75f,          "J", true,     false, "JET ONLY",        "MEDIUM"};

const QString Deg = QStringLiteral("\u00B0");

} // namespace

class TestAirportEditor : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestServices> m_services;
    FakeHost m_host;

    template <typename T = QLineEdit> static T* child(QWidget* dialog, const QString& name)
    {
        T* found = dialog->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    static Db::Workspace& ws() { return *appContext().Workspace; }
    static std::optional<AirportRecord> read(const QString& id)
    {
        return ReadAirport(ws(), appContext().DatabasePath, id);
    }
    static QString focused()
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    static void open(QDialog& dialog)
    {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }
    static void type(QDialog& dialog, const QString& name, const QString& keys)
    {
        auto* control = child<QWidget>(&dialog, name);
        control->setFocus();
        QTRY_VERIFY(control->hasFocus());
        QTest::keyClicks(control, keys);
    }
    static void click(QDialog& dialog, const char* name)
    {
        QTest::mouseClick(child<QPushButton>(&dialog, name), Qt::LeftButton);
    }
    void expectMessage() { m_services->prompter->setNextAnswer(Button::Ok); }
    void lastMessage(Icon icon, const QString& title, const QString& text)
    {
        QVERIFY(!m_services->prompter->messages().isEmpty());
        QString why;
        QVERIFY2(sameMessage(m_services->prompter->messages().last(), icon, title, text, Button::Ok,
                             &why),
                 qPrintable(why));
    }
    // A complete entry set without typing, from a control with no leave rule.
    static void fillValid(QDialog& dialog, const QString& id, const QString& elevation = "1")
    {
        child<QWidget>(&dialog, "CBPubMil")->setFocus();
        const QStringList fields{"TxtIdent",     id,      "TxtAirportName", "NEW FIELD",
                                 "TxtLatitude",  "N1000", "TxtLongitude",   "W02000",
                                 "TxtCountry",   "X",     "TxtElevation",   elevation,
                                 "TxtRwyLength", "500",   "TxtTimeZone",    "0"};
        for (qsizetype i = 0; i < fields.size(); i += 2)
            child(&dialog, fields[i])->setText(fields[i + 1]);
        child<QComboBox>(&dialog, "CBPubMil")->setCurrentIndex(0);
    }
    // The number and description lines of the engine's failure.
    static QString failureOf(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const Db::DbError& error) {
            return QString::number(error.number()) + u'\r' + error.description();
        }
        return QStringLiteral("(no failure)");
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        StarterData::createProgramFolder(m_dir->path(), QStringLiteral("Brisklander"));
        Db::DbEngine& engine = Db::DbEngine::instance();
        engine.setSystemDB(m_dir->filePath(Schema::WorkgroupFileName));
        appContext().Workspace =
            engine.createWorkspace(QStringLiteral("AirportWS"), Schema::UserName, Schema::Password);
        appContext().DatabasePath = m_dir->filePath(Schema::DatabaseFileName);
        appSettings() = AppSettings();
        m_services = std::make_unique<TestServices>();
        m_host.calls.clear();
        m_host.failRefresh = false;
    }
    void cleanup()
    {
        // Everything is put back before checking, so a failure here cannot leak into
        // the next test.
        const auto unexpected = m_services->prompter->unexpected();
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

    void tabOrderAndNames()
    {
        FrmAddAirport add(&m_host);
        QCOMPARE(add.windowTitle(), QStringLiteral("Add Airport"));
        QCOMPARE(FrmModAirport(&m_host, "KTEB").windowTitle(), QStringLiteral("Modify Airport"));
        QStringList order;
        QWidget* w = child<QWidget>(&add, "TxtIdent");
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty())
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w->objectName() != "TxtIdent" && order.size() < 30);
        QCOMPARE(order,
                 QStringList({"TxtIdent", "TxtAirportName", "TxtLatitude", "TxtLongitude",
                              "TxtState", "TxtCountry", "TxtElevation", "CheckIFR", "CheckCustoms",
                              "TxtRwyLength", "TxtTimeZone", "TxtRwyWidth", "CBPubMil",
                              "SSDBCBFuel", "SSDBCBLights", "CmdSave", "CmdCancel"}));
        const auto labels = add.findChildren<QLabel*>();
        QCOMPARE(labels.size(), 15);
        for (const QLabel* label : labels) {
            QVERIFY2(label->buddy(), qPrintable(label->text()));
            QCOMPARE(label->buddy()->accessibleName(), label->text());
        }
    }

    void keyRules_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys"); // "^" Home first, "~" Delete last
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const char* field, const char* keys,
                            const QString& shown) {
            QTest::newRow(name) << field << keys << shown;
        };
        row("identifier upper case, 4 at most", "TxtIdent", "abcde", "ABCD");
        row("name upper case", "TxtAirportName", "o'hare 2", "O'HARE 2");
        row("state 3 at most", "TxtState", "nyxz", "NYX");
        row("elevation minus only first", "TxtElevation", "-12-a3", "-123");
        row("runway length digits", "TxtRwyLength", "-1x2.3 45", "12345");
        row("runway width 3 digits", "TxtRwyWidth", "1.5-20", "152");
        row("zone one sign first, one point", "TxtTimeZone", "+-5.5.2+", "+5.52");
        row("zone sign after digits", "TxtTimeZone", "5-+", "5");
        row("latitude from the degrees", "TxtLatitude", "4038231", "N40" + Deg + "38'23.1__\"");
        row("longitude from the degrees", "TxtLongitude", "07346", "W073" + Deg + "46'__.___\"");
        row("latitude letter N or S only", "TxtLatitude", "^x4es", "S__" + Deg + "__'__.___\"");
        row("longitude letter E or W only", "TxtLongitude", "^sne", "E___" + Deg + "__'__.___\"");
        row("fuel chosen by letter", "SSDBCBFuel", "a", "AVGAS/JET");
        row("fuel emptied by Delete", "SSDBCBFuel", "a~", "");
        row("lighting emptied by Backspace", "SSDBCBLights", "m\b", "");
    }
    void keyRules()
    {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        FrmAddAirport add(&m_host);
        open(add);
        type(add, field, "");
        if (keys.startsWith(u'^'))
            QTest::keyClick(child<QWidget>(&add, field), Qt::Key_Home);
        QTest::keyClicks(child<QWidget>(&add, field), QString(keys).remove(u'^').remove(u'~'));
        if (keys.endsWith(u'~'))
            QTest::keyClick(child<QWidget>(&add, field), Qt::Key_Delete);
        auto* list = add.findChild<QComboBox*>(field);
        QCOMPARE(list ? list->currentText() : child(&add, field)->displayText(), shown);
    }

    void leaveRules_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("toCancel");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("refused"); // a beep, and the focus stays
        const auto row = [](const char* name, const char* field, const char* keys, bool toCancel,
                            const char* shown, bool refused) {
            QTest::newRow(name) << field << keys << toCancel << shown << refused;
        };
        row("elevation leading zeros", "TxtElevation", "007", false, "7", false);
        row("elevation minus zero", "TxtElevation", "-0", false, "0", false);
        row("elevation lone minus", "TxtElevation", "-", false, "", false);
        row("runway width leading zero", "TxtRwyWidth", "050", false, "50", false);
        row("zone 13", "TxtTimeZone", "13", false, "+13", true);
        row("zone -12.5", "TxtTimeZone", "-12.5", false, "-12.5", true);
        row("zone 5.1", "TxtTimeZone", "5.1", false, "+5.1", true);
        row("zone 12", "TxtTimeZone", "12", false, "+12", false);
        row("zone 5.25", "TxtTimeZone", "5.25", false, "+5.25", false);
        row("zone 05.50", "TxtTimeZone", "05.50", false, "+5.5", false);
        row("zone -0", "TxtTimeZone", "-0", false, "0", false);
        row("zone point alone", "TxtTimeZone", ".", false, "", false);
        row("zone 13 towards Cancel", "TxtTimeZone", "13", true, "+13", false);
    }
    void leaveRules()
    {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(bool, toCancel);
        QFETCH(QString, shown);
        QFETCH(bool, refused);
        FrmAddAirport add(&m_host);
        open(add);
        type(add, field, keys);
        if (toCancel)
            child<QPushButton>(&add, "CmdCancel")->setFocus(Qt::MouseFocusReason);
        else
            QTest::keyClick(child(&add, field), Qt::Key_Tab);
        QCOMPARE(child(&add, field)->text(), shown);
        QCOMPARE(m_services->prompter->beeps(), refused ? 1 : 0);
        QCOMPARE(focused() == field, refused);
    }

    void identifierCheckOnLeaving()
    {
        FrmAddAirport add(&m_host);
        open(add);
        auto* ident = child(&add, "TxtIdent");
        type(add, "TxtIdent", "kteb");
        expectMessage();
        QTest::keyClick(ident, Qt::Key_Tab);
        lastMessage(Icon::Exclamation, "Add Airport", "Airport Identifier 'KTEB' already exists.");
        QCOMPARE(ident->text(), QString());
        QCOMPARE(focused(), QStringLiteral("TxtIdent"));
        // Towards Cancel, and an empty field, ask nothing; a free identifier passes.
        QTest::keyClicks(ident, "kteb");
        child<QPushButton>(&add, "CmdCancel")->setFocus(Qt::MouseFocusReason);
        type(add, "TxtIdent", "");
        ident->clear();
        QTest::keyClick(ident, Qt::Key_Tab);
        type(add, "TxtIdent", "zzab");
        QTest::keyClick(ident, Qt::Key_Tab);
        QCOMPARE(m_services->prompter->messages().size(), 1);
        QCOMPARE(focused(), QStringLiteral("TxtAirportName"));
        // The engine failing empties the field.
        appContext().DatabasePath = m_dir->filePath(QStringLiteral("missing.mdb"));
        const QString failure = failureOf([] { read("ZZAC"); });
        type(add, "TxtIdent", "");
        ident->clear();
        QTest::keyClicks(ident, "zzac");
        expectMessage();
        QTest::keyClick(ident, Qt::Key_Tab);
        lastMessage(Icon::Critical, "Brisklander",
                    "An Error Occured:\r\rError Number = " + failure);
        QCOMPARE(ident->text(), QString());
        QVERIFY(m_services->pointer->history().contains("busy"));
    }

    void validationInOrder()
    {
        struct Step
        {
            QString field, keys, message, focus; // typed into a field, then Save
        };
        const Step steps[] = {
            {"", "", "Enter Airport Identifier.", "TxtIdent"},
            {"TxtIdent", "zq", "Airport Identifier must be 3 or 4 Characters.", "TxtIdent"},
            {"TxtIdent", "z", "Enter Airport Name.", "TxtAirportName"},
            {"TxtAirportName", "order", "Enter Latitude.", "TxtLatitude"},
            {"TxtLatitude", "4", "Invalid Latitude.", "TxtLatitude"},
            {"TxtLatitude", "4000", "Enter Longitude.", "TxtLongitude"},
            {"TxtLongitude", "0740", "Invalid Longitude.", "TxtLongitude"},
            {"TxtLongitude", "07400", "Enter Country.", "TxtCountry"},
            {"TxtCountry", "usa", "Enter Elevation.", "TxtElevation"},
            {"TxtElevation", "9", "Enter Runway Length.", "TxtRwyLength"},
            {"TxtRwyLength", "6000", "Enter Time Zone.", "TxtTimeZone"},
            {"TxtTimeZone", "-5", "Select Type Airport (Public, Military, Joint or Private).",
             "CBPubMil"}};
        FrmAddAirport add(&m_host);
        open(add);
        for (const Step& step : steps) {
            if (!step.field.isEmpty())
                type(add, step.field, step.keys);
            expectMessage();
            click(add, "CmdSave");
            lastMessage(Icon::Exclamation, "Add Airport", step.message);
            QCOMPARE(focused(), step.focus);
        }
        QCOMPARE(m_services->prompter->messages().size(), std::size(steps));
        QVERIFY(m_host.calls.isEmpty());
        type(add, "CBPubMil", "m");
        click(add, "CmdSave");
        QVERIFY(!add.isVisible());
        QCOMPARE(read("ZQZ").value().PUB_MIL, QStringLiteral("M"));
    }

    void parseCoordinateEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("latitude");
        QTest::addColumn<QString>("read"); // degrees minutes seconds, or the message
        const auto row = [](const char* name, const QString& entry, bool latitude,
                            const char* read) { QTest::newRow(name) << entry << latitude << read; };
        row("south", "S05" + Deg + "30'00.000\"", true, "-05 30 0");
        row("north with decimals", "N40" + Deg + "38'23.123\"", true, "40 38 23.123");
        row("90 degrees", "N90" + Deg + "00'__.___\"", true, "Invalid Latitude.");
        row("just below 90", "N89" + Deg + "59'59.999\"", true, "89 59 59.999");
        row("longitude 180", "W180" + Deg + "00'__.___\"", false, "Invalid Longitude.");
        row("minutes 60", "N10" + Deg + "60'00.000\"", true, "Invalid Latitude.");
        row("seconds 60", "N10" + Deg + "00'60.000\"", true, "Invalid Latitude.");
        row("blank seconds are 0", "N10" + Deg + "05'__.___\"", true, "10 5 0");
        row("unfilled decimals are 0", "N10" + Deg + "05'12.5__\"", true, "10 5 12.5");
        row("half-typed seconds are 0", "N10" + Deg + "05'3_.___\"", true, "10 5 0");
        row("one degree digit", "N4_" + Deg + "00'__.___\"", true, "Invalid Latitude.");
        row("one minute digit", "W010" + Deg + "4_'__.___\"", false, "Invalid Longitude.");
        row("east within one degree", "E000" + Deg + "30'", false, "-000 30 0");
        row("no letter is north", "_10" + Deg + "00'00.000\"", true, "10 0 0");
        row("letter only", "N__" + Deg + "__'__.___\"", true, "Enter Latitude.");
        row("empty longitude", "", false, "Enter Longitude.");
    }
    void parseCoordinateEntry()
    {
        QFETCH(QString, entry);
        QFETCH(bool, latitude);
        QFETCH(QString, read);
        const CoordinateReading r = AirportEditor::ParseCoordinateEntry(entry, latitude);
        const Coordinate& c = r.coordinate;
        QCOMPARE(r.ok()
                     ? QStringLiteral("%1 %2 %3").arg(c.DegreesText).arg(c.Minutes).arg(c.Seconds)
                     : r.error,
                 read);
    }

    void addWritesEveryColumn_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<bool>("notice");
        QTest::newRow("above the minimum runway") << 3000 << false;
        QTest::newRow("at the minimum runway") << 3658 << false;
        QTest::newRow("below the minimum runway") << 3659 << true;
    }
    void addWritesEveryColumn()
    {
        QFETCH(int, minimum);
        QFETCH(bool, notice);
        appSettings().MINRUNWAYLENGTH = minimum;
        m_services->pointer->setBusy();
        FrmAddAirport add(&m_host);
        open(add);
        QVERIFY(!m_services->pointer->isBusy());
        // "^": the hemisphere letter first.
        const QStringList typing{"TxtIdent",     "zzeq",      "TxtAirportName", "equator strip",
                                 "TxtLatitude",  "^s0030155", "TxtLongitude",   "^e00045",
                                 "TxtState",     "x",         "TxtCountry",     "uganda",
                                 "TxtElevation", "-11",       "CheckIFR",       " ",
                                 "TxtRwyLength", "3658",      "TxtTimeZone",    "-3.75",
                                 "CBPubMil",     "j",         "SSDBCBFuel",     "j",
                                 "SSDBCBLights", "m"};
        for (qsizetype i = 0; i < typing.size(); i += 2) {
            type(add, typing[i], "");
            QString keys = typing[i + 1];
            if (keys.startsWith(u'^'))
                QTest::keyClick(child<QWidget>(&add, typing[i]), Qt::Key_Home);
            QTest::keyClicks(child<QWidget>(&add, typing[i]), keys.remove(u'^'));
        }
        if (notice)
            expectMessage();
        click(add, "CmdSave");
        QCOMPARE(m_services->prompter->messages().size(), notice ? 1 : 0);
        if (notice)
            lastMessage(Icon::Information, "Add Airport",
                        "Runway Length is below current Minimum Runway Length setting.\r\r"
                        "Airport will be shown in Red in the Airport List.");
        QVERIFY(!add.isVisible());
        QCOMPARE(text(read("ZZEQ").value()), text(Equator));
        QCOMPARE(m_host.calls, QStringList({"refresh", "clear"}));
        QVERIFY(!ws().inTransaction());
    }

    void addFailure_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("elevation");
        QTest::addColumn<bool>("failRefresh");
        QTest::addColumn<QString>("message"); // "duplicate": the engine's own lines
        const auto row = [](const char* name, const char* id, const char* elevation,
                            bool failRefresh, const char* message) {
            QTest::newRow(name) << id << elevation << failRefresh << message;
        };
        row("identifier taken: rolled back", "KJFK", "1", false,
            "An Error occured, no record saved\r\rduplicate");
        row("list refresh fails after the commit", "ZZNW", "1", true,
            "An Error occured: \r\rError number = 3000\rList unreadable");
        row("number field set and never left", "ZZNW", "-", false,
            "An Error occured: \r\rError number = 3421\rData type conversion error.");
    }
    void addFailure()
    {
        QFETCH(QString, id);
        QFETCH(QString, elevation);
        QFETCH(bool, failRefresh);
        QFETCH(QString, message);
        const AirportRecord kjfk = read("KJFK").value();
        const QString duplicate =
            failureOf([&] { AddAirport(ws(), appContext().DatabasePath, kjfk); });
        FrmAddAirport add(&m_host);
        open(add);
        fillValid(add, id, elevation);
        m_host.failRefresh = failRefresh;
        expectMessage();
        click(add, "CmdSave");
        lastMessage(Icon::Critical, "Add Airport",
                    message.replace("duplicate", "Error number = " + duplicate));
        QVERIFY(add.isVisible());
        QVERIFY(!ws().inTransaction());
        QCOMPARE(text(read("KJFK").value()), text(kjfk));
        QCOMPARE(read("ZZNW").has_value(), failRefresh);
        QCOMPARE(m_host.calls, failRefresh ? QStringList{"refresh"} : QStringList());
    }

    // Enter presses Save from inside a field; the field is left first, by its rules.
    void enterLeavesTheFieldFirst()
    {
        FrmAddAirport add(&m_host);
        open(add);
        fillValid(add, "ZZNW");
        auto* zone = child(&add, "TxtTimeZone");
        zone->clear();
        type(add, "TxtTimeZone", "13");
        QTest::keyClick(zone, Qt::Key_Return);
        QCOMPARE(m_services->prompter->beeps(), 1);
        QCOMPARE(focused(), QStringLiteral("TxtTimeZone"));
        zone->clear();
        QTest::keyClicks(zone, "05.50");
        QTest::keyClick(zone, Qt::Key_Return);
        QVERIFY(!add.isVisible());
        QCOMPARE(read("ZZNW").value().TIME_ZONE.value(), 5.5f);
    }

    void modifySaveOrCancel_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("calls");
        const auto row = [](const char* name, const char* field, const QString& value,
                            const char* button, const QStringList& calls) {
            QTest::newRow(name) << field << value << button << calls;
        };
        const QString route = QStringLiteral("route ZZEQ>%1 EQUATOR STRIP>%2 %3");
        row("unchanged", "", "", "CmdSave", {"refresh", "show ZZEQ"});
        row("name only", "TxtAirportName", "SOUTH", "CmdSave",
            {"refresh", route.arg("ZZEQ", "SOUTH", "kept"), "show ZZEQ"});
        row("latitude", "TxtLatitude", "S00" + Deg + "31'15.500\"", "CmdSave",
            {"refresh", route.arg("ZZEQ", "EQUATOR STRIP", "moved"), "show ZZEQ"});
        row("identifier", "TxtIdent", "ZZEF", "CmdSave",
            {"refresh", route.arg("ZZEF", "EQUATOR STRIP", "kept"), "show ZZEF"});
        row("cancelled", "TxtAirportName", "SOUTH", "CmdCancel", {});
    }
    void modifySaveOrCancel()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, button);
        QFETCH(QStringList, calls);
        AddAirport(ws(), appContext().DatabasePath, Equator);
        FrmModAirport modify(&m_host, "ZZEQ");
        modify.fill(read("ZZEQ").value());
        QCOMPARE(child(&modify, "TxtLatitude")->displayText(), "S00" + Deg + "30'15.500\"");
        QCOMPARE(child(&modify, "TxtLongitude")->displayText(), "E000" + Deg + "45'00.000\"");
        QCOMPARE(child(&modify, "TxtTimeZone")->text(), QStringLiteral("-3.75"));
        QCOMPARE(child(&modify, "TxtRwyWidth")->text(), QString());
        QCOMPARE(child<QComboBox>(&modify, "CBPubMil")->currentText(), QStringLiteral("Joint"));
        open(modify);
        QTRY_VERIFY(ws().inTransaction());
        // The identifier being modified is not checked (it exists).
        QTest::keyClick(child(&modify, "TxtIdent"), Qt::Key_Tab);
        AirportRecord expected = Equator;
        if (!field.isEmpty())
            child(&modify, field)->setText(value);
        if (button == "CmdSave" && field == "TxtIdent")
            expected.ID = value;
        else if (button == "CmdSave" && field == "TxtAirportName")
            expected.NAME = value;
        else if (field == "TxtLatitude")
            expected.Latitude.Minutes = 31;
        click(modify, qPrintable(button));
        QVERIFY(!modify.isVisible());
        QVERIFY(!ws().inTransaction());
        QCOMPARE(m_host.calls, calls);
        QCOMPARE(text(read(expected.ID).value()), text(expected));
    }

    void modifyFailingSaveEndsTheSession()
    {
        const AirportRecord kteb = read("KTEB").value(), kjfk = read("KJFK").value();
        const QString duplicate = "Error number = " + failureOf([&] {
                                      AddAirport(ws(), appContext().DatabasePath, kjfk);
                                  });
        FrmModAirport modify(&m_host, "KTEB");
        modify.fill(kteb);
        open(modify);
        QTRY_VERIFY(modify.isTransactionPending());
        child<QWidget>(&modify, "CBPubMil")->setFocus();
        child(&modify, "TxtIdent")->setText("KJFK");
        expectMessage();
        click(modify, "CmdSave");
        lastMessage(Icon::Critical, "Modify Airport",
                    "An Error occured, no record saved\r\r" + duplicate);
        QVERIFY(modify.isVisible());
        QVERIFY(!ws().inTransaction());
        QCOMPARE(text(read("KTEB").value()), text(kteb));
        QCOMPARE(text(read("KJFK").value()), text(kjfk));
        // The session is over: Save writes nothing more and says why again.
        child(&modify, "TxtIdent")->setText("KTEX");
        expectMessage();
        click(modify, "CmdSave");
        lastMessage(Icon::Critical, "Modify Airport", "An Error occured: \r\r" + duplicate);
        QVERIFY(!read("KTEX").has_value());
        click(modify, "CmdCancel");
        QVERIFY(!modify.isVisible());
        QVERIFY(m_host.calls.isEmpty());
    }

    void modifyOpeningFailure_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("databaseMissing");
        QTest::newRow("airport gone") << QStringLiteral("ZZZZ") << false;
        QTest::newRow("database missing") << QStringLiteral("KTEB") << true;
    }
    void modifyOpeningFailure()
    {
        QFETCH(QString, id);
        QFETCH(bool, databaseMissing);
        if (databaseMissing)
            appContext().DatabasePath = m_dir->filePath(QStringLiteral("missing.mdb"));
        const QString failure = failureOf([&] { read(id); });
        FrmModAirport modify(&m_host, id);
        expectMessage();
        modify.show();
        QTRY_VERIFY(!modify.isVisible());
        if (databaseMissing)
            lastMessage(Icon::Critical, "Brisklander",
                        "An error occured:\r\rError number = " + failure);
        else
            lastMessage(Icon::Exclamation, "Modify Airport", "Airport not found.");
        QVERIFY(!ws().inTransaction());
    }
};

QTEST_MAIN(TestAirportEditor)
#include "tst_airporteditor.moc"
