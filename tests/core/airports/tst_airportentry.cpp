#include "core/airports/airportentry.h"
#include "core/airports/coordinateparse.h"
#include "core/db/engine.h"
#include "support/tablerows.h"

#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;
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

    // Save's checks in their order: each row empties the entry from one field on (in
    // check order), so only the order decides which field is named.
    void checkNamesTheFirstGap_data() { addTableRows(u"core/airports/airportentry-checks.txt"_s); }
    void checkNamesTheFirstGap()
    {
        QFETCH(QStringList, row);
        AirportEntry e = complete();
        QVERIFY(!e.check());
        e.ident = row[1];
        // In check order; the coordinates hold their error.
        QString* const texts[] = {&e.ident,           &e.name,     &e.latitude.error,
                                  &e.longitude.error, &e.country,  &e.elevation,
                                  &e.runwayLength,    &e.timeZone, &e.type};
        for (int gap = std::max(row[0].toInt(), 1); gap < int(std::size(texts)); ++gap)
            *texts[gap] = gap == 2 || gap == 3 ? row[2] : QString();
        const std::optional<AirportEntry::Refusal> refusal = e.check();
        QVERIFY(refusal);
        QCOMPARE(int(refusal->field), row[0].toInt());
        QCOMPARE(refusal->message, row[2]);
    }

    void recordTakesWhatTheTableHolds()
    {
        AirportEntry e = complete();
        e.runwayWidth = u"98.5"_s; // halves to the even neighbour
        e.iata = u"ebb"_s;
        e.city = u"ENTEBBE "_s;
        const AirportRecord r = e.record();
        QCOMPARE(std::pair(r.IATA, r.CITY), std::pair(u"EBB"_s, u"ENTEBBE"_s));
        for (const QString& code : {u"EB"_s, u"EB1"_s, u"\u00C9BB"_s}) {
            e.iata = code;
            QCOMPARE(e.check().value_or(AirportEntry::Refusal{}).field, AirportEntry::Field::Iata);
        }
        QCOMPARE(r.ELEVATION, -11);
        QCOMPARE(r.RUNWAY_WIDTH, std::optional<qint16>(98));
        QCOMPARE(r.TIME_ZONE, std::optional<float>(3));
        QCOMPARE(r.PUB_MIL, u"J"_s);
        e.runwayWidth = u"40000"_s; // beyond the column
        QVERIFY_THROWS_EXCEPTION(Db::DbError, e.record());
    }

    // Leaving the time zone: the text in its shortest form, and whether the focus stays.
    void timeZoneLeaveRule_data() { addTableRows(u"core/airports/airportentry-timezone.txt"_s); }
    void timeZoneLeaveRule()
    {
        QFETCH(QStringList, row);
        QLocale::setDefault(QLocale(row[0]));
        const AirportEntryRules::TimeZoneLeave leave = AirportEntryRules::leaveTimeZone(row[1]);
        QCOMPARE(leave.text, row[2]);
        QCOMPARE(leave.refused, row[3] == u"refused");
    }

    // The number fields' key rules: whether a typed character is dropped, given the
    // text around it and where it goes.
    void keyRules_data() { addTableRows(u"core/airports/airportentry-keys.txt"_s); }
    void keyRules()
    {
        QFETCH(QStringList, row);
        QLocale::setDefault(QLocale(row[1]));
        const int at = row[3].toInt();
        QCOMPARE(row[0] == u"time zone"
                     ? AirportEntryRules::refusesTimeZoneKey(row[2], at, row[4])
                     : AirportEntryRules::refusesElevationKey(row[2], at, row[4][0]),
                 row[5] == u"refused");
    }

    // A coordinate entry's text read by position, and a stored coordinate shown in the
    // entry reading back as itself.
    void parseCoordinateEntry_data()
    {
        addTableRows(u"core/airports/airportentry-coordinates.txt"_s);
    }
    void parseCoordinateEntry()
    {
        QFETCH(QStringList, row);
        const bool latitude = row[0] == u"latitude";
        const auto text = [](const CoordinateReading& r) {
            const Coordinate& c = r.coordinate;
            return r.ok() ? u"%1 %2 %3"_s.arg(c.DegreesText).arg(c.Minutes).arg(c.Seconds)
                          : r.error;
        };
        const CoordinateReading r = ParseCoordinateEntry(row[1], latitude);
        QCOMPARE(text(r), row[2]);
        if (r.ok())
            QCOMPARE(
                text(ParseCoordinateEntry(CoordinateEntryText(r.coordinate, latitude), latitude)),
                row[2]);
    }
};

QTEST_GUILESS_MAIN(TestAirportEntry)
#include "tst_airportentry.moc"
