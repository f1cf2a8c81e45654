#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/databasefiles.h"
#include "core/folder/instancelock.h"
#include "core/folder/starterdata.h"
#include "support/databasedump.h"
#include "support/systemfaults.h"
#include "support/testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <sqlite3.h>

#include <csignal>
#include <functional>
#include <utility>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The operator's tables, the ballast that makes compaction take a while included.
const QStringList DataTables = {"Airports", "AdditionalCharges", "Taxes", "Ballast"};

struct ToolRun
{
    int exitCode = -1;
    QString output;
};

ToolRun runTool(const QStringList& arguments,
                const QString& program = QStringLiteral(BRISKLANDER_TOOL_PATH))
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit)
        return {};
    return {tool.exitCode(),
            QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError())};
}

QString integrityCheck(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    QString answer;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        answer =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return answer;
}

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
            partial.close();
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
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    QStringList m_operatorData;

    QString path(const QString& name) const { return m_folder + QLatin1Char('/') + name; }
    QString databasePath() const { return path(Schema::DatabaseFileName); }
    QString oldPath() const { return path(Schema::PreviousDatabaseFileName); }
    QString partialPath() const { return Db::DbEngine::partialCompactionPath(databasePath()); }

    ToolRun create() { return runTool({QStringLiteral("create"), m_folder, "Brisklander"}); }

    void expectOperatorDataBack()
    {
        QCOMPARE(dumpDatabase(databasePath(), DataTables), m_operatorData);
        QVERIFY(!QFile::exists(oldPath()));
        QVERIFY(!QFile::exists(partialPath()));
        QVERIFY(!QFile::exists(partialPath() + QStringLiteral("-journal")));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_folder = m_dir->path();
        StarterData::createProgramFolder(m_folder, QStringLiteral("Brisklander"));
        // The operator's own data, and enough of it that compaction takes a while.
        Db::DbEngine& engine = Db::DbEngine::instance();
        engine.setSystemDB(path(Schema::WorkgroupFileName));
        auto workspace =
            engine.createWorkspace(QStringLiteral("Operator"), Schema::UserName, Schema::Password);
        workspace->openDatabase(databasePath())
            ->execute(QStringLiteral(
                "DELETE FROM Airports WHERE ID LIKE 'K%'; "
                "INSERT INTO Taxes (\"Tax Type\", \"Tax %\") VALUES ('OPERATOR TAX', 4.25); "
                "CREATE TABLE Ballast (x TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                "SELECT i+1 FROM n WHERE i < 20000) INSERT INTO Ballast SELECT printf('%0400d', "
                "i) FROM n;"));
        workspace->close();
        engine.release();
        Db::DbEngine::settleDatabaseFile(databasePath());
        m_operatorData = dumpDatabase(databasePath(), DataTables);
        QVERIFY(m_operatorData.contains(QStringLiteral("Taxes|OPERATOR TAX|4.25")));
    }

    void cleanup() { m_dir.reset(); }

    // The states a crash can leave beside "Brisklander.old", put right before anything
    // else touches the folder: only a database shown missing or broken is replaced, and
    // what is replaced is kept aside; a database that cannot be read (held by another
    // program, or not this user's to read) stops it with the cause, changing nothing.
    void recoveryPutsAnInterruptedExitRight_data()
    {
        QTest::addColumn<QString>("database"); // what lies under the database's name
        QTest::addColumn<QString>("result");   // the line said, or the error number
        const QString restored = "restored Brisklander.mdb from Brisklander.old";
        QTest::newRow("killed while compacting") << "missing" << restored;
        QTest::newRow("database name holds an empty file") << "empty" << restored;
        QTest::newRow("database name holds a damaged file") << "damaged" << restored;
        QTest::newRow("killed after the compacted copy took the name") << "whole"
                                                                       << "removed Brisklander.old";
        QTest::newRow("a newer database held by another program") << "held"
                                                                  << "3045";
        QTest::newRow("a newer database this user cannot read") << "unreadable"
                                                                << "3051";
    }

    void recoveryPutsAnInterruptedExitRight()
    {
        QFETCH(QString, database);
        QFETCH(QString, result);
        const bool readable = database == u"whole";
        const bool refused = database == u"held" || database == u"unreadable";
        if (database == u"unreadable" && !runningAsRoot())
            QSKIP("needs root to act as another user");
        for (const QString& partial : {partialPath(), partialPath() + QStringLiteral("-journal")}) {
            QFile file(partial);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(8192, 'p')));
        }
        QByteArray junk;
        if (readable || refused) {
            // An older copy under the ".old" name, and a change made since.
            QVERIFY(QFile::copy(databasePath(), oldPath()));
            sqlite3* db = nullptr;
            sqlite3_open(QFile::encodeName(databasePath()).constData(), &db);
            QCOMPARE(sqlite3_exec(db, "INSERT INTO Taxes VALUES ('NEWER TAX', 1.5)", nullptr,
                                  nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_close(db);
        } else {
            QVERIFY(QFile::rename(databasePath(), oldPath()));
            if (database == u"damaged")
                junk = QByteArray("SQLite format 3") + QByteArray(4000, '\0');
            QFile file(databasePath());
            if (database != u"missing")
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(junk) == junk.size());
        }
        const QStringList newer = dumpDatabase(databasePath(), DataTables);
        const QByteArray old = TestFiles::contentOf(oldPath());
        std::unique_ptr<WriteTransactionHolder> holder;
        std::unique_ptr<AsOtherUser> otherUser;
        if (database == u"held") {
            holder = std::make_unique<WriteTransactionHolder>(databasePath());
            QVERIFY(holder->isHolding());
        } else if (database == u"unreadable") {
            QVERIFY(QFile::setPermissions(m_folder, QFileDevice::Permissions(0x7777)));
            QVERIFY(QFile::setPermissions(databasePath(),
                                          QFileDevice::ReadOwner | QFileDevice::WriteOwner));
            otherUser = std::make_unique<AsOtherUser>();
            QVERIFY(otherUser->switched());
        }
        QString said;
        try {
            said = RecoverInterruptedCompaction(databasePath()).join(u'\n');
        } catch (const Db::DbError& error) {
            said = QString::number(error.number());
            QVERIFY2(error.description().contains(databasePath()), qPrintable(error.description()));
        }
        otherUser.reset();
        holder.reset();
        QVERIFY2(said.contains(result), qPrintable(said));
        if (readable || refused) {
            QCOMPARE(dumpDatabase(databasePath(), DataTables), newer);
            QCOMPARE(TestFiles::contentOf(oldPath()), refused ? old : QByteArray("<unreadable>"));
            return;
        }
        expectOperatorDataBack();
        // What lay under the name is kept aside, byte for byte.
        const QStringList aside =
            QDir(m_folder).entryList({QStringLiteral("Brisklander.damaged-*.mdb")});
        QCOMPARE(aside.size(), database == u"missing" ? 0 : 1);
        if (!aside.isEmpty())
            QCOMPARE(TestFiles::contentOf(path(aside.first())), junk);
    }

    // The tools beside what an exit left, as the operator runs them: the command line,
    // the exit status and what they say. "F" is the program folder, "N" a new one, and
    // "quote" calls the quote tool; the output holds one of the "|"-separated texts.
    void toolRuns_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const QString usage = "usage: brisklander-db create FOLDER";
        const auto line = [](const char* name, const QStringList& arguments, int exitCode,
                             const QString& output, const char* situation = "") {
            QTest::newRow(name) << situation << arguments << exitCode << output;
        };
        line("nothing", {}, 2, usage);
        line("unknown command", {"compact", "N"}, 2, usage);
        line("create without a folder", {"create"}, 2, usage);
        line("import without its files", {"import", "N"}, 2, usage);
        line("create with --update", {"create", "N", "--update"}, 2, usage);
        line("--airports without a folder", {"create", "N", "--airports"}, 2,
             "Missing value after '--airports'.");
        line("unknown option", {"create", "N", "--fast"}, 2, "Unknown option 'fast'.");
        line("help", {"--help"}, 0,
             "Makes and looks after the files of a Brisklander program folder.");
        const QStringList import{"import", "F", BRISKLANDER_SOURCE_DIR "/data/ourairports"};
        const QString cause = "%1: Could not use '%DB|%1: Cannot update. The database file '%DB";
        // Status 3: the starter airports hold the South Pole station, refused.
        line("import puts a cut-off exit right first", import, 3,
             "recovered: restored Brisklander.mdb", "cut off");
        line("import, database held by another program", import, 1, cause.arg("error 3045"),
             "held");
        line("import, read-only folder", import, 1, cause.arg("error 3027"), "read-only");
        // A copy of the program at work on the folder (its exit has renamed the database).
        line("create beside a copy at work", {"create", "F", "Brisklander"}, 1,
             "no new database was made", "copy at work");
        // The quote tool gives a figure when the database beside ".old" is whole; where
        // it must refuse, it says what helps, and that helps.
        const QStringList quote{"quote", "F", "EGLL", "LFPB"};
        line("quote during the exit", quote, 1,
             "is being compacted (the program is closing); try again", "compacting");
        line("quote beside the compacted copy", quote, 0, "Final Quote:", "whole");
        line("quote after a cut-off exit", quote, 1,
             "Start the program once, or run 'brisklander-db create ", "cut off");
    }

    void toolRuns()
    {
        QFETCH(QString, situation);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        const QString folder = m_dir->filePath(QStringLiteral("new"));
        for (QString& argument : arguments)
            argument = argument == u"F" ? m_folder : argument == u"N" ? folder : argument;
        if (situation == u"cut off" || situation == u"copy at work")
            QVERIFY(QFile::rename(databasePath(), oldPath()));
        else if (situation == u"whole" || situation == u"compacting")
            QVERIFY(QFile::copy(databasePath(), oldPath()));
        std::unique_ptr<LockHolder> copy;
        if (situation == u"copy at work" || situation == u"compacting") {
            copy = std::make_unique<LockHolder>(situation == u"compacting"
                                                    ? DatabaseWriteLockPath(m_folder)
                                                    : InstanceLock::folderLockPath(m_folder));
            QVERIFY(copy->isHolding());
        }
        std::unique_ptr<WriteTransactionHolder> holder;
        std::unique_ptr<ReadOnlyFolder> readOnly;
        if (situation == u"held") {
            holder = std::make_unique<WriteTransactionHolder>(databasePath());
            QVERIFY(holder->isHolding());
        } else if (situation == u"read-only") {
            if (!runningAsRoot() ||
                !(readOnly = std::make_unique<ReadOnlyFolder>(m_folder))->isReadOnly())
                QSKIP("needs root to mount a read-only folder");
        }
        const bool quoteTool = arguments.value(0) == u"quote";
        const QString tool = quoteTool ? QStringLiteral(BRISKLANDER_QUOTE_TOOL_PATH)
                                       : QStringLiteral(BRISKLANDER_TOOL_PATH);
        const ToolRun run = runTool(arguments.mid(quoteTool ? 1 : 0), tool);
        QCOMPARE(run.exitCode, exitCode);
        const QStringList texts = output.replace(QStringLiteral("%DB"), databasePath()).split('|');
        QVERIFY2(std::any_of(texts.begin(), texts.end(),
                             [&](const QString& text) { return run.output.contains(text); }),
                 qPrintable(run.output));
        QVERIFY(!QFileInfo::exists(folder));
        if (situation == u"copy at work") {
            QVERIFY(!QFile::exists(databasePath()));
            QCOMPARE(dumpDatabase(oldPath(), DataTables), m_operatorData);
        } else if (situation == u"cut off" && quoteTool) {
            QCOMPARE(create().exitCode, 0);
            QCOMPARE(runTool(arguments.mid(1), tool).exitCode, 0);
        } else if (situation == u"cut off") {
            QVERIFY(!QFile::exists(oldPath()));
            QVERIFY(dumpDatabase(databasePath(), DataTables)
                        .contains(QStringLiteral("Taxes|OPERATOR TAX|4.25")));
        }
    }

    // The exit killed at random moments of its compaction, many times over.
    void killedAtAnyMomentOfTheExitLosesNothing()
    {
        const QString pristine = path(QStringLiteral("pristine.mdb"));
        QVERIFY(QFile::copy(databasePath(), pristine));
        QElapsedTimer timer;
        timer.start();
        {
            DatabaseFiles files;
            CompactDatabaseAtExit(databasePath(), files);
        }
        const qint64 exitTime = qMax<qint64>(timer.elapsed(), 5);

        for (int run = 0; run < 30; ++run) {
            QFile::remove(databasePath());
            QVERIFY(QFile::copy(pristine, databasePath()));
            const pid_t child = ::fork();
            if (child == 0) {
                DatabaseFiles files;
                CompactDatabaseAtExit(databasePath(), files);
                ::_exit(0);
            }
            QVERIFY(child > 0);
            QTest::qSleep(int(QRandomGenerator::global()->bounded(exitTime * 12 / 10 + 1)));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            // Killed after the compacted copy took the name, the ".old" beside it goes too.
            const ToolRun tool = create();
            QCOMPARE(tool.exitCode, 0);
            expectOperatorDataBack();
        }
    }

    // Another writer let in between the exit's switch out of write-ahead logging and its
    // rename: a tool waits for the exit to finish, and a log left under the database's
    // name by a program outside ours is never replayed onto the compacted copy.
    void writerDuringTheExitsRename_data()
    {
        QTest::addColumn<bool>("tool");
        QTest::newRow("brisklander-db import") << true;
        QTest::newRow("a program outside ours, killed") << false;
    }

    void writerDuringTheExitsRename()
    {
        QFETCH(bool, tool);
        const QString log = databasePath() + QStringLiteral("-wal");
        QProcess import;
        pid_t writer = -1;
        FaultyFiles files;
        files.beforeRename = [&] {
            if (tool) {
                import.start(QStringLiteral(BRISKLANDER_TOOL_PATH),
                             {QStringLiteral("import"), m_folder,
                              QStringLiteral(BRISKLANDER_SOURCE_DIR "/data/ourairports")});
                // Were it let in, it would open the file and start its log at once.
                QElapsedTimer waited;
                waited.start();
                while (!QFile::exists(log) && waited.elapsed() < 3000)
                    QTest::qSleep(20);
                QTest::qSleep(300);
                return;
            }
            int ready[2];
            QVERIFY(::pipe(ready) == 0);
            writer = ::fork();
            if (writer == 0) {
                sqlite3* db = nullptr;
                sqlite3_open(QFile::encodeName(databasePath()).constData(), &db);
                sqlite3_exec(db,
                             "PRAGMA journal_mode=WAL; UPDATE Taxes SET \"Tax %\" = 99; "
                             "INSERT INTO Ballast SELECT x FROM Ballast LIMIT 500",
                             nullptr, nullptr, nullptr);
                char done = 'y';
                if (::write(ready[1], &done, 1) == 1)
                    ::pause();
                ::_exit(1);
            }
            char done = 'n';
            QVERIFY(::read(ready[0], &done, 1) == 1 && done == 'y');
            ::close(ready[0]);
            ::close(ready[1]);
        };
        CompactDatabaseAtExit(databasePath(), files);
        if (writer > 0) {
            ::kill(writer, SIGKILL);
            ::waitpid(writer, nullptr, 0);
        }
        if (tool) {
            QVERIFY(import.waitForFinished(60000));
            QVERIFY2(import.readAllStandardOutput().contains("airports: "),
                     import.readAllStandardError().constData());
        }

        QVERIFY(!QFile::exists(log));
        QVERIFY(!QFile::exists(oldPath()));
        QCOMPARE(integrityCheck(databasePath()), QStringLiteral("ok"));
        QStringList expected = m_operatorData;
        QStringList found = dumpDatabase(databasePath(), DataTables);
        if (tool) {
            // The import ran after the exit, on the compacted file.
            QVERIFY(!found.filter(QStringLiteral("Airports|LFPG|")).isEmpty());
            expected = expected.filter(QRegularExpression(QStringLiteral("^(?!Airports)")));
            found = found.filter(QRegularExpression(QStringLiteral("^(?!Airports)")));
        }
        QCOMPARE(found, expected);
    }

    // Whatever fails during the exit's compaction, the database afterwards holds what
    // it held, a committed change still in the write-ahead log included (a log a crash
    // left too); the ".old" goes unless it is the only copy (the next start puts that
    // one back). The compacted file keeps the owner, group and mode the operator gave
    // it, whatever the umask, and a database that is a link is compacted where it leads.
    void exitCompaction_data()
    {
        QTest::addColumn<QString>("fault");
        for (const char* fault :
             {"none", "rename refused", "compaction fails part-way", "stale old file",
              "stale old file and compaction fails", "held open elsewhere", "sync fails",
              "only the old file", "log left by a crash",
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
            QVERIFY(QFile::copy(databasePath(), oldPath()));
        Db::DbEngine& engine = Db::DbEngine::instance();
        engine.setSystemDB(path(Schema::WorkgroupFileName));
        auto workspace =
            engine.createWorkspace(QStringLiteral("Other"), Schema::UserName, Schema::Password);
        workspace->openDatabase(databasePath())
            ->execute(QStringLiteral("INSERT INTO Taxes VALUES ('NEW TAX', 3.25)"));
        QVERIFY(QFileInfo(databasePath() + QStringLiteral("-wal")).size() > 0);
        // The files as a crash leaves them: the change only in the log.
        QTemporaryDir crashed;
        QString database = databasePath();
        if (fault == u"log left by a crash") {
            database = crashed.filePath(Schema::DatabaseFileName);
            for (const char* suffix : {"", "-wal", "-shm"})
                QVERIFY(QFile::copy(databasePath() + QLatin1String(suffix),
                                    database + QLatin1String(suffix)));
        }
        if (fault != u"held open elsewhere")
            workspace->close();
        QString file = database; // what the database's name leads to
        if (fault == u"only the old file") {
            QVERIFY(QFile::rename(databasePath(), oldPath()));
            file = oldPath();
        } else if (fault.startsWith(u"a link")) {
            QVERIFY(QDir(m_folder).mkdir(QStringLiteral("shared")));
            file = path(QStringLiteral("shared/airports.db"));
            QVERIFY(QFile::rename(databasePath(), file));
            QVERIFY(QFile::link(file, databasePath()));
        }
        const QByteArray name = QFile::encodeName(file);
        struct stat was = {};
        if (owned) {
            QVERIFY(::chown(name.constData(), 65534, 100) == 0);
            QVERIFY(::chmod(name.constData(), 0664) == 0);
            QVERIFY(::stat(name.constData(), &was) == 0);
        }
        const QStringList before =
            dumpDatabase(fault == u"log left by a crash" ? databasePath() : file);
        QVERIFY(before.contains(QStringLiteral("Taxes|NEW TAX|3.25")));

        FaultyFiles files;
        files.fault = fault;
        const mode_t umask = ::umask(077);
        CompactDatabaseAtExit(database, files);
        ::umask(umask);
        workspace->close();
        engine.release();

        QCOMPARE(dumpDatabase(file), before);
        const QString old = QFileInfo(file).dir().filePath(Schema::PreviousDatabaseFileName);
        QCOMPARE(QFile::exists(old), fault == u"only the old file");
        QCOMPARE(QFile::exists(database), fault != u"only the old file");
        QVERIFY(!QFile::exists(Db::DbEngine::partialCompactionPath(database)));
        QVERIFY(!QFile::exists(Db::DbEngine::partialCompactionPath(file)));
        if (fault == u"log left by a crash")
            QVERIFY(!QFile::exists(database + QStringLiteral("-wal")));
        if (fault == u"none") // the copy reaches the disk before it takes the name, the name after
            QCOMPARE(files.synced, (QStringList{QFileInfo(partialPath()).fileName(),
                                                QFileInfo(m_folder).fileName()}));
        if (owned) {
            struct stat now = {};
            QVERIFY(::stat(name.constData(), &now) == 0);
            QVERIFY(now.st_ino != was.st_ino); // compacted into a new file
            QCOMPARE(now.st_mode & 07777, mode_t(0664));
            QCOMPARE(now.st_uid, uid_t(65534));
            QCOMPARE(now.st_gid, gid_t(100));
            QCOMPARE(QFileInfo(databasePath()).isSymLink(), fault.startsWith(u"a link"));
        }
    }
};

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
