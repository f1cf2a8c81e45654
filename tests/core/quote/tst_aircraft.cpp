#include "core/db/engine.h"
#include "core/quote/aircraft.h"
#include "core/quote/aircraftcatalog.h"
#include "support/folderrig.h"
#include "support/tablerows.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList FieldNames = {"Name", "Cruise", "Wind",  "AddOn", "Terminal",
                                "Taxi", "Rate",   "Range", "Ground"};

AircraftProfile citation()
{
    return {u"Citation CJ3"_s, 415, 0, 5, 15, 10, 3600, 1800, 60};
}

} // namespace

class TestAircraft : public QObject
{
    Q_OBJECT

private slots:
    // One leg of a profile: its times, its billable hours and the range, from the
    // distance as the route shows it; or why the profile cannot be saved.
    void legOrRefusal_data() { addTableRows(u"core/quote/aircraft-rules.txt"_s); }
    void legOrRefusal()
    {
        QFETCH(QStringList, row);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        AircraftProfile p{row[0],
                          row[1].toInt(),
                          row[2].toInt(),
                          row[3].toDouble(),
                          row[4].toInt(),
                          row[5].toInt(),
                          4000,
                          std::nullopt,
                          60};
        if (row[6] != u"-")
            p.rangeNm = row[6].toInt();
        QString outcome;
        if (const auto refused = AircraftRules::refusal({citation(), p})) {
            QCOMPARE(refused->index, 1);
            outcome = FieldNames.at(int(refused->field)) + u": "_s + refused->text;
        } else {
            const LegTime leg = AircraftRules::legTime(p, row[7]);
            outcome = u"%1 %2 %3 %4"_s.arg(leg.flightMinutes)
                          .arg(leg.blockMinutes)
                          .arg(AircraftRules::hoursMinutes(leg.flightMinutes),
                               AircraftRules::hoursText(leg.billableTenths));
            if (leg.beyondRange)
                outcome += u" beyond"_s;
        }
        QCOMPARE(outcome, row[8]);
    }

    // A route bills the sum of its legs, each rounded up on its own: 40 and 43 minutes
    // bill 0.7 + 0.8 hours where 83 minutes at once would bill 1.4.
    void routeBillsEachLegRoundedUp()
    {
        const AircraftProfile p{u"Hawker 800"_s, 300, 0, 0, 0, 0, 4000, std::nullopt, 60};
        const int tenths = AircraftRules::billableTenths(
            {AircraftRules::legTime(p, 200.0), AircraftRules::legTime(p, 215.0)});
        QCOMPARE(AircraftRules::hoursText(tenths), u"1.5"_s);
    }

    // A new folder holds the sample profiles, each one the rule accepts; what is added
    // reads back the same. A folder made before the profiles reads as empty and gains
    // the table at its first write. A write the engine refuses leaves the table as it
    // was and says why.
    void catalogueInTheDatabase()
    {
        StarterFolder folder;
        Db::DbEngine::instance().setSystemDB(folder.path(Schema::WorkgroupFileName));
        auto ws =
            Db::DbEngine::instance().createWorkspace(u"Test"_s, Schema::UserName, Schema::Password);
        auto db = ws->openDatabase(folder.database());
        const QList<AircraftProfile> samples = AircraftCatalog::read(*db);
        QCOMPARE(samples.size(), 3);
        QVERIFY(!AircraftRules::refusal(samples));

        AircraftProfile hawker{u"Hawker 800"_s, 430, -20, 2.5, 14, 9, 4250.75, std::nullopt, 45};
        QCOMPARE(*AircraftRules::find(samples + QList{hawker}, u"HAWKER 800"_s), hawker);
        QVERIFY(execSql(folder.database(), "DROP TABLE Aircraft") == SQLITE_OK);
        QCOMPARE(AircraftCatalog::read(*db), QList<AircraftProfile>());
        AircraftCatalog::add(*ws, *db, {hawker});
        QCOMPARE(AircraftCatalog::read(*db), QList{hawker});

        QVERIFY(execSql(folder.database(),
                        "CREATE TRIGGER Fault BEFORE INSERT ON Aircraft "
                        "BEGIN SELECT RAISE(ABORT, 'injected fault'); END") == SQLITE_OK);
        QString why;
        try {
            AircraftCatalog::add(*ws, *db, {citation()});
        } catch (const Db::DbError& error) {
            why = error.description();
        }
        QVERIFY2(why.contains(u"injected fault"_s), qPrintable(why));
        QVERIFY(!ws->inTransaction());
        QCOMPARE(AircraftCatalog::read(*db), QList{hawker});
        ws->close();
        Db::DbEngine::instance().release();
    }
};

QTEST_MAIN(TestAircraft)
#include "tst_aircraft.moc"
