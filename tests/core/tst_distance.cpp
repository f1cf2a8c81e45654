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

// North latitude positive, west longitude positive, as the airport records hold them.
const GeoPoint Jfk = point(dms("40", 38, 23), dms("073", 46, 44));
const GeoPoint Lhr = point(dms("51", 28, 39), dms("000", 27, 41));
const GeoPoint Syd = point(dms("-33", 56, 46), dms("-151", 10, 38));
const GeoPoint Gig = point(dms("-22", 48, 36), dms("043", 15, 2));

long double degreesOf(const Coordinate& c, int sign)
{
    const long double whole = std::stold(c.DegreesText.toStdString());
    return sign * (std::fabs(whole) + c.Minutes / 60.0L + c.Seconds / 3600.0L);
}

// An independent great-circle distance in long double with the full-precision pi;
// the program's 15-digit pi changes a leg by far less than the tolerance used.
long double referenceNm(const GeoPoint& from, const GeoPoint& to, int latSign1, int lonSign1,
                        int latSign2, int lonSign2)
{
    constexpr long double pi = std::numbers::pi_v<long double>;
    const long double toRad = pi / 180;
    const long double lat1 = degreesOf(from.latitude, latSign1) * toRad;
    const long double lon1 = degreesOf(from.longitude, lonSign1) * toRad;
    const long double lat2 = degreesOf(to.latitude, latSign2) * toRad;
    const long double lon2 = degreesOf(to.longitude, lonSign2) * toRad;
    const long double h =
        std::pow(std::sin((lat2 - lat1) / 2), 2.0L) +
        std::cos(lat1) * std::cos(lat2) * std::pow(std::sin((lon2 - lon1) / 2), 2.0L);
    const long double centralAngle = 2 * std::asin(std::sqrt(h));
    return centralAngle * 180 * 60 / pi;
}

} // namespace

class TestDistance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void coordinateRadians_data();
    void coordinateRadians();
    void unreadableCoordinates_data();
    void unreadableCoordinates();

    void legs_data();
    void legs();
    void symmetry_data();
    void symmetry();
    void realLegs_data();
    void realLegs();

    void arcSinAtAndBeyondOne();
};

void TestDistance::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestDistance::coordinateRadians_data()
{
    QTest::addColumn<QString>("degreesText");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("expectedDegrees");

    QTest::newRow("minus zero keeps the hemisphere") << "-00" << 30 << 0.0 << -0.5;
    QTest::newRow("zero is positive") << "0" << 30 << 0.0 << 0.5;
    QTest::newRow("minus zero seconds only") << "-000" << 0 << 36.0 << -0.01;
    QTest::newRow("degrees minutes seconds")
        << "40" << 38 << 23.0 << 40.0 + 38 / 60.0 + 23 / 3600.0;
    QTest::newRow("leading zeros") << "073" << 46 << 44.0 << 73.0 + 46 / 60.0 + 44 / 3600.0;
    QTest::newRow("plus sign") << "+12" << 0 << 0.0 << 12.0;
    QTest::newRow("blanks around") << " 12 " << 0 << 0.0 << 12.0;
    QTest::newRow("half degree rounds to even below") << "12.5" << 0 << 0.0 << 12.0;
    QTest::newRow("half degree rounds to even above") << "13.5" << 0 << 0.0 << 14.0;
    QTest::newRow("negative half rounds to even") << "-12.5" << 0 << 0.0 << -12.0;
    QTest::newRow("largest whole degrees") << "32767" << 0 << 0.0 << 32767.0;
}

void TestDistance::coordinateRadians()
{
    QFETCH(QString, degreesText);
    QFETCH(int, minutes);
    QFETCH(double, seconds);
    QFETCH(double, expectedDegrees);

    const std::optional<double> radians =
        CoordinateRadians(Coordinate{degreesText, qint16(minutes), seconds});
    QVERIFY(radians.has_value());
    QVERIFY2(std::fabs(*radians * 180 / std::numbers::pi - expectedDegrees) < 1e-9,
             qPrintable(QString::number(*radians * 180 / std::numbers::pi, 'g', 17)));
}

void TestDistance::unreadableCoordinates_data()
{
    QTest::addColumn<QString>("degreesText");

    QTest::newRow("empty") << "";
    QTest::newRow("lone minus") << "-";
    QTest::newRow("letters") << "N40";
    QTest::newRow("beyond 16 bits") << "32768";
    QTest::newRow("negative beyond 16 bits") << "-40000";
}

void TestDistance::unreadableCoordinates()
{
    QFETCH(QString, degreesText);
    const Coordinate bad{degreesText, 30, 0};
    QVERIFY(!CoordinateRadians(bad).has_value());

    // Any unreadable coordinate, in either point, makes the leg 0.
    const GeoPoint badPoints[] = {point(bad, Jfk.longitude), point(Jfk.latitude, bad)};
    for (const GeoPoint& badPoint : badPoints) {
        QCOMPARE(LegDistanceNM(badPoint, Lhr), 0.0);
        QCOMPARE(LegDistanceNM(Lhr, badPoint), 0.0);
        const LegDistance leg = ComputeLeg(Lhr, badPoint);
        QCOMPARE(leg.nm, 0.0);
        QCOMPARE(leg.sm, 0.0);
        QCOMPARE(leg.nmText, QStringLiteral("0.0"));
        QCOMPARE(leg.smText, QStringLiteral("0.0"));
    }
}

void TestDistance::legs_data()
{
    QTest::addColumn<GeoPoint>("from");
    QTest::addColumn<GeoPoint>("to");
    QTest::addColumn<QString>("nmText");
    QTest::addColumn<QString>("smText");

    QTest::newRow("same airport") << Jfk << Jfk << "0.0"
                                  << "0.0";
    QTest::newRow("one degree along the equator")
        << point(dms("0"), dms("000")) << point(dms("0"), dms("001")) << "60.0"
        << "69.0";
    QTest::newRow("one degree along a meridian")
        << point(dms("45"), dms("010")) << point(dms("46"), dms("010")) << "60.0"
        << "69.0";
    QTest::newRow("half degree across the equator")
        << point(dms("-00", 15), dms("020")) << point(dms("00", 15), dms("020")) << "30.0"
        << "34.5";
    QTest::newRow("across Greenwich by minus zero")
        << point(dms("0"), dms("-000", 30)) << point(dms("0"), dms("000", 30)) << "60.0"
        << "69.0";
    QTest::newRow("antipodes on the equator")
        << point(dms("0"), dms("000")) << point(dms("0"), dms("180")) << "10,800.0"
        << "12,428.4";
    QTest::newRow("antipodal airports")
        << point(dms("10", 20, 30), dms("040", 50, 10))
        << point(dms("-10", 20, 30), dms("-139", 9, 50)) << "10,800.0"
        << "12,428.4";
}

void TestDistance::legs()
{
    QFETCH(GeoPoint, from);
    QFETCH(GeoPoint, to);
    QFETCH(QString, nmText);
    QFETCH(QString, smText);

    const LegDistance leg = ComputeLeg(from, to);
    QCOMPARE(leg.nmText, nmText);
    QCOMPARE(leg.smText, smText);
    QCOMPARE(leg.nm, LegDistanceNM(from, to));
}

void TestDistance::symmetry_data()
{
    QTest::addColumn<GeoPoint>("from");
    QTest::addColumn<GeoPoint>("to");

    QTest::newRow("JFK LHR") << Jfk << Lhr;
    QTest::newRow("SYD GIG") << Syd << Gig;
    QTest::newRow("across the date line")
        << point(dms("10"), dms("179", 30)) << point(dms("-10"), dms("-179", 30));
}

void TestDistance::symmetry()
{
    QFETCH(GeoPoint, from);
    QFETCH(GeoPoint, to);

    const double there = LegDistanceNM(from, to);
    QVERIFY(there > 0);
    QVERIFY2(there == LegDistanceNM(to, from), "a leg must measure the same both ways");
    QCOMPARE(ComputeLeg(to, from).nmText, ComputeLeg(from, to).nmText);
}

void TestDistance::realLegs_data()
{
    QTest::addColumn<GeoPoint>("from");
    QTest::addColumn<GeoPoint>("to");
    // The hemispheres spelt out, so that the reading of a leading "-" is checked too.
    QTest::addColumn<QList<int>>("signs"); // latitude, longitude of from; then of to

    QTest::newRow("JFK LHR") << Jfk << Lhr << QList<int>{1, 1, 1, 1};
    QTest::newRow("SYD GIG") << Syd << Gig << QList<int>{-1, -1, -1, 1};
}

void TestDistance::realLegs()
{
    QFETCH(GeoPoint, from);
    QFETCH(GeoPoint, to);
    QFETCH(QList<int>, signs);

    const long double expected = referenceNm(from, to, signs[0], signs[1], signs[2], signs[3]);
    const LegDistance leg = ComputeLeg(from, to);
    QVERIFY2(std::fabs(leg.nm - expected) < 1e-6,
             qPrintable(QStringLiteral("%1 against %2")
                            .arg(leg.nm, 0, 'f', 9)
                            .arg(double(expected), 0, 'f', 9)));
    QVERIFY(std::fabs(leg.sm - expected * 1.15078L) < 1e-6);
}

// Rounding can push the haversine just past 1 for nearly opposite points; the leg then
// measures half the world instead of failing.
void TestDistance::arcSinAtAndBeyondOne()
{
    QVERIFY(std::fabs(ArcSin(1.0) - std::numbers::pi / 2) < 1e-14);
    QCOMPARE(ArcSin(1.0000000000000002), ArcSin(1.0));
    QVERIFY(!std::isnan(ArcSin(2.0)));
}

QTEST_GUILESS_MAIN(TestDistance)
#include "tst_distance.moc"
