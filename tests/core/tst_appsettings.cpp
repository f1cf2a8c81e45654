#include "core/appsettings.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// One "KEY=value" line per field, so a failed comparison names the field.
QStringList describe(const AppSettings& s)
{
    const auto number = [](double value) {
        return QString::number(value, 'g', QLocale::FloatingPointShortest);
    };
    return {
        u"QUOTEBASE="_s + (s.QUOTEBASE == QuoteBase::Nautical ? u"nautical"_s : u"statute"_s),
        u"MINRUNWAYLENGTH="_s + QString::number(s.MINRUNWAYLENGTH),
        u"SORTORDER="_s + s.SORTORDER,
        u"DEFAULTCHARGESM="_s + number(s.DEFAULTCHARGESM),
        u"DEFAULTCHARGENM="_s + number(s.DEFAULTCHARGENM),
        u"MINBASECHARGE="_s + number(s.MINBASECHARGE),
        u"DEFAULTAIRPORT="_s + s.DEFAULTAIRPORT,
        u"SEGMENTTAX="_s + number(s.SEGMENTTAX),
        u"ROUNDMILES="_s + (s.ROUNDMILES ? u"on"_s : u"off"_s),
        u"NAME="_s + s.NAME,
        u"ADDRESS1="_s + s.ADDRESS1,
        u"ADDRESS2="_s + s.ADDRESS2,
        u"CITY="_s + s.CITY,
        u"STATE="_s + s.STATE,
        u"ZIP="_s + s.ZIP,
        u"COUNTRY="_s + s.COUNTRY,
        u"PHONE1="_s + s.PHONE1,
        u"PHONE2="_s + s.PHONE2,
        u"FAX="_s + s.FAX,
        u"EMAIL="_s + s.EMAIL,
        u"WEBSITE="_s + s.WEBSITE,
    };
}

// The line of describe() for one key.
QString describeKey(const AppSettings& s, const QString& key)
{
    const QStringList lines = describe(s);
    for (const QString& line : lines) {
        if (line.startsWith(key + u'='))
            return line;
    }
    return u"no field "_s + key;
}

const QByteArray RealisticFile("; Settings of Brisklander\r\n"
                               "[SETTINGS]\r\n"
                               "QuoteBase = NM\r\n"
                               "MINRUNWAYLENGTH=5000\r\n"
                               "SORTORDER=[name]\r\n"
                               "DEFAULTCHARGESM=4.50\r\n"
                               "DEFAULTCHARGENM=5.175\r\n"
                               "MINBASECHARGE=750.00\r\n"
                               "DEFAULTAIRPORT=KBOS\r\n"
                               "SEGMENTTAX=3.60\r\n"
                               "ROUNDMILES=1\r\n"
                               "\r\n"
                               "[COMPANY]\r\n"
                               "NAME=Old Name Air\r\n"
                               "ADDRESS1=1 Hangar Road\r\n"
                               "ADDRESS2=Suite 2\r\n"
                               "CITY=Bedford\r\n"
                               "STATE=MA\r\n"
                               "ZIP=01730\r\n"
                               "COUNTRY=USA\r\n"
                               "PHONE1=781-555-0100\r\n"
                               "PHONE2=781-555-0101\r\n"
                               "FAX=781-555-0102\r\n"
                               "EMAIL=ops@example.com\r\n"
                               "WEBSITE=www.example.com\r\n");

// What RealisticFile holds.
AppSettings realisticSettings()
{
    AppSettings expected;
    expected.QUOTEBASE = QuoteBase::Nautical;
    expected.MINRUNWAYLENGTH = 5000;
    expected.SORTORDER = u"[NAME]"_s;
    expected.DEFAULTCHARGESM = 4.5;
    expected.DEFAULTCHARGENM = 5.175;
    expected.MINBASECHARGE = 750;
    expected.DEFAULTAIRPORT = u"KBOS"_s;
    expected.SEGMENTTAX = 3.6;
    expected.ROUNDMILES = true;
    expected.NAME = u"Old Name Air"_s;
    expected.ADDRESS1 = u"1 Hangar Road"_s;
    expected.ADDRESS2 = u"Suite 2"_s;
    expected.CITY = u"Bedford"_s;
    expected.STATE = u"MA"_s;
    expected.ZIP = u"01730"_s;
    expected.COUNTRY = u"USA"_s;
    expected.PHONE1 = u"781-555-0100"_s;
    expected.PHONE2 = u"781-555-0101"_s;
    expected.FAX = u"781-555-0102"_s;
    expected.EMAIL = u"ops@example.com"_s;
    expected.WEBSITE = u"www.example.com"_s;

    return expected;
}

} // namespace

class TestAppSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void emptyFileDefaults();
    void readsEveryKey();
    void readRules_data();
    void readRules();
    void loadSettingsReplacesSharedRecord();
    void integerText_data();
    void integerText();
    void numberText_data();
    void numberText();
    void quoteBaseAndFlagText();
    void saveWithOnlyCompanyNameChanged();
    void saveWritesChangedRunwayLengthWithBlank();
    void saveKeepsMissingKeyMissingWhenUnchanged();
    void saveWritesEveryChangedKeyInOrder();
    void failedSaveStillChangesRecord();

private:
    QString fileWith(const QByteArray& content);
    static QByteArray contentOf(const QString& path);

    QTemporaryDir m_dir;
    int m_fileCount = 0;
};

QString TestAppSettings::fileWith(const QByteArray& content)
{
    const QString path = m_dir.filePath(QStringLiteral("Brisklander%1.INI").arg(++m_fileCount));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray TestAppSettings::contentOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

void TestAppSettings::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(m_dir.isValid());
}

void TestAppSettings::emptyFileDefaults()
{
    const AppSettings s = readSettings(fileWith(QByteArray()));
    QCOMPARE(s.QUOTEBASE, QuoteBase::Statute);
    QCOMPARE(s.MINRUNWAYLENGTH, 0);
    QCOMPARE(s.SORTORDER, u"[ID]"_s);
    QCOMPARE(s.DEFAULTCHARGESM, 0.0);
    QCOMPARE(s.DEFAULTCHARGENM, 0.0);
    QCOMPARE(s.MINBASECHARGE, 0.0);
    QCOMPARE(s.DEFAULTAIRPORT, QString());
    QCOMPARE(s.SEGMENTTAX, 2.5);
    QCOMPARE(s.ROUNDMILES, false);
    for (const QString& company : {s.NAME, s.ADDRESS1, s.ADDRESS2, s.CITY, s.STATE, s.ZIP,
                                   s.COUNTRY, s.PHONE1, s.PHONE2, s.FAX, s.EMAIL, s.WEBSITE})
        QCOMPARE(company, QString());
}

void TestAppSettings::readsEveryKey()
{
    QCOMPARE(describe(readSettings(fileWith(RealisticFile))), describe(realisticSettings()));
}

void TestAppSettings::readRules_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");

    const auto settings = [](const char* line) {
        return QByteArray("[SETTINGS]\r\n") + line + "\r\n";
    };

    QTest::newRow("NM is nautical") << settings("QUOTEBASE=NM") << "QUOTEBASE=nautical";
    QTest::newRow("NM in blanks is nautical")
        << settings("QUOTEBASE=\" NM \"") << "QUOTEBASE=nautical";
    QTest::newRow("nm in lower case is statute") << settings("QUOTEBASE=nm") << "QUOTEBASE=statute";
    QTest::newRow("SM is statute") << settings("QUOTEBASE=SM") << "QUOTEBASE=statute";
    QTest::newRow("NM with a tab is statute")
        << settings("QUOTEBASE=\"NM\t\"") << "QUOTEBASE=statute";

    QTest::newRow("runway whole") << settings("MINRUNWAYLENGTH=5000") << "MINRUNWAYLENGTH=5000";
    QTest::newRow("runway 450.5 halves to even")
        << settings("MINRUNWAYLENGTH=450.5") << "MINRUNWAYLENGTH=450";
    QTest::newRow("runway 451.5 halves to even")
        << settings("MINRUNWAYLENGTH=451.5") << "MINRUNWAYLENGTH=452";
    QTest::newRow("runway -3.5 halves to even")
        << settings("MINRUNWAYLENGTH=-3.5") << "MINRUNWAYLENGTH=-4";
    QTest::newRow("runway grouped") << settings("MINRUNWAYLENGTH=5,000") << "MINRUNWAYLENGTH=5000";
    QTest::newRow("runway with blanks")
        << settings("MINRUNWAYLENGTH=\" 5000 \"") << "MINRUNWAYLENGTH=5000";
    QTest::newRow("runway largest integer")
        << settings("MINRUNWAYLENGTH=2147483647") << "MINRUNWAYLENGTH=2147483647";
    QTest::newRow("runway smallest integer")
        << settings("MINRUNWAYLENGTH=-2147483648") << "MINRUNWAYLENGTH=-2147483648";
    QTest::newRow("runway beyond integer range")
        << settings("MINRUNWAYLENGTH=2147483648") << "MINRUNWAYLENGTH=0";
    QTest::newRow("runway exponent beyond range")
        << settings("MINRUNWAYLENGTH=1e10") << "MINRUNWAYLENGTH=0";
    QTest::newRow("runway with unit") << settings("MINRUNWAYLENGTH=5000ft") << "MINRUNWAYLENGTH=0";
    QTest::newRow("runway empty") << settings("MINRUNWAYLENGTH=") << "MINRUNWAYLENGTH=0";

    QTest::newRow("[name] gives [NAME]") << settings("SORTORDER=[name]") << "SORTORDER=[NAME]";
    QTest::newRow("[NAME] in blanks") << settings("SORTORDER=\" [NAME] \"") << "SORTORDER=[NAME]";
    QTest::newRow("NAME without brackets gives [ID]")
        << settings("SORTORDER=NAME") << "SORTORDER=[ID]";
    QTest::newRow("[ID]") << settings("SORTORDER=[ID]") << "SORTORDER=[ID]";

    QTest::newRow("charge per statute mile")
        << settings("DEFAULTCHARGESM=4.25") << "DEFAULTCHARGESM=4.25";
    QTest::newRow("charge per statute mile grouped")
        << settings("DEFAULTCHARGESM=1,234.5") << "DEFAULTCHARGESM=1234.5";
    QTest::newRow("charge per statute mile not numeric")
        << settings("DEFAULTCHARGESM=four") << "DEFAULTCHARGESM=0";
    QTest::newRow("charge per nautical mile exponent")
        << settings("DEFAULTCHARGENM=5E1") << "DEFAULTCHARGENM=50";
    QTest::newRow("charge per nautical mile not numeric")
        << settings("DEFAULTCHARGENM=5.0.0") << "DEFAULTCHARGENM=0";
    QTest::newRow("minimum base charge negative")
        << settings("MINBASECHARGE=-10") << "MINBASECHARGE=-10";
    QTest::newRow("minimum base charge empty") << settings("MINBASECHARGE=") << "MINBASECHARGE=0";

    QTest::newRow("airport of four") << settings("DEFAULTAIRPORT=KJFK") << "DEFAULTAIRPORT=KJFK";
    QTest::newRow("airport of three keeps case")
        << settings("DEFAULTAIRPORT=jfk") << "DEFAULTAIRPORT=jfk";
    QTest::newRow("airport of three with blank kept")
        << settings("DEFAULTAIRPORT=\" AB\"") << "DEFAULTAIRPORT= AB";
    QTest::newRow("airport of four with blank kept")
        << settings("DEFAULTAIRPORT=\"JFK \"") << "DEFAULTAIRPORT=JFK ";
    QTest::newRow("airport of two") << settings("DEFAULTAIRPORT=AB") << "DEFAULTAIRPORT=";
    QTest::newRow("airport of five") << settings("DEFAULTAIRPORT=KJFKX") << "DEFAULTAIRPORT=";
    QTest::newRow("airport of five with blank")
        << settings("DEFAULTAIRPORT=\" KJFK\"") << "DEFAULTAIRPORT=";

    QTest::newRow("segment tax missing") << settings("") << "SEGMENTTAX=2.5";
    QTest::newRow("segment tax") << settings("SEGMENTTAX=3.1") << "SEGMENTTAX=3.1";
    QTest::newRow("segment tax zero") << settings("SEGMENTTAX=0") << "SEGMENTTAX=0";
    QTest::newRow("segment tax empty") << settings("SEGMENTTAX=") << "SEGMENTTAX=2.5";
    QTest::newRow("segment tax not numeric") << settings("SEGMENTTAX=none") << "SEGMENTTAX=2.5";

    QTest::newRow("rounding 1") << settings("ROUNDMILES=1") << "ROUNDMILES=on";
    QTest::newRow("rounding 0") << settings("ROUNDMILES=0") << "ROUNDMILES=off";
    QTest::newRow("rounding 2") << settings("ROUNDMILES=2") << "ROUNDMILES=off";
    QTest::newRow("rounding word") << settings("ROUNDMILES=yes") << "ROUNDMILES=off";
    QTest::newRow("rounding 1.4 rounds to 1") << settings("ROUNDMILES=1.4") << "ROUNDMILES=on";
    QTest::newRow("rounding 0.5 halves to 0") << settings("ROUNDMILES=0.5") << "ROUNDMILES=off";
    QTest::newRow("rounding 1.5 halves to 2") << settings("ROUNDMILES=1.5") << "ROUNDMILES=off";
    QTest::newRow("rounding beyond 16 bits") << settings("ROUNDMILES=65537") << "ROUNDMILES=off";

    QTest::newRow("company name kept with blanks")
        << QByteArray("[COMPANY]\r\nNAME=\"  Acme  air \"\r\n") << "NAME=  Acme  air ";
    QTest::newRow("company name in UTF-8") << QByteArray("[company]\r\nname=Flyg \xC3\x85re AB\r\n")
                                           << QString::fromUtf8("NAME=Flyg \xC3\x85re AB");
    QTest::newRow("company key in SETTINGS not read") << settings("NAME=Acme") << "NAME=";
}

void TestAppSettings::readRules()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);

    const QString key = expected.section(u'=', 0, 0);
    QCOMPARE(describeKey(readSettings(fileWith(content)), key), expected);
}

void TestAppSettings::loadSettingsReplacesSharedRecord()
{
    QCOMPARE(&appSettings(), &appSettings());

    appSettings().SEGMENTTAX = 9;
    appSettings().ADDRESS1 = u"stale"_s;
    LoadSettings(fileWith("[COMPANY]\r\nNAME=Acme\r\n"));

    AppSettings expected;
    expected.NAME = u"Acme"_s;
    QCOMPARE(describe(appSettings()), describe(expected));
}

void TestAppSettings::integerText_data()
{
    QTest::addColumn<qint32>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("positive") << 5000 << " 5000";
    QTest::newRow("zero") << 0 << " 0";
    QTest::newRow("negative") << -5 << "-5";
    QTest::newRow("no grouping") << 2147483647 << " 2147483647";
}

void TestAppSettings::integerText()
{
    QFETCH(qint32, value);
    QFETCH(QString, expected);

    QCOMPARE(SettingsText::integer(value), expected);
}

void TestAppSettings::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one decimal") << 2.7 << "2.7";
    QTest::newRow("whole") << 150.0 << "150";
    QTest::newRow("below one") << 0.35 << "0.35";
    QTest::newRow("no grouping") << 1234.5 << "1234.5";
    QTest::newRow("negative") << -2.25 << "-2.25";
}

void TestAppSettings::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);

    QCOMPARE(SettingsText::number(value), expected);
}

void TestAppSettings::quoteBaseAndFlagText()
{
    QCOMPARE(SettingsText::quoteBase(QuoteBase::Nautical), u"NM"_s);
    QCOMPARE(SettingsText::quoteBase(QuoteBase::Statute), u"SM"_s);
    QCOMPARE(SettingsText::flag(true), u"1"_s);
    QCOMPARE(SettingsText::flag(false), u"0"_s);
}

void TestAppSettings::saveWithOnlyCompanyNameChanged()
{
    const QString path = fileWith(RealisticFile);
    AppSettings current = readSettings(path);
    AppSettings entered = current;
    entered.NAME = u"New Name Air"_s;
    entered.SORTORDER = u"[ID]"_s;

    SaveSettings(path, current, entered);

    // QUOTEBASE is written on every save, in the spelling the file uses; every
    // other line stays as it was (4.50 is not rewritten as 4.5, nor 5000 as " 5000").
    QByteArray expected = RealisticFile;
    expected.replace("QuoteBase = NM\r\n", "QuoteBase=NM\r\n");
    expected.replace("NAME=Old Name Air\r\n", "NAME=New Name Air\r\n");
    QCOMPARE(contentOf(path), expected);

    QCOMPARE(current.NAME, u"New Name Air"_s);
    QCOMPARE(current.SORTORDER, u"[NAME]"_s);
}

void TestAppSettings::saveWritesChangedRunwayLengthWithBlank()
{
    const QString path = fileWith("[SETTINGS]\r\nMINRUNWAYLENGTH=3000\r\nQUOTEBASE=SM\r\n");
    AppSettings current = readSettings(path);
    AppSettings entered = current;
    entered.MINRUNWAYLENGTH = 5000;

    SaveSettings(path, current, entered);

    QCOMPARE(contentOf(path),
             QByteArray("[SETTINGS]\r\nMINRUNWAYLENGTH= 5000\r\nQUOTEBASE=SM\r\n"));
    QCOMPARE(current.MINRUNWAYLENGTH, 5000);
    QCOMPARE(readSettings(path).MINRUNWAYLENGTH, 5000);
}

void TestAppSettings::saveKeepsMissingKeyMissingWhenUnchanged()
{
    const QString path =
        fileWith("[SETTINGS]\r\nMINBASECHARGE=750\r\n\r\n[COMPANY]\r\nNAME=Acme\r\n");
    AppSettings current = readSettings(path);
    QCOMPARE(current.SEGMENTTAX, 2.5);
    AppSettings entered = current;
    entered.SEGMENTTAX = 2.5;

    SaveSettings(path, current, entered);

    // Only QUOTEBASE, which every save writes, is added.
    QCOMPARE(contentOf(path), QByteArray("[SETTINGS]\r\nMINBASECHARGE=750\r\nQUOTEBASE=SM\r\n"
                                         "\r\n[COMPANY]\r\nNAME=Acme\r\n"));
}

void TestAppSettings::saveWritesEveryChangedKeyInOrder()
{
    const QString path = fileWith(QByteArray());
    AppSettings current = readSettings(path);
    const AppSettings entered = realisticSettings();

    SaveSettings(path, current, entered);

    QCOMPARE(contentOf(path), QByteArray("[SETTINGS]\r\n"
                                         "DEFAULTCHARGESM=4.5\r\n"
                                         "DEFAULTCHARGENM=5.175\r\n"
                                         "SEGMENTTAX=3.6\r\n"
                                         "ROUNDMILES=1\r\n"
                                         "QUOTEBASE=NM\r\n"
                                         "MINRUNWAYLENGTH= 5000\r\n"
                                         "MINBASECHARGE=750\r\n"
                                         "DEFAULTAIRPORT=KBOS\r\n"
                                         "[COMPANY]\r\n"
                                         "NAME=Old Name Air\r\n"
                                         "ADDRESS1=1 Hangar Road\r\n"
                                         "ADDRESS2=Suite 2\r\n"
                                         "CITY=Bedford\r\n"
                                         "STATE=MA\r\n"
                                         "ZIP=01730\r\n"
                                         "COUNTRY=USA\r\n"
                                         "PHONE1=781-555-0100\r\n"
                                         "PHONE2=781-555-0101\r\n"
                                         "FAX=781-555-0102\r\n"
                                         "EMAIL=ops@example.com\r\n"
                                         "WEBSITE=www.example.com\r\n"));

    // The sort order is no setting the dialog saves: it stays as it was.
    AppSettings expected = entered;
    expected.SORTORDER = u"[ID]"_s;
    QCOMPARE(describe(current), describe(expected));
    QCOMPARE(describe(readSettings(path)), describe(expected));
}

void TestAppSettings::failedSaveStillChangesRecord()
{
    const QString path = m_dir.filePath(QStringLiteral("missing/Brisklander.INI"));
    AppSettings current;
    AppSettings entered;
    entered.QUOTEBASE = QuoteBase::Nautical;
    entered.DEFAULTCHARGENM = 6;
    entered.CITY = u"Bedford"_s;

    SaveSettings(path, current, entered);

    QCOMPARE(describe(current), describe(entered));
    QVERIFY(!QFile::exists(path));
}

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_appsettings.moc"
