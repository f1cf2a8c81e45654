#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/register/customerbook.h"
#include "core/register/quoteregister.h"
#include "registerrows.h"
#include "support/folderrig.h"
#include "support/serverdatabase.h"
#include "support/systemfaults.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <thread>

using Db::DbEngine;
using namespace Qt::StringLiterals;

namespace {

const QString User = u"BLUser"_s;
const QString Password = u"Pa55#word"_s;
const QDate Today(2026, 3, 1);

QDateTime at(int month, int day, int year = 2026)
{
    return QDateTime(QDate(year, month, day), QTime(10, 0));
}

KeptQuote quote(const QString& customer, const QStringList& stops, const QDateTime& created)
{
    KeptQuote q;
    q.created = created;
    q.createdBy = u"JM"_s;
    q.request.stops = stops;
    q.request.customer.Name = q.data.customer.Name = customer;
    q.data.customer.City = u"Boston"_s;
    for (const QString& stop : stops)
        q.data.route << QuoteData::RouteRow{stop, stop + u" FIELD"_s, {}, {}, false};
    q.quoteBasis = QuoteBase::Nautical;
    q.minimumCharge = 750;
    return q;
}

// "2026-0001/2 3,000.00 02-15: Draft 02-05, Declined 02-07 Too dear": the number and
// revision, the final quote, the last valid day and the changes of status
QString summaryOf(const KeptQuote& quote)
{
    QStringList changes;
    for (const StatusChange& change : quote.history)
        changes << (QuoteRules::statusName(change.status) + change.when.toString(u" MM-dd "_s) +
                    change.reason)
                       .trimmed();
    return u"%1/%2 %3 %4: %5"_s.arg(quote.number)
        .arg(quote.revision)
        .arg(quote.data.finalQuote, quote.validUntil.toString(u"MM-dd"_s), changes.join(u", "_s));
}

// "0001/2 0002/1": the numbers without their year, and the revisions
QString numbersOf(const QList<QuoteListEntry>& entries)
{
    QStringList numbers;
    for (const QuoteListEntry& entry : entries)
        numbers << entry.number.mid(5) + u'/' + QString::number(entry.revision);
    return numbers.join(u' ');
}

} // namespace

class TestQuoteRegister : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_mdb;
    std::shared_ptr<Db::Workspace> m_ws;

    std::shared_ptr<Db::Workspace> workspace(const QString& name = u"AirportWS"_s) const
    {
        return DbEngine::instance().createWorkspace(name, User, Password);
    }
    QuoteRegister reg() { return QuoteRegister(*m_ws, m_mdb); }

    void makeFolder(const QString& folder)
    {
        QVERIFY(QDir().mkpath(folder));
        const QString mdw = QDir(folder).filePath(Schema::WorkgroupFileName);
        m_mdb = QDir(folder).filePath(Schema::DatabaseFileName);
        DbEngine::createWorkgroupFile(mdw, User, Password);
        DbEngine::instance().setSystemDB(mdw);
        m_ws = workspace();
        Schema::createDatabase(*m_ws, m_mdb);
    }

    // Every row of the register's tables, in the order they were written.
    QStringList dump()
    {
        QStringList rows;
        auto db = m_ws->openDatabase(m_mdb);
        for (const QString& table : {u"Quotes"_s, u"QuoteHistory"_s, u"Customers"_s}) {
            auto set = db->openRecordset(table, Db::RecordsetType::Snapshot);
            for (int i = 0; i < set->recordCount(); ++i) {
                QStringList values{table};
                for (const QVariant& value : set->row(i))
                    values << value.toString();
                rows << values.join(u'|');
            }
        }
        return rows;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        makeFolder(m_dir->path());
    }

    void cleanup()
    {
        if (m_ws)
            m_ws->close();
        m_ws.reset();
        DbEngine::instance().release();
        m_dir.reset();
    }

    // A number is used up once, across copies of the program, in the year the quote was
    // made; a revision or a change of status keeps its number.
    void numbers()
    {
        QuoteRegister r = reg();
        auto other = workspace(u"Other"_s); // another copy of the program
        const QStringList stops{"KTEB", "KASE"};
        const QStringList numbers{
            r.keep(quote("A", stops, QDateTime(QDate(2026, 12, 31), QTime(23, 59)))).number,
            QuoteRegister(*other, m_mdb).keep(quote("B", stops, at(1, 1, 2027))).number,
            // Made in the old year and kept late, it counts in its year.
            r.keep(quote("C", stops, at(6, 1))).number,
            r.duplicate(u"2026-0001"_s, 0, at(3, 1, 2027), "JM").number,
            r.setStatus(u"2027-0001"_s, QuoteStatus::Sent, {}, at(1, 2, 2027)).number,
            r.revise(u"2027-0001"_s, at(1, 3, 2027), "JM").number, // uses up none
            QuoteRegister(*other, m_mdb).keep(quote("D", stops, at(2, 1, 2027))).number};
        other->close();
        QCOMPARE(numbers.join(u' '), u"2026-0001 2027-0001 2026-0002 2027-0002 2027-0001 "
                                     "2027-0001 2027-0003"_s);
    }

    void lifeOfAQuote()
    {
        QuoteRegister r = reg();
        KeptQuote kept = r.keep(quote("Acme Air", {"KTEB", "KASE", "KTEB"}, at(2, 1)), 10);
        // A Draft is kept again in place, its content replaced.
        kept.data.finalQuote = u"3,000.00"_s;
        kept.request.rate = 9.5;
        r.keep(kept);
        const KeptQuote q = *r.load(kept.number);
        QCOMPARE(summaryOf(q), u"2026-0001/1 3,000.00 02-11: Draft 02-01"_s);
        QCOMPARE(u"%1 %2 %3"_s.arg(*q.request.rate).arg(q.createdBy).arg(q.minimumCharge),
                 u"9.5 JM 750"_s);
        QCOMPARE(q.quoteBasis, QuoteBase::Nautical);

        // Once sent, it is kept as it was handed out and revised instead.
        r.setStatus(kept.number, QuoteStatus::Sent, {}, at(2, 2));
        kept.data.finalQuote = u"1.00"_s;
        QVERIFY_THROWS_EXCEPTION(QuoteRuleError, r.keep(kept));
        QVERIFY_THROWS_EXCEPTION(QuoteRuleError,
                                 r.setStatus(kept.number, QuoteStatus::Declined, " ", at(2, 3)));
        QCOMPARE(summaryOf(r.revise(kept.number, at(2, 5), u"KL"_s, 10)),
                 u"2026-0001/2 3,000.00 02-15: Draft 02-05"_s);
        const KeptQuote first = *r.load(kept.number, 1);
        QCOMPARE(summaryOf(first), u"2026-0001/1 3,000.00 02-11: Draft 02-01, Sent 02-02"_s);
        QVERIFY_THROWS_EXCEPTION(QuoteRuleError, r.keep(first)); // no longer the newest

        r.setStatus(kept.number, QuoteStatus::Sent, {}, at(2, 6));
        r.setStatus(kept.number, QuoteStatus::Declined, u" Too dear "_s, at(2, 7));
        QCOMPARE(r.load(kept.number)->reason, u"Too dear"_s);
        QCOMPARE(summaryOf(*r.load(kept.number)),
                 u"2026-0001/2 3,000.00 02-15: "
                 "Draft 02-05, Sent 02-06, Declined 02-07 Too dear"_s);

        const KeptQuote copy = r.duplicate(kept.number, 1, at(2, 9), u"KL"_s);
        QCOMPARE(summaryOf(*r.load(copy.number)), u"2026-0002/1 3,000.00 03-11: Draft 02-09"_s);
        QCOMPARE(r.load(copy.number)->request.rate, std::optional<double>(9.5));
        QVERIFY(!r.load(u"2026-0009"_s));
        QVERIFY_THROWS_EXCEPTION(QuoteRuleError, r.revise(u"2026-0009"_s, at(3, 1), {}));

        // The list shows the newest revision, with its list columns.
        const QList<QuoteListEntry> entries = r.list({}, Today);
        QCOMPARE(numbersOf(entries), u"0002/1 0001/2"_s);
        const QuoteListEntry& line = entries[1];
        QCOMPARE(u"%1 %2 %3 "_s.arg(line.route, line.customerName).arg(line.finalQuoteValue) +
                     QuoteRules::statusName(line.shown),
                 u"KTEB-KASE-KTEB Acme Air 3000 Declined"_s);
    }

    void list_data() { addTableRows(u"core/register/list-filters.txt"_s); }

    void list()
    {
        QFETCH(QStringList, row);
        QuoteRegister r = reg();
        r.keep(quote("Acme Air", {"KTEB", "KASE", "KTEB"}, at(1, 10)));
        r.keep(quote("Alpine Jets", {"KASE", "KDEN"}, at(2, 15)));
        r.keep(quote("Zephyr Ltd", {"KDEN", "KTEB"}, at(2, 20)));
        r.keep(quote("acme air", {"KBOS", "KTEB"}, at(2, 25)));
        r.keep(quote("Nord 50%", {"EGLL", "LFPG"}, at(2, 26)));
        for (const QString& number :
             {u"2026-0001"_s, u"2026-0003"_s, u"2026-0004"_s, u"2026-0005"_s})
            r.setStatus(number, QuoteStatus::Sent, {}, at(2, 27));
        r.setStatus(u"2026-0004"_s, QuoteStatus::Accepted, {}, at(2, 28));
        r.revise(u"2026-0005"_s, at(2, 28), u"JM"_s);

        QuoteFilter filter{row[0], {}, {}, {}};
        if (!row[1].isEmpty())
            filter.from = QDate::fromString(row[1], Qt::ISODate);
        if (!row[2].isEmpty())
            filter.to = QDate::fromString(row[2], Qt::ISODate);
        if (!row[3].isEmpty())
            filter.status = statusNamed(row[3]);
        QCOMPARE(numbersOf(r.list(filter, Today)), row[4]);
    }

    // The same name in other letters is the same customer, brought up to date; the
    // proposals are the customers whose names start so, in any case.
    void customerBook()
    {
        QuoteRegister r = reg();
        KeptQuote acme = quote("Acme Air", {"KTEB"}, at(2, 1));
        r.keep(acme);
        acme.data.customer.Name = u"ACME AIR"_s;
        acme.data.customer.City = u"Chicago"_s;
        acme.data.customer.Phone = u"+1 312 555 0100"_s;
        r.keep(acme);
        r.keep(quote("Alpine Jets", {"KASE"}, at(2, 2)));
        r.keep(quote("Zephyr", {"KDEN"}, at(2, 3)));
        r.keep(quote("", {"KDEN"}, at(2, 4)));

        CustomerBook book(*m_ws, m_mdb);
        const auto names = [&](const QString& prefix) {
            QStringList list;
            for (const QuoteData::Customer& customer : book.proposals(prefix))
                list << customer.Name + u'/' + customer.City + customer.Phone;
            return list.join(u", "_s);
        };
        QCOMPARE(names(u"aC"_s), u"ACME AIR/Chicago+1 312 555 0100"_s);
        QCOMPARE(names({}),
                 u"ACME AIR/Chicago+1 312 555 0100, Alpine Jets/Boston, Zephyr/Boston"_s);
        for (const QString& prefix : {u"b"_s, u"acme air x"_s, u"%"_s})
            QCOMPARE(names(prefix), QString());
    }

    // A quote kept as it is handed out: the caller's step sees its number inside the
    // transaction; a step that throws keeps nothing and uses up no number.
    void keptWithItsDocument()
    {
        QuoteRegister r = reg();
        const QStringList before = dump();
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 r.keep(quote("Nord", {"EGLL"}, at(2, 2)), 10, QuoteStatus::Sent,
                                        [](const KeptQuote&) { throw std::runtime_error("no"); }));
        QCOMPARE(dump(), before);
        QString seen;
        r.keep(quote("Nord", {"EGLL"}, at(2, 3)), 10, QuoteStatus::Sent,
               [&](const KeptQuote& kept) { seen = kept.number; });
        QCOMPARE(summaryOf(*r.load(seen)), u"2026-0001/1  02-13: Draft 02-03, Sent 02-03"_s);
        QCOMPARE(r.load(seen)->status, QuoteStatus::Sent);
        // What was handed out bears its number and last valid day.
        const QuoteData data = r.load(seen)->data;
        QCOMPARE(data.numberText() + data.validUntil->toString(Qt::ISODate),
                 u"2026-00012026-02-13"_s);
    }

    // A copy of the program killed while it keeps quotes (first with a document being
    // written inside the keep, then at random moments) leaves every quote whole or
    // absent: the register opens, checks whole, and numbers go on without a gap.
    void killedInTheMiddleOfAKeep()
    {
        reg().keep(quote("Acme Air", {"KTEB", "KASE"}, at(2, 1)));
        const QStringList before = dump();
        m_ws->close();
        m_ws.reset();
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const auto keepInChild = [this, &ready](bool waitInside) {
            return forkDoing([&] {
                auto ws = workspace(u"Child"_s);
                for (int i = 0;; ++i)
                    QuoteRegister(*ws, m_mdb)
                        .keep(quote("Nord", {"EGLL", "LFPG"}, at(2, 2)), 10, QuoteStatus::Sent,
                              [&](const KeptQuote&) {
                                  if (!waitInside)
                                      return;
                                  [[maybe_unused]] const auto n = ::write(ready[1], "k", 1);
                                  ::pause(); // the document is being written when the kill comes
                              });
            });
        };
        const pid_t inside = keepInChild(true);
        char seen = 0;
        QCOMPARE(::read(ready[0], &seen, 1), ssize_t(1));
        killChild(inside);
        m_ws = workspace();
        QCOMPARE(dump(), before);

        QRandomGenerator random(20261208);
        for (int round = 0; round < 8; ++round) {
            m_ws->close();
            const pid_t child = keepInChild(false);
            QThread::usleep(random.bounded(2000, 40000));
            killChild(child);
            m_ws = workspace();
            QCOMPARE(runTool({m_mdb, u"PRAGMA integrity_check"_s}, u"sqlite3"_s).out, u"ok\n"_s);
        }
        const QList<QuoteListEntry> kept = reg().list({}, Today);
        for (int i = 0; i < kept.size(); ++i) {
            const auto whole = reg().load(kept[i].number);
            QVERIFY2(whole && !whole->history.isEmpty(), qPrintable(kept[i].number));
            QCOMPARE(kept[i].number, u"2026-%1"_s.arg(kept.size() - i, 4, 10, QChar(u'0')));
        }
        ::close(ready[0]);
        ::close(ready[1]);
    }

    // A folder made before the register has none of its tables: read, it holds no quote;
    // written, the tables are made.
    void folderMadeBeforeTheRegister()
    {
        m_ws->openDatabase(m_mdb)->execute(
            u"DROP TABLE Quotes; DROP TABLE QuoteHistory; DROP TABLE Customers"_s);
        m_ws->close();
        m_ws = workspace();
        auto reader = workspace(u"Reader"_s);
        QuoteRegister readOnly(*reader, m_mdb, QuoteRegister::Access::ReadOnly);
        QVERIFY(readOnly.list({}, Today).isEmpty());
        QVERIFY(!readOnly.load(u"2026-0001"_s));
        QVERIFY(CustomerBook(*reader, m_mdb, true).proposals(QString()).isEmpty());
        try {
            readOnly.keep(quote("Acme Air", {"KTEB"}, at(2, 1)));
            QFAIL("a read-only register kept a quote");
        } catch (const Db::DbError& error) {
            QCOMPARE(error.number(), Db::Error::ReadOnly);
        }
        reader->close();
        reg().keep(quote("Acme Air", {"KTEB"}, at(2, 1)));
        QCOMPARE(numbersOf(reg().list({}, Today)), u"0001/1"_s);
        QCOMPARE(CustomerBook(*m_ws, m_mdb).proposals(u"acme"_s).size(), 1);
    }

    void failureLeavesTheRegisterAsItWas_data() { addTableRows(u"core/register/faults.txt"_s); }

    void failureLeavesTheRegisterAsItWas()
    {
        QFETCH(QStringList, row);
        const QString change = row[0], fault = row[1];
        const bool trigger = fault.contains(u" ON "_s);
        if (!trigger && !runningAsRoot())
            QSKIP("needs root to mount file systems");
        std::unique_ptr<TinyDisk> disk;
        if (fault == u"full") { // the whole folder on a small disk of its own
            m_ws->close();
            DbEngine::instance().release();
            disk = std::make_unique<TinyDisk>(m_dir->filePath(u"disk"_s), "2m");
            if (!disk->isMounted())
                QSKIP("cannot mount a tmpfs here");
            makeFolder(m_dir->filePath(u"disk"_s));
        }
        reg().keep(quote("Acme Air", {"KTEB", "KASE"}, at(2, 1)));
        reg().keep(quote("Zephyr Ltd", {"KDEN", "KTEB"}, at(2, 2)));
        reg().setStatus(u"2026-0002"_s, QuoteStatus::Sent, {}, at(2, 3));
        const QStringList before = dump();

        std::unique_ptr<ReadOnlyFolder> readOnly;
        std::unique_ptr<WriteTransactionHolder> holder;
        if (trigger) {
            m_ws->openDatabase(m_mdb)->execute(
                u"CREATE TRIGGER Fault BEFORE %1 BEGIN SELECT RAISE(ABORT, 'injected fault'); END"_s
                    .arg(fault));
        } else if (fault == u"full") {
            disk->fill();
        } else { // the file system, or another program, stands in the way of the next opening
            m_ws->close();
            if (fault == u"read-only") {
                readOnly = std::make_unique<ReadOnlyFolder>(m_dir->path());
                if (!readOnly->isReadOnly())
                    QSKIP("cannot mount a read-only folder here");
            } else {
                holder = std::make_unique<WriteTransactionHolder>(m_mdb);
                QVERIFY(holder->isHolding());
            }
            m_ws = workspace();
        }

        int number = 0;
        QString description;
        try {
            QuoteRegister r = reg();
            const QString draft = u"2026-0001"_s;
            if (change == u"keep new") {
                r.keep(quote("Nord", {"EGLL", "LFPG"}, at(2, 4)));
            } else if (change == u"keep draft") {
                KeptQuote changed = *r.load(draft);
                changed.data.customer.City = u"Chicago"_s;
                r.keep(changed);
            } else if (change == u"revise") {
                r.revise(u"2026-0002"_s, at(2, 4), "JM");
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
        QCOMPARE(number, row[2].toInt());
        QVERIFY(!trigger || description.contains(u"injected fault"_s));
        QVERIFY(!m_ws->inTransaction());

        // The fault gone, the register is as it was and the next number is the one not used.
        holder.reset();
        readOnly.reset();
        if (disk)
            QVERIFY(QFile::remove(m_dir->filePath(u"disk/filler"_s)));
        m_ws->close();
        m_ws = workspace();
        if (trigger)
            m_ws->openDatabase(m_mdb)->execute(u"DROP TRIGGER Fault"_s);
        QCOMPARE(dump(), before);
        QCOMPARE(reg().keep(quote("Next", {"KTEB"}, at(2, 5))).number, u"2026-0003"_s);
    }

    // Desks keeping quotes at the same moment on an office's server all succeed, each
    // number used once and none skipped.
    void numbersFromDesksAtOnce()
    {
        const ServerDatabase office(u"register"_s);
        QVERIFY2(office.isMade(), qPrintable(office.error()));
        constexpr int Desks = 3, Each = 8;
        QStringList numbers[Desks], failures[Desks];
        std::vector<std::thread> desks;
        for (int desk = 0; desk < Desks; ++desk)
            desks.emplace_back([&, desk] {
                try {
                    auto ws = DbEngine::scratchWorkspace();
                    QuoteRegister reg(*ws, office.location(u"desk-%1"_s.arg(desk)));
                    for (int i = 0; i < Each; ++i)
                        numbers[desk]
                            << reg.keep(quote(u"C%1"_s.arg(desk), {"KTEB", "KASE"}, at(1, 2, 2027)))
                                   .number;
                } catch (const Db::DbError& error) {
                    failures[desk] << error.description();
                }
            });
        for (std::thread& desk : desks)
            desk.join();
        QStringList all, expected, failed;
        for (int desk = 0; desk < Desks; ++desk) {
            all << numbers[desk];
            failed << failures[desk];
        }
        QCOMPARE(failed, QStringList());
        all.sort();
        for (int i = 1; i <= Desks * Each; ++i)
            expected << u"2027-%1"_s.arg(i, 4, 10, QLatin1Char('0'));
        QCOMPARE(all, expected);
    }

    // A server lost in the middle of a keep keeps nothing and says so; once it is back,
    // the same keep goes through under the same number.
    void serverLostDuringAKeep()
    {
        const ServerDatabase office(u"lost"_s);
        QVERIFY2(office.isMade(), qPrintable(office.error()));
        auto ws = DbEngine::scratchWorkspace();
        auto other = DbEngine::scratchWorkspace()->openDatabase(office.location(u"desk-2"_s));
        const int backend = ws->openDatabase(office.location())
                                ->temporaryQueryDef(u"SELECT pg_backend_pid() AS Pid"_s)
                                .openSnapshot()
                                ->value(u"Pid"_s)
                                .toInt();
        QuoteRegister reg(*ws, office.location());
        const KeptQuote made = quote(u"Acme"_s, {"KTEB", "KASE"}, at(1, 2, 2027));
        QString said;
        try {
            reg.keep(made, 30, QuoteStatus::Draft, [&](const KeptQuote&) {
                other->execute(u"SELECT pg_terminate_backend(%1)"_s.arg(backend));
            });
        } catch (const Db::DbError& error) {
            said = error.description();
        }
        QVERIFY2(said.startsWith(u"Cannot reach the database server "_s), qPrintable(said));
        QCOMPARE(other->openRecordset(u"Quotes"_s)->recordCount(), 0);
        QCOMPARE(reg.keep(made).number, u"2027-0001"_s);
    }
};

QTEST_GUILESS_MAIN(TestQuoteRegister)
#include "tst_quoteregister.moc"
