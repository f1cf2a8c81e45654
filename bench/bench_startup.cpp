// The program at full size, with the starter database of a real program folder:
// start-up to the main window shown, one finder keystroke, and the exit's
// compaction.

#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/starterdata.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// A program folder with every starter airport, made once.
QString programFolder()
{
    static const QString folder = [] {
        const QString path = scratch().filePath(QStringLiteral("program"));
        StarterData::createProgramFolder(path, QStringLiteral("Brisklander"),
                                         QStringLiteral(BRISKLANDER_SOURCE_DIR) +
                                             QStringLiteral("/data/ourairports"));
        return path;
    }();
    return folder;
}

std::unique_ptr<Brisklander> start()
{
    const QDir folder(programFolder());
    appContext().ProgramFolder = folder.path();
    appContext().DatabasePath = folder.filePath(Schema::DatabaseFileName);
    appContext().SettingsPath = folder.filePath(QStringLiteral("Brisklander.INI"));
    LoadSettings(appContext().SettingsPath);
    OpenAirportWorkspace();
    auto window = std::make_unique<Brisklander>();
    window->show();
    QCoreApplication::processEvents();
    return window;
}

void stop(std::unique_ptr<Brisklander>& window)
{
    window.reset();
    appContext().Workspace.reset();
    Db::DbEngine::instance().release();
}

void BM_StartToWindowShown(benchmark::State& state)
{
    programFolder();
    for (auto _ : state) {
        auto window = start();
        state.PauseTiming();
        stop(window);
        state.ResumeTiming();
    }
}

void BM_FinderKeystrokeFullSize(benchmark::State& state)
{
    auto window = start();
    auto* find = window->findChild<QLineEdit*>(QStringLiteral("TxtFind"));
    find->setFocus();
    const char keys[] = {'K', 'L', 'E', 'Y', 'S', 'C'};
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        find->clear();
        QTest::keyClick(find, keys[i++ % 6]);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        QTest::keyClick(find, keys[i % 6]);
        QCoreApplication::processEvents();
    }
    stop(window);
}

void BM_ExitCompactionFullSize(benchmark::State& state)
{
    const QString source = QDir(programFolder()).filePath(Schema::DatabaseFileName);
    const QString copy = scratch().filePath(QStringLiteral("exit/Brisklander.mdb"));
    QDir().mkpath(scratch().filePath(QStringLiteral("exit")));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(copy);
        QFile::copy(source, copy);
        state.ResumeTiming();
        DatabaseFiles files;
        CompactDatabaseAtExit(copy, files);
    }
}

} // namespace

BENCHMARK(BM_StartToWindowShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FinderKeystrokeFullSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExitCompactionFullSize)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
