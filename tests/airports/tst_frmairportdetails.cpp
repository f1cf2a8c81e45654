#include "airports/airporthost.h"
#include "airports/airporttable.h"
#include "airports/frmairportdetails.h"
#include "airports/starterdata.h"
#include "core/appcontext.h"
#include "core/appsettings.h"
#include "core/engine.h"
#include "core/schema.h"
#include "support/testservices.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
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
    void mnuModAirport_Click() override { calls << (shown() ? "modify, shown" : "modify"); }
    void mnudelairport_Click() override { calls << (shown() ? "delete, shown" : "delete"); }
    bool shown() const { return window && window->isVisible(); }
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
        for (const char* name : {"TxtIdent", "TxtAirportName", "TxtState", "TxtCountry",
                                 "TxtElevation", "TxtLatitude", "TxtLongitude", "TxtRwyLength",
                                 "Text1", "TxtTimeZone", "TxtPubMil", "TxtFuel", "TxtLights"})
            texts << w.findChild<QLineEdit*>(QLatin1String(name))->text();
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
        m_host.window = nullptr;
        appSettings().SORTORDER = QStringLiteral("[ID]");
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
        QCOMPARE(seqm.windowTitle(), QStringLiteral("Airport Details"));
        QCOMPARE(fields(seqm), QStringLiteral("SEQM|MARISCAL SUCRE INTERNATIONAL AIRPORT|P|ECUADOR|"
                                              "7841|S00°07'31.436\"|W078°21'15.502\"|13445|148|-5|"
                                              "Public||"));
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

    void noIdentifierShowsTheFirstAirportInListOrder()
    {
        QVERIFY(fields(FrmAirportDetails(&m_host, QString())).startsWith("CYYZ|"));
        appSettings().SORTORDER = QStringLiteral("[NAME]");
        QVERIFY(fields(FrmAirportDetails(&m_host, QString())).startsWith("KASE|"));
    }

    void withoutAnAirportTheWindowClosesAtOnce()
    {
        FrmAirportDetails unknown(&m_host, QStringLiteral("ZZZZ"));
        QVERIFY(!unknown.hasAirport());
        bool loopRan = false; // exec() must return before its event loop runs
        QTimer::singleShot(0, &unknown, [&] { loopRan = true, unknown.reject(); });
        QCOMPARE(unknown.exec(), int(QDialog::Rejected));
        QVERIFY(!loopRan);

        m_services->pointer->setBusy();
        appContext().DatabasePath = m_dir.filePath(QStringLiteral("missing.mdb"));
        QVERIFY(!FrmAirportDetails(&m_host, QStringLiteral("SEQM")).hasAirport());
        QVERIFY(!m_services->pointer->isBusy());
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

    void nothingCanBeChanged()
    {
        FrmAirportDetails details(&m_host, QStringLiteral("SEQM"));
        details.show();
        QVERIFY(QTest::qWaitForWindowExposed(&details));
        for (auto* label : details.findChildren<QLabel*>())
            QCOMPARE(label->buddy()->accessibleName(), label->text());
        for (auto* field : details.findChildren<QLineEdit*>())
            QVERIFY2(field->isReadOnly(), qPrintable(field->objectName()));
        auto* ident = details.findChild<QLineEdit*>("TxtIdent");
        ident->setFocus();
        QTest::keyClicks(ident, "X");
        QVERIFY(fields(details).startsWith("SEQM|"));

        auto* ifr = details.findChild<QCheckBox*>("CheckIFR");
        QStyleOptionButton option;
        option.initFrom(ifr);
        const QRect tick = ifr->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, ifr);
        QTest::mouseClick(ifr, Qt::LeftButton, {}, tick.center());
        ifr->click(); // as a screen reader's "press" does
        QVERIFY(!ifr->isChecked());
        // Tab skips both ticks; Shift+Tab skips them on the way back.
        details.findChild<QLineEdit*>("TxtPubMil")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("TxtFuel"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("TxtPubMil"));
    }
};

QTEST_MAIN(TestFrmAirportDetails)
#include "tst_frmairportdetails.moc"
