#include "core/quote/segmenttaxline.h"

#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

// The segment tax row's text is the only record of its counts: what is written reads
// back the same, and a text altered by hand reads as zero counts.
class TestSegmentTaxLine : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void writtenTextReadsBack()
    {
        const SegmentTaxLine line{12, 3, 5.3};
        QCOMPARE(line.chargeText(), u"12 Pax * 3 Segm. * 5.30"_s);
        QCOMPARE(line.totalText(), u"190.80"_s);
        const SegmentTaxLine again = SegmentTaxLine::parse(line.chargeText(), 2.5);
        QCOMPARE(again.passengers, 12);
        QCOMPARE(again.segments, 3);
        QCOMPARE(again.totalText(), u"90.00"_s); // the counts with today's rate
        // The rate counts as shown: 2.675 shows as 2.68, and so it is charged.
        QCOMPARE((SegmentTaxLine{1, 1000, 2.675}).totalText(), u"2,680.00"_s);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(line.chargeText(), u"12 Pax * 3 Segm. * 5,30"_s);
        QCOMPARE(SegmentTaxLine::parse(line.chargeText(), 5.3).totalText(), u"190,80"_s);
    }

    void alteredTextReadsAsZero()
    {
        for (const QString& text : {u"Pax * Segm."_s, u""_s, u"four Pax * 2 Segm. * 2.50"_s})
            QCOMPARE(SegmentTaxLine::parse(text, 2.5).passengers, 0);
        QCOMPARE(SegmentTaxLine::parse(u"4 Pax"_s, 2.5).segments, 0);
    }
};

QTEST_GUILESS_MAIN(TestSegmentTaxLine)
#include "tst_segmenttaxline.moc"
