#include "core/contrast.h"

#include <QTest>

using Contrast::Rgb;

Q_DECLARE_METATYPE(Rgb)

namespace {

const Rgb DarkBlue{0, 0, 128};
const Rgb DarkRed{128, 0, 0};
const Rgb White{255, 255, 255};
const Rgb Black{0, 0, 0};

int strongest(Rgb colour)
{
    if (colour.red > colour.green && colour.red > colour.blue)
        return 0;
    return colour.green > colour.blue ? 1 : 2;
}

} // namespace

class TestContrast : public QObject
{
    Q_OBJECT

private slots:
    void ratioFollowsTheLuminances()
    {
        QCOMPARE(Contrast::ratio(Black, White), 21.0);
        QCOMPARE(Contrast::ratio(White, White), 1.0);
        QCOMPARE(Contrast::ratio(White, DarkBlue), Contrast::ratio(DarkBlue, White));
        // The highlight of the standard light palette on a white field.
        QVERIFY(qAbs(Contrast::ratio(Rgb{48, 140, 198}, White) - 3.7) < 0.05);
    }

    void readableKeepsTheHueAndComesNearest_data()
    {
        QTest::addColumn<Rgb>("wanted");
        QTest::addColumn<QList<Rgb>>("backgrounds");
        QTest::addColumn<int>("lighter"); // 0 kept as it is, 1 lighter, -1 darker

        QTest::newRow("dark blue on white") << DarkBlue << QList<Rgb>{White} << 0;
        QTest::newRow("dark red on a grey field")
            << DarkRed << QList<Rgb>{{239, 239, 239}, {212, 208, 200}} << 0;
        QTest::newRow("dark blue on a dark field") << DarkBlue << QList<Rgb>{{42, 42, 42}} << 1;
        QTest::newRow("dark red on a dark field and its alternate rows")
            << DarkRed << QList<Rgb>{{30, 30, 30}, {66, 66, 66}} << 1;
        QTest::newRow("highlight on white") << Rgb{48, 140, 198} << QList<Rgb>{White} << -1;
    }

    void readableKeepsTheHueAndComesNearest()
    {
        QFETCH(Rgb, wanted);
        QFETCH(QList<Rgb>, backgrounds);
        QFETCH(int, lighter);
        const Rgb chosen = Contrast::readable(wanted, backgrounds);
        if (lighter == 0) {
            QCOMPARE(chosen, wanted);
            return;
        }
        double worst = 21;
        for (const Rgb& background : backgrounds)
            worst = qMin(worst, Contrast::ratio(chosen, background));
        QVERIFY2(worst >= Contrast::Readable, qPrintable(QString::number(worst)));
        // The nearest lightness that reads, not white or black.
        QVERIFY2(worst < Contrast::Readable + 0.5, qPrintable(QString::number(worst)));
        QCOMPARE(strongest(chosen), strongest(wanted));
        QCOMPARE(Contrast::luminance(chosen) > Contrast::luminance(wanted), lighter > 0);
    }

    void backgroundsThatPullBothWaysGetTheBestCompromise()
    {
        // Nothing reads at 4.5:1 on both of these greys; the best worst case is taken.
        const QList<Rgb> greys{{90, 90, 90}, {150, 150, 150}};
        const Rgb chosen = Contrast::readable(DarkBlue, greys);
        const double worst =
            qMin(Contrast::ratio(chosen, greys[0]), Contrast::ratio(chosen, greys[1]));
        QVERIFY(worst > Contrast::ratio(DarkBlue, greys[0]));
        QVERIFY(worst < Contrast::Readable);
    }
};

QTEST_GUILESS_MAIN(TestContrast)
#include "tst_contrast.moc"
