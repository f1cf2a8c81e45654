#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/databasefiles.h"
#include "core/folder/instancelock.h"
#include "core/folder/starterdata.h"
#include "support/databasedump.h"
#include "support/systemfaults.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <csignal>
#include <functional>
#include <utility>

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

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot read>");
}

// The exit's file operations with something else let in between its settle and its
// rename of the database.
class RenameLater : public DatabaseFiles
{
public:
    std::function<void()> beforeRename;
    bool rename(const QString& from, const QString& to) override
    {
        if (beforeRename)
            std::exchange(beforeRename, nullptr)();
        return DatabaseFiles::rename(from, to);
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

    // The states a crash can leave beside "Brisklander.old", put right by `create` before it
    // makes anything: only a database shown missing or broken is replaced, and what is
    // replaced is kept aside; a database that cannot be read stops it with the cause.
    void createPutsAnInterruptedExitRight_data()
    {
        QTest::addColumn<QString>("database"); // what lies under the database's name
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const QString restored = "recovered: restored Brisklander.mdb from Brisklander.old";
        QTest::newRow("killed while compacting") << "missing" << 0 << restored;
        QTest::newRow("database name holds an empty file") << "empty" << 0 << restored;
        QTest::newRow("database name holds a damaged file") << "damaged" << 0 << restored;
        QTest::newRow("killed after the compacted copy took the name")
            << "whole" << 0 << "recovered: removed Brisklander.old";
        QTest::newRow("a newer database held by another program")
            << "held" << 1 << "error 3045: Could not use '";
    }

    void createPutsAnInterruptedExitRight()
    {
        QFETCH(QString, database);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFile partial(partialPath());
        QVERIFY(partial.open(QIODevice::WriteOnly));
        partial.write(QByteArray(8192, 'p'));
        partial.close();
        QVERIFY(QFile::copy(partialPath(), partialPath() + QStringLiteral("-journal")));
        const bool readable = database == u"whole" || database == u"held";
        QByteArray junk;
        if (readable) {
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
        const QStringList newer =
            readable ? dumpDatabase(databasePath(), DataTables) : QStringList();
        const QByteArray old = contents(oldPath());
        std::unique_ptr<WriteTransactionHolder> holder;
        if (database == u"held") {
            holder = std::make_unique<WriteTransactionHolder>(databasePath());
            QVERIFY(holder->isHolding());
        }

        const ToolRun run = create();
        holder.reset();
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.output.contains(output), qPrintable(run.output));
        if (readable) {
            QCOMPARE(dumpDatabase(databasePath(), DataTables), newer);
            QCOMPARE(QFile::exists(oldPath()), database == u"held");
            if (database == u"held")
                QCOMPARE(contents(oldPath()), old);
            return;
        }
        expectOperatorDataBack();
        // What lay under the name is kept aside, byte for byte.
        const QStringList aside =
            QDir(m_folder).entryList({QStringLiteral("Brisklander.damaged-*.mdb")});
        QCOMPARE(aside.size(), database == u"missing" ? 0 : 1);
        if (!aside.isEmpty())
            QCOMPARE(contents(path(aside.first())), junk);
    }

    void importPutsAnInterruptedExitRightFirst()
    {
        QVERIFY(QFile::rename(databasePath(), oldPath()));
        const ToolRun run = runTool({QStringLiteral("import"), m_folder,
                                     QStringLiteral(BRISKLANDER_SOURCE_DIR "/data/ourairports")});
        QVERIFY2(run.output.contains(QStringLiteral("recovered: restored Brisklander.mdb")),
                 qPrintable(run.output));
        QVERIFY(!QFile::exists(oldPath()));
        QVERIFY(dumpDatabase(databasePath(), DataTables)
                    .contains(QStringLiteral("Taxes|OPERATOR TAX|4.25")));
    }

    // The tool names what really stopped it, and the file.
    void toolNamesTheRealCause_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("error");
        QTest::newRow("database held by another program") << "held"
                                                          << "error 3045: ";
        QTest::newRow("read-only folder") << "read-only"
                                          << "error 3027: ";
    }

    void toolNamesTheRealCause()
    {
        QFETCH(QString, situation);
        QFETCH(QString, error);
        std::unique_ptr<WriteTransactionHolder> holder;
        std::unique_ptr<ReadOnlyFolder> readOnly;
        if (situation == u"held") {
            holder = std::make_unique<WriteTransactionHolder>(databasePath());
            QVERIFY(holder->isHolding());
        } else {
            if (!runningAsRoot())
                QSKIP("needs root to mount a read-only folder");
            readOnly = std::make_unique<ReadOnlyFolder>(m_folder);
            if (!readOnly->isReadOnly())
                QSKIP("cannot mount a read-only folder here");
        }
        const ToolRun run = runTool({QStringLiteral("import"), m_folder,
                                     QStringLiteral(BRISKLANDER_SOURCE_DIR "/data/ourairports")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.output.contains(error + QStringLiteral("Could not use '") + databasePath()) ||
                     run.output.contains(error +
                                         QStringLiteral("Cannot update. The database "
                                                        "file '") +
                                         databasePath()),
                 qPrintable(run.output));
    }

    // A command line the tool cannot use changes nothing and says how it is used.
    void toolCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const QString usage = "usage: brisklander-db create FOLDER";
        QTest::newRow("nothing") << QStringList() << 2 << usage;
        QTest::newRow("unknown command") << QStringList{"compact", "F"} << 2 << usage;
        QTest::newRow("create without a folder") << QStringList{"create"} << 2 << usage;
        QTest::newRow("import without its files") << QStringList{"import", "F"} << 2 << usage;
        QTest::newRow("create with --update")
            << QStringList{"create", "F", "--update"} << 2 << usage;
        QTest::newRow("--airports without a folder")
            << QStringList{"create", "F", "--airports"} << 2 << "Missing value after '--airports'.";
        QTest::newRow("unknown option")
            << QStringList{"create", "F", "--fast"} << 2 << "Unknown option 'fast'.";
        QTest::newRow("help") << QStringList{"--help"} << 0
                              << "Makes and looks after the files of a Brisklander program folder.";
    }
    void toolCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        const QString folder = m_dir->filePath(QStringLiteral("new"));
        for (QString& argument : arguments) {
            if (argument == QLatin1String("F"))
                argument = folder;
        }
        const ToolRun run = runTool(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.output.contains(output), qPrintable(run.output));
        QVERIFY(!QFileInfo::exists(folder));
    }

    void createMakesNoDatabaseBesideTheOldOne()
    {
        // A copy of the program at work on the folder (its exit has renamed the database).
        QVERIFY(QFile::rename(databasePath(), oldPath()));
        LockHolder copy(InstanceLock::folderLockPath(m_folder));
        QVERIFY(copy.isHolding());

        const ToolRun run = create();
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.output.contains(QStringLiteral("no new database was made")),
                 qPrintable(run.output));
        QVERIFY(!QFile::exists(databasePath()));
        QCOMPARE(dumpDatabase(oldPath(), DataTables), m_operatorData);
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

        constexpr int Runs = 30;
        int oldLeft = 0;
        int partialLeft = 0;
        for (int run = 0; run < Runs; ++run) {
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
            oldLeft += QFile::exists(oldPath()) ? 1 : 0;
            partialLeft += QFile::exists(partialPath()) ? 1 : 0;

            // Killed after the compacted copy took the name, the ".old" beside it goes too.
            const ToolRun tool = create();
            QCOMPARE(tool.exitCode, 0);
            expectOperatorDataBack();
        }
        qInfo("%d runs killed within %lld ms: %d left Brisklander.old, %d a partial copy; all "
              "recovered",
              Runs, exitTime, oldLeft, partialLeft);
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
        RenameLater files;
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

    // The quote tool beside a "Brisklander.old" gives a figure when the database beside it
    // is whole; where it must refuse, it says what helps, and that helps.
    void quoteToolBesideAnOldFile_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::newRow("the exit at work")
            << "compacting" << 1 << "is being compacted (the program is closing); try again";
        QTest::newRow("left beside the compacted copy") << "whole" << 0 << "Final Quote:";
        QTest::newRow("left alone by a cut-off exit")
            << "cut off" << 1 << "Start the program once, or run 'brisklander-db create ";
    }

    void quoteToolBesideAnOldFile()
    {
        QFETCH(QString, situation);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        if (situation == u"cut off")
            QVERIFY(QFile::rename(databasePath(), oldPath()));
        else
            QVERIFY(QFile::copy(databasePath(), oldPath()));
        std::unique_ptr<LockHolder> exit;
        if (situation == u"compacting") {
            exit = std::make_unique<LockHolder>(DatabaseWriteLockPath(m_folder));
            QVERIFY(exit->isHolding());
        }
        const QStringList quote{m_folder, QStringLiteral("EGLL"), QStringLiteral("LFPB")};
        const QString tool = QStringLiteral(BRISKLANDER_QUOTE_TOOL_PATH);
        const ToolRun run = runTool(quote, tool);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.output.contains(output), qPrintable(run.output));
        if (situation == u"cut off") {
            QCOMPARE(create().exitCode, 0);
            QCOMPARE(runTool(quote, tool).exitCode, 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
