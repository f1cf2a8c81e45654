#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "support/airportrow.h"
#include "support/emptydatabase.h"
#include "support/serverdatabase.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The name stored under the identifier, "(none)" when there is no such row.
QString storedName(Db::Workspace& workspace, const QString& location, const QString& id)
{
    const std::optional<AirportRecord> record = ReadAirport(workspace, location, id);
    return record ? record->NAME : u"(none)"_s;
}

} // namespace

// Two desks on one database: the editor's desk read KTEB, then the other desk changed it,
// deleted it or left it alone, and the editor's desk saves against the stamp it read.
// The server part runs beside the throwaway server of scripts/test.sh, and fails
// without one.
class TestAirportConflict : public QObject
{
    Q_OBJECT

    std::unique_ptr<ServerDatabase> m_server;

private slots:
    void initTestCase()
    {
        m_server = std::make_unique<ServerDatabase>(u"brisklander_conflict"_s);
        QVERIFY2(m_server->isMade(),
                 qPrintable(u"the test server cannot be reached: "_s + m_server->error()));
    }
    void cleanupTestCase()
    {
        Db::DbEngine::instance().release();
        m_server.reset();
    }

    void saveChecksTheStamp_data()
    {
        QTest::addColumn<bool>("onServer");
        QTest::addColumn<QString>("elsewhere"); // what the other desk did after the read
        QTest::addColumn<QString>("saved");     // the ID saved, another airport's to fail
        QTest::addColumn<QString>("outcome");   // or the engine's error number
        QTest::addColumn<QString>("stored");    // KTEB's name afterwards
        QTest::newRow("server, unchanged") << true << ""
                                           << "KTEB"
                                           << "written"
                                           << "MINE";
        QTest::newRow("server, changed") << true << "changed"
                                         << "KTEB"
                                         << "changed"
                                         << "THEIRS";
        QTest::newRow("server, deleted") << true << "deleted"
                                         << "KTEB"
                                         << "deleted"
                                         << "(none)";
        QTest::newRow("server, write refused") << true << ""
                                               << "KJFK"
                                               << "3022"
                                               << "TETERBORO";
        QTest::newRow("file, unchanged") << false << ""
                                         << "KTEB"
                                         << "written"
                                         << "MINE";
        // A file has one desk and keeps no stamps: the save writes as it always has.
        QTest::newRow("file, changed") << false << "changed"
                                       << "KTEB"
                                       << "written"
                                       << "MINE";
        QTest::newRow("file, write refused") << false << ""
                                             << "KJFK"
                                             << "3022"
                                             << "TETERBORO";
    }
    void saveChecksTheStamp()
    {
        QFETCH(bool, onServer);
        QFETCH(QString, elsewhere);
        QFETCH(QString, saved);
        QFETCH(QString, outcome);
        QFETCH(QString, stored);
        QTemporaryDir folder;
        std::shared_ptr<Db::Workspace> mine, theirs;
        QString myDesk, theirDesk;
        if (onServer) {
            mine = Db::DbEngine::scratchWorkspace();
            theirs = Db::DbEngine::scratchWorkspace();
            myDesk = m_server->location(u"desk-1"_s);
            theirDesk = m_server->location(u"desk-2"_s);
            mine->openDatabase(myDesk)->execute(u"DELETE FROM Airports"_s);
        } else {
            mine = createEmptyDatabase(folder.path());
            theirs = Db::DbEngine::instance().createWorkspace(u"Other"_s, Schema::UserName,
                                                              Schema::Password);
            myDesk = theirDesk = folder.filePath(Schema::DatabaseFileName);
        }
        AddAirport(*mine, myDesk, teterboro());
        AddAirport(*mine, myDesk, teterboro(u"KJFK"_s, u"KENNEDY"_s));

        Db::ChangeStamp read;
        std::optional<AirportRecord> entered = ReadAirport(*mine, myDesk, u"KTEB"_s, &read);
        QVERIFY(entered);
        QCOMPARE(read.version, onServer ? 1 : 0);
        if (!elsewhere.isEmpty())
            changeTeterboroElsewhere(*theirs, theirDesk, elsewhere);

        entered->ID = saved;
        entered->NAME = u"MINE"_s;
        QString found;
        AirportWrite written;
        try {
            Db::Transaction transaction(*mine);
            written = UpdateAirport(*mine, myDesk, u"KTEB"_s, *entered, read);
            transaction.commit();
            const QString outcomes[] = {u"written"_s, u"changed"_s, u"deleted"_s};
            found = outcomes[int(written.outcome)];
        } catch (const Db::DbError& error) {
            found = QString::number(error.number());
        }
        QCOMPARE(found, outcome);
        QCOMPARE(storedName(*theirs, theirDesk, u"KTEB"_s), stored);
        if (found == "changed") {
            // Who and when, as the question names them.
            QCOMPARE(written.stamp.version, 2);
            QCOMPARE(written.stamp.by,
                     qEnvironmentVariable("PGUSER", u"postgres"_s) + u" on desk-2"_s);
            QVERIFY(qAbs(written.stamp.at.secsTo(QDateTime::currentDateTime())) < 600);
        }
    }

    // The question names the airport, the desk and the time; the date too when the
    // change was made on another day.
    void questionSaysWhoAndWhen()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QDate today(2025, 3, 14);
        const Db::ChangeStamp stamp{7, u"anna on desk-2"_s, QDateTime(today, QTime(14, 32, 9))};
        const QString answers =
            u" after you opened it.\r\rYes: save yours over theirs.\rNo: reload theirs; your "
            "changes are dropped."_s;
        QCOMPARE(AirportChangedQuestion(u"KTEB"_s, stamp, today),
                 u"Airport KTEB was changed by anna on desk-2 at 14:32"_s + answers);
        QCOMPARE(AirportChangedQuestion(u"KTEB"_s, stamp, today.addDays(1)),
                 u"Airport KTEB was changed by anna on desk-2 on 3/14/2025 at 14:32"_s + answers);
    }
};

QTEST_GUILESS_MAIN(TestAirportConflict)
#include "tst_airportconflict.moc"
