#include "core/settings/windowplacement.h"
#include "support/testfiles.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<WindowPlacement>)

class TestWindowPlacement : public QObject
{
    Q_OBJECT

private slots:
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
        QCOMPARE(WindowPlacement::read(m_files.fileWith(content)), expected);
    }

    void writtenIntoTheFileAsItIsNow()
    {
        const QByteArray before = "; edited by hand\r\n[SETTINGS]\r\nQUOTEBASE=NM\r\n\r\n"
                                  "[COMPANY]\r\nNAME=Acme Air\r\n";
        const QString path = m_files.fileWith(before);
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
    TestFiles m_files;
};

QTEST_GUILESS_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
