#include "core/csv.h"

#include <QTest>

// The CSV reader: each record with the line it starts on, as "line: field|field".
class TestCsv : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatSpreadsheetsWrite_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("records"); // empty: refused
        QTest::addColumn<int>("errorLine");
        QTest::newRow("quoted fields")
            << "stops,rate\n\"KTEB KBOS\",\"8,5\"\n\"say \"\"hi\"\"\",\n"
            << QStringList{"1: stops|rate", "2: KTEB KBOS|8,5", "3: say \"hi\"|"} << 0;
        QTest::newRow("CR LF, a byte order mark, no line end at the end")
            << QString(QChar(0xFEFF)) + "stops,rate\r\n\r\nKTEB,9.5"
            << QStringList{"1: stops|rate", "2: ", "3: KTEB|9.5"} << 0;
        QTest::newRow("a line break inside quotes")
            << "a,\"two\r\nlines\"\nb,c\n"
            << QStringList{"1: a|two\r\nlines", "3: b|c"} << 0;
        QTest::newRow("carriage returns alone, one inside quotes")
            << "stops,rate\r\"a\rb\",9.5\rKTEB,\r"
            << QStringList{"1: stops|rate", "2: a\rb|9.5", "4: KTEB|"} << 0;
        QTest::newRow("a quote not closed") << "a,b\nc,\"d\ne\n" << QStringList{} << 2;
    }
    void readsWhatSpreadsheetsWrite()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, records);
        QFETCH(int, errorLine);
        QList<Csv::Record> read;
        int line = 0;
        QCOMPARE(Csv::readRecords(text, read, &line), !records.isEmpty());
        QStringList shown;
        for (const Csv::Record& record : read)
            shown << QString::number(record.line) + ": " + record.fields.join('|');
        QCOMPARE(shown, records);
        QCOMPARE(line, errorLine);
    }
};

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
