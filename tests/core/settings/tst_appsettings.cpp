#include "core/settings/appsettings.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include "support/databasedump.h"
#include "support/systemfaults.h"
#include "support/testfiles.h"

#include <sqlite3.h>

#include <csignal>
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

AppSettings with(QString CompanyDetails::*field, const QString& value)
{
    AppSettings s;
    s.company.*field = value;
    return s;
}

// Each company key holds a value of its own: "NAME=Old Air NAME".
QString companyValue(const CompanyField& field)
{
    return u"Old Air "_s + field.key;
}

const QByteArray RealisticFile = [] {
    QByteArray file("; Settings of Brisklander\r\n[SETTINGS]\r\nQuoteBase = NM\r\n"
                    "MINRUNWAYLENGTH = 5000\r\nSORTORDER=[name]\r\nDEFAULTCHARGESM=4.50\r\n"
                    "DEFAULTCHARGENM=5.175\r\nMINBASECHARGE=750.00\r\nDEFAULTAIRPORT=KBOS\r\n"
                    "SEGMENTTAX=3.60\r\nROUNDMILES=1\r\n\r\n[COMPANY]\r\n");
    for (const CompanyField& field : CompanyFields::All)
        file += field.key.latin1() + QByteArray(" = ") + companyValue(field).toLatin1() + "\r\n";
    return file;
}();

// What RealisticFile holds; each field differs from its default.
const AppSettings Realistic = [] {
    AppSettings s(QuoteBase::Nautical, 5000, SortOrder::Name, 4.5, 5.175, 750, u"KBOS"_s, 3.6, true,
                  {});
    for (const CompanyField& field : CompanyFields::All)
        s.company.*field.value = companyValue(field);
    return s;
}();

// The locales a file is written and read in.
const QList<QLocale> Locales{QLocale(QLocale::English, QLocale::UnitedStates),
                             QLocale(QLocale::German, QLocale::Germany),
                             QLocale(QLocale::French, QLocale::France),
                             QLocale(QLocale::German, QLocale::Switzerland), QLocale::c()};

} // namespace

class TestAppSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Each row reads a SETTINGS section with one line (or an empty file) in a locale: the
    // whole record must be the defaults except where `expected` says. A value by hand is
    // read as a person reading the file takes it, or not at all: never as ten times (or a
    // tenth of) itself; a number not read takes its default and is listed with the value
    // used.
    void readRules_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<AppSettings>("expected");
        QTest::addColumn<QString>("used"); // empty: nothing listed
        const QLocale& de = Locales[1];
        const QLocale& fr = Locales[2];
        const QLocale& ch = Locales[3];
        const auto row = [](const char* name, const char* line, const AppSettings& expected,
                            const char* used = "", const QLocale& locale = Locales[0]) {
            QTest::newRow(name) << locale << QByteArray(line) << expected
                                << QString::fromLatin1(used);
        };
        const auto nm = [](double value) { return with(&AppSettings::DEFAULTCHARGENM, value); };
        const auto tax = [](double value) { return with(&AppSettings::SEGMENTTAX, value); };
        const auto runway = [](qint32 value) { return with(&AppSettings::MINRUNWAYLENGTH, value); };

        row("empty file: defaults, segment tax 2.5", "", tax(2.5));
        row("segment tax zero is no default", "SEGMENTTAX=0", tax(0));
        row("segment tax not numeric", "SEGMENTTAX=none", tax(2.5), "2.5");
        row("segment tax 5,3 in English", "SEGMENTTAX=5,3", tax(2.5), "2.5");
        row("segment tax empty", "SEGMENTTAX=", tax(2.5));

        row("NM in blanks is nautical", "QUOTEBASE=\" NM \"",
            with(&AppSettings::QUOTEBASE, QuoteBase::Nautical));
        row("nm is statute", "QUOTEBASE=nm", with(&AppSettings::QUOTEBASE, QuoteBase::Statute));
        row("NM with a tab is statute", "QUOTEBASE=\"NM\t\"", {});

        row("[name] sorts by name", "SORTORDER=[name]",
            with(&AppSettings::SORTORDER, SortOrder::Name));
        row("NAME sorts by id", "SORTORDER=NAME", with(&AppSettings::SORTORDER, SortOrder::Id));

        row("runway 450.5 halves to even", "MINRUNWAYLENGTH=450.5", runway(450));
        row("runway 451.5 halves to even", "MINRUNWAYLENGTH=451.5", runway(452));
        row("runway beyond 32 bits", "MINRUNWAYLENGTH=2147483648", {}, "0");
        row("runway 5,00 in English", "MINRUNWAYLENGTH=5,00", {}, "0");

        row("airport of two", "DEFAULTAIRPORT=AB", {});
        row("airport of three keeps case", "DEFAULTAIRPORT=jfk",
            with(&AppSettings::DEFAULTAIRPORT, u"jfk"_s));
        row("airport of three with a blank", "DEFAULTAIRPORT=\" AB\"",
            with(&AppSettings::DEFAULTAIRPORT, u" AB"_s));
        row("airport of four", "DEFAULTAIRPORT=KJFK",
            with(&AppSettings::DEFAULTAIRPORT, u"KJFK"_s));
        row("airport of five", "DEFAULTAIRPORT=KJFKX", {});

        row("rounding 1", "ROUNDMILES=1", with(&AppSettings::ROUNDMILES, true));
        row("rounding 0", "ROUNDMILES=0", {});
        row("rounding 2", "ROUNDMILES=2", {});
        row("rounding a word", "ROUNDMILES=yes", {}, "0");

        row("company key in SETTINGS unread", "NAME=Acme", {});
        row("company name keeps its blanks", "[company]\r\nname=\"  Acme  air \"",
            with(&CompanyDetails::NAME, u"  Acme  air "_s));

        row("8,5 in English", "DEFAULTCHARGENM=8,5", nm(0), "0");
        row("8,5 in C", "DEFAULTCHARGENM=8,5", nm(0), "0", QLocale::c());
        row("8,5 in Swiss German", "DEFAULTCHARGENM=8,5", nm(0), "0", ch);
        row("8,5 in German", "DEFAULTCHARGENM=8,5", nm(8.5), "", de);
        row("8,5 in French", "DEFAULTCHARGENM=8,5", nm(8.5), "", fr);
        row("1,500 in English", "DEFAULTCHARGENM=1,500", nm(1500));
        row("8,50 in English", "DEFAULTCHARGENM=8,50", nm(0), "0");
        // The user's own grouped form reads in it; a plain decimal is never read as
        // grouping ("8.5" is not 85 in German, "1.500" not 1500).
        row("1.234,5 in German", "DEFAULTCHARGENM=1.234,5", nm(1234.5), "", de);
        row("1 234,5 in French", "DEFAULTCHARGENM=1 234,5", nm(1234.5), "", fr);
        row("1'234.5 in Swiss German", "DEFAULTCHARGENM=1'234.5", nm(1234.5), "", ch);
        row("1,234.5 in English", "DEFAULTCHARGENM=1,234.5", nm(1234.5));
        AppSettings plain = with(&AppSettings::DEFAULTCHARGESM, 8.5);
        plain.MINBASECHARGE = 1.5;
        for (const QLocale& locale : Locales)
            row(qPrintable(u"plain decimals in "_s + locale.name()),
                "DEFAULTCHARGESM=8.5\r\nMINBASECHARGE=1.500", plain, "", locale);
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
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QTEST(read, "expected");
        QList<UnreadableSetting> expected;
        if (!used.isEmpty()) {
            const QList<QByteArray> parts = line.split('=');
            expected.append({QString::fromLatin1(parts[0]), QString::fromLatin1(parts[1]), used});
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

        path = fileWith(QByteArray());
        current = readSettings(path);
        SaveSettings(path, current, Realistic);
        entered = Realistic;
        entered.SORTORDER = SortOrder::Id;
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
        QTest::newRow("killed before the catalogue commit") << false;
        QTest::newRow("killed after the catalogue commit") << true;
    }

    void killedSaveLeavesBothOrNeither()
    {
        QFETCH(bool, committed);
        QTemporaryDir dir;
        const QString settings = dir.filePath(u"Brisklander.INI"_s);
        const QString database = dir.filePath(u"Brisklander.mdb"_s);
        QFile file(settings);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[COMPANY]\r\nNAME=Old Air\r\n") > 0);
        file.close();
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(database).constData(), &db), SQLITE_OK);
        QCOMPARE(
            sqlite3_exec(
                db,
                "PRAGMA journal_mode=WAL; CREATE TABLE AdditionalCharges (Name TEXT);"
                "CREATE TABLE Taxes (Name TEXT, Id INTEGER); INSERT INTO Taxes VALUES ('OLD', 1);",
                nullptr, nullptr, nullptr),
            SQLITE_OK);
        // What a write killed half-way leaves, and a file of the operator's of a like name.
        for (const char* name :
             {"Brisklander.INI.x1Y2z3.brisklander-tmp", "Brisklander.INI.backup"}) {
            QFile left(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(left.open(QIODevice::WriteOnly));
        }

        const pid_t child = ::fork();
        if (child == 0) {
            AppSettings current = readSettings(settings);
            const AppSettings entered = with(&CompanyDetails::NAME, u"New Air"_s);
            SaveSettings(settings, current, entered, [&database, committed] {
                sqlite3* own = nullptr;
                sqlite3_open(QFile::encodeName(database).constData(), &own);
                if (committed)
                    sqlite3_exec(own, "UPDATE Taxes SET Name = 'NEW'", nullptr, nullptr, nullptr);
                ::raise(SIGKILL);
                return true;
            });
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));

        LoadSettings(settings);
        QCOMPARE(appSettings().company.NAME, committed ? u"New Air"_s : u"Old Air"_s);
        sqlite3_close(db);
        QCOMPARE(dumpDatabase(database, {u"Taxes"_s}),
                 QStringList{committed ? u"Taxes|NEW|1"_s : u"Taxes|OLD|1"_s});
        QCOMPARE(QDir(dir.path()).entryList({u"Brisklander.INI*"_s}, QDir::Files),
                 QStringList({u"Brisklander.INI"_s, u"Brisklander.INI.backup"_s}));
    }

    // A file replaced over and over (as the window's Save replaces it) while it is read
    // gives one whole version each time, never keys of both.
    void fileReplacedWhileReadGivesOneVersion()
    {
        const QString path = fileWith(RealisticFile);
        const QString first = fileWith(RealisticFile);
        QByteArray other = RealisticFile;
        other.replace("4.50", "9.50").replace("KBOS", "KTEB").replace("Old Air NAME", "Other Air");
        const QString second = fileWith(other);
        const pid_t replacer = ::fork();
        if (replacer == 0) {
            const QByteArray target = QFile::encodeName(path);
            const QByteArray next = target + ".next";
            for (int i = 0;; ++i) {
                if (::link(QFile::encodeName(i % 2 ? second : first).constData(),
                           next.constData()) == 0)
                    ::rename(next.constData(), target.constData());
            }
        }
        AppSettings seconds = Realistic;
        seconds.DEFAULTCHARGESM = 9.5;
        seconds.DEFAULTAIRPORT = u"KTEB"_s;
        seconds.company.NAME = u"Other Air"_s;
        int mixed = 0;
        for (int read = 0; read < 300; ++read) {
            const AppSettings settings = readSettings(path);
            if (settings != Realistic && settings != seconds)
                ++mixed;
        }
        ::kill(replacer, SIGKILL);
        ::waitpid(replacer, nullptr, 0);
        QCOMPARE(mixed, 0);
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
        for (const QLocale& locale : Locales)
            QTest::newRow(qPrintable(locale.name())) << locale;
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
        for (const QLocale& reader : Locales) {
            QLocale::setDefault(reader);
            QCOMPARE(readSettings(path), entered);
        }
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
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
