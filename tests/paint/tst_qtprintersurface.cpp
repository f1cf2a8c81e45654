#include "../core/document/quotesample.h"
#include "core/document/quotedocument.h"
#include "paint/qtprintersurface.h"
#include "support/testfiles.h"

#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The quote document's surface on a PDF writer: the logo and the counted pages.
class TestQtPrinterSurface : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // An image is fitted into its box with its proportions kept (4 by 2 pixels into
    // 3600 by 1440 twips: 1440 high) and the position goes below it; a file that is
    // missing or holds no image draws nothing and moves nowhere.
    void image()
    {
        QPdfWriter writer(m_dir.filePath("image.pdf"));
        QtPrinterSurface surface(&writer);
        const QString data = QStringLiteral(BRISKLANDER_SOURCE_DIR "/tests/core/document/data/");
        QVERIFY(!surface.image(data + "nothing.png", 3600, 1440));
        QVERIFY(!surface.image(data + "numbered.quote", 3600, 1440));
        QCOMPARE(surface.y(), 0.0);
        QVERIFY(surface.image(data + "logo.png", 3600, 1440));
        QCOMPARE(qRound(surface.y()), 1440);
    }

    // A quote with a number is laid out once to count its pages before it is drawn:
    // the file holds the pages its headers count, and the count leaves none of its own.
    void countedQuoteHasItsPages()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QString path = m_dir.filePath("numbered.pdf");
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::Letter));
        QtPrinterSurface surface(&writer);
        QuoteDocument::compose(surface, QuoteSample::read("numbered"));
        surface.endDocument();
        QVERIFY(surface.page() > 1);
        const QString pdf = QString::fromLatin1(TestFiles::contentOf(path));
        QCOMPARE(pdf.count(QRegularExpression("/Type\\s*/Page\\b")), surface.page());
    }
};

QTEST_MAIN(TestQtPrinterSurface)
#include "tst_qtprintersurface.moc"
