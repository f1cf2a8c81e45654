#include "airports/airportrecord.h"
#include "airports/airporttext.h"
#include "core/distance.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

// The text forms of stored airport values and the conversion of decimal degrees
// from public airport data into the table's coordinates.
class TestAirportText : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void coordinateText_data();
    void coordinateText();
    void formatTimeZone_data();
    void formatTimeZone();
    void localeDecimalPoint();
    void useText_data();
    void useText();
    void useCode_data();
    void useCode();

    void fromDecimal_data();
    void fromDecimal();
    void realAirports_data();
    void realAirports();
};

void TestAirportText::init()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestAirportText::coordinateText_data()
{
    QTest::addColumn<bool>("latitude");
    QTest::addColumn<QString>("degrees");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char* name, bool latitude, const char* degrees, int minutes,
                        double seconds, const char* expected) {
        QTest::newRow(name) << latitude << QString::fromLatin1(degrees) << minutes << seconds
                            << QString::fromUtf8(expected);
    };
    row("north, seconds to three decimals", true, "40", 38, 23.1234, "N40°38'23.123\"");
    row("south", true, "-05", 30, 0, "S05°30'00.000\"");
    row("south under one degree", true, "-00", 30, 15.5, "S00°30'15.500\"");
    row("zero without sign is north", true, "00", 0, 0, "N00°00'00.000\"");
    row("one digit padded", true, "7", 5, 9, "N07°05'09.000\"");
    row("half a thousandth rounds away from zero", true, "12", 1, 1.0005, "N12°01'01.001\"");
    row("west has no sign", false, "073", 46, 40, "W073°46'40.000\"");
    row("east is stored with a minus", false, "-008", 33, 4.5, "E008°33'04.500\"");
    row("east under one degree", false, "-000", 27, 41, "E000°27'41.000\"");
    row("two digits padded to three", false, "73", 0, 0, "W073°00'00.000\"");
}

void TestAirportText::coordinateText()
{
    QFETCH(bool, latitude);
    QFETCH(QString, degrees);
    QFETCH(int, minutes);
    QFETCH(double, seconds);
    QFETCH(QString, expected);
    const Coordinate c{degrees, qint16(minutes), seconds};
    QCOMPARE(latitude ? FormatLatitude(c) : FormatLongitude(c), expected);
}

void TestAirportText::formatTimeZone_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<float>("hours");
    QTest::addColumn<QString>("expected");

    QTest::newRow("missing") << false << 0.0f << "";
    QTest::newRow("zero") << true << 0.0f << "0";
    QTest::newRow("minus zero") << true << -0.0f << "0";
    QTest::newRow("ten") << true << 10.0f << "+10";
    QTest::newRow("quarter") << true << 5.25f << "+5.25";
    QTest::newRow("negative half") << true << -5.5f << "-5.5";
    QTest::newRow("negative three quarters") << true << -3.75f << "-3.75";
    QTest::newRow("single precision shows its own shortest form") << true << 0.1f << "+0.1";
}

void TestAirportText::formatTimeZone()
{
    QFETCH(bool, present);
    QFETCH(float, hours);
    QFETCH(QString, expected);
    QCOMPARE(FormatTimeZone(present ? std::optional<float>(hours) : std::nullopt), expected);
}

void TestAirportText::localeDecimalPoint()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(FormatLatitude(Coordinate{QStringLiteral("40"), 38, 23.1234}),
             QString::fromUtf8("N40°38'23,123\""));
    QCOMPARE(FormatTimeZone(5.5f), QStringLiteral("+5,5"));
}

void TestAirportText::useText_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("word");

    QTest::newRow("P") << "P"
                       << "Public";
    QTest::newRow("M") << "M"
                       << "Military";
    QTest::newRow("J") << "J"
                       << "Joint";
    QTest::newRow("V") << "V"
                       << "Private";
    QTest::newRow("unknown code") << "X"
                                  << "";
    QTest::newRow("a word is not a code") << "Public"
                                          << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestAirportText::useText()
{
    QFETCH(QString, code);
    QFETCH(QString, word);
    QCOMPARE(UseText(code), word);
}

void TestAirportText::useCode_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("code");

    QTest::newRow("Public") << "Public"
                            << "P";
    QTest::newRow("Military") << "Military"
                              << "M";
    QTest::newRow("Joint") << "Joint"
                           << "J";
    QTest::newRow("Private") << "Private"
                             << "V";
    QTest::newRow("a word outside the list is joint") << "Civil"
                                                      << "J";
    QTest::newRow("empty stays empty") << ""
                                       << "";
}

void TestAirportText::useCode()
{
    QFETCH(QString, word);
    QFETCH(QString, code);
    QCOMPARE(UseCode(word), code);
}

void TestAirportText::fromDecimal_data()
{
    QTest::addColumn<bool>("latitude");
    QTest::addColumn<double>("decimal");
    QTest::addColumn<QString>("degrees");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<double>("seconds");

    const auto row = [](const char* name, bool latitude, double decimal, const char* degrees,
                        int minutes, double seconds) {
        QTest::newRow(name) << latitude << decimal << QString::fromLatin1(degrees) << minutes
                            << seconds;
    };
    row("north", true, 40.639751, "40", 38, 23.104);
    row("south", true, -33.946111, "-33", 56, 46);
    row("south within one degree of the equator", true, -0.5, "-00", 30, 0);
    row("equator", true, 0, "00", 0, 0);
    row("a hair south rounds to the equator, unsigned", true, -1e-9, "00", 0, 0);
    row("seconds carry into the minute", true, 10 + 30 / 60.0 + 59.9996 / 3600, "10", 31, 0);
    row("seconds carry into the degree", true, 10 + 59 / 60.0 + 59.9996 / 3600, "11", 0, 0);
    row("south carry keeps the sign", true, -(59 / 60.0 + 59.9996 / 3600), "-01", 0, 0);
    row("pole", true, 90, "90", 0, 0);
    row("beyond the pole is no coordinate", true, 90.5, "", 0, 0);
    row("not a number", true, std::numeric_limits<double>::quiet_NaN(), "", 0, 0);
    row("west is positive in the table", false, -73.778925, "073", 46, 44.13);
    row("east is negative in the table", false, 151.177222, "-151", 10, 37.999);
    row("east within one degree of the meridian", false, 0.5, "-000", 30, 0);
    row("zero meridian", false, 0, "000", 0, 0);
    row("east carry into the degree", false, 8 + 59 / 60.0 + 59.9999 / 3600, "-009", 0, 0);
    row("antimeridian from the east", false, 180, "-180", 0, 0);
    row("beyond the antimeridian is no coordinate", false, -180.5, "", 0, 0);
}

void TestAirportText::fromDecimal()
{
    QFETCH(bool, latitude);
    QFETCH(double, decimal);
    QFETCH(QString, degrees);
    QFETCH(int, minutes);
    QFETCH(double, seconds);
    const Coordinate c = latitude ? latitudeFromDecimal(decimal) : longitudeFromDecimal(decimal);
    QCOMPARE(c.DegreesText, degrees);
    QCOMPARE(c.Minutes, qint16(minutes));
    QCOMPARE(c.Seconds, seconds);
}

void TestAirportText::realAirports_data()
{
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::addColumn<QString>("shown");

    QTest::newRow("KJFK") << 40.639751 << -73.778925
                          << QString::fromUtf8("N40°38'23.104\" W073°46'44.130\"");
    QTest::newRow("EGLL") << 51.4706 << -0.461941
                          << QString::fromUtf8("N51°28'14.160\" W000°27'42.988\"");
    QTest::newRow("YSSY") << -33.946111 << 151.177222
                          << QString::fromUtf8("S33°56'46.000\" E151°10'37.999\"");
    QTest::newRow("SEQM") << -0.1411 << -78.4882
                          << QString::fromUtf8("S00°08'27.960\" W078°29'17.520\"");
    QTest::newRow("HUEN") << 0.042386 << 32.443503
                          << QString::fromUtf8("N00°02'32.590\" E032°26'36.611\"");
}

// A converted position shows in the hemisphere the data gave and measures the same
// angle (north and west positive) in the distance computation.
void TestAirportText::realAirports()
{
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    QFETCH(QString, shown);
    const Coordinate lat = latitudeFromDecimal(latitude);
    const Coordinate lon = longitudeFromDecimal(longitude);
    QCOMPARE(FormatLatitude(lat) + QLatin1Char(' ') + FormatLongitude(lon), shown);

    const double radiansPerDegree = 3.14159265358979 / 180;
    const double tolerance = 0.0005 / 3600 * radiansPerDegree + 1e-12;
    QVERIFY(std::fabs(CoordinateRadians(lat).value() - latitude * radiansPerDegree) <= tolerance);
    QVERIFY(std::fabs(CoordinateRadians(lon).value() + longitude * radiansPerDegree) <= tolerance);
}

QTEST_GUILESS_MAIN(TestAirportText)
#include "tst_airporttext.moc"
