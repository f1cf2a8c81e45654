#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/quote/quotebatch.h"
#include "support/emptydatabase.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// What a quote takes of an airport.
QString described(const std::optional<AirportRecord>& airport)
{
    if (!airport)
        return u"none"_s;
    return QStringList{airport->ID,
                       airport->NAME,
                       airport->Latitude.DegreesText,
                       airport->Longitude.DegreesText,
                       airport->TIME_ZONE_NAME,
                       QString::number(airport->RUNWAY_LENGTH)}
        .join(u'|');
}

} // namespace

// A batch's airports read a few dozen at once, and its trips priced against one state of
// the database.
class TestQuoteBatch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(Schema::DatabaseFileName);
    std::shared_ptr<Db::Workspace> m_ws;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_ws = createEmptyDatabase(m_dir.path());
        // More airports than one statement asks for, one stored in lower case.
        m_ws->openDatabase(m_path)->execute(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < 150) "
            "INSERT INTO Airports (ID, NAME, \"LATITUDE DEGREES\", \"LONGITUDE DEGREES\", "
            "\"RUNWAY LENGTH\", \"TIME ZONE NAME\") "
            "SELECT printf('Q%03d', i), printf('FIELD %d', i), printf('%d', i % 80), "
            "printf('%03d', i), 4000 + i, 'America/New_York' FROM n;"
            "UPDATE Airports SET ID = 'q07x' WHERE ID = 'Q007';"
            "INSERT INTO Taxes (\"Tax Type\", \"Tax %\") VALUES ('VAT', 20)"));
    }
    void cleanupTestCase()
    {
        m_ws.reset();
        Db::DbEngine::instance().release();
    }

    void airportsReadAtOnceAsOneByOne()
    {
        QStringList ids{u"Q07X"_s, u"ZZZZ"_s, u"Q150"_s};
        for (int i = 1; i <= 140; ++i)
            ids << u"Q%1"_s.arg(i, 3, 10, QLatin1Char('0'));
        QuoteSources sources(*m_ws, m_path);
        sources.readAirports(ids);
        // Kept: an airport removed since is still given as it was read.
        m_ws->openDatabase(m_path)->execute(u"DELETE FROM Airports WHERE ID = 'Q150'"_s);
        QCOMPARE(described(sources.airport(u"Q150"_s)).section(u'|', 0, 1), u"Q150|FIELD 150"_s);
        ids.removeOne(u"Q150"_s);
        for (const QString& id : ids)
            QCOMPARE(described(sources.airport(id)), described(ReadAirport(*m_ws, m_path, id)));
    }

    // A change made while the batch is priced reaches none of its trips.
    void pricerReadsOneState()
    {
        QuoteBatch::Trip trip;
        trip.request.stops = QStringList{u"Q001"_s, u"Q002"_s};
        trip.request.tax = u"VAT"_s;
        auto reader =
            Db::DbEngine::instance().createWorkspace("Quote", Schema::UserName, Schema::Password);
        reader->openDatabaseReadOnly(m_path);
        const AppSettings settings;
        const QuoteBatch::Pricer pricer(*reader, m_path, settings, u"$"_s, QDate(2026, 6, 1),
                                        {trip});
        const QByteArray first = QuoteBatch::figuresLine(trip, pricer.price(trip.request));
        QVERIFY2(first.contains("\"VAT\""), first.constData());
        m_ws->openDatabase(m_path)->execute(
            u"UPDATE Taxes SET \"Tax %\" = 50; DELETE FROM Airports WHERE ID = 'Q003'"_s);
        QCOMPARE(QuoteBatch::figuresLine(trip, pricer.price(trip.request)), first);
        trip.request.stops << u"Q003"_s; // not among the trips the pricer was given
        QCOMPARE(pricer.price(trip.request).route.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestQuoteBatch)
#include "tst_quotebatch.moc"
