#include "core/register/keptquote.h"
#include "core/register/quotecsv.h"
#include "core/register/quotejson.h"

#include <QLocale>
#include <QtTest>

namespace {

QString orNone(const std::optional<double>& value)
{
    return value ? QString::number(*value, 'g', 17) : QStringLiteral("none");
}

QString orNone(const std::optional<int>& value)
{
    return value ? QString::number(*value) : QStringLiteral("none");
}

QString orNone(const std::optional<QDate>& value)
{
    return value ? value->toString(Qt::ISODate) : QStringLiteral("none");
}

QStringList describe(const QuoteData::Customer& c)
{
    return {c.Name, c.Address1, c.Address2, c.City, c.State,
            c.Zip,  c.Country,  c.Phone,    c.Fax,  c.Email};
}

// Every field of the request and of the quote, as text, so that two of them compare.
QStringList describe(const QuoteRequest& r)
{
    QStringList d = r.stops;
    d << orNone(r.rate) << r.tax << orNone(r.passengers) << orNone(r.segments)
      << orNone(r.departureDate) << orNone(r.returnDate) << r.remarks << r.quotedBy
      << QString::number(r.printCompany) << describe(r.customer);
    for (const QuoteRequest::Charge& c : r.charges)
        d << c.description << orNone(c.amount) << orNone(c.number) << c.tax;
    return d;
}

QStringList describe(const QuoteData& q)
{
    const CompanyDetails& c = q.company;
    QStringList d{c.NAME,    c.ADDRESS1, c.ADDRESS2, c.CITY, c.STATE, c.ZIP,
                  c.COUNTRY, c.PHONE1,   c.PHONE2,   c.FAX,  c.EMAIL, c.WEBSITE};
    d << QString::number(q.minBaseCharge, 'g', 17) << q.currencySymbol << q.totalNM << q.totalSM
      << q.distanceCharge << q.chargePerMile << q.milesCaption << q.baseCharge << q.taxType
      << orNone(q.taxPercent) << q.taxAmount << q.totalBaseCharge << q.totAddCharges
      << q.totTaxAddCharges << q.totalCharges << q.totalTaxes << q.finalQuote
      << QString::number(q.printCompany) << describe(q.customer) << orNone(q.departureDate)
      << orNone(q.returnDate) << q.remarks << q.quotedBy << q.today.toString(Qt::ISODate);
    for (const QuoteData::RouteRow& r : q.route)
        d << r.id << r.name << r.distanceNM << r.distanceSM;
    for (const QuoteData::ChargeRow& r : q.charges)
        d << r.charge << r.amount << r.number << r.total << r.tax << r.taxAmount;
    return d;
}

// A quote with every field given a value of its own.
void fill(QuoteRequest& r, QuoteData& q, const QString& text)
{
    int n = 0;
    const auto next = [&] { return text + QString::number(++n); };
    r.stops = {next(), next(), next()};
    r.rate = 8.75;
    r.tax = next();
    r.charges = {{next(), 125.5, 2, next()}, {next(), std::nullopt, std::nullopt, QString()}};
    r.passengers = 6;
    r.segments = 3;
    for (QString* field :
         {&r.customer.Name, &r.customer.Address1, &r.customer.Address2, &r.customer.City,
          &r.customer.State, &r.customer.Zip, &r.customer.Country, &r.customer.Phone,
          &r.customer.Fax, &r.customer.Email})
        *field = next();
    r.departureDate = QDate(2026, 3, 1);
    r.returnDate = QDate(2026, 3, 4);
    r.remarks = next() + QStringLiteral("\r\n") + next();
    r.quotedBy = next();
    r.printCompany = false;

    for (QString* field :
         {&q.company.NAME,   &q.company.ADDRESS1, &q.company.ADDRESS2, &q.company.CITY,
          &q.company.STATE,  &q.company.ZIP,      &q.company.COUNTRY,  &q.company.PHONE1,
          &q.company.PHONE2, &q.company.FAX,      &q.company.EMAIL,    &q.company.WEBSITE,
          &q.currencySymbol, &q.totalNM,          &q.totalSM,          &q.distanceCharge,
          &q.chargePerMile,  &q.milesCaption,     &q.baseCharge,       &q.taxType,
          &q.taxAmount,      &q.totalBaseCharge,  &q.totAddCharges,    &q.totTaxAddCharges,
          &q.totalCharges,   &q.totalTaxes,       &q.finalQuote,       &q.remarks,
          &q.quotedBy})
        *field = next();
    q.minBaseCharge = 1234.56;
    q.route = {{next(), next(), next(), next()}, {next(), next(), next(), next()}};
    q.taxPercent = 7.5;
    q.charges = {{next(), next(), next(), next(), next(), next()}};
    q.printCompany = false;
    q.customer = r.customer;
    q.departureDate = r.departureDate;
    q.returnDate = r.returnDate;
    q.today = QDate(2026, 2, 27);
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
    void shownStatus_data();
    void shownStatus();
    void numberAndStatusNames();

    void jsonRoundTrip_data();
    void jsonRoundTrip();
    void jsonOfAnOlderProgram();

    void textCell_data();
    void textCell();
    void numberCell_data();
    void numberCell();
    void listText();
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
    QTest::newRow("draft declined") << S::Draft << S::Declined << "too dear" << false;
    QTest::newRow("sent accepted") << S::Sent << S::Accepted << QString() << true;
    QTest::newRow("sent declined with reason") << S::Sent << S::Declined << "too dear" << true;
    QTest::newRow("sent declined, blank reason") << S::Sent << S::Declined << " \t" << false;
    QTest::newRow("sent cancelled") << S::Sent << S::Cancelled << QString() << true;
    QTest::newRow("sent back to draft") << S::Sent << S::Draft << QString() << false;
    QTest::newRow("sent sent again") << S::Sent << S::Sent << QString() << false;
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
    QTest::newRow("declined kept in place") << S::Declined << A::KeepInPlace << false;
    QTest::newRow("cancelled kept in place") << S::Cancelled << A::KeepInPlace << false;
    QTest::newRow("draft revised") << S::Draft << A::Revise << false;
    QTest::newRow("sent revised") << S::Sent << A::Revise << true;
    QTest::newRow("accepted revised") << S::Accepted << A::Revise << true;
    QTest::newRow("declined revised") << S::Declined << A::Revise << true;
    QTest::newRow("cancelled revised") << S::Cancelled << A::Revise << false;
    QTest::newRow("draft duplicated") << S::Draft << A::Duplicate << true;
    QTest::newRow("accepted duplicated") << S::Accepted << A::Duplicate << true;
    QTest::newRow("cancelled duplicated") << S::Cancelled << A::Duplicate << true;
}

void TestQuoteRules::action()
{
    QFETCH(QuoteStatus, status);
    QFETCH(QuoteAction, action);
    QFETCH(bool, allowed);
    QCOMPARE(QuoteRules::actionRefusal(status, action).isEmpty(), allowed);
}

void TestQuoteRules::shownStatus_data()
{
    QTest::addColumn<QuoteStatus>("status");
    QTest::addColumn<int>("daysLeft"); // the validity date less today
    QTest::addColumn<QuoteStatus>("shown");
    using S = QuoteStatus;
    QTest::newRow("draft on its last day") << S::Draft << 0 << S::Draft;
    QTest::newRow("draft a day past") << S::Draft << -1 << S::Expired;
    QTest::newRow("sent a day past") << S::Sent << -1 << S::Expired;
    QTest::newRow("sent still valid") << S::Sent << 5 << S::Sent;
    QTest::newRow("accepted long past") << S::Accepted << -400 << S::Accepted;
    QTest::newRow("declined past") << S::Declined << -1 << S::Declined;
    QTest::newRow("cancelled past") << S::Cancelled << -1 << S::Cancelled;
}

void TestQuoteRules::shownStatus()
{
    QFETCH(QuoteStatus, status);
    QFETCH(int, daysLeft);
    QFETCH(QuoteStatus, shown);
    const QDate today(2026, 3, 1);
    QCOMPARE(QuoteRules::shownStatus(status, today.addDays(daysLeft), today), shown);
}

void TestQuoteRules::numberAndStatusNames()
{
    QCOMPARE(QuoteRules::quoteNumber(2026, 42), QStringLiteral("2026-0042"));
    QCOMPARE(QuoteRules::quoteNumber(2027, 1), QStringLiteral("2027-0001"));
    QCOMPARE(QuoteRules::quoteNumber(2027, 12345), QStringLiteral("2027-12345"));
    for (QuoteStatus status : {QuoteStatus::Draft, QuoteStatus::Sent, QuoteStatus::Accepted,
                               QuoteStatus::Declined, QuoteStatus::Cancelled})
        QCOMPARE(QuoteRules::storedStatus(QuoteRules::statusName(status)), status);
    QCOMPARE(QuoteRules::statusName(QuoteStatus::Expired), QStringLiteral("Expired"));
    QVERIFY(!QuoteRules::storedStatus(QStringLiteral("Expired")));
    QVERIFY(!QuoteRules::storedStatus(QStringLiteral("draft")));
}

void TestQuoteRules::jsonRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("optionalsUnset");
    QTest::addColumn<bool>("optionalsZero");
    QTest::newRow("every field") << "f" << false << false;
    QTest::newRow("optional values unset") << "f" << true << false;
    QTest::newRow("optional values zero, not unset") << "f" << false << true;
    QTest::newRow("accents, quotes, line breaks")
        << QStringLiteral("Zürich \"Kloten\"\n\t€") << false << false;
    QTest::newRow("empty texts") << QString() << true << false;
}

void TestQuoteRules::jsonRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(bool, optionalsUnset);
    QFETCH(bool, optionalsZero);
    QuoteRequest request;
    QuoteData data;
    fill(request, data, text);
    if (optionalsUnset || optionalsZero) {
        const auto set = [&](auto& value) {
            if (optionalsUnset)
                value.reset();
            else
                value = 0;
        };
        set(request.rate);
        set(request.passengers);
        set(request.segments);
        set(request.charges[0].amount);
        set(request.charges[0].number);
        set(data.taxPercent);
    }
    if (optionalsUnset) {
        request.departureDate.reset();
        data.returnDate.reset();
        data.today = QDate();
        request.charges.clear();
        data.route.clear();
    }
    // Through the text the register stores.
    const auto throughText = [](const QJsonObject& object) {
        return QJsonDocument::fromJson(QJsonDocument(object).toJson(QJsonDocument::Compact))
            .object();
    };
    QCOMPARE(describe(QuoteJson::toRequest(throughText(QuoteJson::fromRequest(request)))),
             describe(request));
    QCOMPARE(describe(QuoteJson::toData(throughText(QuoteJson::fromData(data)))), describe(data));
}

void TestQuoteRules::jsonOfAnOlderProgram()
{
    const QuoteRequest request = QuoteJson::toRequest(QJsonObject());
    QCOMPARE(describe(request), describe(QuoteRequest()));
    QCOMPARE(describe(QuoteJson::toData(QJsonObject())), describe(QuoteData()));
}

void TestQuoteRules::textCell_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cell");
    QTest::newRow("plain") << "KTEB-KASE"
                           << "KTEB-KASE";
    QTest::newRow("empty") << ""
                           << "";
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
    QTest::newRow("formula with comma and quotes") << "=HYPERLINK(\"x\",1)"
                                                   << "\"'=HYPERLINK(\"\"x\"\",1)\"";
}

void TestQuoteRules::textCell()
{
    QFETCH(QString, text);
    QFETCH(QString, cell);
    QCOMPARE(QuoteCsv::textCell(text), cell);
}

void TestQuoteRules::numberCell_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("cell");
    QTest::newRow("fraction") << 2793.1 << "C"
                              << "2793.1";
    QTest::newRow("no grouping nor decimal comma") << 12793.1 << "de_DE"
                                                   << "12793.1";
    QTest::newRow("whole") << 1000000.0 << "en_US"
                           << "1000000";
    QTest::newRow("negative, no guard") << -5.25 << "C"
                                        << "-5.25";
}

void TestQuoteRules::numberCell()
{
    QFETCH(double, value);
    QFETCH(QString, locale);
    QFETCH(QString, cell);
    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    const QString written = QuoteCsv::numberCell(value);
    QLocale::setDefault(before);
    QCOMPARE(written, cell);
}

void TestQuoteRules::listText()
{
    QuoteListEntry sent;
    sent.number = QStringLiteral("2026-0042");
    sent.revision = 2;
    sent.shown = QuoteStatus::Expired;
    sent.created = QDateTime(QDate(2026, 1, 5), QTime(9, 30));
    sent.customerName = QStringLiteral("=cmd|' /C calc'!A0");
    sent.route = QStringLiteral("KTEB-KASE-KTEB");
    sent.finalQuote = QStringLiteral("2,793.10");
    sent.finalQuoteValue = 2793.1;
    sent.validUntil = QDate(2026, 2, 4);
    QuoteListEntry draft = sent;
    draft.number = QStringLiteral("2026-0043");
    draft.revision = 1;
    draft.shown = QuoteStatus::Draft;
    draft.customerName = QStringLiteral("Acme, Inc.");
    draft.finalQuoteValue = 950;
    QCOMPARE(
        QuoteCsv::listText({sent, draft}),
        QStringLiteral("Number,Revision,Status,Created,Customer,Route,Final Quote,Valid Until\r\n"
                       "2026-0042,2,Expired,2026-01-05 09:30,'=cmd|' /C calc'!A0,"
                       "KTEB-KASE-KTEB,2793.1,2026-02-04\r\n"
                       "2026-0043,1,Draft,2026-01-05 09:30,\"Acme, Inc.\",KTEB-KASE-KTEB,950,"
                       "2026-02-04\r\n"));
}

QTEST_GUILESS_MAIN(TestQuoteRules)
#include "tst_quoterules.moc"
