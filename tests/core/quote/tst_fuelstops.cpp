#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/format.h"
#include "core/quote/fuelstops.h"
#include "support/tablerows.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

GeoPoint at(const char* latitude, int latMinutes, const char* longitude, int lonMinutes,
            double latSeconds = 0, double lonSeconds = 0)
{
    return GeoPoint{{QString::fromLatin1(latitude), qint16(latMinutes), latSeconds},
                    {QString::fromLatin1(longitude), qint16(lonMinutes), lonSeconds}};
}

} // namespace

class TestFuelStops : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::shared_ptr<Db::Workspace> m_ws;
    std::shared_ptr<Db::Database> m_database;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QString workgroup = m_dir.filePath(Schema::WorkgroupFileName);
        Db::DbEngine::createWorkgroupFile(workgroup, Schema::UserName, Schema::Password);
        Db::DbEngine::instance().setSystemDB(workgroup);
        m_ws = Db::DbEngine::instance().createWorkspace("AirportWS", Schema::UserName,
                                                        Schema::Password);
        Schema::createDatabase(*m_ws, m_dir.filePath(Schema::DatabaseFileName));
        m_database = m_ws->openDatabase(m_dir.filePath(Schema::DatabaseFileName));
        QFile airports(BRISKLANDER_SOURCE_DIR "/tests/core/quote/fuelstops-airports.sql");
        QVERIFY(airports.open(QIODevice::ReadOnly));
        m_database->execute(QString::fromUtf8(airports.readAll()));
    }
    void cleanupTestCase()
    {
        m_database.reset();
        m_ws.reset();
        Db::DbEngine::instance().release();
    }

    // Within 50 NM of the point at the aircraft's reach, selling fuel, on a runway long
    // enough, nearest first; none for an aircraft that reaches the arrival.
    void candidates_data() { addTableRows(u"core/quote/fuelstops-candidates.txt"_s); }
    void candidates()
    {
        QFETCH(QStringList, row);
        FuelStopLeg leg{u"KTEB"_s,
                        u"EGLL"_s,
                        at("40", 51, "074", 3, 0.364, 38.876),
                        at("51", 28, "000", 27, 14.693, 35.672),
                        1000,
                        5,
                        5000,
                        row[0] == u"wgs84" ? DistanceModel::Wgs84 : DistanceModel::Sphere};
        if (row[0] == u"reaching")
            leg.rangeNM = 3200;
        if (row[0] == u"pacific")
            leg = FuelStopLeg{{}, {},   at("10", 0, "-170", 0), at("10", 0, "170", 0), 590,
                              0,  5000, DistanceModel::Sphere};
        const QList<FuelStopCandidate> found = FuelStops::candidates(*m_database, leg);
        QStringList ids;
        for (const FuelStopCandidate& candidate : found)
            ids << candidate.id;
        const qsizetype place = ids.indexOf(row[1]);
        QCOMPARE(place < 0 ? u"-"_s : QString::number(place + 1), row[2]);
        if (place >= 0 && !row[3].isEmpty())
            QCOMPARE(Format::number(found[place].extraNM, Format::LegMiles), row[3]);
    }
};

QTEST_GUILESS_MAIN(TestFuelStops)
#include "tst_fuelstops.moc"
