#include "core/folder/durablefile.h"
#include "core/settings/inifile.h"
#include "core/settings/windowplacement.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "support/systemfaults.h"
#include "support/testfiles.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<WindowPlacement>)

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:

    // Every row reads key K of section S.
    void readIni_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QByteArray& content, const QString& expected) {
            QTest::newRow(name) << content << expected;
        };

        row("names ignore case and blanks", "[ s ]\r\n  k \t=  x y \t\r\n", u"x y"_s);
        row("matching quotes removed", "[S]\nK=\" NM \"\n", u" NM "_s);
        row("equals sign inside value", "[S]\nK=a=b\n", u"a=b"_s);
        row("first section wins", "[S]\nK=1\n[T]\nK=2\n[s]\nK=3\n", u"1"_s);
        row("later section of same name unread", "[S]\nA=1\n[T]\n[S]\nK=3\n", QString());
        row("first key wins", "[S]\nK=1\nk=2\n", u"1"_s);
        row("key of another section", "[S]\nA=1\n[T]\nK=2\n", QString());
        row("missing section", "[T]\nK=1\n", QString());
        row("FIFO in the file's place is never waited on", "<fifo>", QString());
        row("byte order mark", "\xEF\xBB\xBF[S]\r\nK=1\r\n", u"1"_s);
        row("UTF-8", "[S]\nK=Flyg \xC3\x85re AB\n", u"Flyg \u00C5re AB"_s);
        row("value ends at NUL", QByteArray("[S]\nK=ab\0cd\n", 12), u"ab"_s);
        row("CR CR LF line ends", "[S]\r\r\nA=1\r\r\nK=NM\r\r\n", u"NM"_s);
        row("CR line ends", "[S]\r\rK=NM\r", u"NM"_s);
        row("255 characters cut to 254", "[S]\nK=" + QByteArray(255, 'x') + "\n",
            QString(254, u'x'));
    }

    void readIni()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        if (content != "<fifo>") {
            QCOMPARE(ReadIni(fileWith(content), u"S"_s, u"K"_s), expected);
            return;
        }
        const QString fifo = fileWith({}) + u".fifo"_s;
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        // A reader that waits is fed after two seconds, so that it fails instead of hanging.
        std::atomic<bool> done{false};
        std::thread writer([&] {
            for (int i = 0; i < 40 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            const int fd =
                done ? -1 : ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                [[maybe_unused]] const ssize_t written = ::write(fd, "[S]\nK=waited\n", 13);
                ::close(fd);
            }
        });
        const QString value = ReadIni(fifo, u"S"_s, u"K"_s);
        done = true;
        writer.join();
        QCOMPARE(value, expected);
    }

    void stripAtNul()
    {
        QCOMPARE(StripAtNul(QString::fromUtf16(u"a\0b\0", 4)), u"a"_s);
        QCOMPARE(StripAtNul(QString::fromUtf16(u"\0abc", 4)), QString());
    }

    void writeIni_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const auto row = [](const char* name, const QByteArray& before, const char* section,
                            const char* key, const QString& value, const QByteArray& after) {
            QTest::newRow(name) << before << QString::fromUtf8(section) << QString::fromUtf8(key)
                                << value << after;
        };

        // Lines a hand-edited file may hold: comments, blanks, odd spacing, tabs, a
        // Latin-1 byte that is no UTF-8, trailing blanks.
        const QByteArray head("; Brisklander settings\r\n\r\n[SETTINGS]\r\nQUOTEBASE = NM \r\n"
                              "  MINRUNWAYLENGTH=\t 5000\r\n");
        const QByteArray tail(
            "  SEGMENTTAX =\t\"2.50\" \r\n; caf\xE9 prices  \r\n   \r\n[COMPANY]\r\n"
            "NAME=Acme Air\r\n");
        row("value replaced, key spelling and other lines kept",
            head + "  MinBaseCharge = 750 \r\n" + tail, "settings", "MINBASECHARGE", u"800"_s,
            head + "MinBaseCharge=800\r\n" + tail);
        row("commented key not replaced", "[A]\r\n;X=old\r\n", "A", "X", u"new"_s,
            "[A]\r\n;X=old\r\nX=new\r\n");
        row("key added to its own section, before the blank line",
            "[A]\r\nX=1\r\n; end of A\r\n\r\n[B]\r\nY=2\r\n", "a", "Z", u"3"_s,
            "[A]\r\nX=1\r\n; end of A\r\nZ=3\r\n\r\n[B]\r\nY=2\r\n");
        row("section added at end", "[A]\r\nX=1\r\n", "COMPANY", "NAME", u"Acme"_s,
            "[A]\r\nX=1\r\n[COMPANY]\r\nNAME=Acme\r\n");
        row("LF stays LF", "[A]\nX=1\n", "B", "Y", u"2"_s, "[A]\nX=1\n[B]\nY=2\n");
        row("CR CR LF stays CR CR LF", "[A]\r\r\nX=1\r\r\n", "A", "Y", u"2"_s,
            "[A]\r\r\nX=1\r\r\nY=2\r\r\n");
        row("CR stays CR", "[A]\rX=1\r\r[B]\r", "a", "X", u"2"_s, "[A]\rX=2\r\r[B]\r");
        row("last line without line end stays so", "[A]\r\nX=1", "A", "Y", u"2"_s,
            "[A]\r\nX=1\r\nY=2");
        row("value as UTF-8", "[A]\r\nX=1\r\n", "A", "X", u"\u00D6stersund"_s,
            "[A]\r\nX=\xC3\x96stersund\r\n");
        // A name or value that would break the line never reaches the file.
        row("line break in a value refused", "[A]\r\nX=1\r\n", "A", "X", u"1\r\nY=2"_s,
            "[A]\r\nX=1\r\n");
        row("= in a key refused", "[A]\r\nX=1\r\n", "A", "X=Y", u"2"_s, "[A]\r\nX=1\r\n");
        row("line break in a section refused", "[A]\r\nX=1\r\n", "A]\n[B", "X", u"2"_s,
            "[A]\r\nX=1\r\n");
    }

    void writeIni()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);

        const QString path = fileWith(before);
        QCOMPARE(WriteIni(path, section, key, value), before != after);
        QCOMPARE(contentOf(path), after);
        if (before != after)
            QCOMPARE(ReadIni(path, section, key), value);
    }

    void writeIniCreatesMissingFile()
    {
        const QString path = m_dir.filePath(u"new.INI"_s);
        QCOMPARE(ReadIni(path, u"SETTINGS"_s, u"QUOTEBASE"_s), QString());
        QVERIFY(WriteIni(path, u"SETTINGS"_s, u"QUOTEBASE"_s, u"NM"_s));
        QVERIFY(WriteIni(path, u"COMPANY"_s, u"NAME"_s, u"Acme"_s));
        QVERIFY(WriteIni(path, u"SETTINGS"_s, u"SEGMENTTAX"_s, u"2.7"_s));
        QCOMPARE(contentOf(path), QByteArray("[SETTINGS]\r\nQUOTEBASE=NM\r\nSEGMENTTAX=2.7\r\n"
                                             "[COMPANY]\r\nNAME=Acme\r\n"));
    }

    // The file written keeps what the operator set on the one it replaces; what is no
    // regular file is written in place and never replaced.
    void durableWriteKeepsTheTarget_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("error"); // empty: written
        const auto row = [](const char* name, const char* target, const char* error = "") {
            QTest::newRow(name) << QString::fromUtf8(target) << QString::fromUtf8(error);
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
        const QByteArray old("old");
        if (target != u"pipe" && target != u"unread pipe") {
            QFile file(real);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        }
        int reader = -1;
        struct stat before = {};
        if (target == u"link") {
            QVERIFY(QFile::setPermissions(real,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
            QVERIFY(QFile::link(u"real.INI"_s, path));
        } else if (target == u"shared") {
            if (!runningAsRoot())
                QSKIP("needs root to give the file to another owner");
            path = real;
            QCOMPARE(::chown(QFile::encodeName(real).constData(), 65534, 100), 0);
            QCOMPARE(::chmod(QFile::encodeName(real).constData(), 0664), 0);
        } else if (target == u"read-only") {
            path = real;
            QCOMPARE(::chmod(QFile::encodeName(real).constData(), 0444), 0);
        } else if (target.endsWith(u"pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            if (target == u"pipe")
                reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        } else {
            path = target;
        }
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);

        const DurableFile::Result result = DurableFile::write(path, "new");
        QCOMPARE(result.error, error);
        QCOMPARE(result.ok, error.isEmpty());
        struct stat after = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        if (target == u"link")
            QCOMPARE(QFileInfo(path).symLinkTarget(), real);
        if (reader >= 0) {
            char got[8] = {};
            QCOMPARE(::read(reader, got, sizeof got), 3);
            QCOMPARE(QByteArray(got), QByteArray("new"));
            ::close(reader);
        } else if (!target.endsWith(u"pipe") && target != u"/dev/full") {
            QCOMPARE(contentOf(real), error.isEmpty() ? QByteArray("new") : old);
        }
        QCOMPARE(QDir(dir.path())
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                     .size(),
                 target == u"link" ? 2 : 1);
    }

    // The main window's place, kept in the settings file beside the settings.
    void readFromTheSettingsFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<std::optional<WindowPlacement>>("expected");
        const QByteArray settings = "[SETTINGS]\r\nQUOTEBASE=NM\r\n";
        QTest::newRow("no section") << settings << std::optional<WindowPlacement>();
        QTest::newRow("all keys")
            << settings + "[window]\r\nleft=-1900\r\nTOP = 30\r\nWIDTH=1000\r\nHEIGHT=640\r\n"
                          "MAXIMIZED=1\r\n"
            << std::optional(WindowPlacement{QRect(-1900, 30, 1000, 640), true});
        QTest::newRow("a key missing")
            << settings + "[WINDOW]\r\nLEFT=10\r\nTOP=30\r\nWIDTH=1000\r\nMAXIMIZED=0\r\n"
            << std::optional<WindowPlacement>();
        QTest::newRow("not a whole number")
            << settings + "[WINDOW]\r\nLEFT=10\r\nTOP=30\r\nWIDTH=1000.5\r\nHEIGHT=640\r\n"
                          "MAXIMIZED=0\r\n"
            << std::optional<WindowPlacement>();
        QTest::newRow("no size")
            << settings +
                   "[WINDOW]\r\nLEFT=10\r\nTOP=30\r\nWIDTH=0\r\nHEIGHT=640\r\nMAXIMIZED=0\r\n"
            << std::optional<WindowPlacement>();
    }

    void readFromTheSettingsFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(std::optional<WindowPlacement>, expected);
        QCOMPARE(WindowPlacement::read(m_dir.fileWith(content)), expected);
    }

    void writtenIntoTheFileAsItIsNow()
    {
        const QByteArray before = "; edited by hand\r\n[SETTINGS]\r\nQUOTEBASE=NM\r\n\r\n"
                                  "[COMPANY]\r\nNAME=Acme Air\r\n";
        const QString path = m_dir.fileWith(before);
        const WindowPlacement placement{QRect(-1800, 40, 990, 650), false};
        QVERIFY(placement.write(path));
        QCOMPARE(TestFiles::contentOf(path),
                 before + "[WINDOW]\r\nLEFT=-1800\r\nTOP=40\r\nWIDTH=990\r\nHEIGHT=650\r\n"
                          "MAXIMIZED=0\r\n");
        QCOMPARE(WindowPlacement::read(path), std::optional(placement));

        // What another window wrote in the meantime stays.
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write("[EXTRA]\r\nKEY=1\r\n");
        file.close();
        const WindowPlacement maximized{QRect(-1800, 40, 990, 650), true};
        QVERIFY(maximized.write(path));
        QVERIFY(TestFiles::contentOf(path).endsWith("MAXIMIZED=1\r\n[EXTRA]\r\nKEY=1\r\n"));
    }

    void fitInto_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("expected");
        const QRect laptop(0, 0, 1280, 680); // 1920x1080 at 150 %, less the task bar
        QTest::newRow("fits") << QRect(100, 50, 800, 600) << laptop << QRect(100, 50, 800, 600);
        QTest::newRow("the default size, too tall")
            << QRect(140, 0, 1004, 754) << laptop << QRect(140, 0, 1004, 680);
        QTest::newRow("below the bottom edge")
            << QRect(100, 300, 800, 600) << laptop << QRect(100, 80, 800, 600);
        QTest::newRow("on a monitor that is gone")
            << QRect(2200, 100, 800, 600) << laptop << QRect(480, 80, 800, 600);
        QTest::newRow("left of the screen, larger than it")
            << QRect(-1900, -20, 1500, 900) << laptop << QRect(0, 0, 1280, 680);
        QTest::newRow("screen left of the primary")
            << QRect(-300, 10, 800, 600) << QRect(-1920, 0, 1920, 1040)
            << QRect(-800, 10, 800, 600);
        QTest::newRow("task bar on top")
            << QRect(0, 0, 800, 600) << QRect(0, 40, 1280, 680) << QRect(0, 40, 800, 600);
    }

    void fitInto()
    {
        QFETCH(QRect, frame);
        QFETCH(QRect, available);
        QFETCH(QRect, expected);
        QCOMPARE(::fitInto(frame, available), expected);
    }

private:
    QString fileWith(const QByteArray& content) { return m_dir.fileWith(content, u"settings"_s); }
    static QByteArray contentOf(const QString& path) { return TestFiles::contentOf(path); }
    TestFiles m_dir;
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
