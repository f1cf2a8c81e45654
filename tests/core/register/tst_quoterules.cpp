#include "core/register/keptquote.h"
#include "core/register/quotecsv.h"
#include "core/register/quotejson.h"

#include <QJsonDocument>
#include <QLocale>
#include <QtTest>

namespace {

const char* const Customer =
    "{'customer':'Zürich \\u0022Air\\u0022','customer-address1':'1 Main "
    "St','customer-address2':'Apt 2',"
    "'customer-city':'Aspen','customer-state':'CO','customer-country':'USA',"
    "'customer-zip':'81611','customer-phone':'+1 970','customer-fax':'','customer-email':'a@b.c'}";

// JSON written with single quotes, so that it reads in C++.
QJsonObject object(QString json)
{
    json = json.arg(QString::fromUtf8(Customer)).replace(QLatin1Char('\''), QLatin1Char('"'));
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

} // namespace

class TestQuoteRules : public QObject
{
    Q_OBJECT

private slots:
    void statusChange_data();
    void statusChange();
    void action_data();
    void action();
    void shownStatusAndNames();
    void requestJson_data();
    void requestJson();
    void dataJson_data();
    void dataJson();
    void textCell_data();
    void textCell();
    void numbersAndList();
};

void TestQuoteRules::statusChange_data()
{
    QTest::addColumn<QuoteStatus>("from");
    QTest::addColumn<QuoteStatus>("to");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("allowed");
    using S = QuoteStatus;
    QTest::newRow("draft sent") << S::Draft << S::Sent << QString() << true;
    QTest::newRow("draft cancelled") << S::Draft << S::Cancelled << QString() << true;
    QTest::newRow("draft accepted") << S::Draft << S::Accepted << QString() << false;
    QTest::newRow("sent accepted") << S::Sent << S::Accepted << QString() << true;
    QTest::newRow("sent declined with reason") << S::Sent << S::Declined << "too dear" << true;
    QTest::newRow("sent declined, blank reason") << S::Sent << S::Declined << " \t" << false;
    QTest::newRow("sent cancelled") << S::Sent << S::Cancelled << QString() << true;
    QTest::newRow("sent back to draft") << S::Sent << S::Draft << QString() << false;
    QTest::newRow("accepted back to draft") << S::Accepted << S::Draft << QString() << false;
    QTest::newRow("accepted cancelled") << S::Accepted << S::Cancelled << QString() << false;
    QTest::newRow("declined sent") << S::Declined << S::Sent << QString() << false;
    QTest::newRow("cancelled draft") << S::Cancelled << S::Draft << QString() << false;
    QTest::newRow("expired is never stored") << S::Sent << S::Expired << QString() << false;
}

void TestQuoteRules::statusChange()
{
    QFETCH(QuoteStatus, from);
    QFETCH(QuoteStatus, to);
    QFETCH(QString, reason);
    QFETCH(bool, allowed);
    QCOMPARE(QuoteRules::statusChangeRefusal(from, to, reason).isEmpty(), allowed);
}

void TestQuoteRules::action_data()
{
    QTest::addColumn<QuoteStatus>("status");
    QTest::addColumn<QuoteAction>("action");
    QTest::addColumn<bool>("allowed");
    using S = QuoteStatus;
    using A = QuoteAction;
    QTest::newRow("draft kept in place") << S::Draft << A::KeepInPlace << true;
    QTest::newRow("sent kept in place") << S::Sent << A::KeepInPlace << false;
    QTest::newRow("accepted kept in place") << S::Accepted << A::KeepInPlace << false;
    QTest::newRow("cancelled kept in place") << S::Cancelled << A::KeepInPlace << false;
    QTest::newRow("draft revised") << S::Draft << A::Revise << false;
    QTest::newRow("sent revised") << S::Sent << A::Revise << true;
    QTest::newRow("accepted revised") << S::Accepted << A::Revise << true;
    QTest::newRow("declined revised") << S::Declined << A::Revise << true;
    QTest::newRow("cancelled revised") << S::Cancelled << A::Revise << false;
    QTest::newRow("draft duplicated") << S::Draft << A::Duplicate << true;
    QTest::newRow("cancelled duplicated") << S::Cancelled << A::Duplicate << true;
}

void TestQuoteRules::action()
{
    QFETCH(QuoteStatus, status);
    QFETCH(QuoteAction, action);
    QFETCH(bool, allowed);
    QCOMPARE(QuoteRules::actionRefusal(status, action).isEmpty(), allowed);
}

void TestQuoteRules::shownStatusAndNames()
{
    using S = QuoteStatus;
    const QDate today(2026, 3, 1);
    const QDate past = today.addDays(-1);
    QCOMPARE(QuoteRules::shownStatus(S::Draft, today, today), S::Draft); // its last day
    QCOMPARE(QuoteRules::shownStatus(S::Draft, past, today), S::Expired);
    QCOMPARE(QuoteRules::shownStatus(S::Sent, past, today), S::Expired);
    for (S status : {S::Accepted, S::Declined, S::Cancelled})
        QCOMPARE(QuoteRules::shownStatus(status, past, today), status);
    for (S status : {S::Draft, S::Sent, S::Accepted, S::Declined, S::Cancelled})
        QCOMPARE(QuoteRules::storedStatus(QuoteRules::statusName(status)), status);
    QVERIFY(!QuoteRules::storedStatus(QuoteRules::statusName(S::Expired)));
    QCOMPARE(QuoteRules::quoteNumber(2026, 42), QStringLiteral("2026-0042"));
    QCOMPARE(QuoteRules::quoteNumber(2027, 12345), QStringLiteral("2027-12345"));
}

// Each object holds every field the register writes: read into the request or the
// quote and written again, it comes back the same; an unset value stays unset and a
// zero stays zero.
void TestQuoteRules::requestJson_data()
{
    QTest::addColumn<QString>("json");
    QTest::newRow("every value") << "{'stops':['KTEB','kase'],'rate':8.75,'tax':'STATE',"
                                    "'charges':[{'description':'Catering','amount':125.5,"
                                    "'number':2,'tax':'GST'}],'passengers':6,'segments':3,"
                                    "'customer':%1,'departureDate':'2026-03-01',"
                                    "'returnDate':'2026-03-04','remarks':'a\\r\\nb',"
                                    "'quotedBy':'JM','printCompany':false}";
    QTest::newRow("values unset") << "{'stops':[],'tax':'','charges':[{'description':'',"
                                     "'tax':''}],'customer':%1,'remarks':'','quotedBy':'',"
                                     "'printCompany':true}";
    QTest::newRow("zeros") << "{'stops':[],'rate':0,'tax':'','charges':[{'description':'x',"
                              "'amount':0,'number':0,'tax':''}],'passengers':0,'segments':0,"
                              "'customer':%1,'remarks':'','quotedBy':'','printCompany':true}";
}

void TestQuoteRules::requestJson()
{
    QFETCH(QString, json);
    const QJsonObject stored = object(json);
    QVERIFY(!stored.isEmpty());
    QCOMPARE(QuoteJson::fromRequest(QuoteJson::toRequest(stored)), stored);
}

void TestQuoteRules::dataJson_data()
{
    QTest::addColumn<QString>("json");
    const QString texts =
        "'currencySymbol':'CHF','totalNM':'1','totalSM':'2','distanceCharge':'3',"
        "'chargePerMile':'4','milesCaption':'NM','baseCharge':'5','taxType':'T',"
        "'taxAmount':'6','totalBaseCharge':'7','totAddCharges':'8','totTaxAddCharges':'9',"
        "'totalCharges':'10','totalTaxes':'11','finalQuote':'2,793.10','remarks':'r',"
        "'quotedBy':'q','quoteNumber':'2026-0042','logoPath':'/l.png','terms':'t\\n2',"
        "'company':{'NAME':'n','ADDRESS1':'a1','ADDRESS2':'a2','CITY':'c',"
        "'STATE':'s','ZIP':'z','COUNTRY':'co','PHONE1':'p1','PHONE2':'p2','FAX':'f',"
        "'EMAIL':'e','WEBSITE':'w'},'customer':%1,";
    QTest::newRow("every value")
        << "{" + texts +
               "'minBaseCharge':1234.56,'taxPercent':7.5,'printCompany':false,"
               "'route':[{'id':'KTEB','name':'TETERBORO','distanceNM':'','distanceSM':''},"
               "{'id':'KASE','name':'ASPEN','distanceNM':'1,450.2','distanceSM':'1,668.9'}],"
               "'charges':[{'charge':'c','amount':'1','number':'2','total':'3','tax':'t',"
               "'taxAmount':'4'}],'departureDate':'2026-03-01','returnDate':'2026-03-04',"
               "'today':'2026-02-27','revision':2,'validUntil':'2026-03-29'}";
    QTest::newRow("values unset") << "{" + texts +
                                         "'minBaseCharge':0,'printCompany':true,'route':[],"
                                         "'charges':[],'revision':0}";
}

void TestQuoteRules::dataJson()
{
    QFETCH(QString, json);
    const QJsonObject stored = object(json);
    QVERIFY(!stored.isEmpty());
    QCOMPARE(QuoteJson::fromData(QuoteJson::toData(stored)), stored);
}

void TestQuoteRules::textCell_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cell");
    QTest::newRow("plain") << "KTEB-KASE"
                           << "KTEB-KASE";
    QTest::newRow("equals") << "=1+1"
                            << "'=1+1";
    QTest::newRow("plus") << "+44 20 7946"
                          << "'+44 20 7946";
    QTest::newRow("minus") << "-2+3"
                           << "'-2+3";
    QTest::newRow("at") << "@SUM(A1)"
                        << "'@SUM(A1)";
    QTest::newRow("tab") << "\tx"
                         << "'\tx";
    QTest::newRow("carriage return, quoted too") << "\rx"
                                                 << "\"'\rx\"";
    QTest::newRow("formula inside stays") << "Acme =1"
                                          << "Acme =1";
    QTest::newRow("comma") << "Smith, John"
                           << "\"Smith, John\"";
    QTest::newRow("quotes doubled") << "Say \"hi\""
                                    << "\"Say \"\"hi\"\"\"";
    QTest::newRow("line feed") << "a\nb"
                               << "\"a\nb\"";
    QTest::newRow("guarded and quoted") << "=HYPERLINK(\"x\",1)"
                                        << "\"'=HYPERLINK(\"\"x\"\",1)\"";
}

void TestQuoteRules::textCell()
{
    QFETCH(QString, text);
    QFETCH(QString, cell);
    QCOMPARE(QuoteCsv::textCell(text), cell);
}

void TestQuoteRules::numbersAndList()
{
    // Plain form whatever the locale: no grouping, no decimal comma, a minus unguarded.
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(QuoteCsv::numberCell(12793.1), QStringLiteral("12793.1"));
    QCOMPARE(QuoteCsv::numberCell(-5.25), QStringLiteral("-5.25"));
    QLocale::setDefault(QLocale::c());

    QuoteListEntry entry;
    entry.number = QStringLiteral("2026-0042");
    entry.revision = 2;
    entry.shown = QuoteStatus::Expired;
    entry.created = QDateTime(QDate(2026, 1, 5), QTime(9, 30));
    entry.customerName = QStringLiteral("=cmd|' /C calc'!A0");
    entry.route = QStringLiteral("KTEB-KASE-KTEB");
    entry.finalQuoteValue = 2793.1;
    entry.validUntil = QDate(2026, 2, 4);
    QCOMPARE(QuoteCsv::listText({entry, entry}).split(QStringLiteral("\r\n")),
             QStringList({"Number,Revision,Status,Created,Customer,Route,Final Quote,Valid Until",
                          "2026-0042,2,Expired,2026-01-05 09:30,'=cmd|' /C calc'!A0,"
                          "KTEB-KASE-KTEB,2793.1,2026-02-04",
                          "2026-0042,2,Expired,2026-01-05 09:30,'=cmd|' /C calc'!A0,"
                          "KTEB-KASE-KTEB,2793.1,2026-02-04",
                          ""}));
}

QTEST_GUILESS_MAIN(TestQuoteRules)
#include "tst_quoterules.moc"
