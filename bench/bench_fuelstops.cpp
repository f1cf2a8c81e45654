// The fuel-stop search on a transatlantic leg (KTEB-EGLL, an aircraft of 1,800 NM range)
// at the starter database (some 23,000 airports) and at 200,000 (the starter airports
// copied eight times more with shifted positions and new identifiers), beside two floors
// measured in the same run through the sqlite3 C API: the same window query, and a
// read of every airport's position (what a search without the query would read).

#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/starterdata.h"
#include "core/quote/fuelstops.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <memory>

namespace {

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

QString starterFolder()
{
    static const QString folder = [] {
        const QString path = scratch().filePath(QStringLiteral("starter"));
        StarterData::createProgramFolder(path, QStringLiteral("Brisklander"),
                                         QStringLiteral(BRISKLANDER_SOURCE_DIR) +
                                             QStringLiteral("/data/ourairports"));
        Db::DbEngine::instance().release();
        // The starter airports carry no fuel (OurAirports has none to give): those with
        // a runway for a business jet are taken to sell it, so the search has candidates.
        sqlite3* db = nullptr;
        sqlite3_open(QDir(path).filePath(Schema::DatabaseFileName).toUtf8().constData(), &db);
        sqlite3_exec(db, "UPDATE Airports SET FUEL = 'JET A' WHERE \"RUNWAY LENGTH\" >= 5000",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return path;
    }();
    return folder;
}

int airportCount(const QString& folder)
{
    sqlite3* db = nullptr;
    sqlite3_open(QDir(folder).filePath(Schema::DatabaseFileName).toUtf8().constData(), &db);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM Airports", -1, &statement, nullptr);
    sqlite3_step(statement);
    const int count = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return count;
}

// The starter folder copied, its airports copied again until there are 200,000.
QString largeFolder()
{
    static const QString folder = [] {
        const QString path = scratch().filePath(QStringLiteral("large"));
        QDir().mkpath(path);
        for (const QString& name : {Schema::DatabaseFileName, Schema::WorkgroupFileName})
            QFile::copy(QDir(starterFolder()).filePath(name), QDir(path).filePath(name));
        sqlite3* db = nullptr;
        sqlite3_open(QDir(path).filePath(Schema::DatabaseFileName).toUtf8().constData(), &db);
        const int starter = airportCount(path);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (int copy = 1; copy <= 8; ++copy) {
            const QByteArray sql =
                // The columns named, so that a column added to the table later is
                // simply left empty in the copies.
                QStringLiteral("INSERT INTO Airports (ID, NAME, STATE, COUNTRY, ELEVATION, "
                               "\"LATITUDE DEGREES\", \"LATITUDE MINUTES\", "
                               "\"LATITUDE SECONDS\", \"LONGITUDE DEGREES\", "
                               "\"LONGITUDE MINUTES\", \"LONGITUDE SECONDS\", \"RUNWAY LENGTH\", "
                               "\"RUNWAY WIDTH\", \"TIME ZONE\", \"PUB/MIL\", IFR, CUSTOMS, "
                               "FUEL, LIGHTING) SELECT ID || '~%1', NAME, STATE, "
                               "COUNTRY, ELEVATION, \"LATITUDE DEGREES\", (\"LATITUDE MINUTES\" "
                               "+ %2) % 60, \"LATITUDE SECONDS\", \"LONGITUDE DEGREES\", "
                               "(\"LONGITUDE MINUTES\" + %3) % 60, \"LONGITUDE SECONDS\", "
                               "\"RUNWAY LENGTH\", \"RUNWAY WIDTH\", \"TIME ZONE\", \"PUB/MIL\", "
                               "IFR, CUSTOMS, FUEL, LIGHTING FROM Airports WHERE rowid <= %4")
                    .arg(copy)
                    .arg(copy * 7)
                    .arg(copy * 13)
                    .arg(starter)
                    .toUtf8();
            sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        }
        sqlite3_exec(db, "DELETE FROM Airports WHERE rowid > 200000", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return path;
    }();
    return folder;
}

QString folderOf(int size)
{
    return size == 0 ? starterFolder() : largeFolder();
}

void BM_FuelStops(benchmark::State& state)
{
    const QString folder = folderOf(int(state.range(0)));
    Db::DbEngine& engine = Db::DbEngine::instance();
    engine.setSystemDB(QDir(folder).filePath(Schema::WorkgroupFileName));
    auto workspace =
        engine.createWorkspace(QStringLiteral("Bench"), Schema::UserName, Schema::Password);
    const QString path = QDir(folder).filePath(Schema::DatabaseFileName);
    const std::optional<AirportRecord> from = ReadAirport(*workspace, path, QStringLiteral("KTEB"));
    const std::optional<AirportRecord> to = ReadAirport(*workspace, path, QStringLiteral("EGLL"));
    if (!from || !to) {
        state.SkipWithError("KTEB or EGLL missing");
        return;
    }
    const FuelStopLeg leg{from->ID,
                          to->ID,
                          GeoPoint{from->Latitude, from->Longitude},
                          GeoPoint{to->Latitude, to->Longitude},
                          double(state.range(1)),
                          0,
                          5000,
                          DistanceModel::Wgs84};
    auto database = workspace->openDatabase(path);
    qsizetype found = 0;
    for (auto _ : state)
        found = FuelStops::candidates(*database, leg).size();
    state.counters["airports"] = airportCount(folder);
    state.counters["candidates"] = double(found);
    database.reset();
    workspace.reset();
    engine.release();
}

// The floors: one statement stepped through every row it gives, every column read.
void floor(benchmark::State& state, const char* sql)
{
    const QString folder = folderOf(int(state.range(0)));
    sqlite3* db = nullptr;
    sqlite3_open_v2(QDir(folder).filePath(Schema::DatabaseFileName).toUtf8().constData(), &db,
                    SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    int rows = 0;
    for (auto _ : state) {
        rows = 0;
        sqlite3_reset(statement);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                if (sqlite3_column_type(statement, i) == SQLITE_TEXT)
                    benchmark::DoNotOptimize(sqlite3_column_text(statement, i));
                else
                    benchmark::DoNotOptimize(sqlite3_column_double(statement, i));
            }
            ++rows;
        }
    }
    state.counters["rows"] = rows;
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

// The window of the leg's point at 1,800 NM: near 53 N 33 W, over the open ocean.
void BM_FloorWindowQuery(benchmark::State& state)
{
    floor(state, "SELECT ID, NAME, \"LATITUDE DEGREES\", \"LATITUDE MINUTES\", "
                 "\"LATITUDE SECONDS\", \"LONGITUDE DEGREES\", \"LONGITUDE MINUTES\", "
                 "\"LONGITUDE SECONDS\" FROM Airports WHERE ifnull(trim(FUEL), '') <> '' "
                 "AND ifnull(\"RUNWAY LENGTH\", 0) >= 5000 "
                 "AND CAST(\"LATITUDE DEGREES\" AS INTEGER) BETWEEN 52 AND 54 "
                 "AND (CAST(\"LONGITUDE DEGREES\" AS INTEGER) BETWEEN 31 AND 34 "
                 "OR CAST(\"LONGITUDE DEGREES\" AS INTEGER) BETWEEN 1 AND 0)");
}

void BM_FloorReadEveryPosition(benchmark::State& state)
{
    floor(state, "SELECT ID, \"LATITUDE DEGREES\", \"LATITUDE MINUTES\", \"LATITUDE SECONDS\", "
                 "\"LONGITUDE DEGREES\", \"LONGITUDE MINUTES\", \"LONGITUDE SECONDS\", FUEL, "
                 "\"RUNWAY LENGTH\" FROM Airports");
}

} // namespace

// 0: the starter database; 1: 200,000 airports. A range of 1,800 NM ends over the
// ocean; one of 1,000 NM near Gander, with candidates to measure and sort.
BENCHMARK(BM_FuelStops)
    ->Args({0, 1800})
    ->Args({1, 1800})
    ->Args({0, 1000})
    ->Args({1, 1000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorWindowQuery)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorReadEveryPosition)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
