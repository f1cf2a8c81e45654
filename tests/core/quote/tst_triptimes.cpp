#include "core/quote/triptimes.h"

#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// KTEB to Aspen and back, 1,450.2 NM each way, on the airports' own clocks.
QList<RouteLeg> roundTrip()
{
    const RouteStop teterboro{u"KTEB"_s, u"TETERBORO"_s, {}, {}, u"America/New_York"_s, -5};
    const RouteStop aspen{u"KASE"_s, u"ASPEN-PITKIN CO"_s, {}, {}, u"America/Denver"_s, -7};
    return {RouteLeg{teterboro, {}, {}}, RouteLeg{aspen, u"1,450.2"_s, u"1,668.9"_s},
            RouteLeg{teterboro, u"1,450.2"_s, u"1,668.9"_s}};
}

AircraftProfile midsize()
{
    AircraftProfile jet;
    jet.name = u"Midsize"_s;
    jet.cruiseKnots = 450;
    jet.taxiMinutes = 10;
    jet.hourlyRate = 4500;
    jet.rangeNm = 1400;
    return jet;
}

} // namespace

class TestTripTimes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The legs with the plan: flight and block from the aircraft, billed by the tenth, the
    // later leg leaving after the ground time unless its own departure is typed, and no
    // schedule without an aircraft.
    void legsWithThePlan_data()
    {
        QTest::addColumn<bool>("aircraft");
        QTest::addColumn<bool>("departure");
        QTest::addColumn<bool>("secondTyped");
        QTest::addColumn<QString>("legs");
        QTest::addColumn<int>("billable");
        QTest::newRow("aircraft and departure")
            << true << true << false
            << u"3:13 3:23 Fri 12 Jun 09:30 EDT>Fri 12 Jun 10:53 MDT | "
               "3:13 3:23 Fri 12 Jun 11:53 MDT>Fri 12 Jun 17:16 EDT"_s
            << 66;
        QTest::newRow("second departure typed")
            << true << true << true
            << u"3:13 3:23 Fri 12 Jun 09:30 EDT>Fri 12 Jun 10:53 MDT | "
               "3:13 3:23 Sat 13 Jun 08:00 MDT>Sat 13 Jun 13:23 EDT"_s
            << 66;
        QTest::newRow("aircraft, no departure")
            << true << false << false << u"3:13 3:23 > | 3:13 3:23 >"_s << 66;
        QTest::newRow("departure, no aircraft") << false << true << false << u"  > |   >"_s << 0;
    }
    void legsWithThePlan()
    {
        QFETCH(bool, aircraft);
        QFETCH(bool, departure);
        QFETCH(bool, secondTyped);
        QFETCH(QString, legs);
        QFETCH(int, billable);
        TripPlan plan;
        if (aircraft)
            plan.aircraft = midsize();
        if (departure)
            plan.departure = Schedule::TypedTime{QDate(2026, 6, 12), QTime(9, 30)};
        if (secondTyped)
            plan.laterDepartures.insert(2, {QDate(2026, 6, 13), QTime(8, 0)});
        const TripTimes trip = timeTrip(roundTrip(), plan);
        QStringList shown;
        for (const TripLeg& leg : trip.legs)
            shown << leg.flightText + u' ' + leg.blockText + u' ' + leg.when.departureText + u'>' +
                         leg.when.arrivalText;
        QCOMPARE(shown.join(u" | "_s), legs);
        QCOMPARE(trip.billableTenths, billable);
        QCOMPARE(trip.beyondRange, aircraft ? (QList<int>{1, 2}) : QList<int>());
        QVERIFY(trip.refusal.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTripTimes)
#include "tst_triptimes.moc"
