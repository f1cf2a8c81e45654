#include "airports/airportentry.h"
#include "core/engine.h"

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

    void checksInSavesOrder_data()
    {
        QTest::addColumn<QString>("emptied"); // the fields left empty, in no order
        QTest::addColumn<Field>("field");
        QTest::addColumn<QString>("message");
        QTest::newRow("everything") << "ident name latitude country elevation runway zone type"
                                    << Field::Ident << "Enter Airport Identifier.";
        QTest::newRow("short identifier")
            << "short" << Field::Ident << "Airport Identifier must be 3 or 4 Characters.";
        QTest::newRow("name before the position")
            << "name latitude" << Field::Name << "Enter Airport Name.";
        QTest::newRow("latitude") << "latitude country" << Field::Latitude << "Enter Latitude.";
        QTest::newRow("country before the numbers")
            << "country zone" << Field::Country << "Enter Country.";
        QTest::newRow("elevation") << "elevation runway" << Field::Elevation << "Enter Elevation.";
        QTest::newRow("runway") << "runway zone" << Field::RunwayLength << "Enter Runway Length.";
        QTest::newRow("time zone") << "zone type" << Field::TimeZone << "Enter Time Zone.";
        QTest::newRow("type") << "type" << Field::Type
                              << "Select Type Airport (Public, Military, Joint or Private).";
    }
    void checksInSavesOrder()
    {
        QFETCH(QString, emptied);
        AirportEntry e = complete();
        QVERIFY(!e.check());
        const QStringList gone = emptied.split(u' ');
        if (gone.contains(u"ident"_s))
            e.ident.clear();
        if (gone.contains(u"short"_s))
            e.ident = u"ZZ"_s;
        if (gone.contains(u"name"_s))
            e.name.clear();
        if (gone.contains(u"latitude"_s))
            e.latitude.error = u"Enter Latitude."_s;
        if (gone.contains(u"country"_s))
            e.country.clear();
        if (gone.contains(u"elevation"_s))
            e.elevation.clear();
        if (gone.contains(u"runway"_s))
            e.runwayLength.clear();
        if (gone.contains(u"zone"_s))
            e.timeZone.clear();
        if (gone.contains(u"type"_s))
            e.type.clear();
        const std::optional<AirportEntry::Refusal> refusal = e.check();
        QVERIFY(refusal);
        QTEST(refusal->field, "field");
        QTEST(refusal->message, "message");
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

    void timeZoneLeaveRule()
    {
        using AirportEntryRules::leaveTimeZone;
        QCOMPARE(leaveTimeZone(u"05.50"_s).text, u"+5.5"_s);
        QVERIFY(!leaveTimeZone(u"05.50"_s).refused);
        QVERIFY(!leaveTimeZone(u"-3.75"_s).refused);
        QVERIFY(leaveTimeZone(u"5.4"_s).refused);
        QVERIFY(leaveTimeZone(u"13"_s).refused);
        QCOMPARE(leaveTimeZone(u"+"_s).text, QString()); // not a number: emptied
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(leaveTimeZone(u"5,75"_s).text, u"+5,75"_s);
    }

    void keyRules()
    {
        using namespace AirportEntryRules;
        QVERIFY(!refusesElevationKey(u""_s, 0, u'-'));
        QVERIFY(refusesElevationKey(u"12"_s, 2, u'-'));
        QVERIFY(refusesElevationKey(u"-1"_s, 0, u'-'));
        QVERIFY(!refusesTimeZoneKey(u"5"_s, 1, u"."_s));
        QVERIFY(refusesTimeZoneKey(u"5.5"_s, 3, u"."_s));
        QVERIFY(!refusesTimeZoneKey(u"5"_s, 0, u"+"_s));
        QVERIFY(refusesTimeZoneKey(u"+5"_s, 0, u"-"_s));
        QVERIFY(refusesTimeZoneKey(u""_s, 0, u"x"_s));
    }
};

QTEST_GUILESS_MAIN(TestAirportEntry)
#include "tst_airportentry.moc"
