#include "core/format.h"
#include "core/quote/routehistory.h"
#include "core/quote/routemodel.h"
#include "support/randomedits.h"
#include "support/tablerows.h"

#include <QLocale>
#include <QSignalSpy>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// As the airport records hold them: a leading "-" marks south or east.
const QList<RouteStop> Stops = {
    {u"KTEB"_s, u"TETERBORO"_s, {u"40"_s, 51, 0.364}, {u"074"_s, 3, 38.876}},
    {u"EGLL"_s, u"LONDON HEATHROW"_s, {u"51"_s, 28, 14.693}, {u"000"_s, 27, 35.672}},
    {u"LFPB"_s, u"PARIS LE BOURGET"_s, {u"48"_s, 57, 44.194}, {u"-002"_s, 26, 11.54}},
    {u"SEQM"_s, u"QUITO MARISCAL SUCRE"_s, {u"-00"_s, 7, 31.436}, {u"078"_s, 21, 15.502}}};

// A stop by the first letter of its identifier.
const RouteStop& stop(QChar letter)
{
    return *std::find_if(Stops.cbegin(), Stops.cend(),
                         [&](const RouteStop& s) { return s.ID.at(0) == letter; });
}

QString cell(const RouteModel& model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}

// The route as the first letters of its stops' identifiers.
QString letters(const RouteModel& model)
{
    QString result;
    for (int row = 0; row < model.rowCount(); ++row)
        result += cell(model, row, RouteModel::ColumnId).at(0);
    return result;
}

// The route as it should stand, recomputed from its stops alone: no leg on the first
// stop, every other leg measured from the stop before it, and totals that add the legs
// exactly as they are shown.
void verifyConsistent(const RouteModel& model)
{
    double nm = 0, sm = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        const LegDistance leg =
            row == 0 ? LegDistance{}
                     : ComputeLeg(model.leg(row - 1).stop.point(), model.leg(row).stop.point());
        QCOMPARE(cell(model, row, RouteModel::ColumnDistanceNM), leg.nmText);
        QCOMPARE(cell(model, row, RouteModel::ColumnDistanceSM), leg.smText);
        nm += Format::value(leg.nmText);
        sm += Format::value(leg.smText);
    }
    QVERIFY(qAbs(model.RouteTotalNM() - nm) + qAbs(model.RouteTotalSM() - sm) < 1e-6);
    QCOMPARE(model.totalNMText(), Format::number(nm, Format::TotalMiles));
    QCOMPARE(model.totalSMText(), Format::number(sm, Format::TotalMiles));
}

} // namespace

class TestRouteModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // A stop shows its record's figures as they are, then the leg that ends at it.
    void showsTheStopAndItsLeg()
    {
        RouteModel model;
        model.insertStop(0, stop(u'K'));
        model.insertStop(1, stop(u'S'));
        const LegDistance leg = ComputeLeg(stop(u'K').point(), stop(u'S').point());
        QStringList shown;
        for (int column = 0; column < model.columnCount(); ++column)
            shown << cell(model, 1, column);
        QCOMPARE(shown, (u"SEQM|QUITO MARISCAL SUCRE|-00|7|31.436|078|21|15.502"_s.split(u'|')
                         << leg.nmText << leg.smText << QString()));
    }

    // Every change is recorded first with the row the window would have selected; every
    // leg on both sides of a change is measured again and the totals follow.
    void scripts_data() { addTableRows(u"core/quote/routemodel-scripts.txt"_s); }
    void scripts()
    {
        QFETCH(QStringList, row);
        RouteModel model;
        for (const QChar letter : row[0])
            model.insertStop(model.count(), stop(letter));
        RouteHistory history(&model);
        QSignalSpy totals(&model, &RouteModel::totalsChanged);
        int selected = -1;
        for (const QString& step : row[1].split(u' ')) {
            const int at = step.back().digitValue();
            if (step[0] == u'i') {
                history.record(RouteHistory::Change::Edit, at - 1);
                model.insertStop(at, stop(step[1]));
            } else if (step[0] == u'x') {
                history.record(RouteHistory::Change::Edit, at);
                model.replaceStop(at, stop(step[1]));
            } else if (step[0] == u'p') {
                history.record(RouteHistory::Change::Edit, at);
                model.setPositioning(at, !model.leg(at).positioning);
            } else if (step[0] == u'r') {
                history.record(RouteHistory::Change::Edit, at);
                selected = model.removeStop(at);
            } else if (step == u'n') {
                RouteHistory::Group newQuote(history, RouteHistory::Change::NewQuote,
                                             model.count() - 1);
                model.clear();
                history.record(RouteHistory::Change::Edit, -1); // the default airport's Select
                model.insertStop(0, stop(u'K'));
            } else if (step == u'u') {
                selected = history.undo();
            } else {
                history.clear();
            }
        }
        QCOMPARE(letters(model), row[2]);
        verifyConsistent(model);
        QCOMPARE(selected, row[3].toInt());
        QCOMPARE(int(totals.count()), row[4].toInt());
        QCOMPARE(history.canUndo(), row[5] == u"yes");
        QCOMPARE(history.nextUndo() == RouteHistory::Change::NewQuote, row[6] == u"yes");
        QStringList marked;
        for (const int leg : model.positioningLegs())
            marked << QString::number(leg);
        QCOMPARE(marked.isEmpty() ? u"-"_s : marked.join(u' '), row[7]);
    }

    // A view hears of the legs an insertion measures again, and of a new quote at once.
    void announcesTheLegsAndTheReset()
    {
        RouteModel model;
        for (const QChar letter : u"KEK"_s)
            model.insertStop(model.count(), stop(letter));
        QSignalSpy legs(&model, &RouteModel::dataChanged);
        model.insertStop(1, stop(u'L'));
        QCOMPARE(legs.last().at(0).toModelIndex().column(), int(RouteModel::ColumnDistanceNM));
        QCOMPARE(legs.last().at(1).toModelIndex().column(), int(RouteModel::ColumnDistanceSM));
        QSignalSpy reset(&model, &RouteModel::modelReset);
        QSignalSpy totals(&model, &RouteModel::totalsChanged);
        model.clear();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(totals.count(), 1);
    }

    // A route built under a hold tells its totals once, when the outer hold ends, and
    // they are those of the route built stop by stop; a hold ended by an exception tells
    // nothing.
    void totalsHeldWhileBuilt()
    {
        RouteModel stepByStep;
        RouteModel held;
        QSignalSpy totals(&held, &RouteModel::totalsChanged);
        {
            const RouteModel::TotalsHold outer(held);
            {
                const RouteModel::TotalsHold inner(held);
                for (const QChar letter : u"KEL"_s) {
                    stepByStep.insertStop(stepByStep.count(), stop(letter));
                    held.insertStop(held.count(), stop(letter));
                }
            }
            held.setPositioning(2, true);
            stepByStep.setPositioning(2, true);
            QCOMPARE(totals.count(), 0);
        }
        QCOMPARE(totals.count(), 1);
        QCOMPARE(held.totalNMText(), stepByStep.totalNMText());
        QCOMPARE(held.totalSMText(), stepByStep.totalSMText());
        try {
            const RouteModel::TotalsHold abandoned(held);
            held.insertStop(0, stop(u'S'));
            throw std::runtime_error("given up");
        } catch (const std::runtime_error&) {
        }
        QCOMPARE(totals.count(), 1);
        held.clear();
        QCOMPARE(totals.count(), 2);
    }

    // Inserts, replacements and removals at random, checked after every step against a
    // route kept beside the model.
    void staysConsistentThroughRandomEdits()
    {
        runRandomEdits<RouteModel>(
            {1u, 7u, 42u, 1999u, 31337u}, 400, [](RouteModel& model, QRandomGenerator& random) {
                return [&model, &random, expected = QString()]() mutable {
                    const RouteStop& added = Stops[random.bounded(4)];
                    const int choice = random.bounded(6);
                    if (model.count() > 0 && choice == 5) {
                        const int row = random.bounded(model.count());
                        model.replaceStop(row, added);
                        expected[row] = added.ID[0];
                    } else if (model.count() == 0 || choice < 3) {
                        const int position = random.bounded(model.count() + 1);
                        model.insertStop(position, added);
                        expected.insert(position, added.ID[0]);
                    } else {
                        const int row = random.bounded(model.count());
                        const int selected = model.removeStop(row);
                        expected.remove(row, 1);
                        int current = qMin(row, int(expected.size()) - 1);
                        while (current > 0 && expected[current] == expected[current - 1]) {
                            expected.remove(current, 1);
                            current = qMin(current, int(expected.size()) - 1);
                        }
                        QCOMPARE(selected, current);
                    }
                    QCOMPARE(letters(model), expected);
                    verifyConsistent(model);
                };
            });
    }
};

QTEST_GUILESS_MAIN(TestRouteModel)
#include "tst_routemodel.moc"
