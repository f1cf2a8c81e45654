// One keystroke in the main window's find box at 23,000, 70,000 and 200,000 airports,
// each beside its floor: a minimal Qt window of a find box over a plain table of the
// same rows, read whole with the sqlite3 C API, sorted by ID, found by a binary
// search, the found row made current and scrolled to. Both are timed from the key to
// the list repainted, and for the key's handling alone (their paint run untimed).
// The paints counted per keystroke show which frames a key redraws; held_MiB is the memory
// the program's list took to hold its rows. The main window shows
// the route's map, as it starts; one run at 70,000 airports hides it, for what it costs.

#include "benchdata.h"

#include "core/db/engine.h"
#include "core/db/serverschema.h"
#include "core/folder/servercopy.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/airportlistmodel.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"

#include <benchmark/benchmark.h>

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <sqlite3.h>

#include <malloc.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

QString benchDatabase(int count)
{
    return makeBenchDatabase(scratch().filePath(QString::number(count)), count);
}

// ---- the floor ----

struct FloorAirport
{
    QString id, name, state, country;
    QVariant runway;
};

class FloorModel : public QAbstractTableModel
{
public:
    explicit FloorModel(const QString& path)
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT ID, NAME, STATE, COUNTRY, \"RUNWAY LENGTH\" FROM Airports "
                           "ORDER BY ID",
                           -1, &statement, nullptr);
        const auto text = [statement](int column) {
            return QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
        };
        while (sqlite3_step(statement) == SQLITE_ROW) {
            m_rows.push_back({text(0), text(1), text(2), text(3),
                              sqlite3_column_type(statement, 4) == SQLITE_NULL
                                  ? QVariant()
                                  : QVariant(sqlite3_column_int(statement, 4))});
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }

    // The first row whose ID begins with the prefix, -1 when none.
    int find(const QString& prefix) const
    {
        const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), prefix,
                                         [](const FloorAirport& row, const QString& key) {
                                             return row.id.compare(key, Qt::CaseInsensitive) < 0;
                                         });
        if (at == m_rows.end() || !at->id.startsWith(prefix, Qt::CaseInsensitive))
            return -1;
        return int(at - m_rows.begin());
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : 5;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return QVariant();
        const FloorAirport& row = m_rows[size_t(index.row())];
        switch (index.column()) {
        case 0:
            return row.id;
        case 1:
            return row.name;
        case 2:
            return row.state;
        case 3:
            return row.country;
        default:
            return row.runway;
        }
    }

private:
    std::vector<FloorAirport> m_rows;
};

class FloorWindow : public QWidget
{
public:
    FloorWindow(const QString& path, const QTableView& like) : m_model(path)
    {
        auto* layout = new QVBoxLayout(this);
        m_box = new QLineEdit(this);
        m_table = new QTableView(this);
        layout->addWidget(m_box);
        layout->addWidget(m_table);
        m_table->setModel(&m_model);
        m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_table->setSelectionMode(QAbstractItemView::SingleSelection);
        m_table->verticalHeader()->hide();
        // The program's list as it stands: the same size, rows and columns.
        m_table->setFixedSize(like.size());
        m_table->verticalHeader()->setDefaultSectionSize(
            like.verticalHeader()->defaultSectionSize());
        for (int column = 0; column < 5; ++column)
            m_table->setColumnWidth(column, like.columnWidth(column));
        connect(m_box, &QLineEdit::textEdited, this, [this](const QString& text) {
            const int row = text.isEmpty() ? -1 : m_model.find(text);
            if (row < 0) {
                m_table->clearSelection();
                return;
            }
            const QModelIndex found = m_model.index(row, 0);
            m_table->setCurrentIndex(found);
            m_table->scrollTo(found);
        });
    }
    QLineEdit* box() const { return m_box; }
    QTableView* table() const { return m_table; }

private:
    FloorModel m_model;
    QLineEdit* m_box;
    QTableView* m_table;
};

// ---- the program ----

// The memory the process's allocations hold, in MiB.
double allocatedMiB()
{
    const struct mallinfo2 heap = mallinfo2();
    return double(heap.uordblks + heap.hblkhd) / (1024 * 1024);
}

struct Windows
{
    int count = 0;
    double heldMiB = 0; // what holding the airport list in memory took
    std::unique_ptr<Brisklander> program;
    std::unique_ptr<FloorWindow> floor;
};

// The windows die before the application does, in main().
Windows& windows()
{
    static Windows open;
    return open;
}

// The airports of the file of `count` copied to a database of the office's server (the
// one pg_virtualenv's PG* variables name); empty when there is no server.
QString serverDatabase(int count)
{
    const QString name =
        QStringLiteral("bench_finder_%1_%2").arg(count).arg(QCoreApplication::applicationPid());
    if (qEnvironmentVariableIsEmpty("PGHOST") ||
        QProcess::execute(QStringLiteral("createdb"), {QStringLiteral("--template=template0"),
                                                       QStringLiteral("--encoding=UTF8"),
                                                       QStringLiteral("--locale=C.UTF-8"), name}) !=
            0)
        return QString();
    const QString location = QStringLiteral("dbname=") + name;
    ServerSchema::create(location);
    ServerCopy::copyFolder(QFileInfo(benchDatabase(count)).path(), location);
    Db::DbEngine::instance().release();
    return location;
}

// A negative count: the program on the server, its floor on the file.
Windows& windowsOf(int count)
{
    Windows& open = windows();
    if (open.count == count)
        return open;
    // One program window at a time holds the engine; the previous size's is closed first.
    open = Windows();
    Db::DbEngine::instance().release();
    const QString file = benchDatabase(std::abs(count));
    appContext().DatabasePath = count < 0 ? serverDatabase(-count) : file;
    appContext().ProgramFolder = QFileInfo(file).path();
    if (appContext().DatabasePath.isEmpty())
        return open;
    appSettings() = AppSettings();
    OpenAirportWorkspace();
    open.program = std::make_unique<Brisklander>();
    open.program->resize(1000, 720);
    open.program->show();
    QCoreApplication::processEvents();
    const auto* list = open.program->findChild<QTableView*>(QStringLiteral("SSDBGrid1"));
    // The list reads its rows into memory while the operator looks at it; the keys are
    // timed once it holds them, as after the first seconds of a working day.
    const auto* rows = qobject_cast<const AirportListModel*>(list->model());
    const double before = allocatedMiB();
    while (rows && !rows->holdsAllRows())
        QCoreApplication::processEvents();
    open.heldMiB = allocatedMiB() - before;
    open.floor = std::make_unique<FloorWindow>(file, *list);
    open.floor->show();
    QCoreApplication::processEvents();
    open.count = count;
    return open;
}

// Counts the paints a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }
    ~PaintCounter() override { m_widget->removeEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }

private:
    QWidget* m_widget;
};

// The second of two keys, each pair on an empty box: it narrows the completion the
// first one proposed. With `painted` the time runs to the list repainted; without,
// only the key's handling is timed.
void keystroke(benchmark::State& state, QLineEdit* box, QTableView* list, bool painted)
{
    box->setFocus();
    QCoreApplication::processEvents();
    const char keys[] = {'K', 'M', 'Q', 'B', '7', 'Z'};
    int i = 0;
    PaintCounter listPaints(list->viewport());
    PaintCounter boxPaints(box);
    QWidget* map = box->window()->findChild<QWidget*>(QStringLiteral("RouteMap"));
    PaintCounter mapPaints(map ? map : box);
    for (auto _ : state) {
        state.PauseTiming();
        box->clear();
        QTest::keyClick(box, keys[i++ % 6]);
        QCoreApplication::processEvents();
        listPaints.paints = boxPaints.paints = mapPaints.paints = 0;
        state.ResumeTiming();
        QTest::keyClick(box, keys[i % 6]);
        if (painted) {
            QCoreApplication::processEvents();
        } else {
            state.PauseTiming();
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(box->text());
        if (list->selectionModel()->selectedRows().isEmpty())
            state.SkipWithError("the key found no airport");
    }
    // Paints of the last keystroke; every one draws alike.
    state.counters["list_paints"] = listPaints.paints;
    state.counters["box_paints"] = boxPaints.paints;
    if (map)
        state.counters["map_paints"] = mapPaints.paints;
}

void BM_FinderKeystroke(benchmark::State& state, bool painted)
{
    Windows& open = windowsOf(int(state.range(0)));
    if (!open.program) {
        state.SkipWithError("no server: run under pg_virtualenv");
        return;
    }
    keystroke(state, open.program->findChild<QLineEdit*>(QStringLiteral("TxtFind")),
              open.program->findChild<QTableView*>(QStringLiteral("SSDBGrid1")), painted);
    state.counters["held_MiB"] = open.heldMiB;
}

// The same with the route's map beside the route list hidden: what the map costs a key.
void BM_FinderKeystrokeWithoutMap(benchmark::State& state)
{
    Windows& open = windowsOf(int(state.range(0)));
    open.program->setMapShown(false);
    keystroke(state, open.program->findChild<QLineEdit*>(QStringLiteral("TxtFind")),
              open.program->findChild<QTableView*>(QStringLiteral("SSDBGrid1")), true);
    open.program->setMapShown(true);
    QCoreApplication::processEvents();
}

// In Anything mode, each key of what operators type, one after another as typed: the
// search, the proposals and the airport list following the first, without the paint.
void BM_FinderAnythingKeyHandling(benchmark::State& state)
{
    Windows& open = windowsOf(int(state.range(0)));
    auto* box = open.program->findChild<QLineEdit*>(QStringLiteral("TxtFind"));
    open.program->findChild<QAction*>(QStringLiteral("mnusearchAnything"))->trigger();
    box->setFocus();
    // The first key waits for the search, which the window builds while the operator
    // looks at it: the keys are timed once it stands.
    QTest::keyClicks(box, QStringLiteral("a"));
    box->clear();
    QCoreApplication::processEvents();
    const QStringList phrases{QStringLiteral("lhr"),       QStringLiteral("heathrow"),
                              QStringLiteral("las vegas"), QStringLiteral("kbos"),
                              QStringLiteral("athens"),    QStringLiteral("zurich"),
                              QStringLiteral("sao paulo"), QStringLiteral("la guardia")};
    qsizetype phrase = 0, typed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (typed == phrases[phrase].size()) {
            box->clear();
            phrase = (phrase + 1) % phrases.size();
            typed = 0;
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();
        QTest::keyClicks(box, phrases[phrase].mid(typed++, 1));
    }
    box->clear();
    open.program->findChild<QAction*>(QStringLiteral("mnusearchID"))->trigger();
    QCoreApplication::processEvents();
}

void BM_FloorKeystroke(benchmark::State& state, bool painted)
{
    Windows& open = windowsOf(int(state.range(0)));
    keystroke(state, open.floor->box(), open.floor->table(), painted);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // By size, each figure beside its floor.
    for (const int count : {23000, 70000, 200000}) {
        benchmark::RegisterBenchmark("BM_FinderKeystroke", BM_FinderKeystroke, true)
            ->Arg(count)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("BM_FloorKeystroke", BM_FloorKeystroke, true)
            ->Arg(count)
            ->Unit(benchmark::kMicrosecond);
        if (count == 70000)
            benchmark::RegisterBenchmark("BM_FinderKeystrokeWithoutMap",
                                         BM_FinderKeystrokeWithoutMap)
                ->Arg(count)
                ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("BM_FinderKeyHandling", BM_FinderKeystroke, false)
            ->Arg(count)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("BM_FloorKeyHandling", BM_FloorKeystroke, false)
            ->Arg(count)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("BM_FinderAnythingKeyHandling", BM_FinderAnythingKeyHandling)
            ->Arg(count)
            ->Unit(benchmark::kMicrosecond);
    }
    // The program on an office's server over the loopback, beside the file's floor.
    benchmark::RegisterBenchmark("BM_FinderKeystrokeOnServer", BM_FinderKeystroke, true)
        ->Arg(-23000)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_FloorKeystroke", BM_FloorKeystroke, true)
        ->Arg(-23000)
        ->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    windows() = Windows();
    Db::DbEngine::instance().release();
    return 0;
}
