#include "airports/airporttable.h"
#include "airports/ourairportsimport.h"
#include "airports/starterdata.h"
#include "core/engine.h"
#include "core/schema.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The importer of the public OurAirports downloads, against a seeded program folder.
class TestOurAirportsImport : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        StarterData::createProgramFolder(m_dir->path(), QStringLiteral("Brisklander"));
        Db::DbEngine& engine = Db::DbEngine::instance();
        engine.setSystemDB(m_dir->filePath(Schema::WorkgroupFileName));
        m_ws =
            engine.createWorkspace(QStringLiteral("AirportWS"), Schema::UserName, Schema::Password);
        m_path = m_dir->filePath(Schema::DatabaseFileName);
        // Extra columns and a column order of their own: the importer goes by header.
        write("airports.csv",
              "id,continent,ident,type,name,latitude_deg,longitude_deg,elevation_ft,"
              "iso_country,iso_region,municipality,gps_code\n"
              "1,NA,KTEB,small_airport,Teterboro New,40.85,-74.06,9,US,US-NJ,x,KTEB\n"
              "2,NA,00A,heliport,Total RF Heliport,40.07,-74.93,11,US,US-PA,x,\n"
              "3,NA,US-0001,small_airport,\"A Very Long Name, Longer Than Fifty Characters "
              "Airfield\",40.5,-74.25,,US,US-NJ,x,kxyz\n"
              "4,AF,FZZZ,medium_airport,Equator Field,-0.5,0.25,1200,CD,CD-KN,x,FZZZ\n"
              "5,NA,BAD1,large_airport,\"Broken,41.0,-75.0,10,US,US-NY,x,BAD1\n"
              "6,NA,NORW,small_airport,Closed Strip,42,-76,10,US,US-NY,x,NORW\n"
              "7,NA,XX-12345,small_airport,No Code,43,-77,10,US,US-NY,x,\n");
        write("runways.csv",
              "id,airport_ref,airport_ident,length_ft,width_ft,surface,lighted,closed\n"
              "10,1,KTEB,5000,100,ASP,1,0\n"
              "11,3,US-0001,9000,200,ASP,1,1\n"
              "12,3,US-0001,3000,50,ASP,0,0\n"
              "13,3,US-0001,4000,75,ASP,0,0\n"
              "14,4,FZZZ,6000,70000,ASP,1,0\n"
              "15,6,NORW,3000,50,ASP,1,1\n"
              "16,7,XX-12345,3000,50,ASP,1,0\n"
              "17,2,00A,60,60,ASP,0,0\n");
        write("countries.csv", "\"id\",\"code\",\"name\"\n"
                               "\"1\",\"US\",\"United States\"\n"
                               "\"2\",\"CD\",\"Democratic Republic of the Congo\"\n");
        write("timezones.csv", "ident,tz_database_name\nFZZZ,Africa/Kinshasa\n");
        m_options.airportsCsv = m_dir->filePath("airports.csv");
        m_options.runwaysCsv = m_dir->filePath("runways.csv");
        m_options.countriesCsv = m_dir->filePath("countries.csv");
        m_options.timezonesCsv = m_dir->filePath("timezones.csv");
    }
    void cleanup()
    {
        m_ws.reset();
        Db::DbEngine::instance().release();
        m_dir.reset();
    }

    void chooseIdentifier_data()
    {
        QTest::addColumn<QString>("ident");
        QTest::addColumn<QString>("gps");
        QTest::addColumn<QString>("expected");
        QTest::newRow("four letters") << "KTEB"
                                      << "KXYZ"
                                      << "KTEB";
        QTest::newRow("three with digits") << "00A"
                                           << ""
                                           << "00A";
        QTest::newRow("local code falls to gps") << "US-0001"
                                                 << "kxyz"
                                                 << "KXYZ";
        QTest::newRow("three-letter gps refused") << "US-0001"
                                                  << "XYZ"
                                                  << "";
        QTest::newRow("neither") << "AB-1234"
                                 << ""
                                 << "";
    }
    void chooseIdentifier()
    {
        QFETCH(QString, ident);
        QFETCH(QString, gps);
        QFETCH(QString, expected);
        QCOMPARE(OurAirports::chooseIdentifier(ident, gps), expected);
    }

    void standardOffsetHours_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<float>("hours"); // NaN: no value
        QTest::newRow("west, summer time ignored") << "America/New_York" << -5.0f;
        QTest::newRow("half hour") << "Asia/Kolkata" << 5.5f;
        QTest::newRow("quarter hour") << "Asia/Kathmandu" << 5.75f;
        QTest::newRow("beyond +12") << "Pacific/Kiritimati" << float(qQNaN());
        QTest::newRow("unknown") << "Nowhere/Else" << float(qQNaN());
    }
    void standardOffsetHours()
    {
        QFETCH(QString, zone);
        QFETCH(float, hours);
        const auto offset = OurAirports::standardOffsetHours(zone);
        QCOMPARE(offset.has_value(), !qIsNaN(hours));
        if (offset)
            QCOMPARE(*offset, hours);
    }

    void importsTheUsableAirports()
    {
        int lastDone = -1, lastTotal = -1;
        const auto s = OurAirports::import(*m_ws, m_path, m_options, [&](int done, int total) {
            lastDone = done;
            lastTotal = total;
        });
        QCOMPARE(lastDone, 7);
        QCOMPARE(lastTotal, 7);
        QCOMPARE(s.read, 7);
        QCOMPARE(s.added, 2);
        QCOMPARE(s.updated, 0);
        QCOMPARE(s.skipped.value("not an airport type"), 1);
        QCOMPARE(s.skipped.value("no open runway with a length"), 1);
        QCOMPARE(s.skipped.value("no usable identifier"), 1);
        QCOMPARE(s.skipped.value("already in the table"), 1);
        QCOMPARE(s.malformed.size(), 1);
        QVERIFY2(s.malformed[0].startsWith("airports.csv line 6:"), qPrintable(s.malformed[0]));
        QVERIFY(!AirportIdExists(*m_ws, m_path, "BAD1"));

        const AirportRecord x = *ReadAirport(*m_ws, m_path, "KXYZ");
        QCOMPARE(x.NAME, QString("A VERY LONG NAME, LONGER THAN FIFTY CHARACTERS AIR"));
        QCOMPARE(x.STATE, QString("NJ"));
        QCOMPARE(x.COUNTRY, QString("UNITED STATES"));
        QCOMPARE(x.ELEVATION, 0);
        QCOMPARE(x.RUNWAY_LENGTH, 4000); // the longest open one, not the closed 9000
        QCOMPARE(x.RUNWAY_WIDTH, std::optional<qint16>(75));
        QCOMPARE(x.LIGHTING, QString("NO LIGHT")); // only the closed runway is lighted
        QCOMPARE(x.PUB_MIL, QString("P"));
        QCOMPARE(x.Latitude.DegreesText, QString("40"));
        QCOMPARE(x.Longitude.DegreesText, QString("074"));
        QCOMPARE(x.Longitude.Minutes, qint16(15));
        QVERIFY(!x.TIME_ZONE);

        const AirportRecord z = *ReadAirport(*m_ws, m_path, "FZZZ");
        QCOMPARE(z.Latitude.DegreesText, QString("-00"));
        QCOMPARE(z.Latitude.Minutes, qint16(30));
        QCOMPARE(z.Longitude.DegreesText, QString("-000"));
        QCOMPARE(z.Longitude.Minutes, qint16(15));
        QCOMPARE(z.COUNTRY, QString("DEMOCRATIC REPUBLIC OF TH"));
        QCOMPARE(z.STATE, QString("KN"));
        QCOMPARE(z.ELEVATION, 1200);
        QCOMPARE(z.LIGHTING, QString());
        QVERIFY(!z.RUNWAY_WIDTH); // 70000 does not fit the column
        QCOMPARE(z.TIME_ZONE, std::optional<float>(1.0f));
    }

    void secondImportAddsNothing()
    {
        OurAirports::import(*m_ws, m_path, m_options);
        const auto s = OurAirports::import(*m_ws, m_path, m_options);
        QCOMPARE(s.added, 0);
        QCOMPARE(s.updated, 0);
        QCOMPARE(s.skipped.value("already in the table"), 3);
        QVERIFY(OurAirports::summaryText(s).contains("already in the table: 3"));
    }

    void existingAirportKeptUnlessAsked()
    {
        const AirportRecord before = *ReadAirport(*m_ws, m_path, "KTEB");
        OurAirports::import(*m_ws, m_path, m_options);
        const AirportRecord kept = *ReadAirport(*m_ws, m_path, "KTEB");
        QCOMPARE(kept.NAME, before.NAME);
        QCOMPARE(kept.RUNWAY_LENGTH, before.RUNWAY_LENGTH);

        m_options.updateExisting = true;
        const auto s = OurAirports::import(*m_ws, m_path, m_options);
        QCOMPARE(s.updated, 3);
        QCOMPARE(s.added, 0);
        const AirportRecord updated = *ReadAirport(*m_ws, m_path, "KTEB");
        QCOMPARE(updated.NAME, QString("TETERBORO NEW"));
        QCOMPARE(updated.RUNWAY_LENGTH, 5000);
    }

private:
    void write(const QString& name, const QByteArray& text)
    {
        QFile file(m_dir->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<Db::Workspace> m_ws;
    QString m_path;
    OurAirports::Options m_options;
};

QTEST_GUILESS_MAIN(TestOurAirportsImport)
#include "tst_ourairportsimport.moc"
