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

    // Save's checks in their order: each row empties the entry from one field on (in
    // check order), so only the order decides which field is named.
    void checkNamesTheFirstGap_data()
    {
        QTest::addColumn<Field>("field");
        QTest::addColumn<QString>("ident");
        QTest::addColumn<QString>("message");
        const auto row = [](Field field, const char* message, const QString& ident = u"ZZEQ"_s) {
            QTest::newRow(message) << field << ident << QString(message);
        };
        row(Field::Ident, "Enter Airport Identifier.", {});
        row(Field::Ident, "Airport Identifier must be 3 or 4 Characters.", u"ZQ"_s);
        row(Field::Name, "Enter Airport Name.");
        row(Field::Latitude, "Invalid Latitude."); // the parser's message, passed on
        row(Field::Longitude, "Invalid Longitude.");
        row(Field::Country, "Enter Country.");
        row(Field::Elevation, "Enter Elevation.");
        row(Field::RunwayLength, "Enter Runway Length.");
        row(Field::TimeZone, "Enter Time Zone.");
        row(Field::Type, "Select Type Airport (Public, Military, Joint or Private).");
    }
    void checkNamesTheFirstGap()
    {
        QFETCH(Field, field);
        QFETCH(QString, message);
        AirportEntry e = complete();
        QVERIFY(!e.check());
        QFETCH(QString, ident);
        e.ident = ident;
        // In check order; the identifier is the row's, the coordinates hold their error.
        QString* const texts[] = {&e.ident,           &e.name,     &e.latitude.error,
                                  &e.longitude.error, &e.country,  &e.elevation,
                                  &e.runwayLength,    &e.timeZone, &e.type};
        for (int gap = std::max(int(field), 1); gap < int(std::size(texts)); ++gap)
            *texts[gap] = gap == 2 || gap == 3 ? message : QString();
        const std::optional<AirportEntry::Refusal> refusal = e.check();
        QVERIFY(refusal);
        QCOMPARE(refusal->field, field);
        QCOMPARE(refusal->message, message);
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

    // Leaving the time zone: the text in its shortest form, and whether the focus stays.
    void timeZoneLeaveRule_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("refused");
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale de(QLocale::German, QLocale::Germany);
        QTest::newRow("13") << us << u"13"_s << u"+13"_s << true;
        QTest::newRow("12") << us << u"12"_s << u"+12"_s << false;
        QTest::newRow("-12") << us << u"-12"_s << u"-12"_s << false;
        QTest::newRow("-12.25") << us << u"-12.25"_s << u"-12.25"_s << true;
        QTest::newRow("5.1") << us << u"5.1"_s << u"+5.1"_s << true;
        QTest::newRow("-5.25") << us << u"-5.25"_s << u"-5.25"_s << false;
        QTest::newRow("05.50") << us << u"05.50"_s << u"+5.5"_s << false;
        QTest::newRow("de_DE 5,75") << de << u"5,75"_s << u"+5,75"_s << false;
        QTest::newRow("de_DE 5,4") << de << u"5,4"_s << u"+5,4"_s << true;
    }
    void timeZoneLeaveRule()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, typed);
        QLocale::setDefault(locale);
        const AirportEntryRules::TimeZoneLeave leave = AirportEntryRules::leaveTimeZone(typed);
        QTEST(leave.text, "shown");
        QTEST(leave.refused, "refused");
    }

    // The number fields' key rules: whether a typed character is dropped, given the
    // text around it and where it goes.
    void keyRules_data()
    {
        QTest::addColumn<bool>("timeZone"); // else the elevation
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("rest");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refused");
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale de(QLocale::German, QLocale::Germany);
        const auto row = [](const char* name, bool timeZone, const QLocale& locale,
                            const char* rest, int position, const char* typed, bool refused) {
            QTest::newRow(name) << timeZone << locale << QString(rest) << position << QString(typed)
                                << refused;
        };
        row("elevation digit anywhere", false, us, "-1", 1, "7", false);
        row("elevation minus first", false, us, "11", 0, "-", false);
        row("elevation second minus", false, us, "-1", 0, "-", true);
        row("elevation minus inside", false, us, "1", 1, "-", true);
        row("elevation point", false, us, "1", 1, ".", true);
        row("time zone point", true, us, "5", 1, ".", false);
        row("time zone second point", true, us, "5.2", 3, ".", true);
        row("time zone de_DE comma", true, de, "5", 1, ",", false);
        row("time zone de_DE point", true, de, "5", 1, ".", true);
        row("time zone plus first", true, us, "5", 0, "+", false);
        row("time zone sign after a sign", true, us, "-5", 0, "+", true);
        row("time zone minus inside", true, us, "5", 1, "-", true);
        row("time zone letter", true, us, "5", 1, "a", true);
        row("time zone two characters at once", true, us, "", 0, "12", true);
    }
    void keyRules()
    {
        QFETCH(bool, timeZone);
        QFETCH(QLocale, locale);
        QFETCH(QString, rest);
        QFETCH(int, position);
        QFETCH(QString, typed);
        QLocale::setDefault(locale);
        QTEST(timeZone ? AirportEntryRules::refusesTimeZoneKey(rest, position, typed)
                       : AirportEntryRules::refusesElevationKey(rest, position, typed.at(0)),
              "refused");
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
