#include "airports/starterdata.h"
#include "core/databasefiles.h"
#include "core/engine.h"
#include "core/instancelock.h"
#include "core/schema.h"
#include "support/databasedump.h"
#include "support/systemfaults.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <csignal>

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

ToolRun runTool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(BRISKLANDER_TOOL_PATH), arguments);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit)
        return {};
    return {tool.exitCode(),
            QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError())};
}

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

    // The states a crash can leave, put right by `create` before it makes anything.
    void createPutsAnInterruptedExitRight_data()
    {
        QTest::addColumn<QString>("database"); // what lies under the database's name
        QTest::newRow("killed while compacting") << "missing";
        QTest::newRow("database name holds an empty file") << "empty";
        QTest::newRow("database name holds a damaged file") << "damaged";
    }

    void createPutsAnInterruptedExitRight()
    {
        QFETCH(QString, database);
        QVERIFY(QFile::rename(databasePath(), oldPath()));
        QFile partial(partialPath());
        QVERIFY(partial.open(QIODevice::WriteOnly));
        partial.write(QByteArray(8192, 'p'));
        partial.close();
        QVERIFY(QFile::copy(partialPath(), partialPath() + QStringLiteral("-journal")));
        if (database != u"missing") {
            QFile file(databasePath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (database == u"damaged")
                file.write(QByteArray("SQLite format 3") + QByteArray(4000, '\0'));
        }

        const ToolRun run = create();
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.output.contains(QStringLiteral("restored Brisklander.mdb")),
                 qPrintable(run.output));
        expectOperatorDataBack();
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
};

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
