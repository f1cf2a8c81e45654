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

#include <sqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

using Platform::Button;
using Platform::Icon;

namespace {

// File operations that fail where a test wants them to.
class FaultyFiles : public DatabaseFiles
{
public:
    bool refuseFirstRename = false;
    bool compactionFailsPartWay = false;
    bool syncFails = false;
    QStringList synced; // what was brought to the disk, in order

    bool sync(const QString& path) override
    {
        if (syncFails)
            return false;
        synced << QFileInfo(path).fileName();
        return DatabaseFiles::sync(path);
    }

    bool rename(const QString& from, const QString& to) override
    {
        if (refuseFirstRename && !m_renamed) {
            m_renamed = true;
            return false;
        }
        m_renamed = true;
        return DatabaseFiles::rename(from, to);
    }
    void compact(const QString& from, const QString& to) override
    {
        if (compactionFailsPartWay) {
            QFile partial(to);
            QVERIFY(partial.open(QIODevice::WriteOnly));
            partial.write(QByteArray(4096, 'x'));
            partial.close();
            throw Db::DbError(Db::Error::EngineFailure, QStringLiteral("disk full"));
        }
        DatabaseFiles::compact(from, to);
    }

private:
    bool m_renamed = false;
};

} // namespace

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

    StartOptions options() const
    {
        StartOptions o;
        o.programFolder = m_folder;
        o.executableName = QStringLiteral("Brisklander");
        o.lockPath = path(QStringLiteral("test.lock"));
        return o;
    }

    bool start()
    {
        return StartApplication(options(), [] { return new Brisklander; });
    }

    QWidget* mainWindow() const { return qobject_cast<QWidget*>(appContext().MainWindow.data()); }
    QString settingsPath() const { return path(QStringLiteral("Brisklander.INI")); }

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

    bool onlyMessage(Icon icon, const QString& title, const QString& text, Button defaultButton)
    {
        const auto& messages = m_services->prompter->messages();
        QString why;
        if (messages.size() != 1) {
            qWarning() << "expected one message, got" << messages.size();
            return false;
        }
        if (!sameMessage(messages.first(), icon, title, text, defaultButton, &why)) {
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
        if (auto* window = qobject_cast<QWidget*>(appContext().MainWindow.data()))
            delete window;
        appContext() = AppContext();
        Db::DbEngine::instance().release();
        ReleaseSingleCopyLock();
        m_services.reset();
        m_dir.reset();
    }

    void startShowsTheMainWindowWithTheCompanyInItsCaption()
    {
        QVERIFY(start());
        QVERIFY(m_services->prompter->messages().isEmpty());
        auto* window = qobject_cast<Brisklander*>(appContext().MainWindow.data());
        QVERIFY(window && window->isVisible());
        // The busy pointer of start-up lasts until the window paints.
        QCOMPARE(m_services->pointer->history().first(), QStringLiteral("busy"));
        QTRY_VERIFY(!m_services->pointer->isBusy());
        QCOMPARE(appContext().DatabasePath, databasePath());
        QCOMPARE(appContext().SettingsPath, path(QStringLiteral("Brisklander.INI")));
        QVERIFY(appContext().Workspace);
        QCOMPARE(appContext().Workspace->name(), QStringLiteral("AirportWS"));

        appSettings().company.NAME = QStringLiteral("  Acme Air Charter  ");
        window->Form_Activate();
        QCOMPARE(window->windowTitle(), QStringLiteral("Brisklander - Acme Air Charter"));
        appSettings().company.NAME = QStringLiteral("    ");
        window->Form_Activate();
        QCOMPARE(window->windowTitle(), QStringLiteral("Brisklander"));
    }

    void secondCopyIsRefusedAndTheFirstKeepsItsLock()
    {
        QVERIFY(start());
        auto* first = qobject_cast<QWidget*>(appContext().MainWindow.data());
        appContext().MainWindow = nullptr;
        QVERIFY(!start());
        QVERIFY(onlyMessage(Icon::Critical, QStringLiteral("Brisklander"),
                            QStringLiteral("There is already another copy of Brisklander \ractive "
                                           "on this machine.\r\rYou can only run one copy of this "
                                           "program\rat a time."),
                            Button::Ok));
        QCOMPARE(m_services->process->exitCodes(), QList<int>{1});
        QVERIFY(first->isVisible());
        QVERIFY(!appContext().MainWindow);
        delete first;
    }

    // The guard rests on locks that end with their process, so what a lock file holds
    // never matters; a lock held by another process always does, wherever a copy
    // looks for the machine's lock (another TMPDIR, a lock folder it cannot use).
    void singleCopyGuard_data()
    {
        QTest::addColumn<QByteArray>("lockFileHolds"); // "-" for no lock file
        QTest::addColumn<bool>("machineLockReachable");
        QTest::addColumn<QString>("heldByAnotherProcess"); // "", "machine" or "folder"
        QTest::addColumn<bool>("starts");
        QTest::newRow("garbage in the lock file")
            << QByteArray("garbage\n\x01") << true << "" << true;
        QTest::newRow("empty lock file") << QByteArray() << true << "" << true;
        QTest::newRow("lock file naming a running process")
            << QByteArray("1\nBrisklander\n") + QSysInfo::machineHostName().toUtf8() << true << ""
            << true;
        QTest::newRow("lock folder missing") << QByteArray("-") << false << "" << true;
        QTest::newRow("machine lock held") << QByteArray("-") << true << "machine" << false;
        QTest::newRow("folder held by a copy that sees another lock folder")
            << QByteArray("-") << true << "folder" << false;
        QTest::newRow("folder held, lock folder missing")
            << QByteArray("-") << false << "folder" << false;
        // Put there by anyone who may write in the folder: never waited on, never followed.
        // The machine's lock is everybody's to spoil, so it must not keep anybody out; the
        // folder's is the database's guard, and the start stops naming it.
        QTest::newRow("FIFO as the machine's lock")
            << QByteArray("fifo:machine") << true << "" << true;
        QTest::newRow("FIFO as the folder's lock")
            << QByteArray("fifo:folder") << true << "" << false;
        QTest::newRow("link as the folder's lock")
            << QByteArray("link:folder") << true << "" << false;
    }

    void singleCopyGuard()
    {
        QFETCH(QByteArray, lockFileHolds);
        QFETCH(bool, machineLockReachable);
        QFETCH(QString, heldByAnotherProcess);
        QFETCH(bool, starts);
        StartOptions o = options();
        if (!machineLockReachable)
            o.lockPath = path(QStringLiteral("no such folder/Brisklander.lock"));
        const QList<QByteArray> planted = lockFileHolds.split(':'); // what, which lock
        const QString plantedPath = planted.size() < 2 ? QString()
                                    : planted[1] == "machine"
                                        ? o.lockPath
                                        : InstanceLock::folderLockPath(m_folder);
        if (!plantedPath.isEmpty())
            QFile::remove(plantedPath); // the folder's, left by making the folder
        if (planted[0] == "fifo") {
            QVERIFY(::mkfifo(QFile::encodeName(plantedPath).constData(), 0666) == 0);
        } else if (planted[0] == "link") {
            QVERIFY(QFile::link(path(QStringLiteral("Brisklander.INI")), plantedPath));
        } else if (lockFileHolds != "-") {
            QFile lock(o.lockPath);
            QVERIFY(lock.open(QIODevice::WriteOnly));
            lock.write(lockFileHolds);
        }
        // A start that waits on a FIFO is let go after two seconds, so that it fails
        // here instead of hanging the test.
        std::atomic<bool> started{false};
        std::thread watchdog([&] {
            for (int i = 0; i < 40 && !started; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!started && planted[0] == "fifo")
                ::close(::open(QFile::encodeName(plantedPath).constData(), O_WRONLY | O_NONBLOCK));
        });
        QElapsedTimer clock;
        clock.start();
        const auto unhung = qScopeGuard([&] {
            started = true;
            watchdog.join();
        });
        std::unique_ptr<LockHolder> holder;
        if (!heldByAnotherProcess.isEmpty()) {
            holder = std::make_unique<LockHolder>(heldByAnotherProcess == u"machine"
                                                      ? o.lockPath
                                                      : InstanceLock::folderLockPath(m_folder));
            QVERIFY(holder->isHolding());
        }

        QCOMPARE(StartApplication(o, [] { return new Brisklander; }), starts);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        if (!plantedPath.isEmpty() && !starts) {
            const QList<Platform::Message>& messages = m_services->prompter->messages();
            QCOMPARE(messages.size(), 1);
            QVERIFY2(messages[0].text.startsWith(QStringLiteral("The lock file '%1' cannot be "
                                                                "used: it is a ")
                                                     .arg(plantedPath)),
                     qPrintable(messages[0].text));
            QCOMPARE(messages[0].icon, Icon::Critical);
            QCOMPARE(m_services->process->exitCodes(), QList<int>{1});
            return;
        }
        if (starts) {
            QVERIFY(m_services->prompter->messages().isEmpty());
            // A crash of the holder releases the lock with it: a later start gets in.
            return;
        }
        QVERIFY(onlyMessage(Icon::Critical, QStringLiteral("Brisklander"),
                            QStringLiteral("There is already another copy of Brisklander \ractive "
                                           "on this machine.\r\rYou can only run one copy of this "
                                           "program\rat a time."),
                            Button::Ok));
        holder->kill();
        m_services->prompter->clear();
        QVERIFY(StartApplication(o, [] { return new Brisklander; }));
        QVERIFY(m_services->prompter->messages().isEmpty());
    }

    // Lock files left in a shared folder by another user's copy that crashed: this user
    // can neither write nor remove them, and starts all the same.
    void lockFilesOfAnotherUsersCopyDoNotLockOthersOut()
    {
        if (!runningAsRoot())
            QSKIP("needs root to act as another user");
        for (const QString& lockPath :
             {options().lockPath, InstanceLock::folderLockPath(m_folder)}) {
            QFile lock(lockPath);
            QVERIFY(lock.open(QIODevice::WriteOnly) && lock.write("4242\nBrisklander\n") > 0);
            lock.close();
            QVERIFY(lock.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                        QFile::ReadOther));
        }
        // The program folder itself is this user's to work in.
        QVERIFY(QFile(m_folder).setPermissions(QFileDevice::Permissions(0x7777)));
        for (const QString& name : QDir(m_folder).entryList(QDir::Files))
            if (!name.endsWith(QLatin1String(".lock")))
                QVERIFY(QFile(path(name)).setPermissions(QFileDevice::Permissions(0x6666)));
        AsOtherUser user;
        QVERIFY(user.switched());
        QVERIFY(start());
        QVERIFY(m_services->prompter->messages().isEmpty());
    }

    void missingSettingsFileStopsBeforeAnyDatabaseIsOpened()
    {
        QVERIFY(QFile::remove(path(QStringLiteral("Brisklander.INI"))));
        // Without a workgroup file a database opening would fail with its own message.
        QVERIFY(QFile::remove(path(Schema::WorkgroupFileName)));
        QVERIFY(!start());
        QVERIFY(onlyMessage(Icon::Critical, QStringLiteral("Brisklander"),
                            QStringLiteral("FATAL ERROR: Brisklander.INI file not found.\r\r"
                                           "Application will be terminated"),
                            Button::Ok));
        QCOMPARE(m_services->process->exitCodes(), QList<int>{1});
        QVERIFY(!appContext().Workspace);
        QVERIFY(!m_services->pointer->isBusy());
    }

    // A number written by hand that the program cannot be sure of is never priced with
    // silently: start-up names the key, the value and the value used, once.
    void unreadableNumbersAreToldOnceAtStart()
    {
        const QString settings = path(QStringLiteral("Brisklander.INI"));
        QFile file(settings);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[SETTINGS]\r\nQUOTEBASE=NM\r\nDEFAULTCHARGENM=8,5\r\nSEGMENTTAX=5,3\r\n"
                   "MINBASECHARGE=1,500\r\n");
        file.close();
        QVERIFY(start());
        QVERIFY(onlyMessage(Icon::Exclamation, QStringLiteral("Brisklander"),
                            QStringLiteral("These values of the settings file %1 are not numbers "
                                           "the program can read, so their defaults are used:\r"
                                           "\rDEFAULTCHARGENM=8,5: 0 is used"
                                           "\rSEGMENTTAX=5,3: 2.5 is used\r\rWrite numbers with "
                                           "\".\" as the decimal sign and no digit grouping (8.5, "
                                           "1500), or enter them again in Settings.")
                                .arg(settings),
                            Button::Ok));
        QCOMPARE(appSettings().DEFAULTCHARGENM, 0.0);
        QCOMPARE(appSettings().SEGMENTTAX, 2.5);
        QCOMPARE(appSettings().MINBASECHARGE, 1500.0);
    }

    void initializationFailuresNameTheirCause_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("number");
        QTest::newRow("missing") << "missing" << int(Db::Error::WorkgroupMissing);
        QTest::newRow("unreadable") << "garbage" << int(Db::Error::WorkgroupMissing);
        QTest::newRow("wrong account") << "account" << int(Db::Error::BadAccount);
        QTest::newRow("foreign workgroup") << "foreign" << int(Db::Error::NoPermission);
        QTest::newRow("empty database file") << "empty database" << int(Db::Error::Unrecognized);
        QTest::newRow("database in use by another program")
            << "database in use" << int(Db::Error::InUse);
    }

    void initializationFailuresNameTheirCause()
    {
        QFETCH(QString, damage);
        QFETCH(int, number);
        const QString workgroup = path(Schema::WorkgroupFileName);
        std::unique_ptr<WriteTransactionHolder> holder;
        if (damage == QLatin1String("empty database")) {
            QFile database(databasePath());
            QVERIFY(database.resize(0));
        } else if (damage == QLatin1String("database in use")) {
            holder = std::make_unique<WriteTransactionHolder>(databasePath());
            QVERIFY(holder->isHolding());
        } else {
            QVERIFY(QFile::remove(workgroup));
        }
        if (damage == QLatin1String("garbage")) {
            QFile file(workgroup);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a workgroup file");
        } else if (damage == QLatin1String("account")) {
            Db::DbEngine::createWorkgroupFile(workgroup, Schema::UserName,
                                              QStringLiteral("another password"));
        } else if (damage == QLatin1String("foreign")) {
            Db::DbEngine::createWorkgroupFile(workgroup, Schema::UserName, Schema::Password);
        }
        QVERIFY(!start());
        const auto& messages = m_services->prompter->messages();
        QCOMPARE(messages.size(), 1);
        const QString prefix = QStringLiteral("An error occurred during program initialization:"
                                              "\r\rError number = %1\r")
                                   .arg(number);
        QVERIFY2(messages.first().text.startsWith(prefix), qPrintable(messages.first().text));
        QVERIFY(messages.first().text.endsWith(QStringLiteral("\r\rApplication will be "
                                                              "terminated")));
        QVERIFY(messages.first().text.size() > prefix.size() + 40); // the description is there
        if (damage.contains(QLatin1String("database")))
            QVERIFY2(messages.first().text.contains(databasePath()),
                     qPrintable(messages.first().text));
        QCOMPARE(messages.first().icon, Icon::Critical);
        QCOMPARE(messages.first().title, QStringLiteral("Brisklander"));
        QCOMPARE(m_services->process->exitCodes(), QList<int>{1});
        QVERIFY(!appContext().MainWindow);
    }

    void currencySymbolComesFromTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("United States") << QLocale(QLocale::English, QLocale::UnitedStates) << "$";
        QTest::newRow("Germany") << QLocale(QLocale::German, QLocale::Germany) << "€";
        QTest::newRow("C locale defines none") << QLocale::c() << "$";
    }

    void currencySymbolComesFromTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, symbol);
        QLocale::setDefault(locale);
        LoadCurrencySymbol();
        QCOMPARE(appContext().CurrencySymbol, symbol);
    }

    void exitAnsweredNoKeepsEverything()
    {
        QVERIFY(start());
        auto* window = qobject_cast<Brisklander*>(appContext().MainWindow.data());
        const QStringList before = dumpDatabase(databasePath());
        m_services->prompter->setNextAnswer(Button::No);
        window->findChild<QAction*>(QStringLiteral("mnuexit"))->trigger();
        m_services->prompter->setNextAnswer(Button::No);
        QVERIFY(!window->close()); // the close box asks the same question
        QCOMPARE(m_services->prompter->messages().size(), 2);
        for (const auto& message : m_services->prompter->messages())
            QVERIFY(sameMessage(message, Icon::Question, QStringLiteral("Brisklander"),
                                QStringLiteral("Are you sure that you want to EXIT Brisklander ?"),
                                Button::No));
        QVERIFY(window->isVisible());
        QVERIFY(appContext().Workspace && !appContext().Workspace->isClosed());
        QVERIFY(!m_services->process->ended());
        QCOMPARE(dumpDatabase(databasePath()), before);
    }

    void exitAnsweredYesLeavesACompactedDatabaseAndNoOldFile()
    {
        QVERIFY(start());
        // Grow the file with rows that are gone again, so compaction has work to do.
        auto database = appContext().Workspace->openDatabase(databasePath());
        database->execute(QStringLiteral(
            "CREATE TABLE Filler (x TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 "
            "FROM n WHERE i < 3000) INSERT INTO Filler SELECT printf('%0500d', i) FROM n; "
            "DROP TABLE Filler;"));
        database->close();
        const QStringList before = dumpDatabase(databasePath());
        const qint64 sizeBefore = QFileInfo(databasePath()).size() +
                                  QFileInfo(databasePath() + QStringLiteral("-wal")).size();

        m_services->prompter->setNextAnswer(Button::Yes);
        appContext().MainWindow->findChild<QAction*>(QStringLiteral("mnuexit"))->trigger();

        QCOMPARE(m_services->process->exitCodes(), QList<int>{0});
        QVERIFY(!QFile::exists(oldPath()));
        QVERIFY(!QFile::exists(databasePath() + QStringLiteral("-wal")));
        QCOMPARE(dumpDatabase(databasePath()), before);
        QVERIFY(QFileInfo(databasePath()).size() < sizeBefore / 4);
        QVERIFY(!m_services->pointer->isBusy());
        QVERIFY(!appContext().Workspace);
    }

    void compactionFaultsLeaveTheDatabaseAsItWas_data()
    {
        QTest::addColumn<bool>("refuseRename");
        QTest::addColumn<bool>("failCompaction");
        QTest::addColumn<bool>("staleOld");
        QTest::addColumn<bool>("heldOpen");
        QTest::addColumn<bool>("syncFails");
        QTest::newRow("no fault") << false << false << false << false << false;
        QTest::newRow("rename refused") << true << false << false << false << false;
        QTest::newRow("compaction fails part-way") << false << true << false << false << false;
        QTest::newRow("stale old file") << false << false << true << false << false;
        QTest::newRow("stale old file and failing compaction")
            << false << true << true << false << false;
        QTest::newRow("held open elsewhere") << false << false << false << true << false;
        QTest::newRow("compacted copy cannot reach the disk")
            << false << false << false << false << true;
    }

    void compactionFaultsLeaveTheDatabaseAsItWas()
    {
        QFETCH(bool, refuseRename);
        QFETCH(bool, failCompaction);
        QFETCH(bool, staleOld);
        QFETCH(bool, heldOpen);
        QFETCH(bool, syncFails);
        if (staleOld)
            QVERIFY(QFile::copy(databasePath(), oldPath()));

        // A committed change that still lies in the write-ahead log.
        Db::DbEngine& engine = Db::DbEngine::instance();
        engine.setSystemDB(path(Schema::WorkgroupFileName));
        auto workspace =
            engine.createWorkspace(QStringLiteral("Other"), Schema::UserName, Schema::Password);
        auto taxes =
            workspace->openDatabase(databasePath())->openRecordset(QStringLiteral("Taxes"));
        taxes->addNew();
        taxes->setValue(QStringLiteral("Tax Type"), QStringLiteral("NEW TAX"));
        taxes->setValue(QStringLiteral("Tax %"), 3.25);
        taxes->update();
        taxes.reset();
        QVERIFY(QFileInfo(databasePath() + QStringLiteral("-wal")).size() > 0);
        if (!heldOpen)
            workspace->close();
        const QStringList before = dumpDatabase(databasePath());
        QVERIFY(before.contains(QStringLiteral("Taxes|NEW TAX|3.25")));

        FaultyFiles files;
        files.refuseFirstRename = refuseRename;
        files.compactionFailsPartWay = failCompaction;
        files.syncFails = syncFails;
        CompactDatabaseAtExit(databasePath(), files);
        workspace->close();

        QCOMPARE(dumpDatabase(databasePath()), before);
        QVERIFY(!QFile::exists(oldPath()));
        QVERIFY(!QFile::exists(Db::DbEngine::partialCompactionPath(databasePath())));
        if (!refuseRename && !failCompaction && !heldOpen && !syncFails) {
            // The copy reaches the disk before it takes the name, and the name after.
            QCOMPARE(files.synced,
                     (QStringList{
                         QFileInfo(Db::DbEngine::partialCompactionPath(databasePath())).fileName(),
                         QFileInfo(m_folder).fileName()}));
        }
    }

    void logLeftByACrashIsKeptThroughTheExit()
    {
        Db::DbEngine& engine = Db::DbEngine::instance();
        engine.setSystemDB(path(Schema::WorkgroupFileName));
        auto workspace =
            engine.createWorkspace(QStringLiteral("Other"), Schema::UserName, Schema::Password);
        workspace->openDatabase(databasePath())
            ->execute(QStringLiteral("DELETE FROM Airports WHERE ID LIKE 'K%'"));
        // The files as a crash leaves them: the change only in the log.
        QTemporaryDir crashed;
        const QString crashedDatabase = crashed.filePath(Schema::DatabaseFileName);
        for (const char* suffix : {"", "-wal", "-shm"})
            QVERIFY(QFile::copy(databasePath() + QLatin1String(suffix),
                                crashedDatabase + QLatin1String(suffix)));
        workspace->close();
        const QStringList expected = dumpDatabase(databasePath());
        QVERIFY(!expected.filter(QStringLiteral("Airports|EGLL")).isEmpty());
        QVERIFY(expected.filter(QStringLiteral("Airports|KTEB")).isEmpty());

        DatabaseFiles files;
        CompactDatabaseAtExit(crashedDatabase, files);

        QVERIFY(!QFile::exists(crashedDatabase + QStringLiteral("-wal")));
        QVERIFY(!QFile::exists(crashed.filePath(Schema::PreviousDatabaseFileName)));
        QCOMPARE(dumpDatabase(crashedDatabase), expected);
    }

    void oldFileIsKeptWhenItIsTheOnlyCopy()
    {
        QVERIFY(QFile::rename(databasePath(), oldPath()));
        const QStringList before = dumpDatabase(oldPath());
        DatabaseFiles files;
        CompactDatabaseAtExit(databasePath(), files);
        QVERIFY(QFile::exists(oldPath()));
        QVERIFY(!QFile::exists(databasePath()));

        // The next start puts it back under its own name.
        QVERIFY(start());
        QCOMPARE(dumpDatabase(databasePath()), before);
        QVERIFY(!QFile::exists(oldPath()));
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

    // The default size is larger than a screen of 1280x720 (1920x1080 at 150 %), as it
    // is than the 800x600 of the test screen.
    void windowOpensOnTheScreenAndWhereItWasLeft()
    {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(start());
        QVERIFY(available.contains(mainWindow()->frameGeometry()));
        QCOMPARE(WindowPlacement::read(settingsPath()), std::nullopt);

        const QRect moved(60, 70, 640, 420);
        mainWindow()->setGeometry(moved);
        exitWithYes();
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
        const auto& messages = m_services->prompter->messages();
        QCOMPARE(messages.size(), 2); // the exit question, then this
        const Platform::Message& said = messages.last();
        QCOMPARE(said.icon, Icon::Critical);
        QCOMPARE(said.title, QStringLiteral("Brisklander"));
        const QString start = QStringLiteral("The window's size and position could not be written "
                                             "to the file '%1':\r\r")
                                  .arg(settingsPath());
        const QString end = QStringLiteral("\r\rThe file was left as it was: the window opens "
                                           "next time as it did this time.");
        QVERIFY2(said.text.startsWith(start) && said.text.endsWith(end) &&
                     said.text.size() > start.size() + end.size(),
                 qPrintable(said.text));
        QCOMPARE(said.buttons, Platform::Buttons(Button::Ok));
        QVERIFY(!m_services->pointer->isBusy());
        readOnly.reset();
        disk.reset();
    }

    // A settings file that is there but cannot be read stops the start with its cause,
    // before anything is priced with defaults.
    void unreadableSettingsFileStopsTheStart()
    {
        if (!runningAsRoot())
            QSKIP("needs root to act as another user");
        QVERIFY(QFile::setPermissions(m_folder, QFile::permissions(m_folder) | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(settingsPath(), {}));
        bool started = true;
        {
            AsOtherUser nobody;
            QVERIFY(nobody.switched());
            started = start();
        }
        QVERIFY(!started);
        QVERIFY(onlyMessage(Icon::Critical, QStringLiteral("Brisklander"),
                            QStringLiteral("FATAL ERROR: The settings file '%1' cannot be read: "
                                           "Permission denied.\r\rApplication will be terminated")
                                .arg(settingsPath()),
                            Button::Ok));
        QCOMPARE(m_services->process->exitCodes(), QList<int>{1});
        QVERIFY(!appContext().Workspace);
        QVERIFY(!m_services->pointer->isBusy());
    }

    // A "Brisklander.old" beside a newer database that cannot be read: the start stops
    // with the cause, and both files stay as they were.
    void oldFileNeverReplacesADatabaseThatCannotBeRead_data()
    {
        QTest::addColumn<bool>("held");
        QTest::addColumn<int>("number");
        QTest::newRow("held by another program") << true << int(Db::Error::InUse);
        QTest::newRow("no permission") << false << int(Db::Error::FileNoPermission);
    }

    void oldFileNeverReplacesADatabaseThatCannotBeRead()
    {
        QFETCH(bool, held);
        QFETCH(int, number);
        if (!held && !runningAsRoot())
            QSKIP("needs root to start as another user");
        QVERIFY(QFile::copy(databasePath(), oldPath()));
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(databasePath()).constData(), &db);
        QCOMPARE(sqlite3_exec(db, "INSERT INTO Taxes VALUES ('NEWER TAX', 1.5)", nullptr, nullptr,
                              nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        const QStringList newer = dumpDatabase(databasePath());
        const QByteArray old = TestFiles::contentOf(oldPath());

        bool started = true;
        if (held) {
            WriteTransactionHolder holder(databasePath());
            QVERIFY(holder.isHolding());
            started = start();
        } else {
            QVERIFY(QFile::setPermissions(m_folder, QFileDevice::Permissions(0x7777)));
            QVERIFY(QFile::setPermissions(databasePath(),
                                          QFileDevice::ReadOwner | QFileDevice::WriteOwner));
            AsOtherUser nobody;
            QVERIFY(nobody.switched());
            started = start();
        }
        QVERIFY(!started);
        const auto& messages = m_services->prompter->messages();
        QCOMPARE(messages.size(), 1);
        const QString prefix = QStringLiteral("An error occurred during program initialization:"
                                              "\r\rError number = %1\r")
                                   .arg(number);
        QVERIFY2(messages.first().text.startsWith(prefix) &&
                     messages.first().text.contains(databasePath()),
                 qPrintable(messages.first().text));
        QCOMPARE(messages.first().icon, Icon::Critical);
        QCOMPARE(m_services->process->exitCodes(), QList<int>{1});
        QCOMPARE(dumpDatabase(databasePath()), newer);
        QCOMPARE(TestFiles::contentOf(oldPath()), old);
    }

    // The compacted database keeps the owner, group and mode the operator gave the file,
    // whatever the umask, and a database that is a link is compacted where it leads.
    void compactionKeepsTheFilesOwnerModeAndLink_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("another owner's file shared with a group") << false;
        QTest::newRow("a link to the database elsewhere") << true;
    }

    void compactionKeepsTheFilesOwnerModeAndLink()
    {
        QFETCH(bool, link);
        if (!runningAsRoot())
            QSKIP("needs root to give the file another owner and group");
        QString file = databasePath();
        if (link) {
            QVERIFY(QDir(m_folder).mkdir(QStringLiteral("shared")));
            file = path(QStringLiteral("shared/airports.db"));
            QVERIFY(QFile::rename(databasePath(), file));
            QVERIFY(QFile::link(file, databasePath()));
        }
        const QByteArray name = QFile::encodeName(file);
        QVERIFY(::chown(name.constData(), 65534, 100) == 0);
        QVERIFY(::chmod(name.constData(), 0664) == 0);
        const QStringList before = dumpDatabase(databasePath());
        struct stat was;
        QVERIFY(::stat(name.constData(), &was) == 0);

        const mode_t umask = ::umask(077);
        DatabaseFiles files;
        CompactDatabaseAtExit(databasePath(), files);
        ::umask(umask);

        struct stat now;
        QVERIFY(::stat(name.constData(), &now) == 0);
        QVERIFY(now.st_ino != was.st_ino); // compacted into a new file
        QCOMPARE(now.st_mode & 07777, mode_t(0664));
        QCOMPARE(now.st_uid, uid_t(65534));
        QCOMPARE(now.st_gid, gid_t(100));
        QCOMPARE(QFileInfo(databasePath()).isSymLink(), link);
        QCOMPARE(dumpDatabase(databasePath()), before);
        QVERIFY(!QFile::exists(QFileInfo(file).dir().filePath(Schema::PreviousDatabaseFileName)));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
