#include "core/document/remarks.h"

#include <QTest>

using namespace Qt::StringLiterals;

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
        const auto line = [](char c, int n) { return QString(n, QLatin1Char(c)); };
        QTest::newRow("empty") << QString() << 80 << 80 << 0;
        QTest::newRow("one full line") << line('a', 80) << 80 << 80 << 0;
        QTest::newRow("one past the line") << line('a', 81) << 80 << 80 << 1;
        QTest::newRow("a line break pasted")
            << line('a', 80) + '\n' + line('b', 80) << 80 << 162 << 0;
        QTest::newRow("second line full")
            << line('a', 80) + '\n' + line('b', 81) << 162 << 162 << 1;
        QTest::newRow("a short first line")
            << line('a', 10) + '\n' + line('b', 80) << 92 << 92 << 0;
        QTest::newRow("the first line lengthened after the break")
            << line('a', 12) + '\n' + line('b', 80) << 92 << 92 << 2;
        QTest::newRow("the line break deleted") << line('a', 85) << 162 << 80 << 5;
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
        QCOMPARE(Remarks::stored(u"Catering\nfor six"_s), u"Catering\r\nfor six"_s);
        QCOMPARE(Remarks::shown(u"Catering\r\nfor six"_s), u"Catering\nfor six"_s);
        QCOMPARE(Remarks::limitWith(8), 90);
    }
};

QTEST_GUILESS_MAIN(TestRemarks)
#include "tst_remarks.moc"
