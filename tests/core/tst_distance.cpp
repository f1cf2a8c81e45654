#include "core/distance.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <numbers>

Q_DECLARE_METATYPE(GeoPoint)

namespace {

Coordinate dms(const char* degrees, qint16 minutes = 0, double seconds = 0)
{
    return Coordinate{QString::fromLatin1(degrees), minutes, seconds};
}

GeoPoint point(Coordinate latitude, Coordinate longitude)
{
    return GeoPoint{std::move(latitude), std::move(longitude)};
}

long double degrees(int d, int m, int s)
{
    return d + m / 60.0L + s / 3600.0L;
}

// An independent haversine in long double with the full-precision pi, on signed degrees
// (north and west positive); the program's 15-digit pi moves a leg far less than 1e-6 NM.
long double referenceNm(long double lat1, long double lon1, long double lat2, long double lon2)
{
    constexpr long double pi = std::numbers::pi_v<long double>;
    const auto rad = [&](long double deg) { return deg * pi / 180; };
    const long double h =
        std::pow(std::sin(rad(lat2 - lat1) / 2), 2.0L) +
        std::cos(rad(lat1)) * std::cos(rad(lat2)) * std::pow(std::sin(rad(lon2 - lon1) / 2), 2.0L);
    return 2 * std::asin(std::sqrt(h)) * 180 * 60 / pi;
}

} // namespace

class TestDistance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void legs_data();
    void legs();
    void realLegAgainstReference();
};

void TestDistance::legs_data()
{
    QTest::addColumn<GeoPoint>("from");
    QTest::addColumn<GeoPoint>("to");
    QTest::addColumn<QStringList>("texts"); // nautical, statute

    const GeoPoint jfk = point(dms("40", 38, 23), dms("073", 46, 44));
    QTest::newRow("same airport") << jfk << jfk << QStringList{"0.0", "0.0"};
    QTest::newRow("one degree along the equator")
        << point(dms("0"), dms("000")) << point(dms("0"), dms("001"))
        << QStringList{"60.0", "69.0"};
    QTest::newRow("-00 30' is south of 0 30'")
        << point(dms("-00", 30), dms("020")) << point(dms("0", 30), dms("020"))
        << QStringList{"60.0", "69.0"};
    QTest::newRow("half degrees round to even")
        << point(dms("0.5"), dms("0")) << point(dms("1.5"), dms("0"))
        << QStringList{"120.0", "138.1"};
    QTest::newRow("antipodes") << point(dms("10", 20, 30), dms("040", 50, 10))
                               << point(dms("-10", 20, 30), dms("-139", 9, 50))
                               << QStringList{"10,800.0", "12,428.4"};
    for (const char* bad : {"", "-", "N40", "32768"})
        QTest::addRow("unreadable degrees \"%s\"", bad)
            << jfk << point(dms("40", 38), dms(bad, 30)) << QStringList{"0.0", "0.0"};
}

void TestDistance::legs()
{
    QFETCH(GeoPoint, from);
    QFETCH(GeoPoint, to);
    QFETCH(QStringList, texts);

    const LegDistance leg = ComputeLeg(from, to);
    QCOMPARE((QStringList{leg.nmText, leg.smText}), texts);
    if (texts.first() == u"0.0")
        QCOMPARE(leg.nm, 0.0);                 // no leg at all, not a tiny one
    QCOMPARE(LegDistanceNM(to, from), leg.nm); // the same both ways, to the last bit
}

void TestDistance::realLegAgainstReference()
{
    // Sydney to Rio de Janeiro: south latitudes and an east longitude, all from a "-".
    const LegDistance leg = ComputeLeg(point(dms("-33", 56, 46), dms("-151", 10, 38)),
                                       point(dms("-22", 48, 36), dms("043", 15, 2)));
    const long double expected = referenceNm(-degrees(33, 56, 46), -degrees(151, 10, 38),
                                             -degrees(22, 48, 36), degrees(43, 15, 2));
    QVERIFY2(std::fabs(leg.nm - expected) < 1e-6,
             qPrintable(QStringLiteral("%1 against %2").arg(leg.nm).arg(double(expected))));
    QVERIFY(std::fabs(leg.sm - expected * 1.15078L) < 1e-6);
}

QTEST_GUILESS_MAIN(TestDistance)
#include "tst_distance.moc"
