#include "core/folder/durablefile.h"
#include "core/settings/inifile.h"
#include "core/settings/windowplacement.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include "support/folderrig.h"
#include "support/systemfaults.h"
#include "support/tablerows.h"
#include "support/testfiles.h"

#include <optional>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<WindowPlacement>)

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void readIni_data() { addTableRows(u"core/settings/inifile-read.txt"_s); }

    void readIni()
    {
        QFETCH(QStringList, row);
        if (row[0] != u"<fifo>") {
            QCOMPARE(ReadIni(m_dir.fileWith(row[0].toLatin1()), u"S"_s, u"K"_s), row[1]);
            return;
        }
        const QString fifo = m_dir.filePath(u"settings.fifo"_s);
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        std::optional<FifoRescue> rescue(std::in_place, fifo, "[S]\nK=waited\n");
        const QString value = ReadIni(fifo, u"S"_s, u"K"_s);
        rescue.reset();
        QCOMPARE(value, row[1]);
    }

    void writeIni_data() { addTableRows(u"core/settings/inifile-write.txt"_s); }

    void writeIni()
    {
        QFETCH(QStringList, row);
        const QByteArray before = row[0].toLatin1(), after = row[4].toLatin1();
        const QString path =
            before == "<none>" ? m_dir.filePath(u"new.INI"_s) : m_dir.fileWith(before);
        if (before == "<none>")
            QCOMPARE(ReadIni(path, row[1], row[2]), QString());
        QCOMPARE(WriteIni(path, row[1], row[2], row[3]), before != after);
        QCOMPARE(TestFiles::contentOf(path), after);
        if (before != after)
            QCOMPARE(ReadIni(path, row[1], row[2]), row[3]);
    }

    // The file written keeps what the operator set on the one it replaces; what is no
    // regular file is written in place and never replaced.
    void durableWriteKeepsTheTarget_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("error"); // empty: written
        const auto row = [](const char* name, const char* target, const char* error = "") {
            QTest::newRow(name) << QString(target) << QString(error);
        };
        row("symbolic link", "link");
        row("mode, owner and group", "shared");
        row("read-only file", "read-only", "The file is read-only.");
        row("pipe being read", "pipe");
        row("pipe nobody reads", "unread pipe", "No such device or address");
        row("full device", "/dev/full", "No space left on device");
    }

    void durableWriteKeepsTheTarget()
    {
        QFETCH(QString, target);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString real = dir.filePath(u"real.INI"_s);
        QString path = dir.filePath(u"Brisklander.INI"_s);
        const QByteArray name = QFile::encodeName(real);
        if (!target.endsWith(u"pipe")) {
            QFile file(real);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old") == 3);
        }
        int reader = -1;
        if (target == u"link") {
            QCOMPARE(::chmod(name.constData(), 0640), 0);
            QVERIFY(QFile::link(u"real.INI"_s, path));
        } else if (target == u"shared") {
            if (!runningAsRoot())
                QSKIP("needs root to give the file to another owner");
            path = real;
            QCOMPARE(::chown(name.constData(), 65534, 100), 0);
            QCOMPARE(::chmod(name.constData(), 0664), 0);
        } else if (target == u"read-only") {
            path = real;
            QCOMPARE(::chmod(name.constData(), 0444), 0);
        } else if (target.endsWith(u"pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            if (target == u"pipe")
                reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        } else {
            path = target;
        }
        struct stat before = {}, after = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);

        const DurableFile::Result result = DurableFile::write(path, "new");
        QCOMPARE(std::pair(result.ok, result.error), std::pair(error.isEmpty(), error));
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(std::pair(after.st_uid, after.st_gid), std::pair(before.st_uid, before.st_gid));
        if (target == u"link")
            QCOMPARE(QFileInfo(path).symLinkTarget(), real);
        if (reader >= 0) {
            char got[8] = {};
            QCOMPARE(::read(reader, got, sizeof got), 3);
            QCOMPARE(QByteArray(got), QByteArray("new"));
            ::close(reader);
        } else if (!target.endsWith(u"pipe") && target != u"/dev/full") {
            QCOMPARE(TestFiles::contentOf(real), error.isEmpty() ? "new" : "old");
        }
        QCOMPARE(QDir(dir.path())
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                     .size(),
                 target == u"link" ? 2 : 1);
    }

    // The main window's place, kept in the settings file beside the settings.
    void readFromTheSettingsFile_data()
    {
        QTest::addColumn<QByteArray>("window"); // the WINDOW section's lines
        QTest::addColumn<std::optional<WindowPlacement>>("expected");
        QTest::newRow("no section") << QByteArray() << std::optional<WindowPlacement>();
        QTest::newRow("all keys") << QByteArray(
                                         "[window]\r\nleft=-1900\r\nTOP = 30\r\nWIDTH=1000\r\n"
                                         "HEIGHT=640\r\nMAXIMIZED=1\r\n")
                                  << std::optional(
                                         WindowPlacement{QRect(-1900, 30, 1000, 640), true});
        const QByteArray keys = "[WINDOW]\r\nLEFT=10\r\nTOP=30\r\nMAXIMIZED=0\r\nWIDTH=";
        QTest::newRow("a key missing") << keys + "1000\r\n" << std::optional<WindowPlacement>();
        QTest::newRow("not a whole number") << keys + "1000.5\r\nHEIGHT=640\r\n"
                                            << std::optional<WindowPlacement>();
        QTest::newRow("no size") << keys + "0\r\nHEIGHT=640\r\n"
                                 << std::optional<WindowPlacement>();
        QTest::newRow("the map hidden")
            << keys + "1000\r\nHEIGHT=640\r\nMAP=0\r\n"
            << std::optional(WindowPlacement{QRect(10, 30, 1000, 640), false, false});
    }

    void readFromTheSettingsFile()
    {
        QFETCH(QByteArray, window);
        QFETCH(std::optional<WindowPlacement>, expected);
        QCOMPARE(WindowPlacement::read(m_dir.fileWith("[SETTINGS]\r\nQUOTEBASE=NM\r\n" + window)),
                 expected);
    }

    // Written into the file as it is now: what another window wrote meanwhile stays.
    void writtenIntoTheFileAsItIsNow()
    {
        const QByteArray before = "; edited by hand\r\n[SETTINGS]\r\nQUOTEBASE=NM\r\n\r\n"
                                  "[COMPANY]\r\nNAME=Acme Air\r\n";
        const QString path = m_dir.fileWith(before);
        const WindowPlacement placement{QRect(-1800, 40, 990, 650), false};
        QVERIFY(placement.write(path));
        QCOMPARE(TestFiles::contentOf(path),
                 before + "[WINDOW]\r\nLEFT=-1800\r\nTOP=40\r\nWIDTH=990\r\nHEIGHT=650\r\n"
                          "MAXIMIZED=0\r\nMAP=1\r\n");
        QCOMPARE(WindowPlacement::read(path), std::optional(placement));
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append) && file.write("[EXTRA]\r\nKEY=1\r\n") > 0);
        file.close();
        QVERIFY((WindowPlacement{placement.normal, true}.write(path)));
        QVERIFY(
            TestFiles::contentOf(path).endsWith("MAXIMIZED=1\r\nMAP=1\r\n[EXTRA]\r\nKEY=1\r\n"));
    }

    void fitInto_data() { addTableRows(u"core/settings/fitinto.txt"_s); }

    void fitInto()
    {
        QFETCH(QStringList, row);
        QList<QRect> rects;
        for (const QString& field : row) {
            const QStringList n = field.split(u' ', Qt::SkipEmptyParts);
            rects << QRect(n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt());
        }
        QCOMPARE(::fitInto(rects[0], rects[1]), rects[2]);
    }

private:
    TestFiles m_dir;
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
