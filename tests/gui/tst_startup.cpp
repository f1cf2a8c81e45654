#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/instancelock.h"
#include "core/folder/starterdata.h"
#include "core/settings/appsettings.h"
#include "core/settings/inifile.h"
#include "core/settings/windowplacement.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"
#include "support/databasedump.h"
#include "support/systemfaults.h"
#include "support/testfiles.h"
#include "support/testservices.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Platform::Button;
using Platform::Icon;

class TestStartup : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestServices> m_services;
    QString m_folder;

    QString path(const QString& name) const { return m_folder + QLatin1Char('/') + name; }
    QString databasePath() const { return path(Schema::DatabaseFileName); }
    QString oldPath() const { return path(Schema::PreviousDatabaseFileName); }
    QString settingsPath() const { return path(QStringLiteral("Brisklander.INI")); }
    QString machineLock() const { return path(QStringLiteral("test.lock")); }

    bool start(const QString& lockPath = {})
    {
        StartOptions o;
        o.programFolder = m_folder;
        o.executableName = QStringLiteral("Brisklander");
        o.lockPath = lockPath.isEmpty() ? machineLock() : lockPath;
        return StartApplication(o, [] { return new Brisklander; });
    }

    QWidget* mainWindow() const { return qobject_cast<QWidget*>(appContext().MainWindow.data()); }

    void exitWithYes()
    {
        m_services->prompter->setNextAnswer(Button::Yes);
        mainWindow()->findChild<QAction*>(QStringLiteral("mnuexit"))->trigger();
        QVERIFY(m_services->process->ended());
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

    // The `count` messages shown, the last compared with `text`, "*" standing for any text.
    bool said(Icon icon, const QString& text, Button defaultButton = Button::Ok, int count = 1)
    {
        const auto& messages = m_services->prompter->messages();
        if (messages.size() != count) {
            qWarning() << "expected" << count << "messages, got" << messages.size();
            return false;
        }
        QStringList pieces = text.split(QLatin1Char('*'));
        for (QString& piece : pieces)
            piece = QRegularExpression::escape(piece);
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(pieces.join(".+")),
                                         QRegularExpression::DotMatchesEverythingOption);
        const QString& shown = messages.last().text;
        QString why;
        if (!sameMessage(messages.last(), icon, QStringLiteral("Brisklander"),
                         pattern.match(shown).hasMatch() ? shown : text, defaultButton, &why)) {
            qWarning().noquote() << why;
            return false;
        }
        return true;
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_dir = std::make_unique<QTemporaryDir>();
        m_folder = m_dir->path();
        m_services = std::make_unique<TestServices>();
        StarterData::createProgramFolder(m_folder, QStringLiteral("Brisklander"));
    }

    void cleanup()
    {
        delete mainWindow();
        appContext() = AppContext();
        Db::DbEngine::instance().release();
        ReleaseSingleCopyLock();
        m_services.reset();
        m_dir.reset();
    }

    // The start shows the main window with the company in its caption. A number written
    // by hand that the program cannot be sure of is never priced with silently: start-up
    // names the key, the value and the value used, once.
    void startShowsTheWindowAndTellsUnreadableNumbersOnce()
    {
        QFile file(settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[SETTINGS]\r\nQUOTEBASE=NM\r\nDEFAULTCHARGENM=8,5\r\nSEGMENTTAX=5,3\r\n"
                   "MINBASECHARGE=1,500\r\n");
        file.close();
        QVERIFY(start());
        QVERIFY(said(Icon::Exclamation,
                     QStringLiteral("These values of the settings file %1 are not numbers "
                                    "the program can read, so their defaults are used:\r"
                                    "\rDEFAULTCHARGENM=8,5: 0 is used"
                                    "\rSEGMENTTAX=5,3: 2.5 is used\r\rWrite numbers with "
                                    "\".\" as the decimal sign and no digit grouping (8.5, "
                                    "1500), or enter them again in Settings.")
                         .arg(settingsPath())));
        QCOMPARE(appSettings().DEFAULTCHARGENM, 0.0);
        QCOMPARE(appSettings().MINBASECHARGE, 1500.0);
        auto* window = qobject_cast<Brisklander*>(mainWindow());
        QVERIFY(window && window->isVisible());
        // The busy pointer of start-up lasts until the window paints.
        QCOMPARE(m_services->pointer->history().first(), QStringLiteral("busy"));
        QTRY_VERIFY(!m_services->pointer->isBusy());
        QCOMPARE(appContext().DatabasePath, databasePath());
        QCOMPARE(appContext().SettingsPath, settingsPath());
        QCOMPARE(appContext().Workspace->name(), QStringLiteral("AirportWS"));

        appSettings().company.NAME = QStringLiteral("  Acme Air Charter  ");
        window->Form_Activate();
        QCOMPARE(window->windowTitle(), QStringLiteral("Brisklander - Acme Air Charter"));
        appSettings().company.NAME = QStringLiteral("    ");
        window->Form_Activate();
        QCOMPARE(window->windowTitle(), QStringLiteral("Brisklander"));
    }

    // Every way a start stops says why once, in a Critical message with OK, ends with
    // status 1 and opens nothing. The single-copy guard rests on locks that end with
    // their process: what a lock file holds never matters, a lock held by another
    // process always does, wherever a copy looks for the machine's lock. A lock planted
    // as a FIFO or a link is never waited on nor followed: the machine's is everybody's
    // to spoil, so it keeps nobody out; the folder's guards the database and stops the
    // start. "Brisklander.old" beside a database that cannot be read replaces nothing.
    void startStopsOrGoesOn_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("message"); // empty: the start goes on
        const QString copy = "There is already another copy of Brisklander \ractive on this "
                             "machine.\r\rYou can only run one copy of this program\rat a time.";
        const QString lock = "The lock file '%LOCK' cannot be used: it is a *";
        const auto failed = [](int number, const char* names = "") {
            return QStringLiteral("An error occurred during program initialization:\r\rError "
                                  "number = %1\r*%2\r\rApplication will be terminated")
                .arg(number)
                .arg(QLatin1String(names));
        };
        const auto row = [](const char* name, const char* situation, const QString& message = {}) {
            QTest::newRow(name) << QString::fromUtf8(situation) << message;
        };
        row("garbage in the machine's lock file", "garbage");
        row("empty machine's lock file", "empty");
        row("lock file naming a running process", "running");
        row("machine's lock folder missing", "no lock folder");
        row("FIFO as the machine's lock", "machine fifo");
        row("lock files of another user's crashed copy", "other user's locks");
        row("database left as .old by a cut-off exit", "cut off");
        row("machine's lock held", "machine held", copy);
        row("folder held by a copy that sees another lock folder", "folder held", copy);
        row("folder held, lock folder missing", "folder held, no lock folder", copy);
        row("FIFO as the folder's lock", "folder fifo", lock);
        row("link as the folder's lock", "folder link", lock);
        // Before any database is opened: without a workgroup file that would fail first.
        row("settings file missing", "no settings",
            "FATAL ERROR: Brisklander.INI file not found.\r\rApplication will be terminated");
        row("settings file unreadable", "unreadable settings",
            "FATAL ERROR: The settings file '%INI' cannot be read: Permission denied.\r\r"
            "Application will be terminated");
        row("workgroup missing", "workgroup missing", failed(int(Db::Error::WorkgroupMissing)));
        row("database in use by another program", "database held",
            failed(int(Db::Error::InUse), "%DB*"));
        row(".old beside a database held by another program", "old, database held",
            failed(int(Db::Error::InUse), "%DB*"));
    }

    void startStopsOrGoesOn()
    {
        QFETCH(QString, situation);
        QFETCH(QString, message);
        const bool asRoot =
            situation.startsWith(u"other user") || situation == u"unreadable settings";
        if (asRoot && !runningAsRoot())
            QSKIP("needs root to act as another user");
        const QString folderLock = InstanceLock::folderLockPath(m_folder);
        const QString lockPath = situation.contains(u"no lock folder")
                                     ? path(QStringLiteral("no such folder/Brisklander.lock"))
                                     : machineLock();
        const QString planted = situation.startsWith(u"machine fifo") ? machineLock() : folderLock;
        const QMap<QString, QByteArray> lockFile{
            {"garbage", "garbage\n\x01"},
            {"empty", ""},
            {"running", "1\nBrisklander\n" + QSysInfo::machineHostName().toUtf8()}};
        if (lockFile.contains(situation)) {
            QFile file(machineLock());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(lockFile[situation]);
        } else if (situation.endsWith(u"fifo") || situation == u"folder link") {
            QFile::remove(planted); // the folder's, left by making the folder
            QVERIFY(situation.endsWith(u"fifo")
                        ? ::mkfifo(QFile::encodeName(planted).constData(), 0666) == 0
                        : QFile::link(settingsPath(), planted));
        } else if (situation == u"other user's locks") {
            for (const QString& lock : {machineLock(), folderLock}) {
                QFile file(lock);
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write("4242\nBrisklander\n") > 0);
                file.close();
                QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                                            QFile::ReadGroup | QFile::ReadOther));
            }
            // The program folder itself is this user's to work in.
            QVERIFY(QFile(m_folder).setPermissions(QFileDevice::Permissions(0x7777)));
            for (const QString& name : QDir(m_folder).entryList(QDir::Files))
                if (!name.endsWith(QLatin1String(".lock")))
                    QVERIFY(QFile(path(name)).setPermissions(QFileDevice::Permissions(0x6666)));
        } else if (situation == u"cut off") {
            QVERIFY(QFile::rename(databasePath(), oldPath()));
        } else if (situation == u"no settings") {
            QVERIFY(QFile::remove(settingsPath()));
            QVERIFY(QFile::remove(path(Schema::WorkgroupFileName)));
        } else if (situation == u"unreadable settings") {
            QVERIFY(
                QFile::setPermissions(m_folder, QFile::permissions(m_folder) | QFile::ExeOther));
            QVERIFY(QFile::setPermissions(settingsPath(), {}));
        } else if (situation == u"workgroup missing") {
            QVERIFY(QFile::remove(path(Schema::WorkgroupFileName)));
        } else if (situation.startsWith(u"old, ")) {
            QVERIFY(QFile::copy(databasePath(), oldPath()));
        }
        const QStringList database =
            dumpDatabase(situation == u"cut off" ? oldPath() : databasePath());
        const QByteArray old = TestFiles::contentOf(oldPath());
        std::unique_ptr<LockHolder> holder;
        if (situation.contains(u" held") && !situation.contains(u"database")) {
            holder = std::make_unique<LockHolder>(situation.startsWith(u"machine") ? machineLock()
                                                                                   : folderLock);
            QVERIFY(holder->isHolding());
        }
        std::unique_ptr<WriteTransactionHolder> writer;
        if (situation.endsWith(u"database held")) {
            writer = std::make_unique<WriteTransactionHolder>(databasePath());
            QVERIFY(writer->isHolding());
        }
        // A start that waits on a FIFO is let go after two seconds, so that it fails
        // here instead of hanging the test.
        std::atomic<bool> started{false};
        std::thread watchdog([&] {
            for (int i = 0; i < 40 && !started; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!started && situation.endsWith(u"fifo"))
                ::close(::open(QFile::encodeName(planted).constData(), O_WRONLY | O_NONBLOCK));
        });
        const auto unhung = qScopeGuard([&] {
            started = true;
            watchdog.join();
        });
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
        if (!situation.contains(u"database")) // a held database is waited on a while
            QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        writer.reset();
        QCOMPARE(starts, message.isEmpty());
        if (starts) {
            QVERIFY(m_services->prompter->messages().isEmpty());
            QCOMPARE(dumpDatabase(databasePath()), database);
            QVERIFY(!QFile::exists(oldPath()));
            return;
        }
        message.replace(QStringLiteral("%LOCK"), planted)
            .replace(QStringLiteral("%INI"), settingsPath())
            .replace(QStringLiteral("%DB"), databasePath());
        QVERIFY(said(Icon::Critical, message));
        QCOMPARE(m_services->process->exitCodes(), QList<int>{1});
        QVERIFY(!mainWindow());
        if (!message.startsWith(u"An error")) // stopped before any database was opened
            QVERIFY(!appContext().Workspace);
        QVERIFY(!m_services->pointer->isBusy());
        if (situation.startsWith(u"old, ")) {
            QCOMPARE(dumpDatabase(databasePath()), database);
            QCOMPARE(TestFiles::contentOf(oldPath()), old);
        }
        if (holder) {
            // A crash of the holder releases the lock with it: a later start gets in.
            holder->kill();
            m_services->prompter->clear();
            QVERIFY(start(lockPath));
            QVERIFY(m_services->prompter->messages().isEmpty());
        }
    }

    // The first copy keeps its lock and its window when a second is refused.
    void secondCopyIsRefusedAndTheFirstKeepsItsLock()
    {
        QVERIFY(start());
        auto* first = mainWindow();
        appContext().MainWindow = nullptr;
        QVERIFY(!start());
        QVERIFY(said(Icon::Critical,
                     QStringLiteral("There is already another copy of Brisklander \ractive "
                                    "on this machine.\r\rYou can only run one copy of this "
                                    "program\rat a time.")));
        QVERIFY(first->isVisible());
        delete first;
    }

    // The exit asks first (the close box too), and No keeps everything. Yes compacts
    // the database and keeps where the window was; the next start opens it there,
    // within the screen. The default size is larger than a screen of 1280x720 (1920x1080
    // at 150 %), as it is than the 800x600 of the test screen.
    void exitCompactsAndTheWindowOpensWhereItWasLeft()
    {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(start());
        m_services->prompter->setNextAnswer(Button::No);
        mainWindow()->findChild<QAction*>(QStringLiteral("mnuexit"))->trigger();
        m_services->prompter->setNextAnswer(Button::No);
        QVERIFY(!mainWindow()->close());
        QCOMPARE(m_services->prompter->messages().size(), 2);
        for (const auto& message : m_services->prompter->messages())
            QVERIFY(sameMessage(message, Icon::Question, QStringLiteral("Brisklander"),
                                QStringLiteral("Are you sure that you want to EXIT Brisklander ?"),
                                Button::No));
        QVERIFY(mainWindow()->isVisible());
        QVERIFY(appContext().Workspace && !appContext().Workspace->isClosed());
        QVERIFY(!m_services->process->ended());
        QVERIFY(available.contains(mainWindow()->frameGeometry()));
        QCOMPARE(WindowPlacement::read(settingsPath()), std::nullopt);
        // Rows that are gone again, so compaction has work to do.
        auto database = appContext().Workspace->openDatabase(databasePath());
        database->execute(QStringLiteral(
            "CREATE TABLE Filler (x TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 "
            "FROM n WHERE i < 3000) INSERT INTO Filler SELECT printf('%0500d', i) FROM n; "
            "DROP TABLE Filler;"));
        database->close();
        const QStringList before = dumpDatabase(databasePath());
        const qint64 sizeBefore = QFileInfo(databasePath()).size() +
                                  QFileInfo(databasePath() + QStringLiteral("-wal")).size();

        const QRect moved(60, 70, 640, 420);
        mainWindow()->setGeometry(moved);
        exitWithYes();
        QCOMPARE(m_services->process->exitCodes(), QList<int>{0});
        QVERIFY(!QFile::exists(oldPath()));
        QVERIFY(!QFile::exists(databasePath() + QStringLiteral("-wal")));
        QCOMPARE(dumpDatabase(databasePath()), before);
        QVERIFY(QFileInfo(databasePath()).size() < sizeBefore / 4);
        QVERIFY(!m_services->pointer->isBusy());
        QVERIFY(!appContext().Workspace);
        QCOMPARE(WindowPlacement::read(settingsPath()),
                 std::optional(WindowPlacement{moved, false}));
        QVERIFY(restart());
        QCOMPARE(mainWindow()->geometry(), moved);
        QVERIFY(!mainWindow()->isMaximized());

        mainWindow()->showMaximized();
        exitWithYes();
        QVERIFY(restart());
        QVERIFY(mainWindow()->isMaximized());
        QCOMPARE(mainWindow()->normalGeometry(), moved);
        exitWithYes();

        // Left on a monitor to the right that is gone now.
        QVERIFY(WriteIni(settingsPath(), QStringLiteral("WINDOW"), QStringLiteral("LEFT"),
                         QStringLiteral("2500")));
        QVERIFY(WriteIni(settingsPath(), QStringLiteral("WINDOW"), QStringLiteral("MAXIMIZED"),
                         QStringLiteral("0")));
        QVERIFY(restart());
        QVERIFY(available.contains(mainWindow()->frameGeometry()));
        QCOMPARE(mainWindow()->size(), moved.size());
        for (const Platform::Message& message : m_services->prompter->messages())
            QCOMPARE(message.icon, Icon::Question); // nothing but the exit questions
    }

    void windowPlacementThatCannotBeWrittenDoesNotHoldUpTheExit_data()
    {
        QTest::addColumn<bool>("fullDisk");
        QTest::newRow("read-only folder") << false;
        QTest::newRow("full disk") << true;
    }

    void windowPlacementThatCannotBeWrittenDoesNotHoldUpTheExit()
    {
        QFETCH(bool, fullDisk);
        if (!runningAsRoot())
            QSKIP("needs root for its disks");
        std::unique_ptr<TinyDisk> disk;
        if (fullDisk) {
            m_folder = path(QStringLiteral("disk"));
            disk = std::make_unique<TinyDisk>(m_folder, "4m");
            QVERIFY(disk->isMounted());
            StarterData::createProgramFolder(m_folder, QStringLiteral("Brisklander"));
        }
        QVERIFY(start());
        mainWindow()->setGeometry(QRect(30, 40, 600, 400));
        const QByteArray before = TestFiles::contentOf(settingsPath());
        std::unique_ptr<ReadOnlyFolder> readOnly;
        if (fullDisk) {
            disk->fill();
        } else {
            readOnly = std::make_unique<ReadOnlyFolder>(m_folder);
            QVERIFY(readOnly->isReadOnly());
        }
        exitWithYes();

        QCOMPARE(TestFiles::contentOf(settingsPath()), before);
        QCOMPARE(m_services->process->exitCodes(), QList<int>{0});
        QVERIFY(!m_services->pointer->isBusy());
        QVERIFY(said(Icon::Critical, // after the exit question
                     QStringLiteral("The window's size and position could not be written "
                                    "to the file '%1':\r\r*\r\rThe file was left as it "
                                    "was: the window opens next time as it did this time.")
                         .arg(settingsPath()),
                     Button::Ok, 2));
        QCOMPARE(m_services->prompter->messages().last().buttons, Platform::Buttons(Button::Ok));
        readOnly.reset();
        disk.reset();
    }

    void openDocumentHandsTheTargetToTheShell()
    {
        m_services->shell->setSucceeds(false);
        OpenDocument(QStringLiteral("mailto:sales@example.com"));
        QCOMPARE(m_services->shell->opened(),
                 QStringList{QStringLiteral("mailto:sales@example.com")});
        QCOMPARE(m_services->pointer->history(),
                 (QStringList{QStringLiteral("busy"), QStringLiteral("normal")}));
        QVERIFY(m_services->prompter->messages().isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
