#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/starterdata.h"
#include "core/settings/appsettings.h"
#include "gui/airports/airporthost.h"
#include "gui/airports/frmairportdetails.h"
#include "gui/appcontext.h"
#include "support/child.h"
#include "support/dialogkeys.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::StringLiterals;

// Records the commands the details window runs, and whether it was still on screen.
class RecordingHost final : public AirportHost
{
public:
    void refreshAirportList() override { calls << "refresh"; }
    void clearFindBox() override { calls << "clear"; }
    void RefreshRouteAfterModify(const AirportChange&) override { calls << "route"; }
    void showAirportInList(const QString& id) override { calls << "list " + id; }
    void mnuModAirport_Click() override { calls << "modify" + shown(); }
    void mnudelairport_Click() override { calls << "delete" + shown(); }
    QString shown() const { return window->isVisible() ? ", shown" : ""; }
    QStringList calls;
    QWidget* window = nullptr;
};

class TestFrmAirportDetails : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TestServices> m_services;
    RecordingHost m_host;

    // Shown as the menu command shows it, with the busy pointer, which it puts back.
    void show(FrmAirportDetails& details)
    {
        m_host.window = &details;
        m_services->pointer->setBusy();
        details.show();
        QVERIFY(QTest::qWaitForWindowActive(&details));
        QVERIFY(!m_services->pointer->isBusy());
    }
    // Every text field in the window's order, joined by "|".
    static QString fields(const FrmAirportDetails& w)
    {
        QStringList texts;
        for (const QLineEdit* field : w.findChildren<QLineEdit*>())
            texts << field->text();
        return texts.join('|');
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        StarterData::createProgramFolder(m_dir.path(), u"Brisklander"_s);
    }
    void init()
    {
        m_services = std::make_unique<TestServices>();
        m_host.calls.clear();
        appSettings().SORTORDER = SortOrder::Id;
        appContext().DatabasePath = m_dir.filePath(Schema::DatabaseFileName);
        Db::DbEngine& engine = Db::DbEngine::instance();
        engine.setSystemDB(m_dir.filePath(Schema::WorkgroupFileName));
        engine.setDefaultUser(Schema::UserName);
        engine.setDefaultPassword(Schema::Password);
    }
    void cleanup()
    {
        Db::DbEngine::instance().release();
        QVERIFY(m_services->prompter->messages().isEmpty());
        m_services.reset();
    }

    // The stored values in their text forms, nothing changeable (not even the ticks: the
    // mouse and a screen reader's press both come through click(), and Tab passes them
    // by), Tab through the other fields, then the buttons.
    void showsTheStoredValuesReadOnly()
    {
        FrmAirportDetails seqm(&m_host, u"SEQM"_s);
        show(seqm);
        QCOMPARE(fields(seqm), u"SEQM|MARISCAL SUCRE INTERNATIONAL AIRPORT|P|ECUADOR|7841|"
                               "S00°07'31.436\"|W078°21'15.502\"|13445|148|-5|Public||"_s);
        for (auto* field : seqm.findChildren<QLineEdit*>())
            QVERIFY2(field->isReadOnly(), qPrintable(field->objectName()));
        auto* ifr = child<QCheckBox>(seqm, "CheckIFR");
        ifr->click();
        QVERIFY(!ifr->isChecked());
        child<QWidget>(seqm, "TxtIdent")->setFocus();
        QCOMPARE(tabTrail(u"CmdOK"_s).join(u' '),
                 u"TxtAirportName TxtState TxtCountry TxtElevation TxtLatitude TxtLongitude "
                 "TxtRwyLength Text1 TxtTimeZone TxtPubMil TxtFuel TxtLights CmdModify CmdDelete "
                 "CmdOK"_s);

        // East, both ticks apart, no runway width.
        auto ws = Db::DbEngine::instance().createWorkspace("AirportWS", Schema::UserName,
                                                           Schema::Password);
        AirportRecord lfpb = *ReadAirport(*ws, appContext().DatabasePath, "LFPB");
        lfpb.IFR = true;
        lfpb.RUNWAY_WIDTH.reset();
        lfpb.FUEL = u"JET ONLY"_s;
        UpdateAirport(*ws, appContext().DatabasePath, "LFPB", lfpb);
        FrmAirportDetails details(&m_host, u"LFPB"_s);
        QVERIFY2(fields(details).contains("|E002°26'11.540\"|9843||+1|Public|JET ONLY|"),
                 qPrintable(fields(details)));
        QVERIFY(child<QCheckBox>(details, "CheckIFR")->isChecked());
        QVERIFY(!child<QCheckBox>(details, "CheckCustoms")->isChecked());
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
            << int(Qt::Key_D) << QStringList{"list SEQM", "delete, shown"};
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
