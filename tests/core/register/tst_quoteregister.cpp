#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/document/customerfields.h"
#include "core/register/customerbook.h"
#include "core/register/quoteregister.h"
#include "support/systemfaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using Db::DbEngine;

namespace {

const QString User = QStringLiteral("BLUser");
const QString Password = QStringLiteral("Pa55#word");
const QDate Today(2026, 3, 1);

QDateTime at(int month, int day, int year = 2026)
{
    return QDateTime(QDate(year, month, day), QTime(10, 0));
}

KeptQuote quote(const QString& customer, const QStringList& stops, const QDateTime& created)
{
    KeptQuote q;
    q.created = created;
    q.createdBy = QStringLiteral("JM");
    q.request.stops = stops;
    q.request.customer.Name = customer;
    q.data.customer.Name = customer;
    q.data.customer.City = QStringLiteral("Boston");
    for (const QString& stop : stops)
        q.data.route << QuoteData::RouteRow{stop, stop + QStringLiteral(" FIELD"), {}, {}};
    q.data.finalQuote = QStringLiteral("2,793.10");
    q.quoteBasis = QuoteBase::Nautical;
    q.minimumCharge = 750;
    return q;
}

QStringList fieldsOf(const QuoteData::Customer& customer)
{
    QStringList fields;
    for (const CustomerField& field : PrintFields::Customer)
        fields << customer.*field.data;
    return fields;
}

QStringList numbersOf(const QList<QuoteListEntry>& entries)
{
    QStringList numbers;
    for (const QuoteListEntry& entry : entries)
        numbers << QStringLiteral("%1/%2").arg(entry.number.mid(5)).arg(entry.revision);
    return numbers;
}

} // namespace

class TestQuoteRegister : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void numbersByYear();
    void numbersStayUniqueBetweenPrograms();
    void lifeOfAQuote();
    void list_data();
    void list();
    void customerBook();
    void folderMadeBeforeTheRegister();
    void failureLeavesTheRegisterAsItWas_data();
    void failureLeavesTheRegisterAsItWas();

private:
    void makeFolder(const QString& folder);
    std::shared_ptr<Db::Workspace> workspace(const QString& name) const
    {
        return DbEngine::instance().createWorkspace(name, User, Password);
    }
    void reopen()
    {
        m_ws->close();
        m_ws = workspace(QStringLiteral("AirportWS"));
    }
    QuoteRegister reg() { return QuoteRegister(*m_ws, m_mdb); }
    // Every row of the register's tables, in the order they were written.
    QStringList dump();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_mdb;
    std::shared_ptr<Db::Workspace> m_ws;
};

void TestQuoteRegister::makeFolder(const QString& folder)
{
    QVERIFY(QDir().mkpath(folder));
    const QString mdw = QDir(folder).filePath(Schema::WorkgroupFileName);
    m_mdb = QDir(folder).filePath(Schema::DatabaseFileName);
    DbEngine::createWorkgroupFile(mdw, User, Password);
    DbEngine::instance().setSystemDB(mdw);
    m_ws = workspace(QStringLiteral("AirportWS"));
    Schema::createDatabase(*m_ws, m_mdb);
}

void TestQuoteRegister::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    makeFolder(m_dir->path());
}

void TestQuoteRegister::cleanup()
{
    if (m_ws)
        m_ws->close();
    m_ws.reset();
    DbEngine::instance().release();
    m_dir.reset();
}

QStringList TestQuoteRegister::dump()
{
    QStringList rows;
    auto db = m_ws->openDatabase(m_mdb);
    for (const char* table : {"Quotes", "QuoteHistory", "Customers"}) {
        auto set = db->openRecordset(QString::fromLatin1(table), Db::RecordsetType::Snapshot);
        for (int i = 0; i < set->recordCount(); ++i) {
            QStringList values{QString::fromLatin1(table)};
            for (const QVariant& value : set->row(i))
                values << value.toString();
            rows << values.join(QLatin1Char('|'));
        }
    }
    return rows;
}

void TestQuoteRegister::numbersByYear()
{
    QuoteRegister r = reg();
    const QStringList stops{"KTEB", "KASE"};
    QCOMPARE(r.keep(quote("A", stops, QDateTime(QDate(2026, 12, 31), QTime(23, 59)))).number,
             QStringLiteral("2026-0001"));
    QCOMPARE(r.keep(quote("B", stops, QDateTime(QDate(2027, 1, 1), QTime(0, 1)))).number,
             QStringLiteral("2027-0001"));
    // A quote made in the old year and kept late still counts in its year.
    QCOMPARE(r.keep(quote("C", stops, at(6, 1))).number, QStringLiteral("2026-0002"));
    QCOMPARE(r.duplicate(QStringLiteral("2026-0001"), 0, at(3, 1, 2027), "JM").number,
             QStringLiteral("2027-0002"));
    // A revision keeps its number and uses up none.
    r.setStatus(QStringLiteral("2027-0001"), QuoteStatus::Sent, {}, at(1, 2, 2027));
    const KeptQuote revised = r.revise(QStringLiteral("2027-0001"), at(1, 3, 2027), "JM");
    QCOMPARE(revised.number, QStringLiteral("2027-0001"));
    QCOMPARE(revised.revision, 2);
    QCOMPARE(r.keep(quote("D", stops, at(2, 1, 2027))).number, QStringLiteral("2027-0003"));
}

void TestQuoteRegister::numbersStayUniqueBetweenPrograms()
{
    // Two copies of the program on one folder, keeping in turn.
    auto other = workspace(QStringLiteral("Other"));
    QuoteRegister mine = reg();
    QuoteRegister theirs(*other, m_mdb);
    QStringList numbers;
    for (int i = 0; i < 3; ++i) {
        numbers << mine.keep(quote("Mine", {"KTEB"}, at(2, 1))).number;
        numbers << theirs.keep(quote("Theirs", {"KTEB"}, at(2, 1))).number;
    }
    other->close();
    QCOMPARE(numbers, QStringList({"2026-0001", "2026-0002", "2026-0003", "2026-0004", "2026-0005",
                                   "2026-0006"}));
}

void TestQuoteRegister::lifeOfAQuote()
{
    QuoteRegister r = reg();
    KeptQuote kept = r.keep(quote("Acme Air", {"KTEB", "KASE", "KTEB"}, at(2, 1)), 10);
    QCOMPARE(kept.revision, 1);
    QCOMPARE(kept.status, QuoteStatus::Draft);
    QCOMPARE(kept.validUntil, QDate(2026, 2, 11));

    // A Draft is kept again in place.
    kept.data.finalQuote = QStringLiteral("3,000.00");
    kept.request.rate = 9.5;
    r.keep(kept);
    KeptQuote loaded = *r.load(kept.number);
    QCOMPARE(loaded.revision, 1);
    QCOMPARE(loaded.data.finalQuote, QStringLiteral("3,000.00"));
    QCOMPARE(loaded.request.rate, std::optional<double>(9.5));
    QCOMPARE(loaded.quoteBasis, QuoteBase::Nautical);
    QCOMPARE(loaded.minimumCharge, 750.0);
    QCOMPARE(loaded.created, at(2, 1));
    QCOMPARE(loaded.createdBy, QStringLiteral("JM"));
    QCOMPARE(loaded.history.size(), 1);

    // Once sent, it is kept as it was handed out.
    r.setStatus(kept.number, QuoteStatus::Sent, {}, at(2, 2));
    kept.data.finalQuote = QStringLiteral("1.00");
    QVERIFY_THROWS_EXCEPTION(QuoteRuleError, r.keep(kept));
    QVERIFY_THROWS_EXCEPTION(QuoteRuleError,
                             r.setStatus(kept.number, QuoteStatus::Draft, {}, at(2, 3)));

    const KeptQuote second = r.revise(kept.number, at(2, 5), QStringLiteral("KL"), 10);
    QCOMPARE(second.revision, 2);
    QCOMPARE(second.status, QuoteStatus::Draft);
    QCOMPARE(second.validUntil, QDate(2026, 2, 15));
    QCOMPARE(second.data.finalQuote, QStringLiteral("3,000.00"));
    const KeptQuote first = *r.load(kept.number, 1);
    QCOMPARE(first.status, QuoteStatus::Sent);
    QCOMPARE(first.data.finalQuote, QStringLiteral("3,000.00"));
    // The earlier revision is no longer the one kept in place.
    QVERIFY_THROWS_EXCEPTION(QuoteRuleError, r.keep(first));

    r.setStatus(kept.number, QuoteStatus::Sent, {}, at(2, 6));
    QVERIFY_THROWS_EXCEPTION(QuoteRuleError,
                             r.setStatus(kept.number, QuoteStatus::Declined, "  ", at(2, 7)));
    const KeptQuote declined =
        r.setStatus(kept.number, QuoteStatus::Declined, QStringLiteral(" Too dear "), at(2, 7));
    loaded = *r.load(kept.number);
    QCOMPARE(loaded.reason, QStringLiteral("Too dear"));
    QCOMPARE(loaded.history.size(), 3);
    const QList<QuoteStatus> statuses{QuoteStatus::Draft, QuoteStatus::Sent, QuoteStatus::Declined};
    const QList<QDateTime> times{at(2, 5), at(2, 6), at(2, 7)};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(loaded.history[i].status, statuses[i]);
        QCOMPARE(loaded.history[i].when, times[i]);
    }
    QCOMPARE(loaded.history[2].reason, QStringLiteral("Too dear"));
    QCOMPARE(declined.history.size(), 3);
    QVERIFY_THROWS_EXCEPTION(QuoteRuleError,
                             r.setStatus(kept.number, QuoteStatus::Accepted, {}, at(2, 8)));

    const KeptQuote copy = r.duplicate(kept.number, 1, at(2, 9), QStringLiteral("KL"));
    QCOMPARE(copy.number, QStringLiteral("2026-0002"));
    QCOMPARE(copy.revision, 1);
    QCOMPARE(copy.status, QuoteStatus::Draft);
    QCOMPARE(r.load(copy.number)->request.rate, std::optional<double>(9.5));
    QVERIFY(!r.load(QStringLiteral("2026-0009")));
    QVERIFY_THROWS_EXCEPTION(QuoteRuleError, r.revise(QStringLiteral("2026-0009"), at(3, 1), {}));
    QVERIFY_THROWS_EXCEPTION(QuoteRuleError, r.revise(copy.number, at(3, 1), {}));

    // The list shows the newest revision, with its list columns.
    const QList<QuoteListEntry> entries = r.list({}, Today);
    QCOMPARE(numbersOf(entries), QStringList({"0002/1", "0001/2"}));
    QCOMPARE(entries[1].route, QStringLiteral("KTEB-KASE-KTEB"));
    QCOMPARE(entries[1].customerName, QStringLiteral("Acme Air"));
    QCOMPARE(entries[1].finalQuoteValue, 3000.0);
    QCOMPARE(entries[1].shown, QuoteStatus::Declined);
    QCOMPARE(entries[0].shown, QuoteStatus::Draft);
}

void TestQuoteRegister::list_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<int>("status"); // -1: any
    QTest::addColumn<QStringList>("numbers");
    const QDate none;
    const int any = -1;
    const auto status = [](QuoteStatus s) { return int(s); };
    QTest::newRow("everything, newest first")
        << "" << none << none << any
        << QStringList{"0005/2", "0004/1", "0003/1", "0002/1", "0001/1"};
    QTest::newRow("part of the number") << "0003" << none << none << any << QStringList{"0003/1"};
    QTest::newRow("whole number") << " 2026-0002 " << none << none << any << QStringList{"0002/1"};
    QTest::newRow("customer in other case")
        << "ACME" << none << none << any << QStringList{"0004/1", "0001/1"};
    QTest::newRow("airport of the route")
        << "kase" << none << none << any << QStringList{"0002/1", "0001/1"};
    QTest::newRow("an identifier is matched whole")
        << "KAS" << none << none << any << QStringList{};
    QTest::newRow("city pair") << "KTEB-KASE" << none << none << any << QStringList{"0001/1"};
    QTest::newRow("pair further along")
        << "kase-kteb" << none << none << any << QStringList{"0001/1"};
    QTest::newRow("pair the other way") << "KTEB-KDEN" << none << none << any << QStringList{};
    QTest::newRow("percent is no wildcard") << "%" << none << none << any << QStringList{"0005/2"};
    QTest::newRow("quote is no delimiter") << "' OR '1'='1" << none << none << any << QStringList{};
    QTest::newRow("days, both included") << "" << QDate(2026, 2, 15) << QDate(2026, 2, 25) << any
                                         << QStringList{"0004/1", "0003/1", "0002/1"};
    QTest::newRow("from a day on")
        << "" << QDate(2026, 2, 26) << none << any << QStringList{"0005/2"};
    QTest::newRow("up to a day") << "" << none << QDate(2026, 1, 10) << any
                                 << QStringList{"0001/1"};
    QTest::newRow("sent, not expired")
        << "" << none << none << status(QuoteStatus::Sent) << QStringList{"0003/1"};
    QTest::newRow("expired") << "" << none << none << status(QuoteStatus::Expired)
                             << QStringList{"0001/1"};
    QTest::newRow("draft, the newest revision")
        << "" << none << none << status(QuoteStatus::Draft) << QStringList{"0005/2", "0002/1"};
    QTest::newRow("text and status")
        << "acme" << none << none << status(QuoteStatus::Accepted) << QStringList{"0004/1"};
}

void TestQuoteRegister::list()
{
    QFETCH(QString, text);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(int, status);
    QFETCH(QStringList, numbers);

    QuoteRegister r = reg();
    r.keep(quote("Acme Air", {"KTEB", "KASE", "KTEB"}, at(1, 10))); // sent, expired on 9 Feb
    r.setStatus(QStringLiteral("2026-0001"), QuoteStatus::Sent, {}, at(1, 11));
    r.keep(quote("Alpine Jets", {"KASE", "KDEN"}, at(2, 15)));
    r.keep(quote("Zephyr Ltd", {"KDEN", "KTEB"}, at(2, 20)));
    r.setStatus(QStringLiteral("2026-0003"), QuoteStatus::Sent, {}, at(2, 21));
    r.keep(quote("acme air", {"KBOS", "KTEB"}, at(2, 25)));
    r.setStatus(QStringLiteral("2026-0004"), QuoteStatus::Sent, {}, at(2, 25));
    r.setStatus(QStringLiteral("2026-0004"), QuoteStatus::Accepted, {}, at(2, 26));
    r.keep(quote("Nord 50%", {"EGLL", "LFPG"}, at(2, 26)));
    r.setStatus(QStringLiteral("2026-0005"), QuoteStatus::Sent, {}, at(2, 26));
    r.revise(QStringLiteral("2026-0005"), at(2, 27), QStringLiteral("JM"));

    QuoteFilter filter;
    filter.text = text;
    if (from.isValid())
        filter.from = from;
    if (to.isValid())
        filter.to = to;
    if (status >= 0)
        filter.status = QuoteStatus(status);
    QCOMPARE(numbersOf(r.list(filter, Today)), numbers);
}

void TestQuoteRegister::customerBook()
{
    QuoteRegister r = reg();
    KeptQuote acme = quote("Acme Air", {"KTEB"}, at(2, 1));
    r.keep(acme);
    // The same name in other letters is the same customer, brought up to date.
    acme.data.customer.Name = QStringLiteral("ACME AIR");
    acme.data.customer.City = QStringLiteral("Chicago");
    acme.data.customer.Phone = QStringLiteral("+1 312 555 0100");
    r.keep(acme);
    r.keep(quote("Alpine Jets", {"KASE"}, at(2, 2)));
    r.keep(quote("Zephyr", {"KDEN"}, at(2, 3)));
    r.keep(quote("", {"KDEN"}, at(2, 4)));

    CustomerBook book(*m_ws, m_mdb);
    const QList<QuoteData::Customer> acmes = book.proposals(QStringLiteral("aC"));
    QCOMPARE(acmes.size(), 1);
    QCOMPARE(fieldsOf(acmes[0]), fieldsOf(acme.data.customer));
    const auto names = [&](const QString& prefix) {
        QStringList list;
        for (const QuoteData::Customer& customer : book.proposals(prefix))
            list << customer.Name + QLatin1Char('/') + customer.City;
        return list;
    };
    QCOMPARE(names(QStringLiteral("a")), QStringList({"ACME AIR/Chicago", "Alpine Jets/Boston"}));
    QCOMPARE(names(QString()),
             QStringList({"ACME AIR/Chicago", "Alpine Jets/Boston", "Zephyr/Boston"}));
    QCOMPARE(names(QStringLiteral("b")), QStringList());
    QCOMPARE(names(QStringLiteral("acme air x")), QStringList());
    QCOMPARE(names(QStringLiteral("%")), QStringList());
}

void TestQuoteRegister::folderMadeBeforeTheRegister()
{
    m_ws->openDatabase(m_mdb)->execute(
        QStringLiteral("DROP TABLE Quotes; DROP TABLE QuoteHistory; DROP TABLE Customers"));
    reopen();
    {
        auto reader = workspace(QStringLiteral("Reader"));
        QuoteRegister readOnly(*reader, m_mdb, QuoteRegister::Access::ReadOnly);
        QVERIFY(readOnly.list({}, Today).isEmpty());
        QVERIFY(!readOnly.load(QStringLiteral("2026-0001")));
        QVERIFY(CustomerBook(*reader, m_mdb, true).proposals(QString()).isEmpty());
        try {
            readOnly.keep(quote("Acme Air", {"KTEB"}, at(2, 1)));
            QFAIL("a read-only register kept a quote");
        } catch (const Db::DbError& error) {
            QCOMPARE(error.number(), Db::Error::ReadOnly);
        }
        reader->close();
    }
    QuoteRegister r = reg();
    QCOMPARE(r.keep(quote("Acme Air", {"KTEB"}, at(2, 1))).number, QStringLiteral("2026-0001"));
    QCOMPARE(numbersOf(r.list({}, Today)), QStringList({"0001/1"}));
    QCOMPARE(CustomerBook(*m_ws, m_mdb).proposals(QStringLiteral("acme")).size(), 1);
}

void TestQuoteRegister::failureLeavesTheRegisterAsItWas_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("fault"); // a table and a statement a trigger refuses, or a fault
    QTest::addColumn<int>("error");
    const int refused = Db::Error::TypeMismatch;
    const int full = Db::Error::DiskFull;
    QTest::newRow("keep new: quote row") << "keep new"
                                         << "INSERT ON Quotes" << refused;
    QTest::newRow("keep new: history") << "keep new"
                                       << "INSERT ON QuoteHistory" << refused;
    QTest::newRow("keep new: customer") << "keep new"
                                        << "INSERT ON Customers" << refused;
    QTest::newRow("keep new: disk full") << "keep new"
                                         << "full" << full;
    QTest::newRow("keep new: read-only folder") << "keep new"
                                                << "read-only" << int(Db::Error::ReadOnly);
    QTest::newRow("keep new: another program writing") << "keep new"
                                                       << "held" << int(Db::Error::InUse);
    QTest::newRow("keep draft: quote row") << "keep draft"
                                           << "UPDATE ON Quotes" << refused;
    QTest::newRow("keep draft: customer") << "keep draft"
                                          << "UPDATE ON Customers" << refused;
    QTest::newRow("keep draft: disk full") << "keep draft"
                                           << "full" << full;
    QTest::newRow("revise: earlier revision") << "revise"
                                              << "UPDATE ON Quotes" << refused;
    QTest::newRow("revise: new revision") << "revise"
                                          << "INSERT ON Quotes" << refused;
    QTest::newRow("revise: history") << "revise"
                                     << "INSERT ON QuoteHistory" << refused;
    QTest::newRow("revise: disk full") << "revise"
                                       << "full" << full;
    QTest::newRow("duplicate: history") << "duplicate"
                                        << "INSERT ON QuoteHistory" << refused;
    QTest::newRow("duplicate: disk full") << "duplicate"
                                          << "full" << full;
    QTest::newRow("status: quote row") << "status"
                                       << "UPDATE ON Quotes" << refused;
    QTest::newRow("status: history") << "status"
                                     << "INSERT ON QuoteHistory" << refused;
    QTest::newRow("status: disk full") << "status"
                                       << "full" << full;
    QTest::newRow("status: read-only folder") << "status"
                                              << "read-only" << int(Db::Error::ReadOnly);
}

void TestQuoteRegister::failureLeavesTheRegisterAsItWas()
{
    QFETCH(QString, change);
    QFETCH(QString, fault);
    QFETCH(int, error);
    const bool trigger = fault.contains(QLatin1String(" ON "));
    if (!trigger && !runningAsRoot())
        QSKIP("needs root to mount file systems");
    std::unique_ptr<TinyDisk> disk;
    if (fault == u"full") {
        // The whole folder on a small disk of its own.
        m_ws->close();
        DbEngine::instance().release();
        disk = std::make_unique<TinyDisk>(m_dir->filePath(QStringLiteral("disk")), "2m");
        if (!disk->isMounted())
            QSKIP("cannot mount a tmpfs here");
        makeFolder(m_dir->filePath(QStringLiteral("disk")));
    }

    // Quote 0001 a Draft of Acme Air, 0002 sent.
    reg().keep(quote("Acme Air", {"KTEB", "KASE"}, at(2, 1)));
    reg().keep(quote("Zephyr Ltd", {"KDEN", "KTEB"}, at(2, 2)));
    reg().setStatus(QStringLiteral("2026-0002"), QuoteStatus::Sent, {}, at(2, 3));
    const QStringList before = dump();

    std::unique_ptr<ReadOnlyFolder> readOnly;
    std::unique_ptr<WriteTransactionHolder> holder;
    if (trigger) {
        m_ws->openDatabase(m_mdb)->execute(
            QStringLiteral("CREATE TRIGGER Fault BEFORE %1 BEGIN SELECT RAISE(ABORT, "
                           "'injected fault'); END")
                .arg(fault));
    } else if (fault == u"full") {
        disk->fill();
    } else {
        // Another program, or the file system, stands in the way of the next opening.
        m_ws->close();
        if (fault == u"read-only") {
            readOnly = std::make_unique<ReadOnlyFolder>(m_dir->path());
            if (!readOnly->isReadOnly())
                QSKIP("cannot mount a read-only folder here");
        } else {
            holder = std::make_unique<WriteTransactionHolder>(m_mdb);
            QVERIFY(holder->isHolding());
        }
        m_ws = workspace(QStringLiteral("AirportWS"));
    }

    const std::map<QString, std::function<void(QuoteRegister&)>> changes{
        {"keep new",
         [](QuoteRegister& r) {
             r.keep(quote("Nord", {"EGLL", "LFPG"}, at(2, 4)));
         }},
        {"keep draft",
         [](QuoteRegister& r) {
             KeptQuote draft = *r.load(QStringLiteral("2026-0001"));
             draft.data.customer.City = QStringLiteral("Chicago");
             draft.data.finalQuote = QStringLiteral("99.00");
             r.keep(draft);
         }},
        {"revise", [](QuoteRegister& r) { r.revise(QStringLiteral("2026-0002"), at(2, 4), "JM"); }},
        {"duplicate",
         [](QuoteRegister& r) { r.duplicate(QStringLiteral("2026-0001"), 0, at(2, 4), "JM"); }},
        {"status",
         [](QuoteRegister& r) {
             r.setStatus(QStringLiteral("2026-0001"), QuoteStatus::Sent, {}, at(2, 4));
         }},
    };
    int number = 0;
    QString description;
    try {
        QuoteRegister r = reg();
        changes.at(change)(r);
    } catch (const Db::DbError& e) {
        number = e.number();
        description = e.description();
    }
    QVERIFY2(!description.isEmpty(), "no DbError with a description");
    QCOMPARE(number, error);
    if (trigger)
        QVERIFY(description.contains(QLatin1String("injected fault")));
    QVERIFY(!m_ws->inTransaction());

    // The fault gone, the register is as it was and the next number is the one not used.
    holder.reset();
    readOnly.reset();
    if (disk)
        QVERIFY(QFile::remove(m_dir->filePath(QStringLiteral("disk/filler"))));
    reopen();
    if (trigger)
        m_ws->openDatabase(m_mdb)->execute(QStringLiteral("DROP TRIGGER Fault"));
    QCOMPARE(dump(), before);
    QCOMPARE(reg().keep(quote("Next", {"KTEB"}, at(2, 5))).number, QStringLiteral("2026-0003"));
}

QTEST_GUILESS_MAIN(TestQuoteRegister)
#include "tst_quoteregister.moc"
