// The engine at the sizes operators have: 1,000, 10,000 and 70,000 airports.
//
//   bench_engine [benchmark flags]        runs the benchmarks
//   bench_engine --make-db N FOLDER       leaves a database of N airports in FOLDER
//                                         (bench/floor.sh times the sqlite3 shell on it)

#include "benchdata.h"
#include "core/db/engine.h"
#include "core/db/schema.h"

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
    f.database = makeBenchDatabase(folder, count);
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
        makeBenchDatabase(QString::fromLocal8Bit(argv[3]), std::atoi(argv[2]));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
