#include "airports/airportrecord.h"
#include "airports/airporttable.h"
#include "core/engine.h"
#include "core/schema.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(AirportRecord)

namespace {

AirportRecord airport(const QString& id, const QString& name)
{
    AirportRecord r;
    r.ID = id;
    r.NAME = name;
    r.STATE = QStringLiteral("NY");
    r.COUNTRY = QStringLiteral("USA");
    r.ELEVATION = 13;
    r.Latitude = Coordinate{QStringLiteral("40"), 38, 23.104};
    r.Longitude = Coordinate{QStringLiteral("073"), 46, 44.13};
    r.RUNWAY_LENGTH = 14511;
    r.RUNWAY_WIDTH = qint16(150);
    r.TIME_ZONE = -5.0f;
    r.PUB_MIL = QStringLiteral("P");
    r.IFR = true;
    r.CUSTOMS = true;
    r.FUEL = QStringLiteral("AVGAS/JET");
    r.LIGHTING = QStringLiteral("HIGH");
    return r;
}

QString show(const Coordinate& c)
{
    return QStringLiteral("%1 %2 %3").arg(c.DegreesText).arg(c.Minutes).arg(c.Seconds, 0, 'g', 17);
}

template <typename T> QString show(const std::optional<T>& v)
{
    return v ? QString::number(*v, 'g', 9) : QStringLiteral("(none)");
}

// The columns in which two records differ, each with both values.
QStringList differences(const AirportRecord& a, const AirportRecord& b)
{
    QStringList out;
    const auto check = [&out](const char* column, const QString& x, const QString& y) {
        if (x != y)
            out << QStringLiteral("%1: %2 / %3").arg(QLatin1String(column), x, y);
    };
    check("ID", a.ID, b.ID);
    check("NAME", a.NAME, b.NAME);
    check("STATE", a.STATE, b.STATE);
    check("COUNTRY", a.COUNTRY, b.COUNTRY);
    check("ELEVATION", QString::number(a.ELEVATION), QString::number(b.ELEVATION));
    check("latitude", show(a.Latitude), show(b.Latitude));
    check("longitude", show(a.Longitude), show(b.Longitude));
    check("RUNWAY LENGTH", QString::number(a.RUNWAY_LENGTH), QString::number(b.RUNWAY_LENGTH));
    check("RUNWAY WIDTH", show(a.RUNWAY_WIDTH), show(b.RUNWAY_WIDTH));
    check("TIME ZONE", show(a.TIME_ZONE), show(b.TIME_ZONE));
    check("PUB/MIL", a.PUB_MIL, b.PUB_MIL);
    check("IFR", QString::number(a.IFR), QString::number(b.IFR));
    check("CUSTOMS", QString::number(a.CUSTOMS), QString::number(b.CUSTOMS));
    check("FUEL", a.FUEL, b.FUEL);
    check("LIGHTING", a.LIGHTING, b.LIGHTING);
    return out;
}

} // namespace

// The operations on the table Airports, against a real database file.
class TestAirports : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addThenReadEveryColumn_data();
    void addThenReadEveryColumn();
    void missingValuesReadAsEmpty();

    void lookupsByIdentifier_data();
    void lookupsByIdentifier();

    void updateMayChangeTheIdentifier();
    void changesOfAMissingAirportFail();
    void failedAddLeavesTableAsBefore_data();
    void failedAddLeavesTableAsBefore();
    void changesFollowTheCallersTransaction_data();
    void changesFollowTheCallersTransaction();

    void listAirports_data();
    void listAirports();
    void findAirportByPrefix_data();
    void findAirportByPrefix();

private:
    void addAll(const QList<AirportRecord>& records);
    QList<AirportRecord> table(const QString& order = QStringLiteral("[ID]"));

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::shared_ptr<Db::Workspace> m_ws;
};

void TestAirports::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    const QString workgroup = m_dir->filePath(Schema::WorkgroupFileName);
    m_path = m_dir->filePath(Schema::DatabaseFileName);
    Db::DbEngine& engine = Db::DbEngine::instance();
    Db::DbEngine::createWorkgroupFile(workgroup, Schema::UserName, Schema::Password);
    engine.setSystemDB(workgroup);
    engine.setDefaultUser(Schema::UserName);
    engine.setDefaultPassword(Schema::Password);
    m_ws = engine.createWorkspace(QStringLiteral("AirportWS"), Schema::UserName, Schema::Password);
    Schema::createDatabase(*m_ws, m_path);
}

void TestAirports::cleanup()
{
    m_ws.reset();
    Db::DbEngine::instance().release();
    m_dir.reset();
}

void TestAirports::addAll(const QList<AirportRecord>& records)
{
    for (const AirportRecord& record : records)
        AddAirport(*m_ws, m_path, record);
}

// Every row as the list view of the data windows sees it (another connection).
QList<AirportRecord> TestAirports::table(const QString& order)
{
    auto database = Db::DbEngine::instance().defaultWorkspace()->openDatabase(m_path);
    auto list = ListAirports(*database, order);
    QList<AirportRecord> rows;
    for (int i = 0; i < list->recordCount(); ++i) {
        list->setAbsolutePosition(i);
        rows << readAirportRecord(*list);
    }
    return rows;
}

void TestAirports::addThenReadEveryColumn_data()
{
    QTest::addColumn<AirportRecord>("record");

    AirportRecord southEast = airport(QStringLiteral("HUEN"), QStringLiteral("ENTEBBE INTL"));
    southEast.STATE.clear();
    southEast.Latitude = Coordinate{QStringLiteral("-00"), 2, 32.59};
    southEast.Longitude = Coordinate{QStringLiteral("-032"), 26, 36.611};
    southEast.RUNWAY_WIDTH.reset();
    southEast.TIME_ZONE = 3.0f;
    southEast.IFR = false;
    southEast.FUEL.clear();
    southEast.LIGHTING.clear();
    QTest::newRow("south and east under one degree, no width, no fuel") << southEast;

    QTest::newRow("north and west with every value")
        << airport(QStringLiteral("KJFK"), QStringLiteral("JOHN F KENNEDY"));

    AirportRecord low = airport(QStringLiteral("EHAM"), QStringLiteral("SCHIPHOL"));
    low.ELEVATION = -11;
    low.Longitude = Coordinate{QStringLiteral("-004"), 45, 51.999};
    low.TIME_ZONE = -3.75f;
    low.PUB_MIL = QStringLiteral("J");
    low.CUSTOMS = false;
    QTest::newRow("below sea level, fractional time zone") << low;
}

void TestAirports::addThenReadEveryColumn()
{
    QFETCH(AirportRecord, record);
    AddAirport(*m_ws, m_path, record);

    const std::optional<AirportRecord> read = ReadAirport(*m_ws, m_path, record.ID);
    QVERIFY(read);
    const QStringList diff = differences(*read, record);
    QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QStringLiteral("; "))));

    // As stored: the sign stays in the degrees text, an empty width is no value, and
    // readers that spell the columns in mixed case find them.
    auto database = m_ws->openDatabase(m_path);
    auto list = ListAirports(*database, QStringLiteral("[ID]"));
    QVERIFY(FindAirport(*list, record.ID));
    QCOMPARE(list->value(QStringLiteral("Latitude Degrees")).toString(),
             record.Latitude.DegreesText);
    QCOMPARE(list->value(QStringLiteral("Runway Width")).isNull(), !record.RUNWAY_WIDTH);
}

void TestAirports::missingValuesReadAsEmpty()
{
    // A row written by another program, with nothing but the required columns and a
    // time zone that is not a number.
    m_ws->openDatabase(m_path)->execute(QStringLiteral(
        "INSERT INTO Airports (ID, NAME, \"LATITUDE DEGREES\", \"LONGITUDE DEGREES\", "
        "\"TIME ZONE\") VALUES ('XNUL', 'SPARSE', '-10', '020', 'n/a')"));

    const std::optional<AirportRecord> read = ReadAirport(*m_ws, m_path, QStringLiteral("xnul"));
    QVERIFY(read);
    QCOMPARE(read->NAME, QStringLiteral("SPARSE"));
    QCOMPARE(read->Latitude.DegreesText, QStringLiteral("-10"));
    QVERIFY(read->STATE.isEmpty() && read->COUNTRY.isEmpty());
    QVERIFY(read->FUEL.isEmpty() && read->LIGHTING.isEmpty() && read->PUB_MIL.isEmpty());
    QCOMPARE(read->ELEVATION, 0);
    QCOMPARE(read->RUNWAY_LENGTH, 0);
    QVERIFY(!read->RUNWAY_WIDTH);
    QVERIFY(!read->TIME_ZONE);
    QVERIFY(!read->IFR && !read->CUSTOMS);
}

void TestAirports::lookupsByIdentifier_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("found"); // the stored identifier, empty for none

    const auto row = [](const char* name, const char* id, const char* found) {
        QTest::newRow(name) << QString::fromLatin1(id) << QString::fromLatin1(found);
    };
    row("exact", "KJFK", "KJFK");
    row("other case", "kJfK", "KJFK");
    row("an identifier holding a quote", "O'H", "O'H");
    row("prefix is not equal", "KJF", "");
    row("longer is not equal", "KJFKX", "");
    row("empty", "", "");
    row("lone quote", "'", "");
    row("percent", "%", "");
    row("underscore", "K_FK", "");
    row("program wildcard", "KJF*", "");
    row("injection", "x' OR '1'='1", "");
}

// AirportIdExists, ReadAirport and FindAirport compare whole identifiers and no
// identifier can break or widen the comparison.
void TestAirports::lookupsByIdentifier()
{
    QFETCH(QString, id);
    QFETCH(QString, found);
    addAll({airport(QStringLiteral("EGLL"), QStringLiteral("HEATHROW")),
            airport(QStringLiteral("KJFK"), QStringLiteral("KENNEDY")),
            airport(QStringLiteral("O'H"), QStringLiteral("QUOTED"))});

    QCOMPARE(AirportIdExists(*m_ws, m_path, id), !found.isEmpty());
    const std::optional<AirportRecord> read = ReadAirport(*m_ws, m_path, id);
    QCOMPARE(read ? read->ID : QString(), found);

    auto database = m_ws->openDatabase(m_path);
    auto list = ListAirports(*database, QStringLiteral("[NAME]"));
    list->setAbsolutePosition(1);
    QCOMPARE(FindAirport(*list, id), !found.isEmpty());
    QCOMPARE(list->noMatch(), found.isEmpty());
    if (found.isEmpty())
        QCOMPARE(list->absolutePosition(), 1);
    else
        QCOMPARE(list->value(AirportColumn::Id).toString(), found);
}

void TestAirports::updateMayChangeTheIdentifier()
{
    addAll({airport(QStringLiteral("EGLL"), QStringLiteral("HEATHROW")),
            airport(QStringLiteral("KAAA"), QStringLiteral("OLD NAME"))});
    AirportRecord changed = airport(QStringLiteral("KBBB"), QStringLiteral("NEW NAME"));
    changed.Latitude = Coordinate{QStringLiteral("-00"), 1, 2.5};
    changed.RUNWAY_WIDTH.reset();
    changed.IFR = false;

    UpdateAirport(*m_ws, m_path, QStringLiteral("kaaa"), changed);

    QVERIFY(!AirportIdExists(*m_ws, m_path, QStringLiteral("KAAA")));
    const QList<AirportRecord> rows = table();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].NAME, QStringLiteral("HEATHROW"));
    const QStringList diff = differences(rows[1], changed);
    QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QStringLiteral("; "))));
}

void TestAirports::changesOfAMissingAirportFail()
{
    addAll({airport(QStringLiteral("EGLL"), QStringLiteral("HEATHROW"))});
    const auto numberOf = [](const std::function<void()>& change) {
        try {
            change();
        } catch (const Db::DbError& error) {
            return error.number();
        }
        return 0;
    };
    QCOMPARE(numberOf([&] {
                 UpdateAirport(*m_ws, m_path, QStringLiteral("ZZZZ"),
                               airport(QStringLiteral("ZZZZ"), QStringLiteral("NONE")));
             }),
             Db::Error::NoCurrentRecord);
    QCOMPARE(numberOf([&] { DeleteAirport(*m_ws, m_path, QStringLiteral("EGL")); }),
             Db::Error::NoCurrentRecord);
    QCOMPARE(table().size(), 1);

    DeleteAirport(*m_ws, m_path, QStringLiteral("egll"));
    QVERIFY(table().isEmpty());
}

void TestAirports::failedAddLeavesTableAsBefore_data()
{
    QTest::addColumn<AirportRecord>("record");
    QTest::addColumn<int>("error");

    QTest::newRow("identifier taken in another case")
        << airport(QStringLiteral("kjfk"), QStringLiteral("DUPLICATE")) << Db::Error::DuplicateKey;
    QTest::newRow("identifier of five characters")
        << airport(QStringLiteral("KJFKX"), QStringLiteral("TOO LONG")) << Db::Error::TooSmall;
    QTest::newRow("name beyond 50 characters")
        << airport(QStringLiteral("KXYZ"), QString(51, QLatin1Char('N'))) << Db::Error::TooSmall;
}

// Under the guard, a failing add rolls back what the transaction already wrote.
void TestAirports::failedAddLeavesTableAsBefore()
{
    QFETCH(AirportRecord, record);
    QFETCH(int, error);
    addAll({airport(QStringLiteral("KJFK"), QStringLiteral("KENNEDY")),
            airport(QStringLiteral("EGLL"), QStringLiteral("HEATHROW"))});
    const QList<AirportRecord> before = table();

    int thrown = 0;
    try {
        AirportTransaction transaction(*m_ws);
        AddAirport(*m_ws, m_path, airport(QStringLiteral("LFPG"), QStringLiteral("PARIS")));
        AddAirport(*m_ws, m_path, record);
        transaction.commit();
    } catch (const Db::DbError& e) {
        thrown = e.number();
    }
    QCOMPARE(thrown, error);
    QVERIFY(!m_ws->inTransaction());

    const QList<AirportRecord> after = table();
    QCOMPARE(after.size(), before.size());
    for (int i = 0; i < before.size(); ++i)
        QVERIFY(differences(after[i], before[i]).isEmpty());
    QVERIFY(!AirportIdExists(*m_ws, m_path, QStringLiteral("LFPG")));
}

void TestAirports::changesFollowTheCallersTransaction_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("commit");
    QTest::addColumn<QStringList>("expected");

    const QStringList unchanged{QStringLiteral("KJFK")};
    QTest::newRow("add committed") << "add" << true << QStringList{"EGLL", "KJFK"};
    QTest::newRow("add rolled back") << "add" << false << unchanged;
    QTest::newRow("update committed") << "update" << true << QStringList{"KJFX"};
    QTest::newRow("update cancelled") << "update" << false << unchanged;
    QTest::newRow("delete confirmed") << "delete" << true << QStringList{};
    QTest::newRow("delete cancelled") << "delete" << false << unchanged;
}

// A change made inside the caller's transaction is visible to the list view only
// after the commit, and a rollback leaves the table exactly as it was.
void TestAirports::changesFollowTheCallersTransaction()
{
    QFETCH(QString, change);
    QFETCH(bool, commit);
    QFETCH(QStringList, expected);
    const AirportRecord original = airport(QStringLiteral("KJFK"), QStringLiteral("KENNEDY"));
    addAll({original});

    auto view = Db::DbEngine::instance().defaultWorkspace()->openDatabase(m_path);
    auto list = ListAirports(*view, QStringLiteral("[ID]"));
    const auto ids = [&list] {
        list->requery();
        QStringList out;
        for (int i = 0; i < list->recordCount(); ++i)
            out << list->row(i).at(list->fieldIndex(AirportColumn::Id)).toString();
        return out;
    };
    {
        AirportTransaction transaction(*m_ws);
        if (change == QLatin1String("add"))
            AddAirport(*m_ws, m_path, airport(QStringLiteral("EGLL"), QStringLiteral("HEATHROW")));
        else if (change == QLatin1String("update"))
            UpdateAirport(*m_ws, m_path, QStringLiteral("KJFK"),
                          airport(QStringLiteral("KJFX"), QStringLiteral("RENAMED")));
        else
            DeleteAirport(*m_ws, m_path, QStringLiteral("KJFK"));
        QCOMPARE(ids(), QStringList{QStringLiteral("KJFK")});
        if (commit)
            transaction.commit();
    }
    QVERIFY(!m_ws->inTransaction());
    QCOMPARE(ids(), expected);
    if (!commit) {
        const QStringList diff = differences(table().value(0), original);
        QVERIFY2(diff.isEmpty(), qPrintable(diff.join(QStringLiteral("; "))));
    }
}

namespace {
// Names in mixed case: the list orders them without regard to case.
const QList<AirportRecord> Sample = {
    airport(QStringLiteral("KJFK"), QStringLiteral("NEW YORK JFK INTL")),
    airport(QStringLiteral("EGLL"), QStringLiteral("LONDON HEATHROW")),
    airport(QStringLiteral("LFPG"), QStringLiteral("paris charles de gaulle")),
    airport(QStringLiteral("KORD"), QStringLiteral("CHICAGO O'HARE INTL")),
    airport(QStringLiteral("1G4"), QStringLiteral("GRAND CANYON WEST")),
    airport(QStringLiteral("YSSY"), QStringLiteral("SYDNEY")),
};
} // namespace

void TestAirports::listAirports_data()
{
    QTest::addColumn<QString>("sortOrder");
    QTest::addColumn<QStringList>("ids");

    const QStringList byId{"1G4", "EGLL", "KJFK", "KORD", "LFPG", "YSSY"};
    const QStringList byName{"KORD", "1G4", "EGLL", "KJFK", "LFPG", "YSSY"};
    QTest::newRow("by identifier") << "[ID]" << byId;
    QTest::newRow("by name") << "[NAME]" << byName;
    QTest::newRow("anything else by identifier") << "[COUNTRY]" << byId;
}

void TestAirports::listAirports()
{
    QFETCH(QString, sortOrder);
    QFETCH(QStringList, ids);
    addAll(Sample);
    QStringList listed;
    for (const AirportRecord& r : table(sortOrder))
        listed << r.ID;
    QCOMPARE(listed, ids);
}

void TestAirports::findAirportByPrefix_data()
{
    QTest::addColumn<QString>("sortOrder");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("found"); // empty: nothing found

    const auto row = [](const char* name, const char* sortOrder, const char* column,
                        const char* prefix, const char* found) {
        QTest::newRow(name) << QString::fromLatin1(sortOrder) << QString::fromLatin1(column)
                            << QString::fromLatin1(prefix) << QString::fromLatin1(found);
    };
    row("identifier, lower case", "[ID]", "ID", "k", "KJFK");
    row("first in the list's own order", "[NAME]", "ID", "K", "KORD");
    row("name", "[NAME]", "NAME", "lon", "EGLL");
    row("star inside the prefix", "[NAME]", "NAME", "*gaul", "LFPG");
    row("question mark is one character", "[ID]", "ID", "?GLL", "EGLL");
    row("hash is one digit", "[ID]", "ID", "#G", "1G4");
    row("quote after a star", "[NAME]", "NAME", "*O'H", "KORD");
    row("no match", "[ID]", "ID", "KZ", "");
    row("lone quote", "[ID]", "NAME", "'", "");
    row("percent is literal", "[ID]", "ID", "%", "");
    row("underscore is literal", "[ID]", "ID", "K_", "");
}

void TestAirports::findAirportByPrefix()
{
    QFETCH(QString, sortOrder);
    QFETCH(QString, column);
    QFETCH(QString, prefix);
    QFETCH(QString, found);
    addAll(Sample);

    auto database = m_ws->openDatabase(m_path);
    auto list = ListAirports(*database, sortOrder);
    list->setAbsolutePosition(3);
    QCOMPARE(FindAirportByPrefix(*list, column, prefix), !found.isEmpty());
    if (found.isEmpty())
        QCOMPARE(list->absolutePosition(), 3);
    else
        QCOMPARE(list->value(AirportColumn::Id).toString(), found);
}

QTEST_GUILESS_MAIN(TestAirports)
#include "tst_airports.moc"
