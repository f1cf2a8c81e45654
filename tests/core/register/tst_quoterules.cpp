#include "core/register/quotecsv.h"
#include "core/register/quotejson.h"
#include "registerrows.h"

#include <QJsonDocument>
#include <QLocale>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestQuoteRules : public QObject
{
    Q_OBJECT

private slots:
    void refusals_data() { addTableRows(u"core/register/status-rules.txt"_s); }

    void refusals()
    {
        QFETCH(QStringList, row);
        const QStringList actions{"keep in place", "revise", "duplicate"};
        const QuoteStatus from = statusNamed(row[0]);
        const QString refusal =
            actions.contains(row[1])
                ? QuoteRules::actionRefusal(from, QuoteAction(actions.indexOf(row[1])))
                : QuoteRules::statusChangeRefusal(from, statusNamed(row[1]), row[2]);
        QCOMPARE(refusal.isEmpty(), row[3] == u"yes");
    }

    void shownStatusAndNames()
    {
        using S = QuoteStatus;
        const QDate today(2026, 3, 1);
        const QDate past = today.addDays(-1);
        QCOMPARE(QuoteRules::shownStatus(S::Draft, today, today), S::Draft); // its last day
        QCOMPARE(QuoteRules::shownStatus(S::Draft, past, today), S::Expired);
        QCOMPARE(QuoteRules::shownStatus(S::Sent, past, today), S::Expired);
        for (S status : {S::Accepted, S::Declined, S::Cancelled})
            QCOMPARE(QuoteRules::shownStatus(status, past, today), status);
        QVERIFY(!QuoteRules::storedStatus(QuoteRules::statusName(S::Expired)));
        QCOMPARE(QuoteRules::quoteNumber(2026, 42), u"2026-0042"_s);
        QCOMPARE(QuoteRules::quoteNumber(2027, 12345), u"2027-12345"_s);
    }

    // Each sample holds every field the register writes: read into the request or the
    // quote and written again, it comes back the same; an unset value stays unset and a
    // zero stays zero.
    void jsonRoundTrip_data()
    {
        QTest::addColumn<QString>("sample");
        for (const char* sample :
             {"request-every", "request-unset", "request-zeros", "data-every", "data-unset"})
            QTest::newRow(sample) << QString::fromLatin1(sample);
    }

    void jsonRoundTrip()
    {
        QFETCH(QString, sample);
        QFile file(BRISKLANDER_SOURCE_DIR "/tests/core/register/json/" + sample + ".json");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject stored = QJsonDocument::fromJson(file.readAll()).object();
        QVERIFY(!stored.isEmpty());
        QCOMPARE(sample.startsWith(u"request")
                     ? QuoteJson::fromRequest(QuoteJson::toRequest(stored))
                     : QuoteJson::fromData(QuoteJson::toData(stored)),
                 stored);
    }

    void textCell_data() { addTableRows(u"core/register/csv-cells.txt"_s); }

    void textCell()
    {
        QFETCH(QStringList, row);
        QCOMPARE(QuoteCsv::textCell(row[0]), row[1]);
    }

    void numbersAndList()
    {
        // Plain form whatever the locale: no grouping, no decimal comma, a minus unguarded.
        QLocale::setDefault(QLocale(QLocale::German));
        QCOMPARE(QuoteCsv::numberCell(12793.1), u"12793.1"_s);
        QCOMPARE(QuoteCsv::numberCell(-5.25), u"-5.25"_s);
        QLocale::setDefault(QLocale::c());

        const QuoteListEntry entry(u"2026-0042"_s, 2, QuoteStatus::Sent, QuoteStatus::Expired,
                                   QDateTime(QDate(2026, 1, 5), QTime(9, 30)),
                                   u"=cmd|' /C calc'!A0"_s, u"KTEB-KASE-KTEB"_s, u"2,793.10"_s,
                                   2793.1, QDate(2026, 2, 4));
        QCOMPARE(QuoteCsv::listText({entry}),
                 u"Number,Revision,Status,Created,Customer,Route,Final Quote,Valid Until\r\n"
                 "2026-0042,2,Expired,2026-01-05 09:30,'=cmd|' /C calc'!A0,KTEB-KASE-KTEB,"
                 "2793.1,2026-02-04\r\n"_s);
    }
};

QTEST_GUILESS_MAIN(TestQuoteRules)
#include "tst_quoterules.moc"
