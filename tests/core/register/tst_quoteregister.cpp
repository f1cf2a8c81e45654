#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/register/customerbook.h"
#include "core/register/quoteregister.h"
#include "support/systemfaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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

QString historyOf(const KeptQuote& quote)
{
    QStringList changes;
    for (const StatusChange& change : quote.history)
        changes << QStringList{QuoteRules::statusName(change.status),
                               change.when.toString(QStringLiteral("MM-dd")), change.reason}
                       .join(QLatin1Char(' '))
                       .trimmed();
    return changes.join(QStringLiteral(", "));
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

    void numbers();
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

void TestQuoteRegister::numbers()
{
    QuoteRegister r = reg();
    auto other = workspace(QStringLiteral("Other")); // another copy of the program
    const QStringList stops{"KTEB", "KASE"};
    const QStringList numbers{
        r.keep(quote("A", stops, QDateTime(QDate(2026, 12, 31), QTime(23, 59)))).number,
        QuoteRegister(*other, m_mdb).keep(quote("B", stops, at(1, 1, 2027))).number,
        // Made in the old year and kept late, it counts in its year.
        r.keep(quote("C", stops, at(6, 1))).number,
        r.duplicate(QStringLiteral("2026-0001"), 0, at(3, 1, 2027), "JM").number,
        r.setStatus(QStringLiteral("2027-0001"), QuoteStatus::Sent, {}, at(1, 2, 2027)).number,
        r.revise(QStringLiteral("2027-0001"), at(1, 3, 2027), "JM").number, // uses up none
        QuoteRegister(*other, m_mdb).keep(quote("D", stops, at(2, 1, 2027))).number};
    other->close();
    QCOMPARE(numbers, QStringList({"2026-0001", "2027-0001", "2026-0002", "2027-0002", "2027-0001",
                                   "2027-0001", "2027-0003"}));
    QCOMPARE(r.load(QStringLiteral("2027-0001"))->revision, 2);
}

void TestQuoteRegister::lifeOfAQuote()
{
    QuoteRegister r = reg();
    KeptQuote kept = r.keep(quote("Acme Air", {"KTEB", "KASE", "KTEB"}, at(2, 1)), 10);
    QCOMPARE(kept.validUntil, QDate(2026, 2, 11));
    // A Draft is kept again in place, its content replaced.
    kept.data.finalQuote = QStringLiteral("3,000.00");
    kept.request.rate = 9.5;
    r.keep(kept);
    KeptQuote loaded = *r.load(kept.number);
    QCOMPARE(QStringList({loaded.number, QString::number(loaded.revision), loaded.data.finalQuote,
                          QString::number(*loaded.request.rate), loaded.createdBy,
                          QString::number(loaded.minimumCharge), historyOf(loaded)}),
             QStringList({"2026-0001", "1", "3,000.00", "9.5", "JM", "750", "Draft 02-01"}));
    QCOMPARE(loaded.quoteBasis, QuoteBase::Nautical);

    // Once sent, it is kept as it was handed out and revised instead.
    r.setStatus(kept.number, QuoteStatus::Sent, {}, at(2, 2));
    kept.data.finalQuote = QStringLiteral("1.00");
    QVERIFY_THROWS_EXCEPTION(QuoteRuleError, r.keep(kept));
    QVERIFY_THROWS_EXCEPTION(QuoteRuleError,
                             r.setStatus(kept.number, QuoteStatus::Declined, " ", at(2, 3)));
    const KeptQuote second = r.revise(kept.number, at(2, 5), QStringLiteral("KL"), 10);
    QCOMPARE(QStringList({QString::number(second.revision), second.data.finalQuote,
                          second.validUntil.toString(Qt::ISODate), historyOf(second)}),
             QStringList({"2", "3,000.00", "2026-02-15", "Draft 02-05"}));
    const KeptQuote first = *r.load(kept.number, 1);
    QCOMPARE(historyOf(first), QStringLiteral("Draft 02-01, Sent 02-02"));
    QVERIFY_THROWS_EXCEPTION(QuoteRuleError, r.keep(first)); // no longer the newest

    r.setStatus(kept.number, QuoteStatus::Sent, {}, at(2, 6));
    r.setStatus(kept.number, QuoteStatus::Declined, QStringLiteral(" Too dear "), at(2, 7));
    loaded = *r.load(kept.number);
    QCOMPARE(loaded.reason, QStringLiteral("Too dear"));
    QCOMPARE(historyOf(loaded), QStringLiteral("Draft 02-05, Sent 02-06, Declined 02-07 Too dear"));

    const KeptQuote copy = r.duplicate(kept.number, 1, at(2, 9), QStringLiteral("KL"));
    QCOMPARE(historyOf(*r.load(copy.number)), QStringLiteral("Draft 02-09"));
    QCOMPARE(r.load(copy.number)->request.rate, std::optional<double>(9.5));
    QVERIFY(!r.load(QStringLiteral("2026-0009")));
    QVERIFY_THROWS_EXCEPTION(QuoteRuleError, r.revise(QStringLiteral("2026-0009"), at(3, 1), {}));

    // The list shows the newest revision, with its list columns.
    const QList<QuoteListEntry> entries = r.list({}, Today);
    QCOMPARE(numbersOf(entries), QStringList({"0002/1", "0001/2"}));
    const QuoteListEntry& line = entries[1];
    QCOMPARE(QStringList({line.route, line.customerName, QString::number(line.finalQuoteValue),
                          QuoteRules::statusName(line.shown)}),
             QStringList({"KTEB-KASE-KTEB", "Acme Air", "3000", "Declined"}));
}

void TestQuoteRegister::list_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<int>("status"); // -1: any
    QTest::addColumn<QStringList>("numbers");
    const auto row = [](const char* name, const char* text, QDate from, QDate to, int status,
                        const QStringList& numbers) {
        QTest::newRow(name) << text << from << to << status << numbers;
    };
    const QDate none;
    const int any = -1;
    const int sent = int(QuoteStatus::Sent);
    row("everything, newest first", "", none, none, any,
        {"0005/2", "0004/1", "0003/1", "0002/1", "0001/1"});
    row("part of the number", "0003", none, none, any, {"0003/1"});
    row("customer in other case", " ACME ", none, none, any, {"0004/1", "0001/1"});
    row("airport of the route", "kase", none, none, any, {"0002/1", "0001/1"});
    row("an identifier is matched whole", "KAS", none, none, any, {});
    row("city pair", "KTEB-KASE", none, none, any, {"0001/1"});
    row("pair further along", "kase-kteb", none, none, any, {"0001/1"});
    row("pair the other way", "KTEB-KDEN", none, none, any, {});
    row("percent is no wildcard", "%", none, none, any, {"0005/2"});
    row("quote is no delimiter", "' OR '1'='1", none, none, any, {});
    row("days, both included", "", QDate(2026, 2, 15), QDate(2026, 2, 25), any,
        {"0004/1", "0003/1", "0002/1"});
    row("up to a day", "", none, QDate(2026, 1, 10), any, {"0001/1"});
    row("sent, not expired", "", none, none, sent, {"0003/1"});
    row("expired", "", none, none, int(QuoteStatus::Expired), {"0001/1"});
    row("draft, the newest revision", "", none, none, int(QuoteStatus::Draft),
        {"0005/2", "0002/1"});
    row("text and status", "acme", none, none, int(QuoteStatus::Accepted), {"0004/1"});
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
    const auto names = [&](const QString& prefix) {
        QStringList list;
        for (const QuoteData::Customer& customer : book.proposals(prefix))
            list << customer.Name + QLatin1Char('/') + customer.City + customer.Phone;
        return list;
    };
    QCOMPARE(names(QStringLiteral("aC")), QStringList({"ACME AIR/Chicago+1 312 555 0100"}));
    QCOMPARE(names(QString()), QStringList({"ACME AIR/Chicago+1 312 555 0100", "Alpine Jets/Boston",
                                            "Zephyr/Boston"}));
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
    const auto row = [](const char* name, const char* change, const char* fault, int error) {
        QTest::newRow(name) << change << fault << error;
    };
    const int refused = Db::Error::TypeMismatch;
    const int full = Db::Error::DiskFull;
    const int readOnly = Db::Error::ReadOnly;
    row("keep new: quote row", "keep new", "INSERT ON Quotes", refused);
    row("keep new: history", "keep new", "INSERT ON QuoteHistory", refused);
    row("keep new: customer", "keep new", "INSERT ON Customers", refused);
    row("keep new: disk full", "keep new", "full", full);
    row("keep new: read-only folder", "keep new", "read-only", readOnly);
    row("keep new: another program writing", "keep new", "held", Db::Error::InUse);
    row("keep draft: quote row", "keep draft", "UPDATE ON Quotes", refused);
    row("keep draft: customer", "keep draft", "UPDATE ON Customers", refused);
    row("keep draft: disk full", "keep draft", "full", full);
    row("revise: earlier revision", "revise", "UPDATE ON Quotes", refused);
    row("revise: new revision", "revise", "INSERT ON Quotes", refused);
    row("revise: history", "revise", "INSERT ON QuoteHistory", refused);
    row("revise: disk full", "revise", "full", full);
    row("duplicate: history", "duplicate", "INSERT ON QuoteHistory", refused);
    row("duplicate: disk full", "duplicate", "full", full);
    row("status: quote row", "status", "UPDATE ON Quotes", refused);
    row("status: history", "status", "INSERT ON QuoteHistory", refused);
    row("status: disk full", "status", "full", full);
    row("status: read-only folder", "status", "read-only", readOnly);
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

    int number = 0;
    QString description;
    try {
        QuoteRegister r = reg();
        const QString draft = QStringLiteral("2026-0001");
        if (change == u"keep new") {
            r.keep(quote("Nord", {"EGLL", "LFPG"}, at(2, 4)));
        } else if (change == u"keep draft") {
            KeptQuote changed = *r.load(draft);
            changed.data.customer.City = QStringLiteral("Chicago");
            r.keep(changed);
        } else if (change == u"revise") {
            r.revise(QStringLiteral("2026-0002"), at(2, 4), "JM");
        } else if (change == u"duplicate") {
            r.duplicate(draft, 0, at(2, 4), "JM");
        } else {
            r.setStatus(draft, QuoteStatus::Sent, {}, at(2, 4));
        }
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
