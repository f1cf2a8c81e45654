#include "core/engine.h"
#include "core/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <functional>
#include <memory>

using Db::Criterion;
using Db::DbEngine;
using Db::RecordsetType;

namespace {

const QString User = QStringLiteral("BLUser");
const QString Password = QStringLiteral("Pa55#word");
const QString ById = QStringLiteral("SELECT * From Airports ORDER BY [ID]");
const QString ByName = QStringLiteral("SELECT * From Airports ORDER BY [NAME]");

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

QString currentId(const Db::Recordset& set)
{
    return set.value(QStringLiteral("ID")).toString();
}

void setAirport(Db::Recordset& set, const QString& id, const QString& name,
                const QString& latitude = QStringLiteral("40"))
{
    set.setValue(QStringLiteral("ID"), id);
    set.setValue(QStringLiteral("NAME"), name);
    set.setValue(QStringLiteral("LATITUDE DEGREES"), latitude);
    set.setValue(QStringLiteral("LONGITUDE DEGREES"), QStringLiteral("073"));
}

void addAirport(Db::Database& db, const QString& id, const QString& name,
                const QString& latitude = QStringLiteral("40"))
{
    auto set = db.openRecordset(QStringLiteral("Airports"));
    set->addNew();
    setAirport(*set, id, name, latitude);
    set->update();
}

int airportCount(Db::Database& db)
{
    return db.openRecordset(QStringLiteral("Airports"))->recordCount();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A valid SQLite file that is neither a workgroup file nor one of our databases.
void writePlainSqliteFile(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, "CREATE TABLE Other (x INTEGER)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void createWorkspace_data();
    void createWorkspace();
    void defaultWorkspaceUsesTheDefaultAccount();
    void openDatabase_data();
    void openDatabase();

    void likeMatches_data();
    void likeMatches();
    void findFirst_data();
    void findFirst();
    void findSearchesTheSetsOwnOrder();

    void fieldsByName();
    void positionsAndBookmarks();
    void addEditAndDelete();
    void refusedValues_data();
    void refusedValues();
    void snapshotAndDynasetSeeChangesMadeElsewhere();
    void rowsByPositionAcrossPages();
    void queryTexts();
    void storedQuery();

    void rollbackAndCommit();
    void otherWorkspaceReadsOnlyCommittedRows();
    void transactionErrors();
    void closingWorkspaceRollsBack();
    void transactionCoversDatabasesOpenedLater();

    void compactDatabase();
    void compactDatabaseRefuses();
    void settleDatabaseFile();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::shared_ptr<Db::Workspace> otherWorkspace() const
    {
        return DbEngine::instance().createWorkspace(QStringLiteral("Other"), User, Password);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_mdw;
    QString m_mdb;
    std::shared_ptr<Db::Workspace> m_ws;
    std::shared_ptr<Db::Database> m_db;
};

void TestEngine::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_mdw = path(Schema::WorkgroupFileName);
    m_mdb = path(Schema::DatabaseFileName);
    DbEngine::createWorkgroupFile(m_mdw, User, Password);
    DbEngine::instance().setSystemDB(m_mdw);
    m_ws = DbEngine::instance().createWorkspace(QStringLiteral("AirportWS"), User, Password);
    Schema::createDatabase(*m_ws, m_mdb);
    m_db = m_ws->openDatabase(m_mdb);
    // Row order differs from both name and identifier order.
    const QList<QStringList> airports = {{"KJFK", "JOHN F KENNEDY INTL", "40"},
                                         {"EGLL", "HEATHROW", "51"},
                                         {"LFPG", "CHARLES DE GAULLE", "49"},
                                         {"KORD", "O'HARE INTL", "41"},
                                         {"KBOS", "BOSTON LOGAN INTL", "42"},
                                         {"X1A", "X_RAY 50% FIELD", "-00"},
                                         {"LSZH", "ZÜRICH", "47"}};
    for (const QStringList& airport : airports)
        addAirport(*m_db, airport[0], airport[1], airport[2]);
    auto taxes = m_db->openRecordset(QStringLiteral("Taxes"));
    const QList<QPair<QVariant, double>> rows = {
        {QStringLiteral("FEDERAL"), 7.5}, {QString(""), 1}, {QVariant(), 2}, {"state", 3}};
    for (const auto& [type, percent] : rows) {
        taxes->addNew();
        taxes->setValue(QStringLiteral("[Tax Type]"), type);
        taxes->setValue(QStringLiteral("Tax %"), percent);
        taxes->update();
    }
}

void TestEngine::cleanup()
{
    m_db.reset();
    m_ws.reset();
    DbEngine::instance().release();
    m_dir.reset();
}

// ---- workgroup and opening ----

void TestEngine::createWorkspace_data()
{
    QTest::addColumn<QString>("workgroup");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("error");

    QTest::newRow("right account") << "own" << User << Password << 0;
    QTest::newRow("user name ignores case") << "own" << User.toLower() << Password << 0;
    QTest::newRow("password keeps case") << "own" << User << Password.toLower() << 3029;
    QTest::newRow("unknown user") << "own" << User + "2" << Password << 3029;
    QTest::newRow("no workgroup file set") << "" << User << Password << 3028;
    QTest::newRow("missing workgroup file") << "missing" << User << Password << 3028;
    QTest::newRow("text file") << "text" << User << Password << 3028;
    QTest::newRow("plain SQLite file") << "sqlite" << User << Password << 3028;
    QTest::newRow("database instead of workgroup") << "database" << User << Password << 3028;
}

void TestEngine::createWorkspace()
{
    QFETCH(QString, workgroup);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(int, error);

    QString systemDB = workgroup.isEmpty() ? QString() : path(workgroup + ".mdw");
    if (workgroup == "own")
        systemDB = m_mdw;
    else if (workgroup == "text")
        writeFile(systemDB, "[Workgroup]\r\nUser=BLUser\r\n");
    else if (workgroup == "sqlite")
        writePlainSqliteFile(systemDB);
    else if (workgroup == "database")
        systemDB = m_mdb;
    DbEngine::instance().setSystemDB(systemDB);

    std::shared_ptr<Db::Workspace> ws;
    QCOMPARE(errorOf([&] { ws = DbEngine::instance().createWorkspace("Test", user, password); }),
             error);
    if (error == 0)
        QCOMPARE(airportCount(*ws->openDatabase(m_mdb)), 7);
    QVERIFY(workgroup != "missing" || !QFileInfo::exists(systemDB));
}

void TestEngine::defaultWorkspaceUsesTheDefaultAccount()
{
    DbEngine& engine = DbEngine::instance();
    engine.setDefaultUser(User.toUpper());
    engine.setDefaultPassword(Password);
    auto ws = engine.defaultWorkspace();
    QVERIFY(engine.defaultWorkspace() == ws);
    QCOMPARE(airportCount(*ws->openDatabase(m_mdb)), 7);

    engine.closeDefaultWorkspace();
    QVERIFY(ws->isClosed());
    engine.setDefaultPassword(QStringLiteral("wrong"));
    QCOMPARE(errorOf([&] { engine.defaultWorkspace(); }), 3029);
}

void TestEngine::openDatabase_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("error");

    QTest::newRow("missing file") << "missing" << 3024;
    QTest::newRow("secured by another workgroup") << "foreign" << 3033;
    QTest::newRow("SQLite file of another program") << "sqlite" << 3033;
    QTest::newRow("text file") << "text" << 3343;
}

void TestEngine::openDatabase()
{
    QFETCH(QString, file);
    QFETCH(int, error);

    const QString target = path(file + ".mdb");
    if (file == "foreign") {
        const QString otherMdw = path("Other.mdw");
        DbEngine::createWorkgroupFile(otherMdw, User, Password);
        DbEngine::instance().setSystemDB(otherMdw);
        auto foreign = otherWorkspace();
        Schema::createDatabase(*foreign, target);
        foreign->close();
        DbEngine::instance().setSystemDB(m_mdw);
    } else if (file == "sqlite") {
        writePlainSqliteFile(target);
    } else if (file == "text") {
        writeFile(target, QByteArray(4096, 'x'));
    }
    const QByteArray before = QFileInfo::exists(target) ? contentOf(target) : QByteArray();

    QCOMPARE(errorOf([&] { m_ws->openDatabase(target); }), error);
    QCOMPARE(QFileInfo::exists(target), file != "missing");
    if (file == "text")
        QCOMPARE(contentOf(target), before);
    // A refused file leaves the workspace usable.
    QCOMPARE(airportCount(*m_ws->openDatabase(m_mdb)), 7);
}

// ---- criteria ----

void TestEngine::likeMatches_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matches");
    const auto row = [](const char* name, const char* pattern, const char* text, bool matches) {
        QTest::newRow(name) << QString::fromUtf8(pattern) << QString::fromUtf8(text) << matches;
    };

    row("prefix needs its start", "k*", "EGLL", false);
    row("star alone matches empty", "*", "", true);
    row("star needs nothing after it", "KJFK*", "KJFK", true);
    row("tail must end the text", "*INTL", "INTL FIELD", false);
    row("star backtracks", "*A?C", "ABCAXC", true);
    row("two stars", "*A*B", "xAyAzB", true);
    row("question mark is not none", "K?FK", "KFK", false);
    row("hash is not a letter", "X#A", "XBA", false);
    row("percent stands for itself", "50%", "50%", true);
    row("percent is no wildcard", "50%", "500", false);
    row("underscore is no wildcard", "a_c", "abc", false);
    row("bracket stands for itself", "[A]*", "A", false);
    row("accented letters ignore case", "zü*", "ZÜRICH", true);
    row("empty pattern, empty text", "", "", true);
    row("empty pattern, some text", "", "a", false);
    row("pattern longer than text", "KJFKX", "KJFK", false);
}

void TestEngine::likeMatches()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, matches);
    QCOMPARE(Criterion::likeMatches(pattern, text), matches);
}

void TestEngine::findFirst_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("found"); // ID of the row found; empty when none
    const auto row = [](const char* name, const char* column, const char* op, const char* value,
                        const char* found) {
        QTest::newRow(name) << QString::fromUtf8(column) << QString::fromUtf8(op)
                            << QString::fromUtf8(value) << QString::fromUtf8(found);
    };

    row("prefix, first by name", "ID", "prefix", "k", "KBOS");
    row("star before a tail", "NAME", "like", "*intl", "KBOS");
    row("star in the middle", "[NAME]", "like", "J*INTL", "KJFK");
    row("question mark", "id", "like", "K?FK", "KJFK");
    row("question mark is not none", "ID", "like", "K?JFK", "");
    row("hash", "ID", "like", "X#A", "X1A");
    row("hash is not a letter", "ID", "like", "EG#L", "");
    row("percent inside", "NAME", "like", "*50%*", "X1A");
    row("percent prefix", "NAME", "prefix", "%", "");
    row("underscore prefix", "NAME", "prefix", "X_R", "X1A");
    row("underscore is no wildcard", "ID", "like", "K_FK", "");
    row("quote in a prefix", "NAME", "prefix", "o'hare", "KORD");
    row("accented prefix ignores case", "NAME", "prefix", "zü", "LSZH");
    row("equals ignores case", "ID", "equals", "egll", "EGLL");
    row("equals the whole value", "ID", "equals", "EGL", "");
    row("quotes in an equality value", "ID", "equals", "x' OR '1'='1", "");
    row("quotes in a pattern", "ID", "like", "*' OR '1'='1", "");
    row("bracketed name with blank", "[Latitude Degrees]", "equals", "-00", "X1A");
    row("nothing matches", "NAME", "prefix", "Q", "");
}

void TestEngine::findFirst()
{
    QFETCH(QString, column);
    QFETCH(QString, op);
    QFETCH(QString, value);
    QFETCH(QString, found);

    const Criterion criterion = op == "equals"   ? Criterion::equals(column, value)
                                : op == "prefix" ? Criterion::startsWith(column, value)
                                                 : Criterion::like(column, value);
    for (const RecordsetType type : {RecordsetType::Dynaset, RecordsetType::Snapshot}) {
        auto set = m_db->openRecordset(ByName, type);
        set->moveLast();
        QCOMPARE(set->findFirst(criterion), !found.isEmpty());
        QCOMPARE(set->noMatch(), found.isEmpty());
        QCOMPARE(currentId(*set), found.isEmpty() ? QStringLiteral("LSZH") : found);
    }
}

void TestEngine::findSearchesTheSetsOwnOrder()
{
    auto set = m_db->openRecordset(ByName);
    set->setAbsolutePosition(2);
    QVERIFY(!set->findFirst(Criterion::equals("ID", "ZZZZ")));
    QCOMPARE(set->absolutePosition(), 2);

    const Criterion intl = Criterion::like("NAME", "*INTL");
    QVERIFY(set->findFirst(intl));
    QCOMPARE(currentId(*set), "KBOS");
    QVERIFY(set->findNext(intl));
    QCOMPARE(currentId(*set), "KJFK");
    QVERIFY(set->findNext(intl));
    QCOMPARE(currentId(*set), "KORD");
    QVERIFY(!set->findNext(intl));
    QVERIFY(set->noMatch());
    QCOMPARE(currentId(*set), "KORD");

    // A row renamed through the set keeps its place in the set, so it is still found first.
    QVERIFY(set->findFirst(Criterion::equals("ID", "KBOS")));
    set->edit();
    set->setValue("NAME", "ZZ BOSTON INTL");
    set->update();
    QVERIFY(set->findFirst(intl));
    QCOMPARE(currentId(*set), "KBOS");
    QCOMPARE(set->absolutePosition(), 0);
}

// ---- record sets ----

void TestEngine::fieldsByName()
{
    auto set = m_db->openRecordset(ById);
    QVERIFY(set->findFirst(Criterion::equals("ID", "X1A")));
    QCOMPARE(set->value("id").toString(), "X1A");
    QCOMPARE(set->value("[Latitude Degrees]").toString(), "-00");
    QCOMPARE(set->value("latitude degrees").toString(), "-00");
    QCOMPARE(set->value("IFR"), QVariant(false));
    QCOMPARE(set->fieldSize("ID"), 4);
    QCOMPARE(set->fieldSize("[name]"), 50);
    QCOMPARE(set->fieldSize("ELEVATION"), 0);
    QCOMPARE(errorOf([&] { set->value("RUNWAY"); }), 3265);
    QCOMPARE(errorOf([&] { set->fieldSize("RUNWAY"); }), 3265);

    set->edit();
    QCOMPARE(errorOf([&] { set->setValue("RUNWAY", 1); }), 3265);
    set->setValue("ifr", 1);
    set->setValue("[LONGITUDE DEGREES]", "-000");
    set->update();
    auto reread =
        m_db->openRecordset("SELECT * FROM AIRPORTS WHERE ID='X1A'", RecordsetType::Snapshot);
    QCOMPARE(reread->value("IFR"), QVariant(true));
    QCOMPARE(reread->value("Longitude Degrees").toString(), "-000");

    auto taxes = m_db->openRecordset("taxes");
    QCOMPARE(taxes->value("[Tax %]").toDouble(), 7.5);
    QCOMPARE(taxes->value("tax type").toString(), "FEDERAL");
    QCOMPARE(taxes->fieldSize("[Tax Type]"), 12);
}

void TestEngine::positionsAndBookmarks()
{
    for (const RecordsetType type : {RecordsetType::Dynaset, RecordsetType::Snapshot}) {
        auto set = m_db->openRecordset(ById, type);
        QCOMPARE(set->recordCount(), 7);
        QCOMPARE(set->absolutePosition(), 0);
        QVERIFY(!set->bof() && !set->eof());
        set->moveNext();
        set->moveNext();
        QCOMPARE(currentId(*set), "KJFK");
        const QByteArray mark = set->bookmark();

        set->moveLast();
        QCOMPARE(set->absolutePosition(), 6);
        set->moveNext();
        QVERIFY(set->eof());
        QCOMPARE(set->absolutePosition(), -1);
        QCOMPARE(errorOf([&] { set->moveNext(); }), 3021);
        QCOMPARE(errorOf([&] { currentId(*set); }), 3021);

        set->setBookmark(mark);
        QCOMPARE(currentId(*set), "KJFK");
        QCOMPARE(set->absolutePosition(), 2);
        set->moveFirst();
        set->movePrevious();
        QVERIFY(set->bof() && !set->eof());
        QCOMPARE(errorOf([&] { set->setBookmark("nonsense"); }), 3159);
    }

    auto empty = m_db->openRecordset("SELECT * FROM AIRPORTS WHERE ID='NONE'");
    QCOMPARE(empty->recordCount(), 0);
    QVERIFY(empty->bof() && empty->eof());
    QCOMPARE(errorOf([&] { empty->moveFirst(); }), 3021);
}

void TestEngine::addEditAndDelete()
{
    auto set = m_db->openRecordset(ById);
    set->addNew();
    setAirport(*set, "AAAA", "ALPHA");
    set->update();
    QCOMPARE(set->recordCount(), 8);
    QCOMPARE(currentId(*set), "EGLL"); // adding leaves the current record alone
    set->setBookmark(set->lastModified());
    QCOMPARE(currentId(*set), "AAAA");
    QCOMPARE(set->absolutePosition(), 7); // an added row stands at the end of the set

    set->edit();
    set->setValue("NAME", "ALPHA FIELD");
    QCOMPARE(set->value("NAME").toString(), "ALPHA FIELD");
    set->update();
    QCOMPARE(set->bookmark(), set->lastModified());
    auto reread = m_db->openRecordset(ById);
    QCOMPARE(reread->value("NAME").toString(), "ALPHA FIELD");
    QCOMPARE(reread->recordCount(), 8);

    // Deleting leaves no current record until the next move, which lands on the next row.
    set->setAbsolutePosition(1);
    QCOMPARE(currentId(*set), "KBOS");
    set->deleteRecord();
    QCOMPARE(errorOf([&] { currentId(*set); }), 3167);
    set->moveNext();
    QCOMPARE(currentId(*set), "KJFK");
    set->moveLast();
    set->deleteRecord();
    set->moveNext();
    QVERIFY(set->eof());

    QCOMPARE(columnOf(*m_db->openRecordset(ById), "ID"),
             QStringList({"EGLL", "KJFK", "KORD", "LFPG", "LSZH", "X1A"}));
}

void TestEngine::refusedValues_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("error");

    QTest::newRow("text too long") << "ID" << QVariant("KJFKX") << 3163;
    QTest::newRow("name too long") << "NAME" << QVariant(QString(51, 'N')) << 3163;
    QTest::newRow("letters into a number") << "ELEVATION" << QVariant("high") << 3421;
    QTest::newRow("16-bit overflow") << "LATITUDE MINUTES" << QVariant(40000) << 3349;
    QTest::newRow("32-bit overflow") << "ELEVATION" << QVariant(3e9) << 3349;
    QTest::newRow("required name missing") << "NAME" << QVariant() << 3314;
    QTest::newRow("identifier differing only in case") << "ID" << QVariant("kjfk") << 3022;
}

void TestEngine::refusedValues()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(int, error);

    // Refused both in a new row and in a change to an existing one.
    auto set = m_db->openRecordset(ById);
    const auto attempt = [&] {
        set->setValue(field, value);
        set->update();
    };
    set->addNew();
    setAirport(*set, "NEW1", "NEW FIELD");
    QCOMPARE(errorOf(attempt), error);
    set->cancelUpdate();
    set->edit();
    QCOMPARE(errorOf(attempt), error);
    set->cancelUpdate();

    auto reread = m_db->openRecordset(ById, RecordsetType::Snapshot);
    QCOMPARE(reread->recordCount(), 7);
    QCOMPARE(currentId(*reread), "EGLL");
    QCOMPARE(reread->value("NAME").toString(), "HEATHROW");
    QCOMPARE(reread->value("LATITUDE MINUTES").toInt(), 0);
}

void TestEngine::rowsByPositionAcrossPages()
{
    // Enough rows that a list reads them over several pages.
    m_db->execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < 300) "
        "INSERT INTO Airports (ID, NAME, \"LATITUDE DEGREES\", \"LONGITUDE DEGREES\") "
        "SELECT printf('Q%03d', 301 - i), printf('FIELD %d', i), '10', '010' FROM n"));
    auto set = m_db->openRecordset(ById);
    QCOMPARE(set->recordCount(), 307);
    const int id = set->fieldIndex(QStringLiteral("ID"));
    for (int i = 0; i < set->recordCount(); ++i) {
        set->setAbsolutePosition(i);
        QCOMPARE(set->row(i).at(id), set->value(QStringLiteral("ID")));
    }
    // A change through the set shows in the rows it lists, read or not.
    QVERIFY(set->row(200)
                .at(set->fieldIndex(QStringLiteral("NAME")))
                .toString()
                .startsWith(QStringLiteral("FIELD")));
    set->setAbsolutePosition(200);
    set->edit();
    set->setValue(QStringLiteral("NAME"), QStringLiteral("RENAMED"));
    set->update();
    QCOMPARE(set->row(200).at(set->fieldIndex(QStringLiteral("NAME"))).toString(),
             QStringLiteral("RENAMED"));
    set->setAbsolutePosition(250);
    set->deleteRecord();
    QCOMPARE(set->recordCount(), 306);
    QCOMPARE(set->row(250).at(id).toString(), columnOf(*set, QStringLiteral("ID")).at(250));
    QVERIFY(set->row(250).at(id) != set->row(249).at(id));
}

void TestEngine::snapshotAndDynasetSeeChangesMadeElsewhere()
{
    auto dynaset = m_db->openRecordset(ById);
    auto snapshot = m_db->openRecordset(ById, RecordsetType::Snapshot);
    QVERIFY(dynaset->isUpdatable());
    QVERIFY(!snapshot->isUpdatable());
    QCOMPARE(errorOf([&] { snapshot->addNew(); }), 3027);
    QCOMPARE(errorOf([&] { snapshot->edit(); }), 3027);
    QCOMPARE(errorOf([&] { snapshot->deleteRecord(); }), 3027);
    QCOMPARE(dynaset->value("NAME").toString(), "HEATHROW");

    {
        auto db = otherWorkspace()->openDatabase(m_mdb);
        auto set = db->openRecordset("Airports");
        QVERIFY(set->findFirst(Criterion::equals("ID", "EGLL")));
        set->edit();
        set->setValue("NAME", "LONDON HEATHROW");
        set->update();
        addAirport(*db, "AAAA", "ALPHA");
    }

    // A dynaset reads its rows' values afresh but keeps its own rows until run again.
    dynaset->moveFirst();
    QCOMPARE(dynaset->value("NAME").toString(), "LONDON HEATHROW");
    QCOMPARE(dynaset->recordCount(), 7);
    snapshot->moveFirst();
    QCOMPARE(snapshot->value("NAME").toString(), "HEATHROW");
    QCOMPARE(snapshot->recordCount(), 7);

    for (auto* set : {dynaset.get(), snapshot.get()}) {
        set->requery();
        QCOMPARE(set->recordCount(), 8);
        QCOMPARE(currentId(*set), "AAAA");
        set->moveNext();
        QCOMPARE(set->value("NAME").toString(), "LONDON HEATHROW");
    }
}

void TestEngine::queryTexts()
{
    auto taxes = m_db->openRecordset(R"(Select * from Taxes Where [Tax Type] <> "")");
    QCOMPARE(columnOf(*taxes, "Tax Type"), QStringList({"FEDERAL", "state"}));

    addAirport(*m_db, "egkk", "GATWICK");
    QCOMPARE(columnOf(*m_db->openRecordset(ById), "ID"),
             QStringList({"egkk", "EGLL", "KBOS", "KJFK", "KORD", "LFPG", "LSZH", "X1A"}));
    QCOMPARE(
        columnOf(*m_db->openRecordset("SELECT * From Airports Order by [NAME]"), "NAME").first(),
        "BOSTON LOGAN INTL");

    auto one = m_db->openRecordset("SELECT * FROM AIRPORTS WHERE ID='kjfk'");
    QCOMPARE(columnOf(*one, "NAME"), QStringList{"JOHN F KENNEDY INTL"});

    Db::RecordSource source;
    source.table = "airports";
    source.where = Criterion::startsWith("[id]", "k");
    source.orderBy = {"NAME"};
    QCOMPARE(columnOf(*m_db->openRecordset(source), "ID"), QStringList({"KBOS", "KJFK", "KORD"}));
    QCOMPARE(errorOf([&] { m_db->openRecordset("Runways"); }), 3078);
}

void TestEngine::storedQuery()
{
    Db::QueryDef query = m_db->queryDef(Schema::CheckAirportIdQuery.toLower());
    query.setParameter(Schema::CheckAirportIdParameter.toLower(), "kjfk");
    auto found = query.openRecordset();
    QCOMPARE(columnOf(*found, "ID"), QStringList{"KJFK"});
    QCOMPARE(found->value("CUSTOMS"), QVariant(false));
    QCOMPARE(found->fieldSize("ID"), 4);

    query.setParameter(Schema::CheckAirportIdParameter, "KJF");
    QCOMPARE(query.openRecordset()->recordCount(), 0);
    QCOMPARE(errorOf([&] { query.setParameter("AIRPORTID", "KJFK"); }), 3265);
    QCOMPARE(errorOf([&] { m_db->queryDef("QRYMissing"); }), 3265);
}

// ---- transactions ----

void TestEngine::rollbackAndCommit()
{
    m_ws->beginTrans();
    QVERIFY(m_ws->inTransaction());
    addAirport(*m_db, "AAAA", "ALPHA");
    QCOMPARE(airportCount(*m_db), 8);
    m_ws->rollback();
    QVERIFY(!m_ws->inTransaction());
    QCOMPARE(airportCount(*m_db), 7);

    m_ws->beginTrans();
    addAirport(*m_db, "AAAA", "ALPHA");
    m_ws->commitTrans();
    QCOMPARE(airportCount(*m_db), 8);
    QCOMPARE(airportCount(*otherWorkspace()->openDatabase(m_mdb)), 8);
}

void TestEngine::otherWorkspaceReadsOnlyCommittedRows()
{
    auto early = otherWorkspace()->openDatabase(m_mdb);
    auto reader = early->openRecordset(ById);
    m_ws->beginTrans();
    addAirport(*m_db, "AAAA", "ALPHA");

    // Readers, even one opened during the transaction, are neither blocked nor shown the change.
    auto late = otherWorkspace()->openDatabase(m_mdb);
    QCOMPARE(airportCount(*late), 7);
    Db::QueryDef query = early->queryDef(Schema::CheckAirportIdQuery);
    query.setParameter(Schema::CheckAirportIdParameter, "AAAA");
    auto check = query.openRecordset();
    QCOMPARE(check->recordCount(), 0);
    reader->requery();
    QCOMPARE(reader->recordCount(), 7);

    m_ws->commitTrans();
    reader->requery();
    QCOMPARE(currentId(*reader), "AAAA");
    check->requery();
    QCOMPARE(check->recordCount(), 1);
    QCOMPARE(airportCount(*late), 8);
}

void TestEngine::transactionErrors()
{
    QCOMPARE(errorOf([&] { m_ws->commitTrans(); }), 3034);
    QCOMPARE(errorOf([&] { m_ws->rollback(); }), 3034);
    m_ws->beginTrans();
    QCOMPARE(errorOf([&] { m_ws->beginTrans(); }), 3003);
    QVERIFY(m_ws->inTransaction());
    m_ws->rollback();
    QCOMPARE(errorOf([&] { m_ws->rollback(); }), 3034);
}

void TestEngine::closingWorkspaceRollsBack()
{
    m_ws->beginTrans();
    addAirport(*m_db, "AAAA", "ALPHA");
    m_ws->close();
    QVERIFY(m_ws->isClosed());
    QVERIFY(!m_ws->inTransaction());
    QCOMPARE(errorOf([&] { m_db->openRecordset("Airports"); }), 3420);
    QCOMPARE(airportCount(*otherWorkspace()->openDatabase(m_mdb)), 7);
}

void TestEngine::transactionCoversDatabasesOpenedLater()
{
    auto ws = otherWorkspace();
    ws->beginTrans();
    auto db = ws->openDatabase(m_mdb);
    addAirport(*db, "AAAA", "ALPHA");
    QCOMPARE(airportCount(*db), 8);
    QCOMPARE(airportCount(*m_db), 7);
    ws->rollback();
    QCOMPARE(airportCount(*db), 7);
}

// ---- compaction and settling ----

void TestEngine::compactDatabase()
{
    const QString copy = path("Compact.mdb");
    DbEngine::compactDatabase(m_mdb, copy);
    auto db = otherWorkspace()->openDatabase(copy);
    QCOMPARE(columnOf(*db->openRecordset(ById), "ID"),
             QStringList({"EGLL", "KBOS", "KJFK", "KORD", "LFPG", "LSZH", "X1A"}));
    QCOMPARE(db->openRecordset("Taxes")->recordCount(), 4);
    Db::QueryDef query = db->queryDef(Schema::CheckAirportIdQuery);
    query.setParameter(Schema::CheckAirportIdParameter, "X1A");
    QCOMPARE(query.openRecordset()->value("LATITUDE DEGREES").toString(), "-00");
}

void TestEngine::compactDatabaseRefuses()
{
    const QString existing = path("Existing.mdb");
    writeFile(existing, "keep");
    QCOMPARE(errorOf([&] { DbEngine::compactDatabase(m_mdb, existing); }), 3204);
    QCOMPARE(contentOf(existing), QByteArray("keep"));

    const QStringList before = QDir(m_dir->path()).entryList(QDir::Files);
    QCOMPARE(errorOf([&] { DbEngine::compactDatabase(path("Missing.mdb"), path("Out.mdb")); }),
             3024);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), before);
}

void TestEngine::settleDatabaseFile()
{
    // Committed through a connection that stays open: the rows sit in the log beside the file.
    addAirport(*m_db, "AAAA", "ALPHA");
    const QString wal = m_mdb + "-wal";
    QVERIFY(QFileInfo(wal).size() > 0);

    // What a crash leaves: the file and its log, nobody holding them.
    const QString crashed = path("Crashed.mdb");
    QVERIFY(QFile::copy(m_mdb, crashed));
    QVERIFY(QFile::copy(wal, crashed + "-wal"));
    QVERIFY(QFile::copy(m_mdb, path("Bare.mdb")));
    int bareRows = 0;
    auto check = otherWorkspace();
    QVERIFY(errorOf([&] { bareRows = airportCount(*check->openDatabase(path("Bare.mdb"))); }) !=
                0 ||
            bareRows < 8);

    const int inUse = errorOf([&] { DbEngine::settleDatabaseFile(m_mdb); });
    QVERIFY2(inUse > 0, qPrintable(QString::number(inUse)));
    QCOMPARE(airportCount(*m_db), 8); // the open workspace is unharmed

    DbEngine::settleDatabaseFile(crashed);
    QVERIFY(!QFileInfo::exists(crashed + "-wal"));
    QVERIFY(QFile::copy(crashed, path("CrashedCopy.mdb")));
    QCOMPARE(airportCount(*check->openDatabase(path("CrashedCopy.mdb"))), 8);

    m_db.reset();
    m_ws->close();
    DbEngine::settleDatabaseFile(m_mdb);
    QVERIFY(!QFileInfo::exists(wal));
    QVERIFY(QFile::copy(m_mdb, path("Copy.mdb")));
    QCOMPARE(airportCount(*check->openDatabase(path("Copy.mdb"))), 8);
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
