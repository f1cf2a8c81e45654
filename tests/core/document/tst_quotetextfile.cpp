#include "core/document/quotetextfile.h"

#include <QFile>
#include <QLocale>
#include <QTest>

namespace {

using Row = QuoteData::RouteRow;
using Charge = QuoteData::ChargeRow;

QuoteData baseQuote()
{
    QuoteData data;
    data.today = QDate(2026, 12, 6);
    data.minBaseCharge = 500;
    data.milesCaption = QStringLiteral("NM");
    data.chargePerMile = QStringLiteral("4.50");
    data.taxAmount = data.totAddCharges = data.totTaxAddCharges = data.totalTaxes =
        QStringLiteral("0.00");
    return data;
}

// Everything on: company, customer, both dates, base-charge tax, charges with a
// segment tax row and a skipped row, taxes in the totals, two-line remarks.
QuoteData fullQuote()
{
    QuoteData data = baseQuote();
    data.company = {"Skyway Charter Inc.",
                    "100 Hangar Road",
                    "Suite 4",
                    "Fairbanks",
                    "AK",
                    "99701",
                    "USA",
                    "907-555-0100",
                    "907-555-0101",
                    "907-555-0102",
                    "ops@skyway.example",
                    "www.skyway.example"};
    data.customer = {"Jane Doe", "12 Elm Street", "Apt 3",        "Anchorage",       "AK", "99501",
                     "USA",      "907-555-0200",  "907-555-0201", "jane@example.com"};
    data.departureDate = QDate(2026, 12, 20);
    data.returnDate = QDate(2026, 12, 23);
    data.route = {Row{"PAFA", "Fairbanks International", "0.0", "0.0"},
                  Row{"PANC", "Ted Stevens Anchorage International", "227.6", "261.9"},
                  Row{"PAJN", "Juneau International", "494.4", "569.0"}};
    data.totalNM = data.distanceCharge = QStringLiteral("722.0");
    data.totalSM = QStringLiteral("830.9");
    data.baseCharge = QStringLiteral("3,249.00");
    data.taxType = QStringLiteral("Sales Tax");
    data.taxPercent = 7.5;
    data.taxAmount = QStringLiteral("243.68");
    data.totalBaseCharge = QStringLiteral("3,492.68");
    data.charges = {Charge{"Catering", "150.00", "1", "150.00", "", ""},
                    Charge{"", "0.00", "", "", "", ""},
                    Charge{"4 Pax * 2 Segm. * 2.50", "", "", "", "Segment Tax", "20.00"},
                    Charge{"Landing Fee", "85.50", "2", "171.00", "Sales Tax", "12.83"}};
    data.totAddCharges = QStringLiteral("321.00");
    data.totTaxAddCharges = QStringLiteral("32.83");
    data.totalCharges = QStringLiteral("3,570.00");
    data.totalTaxes = QStringLiteral("276.51");
    data.finalQuote = QStringLiteral("3,846.51");
    data.remarks = QStringLiteral("Catering for four passengers.\r\nDe-icing at cost.");
    data.quotedBy = QStringLiteral("Tom Pilot");
    return data;
}

// Everything optional off: the customer's other fields do not matter once the name is blank.
QuoteData minimalQuote()
{
    QuoteData data = baseQuote();
    data.printCompany = false;
    data.company.NAME = QStringLiteral("Skyway Charter Inc.");
    data.customer = {"   ", "12 Elm Street", "", "Anchorage", "AK", "99501", "", "", "", ""};
    // Two fields side by side: a few tenths of a mile, priced at the minimum.
    data.totalNM = data.distanceCharge = QStringLiteral("0.4");
    data.totalSM = QStringLiteral("0.5");
    data.baseCharge = data.totalBaseCharge = data.totalCharges = data.finalQuote =
        QStringLiteral("500.00");
    data.charges = {Charge{"", "", "", "", "", ""}};
    data.remarks = QStringLiteral("One-way, no baggage.");
    data.quotedBy = QStringLiteral("  ");
    return data;
}

// Blank fields around the blocks' conditions (no state: the zip code stays), a first
// phone number of 20 characters, a route name that reaches the
// distance column, one that ends right before it, and an amount wider than its field.
QuoteData edgeQuote()
{
    QuoteData data = baseQuote();
    data.company = {"Nome Air Taxi",        "  ",           "PO Box 9", "Nome", "", "99762", "",
                    "+1 907 555 0300 x123", "907-555-0300", "",         " ",    ""};
    data.customer = {"Acme Mining", "", " ", "Kotzebue", "  ", "99752", "", " ", "", ""};
    data.departureDate = QDate(2027, 1, 4);
    data.route = {Row{"PAOM", "Nome", "0.0", "0.0"},
                  Row{"PAOT", "Ralph Wien Memorial Airport, Kotzebue, AK", "158.2", "182.1"},
                  Row{"PAIK", "Bob Baker Memorial Airport, Kiana Alaska", "57.9", "66.6"}};
    data.totalNM = data.distanceCharge = QStringLiteral("216.1");
    data.totalSM = QStringLiteral("248.7");
    data.baseCharge = data.totalBaseCharge = QStringLiteral("972.45");
    data.taxType = QStringLiteral("Sales Tax"); // chosen, but a zero tax prints no tax line
    data.taxPercent = 0;
    data.charges = {Charge{"Fuel Surcharge", "123,456.00", "1", "123,456.00", "", ""},
                    Charge{"", "", "", "", "", ""}, Charge{"", "5.00", "3", "15.00", "", ""}};
    data.totAddCharges = QStringLiteral("123,471.00");
    data.totalCharges = data.finalQuote = QStringLiteral("124,443.45");
    data.quotedBy = QStringLiteral("Ann Lee");
    return data;
}

} // namespace

Q_DECLARE_METATYPE(QuoteData)

class TestQuoteTextFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void matchesExpectedFile_data();
    void matchesExpectedFile();
};

void TestQuoteTextFile::matchesExpectedFile_data()
{
    QTest::addColumn<QuoteData>("data");
    QTest::addColumn<QString>("file");
    QTest::newRow("full") << fullQuote() << QFINDTESTDATA("expected/full.txt");
    QTest::newRow("minimal") << minimalQuote() << QFINDTESTDATA("expected/minimal.txt");
    QTest::newRow("edge") << edgeQuote() << QFINDTESTDATA("expected/edge.txt");
}

void TestQuoteTextFile::matchesExpectedFile()
{
    QFETCH(QuoteData, data);
    QFETCH(QString, file);
    QFile expectedFile(file);
    QVERIFY2(expectedFile.open(QIODevice::ReadOnly), qPrintable(file));
    const QByteArray expected = expectedFile.readAll();
    const QByteArray actual = QuoteTextFile::contents(data);

    // Line by line first, so that a difference names its line; then the exact bytes.
    const QStringList expectedLines = QString::fromUtf8(expected).split(QStringLiteral("\r\n"));
    const QStringList actualLines = QuoteTextFile::lines(data) << QString(); // after the last CR LF
    for (qsizetype i = 0; i < qMin(expectedLines.size(), actualLines.size()); ++i) {
        QVERIFY2(actualLines.at(i) == expectedLines.at(i),
                 qPrintable(QStringLiteral("line %1:\n  actual   \"%2\"\n  expected \"%3\"")
                                .arg(i + 1)
                                .arg(actualLines.at(i), expectedLines.at(i))));
    }
    QCOMPARE(actualLines.size(), expectedLines.size());
    QCOMPARE(actual, expected);
}

QTEST_GUILESS_MAIN(TestQuoteTextFile)
#include "tst_quotetextfile.moc"
