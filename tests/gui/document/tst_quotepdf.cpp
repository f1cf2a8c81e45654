#include "../../core/document/quotesample.h"
#include "core/document/quotedocument.h"
#include "paint/pdfjob.h"
#include "paint/qtprintersurface.h"
#include "support/recordingsurface.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The quote document on real pages: the paper it is written on and the PDF file.
class TestQuotePdf : public QObject
{
    Q_OBJECT

private slots:
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

    // The printer's own page: every word of the quote is on the pages of the PDF, a
    // landscape page included (text past a page's end would be left out of it; every
    // page's breaks are the document's core rows).
    void pdfCarriesEveryWord_data()
    {
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::addColumn<QPageLayout::Orientation>("orientation");
        QTest::addColumn<int>("stops");
        QTest::newRow("Letter, 43 more stops") << QPageSize::Letter << QPageLayout::Portrait << 43;
        QTest::newRow("Letter landscape") << QPageSize::Letter << QPageLayout::Landscape << 5;
    }
    void pdfCarriesEveryWord()
    {
        QFETCH(QPageSize::PageSizeId, paper);
        QFETCH(QPageLayout::Orientation, orientation);
        QFETCH(int, stops);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QTemporaryDir dir;
        const QuoteData data = QuoteSample::read("full", stops);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("quote.pdf"));
        printer.setPageSize(QPageSize(paper));
        printer.setPageOrientation(orientation);
        QtPrinterSurface surface(&printer);
        QuoteDocument::compose(surface, data);
        surface.endDocument();

        QProcess extract;
        extract.start("pdftotext", {"-layout", printer.outputFileName(), "-"});
        if (!extract.waitForFinished(60000))
            QSKIP("pdftotext is not installed");
        const QString text = QString::fromUtf8(extract.readAllStandardOutput());
        QCOMPARE(text.count('\f'), 2); // each page ends with a form feed
        RecordingSurface recorded;
        QuoteDocument::compose(recorded, data);
        for (const RecordingSurface::Item& item : recorded.items)
            for (const QString& word : item.text.split(' ', Qt::SkipEmptyParts))
                QVERIFY2(text.contains(word), qPrintable(word));
        QVERIFY2(text.section('\f', 1).contains(
                     QRegularExpression("Brisklander for Windows.*Page +2\\s")),
                 qPrintable(text));
    }
};

QTEST_MAIN(TestQuotePdf)
#include "tst_quotepdf.moc"
