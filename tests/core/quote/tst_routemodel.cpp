#include "core/format.h"
#include "core/quote/routehistory.h"
#include "core/quote/routemodel.h"

#include <QAbstractItemModelTester>
#include <QLocale>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

RouteStop airport(const char* id, const char* name, const char* latDegrees, qint16 latMinutes,
                  double latSeconds, const char* longDegrees, qint16 longMinutes,
                  double longSeconds)
{
    return RouteStop{QString::fromLatin1(id), QString::fromLatin1(name),
                     Coordinate{QString::fromLatin1(latDegrees), latMinutes, latSeconds},
                     Coordinate{QString::fromLatin1(longDegrees), longMinutes, longSeconds}};
}

// As the airport records hold them: a leading "-" marks south or east.
const RouteStop Kteb = airport("KTEB", "TETERBORO", "40", 51, 0.364, "074", 3, 38.876);
const RouteStop Egll = airport("EGLL", "LONDON HEATHROW", "51", 28, 14.693, "000", 27, 35.672);
const RouteStop Lfpb = airport("LFPB", "PARIS LE BOURGET", "48", 57, 44.194, "-002", 26, 11.54);
const RouteStop Seqm = airport("SEQM", "QUITO MARISCAL SUCRE", "-00", 7, 31.436, "078", 21, 15.502);
const RouteStop Stops[] = {Kteb, Egll, Lfpb, Seqm};

LegDistance leg(const RouteStop& from, const RouteStop& to)
{
    return ComputeLeg(from.point(), to.point());
}

QString cell(const RouteModel& model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}

QStringList ids(const RouteModel& model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row)
        result << cell(model, row, RouteModel::ColumnId);
    return result;
}

// The route as the first letters of its stops' identifiers.
QString letters(const RouteModel& model)
{
    QString result;
    for (const QString& id : ids(model))
        result += id.at(0);
    return result;
}

// A stop by the first letter of its identifier.
RouteStop stop(QChar letter)
{
    for (const RouteStop& candidate : Stops) {
        if (candidate.ID.at(0) == letter)
            return candidate;
    }
    return Kteb;
}

// The route as it should stand, recomputed from its stops alone: no leg on the first
// stop, every other leg measured from the stop before it, and totals that add the legs
// exactly as they are shown.
void verifyConsistent(const RouteModel& model)
{
    double nm = 0;
    double sm = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString shownNM = cell(model, row, RouteModel::ColumnDistanceNM);
        const QString shownSM = cell(model, row, RouteModel::ColumnDistanceSM);
        if (row == 0) {
            QVERIFY2(shownNM.isEmpty() && shownSM.isEmpty(), "the first stop shows a leg");
            continue;
        }
        const LegDistance expected = leg(model.leg(row - 1).stop, model.leg(row).stop);
        QCOMPARE(shownNM, expected.nmText);
        QCOMPARE(shownSM, expected.smText);
        nm += Format::value(expected.nmText);
        sm += Format::value(expected.smText);
    }
    QVERIFY(qAbs(model.RouteTotalNM() - nm) < 1e-6);
    QVERIFY(qAbs(model.RouteTotalSM() - sm) < 1e-6);
    QCOMPARE(model.totalNMText(), Format::number(nm, Format::TotalMiles));
    QCOMPARE(model.totalSMText(), Format::number(sm, Format::TotalMiles));
}

} // namespace

class TestRouteModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void showsTheColumnsOfTheRouteList()
    {
        RouteModel model;
        const QStringList captions =
            u"ID|Name|LatHour|LatMin|LatSec|LongHour|LongMin|LongSec|Dist.NM|Dist.SM"_s.split(u'|');
        QCOMPARE(model.columnCount(), captions.size());
        for (int column = 0; column < captions.size(); ++column)
            QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), captions.at(column));

        model.insertStop(0, Kteb);
        model.insertStop(1, Seqm);
        const QStringList shown =
            u"SEQM|QUITO MARISCAL SUCRE|-00|7|31.436|078|21|15.502"_s.split(u'|') +
            QStringList{leg(Kteb, Seqm).nmText, leg(Kteb, Seqm).smText};
        for (int column = 0; column < shown.size(); ++column)
            QCOMPARE(cell(model, 1, column), shown.at(column));
        QCOMPARE(cell(model, 0, RouteModel::ColumnLongHour), QString("074"));
        QCOMPARE(cell(model, 0, RouteModel::ColumnDistanceNM), QString());
    }

    // Each step of a script changes the route (the stops by their first letter): "iE1"
    // inserts EGLL at row 1, "r1" removes row 1, "xS1" puts SEQM in row 1's place. Every
    // leg on both sides of a change is measured again, the totals follow, each change is
    // announced once, and a removal collapses the stop left at its place while it repeats
    // the one before (a repeated pair further on stays).
    void editsKeepTheLegsAndTotals_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("selected");  // what the last removal returned
        QTest::addColumn<int>("announced"); // totalsChanged
        const auto row = [](const char* name, const char* route, const char* script,
                            const char* after, int selected, int announced) {
            QTest::newRow(name) << QString(route) << QString(script) << QString(after) << selected
                                << announced;
        };
        row("a leg from the first stop", "K", "iE1", "KE", -2, 1);
        row("before the first stop", "KE", "iL0", "LKE", -2, 1);
        row("between two stops", "KE", "iL1", "KLE", -2, 1);
        row("remove the middle", "KEL", "r1", "KL", 1, 1);
        row("remove the first", "KEL", "r0", "EL", 0, 1);
        row("remove the last", "KEL", "r2", "KE", 1, 1);
        row("remove the first of two", "KE", "r0", "E", 0, 1);
        row("remove the second of two", "KE", "r1", "K", 0, 1);
        row("remove the only stop, then none", "K", "r0 r0", "", -1, 1);
        row("replace in the middle", "KEL", "xS1", "KSL", -2, 1);
        row("replace the first", "KSL", "xE0", "ESL", -2, 1);
        row("a repeated stop collapses", "KEK", "r1", "K", 0, 1);
        row("only the repeat at the place", "LELLSS", "r1", "LSS", 1, 1);
        row("in and out again", "KEK", "iL1 r1 r1", "K", 0, 3);
    }
    void editsKeepTheLegsAndTotals()
    {
        QFETCH(QString, route);
        QFETCH(QString, script);
        RouteModel model;
        for (const QChar letter : route)
            model.insertStop(model.count(), stop(letter));
        QSignalSpy totals(&model, &RouteModel::totalsChanged);
        int selected = -2;
        for (const QString& step : script.split(u' ')) {
            const int row = step.back().digitValue();
            if (step.startsWith(u'i'))
                model.insertStop(row, stop(step.at(1)));
            else if (step.startsWith(u'x'))
                model.replaceStop(row, stop(step.at(1)));
            else
                selected = model.removeStop(row);
        }
        QTEST(letters(model), "after");
        verifyConsistent(model);
        QTEST(selected, "selected");
        QTEST(int(totals.count()), "announced");
    }

    // A view hears of the legs an insertion measures again, and of a new quote at once.
    void announcesTheLegsAndTheReset()
    {
        RouteModel model;
        for (const QChar letter : u"KEK"_s)
            model.insertStop(model.count(), stop(letter));
        QSignalSpy legs(&model, &RouteModel::dataChanged);
        model.insertStop(1, Lfpb);
        QVERIFY(!legs.isEmpty());
        QCOMPARE(legs.last().at(0).toModelIndex().column(), int(RouteModel::ColumnDistanceNM));
        QCOMPARE(legs.last().at(1).toModelIndex().column(), int(RouteModel::ColumnDistanceSM));
        QSignalSpy reset(&model, &RouteModel::modelReset);
        QSignalSpy totals(&model, &RouteModel::totalsChanged);
        model.clear();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(totals.count(), 1);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.totalNMText(), u"0.0"_s);
        QCOMPARE(model.RouteTotalSM(), 0.0);
    }

    // Each step of a script on the route KTEB: "iE1" inserts EGLL at row 1 (the
    // stops by their first letter), "r1" removes row 1, "n" is a new quote (the route
    // emptied, KTEB put back), "u" an undo, "c" clears the history. The window records
    // each change with the row selected before it, as these steps do.
    void historyTakesBackChanges_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("selected"); // what the last undo returned
        QTest::addColumn<bool>("canUndo");
        QTest::addColumn<bool>("asks"); // the next undo takes back a new quote

        const auto row = [](const char* name, const char* script, const char* after, int selected,
                            bool canUndo, bool asks) {
            QTest::newRow(name) << QString(script) << QString(after) << selected << canUndo << asks;
        };
        row("a removal comes back", "iE1 iL2 r1 u", "KEL", 1, true, false);
        row("an insertion goes", "iE1 u", "K", 0, false, false);
        row("newest first", "iE1 iL2 r1 u u u", "K", 0, false, false);
        row("a collapsed removal comes back whole", "iE1 iK2 r1 u", "KEK", 1, true, false);
        row("a new quote is one change, asked for", "iE1 iL2 n", "K", -1, true, true);
        row("a new quote taken back", "iE1 iL2 n u", "KEL", 2, true, false);
        row("nothing to take back", "u", "K", -1, false, false);
        row("history cleared", "iE1 c u", "KE", -1, false, false);
    }

    void historyTakesBackChanges()
    {
        QFETCH(QString, script);
        RouteModel model;
        model.insertStop(0, Kteb);
        RouteHistory history(&model);
        int selected = -1;
        for (const QString& step : script.split(u' ')) {
            if (step.startsWith(u'i')) {
                const int position = step.mid(2).toInt();
                history.record(RouteHistory::Change::Edit, position - 1);
                model.insertStop(position, stop(step.at(1)));
            } else if (step.startsWith(u'r')) {
                history.record(RouteHistory::Change::Edit, step.mid(1).toInt());
                model.removeStop(step.mid(1).toInt());
            } else if (step == u'n') {
                RouteHistory::Group newQuote(history, RouteHistory::Change::NewQuote,
                                             model.count() - 1);
                model.clear();
                history.record(RouteHistory::Change::Edit, -1); // the default airport's Select
                model.insertStop(0, Kteb);
            } else if (step == u'u') {
                selected = history.undo();
            } else if (step == u'c') {
                history.clear();
            }
        }
        QTEST(letters(model), "after");
        verifyConsistent(model);
        QTEST(selected, "selected");
        QTEST(history.canUndo(), "canUndo");
        QTEST(history.nextUndo() == RouteHistory::Change::NewQuote, "asks");
    }

    // Long random runs of inserts, replacements and removals, checked after every step against a
    // recomputation from the stops alone; the model tester fails on any change a view
    // would be told about wrongly.
    void staysConsistentThroughRandomEdits()
    {
        for (quint32 seed : {1u, 7u, 42u, 1999u, 31337u}) {
            QRandomGenerator random(seed);
            RouteModel model;
            QAbstractItemModelTester tester(&model,
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
            QStringList expected;
            for (int step = 0; step < 400; ++step) {
                const int choice = random.bounded(6);
                if (model.count() > 0 && choice == 5) {
                    const int row = random.bounded(model.count());
                    const RouteStop& stop = Stops[random.bounded(4)];
                    model.replaceStop(row, stop);
                    expected[row] = stop.ID;
                } else if (model.count() == 0 || choice < 3) {
                    const int position = random.bounded(model.count() + 1);
                    const RouteStop& stop = Stops[random.bounded(4)];
                    model.insertStop(position, stop);
                    expected.insert(position, stop.ID);
                } else {
                    const int row = random.bounded(model.count());
                    const int selected = model.removeStop(row);
                    expected.removeAt(row);
                    int current = row < expected.size() ? row : row - 1;
                    while (current > 0 && expected[current] == expected[current - 1]) {
                        expected.removeAt(current);
                        current = current < expected.size() ? current : current - 1;
                    }
                    QCOMPARE(selected, current);
                    if (selected > 0)
                        QVERIFY(model.leg(selected).stop.ID != model.leg(selected - 1).stop.ID);
                }
                QCOMPARE(ids(model), expected);
                verifyConsistent(model);
                if (QTest::currentTestFailed())
                    QFAIL(qPrintable(QString("seed %1, step %2").arg(seed).arg(step)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestRouteModel)
#include "tst_routemodel.moc"
