#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/format.h"
#include "core/quote/fuelstops.h"
#include "support/emptydatabase.h"
#include "support/tablerows.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

class TestFuelStops : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(Schema::DatabaseFileName);
    std::shared_ptr<Db::Workspace> m_ws;

    GeoPoint position(const QString& id) const
    {
        const std::optional<AirportRecord> airport = ReadAirport(*m_ws, m_path, id);
        return airport ? GeoPoint{airport->Latitude, airport->Longitude} : GeoPoint{};
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_ws = createEmptyDatabase(m_dir.path());
        QFile airports(BRISKLANDER_SOURCE_DIR "/tests/core/quote/fuelstops-airports.sql");
        QVERIFY(airports.open(QIODevice::ReadOnly));
        m_ws->openDatabase(m_path)->execute(QString::fromUtf8(airports.readAll()));
    }
    void cleanupTestCase()
    {
        m_ws.reset();
        Db::DbEngine::instance().release();
    }

    // Within 50 NM of the point at the aircraft's reach, selling fuel, on a runway long
    // enough, not an end of the leg, nearest first; none when the aircraft gets there.
    void candidates_data() { addTableRows(u"core/quote/fuelstops-candidates.txt"_s); }
    void candidates()
    {
        QFETCH(QStringList, row);
        const QStringList leg = row[0].split(u' ');
        const QStringList ends = leg[0].split(u'-');
        const QList<FuelStopCandidate> found = FuelStops::candidates(
            *m_ws->openDatabase(m_path),
            {ends[0], ends[1], position(ends[0]), position(ends[1]), leg[1].toDouble(),
             leg[2].toDouble(), 5000,
             leg[3] == u"wgs84" ? DistanceModel::Wgs84 : DistanceModel::Sphere,
             leg.value(4) == u"unrecorded"});
        QStringList ids;
        for (const FuelStopCandidate& candidate : found)
            ids << candidate.id;
        const qsizetype place = ids.indexOf(row[1]);
        QCOMPARE(place < 0 ? u"-"_s : QString::number(place + 1), row[2]);
        if (place >= 0 && !row[3].isEmpty())
            QCOMPARE(Format::number(found[place].extraNM, Format::LegMiles), row[3]);
        if (place >= 0)
            QCOMPARE(found[place].fuelRecorded, row[1] != u"XNOF");
    }
};

QTEST_GUILESS_MAIN(TestFuelStops)
#include "tst_fuelstops.moc"
