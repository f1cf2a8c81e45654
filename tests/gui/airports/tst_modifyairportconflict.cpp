#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/settings/appsettings.h"
#include "gui/airports/airporteditor.h"
#include "gui/appcontext.h"
#include "support/airportrow.h"
#include "support/child.h"
#include "support/dialogkeys.h"
#include "support/recordinghost.h"
#include "support/serverdatabase.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;
using Platform::Button;
using Platform::Icon;

// Modify Airport on a database on the throwaway server of scripts/test.sh (the program
// pointed at it once the folder is open), while the other desk changes or deletes the
// airport: Save asks whose values win, or says the airport is gone. Fails without the
// server.
class TestModifyAirportConflict : public FolderTest
{
    Q_OBJECT

    std::unique_ptr<ServerDatabase> m_server;
    RecordingHost m_host;

    QString storedName()
    {
        auto theirs = Db::DbEngine::scratchWorkspace();
        const auto record = ReadAirport(*theirs, m_server->location(u"desk-2"_s), u"KTEB"_s);
        return record ? record->NAME : u"(none)"_s;
    }
    static void retype(QDialog& window, const QString& text)
    {
        typeInto(window, u"TxtAirportName"_s, {});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }

private slots:
    void initTestCase()
    {
        m_server = std::make_unique<ServerDatabase>(u"brisklander_modify"_s);
        QVERIFY2(m_server->isMade(),
                 qPrintable(u"the test server cannot be reached: "_s + m_server->error()));
    }
    void cleanupTestCase() { m_server.reset(); }
    void init()
    {
        openFolder();
        appSettings() = AppSettings();
        appContext().DatabasePath = m_server->location(u"desk-1"_s);
        auto desk = appContext().Workspace->openDatabase(appContext().DatabasePath);
        desk->execute(u"DELETE FROM Airports"_s);
        AddAirport(*appContext().Workspace, appContext().DatabasePath, teterboro());
        m_host.calls.clear();
    }
    void cleanup() { closeFolder(); }

    void changedOrDeletedElsewhere_data()
    {
        QTest::addColumn<QString>("elsewhere");
        QTest::addColumn<Button>("answer"); // to the question; Ok to the word of a deletion
        QTest::addColumn<QString>("shown"); // the name field afterwards; empty: closed
        QTest::addColumn<QString>("stored");
        QTest::newRow("changed, yours over theirs") << "changed" << Button::Yes << ""
                                                    << "MINE";
        QTest::newRow("changed, theirs reloaded") << "changed" << Button::No << "THEIRS"
                                                  << "THEIRS";
        QTest::newRow("deleted") << "deleted" << Button::Ok << "MINE"
                                 << "(none)";
    }
    void changedOrDeletedElsewhere()
    {
        QFETCH(QString, elsewhere);
        QFETCH(Button, answer);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        FrmModAirport modify(&m_host, u"KTEB"_s);
        modify.show();
        QVERIFY(QTest::qWaitForWindowActive(&modify));
        // Filled from the server once its edit session begins.
        QTRY_COMPARE(child<QLineEdit>(modify, "TxtAirportName")->text(), u"TETERBORO"_s);
        changeTeterboroElsewhere(*Db::DbEngine::scratchWorkspace(), m_server->location(u"desk-2"_s),
                                 elsewhere);
        retype(modify, u"MINE"_s);
        prompter().setNextAnswer(answer);
        QTest::keyClick(&modify, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(prompter().messages().size(), 1);
        if (answer == Button::Ok)
            verifyOnlyMessage(prompter(), Icon::Exclamation, u"Modify Airport"_s,
                              u"Airport KTEB is no longer in the database: another desk deleted "
                              "it, or changed its identifier, after you opened it.\r\rNothing "
                              "was saved."_s);
        else
            verifyOnlyMessage(
                prompter(), Icon::Question, u"Modify Airport"_s,
                u"Airport KTEB was changed by %1 on desk-2 * after you opened "
                "it.\r\rYes: save yours over theirs.\rNo: reload theirs; your "
                "changes are dropped."_s.arg(qEnvironmentVariable("PGUSER", u"postgres"_s)),
                Button::No);
        QTRY_COMPARE(modify.isVisible(), !shown.isEmpty());
        if (!shown.isEmpty())
            QCOMPARE(child<QLineEdit>(modify, "TxtAirportName")->text(), shown);
        QCOMPARE(storedName(), stored);
        if (answer != Button::No)
            return;
        // Reloaded with their stamp: the next Save writes without asking.
        retype(modify, u"MINE AGAIN"_s);
        QTest::keyClick(&modify, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!modify.isVisible());
        QCOMPARE(storedName(), u"MINE AGAIN"_s);
        QCOMPARE(m_host.calls.last(), u"show KTEB"_s);
    }
};

QTEST_MAIN(TestModifyAirportConflict)
#include "tst_modifyairportconflict.moc"
