#include "core/settings/appsettings.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include "core/db/engine.h"

#include "support/databasedump.h"
#include "support/folderrig.h"
#include "support/serverdatabase.h"
#include "support/systemfaults.h"
#include "support/tablerows.h"
#include "support/testfiles.h"

#include <optional>
#include <type_traits>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(AppSettings)

namespace {

// The defaults with one field set.
template <typename T> AppSettings with(T AppSettings::*field, std::type_identity_t<T> value)
{
    AppSettings s;
    s.*field = value;
    return s;
}

AppSettings with(const DatabaseServer& server)
{
    AppSettings s;
    s.DATABASE = server;
    return s;
}

AppSettings with(QString CompanyDetails::*field, const QString& value)
{
    AppSettings s;
    s.company.*field = value;
    return s;
}

// Each company key holds a value of its own: "NAME = Old Air NAME".
const QByteArray RealisticFile = [] {
    QByteArray file("; Settings of Brisklander\r\n[SETTINGS]\r\nQuoteBase = NM\r\n"
                    "MINRUNWAYLENGTH = 5000\r\nSORTORDER=[name]\r\nDEFAULTCHARGESM=4.50\r\n"
                    "DEFAULTCHARGENM=5.175\r\nMINBASECHARGE=750.00\r\nDEFAULTAIRPORT=KBOS\r\n"
                    "SEGMENTTAX=3.60\r\nROUNDMILES=1\r\n\r\n[COMPANY]\r\n");
    for (const CompanyField& field : CompanyFields::All)
        file += field.key.latin1() + QByteArray(" = ") + "Old Air " + field.key.latin1() + "\r\n";
    return file;
}();

// What RealisticFile holds; each field differs from its default.
const AppSettings Realistic = [] {
    AppSettings s;
    s.QUOTEBASE = QuoteBase::Nautical, s.MINRUNWAYLENGTH = 5000, s.SORTORDER = SortOrder::Name;
    s.DEFAULTCHARGESM = 4.5, s.DEFAULTCHARGENM = 5.175, s.MINBASECHARGE = 750;
    s.DEFAULTAIRPORT = u"KBOS"_s, s.SEGMENTTAX = 3.6, s.ROUNDMILES = true;
    for (const CompanyField& field : CompanyFields::All)
        s.company.*field.value = u"Old Air "_s + field.key;
    return s;
}();

// The locales a file is written and read in: a decimal point and comma grouping, and a
// decimal comma with point grouping.
const QLocale English(QLocale::English, QLocale::UnitedStates);
const QLocale German(QLocale::German, QLocale::Germany);

// Runs a statement on the Taxes of a server database; a SELECT's rows come back as
// "Taxes|type|percent".
QStringList serverTaxes(const QString& location, const char* sql)
{
    const std::shared_ptr<Db::Workspace> workspace = Db::DbEngine::scratchWorkspace();
    const std::shared_ptr<Db::Database> database = workspace->openDatabase(location);
    QStringList rows;
    if (QByteArray(sql).startsWith("SELECT")) {
        const auto set =
            database->openRecordset(QString::fromLatin1(sql), Db::RecordsetType::Snapshot);
        for (int i = 0; i < set->recordCount(); ++i)
            rows << u"Taxes|"_s + set->row(i).value(0).toString() + u'|' +
                        set->row(i).value(1).toString();
    } else {
        database->execute(QString::fromLatin1(sql));
    }
    workspace->close();
    return rows;
}

} // namespace

class TestAppSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(English); }

    // Each row reads a SETTINGS section with one line (or an empty file) in a locale: the
    // whole record must be the defaults except where `expected` says. A value by hand is
    // read as a person reading the file takes it, or not at all: never as ten times (or a
    // tenth of) itself; a number not read takes its default and is listed with the value
    // used. The number forms themselves are Format's rows: these show that a plain number
    // is read first, and the user's own form only after it.
    void readRules_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<AppSettings>("expected");
        QTest::addColumn<QString>("used"); // empty: nothing listed
        const auto row = [](const char* name, const QByteArray& line, const AppSettings& expected,
                            const char* used = "", const QLocale& locale = English) {
            QTest::newRow(name) << locale << QByteArray(line) << expected
                                << QString::fromLatin1(used);
        };
        const auto nm = [](double value) { return with(&AppSettings::DEFAULTCHARGENM, value); };
        const auto tax = [](double value) { return with(&AppSettings::SEGMENTTAX, value); };
        const auto runway = [](qint32 value) { return with(&AppSettings::MINRUNWAYLENGTH, value); };

        row("empty file: defaults, segment tax 2.5", "", tax(2.5));
        row("segment tax zero is no default", "SEGMENTTAX=0", tax(0));
        row("segment tax not numeric", "SEGMENTTAX=none", tax(2.5), "2.5");
        row("segment tax empty", "SEGMENTTAX=", tax(2.5));

        row("NM in blanks is nautical", "QUOTEBASE=\" NM \"",
            with(&AppSettings::QUOTEBASE, QuoteBase::Nautical));
        row("nm is statute", "QUOTEBASE=nm", {});
        row("NM with a tab is statute", "QUOTEBASE=\"NM\t\"", {});

        row("[name] sorts by name", "SORTORDER=[name]",
            with(&AppSettings::SORTORDER, SortOrder::Name));
        row("NAME sorts by id", "SORTORDER=NAME", with(&AppSettings::SORTORDER, SortOrder::Id));
        row("anything in any case", "SEARCHMODE= anything",
            with(&AppSettings::SEARCHMODE, FindMode::Anything));
        row("another search mode searches by the list", "SEARCHMODE=ALL", {});

        row("runway 450.5 halves to even", "MINRUNWAYLENGTH=450.5", runway(450));
        row("runway 451.5 halves to even", "MINRUNWAYLENGTH=451.5", runway(452));
        row("runway beyond 32 bits", "MINRUNWAYLENGTH=2147483648", {}, "0");

        row("airport of two", "DEFAULTAIRPORT=AB", {});
        row("airport of three keeps case and blanks", "DEFAULTAIRPORT=\" jk\"",
            with(&AppSettings::DEFAULTAIRPORT, u" jk"_s));
        row("airport of four", "DEFAULTAIRPORT=KJFK",
            with(&AppSettings::DEFAULTAIRPORT, u"KJFK"_s));
        row("airport of five", "DEFAULTAIRPORT=KJFKX", {});

        row("aircraft named without its blanks", "AIRCRAFT=\" Learjet 60 \"",
            with(&AppSettings::AIRCRAFT, u"Learjet 60"_s));

        row("first start", "FIRSTSTART= 1", with(&AppSettings::FIRSTSTART, true));
        row("first start only as 1", "FIRSTSTART=yes", {});

        row("rounding 1", "ROUNDMILES=1", with(&AppSettings::ROUNDMILES, true));
        row("rounding 2", "ROUNDMILES=2", {});
        row("rounding a word", "ROUNDMILES=yes", {}, "0");

        row("company name keeps its blanks", "[company]\r\nname=\"  Acme  air \"",
            with(&CompanyDetails::NAME, u"  Acme  air "_s));

        const auto days = [](qint32 value) { return with(&AppSettings::VALIDITYDAYS, value); };
        row("valid for 365 days", "[QUOTES]\r\nVALIDITYDAYS=365", days(365));
        row("valid for 366 days", "[QUOTES]\r\nVALIDITYDAYS=366", days(30), "30");
        row("terms: breaks, backslashes, 300 characters",
            "[QUOTES]\r\nTERMS=Net 30.\\nC:\\\\n\\q\\r\\n" + QByteArray(300, 'x'),
            with(&AppSettings::TERMS, u"Net 30.\nC:\\n\\q\r\n"_s + QString(300, u'x')));
        row("empty mail subject takes the default", "[QUOTES]\r\nMAILSUBJECT=", {});

        row("a server", "[DATABASE]\r\nHOST= db.office \r\nPORT=5433\r\nNAME=charter\r\nUSER=anna",
            with(DatabaseServer{u"db.office"_s, 5433, u"charter"_s, u"anna"_s}));
        row("a port beyond the range", "[DATABASE]\r\nPORT=70000", {}, "0");

        row("8,5 in English", "DEFAULTCHARGENM=8,5", nm(0), "0");
        row("1,500 in English", "DEFAULTCHARGENM=1,500", nm(1500));
        // The user's own form reads in it; a plain decimal is never read as grouping
        // ("8.5" is not 85 in German, "1.500" not 1500).
        row("1.234,5 in German", "DEFAULTCHARGENM=1.234,5", nm(1234.5), "", German);
        AppSettings plain = with(&AppSettings::DEFAULTCHARGESM, 8.5);
        plain.MINBASECHARGE = 1.5;
        row("plain decimals in German", "DEFAULTCHARGESM=8.5\r\nMINBASECHARGE=1.500", plain, "",
            German);
    }

    // The server as libpq reads it: each value quoted, whatever it holds.
    void serverLocation()
    {
        QCOMPARE(DatabaseServer{}.location(), QString());
        QCOMPARE((DatabaseServer{u"/run/postgresql"_s, 0, u"o'brien\\air"_s, {}}.location()),
                 u"host='/run/postgresql' dbname='o\\'brien\\\\air'"_s);
        QCOMPARE((DatabaseServer{u"db"_s, 5433, u"charter"_s, u"anna"_s}.location()),
                 u"host='db' port=5433 dbname='charter' user='anna'"_s);
    }

    void readRules()
    {
        QFETCH(QLocale, locale);
        QFETCH(QByteArray, line);
        QFETCH(QString, used);
        QLocale::setDefault(locale);
        QList<UnreadableSetting> unreadable;
        const QByteArray content = line.isEmpty() ? line : "[SETTINGS]\r\n" + line + "\r\n";
        const AppSettings read = readSettings(fileWith(content), &unreadable);
        QLocale::setDefault(English);
        QTEST(read, "expected");
        QList<UnreadableSetting> expected;
        if (!used.isEmpty()) {
            const QList<QByteArray> parts = line.split('=');
            expected.append({QString::fromLatin1(parts[0]).section(u'\n', -1),
                             QString::fromLatin1(parts[1]), used});
        }
        QCOMPARE(unreadable, expected);
    }

    // Each key is read from its own name, and Save writes only the keys that changed:
    // every other line stays as it was (4.50 is not rewritten as 4.5, nor 5000 as
    // " 5000"); QUOTEBASE is written on every save, in the spelling the file uses; a
    // changed runway length has a blank for its sign (a negative one its sign there);
    // a segment tax entered as the 2.5 it reads as stays missing; SORTORDER is never
    // saved, so never changed.
    void saveWritesOnlyChangedKeys()
    {
        QCOMPARE(readSettings(fileWith(RealisticFile)), Realistic);
        QString path = fileWith(RealisticFile);
        AppSettings current = readSettings(path);
        AppSettings entered = current;
        entered.company.NAME = u"New Name Air"_s;
        SaveSettings(path, current, entered);
        QCOMPARE(current, entered);
        QCOMPARE(contentOf(path), QByteArray(RealisticFile)
                                      .replace("QuoteBase = NM\r\n", "QuoteBase=NM\r\n")
                                      .replace("NAME = Old Air NAME\r\n", "NAME=New Name Air\r\n"));

        path = fileWith("[SETTINGS]\r\nMINRUNWAYLENGTH=3000\r\n\r\n[COMPANY]\r\nNAME=A\r\n");
        current = readSettings(path);
        entered = current;
        entered.MINRUNWAYLENGTH = 5000;
        entered.SEGMENTTAX = 2.5;
        SaveSettings(path, current, entered);
        QCOMPARE(contentOf(path),
                 QByteArray("[SETTINGS]\r\nMINRUNWAYLENGTH= 5000\r\nQUOTEBASE=SM\r\n"
                            "\r\n[COMPANY]\r\nNAME=A\r\n"));
        QCOMPARE(SettingsText::integer(-5), u"-5"_s);

        // Texts of QUOTES keep their line breaks, backslashes, blanks and quotes.
        path = fileWith(QByteArray());
        current = readSettings(path);
        entered = Realistic;
        entered.SORTORDER = SortOrder::Id;
        entered.VALIDITYDAYS = 45, entered.LOGO = u"C:\\new\\logo.png"_s;
        entered.TERMS = u"  Net 30 days.\r\nNo refunds. "_s, entered.MAILSUBJECT = u"'Quote'"_s;
        SaveSettings(path, current, entered);
        QCOMPARE(current, entered);
        QCOMPARE(readSettings(path), entered);
    }

    // A settings change that could not be written stays pending: the next Save writes it,
    // though the record already holds it.
    void failedSaveIsWrittenByTheNextSave()
    {
        const QString path = m_dir.filePath(u"later/Brisklander.INI"_s);
        AppSettings current;
        AppSettings entered = with(&CompanyDetails::CITY, u"Bedford"_s);
        entered.QUOTEBASE = QuoteBase::Nautical;
        QVERIFY(!SaveSettings(path, current, entered).ok);
        QCOMPARE(current, entered);
        QVERIFY(!QFile::exists(path));

        QVERIFY(QDir().mkpath(m_dir.filePath(u"later"_s)));
        QVERIFY(SaveSettings(path, current, entered).ok);
        QCOMPARE(readSettings(path), entered);
    }

    // Save killed at its seams: before the catalogue commit both stay old, after it the
    // next start (LoadSettings) finds both new; temporary files a killed write left
    // are gone after the start, and nothing else is touched.
    void killedSaveLeavesBothOrNeither_data()
    {
        QTest::addColumn<bool>("committed");
        QTest::addColumn<bool>("onServer");
        QTest::newRow("killed before the catalogue commit") << false << false;
        QTest::newRow("killed after the catalogue commit") << true << false;
        QTest::newRow("on a server, killed before the commit") << false << true;
        QTest::newRow("on a server, killed after the commit") << true << true;
    }

    void killedSaveLeavesBothOrNeither()
    {
        QFETCH(bool, committed);
        QFETCH(bool, onServer);
        QTemporaryDir dir;
        const QString settings = dir.filePath(u"Brisklander.INI"_s);
        const QString database = dir.filePath(u"Brisklander.mdb"_s);
        // On a server the folder's file is a stale one of before the move: it decides nothing.
        QCOMPARE(execSql(database, "PRAGMA journal_mode=WAL; CREATE TABLE AdditionalCharges "
                                   "(Name TEXT); CREATE TABLE Taxes (Name TEXT, Id INTEGER); "
                                   "INSERT INTO Taxes VALUES ('OLD', 1);"),
                 SQLITE_OK);
        std::optional<ServerDatabase> server;
        QByteArray file("[COMPANY]\r\nNAME=Old Air\r\n");
        if (onServer) {
            server.emplace(u"killedsave"_s);
            QVERIFY2(server->isMade(), qPrintable(server->error()));
            file += "[DATABASE]\r\nNAME=" + server->name().toUtf8() + "\r\n";
            serverTaxes(server->location(), "INSERT INTO Taxes VALUES ('OLD', 1)");
        }
        QVERIFY(QFile::copy(fileWith(file), settings));
        // What a write killed half-way leaves, and a file of the operator's of a like name.
        for (const char* name :
             {"Brisklander.INI.x1Y2z3.brisklander-tmp", "Brisklander.INI.backup"}) {
            QFile left(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(left.open(QIODevice::WriteOnly));
        }

        const pid_t child = forkDoing([&] {
            AppSettings current = readSettings(settings);
            SaveSettings(settings, current, with(&CompanyDetails::NAME, u"New Air"_s), [&] {
                if (committed && onServer)
                    serverTaxes(server->location(), "UPDATE Taxes SET \"Tax Type\" = 'NEW'");
                else if (committed)
                    execSql(database, "UPDATE Taxes SET Name = 'NEW'");
                ::raise(SIGKILL);
                return true;
            });
        });
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));

        LoadSettings(settings);
        QCOMPARE(appSettings().company.NAME, committed ? u"New Air"_s : u"Old Air"_s);
        QCOMPARE(onServer ? serverTaxes(server->location(), "SELECT * FROM Taxes")
                          : dumpDatabase(database, {u"Taxes"_s}),
                 QStringList{committed ? u"Taxes|NEW|1"_s : u"Taxes|OLD|1"_s});
        if (onServer)
            QCOMPARE(dumpDatabase(database, {u"Taxes"_s}), QStringList{u"Taxes|OLD|1"_s});
        QCOMPARE(QDir(dir.path()).entryList({u"Brisklander.INI*"_s}, QDir::Files),
                 QStringList({u"Brisklander.INI"_s, u"Brisklander.INI.backup"_s}));
    }

    // A file replaced over and over (as the window's Save replaces it) while it is read
    // gives one whole version each time, never keys of both.
    void fileReplacedWhileReadGivesOneVersion()
    {
        const QByteArray target = QFile::encodeName(fileWith(RealisticFile));
        const QByteArray first = QFile::encodeName(fileWith(RealisticFile));
        QByteArray other = RealisticFile;
        other.replace("4.50", "9.50").replace("KBOS", "KTEB").replace("Old Air NAME", "Other Air");
        const QByteArray second = QFile::encodeName(fileWith(other));
        const QByteArray next = target + ".next";
        const pid_t replacer = forkDoing([&] {
            for (int i = 0;; ++i)
                if (::link((i % 2 ? second : first).constData(), next.constData()) == 0)
                    ::rename(next.constData(), target.constData());
        });
        AppSettings seconds = Realistic;
        seconds.DEFAULTCHARGESM = 9.5;
        seconds.DEFAULTAIRPORT = u"KTEB"_s;
        seconds.company.NAME = u"Other Air"_s;
        int mixed = 0;
        for (int read = 0; read < 300; ++read) {
            const AppSettings settings = readSettings(QFile::decodeName(target));
            if (settings != Realistic && settings != seconds)
                ++mixed;
        }
        killChild(replacer);
        QCOMPARE(mixed, 0);
    }

    // The first start's key leaves its section, every spelling of it, and nothing else; a
    // file that cannot be written says why and stays as it was.
    void forgetFirstStart_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("among other keys") << QByteArray("[SETTINGS]\r\nfirststart = 1\r\nA=1\r\n")
                                          << QByteArray("[SETTINGS]\r\nA=1\r\n");
        QTest::newRow("twice, the last line without its end")
            << QByteArray("[SETTINGS]\nFIRSTSTART=1\nA=1\nFIRSTSTART=1")
            << QByteArray("[SETTINGS]\nA=1");
        QTest::newRow("in another section") << QByteArray("[COMPANY]\r\nFIRSTSTART=1\r\n")
                                            << QByteArray("[COMPANY]\r\nFIRSTSTART=1\r\n");
        QTest::newRow("on a full disk") << QByteArray("/dev/full") << QByteArray();
    }

    void forgetFirstStart()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QString error;
        if (before == "/dev/full") {
            QTemporaryDir dir;
            if (!runningAsRoot())
                QSKIP("A small disk needs root.");
            TinyDisk disk(dir.filePath(u"disk"_s), "16k");
            QVERIFY(disk.isMounted());
            const QString path = dir.filePath(u"disk/Brisklander.INI"_s);
            const QByteArray content = "[SETTINGS]\r\nFIRSTSTART=1\r\n" + QByteArray(9000, ';');
            QVERIFY(writeFile(path, content));
            disk.fill();
            QVERIFY(!ForgetFirstStart(path, &error));
            QVERIFY2(error.contains(u"No space left on device"_s), qPrintable(error));
            QCOMPARE(TestFiles::contentOf(path), content);
            return;
        }
        const QString path = fileWith(before);
        QVERIFY(ForgetFirstStart(path, &error));
        QCOMPARE(TestFiles::contentOf(path), after);
    }

    // A settings file that is there but cannot be read is no empty file (one this user
    // may not read stops the start: that test names the cause too).
    void unreadableFileIsAnError()
    {
        const QString path = m_dir.filePath(u"a folder"_s);
        QVERIFY(QDir().mkpath(path));
        try {
            readSettings(path);
            QFAIL("read as empty");
        } catch (const SettingsReadError& error) {
            QCOMPARE(error.text(),
                     u"The settings file '%1' cannot be read: Is a directory."_s.arg(path));
        }
    }

    // A file means the same numbers on every machine: what one locale writes, every
    // other reads as the same values.
    void sameNumbersInEveryLocale_data()
    {
        QTest::addColumn<QLocale>("writer");
        QTest::newRow("English") << English;
        QTest::newRow("German") << German;
    }

    void sameNumbersInEveryLocale()
    {
        QFETCH(QLocale, writer);
        QLocale::setDefault(writer);
        const QString path = fileWith(QByteArray());
        AppSettings current = readSettings(path);
        AppSettings entered = current;
        entered.DEFAULTCHARGENM = 8.5;
        entered.DEFAULTCHARGESM = 7.39;
        entered.MINBASECHARGE = 1500;
        entered.SEGMENTTAX = 5.3;
        entered.MINRUNWAYLENGTH = 3000;
        QVERIFY(SaveSettings(path, current, entered).ok);
        QCOMPARE(contentOf(path),
                 QByteArray("[SETTINGS]\r\nDEFAULTCHARGESM=7.39\r\nDEFAULTCHARGENM=8.5\r\n"
                            "SEGMENTTAX=5.3\r\nQUOTEBASE=SM\r\nMINRUNWAYLENGTH= 3000\r\n"
                            "MINBASECHARGE=1500\r\n"));
        for (const QLocale& reader : {English, German}) {
            QLocale::setDefault(reader);
            QCOMPARE(readSettings(path), entered);
        }
        QLocale::setDefault(English);
    }

private:
    QString fileWith(const QByteArray& content)
    {
        return m_dir.fileWith(content, u"Brisklander"_s);
    }
    static QByteArray contentOf(const QString& path) { return TestFiles::contentOf(path); }
    TestFiles m_dir;
};

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_appsettings.moc"
