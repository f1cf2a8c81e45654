#include "core/document/remarks.h"

#include <QTest>

// The remarks' limits; the print window's test types them once through the field.
class TestRemarks : public QObject
{
    Q_OBJECT

private slots:
    void limitAndExcess_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limitBefore");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("excess");
        const QString a(80, 'a'), b(80, 'b');
        QTest::newRow("empty") << QString() << 80 << 80 << 0;
        QTest::newRow("one full line") << a << 80 << 80 << 0;
        QTest::newRow("one past the line") << a + 'a' << 80 << 80 << 1;
        QTest::newRow("a line break pasted") << a + '\n' + b << 80 << 162 << 0;
        QTest::newRow("second line full") << a + '\n' + b + 'b' << 162 << 162 << 1;
        QTest::newRow("a short first line") << a.left(10) + '\n' + b << 92 << 92 << 0;
        QTest::newRow("first line lengthened after the break")
            << a.left(12) + '\n' + b << 92 << 92 << 2;
        QTest::newRow("the line break deleted") << a + "aaaaa" << 162 << 80 << 5;
    }
    void limitAndExcess()
    {
        QFETCH(QString, text);
        QFETCH(int, limitBefore);
        QFETCH(int, limit);
        QCOMPARE(Remarks::limitAfter(text, limitBefore), limit);
        QTEST(Remarks::excess(text, limit), "excess");
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
