#include "core/airports/airportrecord.h"
#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/db/schema.h"
#include "support/airportrow.h"
#include "support/emptydatabase.h"
#include "support/tablerows.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A record with a value in every column: ID, NAME, STATE, COUNTRY, ELEVATION, latitude,
// longitude, RUNWAY LENGTH, RUNWAY WIDTH, TIME ZONE, PUB/MIL, IFR, CUSTOMS, FUEL, LIGHTING,
// TIME ZONE NAME.
AirportRecord airport(const QString& id, const QString& name)
{
    const Coordinate latitude{"40", 38, 23.104}, longitude{"073", 46, 44.13};
    return {id,    name, "NY", "USA", 13,          latitude, longitude,          14511, 150,
            -5.0f, "P",  true, true,  "AVGAS/JET", "HIGH",   "America/New_York", "JFK", "NEW YORK"};
}

// Different from airport() in every column: south under one degree, east, no runway
// width, no fuel.
AirportRecord south()
{
    const Coordinate latitude{"-00", 2, 32.59}, longitude{"-032", 26, 36.611};
    return {"HUEN",   "ENTEBBE INTL",   "",     "UGANDA", -11,   latitude, longitude,
            3658,     std::nullopt,     -3.75f, "J",      false, false,    "",
            "MEDIUM", "Africa/Kampala", "EBB",  "ENTEBBE"};
}

// Names in mixed case: the list orders them without regard to case.
const QList<AirportRecord> Sample = {
    airport("KJFK", "NEW YORK JFK INTL"),       airport("EGLL", "LONDON HEATHROW"),
    airport("LFPG", "paris charles de gaulle"), airport("KORD", "CHICAGO O'HARE INTL"),
    airport("1G4", "GRAND CANYON WEST"),        airport("O'H", "QUOTED")};

} // namespace

// The operations on the table Airports, against a real database file.
class TestAirports : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::shared_ptr<Db::Workspace> m_ws;

    void addAll(const QList<AirportRecord>& records)
    {
        for (const AirportRecord& record : records)
            AddAirport(*m_ws, m_path, record);
    }
    // Every row as the list view of the data windows sees it (another connection).
    QStringList table(SortOrder order = SortOrder::Id, bool idsOnly = false)
    {
        auto database = Db::DbEngine::instance().defaultWorkspace()->openDatabase(m_path);
        auto list = ListAirports(*database, order);
        QStringList rows;
        for (int i = 0; i < list->recordCount(); ++i) {
            list->setAbsolutePosition(i);
            const AirportRecord r = readAirportRecord(*list);
            rows << (idsOnly ? r.ID : airportRow(r));
        }
        return rows;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(Schema::DatabaseFileName);
        m_ws = createEmptyDatabase(m_dir->path());
        Db::DbEngine::instance().setDefaultUser(Schema::UserName);
        Db::DbEngine::instance().setDefaultPassword(Schema::Password);
    }
    void cleanup()
    {
        m_ws.reset();
        Db::DbEngine::instance().release();
        m_dir.reset();
    }
    void everyColumnRoundTrips()
    {
        addAll({south()});
        // A row written by another program: the required columns and a time zone that is
        // not a number. Everything else reads as empty.
        m_ws->openDatabase(m_path)->execute(
            "INSERT INTO Airports (ID, NAME, \"LATITUDE DEGREES\", \"LONGITUDE DEGREES\", "
            "\"TIME ZONE\") VALUES ('XNUL', 'SPARSE', '-10', '020', 'n/a')");
        AirportRecord sparse;
        sparse.ID = "XNUL";
        sparse.NAME = "SPARSE";
        sparse.Latitude.DegreesText = "-10";
        sparse.Longitude.DegreesText = "020";
        QCOMPARE(table(), QStringList({airportRow(south()), airportRow(sparse)}));
        QCOMPARE(airportRow(ReadAirport(*m_ws, m_path, "huen").value()), airportRow(south()));
        // As stored: the sign stays in the degrees text and an empty width is null.
        auto database = m_ws->openDatabase(m_path);
        auto list = ListAirports(*database, SortOrder::Id);
        QVERIFY(FindAirport(*list, "HUEN"));
        QCOMPARE(list->value(AirportColumn::LatitudeDegrees).toString(), "-00");
        QVERIFY(list->value(AirportColumn::RunwayWidth).isNull());
    }

    // A database made before zone names, codes and cities were kept reads them as empty
    // and takes an airport without them; a value is never dropped unsaid.
    void tableWithoutZoneNames()
    {
        addAll({south()});
        m_ws->openDatabase(m_path)->execute(
            "DROP INDEX AirportsByIata; ALTER TABLE Airports DROP COLUMN [TIME ZONE NAME];"
            "ALTER TABLE Airports DROP COLUMN IATA; ALTER TABLE Airports DROP COLUMN CITY");
        AirportRecord nameless = south();
        nameless.TIME_ZONE_NAME.clear();
        nameless.IATA.clear();
        nameless.CITY.clear();
        QCOMPARE(table(), QStringList{airportRow(nameless)});
        nameless.ID = "HUEX";
        AddAirport(*m_ws, m_path, nameless);
        QCOMPARE(ReadAirport(*m_ws, m_path, "HUEX")->NAME, nameless.NAME);
        QVERIFY_THROWS_EXCEPTION(Db::DbError, AddAirport(*m_ws, m_path, airport("KXYZ", "NAMED")));
    }

    void listInBothOrders()
    {
        addAll(Sample);
        QCOMPARE(table(SortOrder::Id, true),
                 QStringList({"1G4", "EGLL", "KJFK", "KORD", "LFPG", "O'H"}));
        QCOMPARE(table(SortOrder::Name, true),
                 QStringList({"KORD", "1G4", "EGLL", "KJFK", "LFPG", "O'H"}));
    }

    void lookups_data() { addTableRows(u"core/airports/airports-lookups.txt"_s); }

    // AirportIdExists, ReadAirport and FindAirport compare whole identifiers without regard
    // to case, FindAirportByPrefix takes the program's wildcards, and no text can break or
    // widen either. A search finds the first row in the list's own order (by name, where
    // KORD comes before KJFK) and one that fails leaves the list where it was.
    void lookups()
    {
        QFETCH(QStringList, row);
        const QString &column = row[0], &key = row[1], &found = row[2];
        addAll(Sample);
        if (column.isEmpty()) {
            QCOMPARE(AirportIdExists(*m_ws, m_path, key), !found.isEmpty());
            QCOMPARE(ReadAirport(*m_ws, m_path, key).value_or(AirportRecord()).ID, found);
        }
        auto database = m_ws->openDatabase(m_path);
        auto list = ListAirports(*database, SortOrder::Name);
        list->setAbsolutePosition(2); // EGLL, which no search here finds
        QCOMPARE(column.isEmpty() ? FindAirport(*list, key)
                                  : FindAirportByPrefix(*list, column, key),
                 !found.isEmpty());
        QCOMPARE(list->value(AirportColumn::Id).toString(), found.isEmpty() ? "EGLL" : found);
    }

    // Halving a list in identifier order finds what the whole search finds, where it
    // finds it, and leaves the list where it was when nothing matches; a list whose
    // order an identifier changed elsewhere has broken is still searched right.
    void findByIdAgreesWithTheWholeSearch()
    {
        addAll(Sample);
        auto database = m_ws->openDatabase(m_path);
        auto halved = ListAirports(*database, SortOrder::Id);
        auto whole = ListAirports(*database, SortOrder::Id);
        for (const char* key : {"kjfk", "1G4", "O'H", "EGLL", "LFPG", "KORD", "KJF", "ZZZZ", "0"}) {
            halved->setAbsolutePosition(1);
            whole->setAbsolutePosition(1);
            QCOMPARE(FindAirportById(*halved, key), FindAirport(*whole, key));
            QCOMPARE(halved->absolutePosition(), whole->absolutePosition());
        }
        database->execute(u"UPDATE Airports SET ID = 'ZZZZ' WHERE ID = 'EGLL'"_s);
        QVERIFY(FindAirportById(*halved, u"ZZZZ"_s));
        QCOMPARE(halved->absolutePosition(), 1);
    }

    void changesFollowTheTransaction_data()
    {
        QTest::addColumn<QString>("change"); // what, and the identifier it names
        QTest::addColumn<QString>("end");    // commit, rollback, or the guard going away
        QTest::addColumn<int>("error");
        QTest::addColumn<QStringList>("after");
        const auto row = [](const char* name, const char* change, const char* end, int error,
                            const QStringList& after) {
            QTest::newRow(name) << QString(change) << QString(end) << error << after;
        };
        const QString kjfk = airportRow(airport("KJFK", "KENNEDY"));
        const QStringList added{airportRow(airport("EGLL", "ADDED")), kjfk,
                                airportRow(airport("LFPG", "PARIS"))};
        const int missing = Db::Error::NoCurrentRecord;
        row("add committed", "add EGLL", "commit", 0, added);
        row("add rolled back", "add EGLL", "rollback", 0, {kjfk});
        row("failing add left to the guard", "add kjfk", "guard", Db::Error::DuplicateKey, {kjfk});
        row("update rewrites every column", "update kjfk", "commit", 0, {airportRow(south())});
        row("update of a missing airport", "update KJF", "commit", missing, {kjfk});
        row("delete committed", "delete kjfk", "commit", 0, {});
        row("delete of a missing airport", "delete KJFKX", "commit", missing, {kjfk});
    }

    // A change made inside the caller's transaction reaches the list view only with the
    // commit; a rollback, or a failure left to the guard, leaves the table and its count
    // exactly as they were. An add writes a second airport first, which a failure must take back
    // too.
    void changesFollowTheTransaction()
    {
        QFETCH(QString, change);
        QFETCH(QString, end);
        QFETCH(int, error);
        QFETCH(QStringList, after);
        addAll({airport("KJFK", "KENNEDY")});
        const QStringList before = table();
        const QString id = change.section(' ', 1);
        {
            Db::Transaction transaction(*m_ws);
            int thrown = 0;
            try {
                if (change.startsWith("add"))
                    addAll({airport("LFPG", "PARIS"), airport(id, "ADDED")});
                else if (change.startsWith("update"))
                    UpdateAirport(*m_ws, m_path, id, south());
                else
                    DeleteAirport(*m_ws, m_path, id);
            } catch (const Db::DbError& e) {
                thrown = e.number();
            }
            QCOMPARE(thrown, error);
            QCOMPARE(table(), before);
            if (end == "commit")
                transaction.commit();
            else if (end == "rollback")
                transaction.rollback();
        }
        QVERIFY(!m_ws->inTransaction());
        QCOMPARE(table(), after);
        // The list takes its count from the one kept as airports come and go (a list with
        // no rows reads none: one more airport shows a count left behind).
        addAll({airport("ZZZZ", "LAST")});
        QCOMPARE(ListAirports(*m_ws->openDatabase(m_path), SortOrder::Id)->recordCount(),
                 after.size() + 1);
    }
};

QTEST_GUILESS_MAIN(TestAirports)
#include "tst_airports.moc"
