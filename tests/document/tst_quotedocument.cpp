#include "core/format.h"
#include "document/qtprintersurface.h"
#include "document/quotedocument.h"
#include "recordingsurface.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Item = RecordingSurface::Item;

// Column 12 of Arial 10, where the block margin falls with the recording metrics.
constexpr double Margin = 11 * 100;

QuoteData fullQuote()
{
    QuoteData data;
    data.company = {"Skyway Charters",
                    "12 Runway Road",
                    "Hangar 4",
                    "Springfield",
                    "IL",
                    "62701",
                    "USA",
                    "555-0100",
                    "555-0101",
                    "555-0102",
                    "ops@sky.example",
                    "sky.example"};
    data.minBaseCharge = 1000;
    data.route = {{"KJFK", "John F Kennedy Intl", "0.0", "0.0"},
                  {"KORD", "Chicago O'Hare Intl", "639.8", "736.3"},
                  {"KDEN", "Denver Intl", "774.7", "891.5"}};
    data.totalNM = "1,414.5";
    data.totalSM = "1,627.8";
    data.distanceCharge = "1,414.5";
    data.chargePerMile = "2.70";
    data.milesCaption = "NM";
    data.baseCharge = "3,819.15";
    data.taxType = "Sales Tax";
    data.taxPercent = 7.5;
    data.taxAmount = "286.44";
    data.totalBaseCharge = "4,105.59";
    data.charges = {{"Landing Fee", "150.00", "2", "300.00", "", ""},
                    {"", "0.00", "", "", "", ""},
                    {"Catering", "45.50", "4", "182.00", "Sales Tax", "13.65"},
                    {"4 Pax * 2 Segm. * 2.50", "", "", "", "Segment Tax", "20.00"},
                    {"", "", "", "", "", ""}};
    data.totAddCharges = "482.00";
    data.totTaxAddCharges = "33.65";
    data.totalCharges = "4,301.15";
    data.totalTaxes = "320.09";
    data.finalQuote = "4,621.24";
    data.customer = {"Ada Lovelace",  "1 Analytical Way", "Floor 2", "London",
                     "LDN",           "N1 9GU",           "UK",      "020 7946 0000",
                     "020 7946 0001", "ada@example.org"};
    data.departureDate = QDate(2025, 6, 2);
    data.returnDate = QDate(2025, 6, 9);
    data.remarks = "Catering for four\r\nWheelchair at KDEN";
    data.quotedBy = "J. Smith";
    data.today = QDate(2025, 5, 14);
    return data;
}

RecordingSurface composed(const QuoteData& data)
{
    RecordingSurface surface;
    QuoteDocument::compose(surface, data);
    return surface;
}

// "Courier New 10 B", "Arial 12 BIU": name, size and the styles that are on.
QString style(const Item& item)
{
    const RecordingSurface::Font& f = item.font;
    return QStringLiteral("%1 %2 %3%4%5")
        .arg(f.name)
        .arg(f.size)
        .arg(f.bold ? "B" : "", f.italic ? "I" : "", f.underline ? "U" : "")
        .trimmed();
}

QStringList linesFrom(const QStringList& lines, const QString& first, int count)
{
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(first))
            return lines.mid(i, count);
    return {};
}

} // namespace

class TestQuoteDocument : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void fullQuote();
    void baseChargeAgainstTheMinimum_data();
    void baseChargeAgainstTheMinimum();
    void zeroFiguresDropTheirLines_data();
    void zeroFiguresDropTheirLines();
    void withoutCompanyAndCustomer();
    void longRouteRunsOntoFurtherPages();
    void longAmountsPrintWhole();
    void writesAPdf();
};

void TestQuoteDocument::fullQuote()
{
    const QuoteData data = ::fullQuote();
    const RecordingSurface surface = composed(data);
    const QStringList expected = {
        "", "Air Charter Quote|" + Format::shortDate(data.today), "", "",
        // Company, then the customer.
        "Skyway Charters", "12 Runway Road", "Hangar 4", "Springfield,  IL   62701", "USA",
        "Phone:|555-0100|555-0101", "Fax:|555-0102", "Email:|ops@sky.example",
        "Website:|sky.example", "", "", "Quote for:", "", "Ada Lovelace", "1 Analytical Way",
        "Floor 2", "London, LDN   N1 9GU", "UK", "Phone:|020 7946 0000", "Fax:|020 7946 0001",
        "Email:|ada@example.org", "", "", "Departure Date: |" + Format::longDate(QDate(2025, 6, 2)),
        "Return Date: |" + Format::longDate(QDate(2025, 6, 9)), "",
        // Route, base charge, additional charges.
        "ID|Airport Name|Distance NM|Distance SM", "",
        " 1 |KJFK|John F Kennedy Intl|     0.0|     0.0",
        " 2 |KORD|Chicago O'Hare Intl|   639.8|   736.3", " 3 |KDEN|Denver Intl|   774.7|   891.5",
        "", "Total Distance =| 1,414.5| 1,627.8", "", "",
        "Base Charge =|1,414.5 NM * $2.70 = |$    3,819.15",
        "Tax =|Sales Tax   7.5 %|$      286.44", "Total Base Charge =|$    4,105.59", "", "",
        "Additional Charges:", "", "Charge|Amount|Number|Total|Tax|Tax Amount", "",
        " 1 |Landing Fee|$   150.00|   2|$      300.00",
        " 2 |Catering|$    45.50|   4|$      182.00|Sales Tax|$     13.65",
        " 3 |4 Pax * 2 Segm. * 2.50|Segment Tax|$     20.00", "",
        "Total Additional Charges =|$      482.00|$     33.65", "", "",
        // Totals, remarks, quoted by.
        "Total Charges =|$    4,301.15", "Total Taxes =|$      320.09", "",
        "Final Quote =|$    4,621.24", "", "", "Remarks:", "Catering for four",
        "Wheelchair at KDEN", "", "Quoted By: |J. Smith"};
    QCOMPARE(surface.lines(1), expected);
    QCOMPARE(surface.page(), 1);
    QVERIFY(!surface.operations.contains("endDocument")); // the caller ends the job, once

    // Lines that start with a column move start where their column says; all others
    // at the one block margin.
    const QStringList fromColumns = {"Air Charter Quote", "ID", "Total Distance =", "Charge",
                                     "Total Additional Charges ="};
    int previousLine = -1;
    for (const Item& item : surface.items) {
        if (item.line == previousLine)
            continue;
        previousLine = item.line;
        if (!fromColumns.contains(item.text))
            QVERIFY2(item.x == Margin, qPrintable(item.text));
    }
    QCOMPARE(surface.find("Total Distance =")->x, 49 * 100.0);

    // Right-aligned fields in Courier New at their columns; fonts by name, size, style.
    const QString styles = "Air Charter Quote -> Arial 12 BIU; Skyway Charters -> Arial 10 B; "
                           "12 Runway Road -> Arial 8; Quote for: -> Arial 12 BIU; "
                           "Ada Lovelace -> Arial 10 B; Departure Date:  -> Arial 10 B; "
                           "ID -> Arial 10 BU;  2  -> Arial 10 B;    639.8 -> Courier New 10; "
                           " 1,414.5 -> Courier New 10 B; $      286.44 -> Courier New 10 U; "
                           "$    4,105.59 -> Courier New 10 B; $    45.50 -> Courier New 10; "
                           "$    4,301.15 -> Courier New 12 B; Final Quote = -> Arial 12 BIU; "
                           "$    4,621.24 -> Courier New 12 BI; J. Smith -> Arial 10; "
                           "Wheelchair at KDEN -> Courier New 10";
    for (const QString& expected : styles.split("; ")) {
        const Item* item = surface.find(expected.section(" -> ", 0, 0));
        QVERIFY2(item, qPrintable(expected));
        QCOMPARE(item->text + " -> " + style(*item), expected);
    }
    QCOMPARE(surface.find("   639.8")->x, 62 * 120.0);
    QCOMPARE(surface.find("$    45.50")->x, 35 * 120.0);
    QCOMPARE(surface.find("$     13.65")->x, 83 * 120.0);
}

void TestQuoteDocument::baseChargeAgainstTheMinimum_data()
{
    QTest::addColumn<double>("distance"); // at 2.50 a mile, against a minimum of 1,000
    QTest::addColumn<QString>("line");

    QTest::newRow("below") << 399.9 << "Minimum Charge =|$    1,000.00";
    QTest::newRow("exactly") << 400.0 << "Base Charge =|400.0 NM * $2.50 = |$    1,000.00";
    QTest::newRow("above") << 400.1 << "Base Charge =|400.1 NM * $2.50 = |$    1,000.00";
}

void TestQuoteDocument::baseChargeAgainstTheMinimum()
{
    QFETCH(double, distance);
    QFETCH(QString, line);
    QuoteData data = ::fullQuote();
    data.distanceCharge = QString::number(distance, 'f', 1);
    data.chargePerMile = "2.50";
    data.baseCharge = "1,000.00";
    const RecordingSurface surface = composed(data);
    QCOMPARE(linesFrom(surface.lines(1), line.section('|', 0, 0), 1), QStringList{line});
}

void TestQuoteDocument::zeroFiguresDropTheirLines_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("lines"); // the lines around the ones left out

    const QString base = "Base Charge =|1,414.5 NM * $2.70 = |$    3,819.15\n";
    QTest::newRow("base tax") << "taxAmount" << base + "\n\nAdditional Charges:";
    QTest::newRow("additional charges")
        << "additional"
        << base + "Tax =|Sales Tax   7.5 %|$      286.44\nTotal Base Charge =|$    4,105.59\n\n\n"
                  "Total Charges =|$    4,301.15";
    QTest::newRow("total taxes")
        << "totalTaxes"
        << "Total Additional Charges =|$      482.00|$     33.65\n\n\nFinal Quote =|$    4,621.24";
}

void TestQuoteDocument::zeroFiguresDropTheirLines()
{
    QFETCH(QString, field);
    QFETCH(QString, lines);
    QuoteData data = ::fullQuote();
    if (field == "taxAmount")
        data.taxAmount = "0.00";
    if (field == "additional")
        data.totAddCharges = data.totTaxAddCharges = "0.00"; // rows are left out with them
    if (field == "totalTaxes")
        data.totalTaxes = "0.00";
    const RecordingSurface surface = composed(data);
    const QStringList expected = lines.split('\n');
    QCOMPARE(linesFrom(surface.lines(1), expected.first().section('|', 0, 0), expected.size()),
             expected);
}

void TestQuoteDocument::withoutCompanyAndCustomer()
{
    QuoteData data = ::fullQuote();
    data.printCompany = false;
    data.customer.Name = "   "; // drops the whole block whatever the other fields hold
    data.returnDate.reset();
    data.remarks = "One line only";
    const RecordingSurface surface = composed(data);
    const QStringList lines = surface.lines(1);
    QCOMPARE(lines.mid(0, 8),
             QStringList({"", "Air Charter Quote|" + Format::shortDate(data.today), "", "", "",
                          "Departure Date: |" + Format::longDate(QDate(2025, 6, 2)), "",
                          "ID|Airport Name|Distance NM|Distance SM"}));
    QCOMPARE(linesFrom(lines, "Remarks:", 3), QStringList({"Remarks:", "One line only", ""}));
    QCOMPARE(surface.find("Remarks:")->x, Margin);
}

void TestQuoteDocument::longRouteRunsOntoFurtherPages()
{
    QuoteData data = ::fullQuote();
    data.route.clear();
    for (int i = 0; i < 120; ++i)
        data.route.append({QStringLiteral("K%1").arg(i), "Field", "12.0", "13.8"});
    const RecordingSurface surface = composed(data);
    QCOMPARE(surface.page(), 3);

    const QString date = Format::shortDate(data.today);
    for (int page : {2, 3}) {
        const QStringList lines = surface.lines(page);
        QCOMPARE(lines.mid(0, 4), QStringList({"",
                                               "Brisklander for Windows|" + date + "|    Page |" +
                                                   Format::numberItem(page),
                                               "", ""}));
        QVERIFY(lines.at(4).startsWith(" ")); // the route goes on with its next row
    }
    const Item* header = surface.find("Brisklander for Windows");
    QCOMPARE(header->page, 2);
    QCOMPARE(style(*header), "Arial 12 BIU");
    QCOMPARE(style(*surface.find("    Page ")), "Arial 12 BI");

    // Page 1 breaks on the first row whose line end reaches the threshold.
    double lowest = 0;
    for (const Item& item : surface.items)
        if (item.page == 1)
            lowest = qMax(lowest, item.y);
    QVERIFY2(lowest < QuoteDocument::PageBreakTwips, qPrintable(surface.dump()));
    QVERIFY(lowest + 230 >= QuoteDocument::PageBreakTwips);
    // Page 2's rows continue the numbering at the margin, after the header's 12-point lines.
    const int rowsOnPage1 = surface.lines(1).filter("|Field|").size();
    const Item* next = surface.find(Format::numberItem(rowsOnPage1 + 1));
    QCOMPARE(next->page, 2);
    QCOMPARE(next->x, Margin);
    QCOMPARE(next->y, 4 * 276.0);
}

void TestQuoteDocument::longAmountsPrintWhole()
{
    QuoteData data = ::fullQuote();
    data.charges = {{"Ferry", "123,456.78", "1", "123,456.78", "", ""}};
    data.baseCharge = "1,234,567,890.00";
    const RecordingSurface surface = composed(data);
    const Item* amount = surface.find("$123,456.78");
    QVERIFY(amount);
    QCOMPARE(amount->x, 35 * 120.0);
    QVERIFY(surface.find("$1,234,567,890.00"));
    QCOMPARE(surface.find("   1")->x, 47 * 120.0); // still room before the number's column
}

void TestQuoteDocument::writesAPdf()
{
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftoppm.isEmpty())
        QSKIP("pdftoppm is not installed");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath("quote.pdf");

    QuoteData data = ::fullQuote();
    for (int i = 0; i < 40; ++i)
        data.route.append({QStringLiteral("K%1").arg(i), "Field", "12.0", "13.8"});
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QtPrinterSurface surface(&printer);
    QVERIFY(surface.isActive());
    QuoteDocument::compose(surface, data);
    QCOMPARE(surface.page(), 2);
    surface.endDocument();

    QProcess render;
    render.start(pdftoppm, {"-png", "-r", "50", "-f", "2", "-l", "2", pdf, dir.filePath("page")});
    QVERIFY(render.waitForFinished(60000));
    QCOMPARE(render.exitCode(), 0);
    const QStringList pngs = QDir(dir.path()).entryList({"page*.png"});
    QCOMPARE(pngs.size(), 1);
    QVERIFY(QFileInfo(dir.filePath(pngs.first())).size() > 0);
    const QImage image(dir.filePath(pngs.first()));
    QVERIFY(!image.isNull());
    int dark = 0; // the header, the rest of the route and the totals are on it
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    QVERIFY2(dark > 100, qPrintable(QString::number(dark)));
}

QTEST_MAIN(TestQuoteDocument)
#include "tst_quotedocument.moc"
