#include "core/airports/airportrecord.h"
#include "core/airports/airporttext.h"
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
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void formats();
    void useCategory();
    void fromDecimal_data();
    void fromDecimal();
};

// The hemisphere comes from the degrees text ("-" is south or east, also for "-00"),
// seconds are rounded half away from zero to three decimals, time zones show their
// shortest form, and both use the user's decimal point.
void TestAirportText::formats()
{
    QCOMPARE(FormatLatitude({"40", 38, 23.1234}), "N40°38'23.123\"");
    QCOMPARE(FormatLatitude({"-00", 30, 15.5}), "S00°30'15.500\"");
    QCOMPARE(FormatLatitude({"7", 5, 9}), "N07°05'09.000\"");
    QCOMPARE(FormatLatitude({"12", 1, 1.0005}), "N12°01'01.001\"");
    QCOMPARE(FormatLongitude({"73", 46, 40}), "W073°46'40.000\"");
    QCOMPARE(FormatLongitude({"-008", 33, 4.5}), "E008°33'04.500\"");
    QCOMPARE(FormatLongitude({"-000", 27, 41}), "E000°27'41.000\"");

    QCOMPARE(FormatTimeZone(std::nullopt), QString());
    QCOMPARE(FormatTimeZone(0.0f), "0");
    QCOMPARE(FormatTimeZone(10.0f), "+10");
    QCOMPARE(FormatTimeZone(-5.5f), "-5.5");
    QCOMPARE(FormatTimeZone(0.1f), "+0.1"); // not the float's 0.100000001

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(FormatLatitude({"40", 38, 23.1234}), "N40°38'23,123\"");
    QCOMPARE(FormatTimeZone(5.5f), "+5,5");
}

void TestAirportText::useCategory()
{
    for (const auto& [code, word] : {std::pair{"P", "Public"}, std::pair{"M", "Military"},
                                     std::pair{"J", "Joint"}, std::pair{"V", "Private"}}) {
        QCOMPARE(UseText(code), word);
        QCOMPARE(UseCode(word), code);
    }
    QCOMPARE(UseText("X"), QString());
    QCOMPARE(UseText("Public"), QString());
    QCOMPARE(UseCode("Civil"), "J");
    QCOMPARE(UseCode(QString()), QString());
}

void TestAirportText::fromDecimal_data()
{
    QTest::addColumn<bool>("latitude");
    QTest::addColumn<double>("decimal");
    QTest::addColumn<QString>("stored"); // degrees text, minutes, seconds; empty: unreadable
    const auto row = [](const char* name, bool latitude, double decimal, const char* stored) {
        QTest::newRow(name) << latitude << decimal << QString(stored);
    };
    row("north", true, 40.639751, "40 38 23.104");
    row("south under one degree", true, -0.5, "-00 30 0");
    row("a hair south is the unsigned equator", true, -1e-9, "00 0 0");
    row("carry into the minute", true, 10 + 30 / 60.0 + 59.9996 / 3600, "10 31 0");
    row("south carry into the degree", true, -(59 / 60.0 + 59.9996 / 3600), "-01 0 0");
    row("beyond the pole", true, 90.5, "");
    row("not a number", false, std::numeric_limits<double>::quiet_NaN(), "");
    row("west is positive", false, -73.778925, "073 46 44.13");
    row("east is negative", false, 151.177222, "-151 10 37.999");
    row("east under one degree", false, 0.5, "-000 30 0");
    row("east carry into the degree", false, 8 + 59 / 60.0 + 59.9999 / 3600, "-009 0 0");
}

// The table's form, measuring the same angle (north and west positive) in the distance
// computation.
void TestAirportText::fromDecimal()
{
    QFETCH(bool, latitude);
    QFETCH(double, decimal);
    QFETCH(QString, stored);
    const Coordinate c = latitude ? latitudeFromDecimal(decimal) : longitudeFromDecimal(decimal);
    const QString table =
        QStringLiteral("%1 %2 %3").arg(c.DegreesText).arg(c.Minutes).arg(c.Seconds, 0, 'g', 9);
    QCOMPARE(c.DegreesText.isEmpty() ? QString() : table, stored);
    if (stored.isEmpty())
        return;
    const double radians = (latitude ? decimal : -decimal) * 3.14159265358979 / 180;
    QVERIFY(std::fabs(CoordinateRadians(c).value() - radians) <= 0.0005 / 3600 * 0.0175 + 1e-12);
}

QTEST_GUILESS_MAIN(TestAirportText)
#include "tst_airporttext.moc"
