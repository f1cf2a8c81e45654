#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/folder/ourairportsimport.h"
#include "core/settings/appsettings.h"
#include "support/folderrig.h"
#include "support/tablerows.h"
#include "support/testfiles.h"

#include <QDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

// The importer of the public OurAirports downloads, against a seeded program folder.
class TestOurAirportsImport : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_f = std::make_unique<StarterFolder>();
        Db::DbEngine& engine = Db::DbEngine::instance();
        engine.setSystemDB(m_f->path(Schema::WorkgroupFileName));
        m_ws = engine.createWorkspace(u"AirportWS"_s, Schema::UserName, Schema::Password);
        m_path = m_f->database();
    }
    void cleanup()
    {
        m_ws.reset();
        Db::DbEngine::instance().release();
        m_f.reset();
    }

    void chooseIdentifier_data()
    {
        QTest::addColumn<QString>("ident");
        QTest::addColumn<QString>("gps");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* ident, const char* gps, const char* id) {
            QTest::newRow(name) << QString(ident) << QString(gps) << QString(id);
        };
        row("four letters", "KTEB", "KXYZ", "KTEB");
        row("three with digits", "00A", "", "00A");
        row("local code falls to gps", "US-0001", "kxyz", "KXYZ");
        row("three-letter gps refused", "US-0001", "XYZ", "");
        row("neither", "AB-1234", "", "");
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
        const QList<std::pair<const char*, float>> zones{
            {"America/New_York", -5},        // summer time ignored
            {"Asia/Kathmandu", 5.75},        // a quarter hour
            {"Australia/Sydney", 10},        // southern summer time ignored
            {"Europe/Dublin", 0},            // winter as a negative saving
            {"Africa/Casablanca", 1},        // an hour back during Ramadan
            {"Pacific/Kiritimati", qQNaN()}, // beyond +12
            {"Nowhere/Else", qQNaN()}};
        for (const auto& [zone, hours] : zones)
            QTest::newRow(zone) << zone << hours;
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

    // On a database made before zone names, codes and cities were kept: the import adds
    // their columns, and fills them for the airports already there only when asked to
    // update them.
    void existingAirportKeptUnlessAsked()
    {
        QCOMPARE(execSql(m_path, "DROP INDEX AirportsByIata; ALTER TABLE Airports DROP COLUMN "
                                 "[TIME ZONE NAME]; ALTER TABLE Airports DROP COLUMN IATA; "
                                 "ALTER TABLE Airports DROP COLUMN CITY"),
                 0);
        Options options = Options::inFolder(dataFolder(u"sample"_s));
        const AirportRecord before = *ReadAirport(*m_ws, m_path, "KTEB");
        QCOMPARE(before.TIME_ZONE_NAME, QString());
        OurAirports::import(*m_ws, m_path, options);
        const AirportRecord kept = *ReadAirport(*m_ws, m_path, "KTEB");
        QCOMPARE(std::tuple(kept.NAME, kept.RUNWAY_LENGTH, kept.TIME_ZONE_NAME, kept.IATA),
                 std::tuple(before.NAME, before.RUNWAY_LENGTH, QString(), QString()));
        // A second run adds nothing.
        const auto again = OurAirports::import(*m_ws, m_path, options);
        QCOMPARE(again.added, 0);
        QCOMPARE(again.skipped.value("already in the table"), 3);

        options.updateExisting = true;
        const auto s = OurAirports::import(*m_ws, m_path, options);
        QCOMPARE(std::pair(s.updated, s.added), std::pair(3, 0));
        const AirportRecord updated = *ReadAirport(*m_ws, m_path, "KTEB");
        QCOMPARE(
            std::tuple(updated.NAME, updated.RUNWAY_LENGTH, updated.TIME_ZONE_NAME, updated.IATA,
                       updated.CITY),
            std::tuple(u"TETERBORO NEW"_s, 5000, u"America/New_York"_s, u"TEB"_s, u"TETERBORO"_s));
    }

    // A download's lines as the summary and the table have them (each folder beside the
    // test holds its summary.txt and expected.txt): every value the table or the editor
    // cannot hold is refused with its line and airport, the rest is imported.
    void importsADownload_data()
    {
        QTest::addColumn<QString>("folder");
        for (const char* folder : {"sample", "refused", "fresh"})
            QTest::newRow(folder) << folder;
    }

    void importsADownload()
    {
        QFETCH(QString, folder);
        const QString dir = dataFolder(folder);
        Options options = Options::inFolder(dir);
        options.updateExisting = folder == u"fresh";
        int lastDone = -1, lastTotal = -1;
        const OurAirports::Summary s =
            OurAirports::import(*m_ws, m_path, options, [&](int done, int total) {
                lastDone = done;
                lastTotal = total;
            });
        QCOMPARE(std::pair(lastDone, lastTotal), std::pair(s.read, s.read));
        QCOMPARE(OurAirports::summaryText(s),
                 QString::fromUtf8(TestFiles::contentOf(dir + u"/summary.txt"_s)));
        QStringList expected;
        for (const QString& line : QString::fromUtf8(TestFiles::contentOf(dir + u"/expected.txt"_s))
                                       .split(u'\n', Qt::SkipEmptyParts))
            if (!line.startsWith(u'#'))
                expected << line;
        expectImported(expected.takeFirst(), expected);
    }

    // The starter data as the build imports it: every airport has its zone but those
    // whose standard offset the table cannot hold.
    void starterDataHasItsZones()
    {
        // The demonstration set has its zone names as it was made, offset or not.
        expectStored({u"FAOR:TIME ZONE=<null>"_s, u"FAOR:TIME ZONE NAME=Africa/Johannesburg"_s});
        Options options = Options::inFolder(BRISKLANDER_SOURCE_DIR "/data/ourairports");
        options.updateExisting = true;
        // The South Pole station's line is refused (a pole cannot be stored).
        QVERIFY(OurAirports::import(*m_ws, m_path, options).kept > 0);
        expectStored({u"KTEB:TIME ZONE=-5"_s, u"CYYT:TIME ZONE=-3.5"_s, u"EIDW:TIME ZONE=0"_s,
                      u"VNKT:TIME ZONE=5.75"_s, u"NZAA:TIME ZONE=12"_s,
                      u"NFTF:TIME ZONE=<null>"_s, // +13
                      u"VNKT:TIME ZONE NAME=Asia/Kathmandu"_s,
                      u"NZCI:TIME ZONE=<null>"_s}); // +12:45
        const QStringList empty = column(u"ID"_s, u"[TIME ZONE] IS NULL"_s);
        QVERIFY2(empty.size() < 20, qPrintable(empty.join(' ')));
    }

    // A new program folder's find box searches by anything an airport is known by.
    void newFolderSearchesAnything()
    {
        QCOMPARE(readSettings(m_f->settings()).SEARCHMODE, FindMode::Anything);
    }

    void toolExitStatus_data() { addTableRows(u"core/folder/ourairportsimport-runs.txt"_s); }

    void toolExitStatus()
    {
        QFETCH(QStringList, row);
        const QByteArray header = "id,ident,type,name,latitude_deg,longitude_deg,elevation_ft,"
                                  "iso_country,iso_region,gps_code\n";
        const QByteArray airports =
            row[0]
                .replace(u"{ok}"_s, u"{header}1,ZAOK,small_airport,Fine,45,-100,10,US,US-SD,\n"_s)
                .replace(u"{open}"_s, u"2,ZAOL,small_airport,\"Open,45,-100,10,US,US-SD,\n"_s)
                .toLatin1()
                .replace("{header}", header);
        const QString dir = m_f->path(u"download"_s);
        QVERIFY(QDir().mkpath(dir));
        const QByteArray csv = QFile::encodeName(dir + u"/airports.csv"_s);
        if (airports == "<folder>")
            QVERIFY(QDir(dir).mkdir(u"airports.csv"_s));
        else if (airports == "<fifo>")
            QVERIFY(::mkfifo(csv.constData(), 0666) == 0);
        else if (airports != "<none>")
            write(QFile::decodeName(csv), airports);
        write(dir + u"/runways.csv"_s,
              "airport_ref,airport_ident,length_ft,width_ft,lighted,closed\n"
              "1,ZAOK,5000,100,1,0\n2,ZAOL,5000,100,1,0\n3,ZAHI,5000,100,1,0\n");
        write(dir + u"/countries.csv"_s, "code,name\nUS,United States\n");
        if (!row[1].isEmpty()) { // planted where the folder had its own lock file
            QFile::remove(m_f->path(row[1]));
            QVERIFY(::mkfifo(QFile::encodeName(m_f->path(row[1])).constData(), 0666) == 0);
        }
        const ToolRun tool = runTool({u"import"_s, m_f->folder, dir});
        QCOMPARE(tool.exitCode, row[2].toInt());
        const QStringList lines = row[3].split(u'\n');
        QCOMPARE(tool.out.section(u'\n', 0, 0), lines[0]);
        for (const QString& line : lines.mid(1))
            QVERIFY2(tool.out.contains(line + u'\n'), qPrintable(tool.out));
        QVERIFY2(row[4].isEmpty() ? tool.err.isEmpty() : tool.err.contains(row[4]),
                 qPrintable(tool.err));
        expectImported(row[5], row[6].split(u';', Qt::SkipEmptyParts));
    }

private:
    using Options = OurAirports::Options;

    static QString dataFolder(const QString& name)
    {
        return QStringLiteral(BRISKLANDER_SOURCE_DIR "/tests/core/folder/data/") + name;
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    // The values of a column of the airports that meet the condition, ordered by ID.
    QStringList column(const QString& name, const QString& condition)
    {
        auto set = m_ws->openDatabase(m_path)->openRecordset(
            u"SELECT [%1] FROM Airports WHERE %2 ORDER BY ID"_s.arg(name, condition),
            Db::RecordsetType::Snapshot);
        QStringList values;
        for (int i = 0; i < set->recordCount(); ++i) {
            const QVariant value = set->row(i).value(0);
            values << (value.isNull() ? u"<null>"_s : value.toString());
        }
        return values;
    }
    // Each "ID:COLUMN=value" check, <null> standing for no value.
    void expectStored(const QStringList& checks)
    {
        for (const QString& check : checks) {
            const QString id = check.section(u':', 0, 0);
            const QString name = check.section(u':', 1).section(u'=', 0, 0);
            const QStringList value = column(name, u"ID = '%1'"_s.arg(id));
            QCOMPARE(id + u':' + name + u'=' + value.value(0, u"<no airport>"_s), check);
        }
    }
    // The airports the import added to the demonstration set (apart by blanks), and checks.
    void expectImported(const QString& added, const QStringList& stored)
    {
        QStringList ids = DemoIds + added.split(u' ', Qt::SkipEmptyParts);
        ids.sort();
        QCOMPARE(column(u"ID"_s, u"1"_s), ids);
        expectStored(stored);
    }

    // The demonstration set of a new program folder.
    inline static const QStringList DemoIds{"CYYZ", "EDDF", "EGLC", "EGLL", "FAOR", "HKJK", "KASE",
                                            "KBOS", "KDEN", "KJFK", "KLAX", "KMIA", "KMVY", "KORD",
                                            "KPBI", "KTEB", "LEIB", "LFPB", "LSGG", "MYNN", "NZAA",
                                            "OMDB", "RJTT", "SBGR", "SEQM", "TFFJ", "TNCM", "YSSY"};

    std::unique_ptr<StarterFolder> m_f;
    std::shared_ptr<Db::Workspace> m_ws;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestOurAirportsImport)
#include "tst_ourairportsimport.moc"
