#include "core/document/quotedocument.h"
#include "core/format.h"
#include "paint/pdfjob.h"
#include "paint/qtprintersurface.h"
#include "support/recordingsurface.h"

#include <QLocale>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
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

// The full quote over `stops` airports, with eight charge rows.
QuoteData longQuote(int stops)
{
    QuoteData data = fullQuote();
    data.route.clear();
    for (int i = 0; i < stops; ++i)
        data.route.append(
            {QStringLiteral("K%1").arg(i, 3, 10, QLatin1Char('0')), "Field", "12.0", "13.8"});
    for (int i = 0; i < 3; ++i)
        data.charges.append(
            {QStringLiteral("Handling %1").arg(i + 1), "75.00", "1", "75.00", "Sales Tax", "5.63"});
    return data;
}

RecordingSurface composed(const QuoteData& data,
                          double pageHeight = RecordingSurface::LetterPortrait)
{
    RecordingSurface surface;
    surface.setPageHeight(pageHeight);
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

// The document's own items, without the running headers: "text -> look" each.
QStringList body(const RecordingSurface& surface)
{
    QStringList items;
    for (const Item& item : surface.items)
        if (item.page == 1 || item.line != 1)
            items << item.text + " -> " + look(item);
    return items;
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
        for (const QString& wanted : looks.split("; ")) {
            const Item* item = surface.find(wanted.section(" -> ", 0, 0));
            QVERIFY2(item, qPrintable(wanted));
            QCOMPARE(item->text + " -> " + look(*item), wanted);
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
        QTest::newRow("customer without a state") << "Floor 2\nLondon   N1 9GU\nUK";
        QTest::newRow("phone of 20 characters") << "Phone:|+44 20 7946 0958 123|555-0101";
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
        } else if (change == "customer without a state") { // the zip code stays
            data.customer.State.clear();
        } else if (change == "phone of 20 characters") { // the second keeps its column
            data.company.PHONE1 = "+44 20 7946 0958 123";
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

    // Whatever the page, every line is printed inside it, none is lost, and a line
    // moved to a new page keeps its font and place. Portrait Letter and A4 pages
    // break only at the layout's fixed checks.
    void everyLineLandsOnItsPage_data()
    {
        QTest::addColumn<double>("height");
        QTest::addColumn<int>("stops");
        const std::pair<const char*, double> pages[] = {
            {"Letter", RecordingSurface::LetterPortrait},
            {"A4", RecordingSurface::A4Portrait},
            {"Letter landscape", RecordingSurface::LetterLandscape},
            {"A4 landscape", RecordingSurface::A4Landscape},
            {"3-inch page", 3 * 1440.0}};
        for (const auto& [name, height] : pages)
            for (int stops : {8, 60})
                QTest::addRow("%s, %d stops", name, stops) << height << stops;
    }
    void everyLineLandsOnItsPage()
    {
        QFETCH(double, height);
        QFETCH(int, stops);
        const QuoteData data = longQuote(stops);
        const RecordingSurface surface = composed(data, height);
        // On a page this tall only the fixed checks break.
        const RecordingSurface reference = composed(data, 1e9);

        QCOMPARE(body(surface), body(reference));
        for (const Item& item : surface.items)
            QVERIFY2(item.y + RecordingSurface::lineHeight(item.font) <= height,
                     qPrintable(QStringLiteral("%1 on page %2 at %3")
                                    .arg(item.text)
                                    .arg(item.page)
                                    .arg(item.y)));
        for (int page = 2; page <= surface.page(); ++page)
            QCOMPARE(surface.lines(page).mid(0, 4),
                     QStringList({"",
                                  "Brisklander for Windows|" + Format::shortDate(data.today) +
                                      "|    Page |" + Format::numberItem(page),
                                  "", ""}));
        // Each page but the last is filled to within a few lines of its end.
        for (int page = 1; page < surface.page(); ++page) {
            double lowest = 0;
            for (const Item& item : surface.items)
                if (item.page == page)
                    lowest = qMax(lowest, item.y);
            QVERIFY2(lowest + 5 * 276 >= qMin(height, QuoteDocument::PageBreakTwips),
                     qPrintable(QStringLiteral("page %1 ends at %2").arg(page).arg(lowest)));
        }
        if (height >= RecordingSurface::LetterPortrait) {
            QCOMPARE(surface.page(), reference.page());
            for (int page = 1; page <= surface.page(); ++page)
                QCOMPARE(surface.lines(page), reference.lines(page));
        }
    }

    // A quote saved straight to a file is on the paper of the user's locale.
    void paperOfTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        for (const char* letter : {"en_US", "en_CA", "fr_CA", "en_UM"}) // en_UM: US units
            QTest::newRow(letter) << letter << QPageSize::Letter;
        for (const char* a4 : {"en_GB", "de_DE", "es_MX"})
            QTest::newRow(a4) << a4 << QPageSize::A4;
    }
    void paperOfTheLocale()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        QTEST(PrintJob::localePaper().id(), "paper");
    }

    // The printer's own page: what the quote holds is on the pages of the PDF, a
    // landscape page included (text past a page's end would be left out of it).
    void pdfCarriesEveryLine_data()
    {
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::addColumn<QPageLayout::Orientation>("orientation");
        QTest::addColumn<int>("stops");
        QTest::addColumn<int>("pages");
        QTest::newRow("Letter, 46 stops") << QPageSize::Letter << QPageLayout::Portrait << 46 << 2;
        QTest::newRow("Letter landscape, 8 stops")
            << QPageSize::Letter << QPageLayout::Landscape << 8 << 2;
        QTest::newRow("A4 landscape, 8 stops") << QPageSize::A4 << QPageLayout::Landscape << 8 << 2;
    }
    void pdfCarriesEveryLine()
    {
        QFETCH(QPageSize::PageSizeId, paper);
        QFETCH(QPageLayout::Orientation, orientation);
        QFETCH(int, stops);
        QFETCH(int, pages);
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (pdftotext.isEmpty())
            QSKIP("pdftotext is not installed");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString pdf = dir.filePath("quote.pdf");

        const QuoteData data = longQuote(stops);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(paper));
        printer.setPageOrientation(orientation);
        QtPrinterSurface surface(&printer);
        QVERIFY(surface.isActive());
        QuoteDocument::compose(surface, data);
        QCOMPARE(surface.page(), pages);
        surface.endDocument();

        QProcess extract;
        extract.start(pdftotext, {"-layout", pdf, "-"});
        QVERIFY(extract.waitForFinished(60000));
        QCOMPARE(extract.exitCode(), 0);
        const QStringList sheets = QString::fromUtf8(extract.readAllStandardOutput()).split('\f');
        QCOMPARE(sheets.size() - 1, pages); // each page ends with a form feed
        QStringList expected = {"Air Charter Quote",
                                "Total Distance =",
                                "Total Base Charge =",
                                "Total Additional Charges =",
                                "Total Charges =",
                                "Total Taxes =",
                                "Final Quote =",
                                "Wheelchair at KDEN",
                                "J. Smith"};
        for (const QuoteData::RouteRow& row : data.route)
            expected << row.id;
        for (const QuoteData::ChargeRow& row : data.charges)
            if (!row.charge.isEmpty())
                expected << row.charge;
        const QString text = sheets.join('\n');
        for (const QString& line : expected)
            QVERIFY2(text.contains(line), qPrintable(line));
        for (int page = 2; page <= pages; ++page)
            QVERIFY2(sheets[page - 1].contains(QRegularExpression(
                         "Brisklander for Windows.*Page +" + QString::number(page) + "\\s")),
                     qPrintable(sheets[page - 1]));
    }
};

QTEST_MAIN(TestQuoteDocument)
#include "tst_quotedocument.moc"
