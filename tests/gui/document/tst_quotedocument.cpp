#include "../../core/document/quotesample.h"
#include "core/document/quotedocument.h"
#include "core/format.h"
#include "paint/pdfjob.h"
#include "paint/qtprintersurface.h"
#include "support/recordingsurface.h"

#include <QLocale>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A sample quote of tests/core/document/data; with `stops`, over that many airports
// and with three more charge rows.
QuoteData sample(const QString& name, int stops = 0)
{
    QuoteData data = QuoteSample::read("data/" + name + ".quote");
    for (int i = 0; i < stops; ++i)
        data.route.append(
            {QStringLiteral("K%1").arg(i, 3, 10, QChar('0')), "Field", "12.0", "13.8"});
    for (int i = 0; stops > 0 && i < 3; ++i)
        data.charges.append({"Handling " + QString::number(i), "75.00", "1", "75.00", "", ""});
    return data;
}

RecordingSurface composed(const QuoteData& data, double height = RecordingSurface::LetterPortrait)
{
    RecordingSurface surface;
    surface.setPageHeight(height);
    QuoteDocument::compose(surface, data);
    return surface;
}

} // namespace

class TestQuoteDocument : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Each sample quote drawn on a Letter page, item by item, against the drawing in
    // data/; the long route runs onto a second page under the running header.
    void drawing_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<int>("stops");
        for (const char* name : {"full", "minimal", "edge"})
            QTest::newRow(name) << name << 0;
        QTest::newRow("long-route") << "full" << 43;
    }
    void drawing()
    {
        QFETCH(QString, sample);
        QFETCH(int, stops);
        const RecordingSurface surface = composed(::sample(sample, stops));
        QVERIFY(!surface.ended); // the caller ends the job, once
        const QStringList actual = surface.drawing();
        QFile file(QStringLiteral(BRISKLANDER_SOURCE_DIR "/tests/gui/document/data/%1.drawing")
                       .arg(QTest::currentDataTag()));
        QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
        const QStringList expected =
            QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < qMin(actual.size(), expected.size()); ++i)
            QCOMPARE(actual[i], expected[i]);
        QCOMPARE(actual.size(), expected.size());
    }

    // Whatever the page, every line is printed inside it, none is lost, and a line
    // moved to a new page keeps its font and place. Portrait Letter and A4 pages
    // break only at the layout's fixed checks.
    void everyLineLandsOnItsPage_data()
    {
        QTest::addColumn<double>("height");
        QTest::addColumn<int>("stops");
        const std::pair<const char*, double> pages[] = {{"Letter", (792 - 20) * 20.0},
                                                        {"A4", (841.89 - 20) * 20.0},
                                                        {"Letter landscape", (612 - 20) * 20.0},
                                                        {"A4 landscape", (595.28 - 20) * 20.0},
                                                        {"3-inch page", 3 * 1440.0}};
        for (const auto& [name, height] : pages)
            for (int stops : {5, 57})
                QTest::addRow("%s, %d more stops", name, stops) << height << stops;
    }
    void everyLineLandsOnItsPage()
    {
        QFETCH(double, height);
        QFETCH(int, stops);
        const QuoteData data = sample("full", stops);
        const RecordingSurface surface = composed(data, height);
        const RecordingSurface reference = composed(data, 1e9); // only the fixed checks break
        QStringList body, referenceBody;                        // the items but the running headers
        QList<double> lowest(surface.page() + 1);
        for (const auto& item : surface.items) {
            QVERIFY2(item.y + RecordingSurface::lineHeight(item.font) <= height,
                     qPrintable(QStringLiteral("%1 on page %2").arg(item.look()).arg(item.page)));
            lowest[item.page] = qMax(lowest[item.page], item.y);
            if (item.page == 1 || item.line != 1)
                body << item.look();
        }
        for (const auto& item : reference.items)
            if (item.page == 1 || item.line != 1)
                referenceBody << item.look();
        QCOMPARE(body, referenceBody);
        for (int page = 2; page <= surface.page(); ++page)
            QCOMPARE(surface.lines(page).mid(0, 4),
                     QStringList({"",
                                  "Brisklander for Windows|" + Format::shortDate(data.today) +
                                      "|    Page |" + Format::numberItem(page),
                                  "", ""}));
        // Each page but the last is filled to within a few lines of its end.
        for (int page = 1; page < surface.page(); ++page)
            QVERIFY2(lowest[page] + 5 * 276 >= qMin(height, QuoteDocument::PageBreakTwips),
                     qPrintable(QStringLiteral("page %1 ends at %2").arg(page).arg(lowest[page])));
        if (height >= RecordingSurface::LetterPortrait)
            QCOMPARE(surface.drawing(), reference.drawing());
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

    // The printer's own page: every text of the quote is on the pages of the PDF, a
    // landscape page included (text past a page's end would be left out of it).
    void pdfCarriesEveryLine_data()
    {
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::addColumn<QPageLayout::Orientation>("orientation");
        QTest::addColumn<int>("stops");
        QTest::newRow("Letter, 43 more stops") << QPageSize::Letter << QPageLayout::Portrait << 43;
        QTest::newRow("Letter landscape") << QPageSize::Letter << QPageLayout::Landscape << 5;
        QTest::newRow("A4 landscape") << QPageSize::A4 << QPageLayout::Landscape << 5;
    }
    void pdfCarriesEveryLine()
    {
        QFETCH(QPageSize::PageSizeId, paper);
        QFETCH(QPageLayout::Orientation, orientation);
        QFETCH(int, stops);
        QTemporaryDir dir;
        const QuoteData data = sample("full", stops);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("quote.pdf"));
        printer.setPageSize(QPageSize(paper));
        printer.setPageOrientation(orientation);
        QtPrinterSurface surface(&printer);
        QVERIFY(surface.isActive());
        QuoteDocument::compose(surface, data);
        QCOMPARE(surface.page(), 2);
        surface.endDocument();

        QProcess extract;
        extract.start("pdftotext", {"-layout", printer.outputFileName(), "-"});
        if (!extract.waitForFinished(60000))
            QSKIP("pdftotext is not installed");
        const QStringList sheets = QString::fromUtf8(extract.readAllStandardOutput()).split('\f');
        QCOMPARE(sheets.size(), 3); // each page ends with a form feed
        for (const RecordingSurface::Item& item : composed(data).items)
            for (const QString& word : item.text.split(' ', Qt::SkipEmptyParts))
                QVERIFY2(sheets.join('\n').contains(word), qPrintable(word));
        QVERIFY2(sheets[1].contains(QRegularExpression("Brisklander for Windows.*Page +2\\s")),
                 qPrintable(sheets[1]));
    }
};

QTEST_MAIN(TestQuoteDocument)
#include "tst_quotedocument.moc"
