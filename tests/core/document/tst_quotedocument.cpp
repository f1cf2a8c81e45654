#include "core/document/quotedocument.h"
#include "core/document/quotetextfile.h"
#include "quotesample.h"
#include "support/recordingsurface.h"

#include <QLocale>
#include <QTest>

namespace {

RecordingSurface composed(const QuoteData& data, double height = RecordingSurface::LetterPortrait)
{
    RecordingSurface surface;
    surface.setPageHeight(height);
    QuoteDocument::compose(surface, data);
    return surface;
}

} // namespace

// The printed quote and the quote text file of the sample quotes in data/.
class TestQuoteDocument : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Each sample against the files beside it: the document drawn on a Letter page item
    // by item (a long route runs onto a second page under the running header), and the
    // text file line by line, then byte for byte.
    void samples_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<int>("stops");
        for (const char* name : {"full", "minimal", "edge", "one-airport", "numbered", "itinerary"})
            QTest::newRow(name) << name << 0;
        QTest::newRow("long-route") << "full" << 43;
    }
    void samples()
    {
        QFETCH(QString, sample);
        QFETCH(int, stops);
        const QuoteData data = QuoteSample::read(sample, stops);
        const RecordingSurface surface = composed(data);
        QVERIFY(!surface.ended); // the caller ends the job, once
        const QString name = QTest::currentDataTag();
        QCOMPARE(surface.drawing(), QString::fromUtf8(QuoteSample::file(name + ".drawing"))
                                        .split('\n', Qt::SkipEmptyParts));
        const QByteArray text = QuoteSample::file(name + ".txt");
        QCOMPARE(QuoteTextFile::lines(data) << QString(), QString::fromUtf8(text).split("\r\n"));
        QCOMPARE(QuoteTextFile::contents(data), text);
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
        const QuoteData data = QuoteSample::read("full", stops);
        const RecordingSurface surface = composed(data, height);
        const RecordingSurface reference = composed(data, 1e9); // only the fixed checks break
        const auto body = [](const RecordingSurface& document) {
            QStringList looks; // the items but the running headers
            for (const auto& item : document.items)
                if (item.page == 1 || item.line != 1)
                    looks << item.look();
            return looks;
        };
        QCOMPARE(body(surface), body(reference));
        QList<QStringList> headers(surface.page() + 1);
        QList<double> lowest(surface.page() + 1);
        for (const auto& item : surface.items) {
            QVERIFY2(item.y + RecordingSurface::lineHeight(item.font) <= height,
                     qPrintable(QStringLiteral("%1 on page %2").arg(item.look()).arg(item.page)));
            lowest[item.page] = qMax(lowest[item.page], item.y);
            if (item.page > 1 && item.line == 1)
                headers[item.page] << item.text;
        }
        for (int page = 2; page <= surface.page(); ++page)
            QCOMPARE(headers[page].join('|'),
                     QStringLiteral("Brisklander for Windows|12/6/2026|    Page | %1 ").arg(page));
        // Each page but the last is filled to within a few lines of its end.
        for (int page = 1; page < surface.page(); ++page)
            QVERIFY2(lowest[page] + 5 * 276 >= qMin(height, QuoteDocument::PageBreakTwips),
                     qPrintable(QStringLiteral("page %1 ends at %2").arg(page).arg(lowest[page])));
        if (height >= RecordingSurface::LetterPortrait)
            QCOMPARE(surface.drawing(), reference.drawing());
    }

    // The route's map closes the document below its last line, or on a page of its own
    // when it does not fit there; every line before it stays where it was.
    void mapClosesTheDocument_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<int>("stops");
        QTest::addColumn<int>("page"); // where the map goes
        QTest::newRow("below the last line") << "one-airport" << 0 << 1;
        QTest::newRow("on a page of its own") << "full" << 0 << 2;
        QTest::newRow("after a long route") << "full" << 43 << 3;
    }
    void mapClosesTheDocument()
    {
        QFETCH(QString, sample);
        QFETCH(int, stops);
        QFETCH(int, page);
        QuoteData data = QuoteSample::read(sample, stops);
        QStringList ids;
        for (qsizetype i = 0; i < data.route.size(); ++i) {
            data.route[i].position = LatLon{40.0 + double(i) / 10, -70.0 - double(i)};
            ids << data.route[i].id;
        }
        const QStringList without = composed(data).drawing();
        data.printMap = true;
        const RecordingSurface surface = composed(data);
        QCOMPARE(surface.drawing().mid(0, without.size()), without);
        const RecordingSurface::Item& map = surface.items.last();
        const RecordingSurface::Item& caption = surface.items.at(surface.items.size() - 2);
        QCOMPARE(map.text, QStringLiteral("[map %1 %2x%3]")
                               .arg(ids.join(' '))
                               .arg(QuoteDocument::MapWidthTwips)
                               .arg(QuoteDocument::MapHeightTwips));
        QCOMPARE(caption.text, QStringLiteral("Route Map:"));
        QCOMPARE(map.page, page);
        QCOMPARE(caption.page, page);
        QCOMPARE(map.x, caption.x);
        QVERIFY(map.y + QuoteDocument::MapHeightTwips <= RecordingSurface::LetterPortrait);
    }
};

QTEST_GUILESS_MAIN(TestQuoteDocument)
#include "tst_quotedocument.moc"
