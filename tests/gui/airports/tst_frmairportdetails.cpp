#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/starterdata.h"
#include "core/settings/appsettings.h"
#include "gui/airports/airporthost.h"
#include "gui/airports/frmairportdetails.h"
#include "gui/appcontext.h"
#include "support/testservices.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
        StarterData::createProgramFolder(m_dir.path(), QStringLiteral("Brisklander"));
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

    void showsTheStoredValuesInTheirTextForms()
    {
        FrmAirportDetails seqm(&m_host, QStringLiteral("SEQM"));
        QCOMPARE(fields(seqm), QStringLiteral("SEQM|MARISCAL SUCRE INTERNATIONAL AIRPORT|P|ECUADOR|"
                                              "7841|S00°07'31.436\"|W078°21'15.502\"|13445|148|-5|"
                                              "Public||"));
        // Nothing can be changed, not even the ticks.
        for (auto* field : seqm.findChildren<QLineEdit*>())
            QVERIFY2(field->isReadOnly(), qPrintable(field->objectName()));
        auto* ifr = seqm.findChild<QCheckBox*>("CheckIFR");
        ifr->click(); // the mouse and a screen reader's press both come through here
        QVERIFY(!ifr->isChecked());

        // East, both ticks apart, no runway width.
        auto ws = Db::DbEngine::instance().createWorkspace("AirportWS", Schema::UserName,
                                                           Schema::Password);
        AirportRecord lfpb = *ReadAirport(*ws, appContext().DatabasePath, "LFPB");
        lfpb.IFR = true;
        lfpb.RUNWAY_WIDTH.reset();
        lfpb.FUEL = QStringLiteral("JET ONLY");
        UpdateAirport(*ws, appContext().DatabasePath, "LFPB", lfpb);
        FrmAirportDetails details(&m_host, QStringLiteral("LFPB"));
        QVERIFY2(fields(details).contains("|E002°26'11.540\"|9843||+1|Public|JET ONLY|"),
                 qPrintable(fields(details)));
        QVERIFY(details.findChild<QCheckBox*>("CheckIFR")->isChecked());
        QVERIFY(!details.findChild<QCheckBox*>("CheckCustoms")->isChecked());
    }

    void withoutAnAirportTheWindowClosesAtOnce()
    {
        FrmAirportDetails unknown(&m_host, QStringLiteral("ZZZZ"));
        QVERIFY(!unknown.hasAirport());
        bool loopRan = false; // exec() must return before its event loop runs
        QTimer::singleShot(0, &unknown, [&] { loopRan = true, unknown.reject(); });
        QCOMPARE(unknown.exec(), int(QDialog::Rejected));
        QVERIFY(!loopRan);
    }

    void buttonsRunTheHostCommandsThenClose_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("modify hides first") << "CmdModify" << QStringList{"modify"};
        QTest::newRow("delete puts the list on the airport")
            << "CmdDelete" << QStringList{"list SEQM", "delete, shown"};
        QTest::newRow("exit") << "CmdOK" << QStringList();
    }
    void buttonsRunTheHostCommandsThenClose()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, calls);
        FrmAirportDetails details(&m_host, QStringLiteral("SEQM"));
        m_host.window = &details;
        m_services->pointer->setBusy();
        details.show();
        QVERIFY(QTest::qWaitForWindowExposed(&details));
        QVERIFY(!m_services->pointer->isBusy());
        QTest::mouseClick(details.findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(m_host.calls, calls);
        QVERIFY(!details.isVisible());
    }
};

QTEST_MAIN(TestFrmAirportDetails)
#include "tst_frmairportdetails.moc"
