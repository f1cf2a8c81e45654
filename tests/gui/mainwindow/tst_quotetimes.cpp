#include "core/quote/routemodel.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "support/mainwindowfixture.h"
#include "support/testservices.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QLabel>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;
using Platform::Button;
using Platform::Icon;

// The times of the quote in the main window, by keys: the aircraft, the typed
// departures and the local times they give, a leg beyond the range and its fuel stop,
// and the hourly basis. The rules have their rows in tests/core/quote.
class TestQuoteTimes : public MainWindowFixture
{
    Q_OBJECT

    // Types a departure into the dialog that Alt+D opens for the selected stop's leg.
    void typeDeparture(const QString& date, const QString& time)
    {
        onNextModal([date, time](QWidget*) { press(date + u'\t' + time + u'\r'); });
        press(u"%d"_s);
        backToWindow();
    }
    // The times columns of a route row: Flight, Block, Departs, Arrives.
    QString timesOf(int row) const
    {
        const QAbstractItemModel* model = child<QTableView>("SSDBGrid2")->model();
        QStringList texts;
        for (int column = RouteModel::COLUMNS; column < model->columnCount(); ++column)
            texts << model->index(row, column).data().toString();
        return texts.join(u" | "_s);
    }
    QString aircraft() const { return child<QComboBox>("CboAircraft")->currentText(); }

private slots:
    void timesBeyondRangeAndFuelStop()
    {
        add(u"KASE"_s);
        add(u"KDEN"_s);
        press(u"%ik"_s);
        QCOMPARE(aircraft(), u"King Air 350"_s);
        QCOMPARE(timesOf(1), u"5:27 | 5:37 |  | "_s); // no departure yet
        selectRoute(0);
        typeDeparture(u"2026-06-12"_s, u"0930"_s); // the separators typed too
        QCOMPARE(timesOf(1), u"5:27 | 5:37 | Fri 12 Jun 09:30 EDT | Fri 12 Jun 13:07 MDT"_s);
        QCOMPARE(timesOf(2), u"0:35 | 0:45 | Fri 12 Jun 14:07 MDT | Fri 12 Jun 14:52 MDT"_s);

        const QModelIndex flight =
            child<QTableView>("SSDBGrid2")->model()->index(1, RouteModel::COLUMNS);
        QVERIFY(!flight.data(Qt::DecorationRole).isNull());
        QVERIFY(!flight.data(Qt::AccessibleDescriptionRole).toString().isEmpty());
        auto* beyond = child<QLabel>("LblBeyondRange");
        QCOMPARE(beyond->text(), u"Leg 1 KTEB-KASE: 1,501.5 NM is beyond the range of King "
                                 u"Air 350 (1,500 NM)."_s);

        // None of the starter airports records fuel: those near the point are offered.
        selectRoute(1);
        child<QTableView>("SSDBGrid2")->setFocus();
        QString explanation;
        onNextModal([&explanation](QWidget* dialog) {
            explanation = dialog->findChild<QLabel*>(u"LblExplanation"_s)->text();
            press(u"\r"_s);
        });
        press(u"^f"_s);
        backToWindow();
        QVERIFY(explanation.contains(u"no fuel recorded"_s));
        QCOMPARE(routeIds().join(u' '), u"KTEB KDEN KASE KDEN"_s);
        QVERIFY(beyond->isHidden());
        press(u"^z"_s);
        QCOMPARE(routeIds().join(u' '), u"KTEB KASE KDEN"_s);
    }

    // A new quote starts with the default aircraft; a departure the clock skips is
    // refused and not kept.
    void skippedDepartureIsRefused()
    {
        appSettings().AIRCRAFT = u"Citation CJ3"_s;
        prompter().setNextAnswer(Button::Yes);
        press(u"%qn"_s);
        prompter().clear();
        QCOMPARE(aircraft(), u"Citation CJ3"_s);
        add(u"KBOS"_s);
        selectRoute(0);
        prompter().setNextAnswer(Button::Ok);
        typeDeparture(u"20260308"_s, u"0230"_s);
        expectMessage(Icon::Exclamation, m_window->windowTitle(),
                      u"Leg 1: There is no 02:30 on Sun 8 Mar 2026 at KTEB (America/New_York): the "
                      u"clocks go forward from 02:00 to 03:00."_s,
                      Button::Ok);
        QVERIFY(timesOf(1).endsWith(u"|  | "_s));
    }

    // Flight Hours needs a default aircraft in the settings and an aircraft on the quote;
    // the quote is then priced by the billable hours at the aircraft's rate.
    void hourlyBasis()
    {
        add(u"KBOS"_s);
        press(u"%ic"_s);
        prompter().setNextAnswer(Button::Ok);
        onNextModal([this](QWidget* dialog) {
            press(u"%h\r"_s);
            QCOMPARE(QApplication::focusWidget()->objectName(), u"OptHourBase"_s);
            press(u"%p%nc\r"_s);
            QVERIFY(!dialog->isVisible());
        });
        press(u"%qs"_s);
        backToWindow();
        expectMessage(
            Icon::Exclamation, u"Settings"_s,
            u"Quotes based on Flight Hours need a default aircraft.\r\rChoose the default "
            u"aircraft for new quotes on the Aircraft Profiles tab, or another Quote "
            u"Base."_s,
            Button::Ok);
        QCOMPARE(appSettings().QUOTEBASE, QuoteBase::Hourly);
        QCOMPARE(child<QLabel>("LabelMiles")->text(), u"HR"_s);
        QCOMPARE(field("TxtDistanceCharge"), u"0.7"_s);
        QCOMPARE(field("TxtChargePerMile"), u"3600.00"_s);
        QCOMPARE(field("TxtBaseCharge"), u"2,520.00"_s); // 0.7 h x 3,600.00

        prompter().setNextAnswer(Button::Ok);
        press(u"%i"_s);
        key(Qt::Key_Home);
        expectMessage(Icon::Exclamation, m_window->windowTitle(),
                      u"This quote is priced by the flight hour and needs an aircraft.\r\r"
                      u"Choose the aircraft that flies it."_s,
                      Button::Ok);
        QCOMPARE(aircraft(), u"Citation CJ3"_s);
    }
};

QTEST_MAIN(TestQuoteTimes)
#include "tst_quotetimes.moc"
