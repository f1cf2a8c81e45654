#include "core/document/remarks.h"
#include "support/tablerows.h"

// The remarks' limits; the print window's test types them once through the field.
class TestRemarks : public QObject
{
    Q_OBJECT

private slots:
    void limitAndExcess_data() { addTableRows("core/document/data/remarks-limits.txt"); }
    void limitAndExcess()
    {
        QFETCH(QStringList, row); // text, limit before, limit, excess
        const QString text =
            QString(row[0]).replace('A', QString(80, 'a')).replace('B', QString(80, 'b'));
        QCOMPARE(Remarks::limitAfter(text, row[1].toInt()), row[2].toInt());
        QCOMPARE(Remarks::excess(text, row[2].toInt()), row[3].toInt());
    }

    void keptWithCarriageReturns()
    {
        QCOMPARE(Remarks::stored("Catering\nfor six"), "Catering\r\nfor six");
        QCOMPARE(Remarks::shown("Catering\r\nfor six"), "Catering\nfor six");
        QCOMPARE(Remarks::limitWith(8), 90);
    }
};

QTEST_GUILESS_MAIN(TestRemarks)
#include "tst_remarks.moc"
