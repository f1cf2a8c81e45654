#include "core/airports/airportentry.h"
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
};

QTEST_GUILESS_MAIN(TestAirportEntry)
#include "tst_airportentry.moc"
