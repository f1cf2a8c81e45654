#include "core/document/quotetextfile.h"
#include "quotesample.h"

#include <QFile>
#include <QLocale>
#include <QTest>

// The text file of each sample quote in data/ against the file beside it, byte for byte.
class TestQuoteTextFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void matchesExpectedFile_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"full", "minimal", "edge"})
            QTest::newRow(name) << name;
    }
    void matchesExpectedFile()
    {
        QFETCH(QString, name);
        const QuoteData data = QuoteSample::read("data/" + name + ".quote");
        QFile file(QStringLiteral(BRISKLANDER_SOURCE_DIR "/tests/core/document/data/") + name +
                   ".txt");
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QByteArray expected = file.readAll();
        // Line by line first, so that a difference names its line; then the exact bytes.
        const QStringList wanted = QString::fromUtf8(expected).split("\r\n");
        const QStringList lines = QuoteTextFile::lines(data) << QString(); // after the last CR LF
        for (qsizetype i = 0; i < qMin(wanted.size(), lines.size()); ++i)
            QVERIFY2(lines[i] == wanted[i],
                     qPrintable(QStringLiteral("line %1:\n  \"%2\"\n  \"%3\"")
                                    .arg(i + 1)
                                    .arg(lines[i], wanted[i])));
        QCOMPARE(lines.size(), wanted.size());
        QCOMPARE(QuoteTextFile::contents(data), expected);
    }
};

QTEST_GUILESS_MAIN(TestQuoteTextFile)
#include "tst_quotetextfile.moc"
