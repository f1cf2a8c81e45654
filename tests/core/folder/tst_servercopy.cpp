#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/db/serverschema.h"
#include "core/folder/servercopy.h"
#include "core/folder/starterdata.h"
#include "support/serverdatabase.h"

#include <QtTest> // and Qt Core

using namespace Qt::StringLiterals;

// An office's database on a PostgreSQL server: made by brisklander-db server-init, filled
// from a program folder by brisklander-db copy, opened by the engine. Runs beside the
// throwaway server of scripts/test.sh (its PG* variables name it), and fails without one.
class TestServerCopy : public QObject
{
    Q_OBJECT

private:
    struct Run
    {
        int exitCode = -1;
        QString out, err;
    };
    static Run run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.start(program, arguments);
        Run result;
        if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
            result.exitCode = process.exitCode();
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        if (process.error() == QProcess::FailedToStart)
            result.err += process.errorString();
        return result;
    }
    // A new database on the server, kept until the test ends; its connection string.
    QString newDatabase(const QString& name, ServerDatabase::Tables tables)
    {
        m_databases.push_back(std::make_unique<ServerDatabase>(name, tables));
        if (!m_databases.back()->isMade())
            qFatal("the test server cannot be reached: %s",
                   qPrintable(m_databases.back()->error()));
        return m_databases.back()->location();
    }
    int rowsOf(const QString& location, const QString& table)
    {
        auto workspace = Db::DbEngine::scratchWorkspace();
        return workspace->openDatabase(location)->openRecordset(table)->recordCount();
    }

    QTemporaryDir m_dir;
    QString m_folder;
    std::vector<std::unique_ptr<ServerDatabase>> m_databases;

private slots:
    void initTestCase()
    {
        m_folder = m_dir.filePath(u"Folder"_s);
        StarterData::makeFolder(m_folder);
        StarterData::createProgramFolder(m_folder, u"Brisklander"_s);
    }

    void cleanupTestCase()
    {
        Db::DbEngine::instance().release();
        m_databases.clear();
    }

    // The office's two commands, as processes: each makes or fills once, and refuses a
    // database that holds something already, leaving it as it was.
    void serverInitAndCopy()
    {
        const QString office = newDatabase(u"office"_s, ServerDatabase::Empty);
        const QString tool = QStringLiteral(BRISKLANDER_TOOL_PATH);
        Run made = run(tool, {u"server-init"_s, office});
        QCOMPARE(made.exitCode, 0);
        QCOMPARE(made.out, u"made the program's tables on %1\n"_s.arg(m_databases.back()->name()));
        // Messages name the server, never the password.
        QCOMPARE(Db::describeLocation(u"host=db port=5433 dbname=charter user=anna password=x"_s),
                 u"charter on db:5433 as anna"_s);
        made = run(tool, {u"server-init"_s, office});
        QCOMPARE(made.exitCode, 1);
        QVERIFY2(made.err.startsWith(u"error 3204: The database "_s), qPrintable(made.err));

        Db::DbEngine::instance().setSystemDB(m_folder + u"/Brisklander.mdw"_s);
        const int airports = Db::DbEngine::instance()
                                 .createWorkspace(u"Folder"_s, Schema::UserName, Schema::Password)
                                 ->openDatabaseReadOnly(m_folder + u"/Brisklander.mdb"_s)
                                 ->openRecordset(u"Airports"_s)
                                 ->recordCount();
        Run copied = run(tool, {u"copy"_s, m_folder, office});
        QCOMPARE(copied.exitCode, 0);
        QVERIFY2(copied.out.startsWith(u"Copied %1 rows of Airports.\nCopied 6 rows of "
                                       "AdditionalCharges.\n"_s.arg(airports)),
                 qPrintable(copied.out));
        QCOMPARE(rowsOf(office, u"Airports"_s), airports);
        copied = run(tool, {u"copy"_s, m_folder, office});
        QCOMPARE(copied.exitCode, 1);
        QVERIFY(copied.err.endsWith(u"Nothing was copied; the server database was left as it "
                                    "was.\n"_s));
        QCOMPARE(rowsOf(office, u"Airports"_s), airports);
        QCOMPARE(run(tool, {u"copy"_s, m_folder}).exitCode, 2);
    }

    // A copy that fails part way (a dispatcher may not add taxes) leaves nothing behind,
    // and the server's refusals come as the engine's numbers.
    void failuresAsTheEngineNumbersThem()
    {
        const QString office = newDatabase(u"refusing"_s, ServerDatabase::WithTables);
        const QString clerk = u"clerk_%1"_s.arg(QCoreApplication::applicationPid());
        auto admin = Db::DbEngine::scratchWorkspace()->openDatabase(office);
        admin->execute(u"CREATE ROLE %1 LOGIN PASSWORD 'secret' IN ROLE brisklander_dispatcher; "
                       "REVOKE INSERT ON taxes FROM brisklander_dispatcher"_s.arg(clerk));
        const QString asClerk = office + u" user=%1 password=secret"_s.arg(clerk);
        const auto errorOf = [](const std::function<void()>& call) -> std::pair<int, QString> {
            try {
                call();
            } catch (const Db::DbError& error) {
                return {error.number(), error.description()};
            }
            return {0, QString()};
        };
        auto refused = errorOf([&] { ServerCopy::copyFolder(m_folder, asClerk); });
        QCOMPARE(refused.first, 3033);
        QCOMPARE(rowsOf(office, u"Airports"_s), 0);

        refused = errorOf([&] {
            Db::DbEngine::scratchWorkspace()->openDatabase(office +
                                                           u" user=%1 password=wrong"_s.arg(clerk));
        });
        QCOMPARE(refused.first, 3029);
        refused = errorOf([&] {
            Db::DbEngine::scratchWorkspace()->openDatabase(u"host=127.0.0.1 port=9 dbname=x"_s);
        });
        QCOMPARE(refused.first, 3049);
        QVERIFY2(refused.second.startsWith(u"Cannot reach the database server 127.0.0.1:9."_s),
                 qPrintable(refused.second));
        admin->execute(u"DROP OWNED BY %1; DROP ROLE %1"_s.arg(clerk));
    }
};

QTEST_GUILESS_MAIN(TestServerCopy)
#include "tst_servercopy.moc"
