#include "core/db/engine.h"
#include "core/db/schema.h"
#include "support/serverdatabase.h"
#include "support/systemfaults.h"
#include "support/tablerows.h"
#include "support/testfiles.h"

#include <QtTest> // and Qt Core

#include <functional>

#include <sqlite3.h>

using namespace Qt::StringLiterals;
using namespace Db;

namespace {

const QString User = QStringLiteral("BLUser");
const QString Password = QStringLiteral("Pa55#word");
const QString ById = QStringLiteral("SELECT * From Airports ORDER BY [ID]");
const QString ByName = QStringLiteral("SELECT * From Airports ORDER BY [NAME]");
const QStringList AllIds = {"EGLL", "KBOS", "KJFK", "KORD", "LFPG", "LSZH", "X1A"};

// The number of the DbError a call throws: 0 when it succeeds, -1 when the error
// comes without a description (callers show the description to the operator).
int errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Db::DbError& error) {
        return error.description().isEmpty() ? -1 : error.number();
    }
    return 0;
}

QStringList columnOf(const Db::Recordset& set, const QString& field)
{
    QStringList values;
    const int index = set.fieldIndex(field);
    for (int i = 0; i < set.recordCount(); ++i)
        values << set.row(i).at(index).toString();
    return values;
}

void addAirport(Db::Database& db, const QString& id)
{
    auto set = db.openRecordset(u"Airports"_s);
    set->addNew();
    for (const auto& [field, value] : {std::pair{u"ID"_s, id},
                                       {u"NAME"_s, id + u" FIELD"_s},
                                       {u"LATITUDE DEGREES"_s, u"40"_s},
                                       {u"LONGITUDE DEGREES"_s, u"073"_s}})
        set->setValue(field, value);
    set->update();
}

// On a server (BRISKLANDER_TEST_SERVER set, the PG* variables naming it) the engine's
// behaviours run again on a database made for the run; what only a file has (accounts,
// compaction, the file system's failures) is the file's run alone.
bool onServer()
{
    return qEnvironmentVariableIsSet("BRISKLANDER_TEST_SERVER");
}

int airportCount(Db::Database& db)
{
    return db.openRecordset(QStringLiteral("Airports"))->recordCount();
}

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::shared_ptr<Db::Workspace> otherWorkspace() const
    {
        return DbEngine::instance().createWorkspace(QStringLiteral("Other"), User, Password);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_mdw, m_mdb;
    std::unique_ptr<ServerDatabase> m_server;
    QString m_location; // the database file, or the server's database
    std::shared_ptr<Db::Workspace> m_ws;
    std::shared_ptr<Db::Database> m_db;

private slots:
    void initTestCase()
    {
        if (!onServer())
            return;
        // Never skipped: a run that asks for the server fails without one.
        m_server = std::make_unique<ServerDatabase>(u"engine"_s);
        QVERIFY2(m_server->isMade(), qPrintable(m_server->error()));
    }

    void cleanupTestCase() { m_server.reset(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_mdw = path("Own.mdw");
        m_mdb = path("Own.mdb");
        DbEngine::createWorkgroupFile(m_mdw, User, Password);
        DbEngine::instance().setSystemDB(m_mdw);
        m_ws = DbEngine::instance().createWorkspace(QStringLiteral("AirportWS"), User, Password);
        m_location = onServer() ? m_server->location() : m_mdb;
        if (onServer()) {
            m_db = m_ws->openDatabase(m_location);
            m_db->execute(u"DELETE FROM Airports; DELETE FROM Taxes"_s);
        } else {
            Schema::createDatabase(*m_ws, m_mdb);
            m_db = m_ws->openDatabase(m_mdb);
        }
        // Row order differs from both name and identifier order.
        m_db->execute(QStringLiteral(
            "INSERT INTO Airports (ID, NAME, \"LATITUDE DEGREES\", \"LONGITUDE DEGREES\") VALUES "
            "('KJFK', 'JOHN F KENNEDY INTL', '40', '073'), ('EGLL', 'HEATHROW', '51', '000'), "
            "('LFPG', 'CHARLES DE GAULLE', '49', '002'), ('KORD', 'O''HARE INTL', '41', '087'), "
            "('KBOS', 'BOSTON LOGAN INTL', '42', '071'), ('X1A', 'X_RAY 50% FIELD', '-00', '000'), "
            "('LSZH', 'ZÜRICH', '47', '008');"
            "INSERT INTO Taxes (\"Tax Type\", \"Tax %\") "
            "VALUES ('FEDERAL', 7.5), ('', 1), (NULL, 2), ('state', 3)"));
    }

    void cleanup()
    {
        m_db.reset();
        m_ws.reset();
        DbEngine::instance().release();
        m_dir.reset();
    }

    void accountChecks_data() { addTableRows(u"core/db/engine-accounts.txt"_s); }
    void accountChecks()
    {
        if (onServer())
            QSKIP("a file's own");
        QFETCH(QStringList, row);
        QVERIFY(writeFile(path("text.mdw"), "[Workgroup]\r\n"));
        DbEngine& engine = DbEngine::instance();
        DbEngine::createWorkgroupFile(path("other.mdw"), User, Password);
        engine.setSystemDB(path("other.mdw"));
        Schema::createDatabase(*otherWorkspace(), path("foreign.mdb"));

        engine.setSystemDB(path(row[0]));
        engine.setDefaultUser(User.toLower());
        engine.setDefaultPassword(QString(row[1]).replace(u"{password}"_s, Password));
        std::shared_ptr<Db::Database> db;
        QCOMPARE(errorOf([&] { db = engine.defaultWorkspace()->openDatabase(path(row[2])); }),
                 row[3].toInt());
        QCOMPARE(db ? airportCount(*db) : -1, db ? 7 : -1);
        QCOMPARE(QFileInfo::exists(path(row[2])), row[2] != u"missing.mdb");
    }

    void failureNamesItsCause_data() { addTableRows(u"core/db/engine-failures.txt"_s); }
    void failureNamesItsCause()
    {
        if (onServer())
            QSKIP("a file's own");
        QFETCH(QStringList, row);
        const QString& situation = row[0];
        // A log as a crash leaves it, for the row that needs one.
        const QString log = m_mdb + QStringLiteral("-wal");
        QVERIFY(situation != u"no shm" || QFile::copy(log, path("saved-wal")));
        m_db.reset();
        m_ws->close();
        QString file = m_mdb;
        std::unique_ptr<WriteTransactionHolder> holder;
        std::unique_ptr<TinyDisk> disk;
        std::unique_ptr<ReadOnlyFolder> readOnly;
        std::unique_ptr<AsOtherUser> otherUser;
        if (situation == u"missing") {
            file = path("missing.mdb");
        } else if (situation == u"empty") {
            QVERIFY(QFile(m_mdb).resize(0));
        } else if (situation == u"text") {
            QVERIFY(writeFile(m_mdb, "[Airports]\r\nKTEB=Teterboro\r\n"));
        } else if (situation == u"other program") {
            QVERIFY(QFile::remove(m_mdb));
            QProcess shell;
            shell.start("sqlite3", {m_mdb, "CREATE TABLE Notes (x)"});
            QVERIFY(shell.waitForFinished() && shell.exitCode() == 0);
        } else if (situation == u"held") {
            holder = std::make_unique<WriteTransactionHolder>(m_mdb);
            QVERIFY(holder->isHolding());
        } else if (situation == u"long path") {
            QString folder = m_dir->path();
            while (folder.size() < 575)
                folder += u'/' + QString(qMin(60, int(574 - folder.size())), u'f');
            QVERIFY(QDir().mkpath(folder));
            file = folder + QStringLiteral("/Long.mdw");
            QVERIFY(QFile::copy(m_mdw, file));
            DbEngine::instance().setSystemDB(file);
        } else if (!runningAsRoot()) {
            QSKIP("needs root to change users and mount file systems");
        } else if (situation == u"read-only") {
            readOnly = std::make_unique<ReadOnlyFolder>(m_dir->path());
            if (!readOnly->isReadOnly())
                QSKIP("cannot mount a read-only folder here");
        } else if (situation == u"full") {
            disk = std::make_unique<TinyDisk>(path("disk"), "512k");
            if (!disk->isMounted())
                QSKIP("cannot mount a tmpfs here");
            file = path("disk/Own.mdb");
            QVERIFY(QFile::copy(m_mdb, file));
            disk->fill();
        } else {
            // Another user, in a folder that is the owner's alone; the files are readable by
            // all but the one of the row.
            QVERIFY(QFile(m_dir->path())
                        .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadOther | QFile::ExeOther));
            QVERIFY(situation != u"mode 000" || QFile(m_mdb).setPermissions({}));
            QVERIFY(situation != u"no shm" || QFile::copy(path("saved-wal"), log));
            QVERIFY(!QFileInfo::exists(m_mdb + QStringLiteral("-shm")));
            if (situation == u"workgroup 000") {
                QVERIFY(QFile(m_mdw).setPermissions(QFile::ReadOwner | QFile::WriteOwner));
                file = m_mdw;
            }
            otherUser = std::make_unique<AsOtherUser>();
            QVERIFY(otherUser->switched());
        }

        int number = 0;
        QString description;
        try {
            if (situation == u"no shm")
                airportCount(*otherWorkspace()->openDatabaseReadOnly(file));
            // A change needs room on the disk; the other situations fail before.
            otherWorkspace()->openDatabase(file)->execute(QStringLiteral(
                "CREATE TABLE Big (x); INSERT INTO Big SELECT randomblob(4096) FROM (WITH "
                "RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < 500) "
                "SELECT i FROM n)"));
        } catch (const Db::DbError& e) {
            number = e.number();
            description = e.description();
        }
        otherUser.reset();
        QCOMPARE(number, row[1].toInt());
        QVERIFY2(description.contains(file), qPrintable(description));
    }

    void findFirst_data() { addTableRows(u"core/db/engine-findfirst.txt"_s); }

    void findFirst()
    {
        QFETCH(QStringList, row);
        const QString& column = row[0];
        const QString& found = row[3];
        const Criterion criterion = row[1] == u"equals"   ? Criterion::equals(column, row[2])
                                    : row[1] == u"prefix" ? Criterion::startsWith(column, row[2])
                                                          : Criterion::like(column, row[2]);
        for (const RecordsetType type : {RecordsetType::Dynaset, RecordsetType::Snapshot}) {
            auto set = m_db->openRecordset(ByName, type);
            set->moveLast();
            QCOMPARE(set->findFirst(criterion), !found.isEmpty());
            QCOMPARE(set->noMatch(), found.isEmpty());
            QCOMPARE(set->value("ID").toString(), found.isEmpty() ? u"LSZH"_s : found);
        }
    }

    void refusedValues_data() { addTableRows(u"core/db/engine-refused.txt"_s); }
    void refusedValues()
    {
        QFETCH(QStringList, row);
        bool whole = false;
        const int number = row[1].toInt(&whole);
        const QVariant value = whole ? QVariant(number) : row[1].isEmpty() ? QVariant() : row[1];
        auto set = m_db->openRecordset(ById);
        const QVariantList first = set->row(0);
        set->edit();
        QCOMPARE(errorOf([&] {
                     set->setValue(row[0], value);
                     set->update();
                 }),
                 row[2].toInt());
        QCOMPARE(columnOf(*m_db->openRecordset(ById), "ID"), AllIds);
        QCOMPARE(m_db->openRecordset(ById)->row(0), first);
    }

    void snapshotAndDynasetSeeChangesMadeElsewhere()
    {
        auto dynaset = m_db->openRecordset(ById);
        auto snapshot = m_db->openRecordset(ById, RecordsetType::Snapshot);
        QCOMPARE(errorOf([&] { snapshot->edit(); }), 3027);

        auto db = otherWorkspace()->openDatabase(m_location);
        db->execute("UPDATE Airports SET NAME = 'LONDON HEATHROW' WHERE ID = 'EGLL'");
        addAirport(*db, "AAAA");
        // A dynaset reads its rows' values afresh but keeps its own rows until run again.
        QCOMPARE(dynaset->value("[name]").toString(), "LONDON HEATHROW");
        QCOMPARE(dynaset->recordCount(), 7);
        QCOMPARE(snapshot->value("NAME").toString(), "HEATHROW");
    }

    void rowsByPositionAcrossPages()
    {
        // Enough rows that a list reads them over several pages.
        m_ws->beginTrans();
        for (int i = 1; i <= 300; ++i)
            addAirport(*m_db, u"Q%1"_s.arg(301 - i, 3, 10, QLatin1Char('0')));
        m_ws->commitTrans();
        auto set = m_db->openRecordset(ById);
        QCOMPARE(set->recordCount(), 307);
        // A large set reads the keys after its first ones when first needed: a row
        // added elsewhere meanwhile counts once they are read.
        addAirport(*otherWorkspace()->openDatabase(m_location), u"ZZZZ"_s);
        QCOMPARE(set->recordCount(), 307);
        QVERIFY(!set->allKeysRead());
        set->readAllKeys();
        QCOMPARE(set->recordCount(), 308);
        const int id = set->fieldIndex(u"ID"_s);
        for (int i = 0; i < set->recordCount(); ++i) {
            set->setAbsolutePosition(i);
            QCOMPARE(set->row(i).at(id), set->value(u"ID"_s));
        }
        QStringList ids;
        for (const QVariantList& some : set->rows(0, set->recordCount(), {id}))
            ids << some.at(0).toString();
        QCOMPARE(ids, columnOf(*set, u"ID"_s));
        // A change through the set shows in the rows it lists, read or not.
        set->setAbsolutePosition(200);
        set->edit();
        set->setValue(u"NAME"_s, u"RENAMED"_s);
        set->update();
        QCOMPARE(set->row(200).at(set->fieldIndex(u"NAME"_s)).toString(), u"RENAMED"_s);
        set->setAbsolutePosition(250);
        set->deleteRecord();
        QCOMPARE(set->recordCount(), 307);
        QCOMPARE(set->row(250).at(id).toString(), columnOf(*set, u"ID"_s).at(250));
        QVERIFY(set->row(250).at(id) != set->row(249).at(id));
    }

    // Some fields of rows by position, in the set's order; a row gone since shows empty.
    void someFieldsOfRows()
    {
        auto dynaset = m_db->openRecordset(ById);
        auto snapshot = m_db->openRecordset(ById, RecordsetType::Snapshot);
        const QList<int> fields{dynaset->fieldIndex(u"NAME"_s), dynaset->fieldIndex(u"ID"_s)};
        otherWorkspace()
            ->openDatabase(m_location)
            ->execute("DELETE FROM Airports WHERE ID = 'KJFK'");
        const QList<QVariantList> read = dynaset->rows(1, 3, fields);
        QCOMPARE(read,
                 (QList<QVariantList>{
                     {u"BOSTON LOGAN INTL"_s, u"KBOS"_s}, {}, {u"O'HARE INTL"_s, u"KORD"_s}}));
        QCOMPARE(snapshot->rows(2, 1, fields).at(0),
                 (QVariantList{u"JOHN F KENNEDY INTL"_s, u"KJFK"_s}));
        QCOMPARE(errorOf([&] { dynaset->rows(5, 3, fields); }), 3021);
        QCOMPARE(errorOf([&] { snapshot->rows(0, 1, {99}); }), 3265);
    }

    void queries()
    {
        auto taxes = m_db->openRecordset(R"(Select * from Taxes Where [Tax Type] <> "")");
        QCOMPARE(columnOf(*taxes, "Tax Type"), QStringList({"FEDERAL", "state"}));

        Db::QueryDef query = m_db->queryDef(Schema::CheckAirportIdQuery.toLower());
        query.setParameter(Schema::CheckAirportIdParameter.toLower(), "kjfk");
        auto found = query.openSnapshot();
        QCOMPARE(columnOf(*found, "ID"), QStringList{"KJFK"});
        QCOMPARE(found->fieldSize("[Name]"), 50);
    }

    void transactions()
    {
        QCOMPARE(errorOf([&] { m_ws->commitTrans(); }), 3034);
        QCOMPARE(errorOf([&] { m_ws->rollback(); }), 3034);

        // A transaction covers a database opened after it began; others see only committed rows.
        auto ws = otherWorkspace();
        ws->beginTrans();
        QCOMPARE(errorOf([&] { ws->beginTrans(); }), 3003);
        auto db = ws->openDatabase(m_location);
        addAirport(*db, "AAAA");
        QCOMPARE(airportCount(*db), 8);
        QCOMPARE(airportCount(*m_db), 7);
        ws->rollback();
        ws->beginTrans();
        addAirport(*db, "AAAA");
        ws->commitTrans();
        QCOMPARE(airportCount(*m_db), 8);

        // Closing a workspace rolls back its open transaction.
        m_ws->beginTrans();
        addAirport(*m_db, "BBBB");
        m_ws->close();
        QCOMPARE(airportCount(*db), 8);

        // A guard keeps its workspace, so a window may hold it after everyone else let go.
        auto held = otherWorkspace();
        auto guard = std::make_unique<Db::Transaction>(*held);
        addAirport(*held->openDatabase(m_location), "CCCC");
        const std::weak_ptr<Db::Workspace> weak = held;
        held.reset();
        QVERIFY(!weak.expired());
        guard.reset();
        QVERIFY(weak.expired());
        QCOMPARE(airportCount(*db), 8);
    }

    // On a server every change is stamped, on its row and its table, with a version, the
    // dispatcher and the time; a file, with one desk, keeps none.
    void changesAreStamped()
    {
        auto set = m_db->openRecordset(ById);
        const ChangeStamp table = m_db->tableStamp(u"airports"_s);
        QCOMPARE(set->rowStamp().version, onServer() ? 1 : 0);
        otherWorkspace()
            ->openDatabase(m_location)
            ->execute(u"UPDATE Airports SET NAME = 'HEATHROW' WHERE ID = 'EGLL'"_s);
        const ChangeStamp row = set->rowStamp();
        QCOMPARE(row.version, onServer() ? 2 : 0);
        QCOMPARE(m_db->tableStamp(u"Airports"_s).version, onServer() ? table.version + 1 : 0);
        if (onServer()) {
            QVERIFY2(row.by.startsWith(qEnvironmentVariable("PGUSER", u"postgres"_s) + u" on "_s),
                     qPrintable(row.by));
            QVERIFY(qAbs(row.at.secsTo(QDateTime::currentDateTime())) < 600);
        }
    }

    // A read transaction keeps the rows of its first read, on a file opened read-only
    // before it began or after, and lets go of them when it ends.
    void readTransactionKeepsItsState()
    {
        for (const bool openedBefore : {true, false}) {
            auto reader = otherWorkspace();
            std::shared_ptr<Db::Database> db;
            if (openedBefore)
                db = reader->openDatabaseReadOnly(m_location);
            auto reading = std::make_unique<Db::Transaction>(*reader, Db::Transaction::Kind::Read);
            if (!openedBefore)
                db = reader->openDatabaseReadOnly(m_location);
            const int before = airportCount(*db);
            addAirport(*m_db, openedBefore ? u"AAAA"_s : u"BBBB"_s);
            QCOMPARE(airportCount(*db), before);
            reading.reset();
            QCOMPARE(airportCount(*db), before + 1);
        }
    }

    void compactDatabase()
    {
        if (onServer())
            QSKIP("a file's own");
        // A kept count of rows that drifted (as another program's REPLACE makes it) is
        // set right in the copy.
        m_db->execute("UPDATE TableRows SET Rows = Rows + 5");
        DbEngine::compactDatabase(m_mdb, path("Compact.mdb"));
        auto db = otherWorkspace()->openDatabase(path("Compact.mdb"));
        QCOMPARE(columnOf(*db->openRecordset(ById), "ID"), AllIds);
        QCOMPARE(db->openRecordset(ById)->recordCount(), AllIds.size());
        QCOMPARE(db->openRecordset("Taxes")->recordCount(), 4);

        const QByteArray workgroup = TestFiles::contentOf(m_mdw);
        QCOMPARE(errorOf([&] { DbEngine::compactDatabase(m_mdb, m_mdw); }), 3204);
        QCOMPARE(TestFiles::contentOf(m_mdw), workgroup);
    }

    // A compacted copy takes the database's name only when it reads back whole: one cut
    // short or grown, with a page of an index overwritten, or short of a row is refused.
    void damagedCopyIsRefused_data()
    {
        QTest::addColumn<QString>("damage");
        for (const char* damage :
             {"none", "cut short", "grown", "index page overwritten", "a row short"})
            QTest::newRow(damage) << damage;
    }
    void damagedCopyIsRefused()
    {
        if (onServer())
            QSKIP("a file's own");
        QFETCH(QString, damage);
        const QString copy = path("Copy.mdb");
        DbEngine::compactDatabase(m_mdb, copy);
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(copy).constData(), &db), SQLITE_OK);
        // The copy keeps its changes in a log, as the database does.
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT (SELECT journal_mode FROM pragma_journal_mode), pageno "
                           "FROM dbstat WHERE name = 'AirportsByName'",
                           -1, &statement, nullptr);
        QCOMPARE(sqlite3_step(statement), SQLITE_ROW);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))),
                 "wal");
        const qint64 page = sqlite3_column_int64(statement, 1);
        sqlite3_finalize(statement);
        if (damage == u"a row short")
            QCOMPARE(
                sqlite3_exec(db, "DELETE FROM Taxes WHERE rowid = 1", nullptr, nullptr, nullptr),
                SQLITE_OK);
        sqlite3_close(db);
        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadWrite));
        if (damage == u"cut short" || damage == u"grown")
            QVERIFY(file.resize(file.size() + (damage == u"grown" ? 4096 : -4096)));
        else if (damage == u"index page overwritten")
            QVERIFY(file.seek((page - 1) * 4096) && file.write(QByteArray(4096, 'x')) == 4096);
        file.close();
        QCOMPARE(DbEngine::isWholeCopyOf(copy, m_mdb), damage == u"none");
    }

    void settleDatabaseFile()
    {
        if (onServer())
            QSKIP("a file's own");
        // Committed through a connection that stays open, the row sits in the log beside the
        // file; a copy of both is what a crash leaves.
        addAirport(*m_db, "AAAA");
        const QString crashed = path("Crashed.mdb");
        QVERIFY(QFile::copy(m_mdb, crashed));
        QVERIFY(QFile::copy(m_mdb + "-wal", crashed + "-wal"));
        QVERIFY(errorOf([&] { DbEngine::settleDatabaseFile(m_mdb); }) > 0);

        m_ws->close();
        for (const QString& file : {m_mdb, crashed}) {
            DbEngine::settleDatabaseFile(file);
            QVERIFY(!QFileInfo::exists(file + "-wal"));
            // The file's header keeps the log as its journal mode.
            QCOMPARE(TestFiles::contentOf(file).mid(18, 2), QByteArray("\x02\x02"));
            QVERIFY(QFile::copy(file, file + ".bare"));
            QCOMPARE(airportCount(*otherWorkspace()->openDatabase(file + ".bare")), 8);
            // Opened again, the settled file keeps its changes in the log again.
            const auto reopened = otherWorkspace()->openDatabase(file);
            addAirport(*reopened, "BBBB");
            QVERIFY(QFileInfo(file + "-wal").size() > 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
