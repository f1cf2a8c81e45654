#include "core/csv.h"
#include "support/tablerows.h"

using namespace Qt::StringLiterals;

// The CSV reader on what spreadsheets write, each record with the line it starts on.
class TestCsv : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatSpreadsheetsWrite_data() { addTableRows(u"core/csv-records.txt"_s); }
    void readsWhatSpreadsheetsWrite()
    {
        QFETCH(QStringList, row);
        QList<Csv::Record> read;
        int line = 0;
        QCOMPARE(Csv::readRecords(row[0], read, &line), !row[1].isEmpty());
        QStringList shown;
        for (const Csv::Record& record : read)
            shown << QString::number(record.line) + u": "_s + record.fields.join(u'/');
        QCOMPARE(shown.join(u';'), row[1]);
        QCOMPARE(line, row[2].toInt());
    }
};

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
