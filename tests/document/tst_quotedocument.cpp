#include "core/format.h"
#include "document/qtprintersurface.h"
#include "document/quotedocument.h"
#include "recordingsurface.h"

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
    return {.company = {"Skyway Charters", "12 Runway Road", "Hangar 4", "Springfield", "IL",
                        "62701", "USA", "555-0100", "555-0101", "555-0102", "ops@sky.example",
                        "sky.example"},
            .minBaseCharge = 1000,
            .route = {{"KJFK", "John F Kennedy Intl", "0.0", "0.0"},
                      {"KORD", "Chicago O'Hare Intl", "639.8", "736.3"},
                      {"KDEN", "Denver Intl", "774.7", "891.5"}},
            .totalNM = "1,414.5",
            .totalSM = "1,627.8",
            .distanceCharge = "1,414.5",
            .chargePerMile = "2.70",
            .milesCaption = "NM",
            .baseCharge = "3,819.15",
            .taxType = "Sales Tax",
            .taxPercent = 7.5,
            .taxAmount = "286.44",
            .totalBaseCharge = "4,105.59",
            .charges = {{"Landing Fee", "150.00", "2", "300.00", "", ""},
                        {"", "0.00", "", "", "", ""},
                        {"Catering", "45.50", "4", "182.00", "Sales Tax", "13.65"},
                        {"4 Pax * 2 Segm. * 2.50", "", "", "", "Segment Tax", "20.00"},
                        {"", "", "", "", "", ""}},
            .totAddCharges = "482.00",
            .totTaxAddCharges = "33.65",
            .totalCharges = "4,301.15",
            .totalTaxes = "320.09",
            .finalQuote = "4,621.24",
            .customer = {"Ada Lovelace", "1 Analytical Way", "Floor 2", "London", "LDN", "N1 9GU",
                         "UK", "020 7946 0000", "020 7946 0001", "ada@example.org"},
            .departureDate = QDate(2025, 6, 2),
            .returnDate = QDate(2025, 6, 9),
            .remarks = "Catering for four\r\nWheelchair at KDEN",
            .quotedBy = "J. Smith",
            .today = QDate(2025, 5, 14)};
}

RecordingSurface composed(const QuoteData& data)
{
    RecordingSurface surface;
    QuoteDocument::compose(surface, data);
    return surface;
}

// "Courier New 10 B at 7440": font name, size, the styles that are on, and x in twips.
QString look(const Item& item)
{
    const RecordingSurface::Font& f = item.font;
    const QString styles = QStringLiteral("%1%2%3").arg(f.bold ? "B" : "", f.italic ? "I" : "",
                                                        f.underline ? "U" : "");
    return QStringLiteral("%1 %2 %3").arg(f.name).arg(f.size).arg(styles).trimmed() +
           QStringLiteral(" at %1").arg(item.x);
}

} // namespace

class TestQuoteDocument : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void fullQuote()
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
            "Email:|ada@example.org", "", "",
            "Departure Date: |" + Format::longDate(QDate(2025, 6, 2)),
            "Return Date: |" + Format::longDate(QDate(2025, 6, 9)), "",
            // Route, base charge, additional charges.
            "ID|Airport Name|Distance NM|Distance SM", "",
            " 1 |KJFK|John F Kennedy Intl|     0.0|     0.0",
            " 2 |KORD|Chicago O'Hare Intl|   639.8|   736.3",
            " 3 |KDEN|Denver Intl|   774.7|   891.5", "", "Total Distance =| 1,414.5| 1,627.8", "",
            "", "Base Charge =|1,414.5 NM * $2.70 = |$    3,819.15",
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
        QVERIFY(!surface.ended); // the caller ends the job, once

        // Blocks start at the margin (column 12 of Arial 10), figures in Courier New at
        // their columns.
        const QString looks =
            "Air Charter Quote -> Arial 12 BIU at 1080; "
            "Skyway Charters -> Arial 10 B at 1100; 12 Runway Road -> Arial 8 at 1100; "
            "Quote for: -> Arial 12 BIU at 1100; Ada Lovelace -> Arial 10 B at 1100; "
            "Departure Date:  -> Arial 10 B at 1100; ID -> Arial 10 BU at 1800; "
            " 2  -> Arial 10 B at 1100;    639.8 -> Courier New 10 at 7440; "
            "Total Distance = -> Arial 10 B at 4900; "
            " 1,414.5 -> Courier New 10 B at 7440; $      286.44 -> Courier New 10 U at 6480; "
            "$    4,105.59 -> Courier New 10 B at 6480; $    45.50 -> Courier New 10 at 4200; "
            "$     13.65 -> Courier New 10 at 9960; $    4,301.15 -> Courier New 12 B at 3456; "
            "Final Quote = -> Arial 12 BIU at 1100; $    4,621.24 -> Courier New 12 BI at 3456; "
            "Wheelchair at KDEN -> Courier New 10 at 1100; J. Smith -> Arial 10 at 2900";
        for (const QString& expected : looks.split("; ")) {
            const Item* item = surface.find(expected.section(" -> ", 0, 0));
            QVERIFY2(item, qPrintable(expected));
            QCOMPARE(item->text + " -> " + look(*item), expected);
        }
    }

    void figuresDecideTheirLines_data()
    {
        QTest::addColumn<QString>("lines"); // the lines around the ones that change

        const QString tax = "\nTax =|Sales Tax   7.5 %|$      286.44";
        // The distance at 2.50 a mile, against a minimum base charge of 1,000.
        QTest::newRow("distance 399.9") << "Minimum Charge =|$    1,000.00" + tax;
        QTest::newRow("distance 400.0") << "Base Charge =|400.0 NM * $2.50 = |$    1,000.00" + tax;
        QTest::newRow("distance 400.1") << "Base Charge =|400.1 NM * $2.50 = |$    1,000.00" + tax;
        // At cents the product equals the minimum, in binary it lies a hair below.
        QTest::newRow("product at the minimum")
            << "Base Charge =|10.7 NM * $8.50 = |$       90.95" + tax;
        QTest::newRow("no distance") << "Base Charge =|0.0 NM * $2.50 = |$        0.00" + tax;
        const QString base = "Base Charge =|1,414.5 NM * $2.70 = |$    3,819.15\n";
        QTest::newRow("no base tax") << base + "\n\nAdditional Charges:"; // the total goes too
        QTest::newRow("no additional charges")
            << "Total Base Charge =|$    4,105.59\n\n\nTotal Charges =|$    4,301.15";
        QTest::newRow("no total taxes")
            << "Total Additional Charges =|$      482.00|$     33.65\n\n\n"
               "Final Quote =|$    4,621.24";
        QTest::newRow("long amounts") << " 1 |Ferry|$123,456.78| 100|$12,345,678.00";
        QTest::newRow("no company, blank customer")
            << "Air Charter Quote|" + Format::shortDate(QDate(2025, 5, 14)) +
                   "\n\n\n\nDeparture Date: |" + Format::longDate(QDate(2025, 6, 2)) +
                   "\n\nID|Airport Name|Distance NM|Distance SM";
    }

    void figuresDecideTheirLines()
    {
        QFETCH(QString, lines);
        const QString change = QTest::currentDataTag();
        QuoteData data = ::fullQuote();
        if (change.startsWith("distance ")) {
            data.distanceCharge = change.section(' ', 1);
            data.chargePerMile = "2.50";
            data.baseCharge = "1,000.00";
        } else if (change == "product at the minimum") {
            data.distanceCharge = "10.7";
            data.chargePerMile = "8.50";
            data.baseCharge = "90.95";
            data.minBaseCharge = 90.95;
        } else if (change == "no distance") {
            data.distanceCharge = "0.0";
            data.chargePerMile = "2.50";
            data.baseCharge = "0.00";
        } else if (change == "no base tax") {
            data.taxAmount = "0.00";
        } else if (change == "no additional charges") {
            data.totAddCharges = data.totTaxAddCharges = "0.00"; // rows are left out with them
        } else if (change == "no total taxes") {
            data.totalTaxes = "0.00";
        } else if (change == "long amounts") { // printed whole, the columns after them kept
            data.charges = {{"Ferry", "123,456.78", "100", "12,345,678.00", "", ""}};
        } else {
            data.printCompany = false;
            data.customer.Name = "   "; // drops the whole block whatever the other fields hold
            data.returnDate.reset();
        }
        const QString page = composed(data).lines(1).join('\n');
        QVERIFY2(page.contains('\n' + lines + '\n'), qPrintable(page));
    }

    void longRouteRunsOntoFurtherPages()
    {
        QuoteData data = ::fullQuote();
        data.route.clear();
        for (int i = 0; i < 120; ++i)
            data.route.append({QStringLiteral("K%1").arg(i), "Field", "12.0", "13.8"});
        const RecordingSurface surface = composed(data);
        QCOMPARE(surface.page(), 3);
        for (int page : {2, 3}) {
            const QString header = "Brisklander for Windows|" + Format::shortDate(data.today) +
                                   "|    Page |" + Format::numberItem(page);
            const QStringList lines = surface.lines(page);
            QCOMPARE(lines.mid(0, 4), QStringList({"", header, "", ""}));
            QVERIFY(lines.at(4).startsWith(" ")); // the route goes on with its next row
        }
        QCOMPARE(look(*surface.find("Brisklander for Windows")), "Arial 12 BIU at 1080");
        QCOMPARE(look(*surface.find("    Page ")).section(" at ", 0, 0), "Arial 12 BI");

        // Page 1 breaks on the first row whose line end reaches the threshold.
        double lowest = 0;
        for (const Item& item : surface.items)
            if (item.page == 1)
                lowest = qMax(lowest, item.y);
        QVERIFY(lowest < QuoteDocument::PageBreakTwips);
        QVERIFY(lowest + 230 >= QuoteDocument::PageBreakTwips);
        // Page 2's rows continue the numbering at the margin, after the header's 12-point lines.
        const int rowsOnPage1 = surface.lines(1).filter("|Field|").size();
        const Item* next = surface.find(Format::numberItem(rowsOnPage1 + 1));
        QCOMPARE(next->page, 2);
        QCOMPARE(next->x, Margin);
        QCOMPARE(next->y, 4 * 276.0);
    }

    void writesAPdf()
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

        // Page 2 alone: the header, the rest of the route and the totals are on it.
        QProcess render;
        render.start(pdftoppm, {"-png", "-r", "50", "-f", "2", "-l", "2", "-singlefile", pdf,
                                dir.filePath("page")});
        QVERIFY(render.waitForFinished(60000));
        QCOMPARE(render.exitCode(), 0);
        const QImage image(dir.filePath("page.png"));
        QVERIFY(!image.isNull());
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 128;
        QVERIFY2(dark > 100, qPrintable(QString::number(dark)));
    }
};

QTEST_MAIN(TestQuoteDocument)
#include "tst_quotedocument.moc"
