#include "core/airports/airporttable.h"
#include "core/settings/appsettings.h"
#include "gui/airports/frmairportdetails.h"
#include "gui/appcontext.h"
#include "support/child.h"
#include "support/dialogkeys.h"
#include "support/recordinghost.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestFrmAirportDetails : public FolderTest
{
    Q_OBJECT

    RecordingHost m_host;

    // Shown as the menu command shows it, with the busy pointer, which it puts back.
    void show(FrmAirportDetails& details)
    {
        m_host.window = &details;
        m_folder->services().pointer->setBusy();
        details.show();
        QVERIFY(QTest::qWaitForWindowActive(&details));
    }

private slots:
    void init()
    {
        openFolder();
        m_host.calls.clear();
        appSettings().SORTORDER = SortOrder::Id;
    }
    void cleanup() { closeFolder(); }

    // The stored values in their text forms, every field named by its label, nothing
    // changeable (not even the ticks: the mouse and a screen reader's press both come
    // through click(), and Tab passes them by), Tab through the other fields, then the
    // buttons.
    void showsTheStoredValuesReadOnly()
    {
        AirportRecord stored =
            *ReadAirport(*appContext().Workspace, appContext().DatabasePath, "SEQM");
        stored.IFR = true;
        UpdateAirport(*appContext().Workspace, appContext().DatabasePath, "SEQM", stored);
        FrmAirportDetails seqm(&m_host, u"SEQM"_s);
        show(seqm);
        QStringList texts;
        for (auto* field : seqm.findChildren<QLineEdit*>()) {
            texts << field->text();
            QVERIFY2(field->isReadOnly(), qPrintable(field->objectName()));
        }
        QCOMPARE(texts.join(u'|'),
                 u"SEQM|MARISCAL SUCRE INTERNATIONAL AIRPORT|P|ECUADOR|7841|"
                 "S00°07'31.436\"|W078°21'15.502\"|13445|148|-5|America/Guayaquil|"
                 "Public|||UIO|QUITO"_s);
        QCOMPARE(misnamedControls(seqm), QStringList());
        auto* ifr = child<QCheckBox>(seqm, "CheckIFR");
        ifr->click();
        QVERIFY(ifr->isChecked() && !child<QCheckBox>(seqm, "CheckCustoms")->isChecked());
        child<QWidget>(seqm, "TxtIdent")->setFocus();
        const QStringList trail = tabTrail(u"CmdOK"_s);
        QVERIFY2(trail.size() == 18 && trail.filter("Check").isEmpty(),
                 qPrintable(trail.join(u' ')));
    }

    void withoutAnAirportTheWindowClosesAtOnce()
    {
        FrmAirportDetails unknown(&m_host, u"ZZZZ"_s);
        QVERIFY(!unknown.hasAirport());
        bool loopRan = false; // exec() must return before its event loop runs
        QTimer::singleShot(0, &unknown, [&] { loopRan = true, unknown.reject(); });
        QCOMPARE(unknown.exec(), int(QDialog::Rejected));
        QVERIFY(!loopRan);
    }

    // Each button by its access key: the window closes, Modify before it runs.
    void buttonsRunTheHostCommandsThenClose_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("modify hides first") << int(Qt::Key_M) << QStringList{"modify"};
        QTest::newRow("delete puts the list on the airport")
            << int(Qt::Key_D) << QStringList{"show SEQM", "delete, shown"};
        QTest::newRow("exit") << int(Qt::Key_E) << QStringList();
    }
    void buttonsRunTheHostCommandsThenClose()
    {
        QFETCH(int, key);
        FrmAirportDetails details(&m_host, u"SEQM"_s);
        show(details);
        QTest::keyClick(&details, Qt::Key(key), Qt::AltModifier);
        QTRY_VERIFY(!details.isVisible());
        QTEST(m_host.calls, "calls");
    }
};

QTEST_MAIN(TestFrmAirportDetails)
#include "tst_frmairportdetails.moc"
