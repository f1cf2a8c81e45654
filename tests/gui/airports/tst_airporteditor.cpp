#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/settings/appsettings.h"
#include "gui/airports/airporteditor.h"
#include "gui/airports/airporthost.h"
#include "gui/appcontext.h"
#include "support/programfolder.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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

    void refreshAirportList() override { calls << QStringLiteral("refresh"); }
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

    std::unique_ptr<ProgramFolder> m_folder;
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
    // Focuses the control and types; a leading "^" presses Home first.
    static void type(QDialog& dialog, const QString& name, QString keys)
    {
        auto* control = child<QWidget>(&dialog, name);
        control->setFocus();
        QTRY_VERIFY(control->hasFocus());
        if (keys.startsWith(u'^'))
            QTest::keyClick(control, Qt::Key_Home);
        QTest::keyClicks(control, keys.remove(u'^'));
    }
    static void click(QDialog& dialog, const QString& name)
    {
        QTest::mouseClick(child<QPushButton>(&dialog, name), Qt::LeftButton);
    }
    void expectMessage() { m_folder->services().prompter->setNextAnswer(Button::Ok); }
    void lastMessage(Icon icon, const QString& title, const QString& text)
    {
        const auto& shown = m_folder->services().prompter->messages();
        QString why = QStringLiteral("no message");
        QVERIFY2(!shown.isEmpty() && sameMessage(shown.last(), icon, title, text, Button::Ok, &why),
                 qPrintable(why));
    }
    // A complete entry set without typing, from a control with no leave rule.
    static void fillValid(QDialog& dialog, const QString& id)
    {
        child<QWidget>(&dialog, "CBPubMil")->setFocus();
        const QStringList fields{"TxtIdent",     id,      "TxtAirportName", "NEW FIELD",
                                 "TxtLatitude",  "N1000", "TxtLongitude",   "W02000",
                                 "TxtCountry",   "X",     "TxtElevation",   "1",
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
    // Points the program at a database that is not there; the engine's lines for it.
    QString loseDatabase()
    {
        appContext().DatabasePath = m_folder->filePath(QStringLiteral("missing.mdb"));
        return failureOf([] { read("KTEB"); });
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_folder = std::make_unique<ProgramFolder>();
        QVERIFY(m_folder->open());
        appSettings() = AppSettings();
        m_host.calls.clear();
    }
    void cleanup()
    {
        // Everything is put back before checking, so a failure here cannot leak into
        // the next test.
        const QString unexpected = m_folder->unexpectedMessage();
        const int pending = m_folder->prompter().pendingAnswers();
        const bool busy = m_folder->services().pointer->isBusy();
        m_folder.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
        QCOMPARE(pending, 0);
        QVERIFY(!busy);
    }

    // The rule's cases are on AirportEntryRules. Tab leaves by the rule and shows the
    // short form; towards Cancel nothing is refused; Enter presses Save, which leaves
    // the field first and stops when it is refused.
    void timeZoneLeaveRule_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("leaveBy"); // 0: the focus goes to Cancel
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("refused"); // a beep, and the focus stays
        const auto row = [](const char* name, const char* keys, int leaveBy, const char* shown,
                            bool refused) {
            QTest::newRow(name) << keys << leaveBy << shown << refused;
        };
        row("13", "13", Qt::Key_Tab, "+13", true);
        row("05.50", "05.50", Qt::Key_Tab, "+5.5", false);
        row("13 towards Cancel", "13", 0, "+13", false);
        row("13 left by Enter", "13", Qt::Key_Return, "+13", true);
    }
    void timeZoneLeaveRule()
    {
        QFETCH(QString, keys);
        QFETCH(int, leaveBy);
        QFETCH(QString, shown);
        QFETCH(bool, refused);
        FrmAddAirport add(&m_host);
        open(add);
        type(add, "TxtTimeZone", keys);
        if (leaveBy)
            QTest::keyClick(child(&add, "TxtTimeZone"), Qt::Key(leaveBy));
        else
            child<QPushButton>(&add, "CmdCancel")->setFocus(Qt::MouseFocusReason);
        QCOMPARE(child(&add, "TxtTimeZone")->text(), shown);
        QCOMPARE(m_folder->services().prompter->beeps(), refused ? 1 : 0);
        QCOMPARE(focused() == "TxtTimeZone", refused);
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
        // The engine failing empties the field too.
        const QString failure = loseDatabase();
        QTest::keyClicks(ident, "zzac");
        expectMessage();
        QTest::keyClick(ident, Qt::Key_Tab);
        lastMessage(Icon::Critical, "Brisklander",
                    "An Error Occurred:\r\rError Number = " + failure);
        QCOMPARE(ident->text(), QString());
    }

    // Save's checks and their order are on AirportEntry; here the message, and the
    // focus going to the field named, first, in the middle and last.
    void validationInOrder()
    {
        FrmAddAirport add(&m_host);
        open(add);
        const auto save = [&](const QString& message, const QString& focus) {
            expectMessage();
            click(add, "CmdSave");
            lastMessage(Icon::Exclamation, "Add Airport", message);
            QCOMPARE(focused(), focus);
        };
        save("Enter Airport Identifier.", "TxtIdent");
        type(add, "TxtIdent", "zzq");
        type(add, "TxtAirportName", "order");
        type(add, "TxtLatitude", "4");
        save("Invalid Latitude.", "TxtLatitude");
        fillValid(add, "ZZQ");
        child<QComboBox>(&add, "CBPubMil")->setCurrentIndex(-1);
        save("Select Type Airport (Public, Military, Joint or Private).", "CBPubMil");
        QCOMPARE(m_folder->services().prompter->messages().size(), 3);
    }

    // Screen readers name every field by its label's caption, whatever it holds: the
    // lists too, once a choice is made in them.
    void fieldsAreNamedByTheirLabels()
    {
        FrmAddAirport add(&m_host);
        open(add);
        for (const char* name : {"CBPubMil", "SSDBCBFuel", "SSDBCBLights"}) {
            auto* list = child<QComboBox>(&add, name);
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Down);
            QVERIFY(!list->currentText().isEmpty());
        }
        int named = 0;
        for (QLabel* label : add.findChildren<QLabel*>()) {
            QWidget* field = label->buddy();
            if (!field)
                continue;
            ++named;
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(field);
            QCOMPARE(field->accessibleName(), label->text());
            QCOMPARE(face->text(QAccessible::Name), label->text());
            if (auto* list = qobject_cast<QComboBox*>(field)) {
                QCOMPARE(face->role(), QAccessible::ComboBox);
                QCOMPARE(face->text(QAccessible::Value), list->currentText());
            }
        }
        QCOMPARE(named, 15);
    }

    // Typed through the key filters, which drop what a field refuses.
    void addWritesEveryColumn_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<bool>("notice");
        QTest::addColumn<QLocale>("locale"); // its decimal sign is typed and shown
        QTest::newRow("at the minimum runway")
            << 3658 << false << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("below the minimum runway, German")
            << 3659 << true << QLocale(QLocale::German, QLocale::Germany);
    }
    void addWritesEveryColumn()
    {
        QFETCH(int, minimum);
        QFETCH(bool, notice);
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        const QString point = locale.decimalPoint();
        appSettings().MINRUNWAYLENGTH = minimum;
        FrmAddAirport add(&m_host);
        open(add);
        const QStringList typing{
            "TxtIdent",     "zzeqx",     "TxtAirportName", "equator strip",
            "TxtLatitude",  "^s0030155", "TxtLongitude",   "^e00045",
            "TxtState",     "x",         "TxtCountry",     "uganda",
            "TxtElevation", "-1-1",      "CheckIFR",       " ",
            "TxtRwyLength", "3.6-58",    "TxtTimeZone",    QString("-3.7.+5").replace(".", point),
            "CBPubMil",     "j",         "SSDBCBFuel",     "j",
            "SSDBCBLights", "m"};
        for (qsizetype i = 0; i < typing.size(); i += 2)
            type(add, typing[i], typing[i + 1]);
        if (notice)
            expectMessage();
        click(add, "CmdSave");
        QCOMPARE(m_folder->services().prompter->messages().size(), notice ? 1 : 0);
        if (notice)
            lastMessage(Icon::Information, "Add Airport",
                        "Runway Length is below current Minimum Runway Length setting.\r\r"
                        "Airport will be shown in Red in the Airport List.");
        QVERIFY(!add.isVisible());
        QCOMPARE(text(read("ZZEQ").value()), text(Equator));
        QCOMPARE(m_host.calls, QStringList({"refresh", "clear"}));

        FrmModAirport modify(&m_host, "ZZEQ");
        modify.fill(read("ZZEQ").value());
        QCOMPARE(child(&modify, "TxtLatitude")->text(), "S00" + Deg + "30'15" + point + "500\"");
        QCOMPARE(child(&modify, "TxtTimeZone")->text(), "-3" + point + "75");
    }

    void modifySaveOrCancel_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("calls"); // none: Cancel
        const QString route = QStringLiteral("route ZZEQ>ZZEQ EQUATOR STRIP>%1 %2");
        const auto row = [](const char* name, const char* field, const QString& value,
                            const QStringList& calls) {
            QTest::newRow(name) << field << value << calls;
        };
        row("unchanged", "", "", {"refresh", "show ZZEQ"});
        row("name only", "TxtAirportName", "SOUTH",
            {"refresh", route.arg("SOUTH", "kept"), "show ZZEQ"});
        row("moved", "TxtLatitude", "S00" + Deg + "31'15.500\"",
            {"refresh", route.arg("EQUATOR STRIP", "moved"), "show ZZEQ"});
        row("cancelled", "TxtAirportName", "SOUTH", {});
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
        // The identifier being modified is not checked (it exists).
        QTest::keyClick(child(&modify, "TxtIdent"), Qt::Key_Tab);
        if (!field.isEmpty())
            child(&modify, field)->setText(value);
        click(modify, calls.isEmpty() ? "CmdCancel" : "CmdSave");
        AirportRecord expected = Equator;
        if (!calls.isEmpty() && field == "TxtAirportName")
            expected.NAME = value;
        else if (field == "TxtLatitude")
            expected.Latitude.Minutes = 31;
        QVERIFY(!modify.isVisible());
        QVERIFY(!ws().inTransaction());
        QCOMPARE(m_host.calls, calls);
        QCOMPARE(text(read("ZZEQ").value()), text(expected));
    }

    // Another airport's identifier: the save is rolled back and the table left as it was.
    void failingSave_data()
    {
        QTest::addColumn<bool>("modify"); // KTEB
        QTest::newRow("add") << false;
        QTest::newRow("modify") << true;
    }
    void failingSave()
    {
        QFETCH(bool, modify);
        const AirportRecord kteb = read("KTEB").value(), kjfk = read("KJFK").value();
        const QString duplicate = "Error number = " + failureOf([&] {
                                      AddAirport(ws(), appContext().DatabasePath, kjfk);
                                  });
        const QString title = modify ? "Modify Airport" : "Add Airport";
        std::unique_ptr<QDialog> editor;
        if (modify)
            editor = std::make_unique<FrmModAirport>(&m_host, "KTEB");
        else
            editor = std::make_unique<FrmAddAirport>(&m_host);
        open(*editor);
        QTRY_COMPARE(ws().inTransaction(), modify);
        fillValid(*editor, "KJFK");
        expectMessage();
        click(*editor, "CmdSave");
        lastMessage(Icon::Critical, title, "An Error Occurred, no record saved\r\r" + duplicate);
        QVERIFY(editor->isVisible());
        QVERIFY(!ws().inTransaction());
        QCOMPARE(text(read("KTEB").value()), text(kteb));
        QCOMPARE(text(read("KJFK").value()), text(kjfk));
        QVERIFY(m_host.calls.isEmpty());
        if (!modify)
            return;
        // The edit session is over: Save writes nothing more and says why again.
        expectMessage();
        click(*editor, "CmdSave");
        lastMessage(Icon::Critical, title, "An Error Occurred: \r\r" + duplicate);
        QCOMPARE(text(read("KTEB").value()), text(kteb));
    }

    void modifyOpeningFailure_data()
    {
        QTest::addColumn<bool>("databaseMissing"); // otherwise the airport is gone
        QTest::newRow("airport gone") << false;
        QTest::newRow("database missing") << true;
    }
    void modifyOpeningFailure()
    {
        QFETCH(bool, databaseMissing);
        const QString failure = databaseMissing ? loseDatabase() : QString();
        FrmModAirport modify(&m_host, databaseMissing ? "KTEB" : "ZZZZ");
        expectMessage();
        modify.show();
        QTRY_VERIFY(!modify.isVisible());
        if (databaseMissing)
            lastMessage(Icon::Critical, "Brisklander",
                        "An error occurred:\r\rError number = " + failure);
        else
            lastMessage(Icon::Exclamation, "Modify Airport", "Airport not found.");
    }
};

QTEST_MAIN(TestAirportEditor)
#include "tst_airporteditor.moc"
