#include "core/airports/airportsearch.h"
#include "support/emptydatabase.h"
#include "support/tablerows.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The finder's search for what a customer says: codes, identifiers, cities and words
// of the name, in the order the operator wants them.
class TestAirportSearch : public QObject
{
    Q_OBJECT

    static QStringList found(const AirportSearch& search, const QString& typed, int limit = 10)
    {
        QStringList ids;
        for (const int index : search.find(typed, limit))
            ids << search.airport(index).id;
        return ids;
    }

private slots:
    void initTestCase()
    {
        QFile file(QStringLiteral(BRISKLANDER_SOURCE_DIR "/tests/core/airports/"
                                                         "airportsearch-airports.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            if (line.trimmed().isEmpty() || line.startsWith(u'#'))
                continue;
            QStringList f = line.split(u'|');
            for (QString& field : f)
                field = field.trimmed();
            airports.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6].toInt()});
        }
        search = AirportSearch(airports);
    }

    void finds_data() { addTableRows(u"core/airports/airportsearch-finds.txt"_s); }
    void finds()
    {
        QFETCH(QStringList, row);
        QCOMPARE(found(search, row[0]).join(u' '), row[1]);
    }

    void keepsToTheLimit()
    {
        QCOMPARE(found(search, u"las vegas"_s, 2), QStringList({"KLAS", "KLSV"}));
    }

    // Where a word begins thousands of names, the largest airports that match come
    // first, as they do for a rare word.
    void walksFromTheLargest()
    {
        std::vector<AirportSearch::Airport> many = airports;
        for (int n = 0; n < 5000; ++n)
            many.push_back({u"X%1"_s.arg(n), QString(), u"PAD %1"_s.arg(n % 7), QString(),
                            QString(), QString(), n});
        const AirportSearch big(many);
        QCOMPARE(found(big, u"pad"_s, 3), QStringList({"X4999", "X4998", "X4997"}));
        QCOMPARE(found(big, u"pad 3"_s, 3), QStringList({"X4994", "X4987", "X4980"}));
        QCOMPARE(found(big, u"aspen"_s), QStringList({"KASE"}));
    }

    // The window reads the airports a few at a time: every one once, in identifier order,
    // whatever the order they were added in.
    void readsInSlices()
    {
        QTemporaryDir dir;
        {
            auto workspace = createEmptyDatabase(dir.path());
            auto database = workspace->openDatabase(dir.filePath(Schema::DatabaseFileName));
            for (const char* id : {"LSZH", "EGLL", "KBOS", "EGKK", "KLAS"})
                database->execute(
                    u"INSERT INTO Airports (ID, NAME, IATA, CITY, \"LATITUDE DEGREES\", "
                    "\"LONGITUDE DEGREES\", \"RUNWAY LENGTH\") VALUES ('%1', 'N%1', 'I%1', "
                    "'C%1', '10', '020', 5000)"_s.arg(QLatin1String(id)));
            AirportSearchReader reader(*database);
            QVERIFY(!reader.readMore(2));
            QVERIFY(!reader.readMore(2));
            QVERIFY(reader.readMore(2));
            QVERIFY(reader.readMore(2));
            QStringList read;
            for (const AirportSearch::Airport& a : reader.take())
                read << u"%1 %2 %3 %4 %5"_s.arg(a.id, a.iata, a.name, a.city).arg(a.runwayLength);
            QCOMPARE(read,
                     QStringList({"EGKK IEGKK NEGKK CEGKK 5000", "EGLL IEGLL NEGLL CEGLL 5000",
                                  "KBOS IKBOS NKBOS CKBOS 5000", "KLAS IKLAS NKLAS CKLAS 5000",
                                  "LSZH ILSZH NLSZH CLSZH 5000"}));
        }
        Db::DbEngine::instance().release();
    }

    void folds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folded");
        QTest::newRow("case and blanks") << u"  KBOS  "_s << u"kbos"_s;
        QTest::newRow("accents") << u"Zürich Côte"_s << u"zurich cote"_s;
        QTest::newRow("separators")
            << u"SÃO PAULO/GUARULHOS–GOVERNOR"_s << u"sao paulo guarulhos governor"_s;
        QTest::newRow("apostrophes") << u"O'Hare D’Azur"_s << u"ohare dazur"_s;
        QTest::newRow("spelled out") << u"Straße Ærø Łódź"_s << u"strasse aero lodz"_s;
    }
    void folds()
    {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(QString::fromStdString(AirportSearch::fold(text)), folded);
    }

private:
    std::vector<AirportSearch::Airport> airports;
    AirportSearch search;
};

QTEST_GUILESS_MAIN(TestAirportSearch)
#include "tst_airportsearch.moc"
