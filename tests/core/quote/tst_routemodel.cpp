#include "core/format.h"
#include "core/quote/routehistory.h"
#include "core/quote/routemodel.h"

#include <QAbstractItemModelTester>
#include <QLocale>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

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

RouteModel* route(std::initializer_list<RouteStop> stops, QObject* parent)
{
    auto* model = new RouteModel(parent);
    for (const RouteStop& stop : stops)
        model->insertStop(model->count(), stop);
    return model;
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
        const QStringList captions = {"ID",       "Name",    "LatHour", "LatMin",  "LatSec",
                                      "LongHour", "LongMin", "LongSec", "Dist.NM", "Dist.SM"};
        QCOMPARE(model.columnCount(), captions.size());
        for (int column = 0; column < captions.size(); ++column)
            QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), captions.at(column));

        model.insertStop(0, Kteb);
        model.insertStop(1, Seqm);
        const QStringList shown = {"SEQM",
                                   "QUITO MARISCAL SUCRE",
                                   "-00",
                                   "7",
                                   "31.436",
                                   "078",
                                   "21",
                                   "15.502",
                                   leg(Kteb, Seqm).nmText,
                                   leg(Kteb, Seqm).smText};
        for (int column = 0; column < shown.size(); ++column)
            QCOMPARE(cell(model, 1, column), shown.at(column));
        QCOMPARE(cell(model, 0, RouteModel::ColumnLongHour), QString("074"));
        QCOMPARE(cell(model, 0, RouteModel::ColumnDistanceNM), QString());
    }

    void insertsComputeTheLegsOnBothSides()
    {
        RouteModel model;
        model.insertStop(0, Kteb);
        QCOMPARE(model.totalNMText(), QString("0.0"));
        model.insertStop(1, Egll);
        QCOMPARE(cell(model, 1, RouteModel::ColumnDistanceNM), leg(Kteb, Egll).nmText);
        QCOMPARE(model.totalNMText(),
                 Format::number(Format::value(leg(Kteb, Egll).nmText), Format::TotalMiles));
        verifyConsistent(model);

        // Before the first stop: the old first stop gains its leg from the new one.
        RouteModel* before = route({Kteb, Egll}, this);
        before->insertStop(0, Lfpb);
        QCOMPARE(ids(*before), QStringList({"LFPB", "KTEB", "EGLL"}));
        verifyConsistent(*before);

        // Between two stops: the direct leg leaves the totals.
        RouteModel* after = route({Kteb, Egll}, this);
        after->insertStop(1, Lfpb);
        QCOMPARE(ids(*after), QStringList({"KTEB", "LFPB", "EGLL"}));
        QCOMPARE(after->RouteTotalNM(),
                 Format::value(leg(Kteb, Lfpb).nmText) + Format::value(leg(Lfpb, Egll).nmText));
        verifyConsistent(*after);
    }

    void removalsRepairTheLegsAndTotals()
    {
        RouteModel* middle = route({Kteb, Egll, Lfpb}, this);
        QCOMPARE(middle->removeStop(1), 1);
        QCOMPARE(ids(*middle), QStringList({"KTEB", "LFPB"}));
        QCOMPARE(middle->totalNMText(), cell(*middle, 1, RouteModel::ColumnDistanceNM));
        verifyConsistent(*middle);

        RouteModel* first = route({Kteb, Egll, Lfpb}, this);
        QCOMPARE(first->removeStop(0), 0);
        QCOMPARE(ids(*first), QStringList({"EGLL", "LFPB"}));
        QCOMPARE(first->RouteTotalSM(), Format::value(leg(Egll, Lfpb).smText));
        verifyConsistent(*first);

        RouteModel* last = route({Kteb, Egll, Lfpb}, this);
        QCOMPARE(last->removeStop(2), 1);
        QCOMPARE(ids(*last), QStringList({"KTEB", "EGLL"}));
        verifyConsistent(*last);

        for (int row : {0, 1}) {
            RouteModel* pair = route({Kteb, Egll}, this);
            QCOMPARE(pair->removeStop(row), 0);
            QCOMPARE(pair->totalNMText(), QString("0.0"));
            QCOMPARE(pair->totalSMText(), QString("0.0"));
            verifyConsistent(*pair);
        }

        RouteModel* single = route({Kteb}, this);
        QCOMPARE(single->removeStop(0), -1);
        QCOMPARE(single->rowCount(), 0);
        QCOMPARE(single->removeStop(0), -1);
    }

    void replacementMeasuresBothLegsAgain()
    {
        RouteModel* model = route({Kteb, Egll, Lfpb}, this);
        QSignalSpy totals(model, &RouteModel::totalsChanged);
        model->replaceStop(1, Seqm);
        QCOMPARE(ids(*model), QStringList({"KTEB", "SEQM", "LFPB"}));
        QCOMPARE(cell(*model, 2, RouteModel::ColumnDistanceNM), leg(Seqm, Lfpb).nmText);
        QCOMPARE(totals.count(), 1);
        verifyConsistent(*model);
        model->replaceStop(0, Egll);
        QCOMPARE(cell(*model, 0, RouteModel::ColumnDistanceNM), QString());
        verifyConsistent(*model);
    }

    void removalCollapsesARepeatedStop()
    {
        RouteModel* collapsed = route({Kteb, Egll, Kteb}, this);
        QCOMPARE(collapsed->removeStop(1), 0);
        QCOMPARE(ids(*collapsed), QStringList({"KTEB"}));
        QCOMPARE(collapsed->totalNMText(), QString("0.0"));

        // The stop left at the removed position goes as long as it repeats the one before
        // it; a repeated pair further on stays.
        RouteModel* chain = route({Lfpb, Egll, Lfpb, Lfpb, Seqm, Seqm}, this);
        QCOMPARE(chain->removeStop(1), 1);
        QCOMPARE(ids(*chain), QStringList({"LFPB", "SEQM", "SEQM"}));
        verifyConsistent(*chain);
    }

    void announcesEachChangeOnce()
    {
        RouteModel* model = route({Kteb, Egll, Kteb}, this);
        QSignalSpy totals(model, &RouteModel::totalsChanged);
        QSignalSpy legs(model, &RouteModel::dataChanged);
        model->insertStop(1, Lfpb);
        QCOMPARE(totals.count(), 1);
        QVERIFY(!legs.isEmpty());
        const QModelIndex topLeft = legs.last().at(0).toModelIndex();
        QCOMPARE(topLeft.column(), int(RouteModel::ColumnDistanceNM));
        QCOMPARE(legs.last().at(1).toModelIndex().column(), int(RouteModel::ColumnDistanceSM));

        model->removeStop(1);
        model->removeStop(1); // collapses the repeated KTEB as well
        QCOMPARE(totals.count(), 3);

        QSignalSpy reset(model, &RouteModel::modelReset);
        model->clear();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(totals.count(), 4);
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(model->totalNMText(), QString("0.0"));
        QCOMPARE(model->RouteTotalSM(), 0.0);
    }

    // Each step of a script on the route KTEB: "iE@1" inserts EGLL at row 1 (the
    // stops by their first letter), "r1" removes row 1, "n" is a new quote (the route
    // emptied, KTEB put back), "u" an undo, "c" clears the history. The window records
    // each change with the row selected before it, as these steps do.
    void historyTakesBackChanges_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<int>("selected"); // what the last undo returned
        QTest::addColumn<bool>("canUndo");
        QTest::addColumn<bool>("asks"); // the next undo takes back a new quote

        QTest::newRow("a removal comes back")
            << "iE@1 iL@2 r1 u" << QStringList{"KTEB", "EGLL", "LFPB"} << 1 << true << false;
        QTest::newRow("an insertion goes")
            << "iE@1 u" << QStringList{"KTEB"} << 0 << false << false;
        QTest::newRow("newest first")
            << "iE@1 iL@2 r1 u u u" << QStringList{"KTEB"} << 0 << false << false;
        QTest::newRow("a collapsed removal comes back whole")
            << "iE@1 iK@2 r1 u" << QStringList{"KTEB", "EGLL", "KTEB"} << 1 << true << false;
        QTest::newRow("a new quote is one change, asked for")
            << "iE@1 iL@2 n" << QStringList{"KTEB"} << -1 << true << true;
        QTest::newRow("a new quote taken back")
            << "iE@1 iL@2 n u" << QStringList{"KTEB", "EGLL", "LFPB"} << 2 << true << false;
        QTest::newRow("nothing to take back") << "u" << QStringList{"KTEB"} << -1 << false << false;
        QTest::newRow("history cleared")
            << "iE@1 c u" << QStringList{"KTEB", "EGLL"} << -1 << false << false;
    }

    void historyTakesBackChanges()
    {
        QFETCH(QString, script);
        RouteModel* model = route({Kteb}, this);
        RouteHistory history(model);
        const auto stop = [](QChar letter) {
            for (const RouteStop& candidate : Stops) {
                if (candidate.ID.at(0) == letter)
                    return candidate;
            }
            return Kteb;
        };
        int selected = -1;
        for (const QString& step : script.split(u' ')) {
            if (step.startsWith(u'i')) {
                const int position = step.mid(3).toInt();
                history.record(RouteHistory::Change::Edit, position - 1);
                model->insertStop(position, stop(step.at(1)));
            } else if (step.startsWith(u'r')) {
                history.record(RouteHistory::Change::Edit, step.mid(1).toInt());
                model->removeStop(step.mid(1).toInt());
            } else if (step == u'n') {
                RouteHistory::Group newQuote(history, RouteHistory::Change::NewQuote,
                                             model->count() - 1);
                model->clear();
                history.record(RouteHistory::Change::Edit, -1); // the default airport's Select
                model->insertStop(0, Kteb);
            } else if (step == u'u') {
                selected = history.undo();
            } else if (step == u'c') {
                history.clear();
            }
        }
        QTEST(ids(*model), "ids");
        verifyConsistent(*model);
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
