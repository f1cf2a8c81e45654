#include "core/db/engine.h"
#include "core/folder/databasebackup.h"
#include "core/folder/databasefiles.h"
#include "core/folder/instancelock.h"
#include "support/databasedump.h"
#include "support/folderrig.h"
#include "support/systemfaults.h"
#include "support/tablerows.h"
#include "support/testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <utility>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// The operator's tables, the ballast that makes compaction take a while included.
const QStringList DataTables = {"Airports", "AdditionalCharges", "Taxes",     "SysQueries",
                                "Quotes",   "QuoteHistory",      "Customers", "Ballast"};

// File operations that fail where a test wants them to.
class FaultyFiles : public DatabaseFiles
{
public:
    QString fault;
    QStringList synced;                 // what was brought to the disk, in order
    std::function<void()> beforeRename; // something else let in between settle and rename

    bool sync(const QString& path) override
    {
        if (fault == u"sync fails")
            return false;
        synced << QFileInfo(path).fileName();
        return DatabaseFiles::sync(path);
    }
    bool rename(const QString& from, const QString& to) override
    {
        if (beforeRename)
            std::exchange(beforeRename, nullptr)();
        if (fault == u"rename refused") { // the first one only
            fault.clear();
            return false;
        }
        return DatabaseFiles::rename(from, to);
    }
    void compact(const QString& from, const QString& to) override
    {
        if (fault.contains(u"compaction fails")) {
            QFile partial(to);
            QVERIFY(partial.open(QIODevice::WriteOnly) && partial.write(QByteArray(4096, 'x')));
            throw Db::DbError(Db::Error::EngineFailure, QStringLiteral("disk full"));
        }
        DatabaseFiles::compact(from, to);
    }
};

} // namespace

// A crash during the exit's compaction, followed by whatever runs next (the build's
// `brisklander-db create`, which the run script also calls), never costs the data.
class TestCrashRecovery : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<StarterFolder> m_f;
    QStringList m_operatorData;

    ToolRun create() { return runTool({u"create"_s, m_f->folder, u"Brisklander"_s}); }

    // No ".old" and no partial copy beside the database (the one at `database`).
    void expectNothingBeside(const QString& database)
    {
        const QString partial = Db::DbEngine::partialCompactionPath(database);
        QVERIFY(!QFile::exists(PreviousDatabasePath(database)));
        QVERIFY(!QFile::exists(partial) && !QFile::exists(partial + u"-journal"_s));
    }

private slots:
    void init()
    {
        m_f = std::make_unique<StarterFolder>();
        // The operator's own data, and enough of it that compaction takes a while.
        QCOMPARE(
            execSql(
                m_f->database(),
                "DELETE FROM Airports WHERE ID LIKE 'K%'; "
                "INSERT INTO Taxes (\"Tax Type\", \"Tax %\") VALUES ('OPERATOR TAX', 4.25); "
                "INSERT INTO Quotes VALUES ('2026-0001', 1, 2026, 1, 1, 'Sent', NULL, "
                "'2026-03-02T10:00:00', 'op', 'Harborview Air', 'KTEB-KASE', '2,793.10', "
                "2793.1, '2026-04-01', 'harborview air', '-kteb-kase-', 'NM', 1500, '{}', '{}'); "
                "INSERT INTO QuoteHistory VALUES ('2026-0001', 1, 'Sent', NULL, '2026-03-02'); "
                "INSERT INTO Customers VALUES ('harborview air', 'Harborview Air', 'Denver', "
                "'{}'); "
                "CREATE TABLE Ballast (x TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION "
                "ALL SELECT i+1 FROM n WHERE i < 20000) INSERT INTO Ballast SELECT "
                "printf('%0400d', i) FROM n;"),
            SQLITE_OK);
        Db::DbEngine::settleDatabaseFile(m_f->database());
        m_operatorData = dumpDatabase(m_f->database(), DataTables);
        QVERIFY(m_operatorData.contains(u"Taxes|OPERATOR TAX|4.25"_s));
        QVERIFY(m_operatorData.join(u'\n').contains(u"Harborview Air|Denver"_s));
    }

    void cleanup() { m_f.reset(); }

    // The states a crash can leave beside "Brisklander.old", put right before anything
    // else touches the folder: only a database shown missing or broken is replaced, and
    // what is replaced is kept aside; a database that cannot be read (held by another
    // program, or not this user's to read) stops it with the cause, changing nothing.
    // "missing": killed while compacting; "whole": killed after the compacted copy took
    // the name; "held", "unreadable": a newer database beside the ".old".
    void recoveryPutsAnInterruptedExitRight_data()
    {
        QTest::addColumn<QString>("database"); // what lies under the database's name
        for (const char* database : {"missing", "empty", "damaged", "whole", "held", "unreadable"})
            QTest::newRow(database) << database;
    }

    void recoveryPutsAnInterruptedExitRight()
    {
        QFETCH(QString, database);
        const bool readable = database == u"whole";
        const bool refused = database == u"held" || database == u"unreadable";
        // The line said, or the number of the error.
        const QString result = database == u"held"         ? u"3045"_s
                               : database == u"unreadable" ? u"3051"_s
                               : readable                  ? u"removed Brisklander.old"_s
                                          : u"restored Brisklander.mdb from Brisklander.old"_s;
        if (database == u"unreadable" && !runningAsRoot())
            QSKIP("needs root to act as another user");
        const QString partial = Db::DbEngine::partialCompactionPath(m_f->database());
        for (const QString& name : {partial, partial + u"-journal"_s})
            QVERIFY(writeFile(name, QByteArray(8192, 'p')));
        QByteArray junk;
        if (readable || refused) { // an older copy under the ".old" name, and a change since
            QVERIFY(QFile::copy(m_f->database(), m_f->old()));
            QCOMPARE(execSql(m_f->database(), "INSERT INTO Taxes VALUES ('NEWER TAX', 1.5)"),
                     SQLITE_OK);
        } else {
            QVERIFY(QFile::rename(m_f->database(), m_f->old()));
            if (database == u"damaged")
                junk = QByteArray("SQLite format 3") + QByteArray(4000, '\0');
            if (database != u"missing")
                QVERIFY(writeFile(m_f->database(), junk));
        }
        const QStringList newer = dumpDatabase(m_f->database(), DataTables);
        const QByteArray old = TestFiles::contentOf(m_f->old());
        std::unique_ptr<WriteTransactionHolder> holder;
        std::unique_ptr<AsOtherUser> otherUser;
        if (database == u"held") {
            holder = std::make_unique<WriteTransactionHolder>(m_f->database());
            QVERIFY(holder->isHolding());
        } else if (database == u"unreadable") {
            QVERIFY(QFile::setPermissions(m_f->folder, QFileDevice::Permissions(0x7777)));
            QVERIFY(QFile::setPermissions(m_f->database(),
                                          QFileDevice::ReadOwner | QFileDevice::WriteOwner));
            otherUser = std::make_unique<AsOtherUser>();
            QVERIFY(otherUser->switched());
        }
        QString said;
        try {
            said = RecoverInterruptedCompaction(m_f->database()).join(u'\n');
        } catch (const Db::DbError& error) {
            said = QString::number(error.number());
            QVERIFY2(error.description().contains(m_f->database()),
                     qPrintable(error.description()));
        }
        otherUser.reset();
        holder.reset();
        QVERIFY2(said.contains(result), qPrintable(said));
        if (readable || refused) {
            QCOMPARE(dumpDatabase(m_f->database(), DataTables), newer);
            QCOMPARE(TestFiles::contentOf(m_f->old()), refused ? old : QByteArray("<unreadable>"));
            return;
        }
        QCOMPARE(dumpDatabase(m_f->database(), DataTables), m_operatorData);
        expectNothingBeside(m_f->database());
        // What lay under the name is kept aside, byte for byte.
        const QStringList aside = QDir(m_f->folder).entryList({u"Brisklander.damaged-*.mdb"_s});
        QCOMPARE(aside.size(), database == u"missing" ? 0 : 1);
        if (!aside.isEmpty())
            QCOMPARE(TestFiles::contentOf(m_f->path(aside.first())), junk);
    }

    // The exit offers a backup from BACKUPDAYS days after the last one; 0 never offers.
    void backupReminder_data()
    {
        QTest::addColumn<int>("daysAgo"); // -1: never backed up
        QTest::addColumn<int>("days");
        QTest::addColumn<bool>("due");
        QTest::newRow("never backed up") << -1 << 7 << true;
        QTest::newRow("six days ago") << 6 << 7 << false;
        QTest::newRow("a week ago") << 7 << 7 << true;
        QTest::newRow("yesterday, daily") << 1 << 1 << true;
        QTest::newRow("today, daily") << 0 << 1 << false;
        QTest::newRow("never, reminder off") << -1 << 0 << false;
        QTest::newRow("a year ago, reminder off") << 365 << 0 << false;
    }

    void backupReminder()
    {
        QFETCH(int, daysAgo);
        QFETCH(int, days);
        QFETCH(bool, due);
        const QDate today(2026, 12, 6);
        const QDateTime last =
            daysAgo < 0 ? QDateTime() : QDateTime(today.addDays(-daysAgo), QTime(23, 59));
        QCOMPARE(DatabaseBackup::reminderDue(last, today, days), due);
    }

    void toolRuns_data() { addTableRows(u"core/folder/crashrecovery-runs.txt"_s); }

    void toolRuns()
    {
        QFETCH(QStringList, row);
        const QString situation = row[0];
        QStringList arguments = row[2].split(u' ', Qt::SkipEmptyParts);
        const QString folder = m_f->path(u"new"_s);
        const QString backup =
            situation == u"full disk" ? m_f->path(u"disk/copy.mdb"_s) : m_f->path(u"copy.mdb"_s);
        for (QString& argument : arguments) {
            if (argument == u"F" || argument.startsWith(u"F/"))
                argument.replace(0, 1, m_f->folder);
            else if (argument == u"N" || argument.startsWith(u"N/"))
                argument.replace(0, 1, folder);
            argument.replace(u"{data}"_s, BRISKLANDER_SOURCE_DIR "/data")
                .replace(u"{backup}"_s, backup);
        }
        if (situation == u"cut off" || situation == u"copy at work")
            QVERIFY(QFile::rename(m_f->database(), m_f->old()));
        else if (situation == u"whole" || situation == u"compacting")
            QVERIFY(QFile::copy(m_f->database(), m_f->old()));
        std::unique_ptr<LockHolder> copy;
        if (situation == u"copy at work" || situation == u"compacting") {
            copy = std::make_unique<LockHolder>(situation == u"compacting"
                                                    ? DatabaseWriteLockPath(m_f->folder)
                                                    : InstanceLock::folderLockPath(m_f->folder));
            QVERIFY(copy->isHolding());
        }
        // A backup, and the database changed since: what a restore takes back.
        const QStringList restorable = {u"backed up"_s, u"running"_s, u"cut short"_s,
                                        u"no database"_s, u"other folder"_s};
        if (restorable.contains(situation)) {
            QVERIFY(DatabaseBackup::backup(m_f->folder, backup).warnings.isEmpty());
            QCOMPARE(execSql(m_f->database(), "INSERT INTO Taxes VALUES ('AFTER BACKUP', 1)"),
                     SQLITE_OK);
            if (situation == u"cut short")
                QVERIFY(QFile(backup).resize(QFileInfo(backup).size() / 2));
            else if (situation == u"no database")
                QVERIFY(writeFile(backup, "Taxes;OPERATOR TAX;4.25\n"));
            if (situation == u"other folder") {
                StarterFolder other;
                QVERIFY(QFile::remove(backup) && QFile::copy(other.database(), backup));
            }
        }
        const QStringList before = dumpDatabase(m_f->database(), DataTables);
        if (situation == u"running") {
            copy = std::make_unique<LockHolder>(InstanceLock::folderLockPath(m_f->folder));
            QVERIFY(copy->isHolding());
        }
        std::unique_ptr<TinyDisk> disk;
        if (situation == u"full disk") {
            if (!runningAsRoot())
                QSKIP("needs root for its disk");
            disk = std::make_unique<TinyDisk>(QFileInfo(backup).absolutePath(), "1m");
            QVERIFY(disk->isMounted());
            QVERIFY(writeFile(backup, "an earlier backup"));
            disk->fill();
        }
        std::unique_ptr<WriteTransactionHolder> holder;
        std::unique_ptr<ReadOnlyFolder> readOnly;
        if (situation == u"held" || situation == u"writing") {
            holder =
                std::make_unique<WriteTransactionHolder>(m_f->database(), situation == u"held");
            QVERIFY(holder->isHolding());
        } else if (situation == u"read-only") {
            if (!runningAsRoot() ||
                !(readOnly = std::make_unique<ReadOnlyFolder>(m_f->folder))->isReadOnly())
                QSKIP("needs root to mount a read-only folder");
        }
        const bool quoteTool = arguments.value(0) == u"quote";
        const QString tool = quoteTool ? QStringLiteral(BRISKLANDER_QUOTE_TOOL_PATH)
                                       : QStringLiteral(BRISKLANDER_TOOL_PATH);
        const ToolRun run = runTool(arguments.mid(quoteTool ? 1 : 0), tool, m_f->folder);
        QCOMPARE(run.exitCode, row[1].toInt());
        const QStringList texts =
            row[3].replace(u"%DB"_s, m_f->database()).replace(u"%N"_s, folder).split(u'|');
        QVERIFY2(
            std::any_of(texts.begin(), texts.end(),
                        [&](const QString& text) { return (run.out + run.err).contains(text); }),
            qPrintable(run.out + run.err));
        QVERIFY(!QFileInfo::exists(folder));
        holder.reset();
        // A backup holds the database as it was before the other program's transaction;
        // a restore refused leaves the database as it was, and a restore done keeps it.
        const QStringList kept =
            QDir(m_f->folder).entryList({u"Brisklander.mdb.before-restore-*"_s});
        QVERIFY(!QFile::exists(Db::DbEngine::partialBackupPath(backup)));
        QVERIFY(!QFile::exists(m_f->database() + u".restoring"_s));
        if (situation == u"writing") {
            QCOMPARE(dumpDatabase(backup, DataTables), m_operatorData);
            QVERIFY(DatabaseBackup::lastBackup(m_f->folder).isValid());
        } else if (situation == u"full disk") {
            QCOMPARE(TestFiles::contentOf(backup), QByteArray("an earlier backup"));
            QVERIFY(!DatabaseBackup::lastBackup(m_f->folder).isValid());
        } else if (situation == u"backed up") {
            QCOMPARE(dumpDatabase(m_f->database(), DataTables), m_operatorData);
            QCOMPARE(kept.size(), 1);
            QCOMPARE(dumpDatabase(m_f->path(kept.value(0)), DataTables), before);
        } else if (restorable.contains(situation)) {
            QCOMPARE(dumpDatabase(m_f->database(), DataTables), before);
            QVERIFY(kept.isEmpty());
        }
        if (situation == u"copy at work") {
            QVERIFY(!QFile::exists(m_f->database()));
            QCOMPARE(dumpDatabase(m_f->old(), DataTables), m_operatorData);
        } else if (situation == u"cut off" && quoteTool) {
            QCOMPARE(create().exitCode, 0);
            QCOMPARE(runTool(arguments.mid(1), tool).exitCode, 0);
        } else if (situation == u"cut off") {
            QVERIFY(!QFile::exists(m_f->old()));
            QVERIFY(dumpDatabase(m_f->database()).contains(u"Taxes|OPERATOR TAX|4.25"_s));
        }
    }

    // Whatever fails during the exit's compaction, the database afterwards holds what
    // it held, a committed change still in the write-ahead log included (a log a crash
    // left too); the ".old" goes unless it is the only copy (the next start puts that
    // one back). The compacted file keeps the owner, group and mode the operator gave
    // it, whatever the umask, and a database that is a link is compacted where it leads.
    // The exit killed at random moments, many times over, followed each time by
    // `brisklander-db create`, loses nothing either. Another writer let in between the
    // exit's switch out of write-ahead logging and its rename: a tool waits for the exit
    // to finish, and a log left under the database's name by a program outside ours is
    // never replayed onto the compacted copy.
    void exitCompaction_data()
    {
        QTest::addColumn<QString>("fault");
        for (const char* fault :
             {"none", "rename refused", "compaction fails part-way", "stale old file",
              "stale old file and compaction fails", "held open elsewhere", "sync fails",
              "only the old file", "log left by a crash", "killed at any moment",
              "a tool writing meanwhile", "a program outside ours writing meanwhile, killed",
              "another owner's file shared with a group", "a link to the database elsewhere"})
            QTest::newRow(fault) << fault;
    }

    void exitCompaction()
    {
        QFETCH(QString, fault);
        const bool owned = fault.startsWith(u"another owner") || fault.startsWith(u"a link");
        if (owned && !runningAsRoot())
            QSKIP("needs root to give the file another owner and group");
        if (fault.startsWith(u"stale old"))
            QVERIFY(QFile::copy(m_f->database(), m_f->old()));
        Db::DbEngine& engine = Db::DbEngine::instance();
        engine.setSystemDB(m_f->path(Schema::WorkgroupFileName));
        auto workspace = engine.createWorkspace(u"Other"_s, Schema::UserName, Schema::Password);
        workspace->openDatabase(m_f->database())
            ->execute(u"INSERT INTO Taxes VALUES ('NEW TAX', 3.25)"_s);
        QVERIFY(QFileInfo(m_f->database() + u"-wal"_s).size() > 0);
        // The files as a crash leaves them: the change only in the log.
        QTemporaryDir crashed;
        QString database = m_f->database();
        if (fault == u"log left by a crash") {
            database = crashed.filePath(Schema::DatabaseFileName);
            for (const char* suffix : {"", "-wal", "-shm"})
                QVERIFY(QFile::copy(m_f->database() + QLatin1String(suffix),
                                    database + QLatin1String(suffix)));
        }
        if (fault != u"held open elsewhere")
            workspace->close();
        QString file = database; // what the database's name leads to
        if (fault == u"only the old file") {
            QVERIFY(QFile::rename(m_f->database(), m_f->old()));
            file = m_f->old();
        } else if (fault.startsWith(u"a link")) {
            QVERIFY(QDir(m_f->folder).mkdir(u"shared"_s));
            file = m_f->path(u"shared/airports.db"_s);
            QVERIFY(QFile::rename(m_f->database(), file));
            QVERIFY(QFile::link(file, m_f->database()));
        }
        const QByteArray name = QFile::encodeName(file);
        struct stat was = {};
        if (owned) {
            QVERIFY(::chown(name.constData(), 65534, 100) == 0);
            QVERIFY(::chmod(name.constData(), 0664) == 0);
            QVERIFY(::stat(name.constData(), &was) == 0);
        }
        QStringList before =
            dumpDatabase(fault == u"log left by a crash" ? m_f->database() : file, DataTables);
        QVERIFY(before.contains(u"Taxes|NEW TAX|3.25"_s));

        FaultyFiles files;
        files.fault = fault;
        const bool tool = fault.startsWith(u"a tool");
        if (fault.startsWith(u"killed") || fault.contains(u"writing")) { // the program ended
            engine.release();
            Db::DbEngine::settleDatabaseFile(database);
        }
        QProcess import;
        pid_t writer = -1;
        if (fault.contains(u"writing"))
            files.beforeRename = [&] {
                if (tool) {
                    import.start(
                        QStringLiteral(BRISKLANDER_TOOL_PATH),
                        {u"import"_s, m_f->folder, BRISKLANDER_SOURCE_DIR "/data/ourairports"});
                    // Were it let in, it would open the file and start its log at once.
                    QElapsedTimer waited;
                    waited.start();
                    while (!QFile::exists(database + u"-wal"_s) && waited.elapsed() < 3000)
                        QTest::qSleep(20);
                    QTest::qSleep(300);
                    return;
                }
                int ready[2];
                QVERIFY(::pipe(ready) == 0);
                writer = forkDoing([&] {
                    sqlite3* db = nullptr;
                    sqlite3_open(QFile::encodeName(database).constData(), &db);
                    sqlite3_exec(db,
                                 "PRAGMA journal_mode=WAL; UPDATE Taxes SET \"Tax %\" = 99; "
                                 "INSERT INTO Ballast SELECT x FROM Ballast LIMIT 500",
                                 nullptr, nullptr, nullptr);
                    if (::write(ready[1], "y", 1) == 1)
                        ::pause(); // its log stays, as a program killed with the file open leaves
                                   // it
                });
                char done = 'n';
                QVERIFY(::read(ready[0], &done, 1) == 1 && done == 'y');
                ::close(ready[0]);
                ::close(ready[1]);
            };
        const mode_t umask = ::umask(077);
        if (fault.startsWith(u"killed")) {
            const QString pristine = m_f->path(u"pristine.mdb"_s);
            QVERIFY(QFile::copy(database, pristine));
            QElapsedTimer timer;
            timer.start();
            CompactDatabaseAtExit(database, files);
            const qint64 exitTime = qMax<qint64>(timer.elapsed(), 5);
            for (int run = 0; run < 30; ++run) {
                QFile::remove(database);
                QVERIFY(QFile::copy(pristine, database));
                const pid_t child = forkDoing([&] { CompactDatabaseAtExit(database, files); });
                QTest::qSleep(int(QRandomGenerator::global()->bounded(exitTime * 12 / 10 + 1)));
                killChild(child);
                // Killed after the compacted copy took the name, the ".old" beside it goes too.
                QCOMPARE(create().exitCode, 0);
                QCOMPARE(dumpDatabase(database, DataTables), before);
                expectNothingBeside(database);
            }
        } else {
            CompactDatabaseAtExit(database, files);
        }
        ::umask(umask);
        if (writer > 0)
            killChild(writer);
        if (tool) {
            QVERIFY(import.waitForFinished(60000));
            QVERIFY2(import.readAllStandardOutput().contains("airports: "),
                     import.readAllStandardError().constData());
        }
        workspace->close();
        engine.release();

        QStringList after = dumpDatabase(file, DataTables);
        if (tool) { // the import ran after the exit, on the compacted file
            QVERIFY(!after.filter(u"Airports|LFPG|"_s).isEmpty());
            const QRegularExpression notAirports(u"^(?!Airports)"_s);
            after = after.filter(notAirports);
            before = before.filter(notAirports);
        }
        QCOMPARE(after, before);
        QCOMPARE(runTool({file, u"PRAGMA integrity_check"_s}, u"sqlite3"_s).out, u"ok\n"_s);
        QCOMPARE(QFile::exists(PreviousDatabasePath(file)), fault == u"only the old file");
        QCOMPARE(QFile::exists(database), fault != u"only the old file");
        QVERIFY(!QFile::exists(Db::DbEngine::partialCompactionPath(database)));
        QVERIFY(!QFile::exists(Db::DbEngine::partialCompactionPath(file)));
        if (fault.contains(u"crash") || fault.contains(u"writing"))
            QVERIFY(!QFile::exists(database + u"-wal"_s));
        if (fault == u"none") // the copy reaches the disk before it takes the name, the name after
            QCOMPARE(
                files.synced,
                (QStringList{QFileInfo(Db::DbEngine::partialCompactionPath(database)).fileName(),
                             QFileInfo(m_f->folder).fileName()}));
        if (owned) {
            struct stat now = {};
            QVERIFY(::stat(name.constData(), &now) == 0);
            QVERIFY(now.st_ino != was.st_ino); // compacted into a new file
            QCOMPARE(now.st_mode & 07777, mode_t(0664));
            QCOMPARE(std::pair(now.st_uid, now.st_gid), std::pair(uid_t(65534), gid_t(100)));
            QCOMPARE(QFileInfo(m_f->database()).isSymLink(), fault.startsWith(u"a link"));
        }
    }
};

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
