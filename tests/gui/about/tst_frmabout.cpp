#include "gui/about/frmabout.h"
#include "support/testservices.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

class TestFrmAbout : public QObject
{
    Q_OBJECT

private slots:
    void versionText_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("text");
        QTest::newRow("revision 0 ends after the minor") << 1 << 0 << 0 << "Version 1.00";
        QTest::newRow("revision shown after two spaces")
            << 1 << 0 << 20 << "Version 1.00  Revision 20";
        QTest::newRow("minor padded to two digits") << 2 << 5 << 3 << "Version 2.05  Revision 3";
    }
    void versionText()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, text);
        QCOMPARE(FrmAbout::versionText(major, minor, revision), text);
    }

    void loadFillsVersionAndCopyrightYear()
    {
        TestServices services;
        services.clock->setToday(QDate(2031, 2, 14));
        FrmAbout about;
        QVERIFY(label(about, "Label4")->text().contains(QLatin1String("2031")));
        QVERIFY(label(about, "LblVersion")->text().startsWith(QLatin1String("Version 1.")));
    }

    void clickingTheLinksOpensTheirAddresses()
    {
        TestServices services;
        FrmAbout about;
        QTest::mouseClick(label(about, "Label5"), Qt::LeftButton);
        QTest::mouseClick(label(about, "Label6"), Qt::LeftButton);
        const QString web = label(about, "Label5")->text();
        const QString mail = label(about, "Label6")->text();
        QVERIFY(web.startsWith(QLatin1String("https://")));
        QVERIFY(mail.contains(QLatin1Char('@')));
        QCOMPARE(services.shell->opened(), QStringList({web, QLatin1String("mailto:") + mail}));
    }

    void enterOnTheFocusedMailLinkOpensIt()
    {
        TestServices services;
        FrmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        label(about, "Label5")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), label(about, "Label6"));
        QVERIFY(services.shell->opened().isEmpty());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(services.shell->opened(),
                 QStringList(QLatin1String("mailto:") + label(about, "Label6")->text()));
    }

    void activationRestoresTheNormalPointer()
    {
        TestServices services;
        services.pointer->setBusy();
        FrmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QVERIFY(!services.pointer->isBusy());
        QCOMPARE(services.pointer->history(), QStringList({"busy", "normal"}));
    }

private:
    static QLabel* label(FrmAbout& about, const char* name)
    {
        auto* found = about.findChild<QLabel*>(QLatin1String(name));
        if (!found)
            qFatal("no label %s", name);
        return found;
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
