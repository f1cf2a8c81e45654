#include "gui/about/frmabout.h"
#include "support/child.h"
#include "support/dialogkeys.h"

#include <QLabel>

using namespace Qt::StringLiterals;

// The About box: the version line, the year from the clock, and its two links, which Tab
// reaches in turn and a click, Enter or Space opens.
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
        QTest::newRow("revision after two spaces") << 1 << 0 << 20 << "Version 1.00  Revision 20";
        QTest::newRow("minor padded to two digits") << 2 << 5 << 3 << "Version 2.05  Revision 3";
    }
    void versionText()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QTEST(FrmAbout::versionText(major, minor, revision), "text");
    }

    // The link in the focus after a Tab from the other, opened by the mouse or a key
    // (0: a click); the activation puts back the pointer the menu command made busy. A
    // link the desktop cannot open is left at that, without a word.
    void linksOpen_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<int>("key");
        QTest::newRow("web, click") << "Label5" << 0;
        QTest::newRow("mail, Enter") << "Label6" << int(Qt::Key_Return);
        QTest::newRow("web, Space") << "Label5" << int(Qt::Key_Space);
    }
    void linksOpen()
    {
        QFETCH(QString, link);
        QFETCH(int, key);
        TestServices services;
        services.clock->setToday(QDate(2031, 2, 14));
        services.pointer->setBusy();
        services.shell->setSucceeds(false);
        FrmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QCOMPARE(services.pointer->history(), QStringList({"busy", "normal"}));
        QVERIFY(child<QLabel>(about, "Label4")->text().contains("2031"_L1));
        auto* label = child<QLabel>(about, qPrintable(link));
        child<QLabel>(about, link == "Label5" ? "Label6" : "Label5")->setFocus();
        QCOMPARE(tabTrail(link), QStringList(link));
        if (key)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        else
            QTest::mouseClick(label, Qt::LeftButton);
        const QString text = label->text();
        QCOMPARE(services.shell->opened(), QStringList(link == "Label6" ? "mailto:" + text : text));
        QVERIFY(services.prompter->messages().isEmpty() && !services.pointer->isBusy());
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
