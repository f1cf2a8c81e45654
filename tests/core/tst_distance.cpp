#include "core/distance.h"
#include "core/format.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <numbers>

Q_DECLARE_METATYPE(GeoPoint)

namespace {

// A point as the airport records hold it: degrees as text, a leading "-" for south or east.
GeoPoint point(const char* latitude, qint16 latMinutes, const char* longitude,
               qint16 longMinutes = 0, double latSeconds = 0, double longSeconds = 0)
{
    return GeoPoint{{QString::fromLatin1(latitude), latMinutes, latSeconds},
                    {QString::fromLatin1(longitude), longMinutes, longSeconds}};
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

    void legs_data()
    {
        QTest::addColumn<GeoPoint>("from");
        QTest::addColumn<GeoPoint>("to");
        QTest::addColumn<QStringList>("texts"); // nautical, statute
        const GeoPoint jfk = point("40", 38, "073", 46, 23, 44);
        QTest::newRow("same airport") << jfk << jfk << QStringList{"0.0", "0.0"};
        QTest::newRow("one degree along the equator")
            << point("0", 0, "000") << point("0", 0, "001") << QStringList{"60.0", "69.0"};
        QTest::newRow("-00 30' is south of 0 30'")
            << point("-00", 30, "020") << point("0", 30, "020") << QStringList{"60.0", "69.0"};
        QTest::newRow("half degrees round to even")
            << point("0.5", 0, "0") << point("1.5", 0, "0") << QStringList{"120.0", "138.1"};
        QTest::newRow("antipodes")
            << point("10", 20, "040", 50, 30, 10) << point("-10", 20, "-139", 9, 30, 50)
            << QStringList{"10,800.0", "12,428.4"};
        for (const char* bad : {"", "-", "N40", "32768"})
            QTest::addRow("unreadable degrees \"%s\"", bad)
                << jfk << point("40", 38, bad, 30) << QStringList{"0.0", "0.0"};
    }
    void legs()
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

    void realLegAgainstReference()
    {
        // Sydney to Rio de Janeiro: south latitudes and an east longitude, all from a "-".
        const LegDistance leg =
            ComputeLeg(point("-33", 56, "-151", 10, 46, 38), point("-22", 48, "043", 15, 36, 2));
        const long double expected =
            referenceNm(-(33 + 56 / 60.0L + 46 / 3600.0L), -(151 + 10 / 60.0L + 38 / 3600.0L),
                        -(22 + 48 / 60.0L + 36 / 3600.0L), 43 + 15 / 60.0L + 2 / 3600.0L);
        QVERIFY2(std::fabs(leg.nm - expected) < 1e-6,
                 qPrintable(QStringLiteral("%1 against %2").arg(leg.nm).arg(double(expected))));
        QVERIFY(std::fabs(leg.sm - expected * 1.15078L) < 1e-6);
    }

    // Against GeographicLib's own GeodSolve (-i -p 12) on the same positions, and the
    // sphere beside it: the ellipsoid is chosen only where asked for.
    void ellipsoid_data()
    {
        QTest::addColumn<GeoPoint>("from");
        QTest::addColumn<GeoPoint>("to");
        QTest::addColumn<double>("geodSolve");
        QTest::addColumn<QString>("sphere");
        QTest::newRow("KTEB-EGLL") << point("40", 51, "074", 3, 0.364, 38.876)
                                   << point("51", 28, "000", 27, 14.693, 35.672) << 3001.4657648
                                   << QStringLiteral("2,991.4");
        QTest::newRow("Sydney-Rio, south and east")
            << point("-33", 56, "-151", 10, 45.6, 37.2) << point("-22", 48, "043", 15, 36, 0)
            << 7311.6059661 << QStringLiteral("7,296.4");
        QTest::newRow("nearly antipodal")
            << point("10", 20, "040", 50, 30, 10) << point("-10", 20, "-139", 9, 30, 50)
            << 10801.2588869 << QStringLiteral("10,800.0");
        QTest::newRow("over the 180th meridian")
            << point("0", 0, "000") << point("0", 30, "-179", 30) << 10764.7346539
            << QStringLiteral("10,757.6");
    }
    void ellipsoid()
    {
        QFETCH(GeoPoint, from);
        QFETCH(GeoPoint, to);
        QFETCH(double, geodSolve);
        QFETCH(QString, sphere);
        const LegDistance leg = ComputeLeg(from, to, DistanceModel::Wgs84);
        QVERIFY2(std::fabs(leg.nm - geodSolve) < 1e-6, qPrintable(QString::number(leg.nm, 'f', 7)));
        QCOMPARE(leg.nmText, Format::number(geodSolve, Format::LegMiles));
        QCOMPARE(ComputeLeg(from, to).nmText, sphere);
    }
};

QTEST_GUILESS_MAIN(TestDistance)
#include "tst_distance.moc"
