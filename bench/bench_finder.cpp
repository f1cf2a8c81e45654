// One keystroke in the main window's find box at 1,000, 10,000 and 70,000 airports:
// the key filter, the prefix search, the find box and the airport list brought up
// to date and painted.

#include "benchdata.h"

#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

namespace {

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// The windows die before the application does, in main().
std::map<int, std::unique_ptr<Brisklander>>& openWindows()
{
    static std::map<int, std::unique_ptr<Brisklander>> windows;
    return windows;
}

Brisklander& window(int count)
{
    auto& windows = openWindows();
    auto found = windows.find(count);
    if (found != windows.end())
        return *found->second;
    // One window at a time holds the engine; the previous size's is closed first.
    windows.clear();
    Db::DbEngine::instance().release();
    const QString folder = scratch().filePath(QString::number(count));
    appContext().ProgramFolder = folder;
    appContext().DatabasePath = makeBenchDatabase(folder, count);
    appSettings() = AppSettings();
    OpenAirportWorkspace();
    auto created = std::make_unique<Brisklander>();
    created->resize(1000, 720);
    created->show();
    QCoreApplication::processEvents();
    return *windows.emplace(count, std::move(created)).first->second;
}

void BM_FinderKeystroke(benchmark::State& state)
{
    Brisklander& w = window(int(state.range(0)));
    auto* find = w.findChild<QLineEdit*>(QStringLiteral("TxtFind"));
    find->setFocus();
    const char keys[] = {'K', 'M', 'Q', 'B', '7', 'Z'};
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        find->clear();
        QTest::keyClick(find, keys[i++ % 6]);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        // The second character narrows the completion the first one proposed.
        QTest::keyClick(find, keys[i % 6]);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(find->text());
    }
}

} // namespace

BENCHMARK(BM_FinderKeystroke)->Arg(1000)->Arg(10000)->Arg(70000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    openWindows().clear();
    Db::DbEngine::instance().release();
    return 0;
}
