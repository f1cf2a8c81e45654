// The quote register at 10,000 and 100,000 kept quotes: keeping a quote, listing the
// register and filtering it, beside the floor of the sqlite3 C API reading the same
// rows from the same file in the same run; and the register window itself, opened and
// shown with its list, and one key typed into its filter box to the repainted list.

#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/db/serverschema.h"
#include "core/register/quoteregister.h"
#include "gui/appcontext.h"
#include "gui/register/frmregister.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

#include <sqlite3.h>

namespace {

const QDate Today(2026, 3, 1);

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

KeptQuote sampleQuote(int i)
{
    KeptQuote q;
    q.created = QDateTime(Today, QTime(9, 0)).addSecs(i);
    q.createdBy = QStringLiteral("JM");
    q.request.stops = {QStringLiteral("KTEB"), QStringLiteral("KASE"), QStringLiteral("KTEB")};
    q.request.customer.Name = QStringLiteral("Acme Air %1").arg(i % 500);
    q.request.remarks = QStringLiteral("Catering for six; ground transport at Aspen.");
    q.data.customer = q.request.customer;
    q.data.customer.City = QStringLiteral("Boston");
    for (const QString& stop : q.request.stops)
        q.data.route << QuoteData::RouteRow{stop, stop + QStringLiteral(" FIELD"),
                                            QStringLiteral("1,450.2"), QStringLiteral("1,668.9")};
    q.data.charges << QuoteData::ChargeRow{QStringLiteral("Catering"), QStringLiteral("350.00"),
                                           QStringLiteral("1"),        QStringLiteral("350.00"),
                                           QStringLiteral("STATE"),    QStringLiteral("24.50")};
    q.data.finalQuote = QStringLiteral("28,793.10");
    return q;
}

struct Fixture
{
    QString database;
    std::shared_ptr<Db::Workspace> workspace;
    std::unique_ptr<QuoteRegister> quotes;
    sqlite3* floor = nullptr;
};

// A register of `count` quotes: one kept through the register, the rest copied from it
// in one statement with their own numbers, days, customers, routes and statuses.
Fixture& fixture(int count)
{
    static std::map<int, Fixture> fixtures;
    auto found = fixtures.find(count);
    if (found != fixtures.end())
        return found->second;
    Fixture& f = fixtures[count];
    const QString folder = scratch().filePath(QString::number(count));
    QDir().mkpath(folder);
    const QString workgroup = QDir(folder).filePath(Schema::WorkgroupFileName);
    f.database = QDir(folder).filePath(Schema::DatabaseFileName);
    Db::DbEngine& engine = Db::DbEngine::instance();
    Db::DbEngine::createWorkgroupFile(workgroup, Schema::UserName, Schema::Password);
    engine.setSystemDB(workgroup);
    f.workspace = engine.createWorkspace(QStringLiteral("Bench%1").arg(count), Schema::UserName,
                                         Schema::Password);
    Schema::createDatabase(*f.workspace, f.database);
    f.quotes = std::make_unique<QuoteRegister>(*f.workspace, f.database);
    f.quotes->keep(sampleQuote(0));
    auto db = f.workspace->openDatabase(f.database);
    // The count is a number of the program's own, not text from anywhere else.
    db->execute(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                       "WHERE i < ") +
        QString::number(count - 1) +
        QStringLiteral("), "
                       "q AS (SELECT i, 2016 + i / 10000 AS y, i % 10000 + 1 AS s, "
                       "'K' || char(65 + i % 26) || char(65 + i / 26 % 26) || 'X' AS a, "
                       "'K' || char(65 + i / 7 % 26) || char(65 + i / 3 % 26) || 'Y' AS b, "
                       "strftime('%Y-%m-%dT%H:%M:%S.000', '2016-01-01', '+' || (i * 47) || "
                       "' minutes') AS c FROM n) "
                       "INSERT INTO Quotes (Number, Revision, Year, Sequence, Latest, Status, "
                       "Created, CreatedBy, CustomerName, RouteText, FinalQuote, FinalQuoteValue, "
                       "ValidUntil, SearchName, SearchRoute, QuoteBasis, MinimumCharge, Request, "
                       "Data) SELECT printf('%d-%04d', y, s), 1, y, s, 1, "
                       "CASE i % 5 WHEN 0 THEN 'Draft' WHEN 1 THEN 'Sent' WHEN 2 THEN 'Accepted' "
                       "WHEN 3 THEN 'Declined' ELSE 'Cancelled' END, c, 'JM', "
                       "'Customer ' || (i % 500), a || '-' || b || '-' || a, FinalQuote, "
                       "FinalQuoteValue + i, date(c, '+30 days'), 'customer ' || (i % 500), "
                       "lower('-' || a || '-' || b || '-' || a || '-'), QuoteBasis, MinimumCharge, "
                       "Request, Data FROM q, (SELECT * FROM Quotes LIMIT 1)"));
    db->close();
    sqlite3_open_v2(f.database.toUtf8().constData(), &f.floor, SQLITE_OPEN_READONLY, nullptr);
    return f;
}

QuoteFilter filterOf(int which)
{
    QuoteFilter filter;
    switch (which % 3) {
    case 0:
        filter.text = QStringLiteral("customer 42"); // a customer's name
        break;
    case 1:
        filter.text = QStringLiteral("KBCX-KAJY"); // a city pair of the route
        break;
    default:
        filter.status = QuoteStatus::Accepted;
        filter.from = QDate(2017, 1, 1);
        filter.to = QDate(2019, 12, 31);
        break;
    }
    return filter;
}

void BM_KeepQuote(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    int i = 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(f.quotes->keep(sampleQuote(i++)).number);
}

// Keeping a quote on an office's server over the loopback, beside BM_KeepQuote on the
// file: run under pg_virtualenv (its PG* variables name the server); skipped without one.
void BM_KeepQuoteOnServer(benchmark::State& state)
{
    static std::shared_ptr<Db::Workspace> workspace;
    static std::unique_ptr<QuoteRegister> quotes;
    if (!quotes) {
        const QString name =
            QStringLiteral("bench_register_%1").arg(QCoreApplication::applicationPid());
        if (qEnvironmentVariableIsEmpty("PGHOST") ||
            QProcess::execute(QStringLiteral("createdb"),
                              {QStringLiteral("--template=template0"),
                               QStringLiteral("--encoding=UTF8"),
                               QStringLiteral("--locale=C.UTF-8"), name}) != 0) {
            state.SkipWithError("no server: run under pg_virtualenv");
            return;
        }
        ServerSchema::create(QStringLiteral("dbname=") + name);
        workspace = Db::DbEngine::scratchWorkspace();
        quotes = std::make_unique<QuoteRegister>(*workspace, QStringLiteral("dbname=") + name);
        quotes->keep(sampleQuote(0));
    }
    int i = 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(quotes->keep(sampleQuote(i++)).number);
}

void BM_List(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(f.quotes->list({}, Today).size());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ListFiltered(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(f.quotes->list(filterOf(i++), Today).size());
}

// The floor: the same rows read through the sqlite3 C API, each column as the list
// needs it, into nothing.
qint64 floorRead(sqlite3* db, const char* where, const char* text)
{
    const QByteArray sql =
        QByteArray("SELECT Number, Revision, Status, Created, CustomerName, RouteText, "
                   "FinalQuote, FinalQuoteValue, ValidUntil FROM Quotes WHERE Latest = 1 ") +
        where + " ORDER BY Latest DESC, Created DESC, Number DESC";
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr);
    if (text)
        sqlite3_bind_text(statement, 1, text, -1, SQLITE_STATIC);
    qint64 total = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < 9; ++c)
            total += c == 1 || c == 7 ? sqlite3_column_int(statement, c)
                                      : sqlite3_column_bytes(statement, c);
    }
    sqlite3_finalize(statement);
    return total;
}

void BM_FloorList(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(floorRead(f.floor, "", nullptr));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_FloorListFiltered(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    int i = 0;
    for (auto _ : state) {
        switch (i++ % 3) {
        case 0:
            benchmark::DoNotOptimize(
                floorRead(f.floor, "AND instr(SearchName, ?1) > 0", "customer 42"));
            break;
        case 1:
            benchmark::DoNotOptimize(
                floorRead(f.floor, "AND instr(SearchRoute, '-' || ?1 || '-') > 0", "kbcx-kajy"));
            break;
        default:
            benchmark::DoNotOptimize(
                floorRead(f.floor,
                          "AND Status = 'Accepted' AND Created >= '2017-01-01' AND "
                          "Created < '2020-01-01'",
                          nullptr));
            break;
        }
    }
}

// The register window on the database of `count` quotes, as Ctrl+R opens it.
std::unique_ptr<FrmRegister> openWindow(Fixture& f)
{
    appContext().Workspace = f.workspace;
    appContext().DatabasePath = f.database;
    auto window = std::make_unique<FrmRegister>([](const KeptQuote&) {});
    window->show();
    QCoreApplication::processEvents();
    return window;
}

void BM_WindowOpen(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    for (auto _ : state) {
        auto window = openWindow(f);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

// One key of "customer 42" typed after the rest, each time from the box holding
// "customer 4": the list narrows from every quote of customers 4, 40-49 and 400-499.
void BM_WindowFilterKeystroke(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    auto window = openWindow(f);
    auto* filter = window->findChild<QLineEdit*>(QStringLiteral("TxtRegisterFilter"));
    for (auto _ : state) {
        state.PauseTiming();
        filter->setText(QStringLiteral("customer 4"));
        QCoreApplication::processEvents();
        state.ResumeTiming();
        QTest::keyClick(filter, '2');
        QCoreApplication::processEvents();
    }
}

} // namespace

BENCHMARK(BM_WindowOpen)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowFilterKeystroke)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeepQuote)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeepQuoteOnServer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_List)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorList)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListFiltered)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorListFiltered)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

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
