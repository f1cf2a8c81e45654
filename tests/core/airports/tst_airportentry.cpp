#include "core/airports/airportentry.h"
#include "core/airports/coordinateparse.h"
#include "core/db/engine.h"

#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;
using Field = AirportEntry::Field;

Q_DECLARE_METATYPE(AirportEntry::Field)

namespace {

// A complete entry, as Save takes it.
AirportEntry complete()
{
    AirportEntry e;
    e.ident = u"ZZEQ"_s;
    e.name = u"EQUATOR STRIP"_s;
    e.latitude.coordinate = Coordinate{u"-00"_s, 30, 15.5};
    e.longitude.coordinate = Coordinate{u"-000"_s, 45, 0};
    e.country = u"UGANDA"_s;
    e.elevation = u"-11"_s;
    e.runwayLength = u"3658"_s;
    e.timeZone = u"+3"_s;
    e.type = u"Joint"_s;
    return e;
}

} // namespace

// The airport editor's rules without its window: Save's checks in their order, the
// record it stores, the time zone's leave rule and the number fields' key rules.
class TestAirportEntry : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The window's test walks Save's checks in order with keys; here, only that a
    // complete entry passes and the first gap is the one named.
    void checkNamesTheFirstGap()
    {
        AirportEntry e = complete();
        QVERIFY(!e.check());
        e.timeZone.clear();
        e.type.clear();
        const std::optional<AirportEntry::Refusal> refusal = e.check();
        QVERIFY(refusal);
        QCOMPARE(refusal->field, Field::TimeZone);
        QCOMPARE(refusal->message, u"Enter Time Zone."_s);
    }

    void recordTakesWhatTheTableHolds()
    {
        AirportEntry e = complete();
        e.runwayWidth = u"98.5"_s; // halves to the even neighbour
        const AirportRecord r = e.record();
        QCOMPARE(r.ELEVATION, -11);
        QCOMPARE(r.RUNWAY_WIDTH, std::optional<qint16>(98));
        QCOMPARE(r.TIME_ZONE, std::optional<float>(3));
        QCOMPARE(r.PUB_MIL, u"J"_s);
        e.runwayWidth = u"40000"_s; // beyond the column
        QVERIFY_THROWS_EXCEPTION(Db::DbError, e.record());
    }

    // Typed through the window in its tests; here the German decimal sign.
    void timeZoneLeaveRuleInTheUsersForm()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const AirportEntryRules::TimeZoneLeave leave = AirportEntryRules::leaveTimeZone(u"5,75"_s);
        QCOMPARE(leave.text, u"+5,75"_s);
        QVERIFY(!leave.refused);
        QVERIFY(AirportEntryRules::leaveTimeZone(u"5,4"_s).refused);
        QVERIFY(AirportEntryRules::refusesTimeZoneKey(u"5"_s, 1, u"."_s));
        QVERIFY(!AirportEntryRules::refusesTimeZoneKey(u"5"_s, 1, u","_s));
    }

    // A coordinate entry's text read by position; "_" marks an unfilled position.
    void parseCoordinateEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("latitude");
        QTest::addColumn<QString>("read"); // degrees minutes seconds, or the message
        const QString deg = u"\u00B0"_s;
        const auto row = [](const char* name, const QString& entry, bool latitude,
                            const char* read) { QTest::newRow(name) << entry << latitude << read; };
        row("nothing after the letter", "N__" + deg + "__'__.___\"", true, "Enter Latitude.");
        row("one degree digit", "N4_" + deg + "00'__.___\"", true, "Invalid Latitude.");
        row("no letter is north", "_40" + deg + "38'23.123\"", true, "40 38 23.123");
        row("south", "S05" + deg + "30'00.000\"", true, "-05 30 0");
        row("east within one degree", "E000" + deg + "30'", false, "-000 30 0");
        row("just below 90", "N89" + deg + "59'59.999\"", true, "89 59 59.999");
        row("90 degrees", "N90" + deg + "00'__.___\"", true, "Invalid Latitude.");
        row("longitude 180", "W180" + deg + "00'__.___\"", false, "Invalid Longitude.");
        row("minutes 60", "N10" + deg + "60'00.000\"", true, "Invalid Latitude.");
        row("seconds 60", "N10" + deg + "00'60.000\"", true, "Invalid Latitude.");
        row("half-typed seconds are 0", "N10" + deg + "05'3_.___\"", true, "10 5 0");
        row("unfilled decimals are 0", "W073" + deg + "46'12.5__\"", false, "073 46 12.5");
    }
    void parseCoordinateEntry()
    {
        QFETCH(QString, entry);
        QFETCH(bool, latitude);
        QFETCH(QString, read);
        const auto text = [](const CoordinateReading& r) {
            const Coordinate& c = r.coordinate;
            return r.ok() ? u"%1 %2 %3"_s.arg(c.DegreesText).arg(c.Minutes).arg(c.Seconds)
                          : r.error;
        };
        const CoordinateReading r = ParseCoordinateEntry(entry, latitude);
        QCOMPARE(text(r), read);
        // A stored coordinate shown in the entry reads back as itself.
        if (r.ok())
            QCOMPARE(
                text(ParseCoordinateEntry(CoordinateEntryText(r.coordinate, latitude), latitude)),
                read);
    }
};

QTEST_GUILESS_MAIN(TestAirportEntry)
#include "tst_airportentry.moc"
