// The program at full size: start-up to the main window painted, beside the floor
// window (floorwindow.h) started and painted on the same database, with the starter
// database of a real program folder (23,000 airports) and with 70,000 and 200,000
// airports, both inside this process and as whole processes (window_program and
// window_floor, built beside this executable, which end at the first paint of the airport
// list, or when the window has built what it leaves until after that paint); one finder
// keystroke; and the exit's compaction and a backup (Back Up Database, brisklander-db
// backup) at 70,000 airports beside the sqlite3 shell's "VACUUM INTO" of the same file
// as a whole process.

#include "benchdata.h"
#include "floorwindow.h"

#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/databasebackup.h"
#include "core/folder/starterdata.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"

#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <map>
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
        // Started as on any day but the first, which asks for the company's details.
        ForgetFirstStart(QDir(path).filePath(QStringLiteral("Brisklander.INI")));
        return path;
    }();
    return folder;
}

// A program folder of `count` airports (0: the starter airports), made once per size.
// The made-up airports are joined by the default airport of the starter settings.
QString programFolder(int count)
{
    if (count == 0)
        return programFolder();
    static std::map<int, QString> folders;
    auto found = folders.find(count);
    if (found != folders.end())
        return found->second;
    const QString path = scratch().filePath(QStringLiteral("program%1").arg(count));
    const QString database = makeBenchDatabase(path, count);
    StarterData::createProgramFolder(path, QStringLiteral("Brisklander"),
                                     QStringLiteral(BRISKLANDER_SOURCE_DIR) +
                                         QStringLiteral("/data/ourairports"));
    ForgetFirstStart(QDir(path).filePath(QStringLiteral("Brisklander.INI")));
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(database).constData(), &db);
    const QByteArray sql =
        QStringLiteral("ATTACH '%1' AS starter; INSERT OR IGNORE INTO Airports SELECT * FROM "
                       "starter.Airports WHERE ID = 'KTEB'; DETACH starter;")
            .arg(QDir(programFolder()).filePath(Schema::DatabaseFileName))
            .toUtf8();
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return folders.emplace(count, path).first->second;
}

// Counts the paint events of the tables in a window.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Shows the window and lets it paint; false when its airport list was never painted.
bool showPainted(QWidget* window)
{
    PaintCounter counter;
    for (QAbstractItemView* view : window->findChildren<QAbstractItemView*>())
        view->viewport()->installEventFilter(&counter);
    window->show();
    QCoreApplication::processEvents();
    return counter.paints > 0;
}

std::unique_ptr<Brisklander> start(int count = 0)
{
    const QDir folder(programFolder(count));
    appContext().ProgramFolder = folder.path();
    appContext().DatabasePath = folder.filePath(Schema::DatabaseFileName);
    appContext().SettingsPath = folder.filePath(QStringLiteral("Brisklander.INI"));
    LoadSettings(appContext().SettingsPath);
    OpenAirportWorkspace();
    auto window = std::make_unique<Brisklander>();
    if (!showPainted(window.get()))
        window.reset();
    return window;
}

void stop(std::unique_ptr<Brisklander>& window)
{
    window.reset();
    appContext().Workspace.reset();
    Db::DbEngine::instance().release();
}

void BM_StartToWindowPainted(benchmark::State& state)
{
    const int count = int(state.range(0));
    programFolder(count);
    for (auto _ : state) {
        auto window = start(count);
        state.PauseTiming();
        if (!window)
            state.SkipWithError("the airport list was not painted");
        stop(window);
        state.ResumeTiming();
    }
}

// The floor: the minimal window on the same database, started and painted.
void BM_FloorWindowPainted(benchmark::State& state)
{
    const QString database =
        QDir(programFolder(int(state.range(0)))).filePath(Schema::DatabaseFileName);
    for (auto _ : state) {
        auto window = std::make_unique<FloorWindow>(database);
        const bool painted = showPainted(window.get());
        state.PauseTiming();
        if (!painted || window->model().rowCount() == 0)
            state.SkipWithError("the floor's list was not painted");
        window.reset();
        state.ResumeTiming();
    }
}

// Milliseconds from starting `program`, built beside this executable, with `arguments`
// to its end; -1 when it failed.
double processMilliseconds(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(QCoreApplication::applicationDirPath() + QLatin1Char('/') + program, arguments);
    if (!process.waitForFinished() || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return -1;
    return double(clock.nsecsElapsed()) / 1e6;
}

// The program, the floor window and the program's controls alone started in turn, each
// as a whole process that ends at the first paint of its airport list ("program"), or
// once the program has also built what it leaves until after that paint
// ("program-complete"). The time is the program's; "floor_ms" is the floor's and
// "controls_ms" the controls', and "ratio" and "ratio_controls" the means of the
// program's ratios to them.
void BM_ProcessStart(benchmark::State& state, const char* kind)
{
    const QStringList extra = std::strcmp(kind, "program-complete") == 0
                                  ? QStringList{QStringLiteral("complete")}
                                  : QStringList{};
    const QString folder = programFolder(int(state.range(0)));
    const QString lock = scratch().filePath(QStringLiteral("machine.lock"));
    const QStringList database{QDir(folder).filePath(Schema::DatabaseFileName)};
    double floorTotal = 0, ratioTotal = 0, controlsTotal = 0, controlsRatioTotal = 0;
    for (auto _ : state) {
        const double floor = processMilliseconds(QStringLiteral("window_floor"), database);
        const double controls = processMilliseconds(QStringLiteral("window_controls"), database);
        const double program = processMilliseconds(QStringLiteral("window_program"),
                                                   QStringList{folder, lock} + extra);
        if (floor < 0 || controls < 0 || program < 0) {
            state.SkipWithError("a window was not painted");
            break;
        }
        state.SetIterationTime(program / 1000);
        floorTotal += floor;
        ratioTotal += program / floor;
        controlsTotal += controls;
        controlsRatioTotal += program / controls;
    }
    const auto average = [](double total) {
        return benchmark::Counter(total, benchmark::Counter::kAvgIterations);
    };
    state.counters["floor_ms"] = average(floorTotal);
    state.counters["ratio"] = average(ratioTotal);
    state.counters["controls_ms"] = average(controlsTotal);
    state.counters["ratio_controls"] = average(controlsRatioTotal);
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

void BM_ExitCompaction70k(benchmark::State& state)
{
    const QString source = QDir(programFolder(70000)).filePath(Schema::DatabaseFileName);
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

// A backup of the same database over the backup made before, checked and recorded.
void BM_Backup70k(benchmark::State& state)
{
    const QString folder = programFolder(70000);
    const QString target = scratch().filePath(QStringLiteral("backup.mdb"));
    for (auto _ : state) {
        try {
            DatabaseBackup::backup(folder, target);
        } catch (const Db::DbError& error) {
            state.SkipWithError(qPrintable(error.description()));
        }
    }
}

// The floor: the sqlite3 shell compacting the same file into a new one, process and all.
void BM_Sqlite3VacuumInto70k(benchmark::State& state)
{
    const QString source = QDir(programFolder(70000)).filePath(Schema::DatabaseFileName);
    const QString target = scratch().filePath(QStringLiteral("vacuum.mdb"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
        QProcess shell;
        shell.start(QStringLiteral("sqlite3"),
                    {source, QStringLiteral("VACUUM INTO '%1'").arg(target)});
        if (!shell.waitForFinished() || shell.exitCode() != 0)
            state.SkipWithError("sqlite3 failed");
    }
}

} // namespace

// Each size's figure beside its floor; 0 stands for the starter airports.
BENCHMARK(BM_StartToWindowPainted)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorWindowPainted)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartToWindowPainted)->Arg(70000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorWindowPainted)->Arg(70000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartToWindowPainted)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorWindowPainted)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ProcessStart, ToPainted, "program")
    ->Arg(0)
    ->Arg(70000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_ProcessStart, ToComplete, "program-complete")
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20);
BENCHMARK(BM_FinderKeystrokeFullSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExitCompaction70k)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Backup70k)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Sqlite3VacuumInto70k)->Unit(benchmark::kMillisecond)->UseRealTime();

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
