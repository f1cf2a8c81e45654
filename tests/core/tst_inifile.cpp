#include "core/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void readIni_data();
    void readIni();
    void readIniOfMissingFile();
    void stripAtNul_data();
    void stripAtNul();
    void writeIni_data();
    void writeIni();
    void writeIniCreatesMissingFile();
    void writeIniFailsWithoutFolder();
    void writeIniRefusesLineBreaks();
    void writeIniLeavesOnlyTheFile();

private:
    QString fileWith(const QByteArray& content);
    static QByteArray contentOf(const QString& path);

    QTemporaryDir m_dir;
    int m_fileCount = 0;
};

QString TestIniFile::fileWith(const QByteArray& content)
{
    const QString path = m_dir.filePath(QStringLiteral("settings%1.INI").arg(++m_fileCount));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray TestIniFile::contentOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

void TestIniFile::readIni_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString s = QStringLiteral("S");
    const QString k = QStringLiteral("K");

    QTest::newRow("names ignore case") << QByteArray("[Settings]\r\nQuoteBase=NM\r\n") << "SETTINGS"
                                       << "quotebase"
                                       << "NM";
    QTest::newRow("blanks around key and equals sign")
        << QByteArray("[COMPANY]\r\n  NAME \t=   Acme Air  \r\n") << "COMPANY"
        << "NAME"
        << "Acme Air";
    QTest::newRow("tabs around value") << QByteArray("[S]\nK=\tx y\t\n") << s << k << "x y";
    QTest::newRow("double quotes removed") << QByteArray("[S]\nK=\" NM \"\n") << s << k << " NM ";
    QTest::newRow("single quotes removed") << QByteArray("[S]\nK='x y'\n") << s << k << "x y";
    QTest::newRow("mismatched quotes kept") << QByteArray("[S]\nK=\"x'\n") << s << k << "\"x'";
    QTest::newRow("inner quotes kept") << QByteArray("[S]\nK=a \"b\" c\n") << s << k << "a \"b\" c";
    QTest::newRow("lone quote kept") << QByteArray("[S]\nK=\"\n") << s << k << "\"";
    QTest::newRow("equals sign inside value") << QByteArray("[S]\nK=a=b\n") << s << k << "a=b";
    QTest::newRow("first section wins")
        << QByteArray("[S]\nK=1\n[T]\nK=2\n[s]\nK=3\n") << s << k << "1";
    QTest::newRow("later section of same name not searched")
        << QByteArray("[S]\nA=1\n[T]\n[S]\nK=3\n") << s << k << "";
    QTest::newRow("first key wins") << QByteArray("[S]\nK=1\nk=2\n") << s << k << "1";
    QTest::newRow("key of another section") << QByteArray("[S]\nA=1\n[T]\nK=2\n") << s << k << "";
    QTest::newRow("key before any section") << QByteArray("K=1\n[S]\n") << s << k << "";
    QTest::newRow("missing section") << QByteArray("[T]\nK=1\n") << s << k << "";
    QTest::newRow("missing key") << QByteArray("[S]\nA=1\n") << s << k << "";
    QTest::newRow("empty value") << QByteArray("[S]\nK=\nK=2\n") << s << k << "";
    QTest::newRow("empty file") << QByteArray() << s << k << "";
    QTest::newRow("comment line is no key") << QByteArray("[S]\n; K=1\nK=2\n") << s << k << "2";
    QTest::newRow("no line end after last line") << QByteArray("[S]\r\nK=v") << s << k << "v";
    QTest::newRow("byte order mark before first section")
        << QByteArray("\xEF\xBB\xBF[S]\r\nK=1\r\n") << s << k << "1";
    QTest::newRow("UTF-8 text") << QByteArray("[COMPANY]\nNAME=Flyg \xC3\x85re AB\n") << "COMPANY"
                                << "NAME" << QString::fromUtf8("Flyg \xC3\x85re AB");
    QTest::newRow("value ends at NUL") << QByteArray("[S]\nK=ab\0cd\n", 12) << s << k << "ab";
    QTest::newRow("255 characters cut to 254")
        << QByteArray("[S]\nK=" + QByteArray(255, 'x') + "\n") << s << k << QString(254, u'x');
    QTest::newRow("254 characters kept")
        << QByteArray("[S]\nK=" + QByteArray(254, 'x') + "\n") << s << k << QString(254, u'x');
    QTest::newRow("quotes removed before the cut")
        << QByteArray("[S]\nK=\"" + QByteArray(300, 'x') + "\"\n") << s << k << QString(254, u'x');
}

void TestIniFile::readIni()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    QCOMPARE(ReadIni(fileWith(content), section, key), expected);
}

void TestIniFile::readIniOfMissingFile()
{
    QCOMPARE(ReadIni(m_dir.filePath(QStringLiteral("missing.INI")), QStringLiteral("SETTINGS"),
                     QStringLiteral("NAME")),
             QString());
    // A folder where the file should be reads like a missing file.
    QCOMPARE(ReadIni(m_dir.path(), QStringLiteral("SETTINGS"), QStringLiteral("NAME")), QString());
}

void TestIniFile::stripAtNul_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no NUL") << "abc"
                            << "abc";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("NUL inside") << QString::fromUtf16(u"ab\0cd", 5) << "ab";
    QTest::newRow("NUL first") << QString::fromUtf16(u"\0abc", 4) << "";
    QTest::newRow("first of two NULs") << QString::fromUtf16(u"a\0b\0", 4) << "a";
    QTest::newRow("NUL last") << QString::fromUtf16(u"abc\0", 4) << "abc";
}

void TestIniFile::stripAtNul()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);

    QCOMPARE(StripAtNul(text), expected);
}

void TestIniFile::writeIni_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    // Lines a hand-edited file may hold: comments, blanks, odd spacing, tabs, a
    // Latin-1 byte that is no UTF-8, trailing blanks.
    const QByteArray head("; Brisklander settings\r\n"
                          "\r\n"
                          "[SETTINGS]\r\n"
                          "QUOTEBASE = NM \r\n"
                          "  MINRUNWAYLENGTH=\t 5000\r\n");
    const QByteArray tail("SEGMENTTAX=2.50\r\n"
                          "; caf\xE9 prices  \r\n"
                          "   \r\n"
                          "[COMPANY]\r\n"
                          "NAME=Acme Air\r\n");
    QTest::newRow("value replaced, other lines kept")
        << QByteArray(head + "MinBaseCharge=750\r\n" + tail) << "settings"
        << "MINBASECHARGE"
        << "800" << QByteArray(head + "MinBaseCharge=800\r\n" + tail);
    QTest::newRow("key spelling kept, blanks dropped")
        << QByteArray("[Settings]\r\n  QuoteBase = SM \r\n") << "SETTINGS"
        << "QUOTEBASE"
        << "NM" << QByteArray("[Settings]\r\nQuoteBase=NM\r\n");
    QTest::newRow("first of two keys replaced") << QByteArray("[A]\r\nX=1\r\nx=2\r\n") << "A"
                                                << "X"
                                                << "9" << QByteArray("[A]\r\nX=9\r\nx=2\r\n");
    QTest::newRow("commented key not replaced")
        << QByteArray("[A]\r\n;X=old\r\n") << "A"
        << "X"
        << "new" << QByteArray("[A]\r\n;X=old\r\nX=new\r\n");
    QTest::newRow("key added to its section, not the next")
        << QByteArray("[A]\r\nX=1\r\n\r\n[B]\r\nY=2\r\n") << "A"
        << "Z"
        << "3" << QByteArray("[A]\r\nX=1\r\nZ=3\r\n\r\n[B]\r\nY=2\r\n");
    QTest::newRow("key added after the section's comment")
        << QByteArray("[A]\r\nX=1\r\n; end of A\r\n[B]\r\n") << "A"
        << "Z"
        << "3" << QByteArray("[A]\r\nX=1\r\n; end of A\r\nZ=3\r\n[B]\r\n");
    QTest::newRow("key added to empty section") << QByteArray("[A]\r\n[B]\r\n") << "a"
                                                << "Z"
                                                << "3" << QByteArray("[A]\r\nZ=3\r\n[B]\r\n");
    QTest::newRow("key added to first of two sections of one name")
        << QByteArray("[A]\r\nX=1\r\n[B]\r\n[A]\r\nY=2\r\n") << "A"
        << "Y"
        << "3" << QByteArray("[A]\r\nX=1\r\nY=3\r\n[B]\r\n[A]\r\nY=2\r\n");
    QTest::newRow("key added before trailing blank lines of last section")
        << QByteArray("[A]\r\nX=1\r\n\r\n\r\n") << "A"
        << "Z"
        << "3" << QByteArray("[A]\r\nX=1\r\nZ=3\r\n\r\n\r\n");
    QTest::newRow("section added at end")
        << QByteArray("[A]\r\nX=1\r\n") << "COMPANY"
        << "NAME"
        << "Acme" << QByteArray("[A]\r\nX=1\r\n[COMPANY]\r\nNAME=Acme\r\n");
    QTest::newRow("LF file: value replaced") << QByteArray("[A]\nX=1\n") << "A"
                                             << "X"
                                             << "2" << QByteArray("[A]\nX=2\n");
    QTest::newRow("LF file: key added") << QByteArray("[A]\nX=1\n\n[B]\n") << "A"
                                        << "Y"
                                        << "2" << QByteArray("[A]\nX=1\nY=2\n\n[B]\n");
    QTest::newRow("LF file: section added") << QByteArray("[A]\nX=1\n") << "B"
                                            << "Y"
                                            << "2" << QByteArray("[A]\nX=1\n[B]\nY=2\n");
    QTest::newRow("last line without line end stays so") << QByteArray("[A]\r\nX=1") << "A"
                                                         << "Y"
                                                         << "2" << QByteArray("[A]\r\nX=1\r\nY=2");
    QTest::newRow("one line without line end gets CR LF") << QByteArray("[A]") << "A"
                                                          << "X"
                                                          << "1" << QByteArray("[A]\r\nX=1");
    QTest::newRow("empty file gets CR LF") << QByteArray() << "SETTINGS"
                                           << "QUOTEBASE"
                                           << "SM" << QByteArray("[SETTINGS]\r\nQUOTEBASE=SM\r\n");
    QTest::newRow("empty value") << QByteArray("[A]\r\nX=1\r\n") << "A"
                                 << "X"
                                 << "" << QByteArray("[A]\r\nX=\r\n");
    QTest::newRow("value as UTF-8") << QByteArray("[COMPANY]\r\nCITY=Ostersund\r\n") << "COMPANY"
                                    << "CITY" << QString::fromUtf8("\xC3\x96stersund")
                                    << QByteArray("[COMPANY]\r\nCITY=\xC3\x96stersund\r\n");
}

void TestIniFile::writeIni()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    const QString path = fileWith(before);
    QVERIFY(WriteIni(path, section, key, value));
    QCOMPARE(contentOf(path), after);
    QCOMPARE(ReadIni(path, section, key), value);
}

void TestIniFile::writeIniCreatesMissingFile()
{
    const QString path = m_dir.filePath(QStringLiteral("new.INI"));
    QVERIFY(WriteIni(path, QStringLiteral("SETTINGS"), QStringLiteral("QUOTEBASE"),
                     QStringLiteral("NM")));
    QVERIFY(
        WriteIni(path, QStringLiteral("COMPANY"), QStringLiteral("NAME"), QStringLiteral("Acme")));
    QVERIFY(WriteIni(path, QStringLiteral("SETTINGS"), QStringLiteral("SEGMENTTAX"),
                     QStringLiteral("2.7")));
    QCOMPARE(contentOf(path), QByteArray("[SETTINGS]\r\nQUOTEBASE=NM\r\nSEGMENTTAX=2.7\r\n"
                                         "[COMPANY]\r\nNAME=Acme\r\n"));
}

void TestIniFile::writeIniFailsWithoutFolder()
{
    const QString path = m_dir.filePath(QStringLiteral("no/such/folder/settings.INI"));
    QVERIFY(!WriteIni(path, QStringLiteral("SETTINGS"), QStringLiteral("QUOTEBASE"),
                      QStringLiteral("NM")));
    QVERIFY(!QFile::exists(path));
}

void TestIniFile::writeIniRefusesLineBreaks()
{
    const QByteArray before("[A]\r\nX=1\r\n");
    const QString path = fileWith(before);
    QVERIFY(!WriteIni(path, QStringLiteral("A"), QStringLiteral("X"), QStringLiteral("1\r\nY=2")));
    QVERIFY(!WriteIni(path, QStringLiteral("A"), QStringLiteral("X=Y"), QStringLiteral("2")));
    QVERIFY(!WriteIni(path, QStringLiteral("A]\n[B"), QStringLiteral("X"), QStringLiteral("2")));
    QCOMPARE(contentOf(path), before);
}

void TestIniFile::writeIniLeavesOnlyTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Brisklander.INI"));
    QVERIFY(WriteIni(path, QStringLiteral("A"), QStringLiteral("X"), QStringLiteral("1")));
    QVERIFY(WriteIni(path, QStringLiteral("A"), QStringLiteral("X"), QStringLiteral("2")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Brisklander.INI")});
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
