// The find box's search in Anything mode on the world's airports (the starter data,
// repeated under other identifiers up to 70,000 and 200,000): reading the index once,
// and the search of each keystroke as an operator types a phrase, beside the floor of
// one binary search in a sorted list per keystroke.

#include "core/airports/airportsearch.h"
#include "core/csv.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// What operators type, one keystroke at a time.
const QStringList Phrases{u"lhr"_s,      u"heathrow"_s,  u"las vegas"_s, u"kbos"_s,
                          u"aspen"_s,    u"teterboro"_s, u"zürich"_s,    u"sao paulo"_s,
                          u"new york"_s, u"nice"_s,      u"athens"_s,    u"la guardia"_s};

std::vector<AirportSearch::Airport> starterAirports()
{
    QFile file(QStringLiteral(BRISKLANDER_SOURCE_DIR "/data/ourairports/airports.csv"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Csv::Record> records;
    Csv::readRecords(QString::fromUtf8(file.readAll()), records);
    const QStringList header = records.takeFirst().fields;
    const auto at = [&header](const char* name) {
        return int(header.indexOf(QLatin1String(name)));
    };
    const int id = at("ident"), name = at("name"), city = at("municipality"),
              iata = at("iata_code"), region = at("iso_region"), country = at("iso_country");
    std::vector<AirportSearch::Airport> airports;
    for (const Csv::Record& r : records) {
        if (r.fields.size() < header.size())
            continue;
        airports.push_back({r.fields[id], r.fields[iata], r.fields[name].toUpper().left(50),
                            r.fields[city].left(40), r.fields[region].section(u'-', 1),
                            r.fields[country], int(qHash(r.fields[id]) % 12000)});
    }
    return airports;
}

// The starter airports and copies of them under other identifiers, `count` in all.
const std::vector<AirportSearch::Airport>& airports(int count)
{
    static std::map<int, std::vector<AirportSearch::Airport>> made;
    auto& set = made[count];
    if (set.empty()) {
        static const std::vector<AirportSearch::Airport> starter = starterAirports();
        for (int i = 0; int(set.size()) < count; ++i) {
            AirportSearch::Airport a = starter[size_t(i) % starter.size()];
            if (i >= int(starter.size())) {
                a.id = QStringLiteral("%1%2").arg(i / int(starter.size())).arg(a.id);
                a.iata.clear();
            }
            set.push_back(a);
        }
    }
    return set;
}

void BM_ReadIndex(benchmark::State& state)
{
    const auto& set = airports(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(AirportSearch(set));
}

void BM_AnythingKeystroke(benchmark::State& state)
{
    const AirportSearch search(airports(int(state.range(0))));
    std::int64_t keys = 0;
    for (auto _ : state) {
        for (const QString& phrase : Phrases) {
            for (qsizetype n = 1; n <= phrase.size(); ++n) {
                benchmark::DoNotOptimize(search.find(phrase.left(n), 8));
                ++keys;
            }
        }
    }
    state.SetItemsProcessed(keys);
}

// The floor: one binary search of the typed prefix in the names, sorted and folded.
void BM_FloorBinarySearchKeystroke(benchmark::State& state)
{
    std::vector<std::string> names;
    for (const AirportSearch::Airport& a : airports(int(state.range(0))))
        names.push_back(AirportSearch::fold(a.name));
    std::sort(names.begin(), names.end());
    std::int64_t keys = 0;
    for (auto _ : state) {
        for (const QString& phrase : Phrases) {
            for (qsizetype n = 1; n <= phrase.size(); ++n) {
                const std::string prefix = phrase.left(n).toStdString();
                benchmark::DoNotOptimize(std::lower_bound(names.begin(), names.end(), prefix));
                ++keys;
            }
        }
    }
    state.SetItemsProcessed(keys);
}

} // namespace

BENCHMARK(BM_ReadIndex)->Arg(26000)->Arg(70000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnythingKeystroke)->Arg(26000)->Arg(70000)->Arg(200000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FloorBinarySearchKeystroke)
    ->Arg(26000)
    ->Arg(70000)
    ->Arg(200000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
