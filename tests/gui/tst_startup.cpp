#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/databasebackup.h"
#include "core/folder/instancelock.h"
#include "core/settings/appsettings.h"
#include "core/settings/inifile.h"
#include "core/settings/windowplacement.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/settings/frmsettings.h"
#include "gui/startup.h"
#include "support/child.h"
#include "support/databasedump.h"
#include "support/folderrig.h"
#include "support/systemfaults.h"
#include "support/tablerows.h"
#include "support/testfiles.h"
#include "support/testservices.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLocale>
#include <QScreen>
#include <QSysInfo>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <optional>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using Platform::Button;
using Platform::Icon;

class TestStartup : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<StarterFolder> m_f;
    std::unique_ptr<TestServices> m_services;

    QString machineLock() const { return m_f->path(u"test.lock"_s); }

    // The exit's backup reminder stays off unless a test wants it (a settings file that is
    // not there stays missing).
    bool m_reminder = false;

    bool start(const QString& lockPath = {})
    {
        if (!m_reminder && QFileInfo(m_f->settings()).isFile())
            WriteIni(m_f->settings(), u"SETTINGS"_s, u"BACKUPDAYS"_s, u"0"_s);
        StartOptions o;
        o.programFolder = m_f->folder;
        o.executableName = u"Brisklander"_s;
        o.lockPath = lockPath.isEmpty() ? machineLock() : lockPath;
        o.windowIcon = QStringLiteral(BRISKLANDER_SOURCE_DIR
                                      "/packaging/icons/io.github.brisklander.Brisklander-128.png");
        return StartApplication(o, [] { return new Brisklander; });
    }

    QWidget* mainWindow() const { return qobject_cast<QWidget*>(appContext().MainWindow.data()); }

    void exitWith(Button answer)
    {
        m_services->prompter->setNextAnswer(answer);
        mainWindow()->findChild<QAction*>(u"mnuexit"_s)->trigger();
        QCOMPARE(m_services->process->ended(), answer == Button::Yes);
    }

    // The next run of the program on the same folder, after an exit.
    bool restart()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        appContext() = AppContext();
        Db::DbEngine::instance().release();
        ReleaseSingleCopyLock();
        return start();
    }

    // Why the messages shown are not `count` messages, the last matching `text` ("*"
    // standing for any text); empty when they are.
    QString said(Icon icon, const QString& text, Button defaultButton = Button::Ok, int count = 1)
    {
        const auto& messages = m_services->prompter->messages();
        if (messages.size() != count)
            return u"%1 messages"_s.arg(messages.size());
        QString why;
        sameMessage(messages.last(), icon, u"Brisklander"_s, text, defaultButton, &why);
        return why;
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_f = std::make_unique<StarterFolder>();
        m_services = std::make_unique<TestServices>();
        m_reminder = false;
        QGuiApplication::setWindowIcon(QIcon());
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

    // The start shows the main window with the company in its caption. A number written
    // by hand that the program cannot be sure of is never priced with silently: start-up
    // names the key, the value and the value used, once.
    void startShowsTheWindowAndTellsUnreadableNumbersOnce()
    {
        QVERIFY(writeFile(m_f->settings(), "[SETTINGS]\r\nQUOTEBASE=NM\r\nDEFAULTCHARGENM=8,5\r\n"
                                           "SEGMENTTAX=5,3\r\nMINBASECHARGE=1,500\r\n"));
        QVERIFY(start());
        QCOMPARE(
            said(Icon::Exclamation,
                 u"These values of the settings file %1 are not numbers the program can "
                 "read, so their defaults are used:\r\rDEFAULTCHARGENM=8,5: 0 is used\r"
                 "SEGMENTTAX=5,3: 2.5 is used\r\rWrite numbers with \".\" as the decimal "
                 "sign and no digit grouping (8.5, 1500), or enter them again in Settings."_s.arg(
                     m_f->settings())),
            QString());
        QCOMPARE(appSettings().MINBASECHARGE, 1500.0);
        auto* window = qobject_cast<Brisklander*>(mainWindow());
        QVERIFY(window && window->isVisible());
        // The busy pointer of start-up lasts until the window paints.
        QCOMPARE(m_services->pointer->history().first(), u"busy"_s);
        QTRY_VERIFY(!m_services->pointer->isBusy());
        QCOMPARE(appContext().DatabasePath, m_f->database());
        QCOMPARE(appContext().SettingsPath, m_f->settings());
        QCOMPARE(appContext().Workspace->name(), u"AirportWS"_s);

        appSettings().company.NAME = u"  Acme Air Charter  "_s;
        window->Form_Activate();
        QCOMPARE(window->windowTitle(), u"Brisklander - Acme Air Charter"_s);
        appSettings().company.NAME = u"    "_s;
        window->Form_Activate();
        QCOMPARE(window->windowTitle(), u"Brisklander"_s);
    }

    // Every way a start stops says why once, in a Critical message with OK and the program's
    // icon, ends with status 1 and opens nothing; a copy already running keeps its lock and
    // its window. The locks end with their process: a later start gets in.
    void startStopsOrGoesOn_data() { addTableRows(u"gui/startup-stops.txt"_s); }

    void startStopsOrGoesOn()
    {
        QFETCH(QStringList, row);
        const QString situation = row[0];
        QString message = row.value(1);
        const bool asRoot =
            situation.startsWith(u"other user") || situation == u"unreadable settings";
        if (asRoot && !runningAsRoot())
            QSKIP("needs root to act as another user");
        const QString folderLock = InstanceLock::folderLockPath(m_f->folder);
        const QString lockPath = situation.contains(u"no lock folder")
                                     ? m_f->path(u"no such folder/Brisklander.lock"_s)
                                     : machineLock();
        const QString planted = situation.startsWith(u"machine fifo") ? machineLock() : folderLock;
        if (situation == u"lock file") {
            QVERIFY(writeFile(
                machineLock(),
                row.value(2).replace(u"{host}"_s, QSysInfo::machineHostName()).toLatin1()));
        } else if (situation.endsWith(u"fifo") || situation == u"folder link") {
            QFile::remove(planted); // the folder's, left by making the folder
            QVERIFY(situation.endsWith(u"fifo")
                        ? ::mkfifo(QFile::encodeName(planted).constData(), 0666) == 0
                        : QFile::link(m_f->settings(), planted));
        } else if (situation == u"other user's locks") {
            for (const QString& lock : {machineLock(), folderLock}) {
                QFile file(lock);
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write("4242\nBrisklander\n") > 0);
                QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                                            QFile::ReadGroup | QFile::ReadOther));
            }
            // The program folder itself is this user's to work in.
            QVERIFY(QFile(m_f->folder).setPermissions(QFileDevice::Permissions(0x7777)));
            for (const QString& name : QDir(m_f->folder).entryList(QDir::Files))
                if (!name.endsWith(u".lock"))
                    QVERIFY(
                        QFile(m_f->path(name)).setPermissions(QFileDevice::Permissions(0x6666)));
        } else if (situation == u"cut off") {
            QVERIFY(QFile::rename(m_f->database(), m_f->old()));
        } else if (situation == u"no settings") {
            QVERIFY(QFile::remove(m_f->settings()));
            QVERIFY(QFile::remove(m_f->path(Schema::WorkgroupFileName)));
        } else if (situation == u"unreadable settings") {
            QVERIFY(QFile::setPermissions(m_f->folder,
                                          QFile::permissions(m_f->folder) | QFile::ExeOther));
            QVERIFY(QFile::setPermissions(m_f->settings(), {}));
        } else if (situation == u"workgroup missing") {
            QVERIFY(QFile::remove(m_f->path(Schema::WorkgroupFileName)));
        }
        const QStringList database =
            dumpDatabase(situation == u"cut off" ? m_f->old() : m_f->database());
        std::unique_ptr<QWidget> first; // a copy already at work in this process
        if (situation == u"second copy") {
            QVERIFY(start());
            first.reset(mainWindow());
            appContext() = AppContext();
        }
        std::unique_ptr<LockHolder> holder;
        if (situation.contains(u" held") && !situation.contains(u"database")) {
            holder = std::make_unique<LockHolder>(situation.startsWith(u"machine") ? machineLock()
                                                                                   : folderLock);
            QVERIFY(holder->isHolding());
        }
        std::unique_ptr<WriteTransactionHolder> writer;
        if (situation == u"database held") {
            writer = std::make_unique<WriteTransactionHolder>(m_f->database());
            QVERIFY(writer->isHolding());
        }
        std::optional<FifoRescue> rescue;
        if (situation.endsWith(u"fifo"))
            rescue.emplace(planted);
        QElapsedTimer clock;
        clock.start();
        bool starts = false;
        {
            std::unique_ptr<AsOtherUser> other;
            if (asRoot) {
                other = std::make_unique<AsOtherUser>();
                QVERIFY(other->switched());
            }
            starts = start(lockPath);
        }
        // The message of a start that stops bears the program's icon too.
        QVERIFY(!QGuiApplication::windowIcon().isNull());
        rescue.reset();
        if (!situation.contains(u"database")) // a held database is waited on a while
            QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        writer.reset();
        QCOMPARE(starts, message.isEmpty());
        if (starts) {
            QVERIFY(m_services->prompter->messages().isEmpty());
            QCOMPARE(dumpDatabase(m_f->database()), database);
            QVERIFY(!QFile::exists(m_f->old()));
            return;
        }
        message.replace(u"%LOCK"_s, planted)
            .replace(u"%INI"_s, m_f->settings())
            .replace(u"%DB"_s, m_f->database());
        QCOMPARE(said(Icon::Critical, message), QString());
        QCOMPARE(m_services->process->exitCodes(), QList<int>{1});
        QVERIFY(!mainWindow());
        if (!message.startsWith(u"An error")) // stopped before any database was opened
            QVERIFY(!appContext().Workspace);
        QVERIFY(!m_services->pointer->isBusy());
        if (first)
            QVERIFY(first->isVisible());
        if (holder) {
            holder->kill(); // as a crash ends the copy that holds it
            m_services->prompter->clear();
            QVERIFY(start(lockPath));
            QVERIFY(m_services->prompter->messages().isEmpty());
        }
    }

    // The exit asks first (the close box too), and No keeps everything. Yes compacts
    // the database and keeps where the window was; the next start opens it there,
    // within the screen. The default size is larger than a screen of 1280x720 (1920x1080
    // at 150 %), as it is than the 800x600 of the test screen.
    void exitCompactsAndTheWindowOpensWhereItWasLeft()
    {
        QVERIFY(start());
        exitWith(Button::No);
        m_services->prompter->setNextAnswer(Button::No);
        QVERIFY(!mainWindow()->close());
        QCOMPARE(m_services->prompter->messages().size(), 2);
        for (const auto& message : m_services->prompter->messages())
            QVERIFY(sameMessage(message, Icon::Question, u"Brisklander"_s,
                                u"Are you sure that you want to EXIT Brisklander ?"_s, Button::No));
        QVERIFY(mainWindow()->isVisible());
        QVERIFY(appContext().Workspace && !appContext().Workspace->isClosed());
        QCOMPARE(WindowPlacement::read(m_f->settings()), std::nullopt);
        // Rows that are gone again, so compaction has work to do.
        auto database = appContext().Workspace->openDatabase(m_f->database());
        database->execute(u"CREATE TABLE Filler (x TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION "
                          "ALL SELECT i+1 FROM n WHERE i < 3000) INSERT INTO Filler SELECT "
                          "printf('%0500d', i) FROM n; DROP TABLE Filler;"_s);
        database->close();
        const QStringList before = dumpDatabase(m_f->database());
        const qint64 sizeBefore =
            QFileInfo(m_f->database()).size() + QFileInfo(m_f->database() + u"-wal"_s).size();

        const QRect moved(60, 70, 640, 460);
        mainWindow()->setGeometry(moved);
        exitWith(Button::Yes);
        QCOMPARE(m_services->process->exitCodes(), QList<int>{0});
        QVERIFY(!QFile::exists(m_f->old()));
        QVERIFY(!QFile::exists(m_f->database() + u"-wal"_s));
        QCOMPARE(dumpDatabase(m_f->database()), before);
        QVERIFY(QFileInfo(m_f->database()).size() < sizeBefore / 4);
        QVERIFY(!m_services->pointer->isBusy());
        QVERIFY(!appContext().Workspace);
        QCOMPARE(WindowPlacement::read(m_f->settings()),
                 std::optional(WindowPlacement{moved, false}));
        QVERIFY(restart());
        QCOMPARE(mainWindow()->geometry(), moved);
        QVERIFY(!mainWindow()->isMaximized());

        mainWindow()->showMaximized();
        mainWindow()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(mainWindow()));
        QTest::keyClick(mainWindow(), Qt::Key_M, Qt::ControlModifier); // the map hidden
        exitWith(Button::Yes);
        QVERIFY(restart());
        QVERIFY(mainWindow()->isMaximized());
        QCOMPARE(mainWindow()->property("mapShown"), QVariant(false));
        QCOMPARE(mainWindow()->normalGeometry(), moved);
        exitWith(Button::Yes);

        // Left on a monitor to the right that is gone now.
        QVERIFY(WriteIni(m_f->settings(), u"WINDOW"_s, u"LEFT"_s, u"2500"_s));
        QVERIFY(WriteIni(m_f->settings(), u"WINDOW"_s, u"MAXIMIZED"_s, u"0"_s));
        QVERIFY(restart());
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(
            mainWindow()->frameGeometry()));
        QCOMPARE(mainWindow()->size(), moved.size());
        for (const Platform::Message& message : m_services->prompter->messages())
            QCOMPARE(message.icon, Icon::Question); // nothing but the exit questions
    }

    // The exit offers a backup into the folder's Backups subfolder once the last one is
    // BACKUPDAYS days old (7 when the key is missing; when it is due is the core's
    // backupReminder rows); a backup that fails is said and the program closes all the same.
    void exitOffersABackup_data()
    {
        QTest::addColumn<int>("daysAgo");   // the last backup; -1 never
        QTest::addColumn<QString>("days");  // BACKUPDAYS in the file; empty: missing
        QTest::addColumn<Button>("answer"); // to the offer; NoButton: none made
        QTest::addColumn<bool>("fails");    // the Backups subfolder is a file
        QTest::newRow("never backed up, Yes") << -1 << QString() << Button::Yes << false;
        QTest::newRow("a week ago, No") << 7 << u"7"_s << Button::No << false;
        QTest::newRow("turned off") << -1 << u"0"_s << Button::NoButton << false;
        QTest::newRow("the backup fails") << -1 << u"3"_s << Button::Yes << true;
    }

    void exitOffersABackup()
    {
        QFETCH(int, daysAgo);
        QFETCH(QString, days);
        QFETCH(Button, answer);
        QFETCH(bool, fails);
        m_reminder = true;
        const QDate today = m_services->clock->today();
        if (!days.isEmpty())
            QVERIFY(WriteIni(m_f->settings(), u"SETTINGS"_s, u"BACKUPDAYS"_s, days));
        if (daysAgo >= 0)
            Db::DbEngine::recordBackup(m_f->path(Schema::WorkgroupFileName),
                                       QDateTime(today.addDays(-daysAgo), QTime(9, 0)),
                                       u"earlier.mdb"_s);
        if (fails)
            QVERIFY(QFile(m_f->path(u"Backups"_s)).open(QIODevice::WriteOnly));
        QVERIFY(start());
        const QStringList data = dumpDatabase(m_f->database());
        m_services->prompter->setNextAnswer(Button::Yes);
        if (answer != Button::NoButton)
            m_services->prompter->setNextAnswer(answer);
        if (fails)
            m_services->prompter->setNextAnswer(Button::Ok);
        mainWindow()->findChild<QAction*>(u"mnuexit"_s)->trigger();
        QCOMPARE(m_services->process->exitCodes(), QList<int>{0});
        QVERIFY(!m_services->pointer->isBusy());
        QCOMPARE(m_services->prompter->pendingAnswers(), 0);
        QVERIFY(m_services->prompter->unexpected().isEmpty());
        const QString file = m_f->path(u"Backups/Brisklander-2026-12-06.mdb"_s);
        if (answer != Button::NoButton)
            QVERIFY(sameMessage(
                m_services->prompter->messages().value(1), Icon::Question, u"Brisklander"_s,
                (daysAgo < 0 ? u"The database has never been backed up."_s
                             : u"The database was last backed up on 11/29/26, 7 days ago."_s) +
                    u"\r\rBack up the database now, to '%1'?"_s.arg(file),
                Button::Yes));
        if (fails)
            QCOMPARE(said(Icon::Critical,
                          u"The database could not be backed up to '%1':\r\rThe folder '%2' to "
                          "write the backup in does not exist.\r\rBrisklander closes now; back up "
                          "from the Quote menu next time."_s.arg(file, m_f->path(u"Backups"_s)),
                          Button::Ok, 3),
                     QString());
        const bool made = answer == Button::Yes && !fails;
        QCOMPARE(QFileInfo(file).isFile(), made);
        if (made) {
            QCOMPARE(dumpDatabase(file), data);
            QCOMPARE(DatabaseBackup::lastBackup(m_f->folder).date(), QDate::currentDate());
        }
    }

    // Restore Database checks the file, asks, and puts the backup in place once the
    // program has closed its connections, keeping the database it replaces; the next
    // start works with the restored data.
    void restoreFromTheMenuTakesPlaceAsTheProgramCloses()
    {
        QVERIFY(start());
        const QString copy = m_f->path(u"copy.mdb"_s);
        QVERIFY(DatabaseBackup::backup(m_f->folder, copy).warnings.isEmpty());
        const QStringList backedUp = dumpDatabase(m_f->database());
        appContext()
            .Workspace->openDatabase(m_f->database())
            ->execute(u"INSERT INTO Taxes VALUES ('AFTER BACKUP', 1)"_s);
        const QStringList changed = dumpDatabase(m_f->database());
        QVERIFY(changed != backedUp);
        m_services->fileChooser->setAnswer(Platform::SaveFileAnswer{copy, QString()});
        m_services->prompter->setNextAnswer(Button::Yes);
        m_services->prompter->setNextAnswer(Button::Ok);
        mainWindow()->findChild<QAction*>(u"mnuRestore"_s)->trigger();
        QCOMPARE(m_services->process->exitCodes(), QList<int>{0});
        const QStringList kept =
            QDir(m_f->folder).entryList({u"Brisklander.mdb.before-restore-*"_s});
        QCOMPARE(kept.size(), 1);
        QVERIFY(sameMessage(m_services->prompter->messages().value(0), Icon::Question,
                            u"Brisklander"_s,
                            u"Restore the database from '%1' ?\r\rBrisklander closes to put it "
                            "in place; the database in use now is kept beside it as "
                            "Brisklander.mdb.before-restore-<date and time>. Start Brisklander "
                            "again afterwards."_s.arg(copy),
                            Button::No));
        QVERIFY(sameMessage(m_services->prompter->messages().value(1), Icon::Information,
                            u"Restore Database"_s,
                            u"The database was restored from '%1'.\r\rThe replaced database is "
                            "kept as '%2'.\r\rStart Brisklander again to work with it."_s.arg(
                                copy, m_f->path(kept.value(0))),
                            Button::Ok));
        QCOMPARE(dumpDatabase(m_f->database()), backedUp);
        QCOMPARE(dumpDatabase(m_f->path(kept.value(0))), changed);
        QVERIFY(restart());
        QVERIFY(mainWindow()->isVisible());
    }

    // The settings file's own write failures (a full disk among them) are DurableFile's
    // rows; a folder turned read-only stands for them here.
    void windowPlacementThatCannotBeWrittenDoesNotHoldUpTheExit()
    {
        if (!runningAsRoot())
            QSKIP("needs root to mount a read-only folder");
        QVERIFY(start());
        mainWindow()->setGeometry(QRect(30, 40, 600, 400));
        const QByteArray before = TestFiles::contentOf(m_f->settings());
        auto readOnly = std::make_unique<ReadOnlyFolder>(m_f->folder);
        QVERIFY(readOnly->isReadOnly());
        exitWith(Button::Yes);

        QCOMPARE(TestFiles::contentOf(m_f->settings()), before);
        QCOMPARE(m_services->process->exitCodes(), QList<int>{0});
        QVERIFY(!m_services->pointer->isBusy());
        QCOMPARE(said(Icon::Critical, // after the exit question
                      u"The window's size and position could not be written to the file "
                      "'%1':\r\r*\r\rThe file was left as it was: the window opens next time as "
                      "it did this time."_s.arg(m_f->settings()),
                      Button::Ok, 2),
                 QString());
        QCOMPARE(m_services->prompter->messages().last().buttons, Platform::Buttons(Button::Ok));
    }

    // A folder made before airports kept their zone names, codes and cities, and their
    // count: the start adds the columns and the count, or, while another program holds the
    // database for a change, reads it as it is and says so. A count the engine refuses
    // half way is left out whole, unsaid: the list counts the airports as it can.
    void oldDatabaseGainsZoneNames_data()
    {
        QTest::addColumn<bool>("held");
        QTest::addColumn<bool>("refused");
        QTest::newRow("column added") << false << false;
        QTest::newRow("database held for a change") << true << false;
        QTest::newRow("count refused half way") << false << true;
    }
    void oldDatabaseGainsZoneNames()
    {
        QFETCH(bool, held);
        QFETCH(bool, refused);
        QCOMPARE(execSql(m_f->database(),
                         "DROP INDEX AirportsByIata; ALTER TABLE Airports DROP COLUMN IATA; "
                         "ALTER TABLE Airports DROP COLUMN CITY; ALTER TABLE Airports DROP "
                         "COLUMN [TIME ZONE NAME]; DROP TABLE TableRows; DROP TRIGGER "
                         "AirportAdded; DROP TRIGGER AirportDeleted"),
                 SQLITE_OK);
        // A trigger of that name already there fails the count's last statement.
        if (refused)
            QCOMPARE(execSql(m_f->database(), "CREATE TRIGGER AirportDeleted AFTER DELETE ON "
                                              "Airports BEGIN SELECT 1; END"),
                     SQLITE_OK);
        std::unique_ptr<WriteTransactionHolder> writer;
        if (held) {
            writer = std::make_unique<WriteTransactionHolder>(m_f->database(), false);
            QVERIFY(writer->isHolding());
        }
        QVERIFY(start());
        writer.reset();
        QCOMPARE(execSql(m_f->database(),
                         "SELECT [TIME ZONE NAME], IATA, CITY FROM Airports "
                         "INDEXED BY AirportsByIata WHERE IATA = 'TEB'") == SQLITE_OK,
                 !held);
        QCOMPARE(execSql(m_f->database(), "SELECT * FROM TableRows") == SQLITE_OK,
                 !held && !refused);
        // A count that differs fails the statement (abs() of the least integer).
        QCOMPARE(execSql(m_f->database(),
                         "SELECT abs(CASE WHEN Rows = (SELECT count(*) FROM Airports) THEN 0 "
                         "ELSE -9223372036854775808 END) FROM TableRows; DELETE FROM Airports "
                         "WHERE ID = 'KTEB'; SELECT abs(CASE WHEN Rows = (SELECT count(*) FROM "
                         "Airports) THEN 0 ELSE -9223372036854775808 END) FROM TableRows") ==
                     SQLITE_OK,
                 !held && !refused);
        QCOMPARE(said(Icon::Exclamation,
                      u"The airport table could not be given its columns for time zone "
                      "names, IATA codes and cities:\r\rError number = *\r\rThe airports are "
                      "shown as they are, and saved without a time zone name, IATA code or city "
                      "until the program starts with a database it can change."_s),
                 held ? QString() : u"0 messages"_s);
    }

    // A data folder lacking its files is made at the start: from the template, else
    // afresh. One that cannot be made is said in a Critical message with OK, the start
    // ends with status 1, and nothing is left half made (a full disk is the folder's
    // core rows; a read-only folder stands for the refusals here).
    void dataFolderMadeOrRefused_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("message"); // empty: the start goes on
        QTest::newRow("copied from the template") << u"template"_s << QString();
        QTest::newRow("made afresh without a template") << u"afresh"_s << QString();
        QTest::newRow("in a folder that cannot be written")
            << u"read-only"_s
            << u"The data folder '%F' could not be made ready:\r\rThe folder '%F' could not be "
               "made: Read-only file system.\r\rNothing was left half made in it. Application "
               "will be terminated"_s;
        QTest::newRow("no folder to name")
            << u"no folder"_s << u"No folder.\r\rApplication will be terminated"_s;
    }

    void dataFolderMadeOrRefused()
    {
        QFETCH(QString, situation);
        QFETCH(QString, message);
        if (situation == u"read-only" && !runningAsRoot())
            QSKIP("needs root to mount a read-only disk");
        const QString data = m_f->path(u"home/data"_s);
        std::optional<ReadOnlyFolder> readOnly;
        if (situation == u"read-only") {
            QVERIFY(QDir().mkpath(m_f->path(u"home"_s)));
            readOnly.emplace(m_f->path(u"home"_s));
            QVERIFY(readOnly->isReadOnly());
        }
        StartOptions o;
        o.programFolder = data;
        o.executableName = u"brisklander"_s;
        o.settingsName = u"Brisklander.INI"_s;
        o.lockPath = machineLock();
        o.completeFolder = true;
        o.templateFolder = situation == u"afresh" ? m_f->path(u"none"_s) : m_f->folder;
        o.airportsFolder = m_f->path(u"none"_s);
        if (situation == u"no folder")
            o.folderError = u"No folder."_s;
        const bool started = StartApplication(o, [] { return new Brisklander; });
        const QStringList files = QDir(data).entryList(
            {u"Brisklander.INI"_s, u"Brisklander.mdb"_s, u"Brisklander.mdw"_s}, QDir::Files);
        QCOMPARE(started, message.isEmpty());
        if (started) {
            QCOMPARE(files, (QStringList{u"Brisklander.INI"_s, u"Brisklander.mdb"_s,
                                         u"Brisklander.mdw"_s}));
            QVERIFY(m_services->prompter->messages().isEmpty());
            QCOMPARE(appContext().SettingsPath, data + u"/Brisklander.INI"_s);
            // A folder made afresh has its first start to come; the template's had its own.
            QCOMPARE(appSettings().FIRSTSTART, situation == u"afresh");
            delete mainWindow(); // before the first start's dialog opens
            return;
        }
        QCOMPARE(said(Icon::Critical, message.replace(u"%F"_s, data)), QString());
        QCOMPARE(m_services->process->exitCodes(), QList<int>{1});
        QVERIFY(!mainWindow());
        QCOMPARE(files, QStringList());
        QCOMPARE(QDir(data).entryList({u"*.new"_s}, QDir::Files), QStringList());
    }

    // The first start in a folder opens the settings dialog on its Company tab over the
    // main window; saved or skipped with Escape, FIRSTSTART leaves the settings file, and
    // a file that cannot be changed is said (the dialog opens again next time).
    void firstStartOpensTheCompanyTab_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("writable");
        QTest::newRow("saved") << int(Qt::Key_Return) << true;
        QTest::newRow("skipped") << int(Qt::Key_Escape) << true;
        QTest::newRow("skipped, the settings file read-only") << int(Qt::Key_Escape) << false;
    }

    void firstStartOpensTheCompanyTab()
    {
        QFETCH(int, key);
        QFETCH(bool, writable);
        if (!writable && !runningAsRoot())
            QSKIP("needs root to mount a read-only folder");
        QVERIFY(WriteIni(m_f->settings(), u"SETTINGS"_s, u"FIRSTSTART"_s, u"1"_s));
        QVERIFY(start());
        std::optional<ReadOnlyFolder> readOnly;
        if (!writable) {
            readOnly.emplace(m_f->folder);
            QVERIFY(readOnly->isReadOnly());
        }
        QString seen;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<FrmSettings*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isActiveWindow())
                return;
            poll.stop();
            seen = u"%1 over %2, tab %3, focus %4"_s.arg(
                dialog->windowTitle(), mainWindow()->isVisible() ? u"the window"_s : u"nothing"_s,
                QString::number(child<QTabWidget>(*dialog, "SSTab1")->currentIndex()),
                QApplication::focusWidget()->objectName());
            QTest::keyClicks(QApplication::focusWidget(), u"Harborview Air"_s);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        });
        poll.start();
        QTRY_VERIFY(!seen.isEmpty() && !QApplication::activeModalWidget());
        QCOMPARE(seen, u"Settings over the window, tab %1, focus TxtCompany"_s.arg(
                           int(FrmSettings::CompanyTab)));
        readOnly.reset();
        const QByteArray file = TestFiles::contentOf(m_f->settings());
        QCOMPARE(file.contains("FIRSTSTART"), !writable);
        QCOMPARE(ReadIni(m_f->settings(), u"COMPANY"_s, u"NAME"_s),
                 key == Qt::Key_Return ? u"Harborview Air"_s : QString());
        QVERIFY(!appSettings().FIRSTSTART);
        if (writable)
            QVERIFY(m_services->prompter->messages().isEmpty());
        else
            QCOMPARE(said(Icon::Exclamation,
                          u"The settings file '%1' could not be changed:\r\r*\r\rThe settings "
                          "open again at the next start."_s.arg(m_f->settings())),
                     QString());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
