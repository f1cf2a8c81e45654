#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/ourairportsimport.h"
#include "core/folder/starterdata.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

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
        m_options = OurAirports::Options::inFolder(
            QStringLiteral(BRISKLANDER_SOURCE_DIR "/tests/core/folder/data/sample"));
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
        const QList<std::pair<const char*, float>> zones{
            {"America/New_York", -5}, // summer time ignored
            {"Asia/Kolkata", 5.5},
            {"Asia/Kathmandu", 5.75},
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

    void existingAirportKeptUnlessAsked()
    {
        const AirportRecord before = *ReadAirport(*m_ws, m_path, "KTEB");
        OurAirports::import(*m_ws, m_path, m_options);
        const AirportRecord kept = *ReadAirport(*m_ws, m_path, "KTEB");
        QCOMPARE(kept.NAME, before.NAME);
        QCOMPARE(kept.RUNWAY_LENGTH, before.RUNWAY_LENGTH);
        // A second run adds nothing.
        const auto again = OurAirports::import(*m_ws, m_path, m_options);
        QCOMPARE(again.added, 0);
        QCOMPARE(again.skipped.value("already in the table"), 3);

        m_options.updateExisting = true;
        const auto s = OurAirports::import(*m_ws, m_path, m_options);
        QCOMPARE(s.updated, 3);
        QCOMPARE(s.added, 0);
        const AirportRecord updated = *ReadAirport(*m_ws, m_path, "KTEB");
        QCOMPARE(updated.NAME, QString("TETERBORO NEW"));
        QCOMPARE(updated.RUNWAY_LENGTH, 5000);
    }

    // A download's lines as the summary and the table have them: every value the table
    // or the editor cannot hold is refused with its line and airport, the rest is
    // imported. A fresh download has no time-zone table: the zones come from the one the
    // program ships, by identifier or gps_code, else from the nearest airport it lists
    // of the same country within 50 NM.
    void importsADownload_data()
    {
        QTest::addColumn<QString>("folder"); // beside the test, with its summary.txt
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("stored"); // "ID|COLUMN|value", "<null>" for none
        // Extra columns and a column order of their own (the importer goes by header), and
        // a time-zone table whose offset column is taken as it stands, a line without one
        // going by the zone's name. The longest open runway is taken, not the closed
        // 9000, and only the closed one is lighted; KXYZ has its zone by its gps_code.
        QTest::newRow("usable airports")
            << "sample" << QStringList{"FZZZ", "KXYZ"}
            << QStringList{"KXYZ|STATE|NJ",
                           "KXYZ|COUNTRY|UNITED STATES",
                           "KXYZ|ELEVATION|<null>",
                           "KXYZ|RUNWAY LENGTH|4000",
                           "KXYZ|RUNWAY WIDTH|75",
                           "KXYZ|LIGHTING|NO LIGHT",
                           "KXYZ|PUB/MIL|P",
                           "KXYZ|LATITUDE DEGREES|40",
                           "KXYZ|LONGITUDE DEGREES|074",
                           "KXYZ|LONGITUDE MINUTES|15",
                           "KXYZ|TIME ZONE|-4",
                           "FZZZ|LATITUDE DEGREES|-00",
                           "FZZZ|LATITUDE MINUTES|30",
                           "FZZZ|LONGITUDE DEGREES|-000",
                           "FZZZ|LONGITUDE MINUTES|15",
                           "FZZZ|COUNTRY|DEMOCRATIC REPUBLIC OF TH",
                           "FZZZ|STATE|KN",
                           "FZZZ|ELEVATION|1200",
                           "FZZZ|LIGHTING|",
                           "FZZZ|RUNWAY WIDTH|<null>",
                           "FZZZ|TIME ZONE|1",
                           "KXYZ|NAME|A VERY LONG NAME, LONGER THAN FIFTY CHARACTERS AIR"};
        QTest::newRow("values the table cannot hold")
            << "refused" << QStringList{"ZABT", "ZARW", "ZATP", "ZAWI"}
            << QStringList{"ZATP|ELEVATION|99999", "ZABT|ELEVATION|-9999",
                           // The longest runway that can be stored, with its width and lights.
                           "ZARW|RUNWAY LENGTH|4000", "ZARW|RUNWAY WIDTH|75",
                           "ZARW|LIGHTING|NO LIGHT", "ZAWI|RUNWAY LENGTH|5000",
                           "ZAWI|RUNWAY WIDTH|<null>", "ZAWI|TIME ZONE|-6"}; // a field 2 NM away
        QTest::newRow("zones of a fresh download")
            << "fresh" << QStringList{"CYYT", "LFOB", "NFTF", "ZZES", "ZZPT", "ZZSE", "ZZTB"}
            << QStringList{"KTEB|TIME ZONE|-5",     "CYYT|TIME ZONE|-3.5", "LFOB|TIME ZONE|1",
                           "ZZTB|TIME ZONE|-5",     // 0.7 NM from Teterboro
                           "ZZPT|TIME ZONE|0",      // Evora, 48 NM: Badajoz, 6 NM away, is in Spain
                           "ZZES|TIME ZONE|1",      // Badajoz
                           "ZZSE|TIME ZONE|<null>", // nothing within 50 NM
                           "NFTF|TIME ZONE|<null>"}; // +13
    }

    void importsADownload()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, added);
        QFETCH(QStringList, stored);
        const QString dir =
            QStringLiteral(BRISKLANDER_SOURCE_DIR "/tests/core/folder/data/") + folder;
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
                 QString::fromUtf8(TestFiles::contentOf(dir + "/summary.txt")));
        added += DemoIds;
        added.sort();
        QCOMPARE(storedIds(), added);
        expectStored(stored);
    }

    // The starter data as the build imports it: every airport has its zone but those
    // whose standard offset the table cannot hold.
    void starterDataHasItsZones()
    {
        Options options = Options::inFolder(BRISKLANDER_SOURCE_DIR "/data/ourairports");
        options.updateExisting = true;
        // The South Pole station's line is refused (a pole cannot be stored).
        QVERIFY(OurAirports::import(*m_ws, m_path, options).kept > 0);
        const QList<std::pair<const char*, QString>> expected{
            {"KTEB", "-5"},   {"KDEN", "-7"},   {"KPHX", "-7"}, {"PHNL", "-10"},
            {"CYYT", "-3.5"}, {"SAEZ", "-3"},   {"SCEL", "-4"}, {"EGLL", "0"},
            {"EIDW", "0"},    {"GMMN", "1"},    {"LFPG", "1"},  {"UAAA", "5"},
            {"VIDP", "5.5"},  {"VNKT", "5.75"}, {"YSSY", "10"}, {"NZAA", "12"},
        };
        for (const auto& [id, zone] : expected)
            QCOMPARE(std::pair(id, zoneText(id)), std::pair(id, zone));

        auto empty = m_ws->openDatabase(m_path)->openRecordset(
            QStringLiteral("SELECT ID FROM Airports WHERE [TIME ZONE] IS NULL ORDER BY ID"),
            Db::RecordsetType::Snapshot);
        QStringList ids;
        for (int i = 0; i < empty->recordCount(); ++i)
            ids << empty->row(i).value(0).toString();
        QVERIFY2(ids.size() < 20, qPrintable(ids.join(' ')));
        QVERIFY(ids.contains("NFTF")); // +13
        QVERIFY(ids.contains("NZCI")); // +12:45
    }

    // The tool on every kind of airports file: what it keeps, what it says, its status.
    void toolExitStatus_data()
    {
        QTest::addColumn<QByteArray>("airports"); // "-": no file, "/": a folder, "|": a FIFO
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // the summary's first line, then lines it holds
        QTest::addColumn<QString>("err");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("stored"); // "ID|COLUMN|value", "<null>" for none
        const auto row = [](const char* name, const QByteArray& airports, int exitCode,
                            const char* out, const char* err, const QStringList& added = {},
                            const QStringList& stored = {}) {
            QTest::newRow(name) << airports << exitCode << QString::fromUtf8(out)
                                << QString::fromUtf8(err) << added << stored;
        };
        const QByteArray ok = AirportsHeader + "1,ZAOK,small_airport,Fine,45,-100,10,US,US-SD,\n";
        const QByteArray open = "2,ZAOL,small_airport,\"Open,45,-100,10,US,US-SD,\n";
        row("clean", ok + "2,ZAOL,large_airport,Finer,-45,100,,US,US-SD,\n", 0,
            "Read 2 airports: 2 added, 0 updated, 0 skipped, 0 rejected.", "", {"ZAOK", "ZAOL"},
            {"ZAOL|ELEVATION|<null>", "ZAOK|ELEVATION|10"});
        row("every line refused",
            AirportsHeader + open + "2,ZAOL,small_airport,Short,45,-100,10,US\n" +
                "3,ZAHI,small_airport,High,45,-100,1e12,US,US-SD,\n",
            1, "Read 3 airports: 0 added, 0 updated, 0 skipped, 3 rejected.",
            "error: no airport of");
        row("Windows-1252",
            AirportsHeader + "1,ZAOK,small_airport,Caf\xe9 \x96 \x80 Field,45,-100,10,US,US-SD,\n",
            0,
            "Read 1 airports: 1 added, 0 updated, 0 skipped, 0 rejected.\n"
            "  airports.csv is not UTF-8: read as Windows-1252",
            "", {"ZAOK"}, {"ZAOK|NAME|CAF\u00c9 \u2013 \u20ac FIELD"});
        row("line break in a quoted name",
            AirportsHeader + "1,ZAOK,small_airport,\"Two\r\nLines\",45,-100,10,US,US-SD,\n" + open,
            3,
            "Read 2 airports: 1 added, 0 updated, 0 skipped, 1 rejected.\n"
            "  rejected: airports.csv line 4: a quoted field is not closed",
            "", {"ZAOK"}, {"ZAOK|NAME|TWO LINES"});
        row("NUL in a name",
            ok + QByteArray("2,ZAOL,small_airport,Cut\0Here,45,-100,10,US,,\n", 46), 3,
            "Read 2 airports: 1 added, 0 updated, 0 skipped, 1 rejected.\n"
            "  rejected: airports.csv line 3: the line holds a NUL character (byte 0)",
            "", {"ZAOK"});
        row("one identifier twice", ok + "2,ZAOK,small_airport,Again,46,-100,10,US,US-SD,\n", 3,
            "Read 2 airports: 1 added, 0 updated, 0 skipped, 1 rejected.\n"
            "  rejected: airports.csv line 3 (ZAOK): identifier ZAOK again, as on line 2; the "
            "line is left out",
            "", {"ZAOK"}, {"ZAOK|NAME|FINE"});
        row("garbage", QByteArray("\x89PNG\r\n\x1a\n\"\xff\xfe,,\n\x00\x01\"\n,,,\n"), 1, "",
            "error 3343: The file '");
        const char* none = "Read 0 airports: 0 added, 0 updated, 0 skipped, 0 rejected.";
        row("empty file", QByteArray(), 1, none, "holds no airports");
        row("header only", AirportsHeader, 1, none, "holds no airports");
        row("missing", "-", 1, "", "error 3024: Could not read");
        row("a folder in its place", "/", 1, "", "error 3024: Could not read");
        // Planted by another user: never waited on, the folder's lock included.
        row("FIFOs as airports.csv and the folder's lock", "|", 1, "",
            "airports.csv': it is a FIFO (named pipe), not a regular file.");
    }
    // A FIFO planted at the database writers' lock: the import stops at once, naming it,
    // and writes nothing without the lock.
    void fifoAsTheWritersLockStopsTheImport()
    {
        const QString dir = writeSet(AirportsHeader + "1,ZAOK,small_airport,Fine,45,-100,10,US,,\n",
                                     RunwaysHeader + "1,ZAOK,5000,100,1,0\n");
        const QString lock = m_dir->filePath("Brisklander.mdb.lock");
        QFile::remove(lock);
        QVERIFY(::mkfifo(QFile::encodeName(lock).constData(), 0666) == 0);
        const Tool tool = runImport(dir, {}, 10000);
        QFile::remove(lock);
        QCOMPARE(tool.exitCode, 1);
        QVERIFY2(tool.err.contains("Brisklander.mdb.lock' cannot be used: "), qPrintable(tool.err));
        QVERIFY(!ReadAirport(*m_ws, m_path, "ZAOK"));
    }

    void toolExitStatus()
    {
        QFETCH(QByteArray, airports);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QStringList, added);
        QFETCH(QStringList, stored);
        const QString dir = writeSet(airports, RunwaysHeader + "1,ZAOK,5000,100,1,0\n"
                                                               "2,ZAOL,5000,100,1,0\n"
                                                               "3,ZAHI,5000,100,1,0\n");
        if (airports == "|") {
            const QString lock = m_dir->filePath("Brisklander.lock");
            QFile::remove(lock);
            QVERIFY(::mkfifo(QFile::encodeName(lock).constData(), 0666) == 0);
        }
        const Tool tool = runImport(dir, {}, 10000);
        QCOMPARE(tool.exitCode, exitCode);
        const QStringList lines = out.split(u'\n');
        QCOMPARE(tool.out.section(u'\n', 0, 0), lines[0]);
        for (const QString& line : lines.mid(1))
            QVERIFY2(tool.out.contains(line + u'\n'), qPrintable(tool.out));
        QVERIFY2(err.isEmpty() ? tool.err.isEmpty() : tool.err.contains(err), qPrintable(tool.err));
        QCOMPARE(storedIds(), DemoIds + added);
        expectStored(stored);
    }

private:
    inline static const QByteArray AirportsHeader =
        "id,ident,type,name,latitude_deg,longitude_deg,elevation_ft,iso_country,iso_region,"
        "gps_code\n";
    inline static const QByteArray RunwaysHeader =
        "airport_ref,airport_ident,length_ft,width_ft,lighted,closed\n";
    // The demonstration set of a new program folder, as the table orders it.
    inline static const QStringList DemoIds{"CYYZ", "EDDF", "EGLC", "EGLL", "FAOR", "HKJK", "KASE",
                                            "KBOS", "KDEN", "KJFK", "KLAX", "KMIA", "KMVY", "KORD",
                                            "KPBI", "KTEB", "LEIB", "LFPB", "LSGG", "MYNN", "NZAA",
                                            "OMDB", "RJTT", "SBGR", "SEQM", "TFFJ", "TNCM", "YSSY"};

    struct Tool
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Tool runImport(const QString& dir, const QStringList& more = {}, int timeout = 120000)
    {
        QProcess process;
        process.start(QStringLiteral(BRISKLANDER_TOOL_PATH),
                      QStringList{"import", m_dir->path(), dir} + more);
        Tool tool;
        if (!process.waitForFinished(timeout) || process.exitStatus() != QProcess::NormalExit) {
            process.kill(); // a tool that waits for ever fails the test instead
            process.waitForFinished();
            return tool;
        }
        tool.exitCode = process.exitCode();
        tool.out = QString::fromUtf8(process.readAllStandardOutput());
        tool.err = QString::fromUtf8(process.readAllStandardError());
        return tool;
    }
    // A download folder of its own with these airports and runways; "-" leaves the
    // airports file out, "/" puts a folder in its place.
    QString writeSet(const QByteArray& airports, const QByteArray& runways)
    {
        const QString dir = m_dir->filePath("download");
        QDir().mkpath(dir);
        if (airports == "/")
            QDir(dir).mkdir("airports.csv");
        else if (airports == "|")
            ::mkfifo(QFile::encodeName(dir + "/airports.csv").constData(), 0666);
        else if (airports != "-")
            write("download/airports.csv", airports);
        write("download/runways.csv", runways);
        write("download/countries.csv", "code,name\nUS,United States\n");
        return dir;
    }
    // The stored time zone of an airport as text, "none" without one.
    QString zoneText(const char* id)
    {
        const std::optional<float> zone = ReadAirport(*m_ws, m_path, id)->TIME_ZONE;
        return zone ? QString::number(*zone) : QStringLiteral("none");
    }
    QVariant stored(const QString& id, const QString& column)
    {
        auto set = m_ws->openDatabase(m_path)->openRecordset(
            QStringLiteral("SELECT [%1] FROM Airports WHERE ID = '%2'").arg(column, id),
            Db::RecordsetType::Snapshot);
        return set->recordCount() == 1 ? set->row(0).value(0) : QVariant(QStringLiteral("?"));
    }
    void expectStored(const QStringList& checks)
    {
        for (const QString& check : checks) {
            const QStringList part = check.split(u'|');
            const QVariant value = stored(part[0], part[1]);
            QCOMPARE(part[0] + u'|' + part[1] + u'|' +
                         (value.isNull() ? QStringLiteral("<null>") : value.toString()),
                     check);
        }
    }
    QStringList storedIds()
    {
        QStringList ids;
        auto set = m_ws->openDatabase(m_path)->openRecordset(
            QStringLiteral("SELECT ID FROM Airports ORDER BY ID"), Db::RecordsetType::Snapshot);
        for (int i = 0; i < set->recordCount(); ++i)
            ids << set->row(i).value(0).toString();
        return ids;
    }
    using Options = OurAirports::Options;
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
