#include "core/airports/airportrecord.h"
#include "core/airports/airporttext.h"
#include "core/distance.h"
#include "support/tablerows.h"

#include <QLocale>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

// The text forms of stored airport values and the conversion of decimal degrees
// from public airport data into the table's coordinates.
class TestAirportText : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void formats_data() { addTableRows(u"core/airports/airporttext-formats.txt"_s); }
    void formats()
    {
        QFETCH(QStringList, row);
        QLocale::setDefault(QLocale(row[1]));
        const QStringList stored = row[2].split(u' ');
        const Coordinate c{stored[0], stored.value(1).toShort(), stored.value(2).toDouble()};
        const std::optional<float> zone =
            row[2].isEmpty() ? std::nullopt : std::optional<float>(row[2].toFloat());
        QCOMPARE(row[0] == u"latitude"    ? FormatLatitude(c)
                 : row[0] == u"longitude" ? FormatLongitude(c)
                 : row[0] == u"use text"  ? UseText(row[2])
                 : row[0] == u"use code"  ? UseCode(row[2])
                                          : FormatTimeZone(zone),
                 row[3]);
    }

    // The table's form, measuring the same angle (north and west positive) in the
    // distance computation.
    void fromDecimal_data() { addTableRows(u"core/airports/airporttext-decimal.txt"_s); }
    void fromDecimal()
    {
        QFETCH(QStringList, row);
        const bool latitude = row[0] == u"latitude";
        const double decimal = row[1].toDouble();
        const Coordinate c =
            latitude ? latitudeFromDecimal(decimal) : longitudeFromDecimal(decimal);
        const QString table =
            u"%1 %2 %3"_s.arg(c.DegreesText).arg(c.Minutes).arg(c.Seconds, 0, 'g', 9);
        QCOMPARE(c.DegreesText.isEmpty() ? QString() : table, row[2]);
        if (row[2].isEmpty())
            return;
        const double radians = (latitude ? decimal : -decimal) * 3.14159265358979 / 180;
        QVERIFY(std::fabs(CoordinateRadians(c).value() - radians) <=
                0.0005 / 3600 * 0.0175 + 1e-12);
    }
};

QTEST_GUILESS_MAIN(TestAirportText)
#include "tst_airporttext.moc"
