#include "core/db/engine.h"
#include "core/folder/servercopy.h"
#include "core/settings/inifile.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/airportlistmodel.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"
#include "support/folderrig.h"
#include "support/serverdatabase.h"
#include "support/testfiles.h"
#include "support/testservices.h"

#include <QAction>
#include <QLineEdit>
#include <QProcess>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;
using Platform::Button;
using Platform::Icon;

// The program on an office's PostgreSQL server, named by the settings file: started,
// used and closed as on its folder's file, the server keeping its own house. Runs beside
// the throwaway server of scripts/test.sh (its PG* variables name it), and fails without.
class TestOfficeServer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<StarterFolder> m_f;
    std::unique_ptr<TestServices> m_services;
    std::unique_ptr<ServerDatabase> m_server;
    QString m_database;

    bool start()
    {
        StartOptions o;
        o.programFolder = m_f->folder;
        o.executableName = u"Brisklander"_s;
        o.lockPath = m_f->path(u"test.lock"_s);
        return StartApplication(o, [] { return new Brisklander; });
    }
    QWidget* mainWindow() const { return qobject_cast<QWidget*>(appContext().MainWindow.data()); }
    // Names the server in the folder's settings file as an office would.
    void nameServer(const QString& host, const QString& port)
    {
        for (const auto& [key, value] : {std::pair{u"HOST"_s, host},
                                         {u"PORT"_s, port},
                                         {u"NAME"_s, m_database},
                                         {u"USER"_s, qEnvironmentVariable("PGUSER")}})
            QVERIFY(WriteIni(m_f->settings(), u"DATABASE"_s, key, value));
        QVERIFY(WriteIni(m_f->settings(), u"SETTINGS"_s, u"BACKUPDAYS"_s, u"1"_s));
    }

private slots:
    void initTestCase()
    {
        m_server = std::make_unique<ServerDatabase>(u"office"_s);
        QVERIFY2(m_server->isMade(),
                 qPrintable(u"the test server cannot be reached: "_s + m_server->error()));
        m_database = m_server->name();
    }

    void init()
    {
        m_f = std::make_unique<StarterFolder>();
        m_services = std::make_unique<TestServices>();
    }

    void cleanup()
    {
        delete mainWindow();
        appContext() = AppContext();
        Db::DbEngine::instance().release();
        ReleaseSingleCopyLock();
        m_services.reset();
        m_f.reset();
    }

    void cleanupTestCase() { m_server.reset(); }

    // The office's data is the server's: the list shows its airports, the folder's file
    // is neither backed up nor compacted, and the exit closes the connection.
    void startsUsesAndClosesOnTheServer()
    {
        ServerCopy::copyFolder(m_f->folder, u"dbname="_s + m_database);
        Db::DbEngine::instance().release();
        // The server holds one airport fewer than the folder's file.
        Db::DbEngine::scratchWorkspace()
            ->openDatabase(u"dbname="_s + m_database)
            ->execute(u"DELETE FROM Airports WHERE ID = 'KTEB'"_s);
        nameServer(qEnvironmentVariable("PGHOST"), qEnvironmentVariable("PGPORT"));
        const int onServer = Db::DbEngine::scratchWorkspace()
                                 ->openDatabase(u"dbname="_s + m_database)
                                 ->openRecordset(u"Airports"_s)
                                 ->recordCount();
        const QByteArray file = TestFiles::contentOf(m_f->database());
        QVERIFY(start());
        QVERIFY(appContext().onServer());
        auto* list = mainWindow()->findChild<QTableView*>(u"SSDBGrid1"_s);
        QCOMPARE(list->model()->rowCount(), onServer);

        mainWindow()->findChild<QAction*>(u"mnuBackup"_s)->trigger();
        QVERIFY(sameMessage(
            m_services->prompter->messages().last(), Icon::Information, u"Back Up Database"_s,
            u"The database is kept on the office's PostgreSQL server*"_s, Button::Ok));
        // No backup is offered at the exit, though the folder's file was never backed up.
        m_services->prompter->setNextAnswer(Button::Yes);
        mainWindow()->findChild<QAction*>(u"mnuexit"_s)->trigger();
        QCOMPARE(m_services->process->exitCodes(), QList<int>{0});
        QCOMPARE(m_services->prompter->messages().size(), 2);
        QCOMPARE(TestFiles::contentOf(m_f->database()), file);
        QVERIFY(!QFile::exists(m_f->old()));
    }

    // What another desk changes shows without the operator doing anything, and without
    // losing the airport selected or what is being typed.
    void changesElsewhereShowHere()
    {
        const QString office = u"dbname="_s + m_database;
        auto elsewhere = Db::DbEngine::scratchWorkspace()->openDatabase(office);
        elsewhere->execute(u"DELETE FROM Airports"_s);
        elsewhere->execute(u"INSERT INTO Airports (ID, NAME, \"LATITUDE DEGREES\", \"LONGITUDE "
                           "DEGREES\") VALUES ('KBOS', 'BOSTON LOGAN INTL', '42', '071'), "
                           "('KTEB', 'TETERBORO', '40', '074')"_s);
        nameServer(qEnvironmentVariable("PGHOST"), qEnvironmentVariable("PGPORT"));
        QVERIFY(start());
        auto* list = mainWindow()->findChild<QTableView*>(u"SSDBGrid1"_s);
        auto* find = mainWindow()->findChild<QLineEdit*>(u"TxtFind"_s);
        QCOMPARE(list->model()->rowCount(), 2);
        mainWindow()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(mainWindow()));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(1, 0)).center());
        QTest::mouseClick(find, Qt::LeftButton);
        QTest::keyClicks(mainWindow()->focusWidget(), u"kt"_s);
        auto* proposals = mainWindow()->findChild<QTableView*>(u"LstProposals"_s);
        const bool proposing = proposals->isVisible();
        const auto selectedId = [list] {
            return list->model()->index(list->currentIndex().row(), 0).data().toString();
        };
        const QString selected = selectedId();
        QVERIFY(!selected.isEmpty());
        const QString typed = find->text();

        // The rows the list holds in memory are read again with it.
        QTRY_VERIFY(qobject_cast<AirportListModel*>(list->model())->holdsAllRows());
        elsewhere->execute(u"UPDATE Airports SET NAME = 'LOGAN INTL' WHERE ID = 'KBOS'"_s);
        elsewhere->execute(u"INSERT INTO Airports (ID, NAME, \"LATITUDE DEGREES\", \"LONGITUDE "
                           "DEGREES\") VALUES ('KASE', 'ASPEN', '39', '106')"_s);
        QTRY_COMPARE(list->model()->rowCount(), 3);
        QCOMPARE(list->model()->index(1, AirportListModel::ColumnName).data().toString(),
                 u"LOGAN INTL"_s);
        QCOMPARE(selectedId(), selected);
        QCOMPARE(find->text(), typed);
        QCOMPARE(find->cursorPosition(), typed.size());
        QCOMPARE(proposals->isVisible(), proposing);
        QVERIFY(find->hasFocus());
        QVERIFY(m_services->prompter->messages().isEmpty());
    }

    // Without ~/.pgpass or PGPASSWORD the start asks for the password, once for all its
    // connections; a wrong one stops the start as a refused login.
    void passwordAskedOnceWhenNoneIsKept()
    {
        const QString clerk = u"clerk_%1"_s.arg(QCoreApplication::applicationPid());
        auto office = Db::DbEngine::scratchWorkspace()->openDatabase(u"dbname="_s + m_database);
        office->execute(
            u"CREATE ROLE %1 LOGIN PASSWORD 'secret' IN ROLE brisklander_dispatcher"_s.arg(clerk));
        // An airport of its own for the list to show, whatever ran before.
        office->execute(u"INSERT INTO Airports (ID, NAME, \"LATITUDE DEGREES\", \"LONGITUDE "
                        "DEGREES\") VALUES ('ZPWD', 'PASSWORD FIELD', '1', '001')"_s);
        nameServer(qEnvironmentVariable("PGHOST"), qEnvironmentVariable("PGPORT"));
        QVERIFY(WriteIni(m_f->settings(), u"DATABASE"_s, u"USER"_s, clerk));
        const QByteArray kept = qgetenv("PGPASSWORD");
        qunsetenv("PGPASSWORD");
        const auto restore = qScopeGuard([&] { qputenv("PGPASSWORD", kept); });
        const QString asked = u"The password of %1 on * as %2:"_s.arg(m_database, clerk);

        m_services->prompter->setNextPassword(u"secret"_s);
        QVERIFY(start());
        QCOMPARE(m_services->prompter->messages().size(), 1);
        QVERIFY(sameMessage(m_services->prompter->messages().first(), Icon::Question,
                            u"Brisklander"_s, asked, Button::Ok));
        QVERIFY(mainWindow()->findChild<QTableView*>(u"SSDBGrid1"_s)->model()->rowCount() > 0);

        cleanup();
        init();
        nameServer(qEnvironmentVariable("PGHOST"), qEnvironmentVariable("PGPORT"));
        QVERIFY(WriteIni(m_f->settings(), u"DATABASE"_s, u"USER"_s, clerk));
        m_services->prompter->setNextPassword(u"wrong"_s);
        QVERIFY(!start());
        const auto& messages = m_services->prompter->messages();
        QCOMPARE(messages.size(), 2);
        QVERIFY(sameMessage(messages.first(), Icon::Question, u"Brisklander"_s, asked, Button::Ok));
        QVERIFY(sameMessage(messages.last(), Icon::Critical, u"Brisklander"_s,
                            u"An error occurred during program initialization:\r\rError number = "
                            "3029\rNot a valid account name or password.*"_s,
                            Button::Ok));
    }

    // A server that cannot be reached stops the start with a message naming it.
    void serverOutOfReachStopsTheStart()
    {
        nameServer(u"127.0.0.1"_s, u"9"_s);
        QVERIFY(!start());
        QCOMPARE(m_services->prompter->messages().size(), 1);
        QVERIFY(sameMessage(m_services->prompter->messages().last(), Icon::Critical,
                            u"Brisklander"_s,
                            u"An error occurred during program initialization:\r\rError number = "
                            "3049\rCannot reach the database server 127.0.0.1:9. *\r\rApplication "
                            "will be terminated"_s,
                            Button::Ok));
        QCOMPARE(m_services->process->exitCodes(), QList<int>{1});
    }
};

QTEST_MAIN(TestOfficeServer)
#include "tst_officeserver.moc"
