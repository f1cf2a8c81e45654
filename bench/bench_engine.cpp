// The engine at the sizes operators have: 1,000, 10,000 and 70,000 airports.
//
//   bench_engine [benchmark flags]        runs the benchmarks
//   bench_engine --make-db N FOLDER       leaves a database of N airports in FOLDER
//                                         (bench/floor.sh times the sqlite3 shell on it)

#include "core/engine.h"
#include "core/schema.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstring>
#include <map>
#include <memory>

namespace {

const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// A database of n airports with distinct four-character identifiers and
// realistic names, made once per size.
QString makeDatabase(const QString& folder, int count)
{
    QDir().mkpath(folder);
    const QString workgroup = QDir(folder).filePath(Schema::WorkgroupFileName);
    const QString database = QDir(folder).filePath(Schema::DatabaseFileName);
    if (QFile::exists(database))
        return database;
    Db::DbEngine& engine = Db::DbEngine::instance();
    Db::DbEngine::createWorkgroupFile(workgroup, Schema::UserName, Schema::Password);
    engine.setSystemDB(workgroup);
    auto workspace =
        engine.createWorkspace(QStringLiteral("Bench"), Schema::UserName, Schema::Password);
    Schema::createDatabase(*workspace, database);
    auto db = workspace->openDatabase(database);
    workspace->beginTrans();
    auto set = db->openRecordset(QStringLiteral("Airports"));
    QRandomGenerator random(42);
    const QStringList words{"REGIONAL", "MUNICIPAL", "INTERNATIONAL", "COUNTY", "FIELD",
                            "AIRPARK",  "EXECUTIVE", "MEMORIAL",      "VALLEY", "LAKE"};
    for (int i = 0; i < count; ++i) {
        // Distinct identifiers: the row number in base 36, shuffled into the letters.
        QString id;
        int n = i * 7919 % (36 * 36 * 36 * 36);
        for (int k = 0; k < 4; ++k) {
            id.prepend(QLatin1Char(Letters[n % 36]));
            n /= 36;
        }
        set->addNew();
        set->setValue(QStringLiteral("ID"), id);
        set->setValue(QStringLiteral("NAME"), QStringLiteral("%1 %2 %3")
                                                  .arg(QChar(u'A' + random.bounded(26)))
                                                  .arg(words[random.bounded(10)])
                                                  .arg(i));
        set->setValue(QStringLiteral("STATE"), QStringLiteral("TX"));
        set->setValue(QStringLiteral("COUNTRY"), QStringLiteral("UNITED STATES"));
        set->setValue(QStringLiteral("ELEVATION"), random.bounded(9000));
        set->setValue(QStringLiteral("LATITUDE DEGREES"),
                      QStringLiteral("%1").arg(random.bounded(89), 2, 10, QLatin1Char('0')));
        set->setValue(QStringLiteral("LATITUDE MINUTES"), random.bounded(60));
        set->setValue(QStringLiteral("LATITUDE SECONDS"), random.bounded(60.0));
        set->setValue(QStringLiteral("LONGITUDE DEGREES"),
                      QStringLiteral("%1").arg(random.bounded(179), 3, 10, QLatin1Char('0')));
        set->setValue(QStringLiteral("LONGITUDE MINUTES"), random.bounded(60));
        set->setValue(QStringLiteral("LONGITUDE SECONDS"), random.bounded(60.0));
        set->setValue(QStringLiteral("RUNWAY LENGTH"), 1500 + random.bounded(12000));
        set->setValue(QStringLiteral("RUNWAY WIDTH"), 75 + random.bounded(100));
        set->setValue(QStringLiteral("TIME ZONE"), -6.0);
        set->setValue(QStringLiteral("PUB/MIL"), QStringLiteral("P"));
        set->update();
    }
    set.reset();
    workspace->commitTrans();
    workspace->close();

    Db::DbEngine::settleDatabaseFile(database);
    return database;
}

struct Fixture
{
    QString database;
    std::shared_ptr<Db::Workspace> workspace;
    std::shared_ptr<Db::Database> db;
};

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

Fixture& fixture(int count)
{
    static std::map<int, Fixture> fixtures;
    auto found = fixtures.find(count);
    if (found != fixtures.end())
        return found->second;
    Fixture f;
    const QString folder = scratch().filePath(QString::number(count));
    f.database = makeDatabase(folder, count);
    Db::DbEngine& engine = Db::DbEngine::instance();
    engine.setSystemDB(QDir(folder).filePath(Schema::WorkgroupFileName));
    f.workspace = engine.createWorkspace(QStringLiteral("Bench%1").arg(count), Schema::UserName,
                                         Schema::Password);
    f.db = f.workspace->openDatabase(f.database);
    return fixtures.emplace(count, f).first->second;
}

void BM_FindFirstPrefix(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    auto set = f.db->openRecordset(QStringLiteral("SELECT * From Airports ORDER BY [ID]"));
    const QStringList prefixes{"K", "KM", "ZZ", "B7", "Q"};
    int i = 0;
    for (auto _ : state) {
        const bool found =
            set->findFirst(Db::Criterion::startsWith(QStringLiteral("ID"), prefixes[i++ % 5]));
        benchmark::DoNotOptimize(found);
    }
}

void BM_FindFirstNamePrefix(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    auto set = f.db->openRecordset(QStringLiteral("SELECT * From Airports ORDER BY [NAME]"));
    const QStringList prefixes{"M", "MU", "Q REG", "Z", "B COUNTY"};
    int i = 0;
    for (auto _ : state) {
        const bool found =
            set->findFirst(Db::Criterion::startsWith(QStringLiteral("NAME"), prefixes[i++ % 5]));
        benchmark::DoNotOptimize(found);
    }
}

void BM_FindFirstEquals(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    auto set = f.db->openRecordset(QStringLiteral("SELECT * From Airports ORDER BY [ID]"));
    set->moveLast();
    const QString last = set->value(QStringLiteral("ID")).toString();
    set->moveFirst();
    for (auto _ : state) {
        const bool found = set->findFirst(Db::Criterion::equals(QStringLiteral("ID"), last));
        benchmark::DoNotOptimize(found);
    }
}

void BM_ReadListById(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    for (auto _ : state) {
        auto set = f.db->openRecordset(QStringLiteral("SELECT * From Airports ORDER BY [ID]"));
        qint64 total = 0;
        for (int i = 0; i < set->recordCount(); ++i)
            total += set->row(i).size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Compact(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    const QString target = scratch().filePath(QStringLiteral("compacted.mdb"));
    for (auto _ : state) {
        QFile::remove(target);
        Db::DbEngine::compactDatabase(f.database, target);
    }
    QFile::remove(target);
}

} // namespace

BENCHMARK(BM_FindFirstPrefix)->Arg(1000)->Arg(10000)->Arg(70000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindFirstNamePrefix)->Arg(1000)->Arg(10000)->Arg(70000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindFirstEquals)->Arg(1000)->Arg(10000)->Arg(70000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadListById)->Arg(1000)->Arg(10000)->Arg(70000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compact)->Arg(70000)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--make-db") == 0) {
        makeDatabase(QString::fromLocal8Bit(argv[3]), std::atoi(argv[2]));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
