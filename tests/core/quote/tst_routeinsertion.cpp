#include "core/quote/routeinsertion.h"
#include "support/tablerows.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

RouteStop stop(const QString& id)
{
    return RouteStop{id, id + u" FIELD"_s, Coordinate{u"40"_s, 0, 0}, Coordinate{u"074"_s, 0, 0}};
}

} // namespace

// Where Select puts an airport, and when it refuses it, for every shape of the route
// list's selection. The questions are the caller's; the rule says when to ask them.
class TestRouteInsertion : public QObject
{
    Q_OBJECT

private slots:
    void decide_data() { addTableRows(u"core/quote/routeinsertion-decide.txt"_s); }
    void decide()
    {
        QFETCH(QStringList, row);
        RouteModel model;
        for (const QString& id : row[0].split(u' ', Qt::SkipEmptyParts))
            model.insertStop(model.count(), stop(id));
        bool asked = false;
        const RouteInsertion::Decision decision = RouteInsertion::decide(
            {&model, row[1].toInt(), row[2].toInt()}, stop(row[3]), 5000, 3000, [&] {
                asked = true;
                return row[4] == u"yes";
            });
        QCOMPARE(asked, row[5] == u"yes");
        bool isPosition = false;
        const int position = row[6].toInt(&isPosition);
        QCOMPARE(decision.refusal, isPosition ? QString() : row[6]);
        if (isPosition)
            QCOMPARE(decision.position, position);
    }

    void shortRunwayIsAskedAbout()
    {
        RouteModel model;
        model.insertStop(0, stop(u"KTEB"_s));
        const auto question = [&](std::optional<qint64> runway) {
            return RouteInsertion::decide({&model, 0, 0}, stop(u"3N6"_s), runway, 3000,
                                          [] { return false; })
                .runwayQuestion;
        };
        QCOMPARE(question(2999), u"The Runway Length at '3N6'    '3N6 FIELD'\r\rof 2999 ft is "
                                 "shorter than the current Minimum Runway Length of 3000 ft."
                                 "\r\rDo you want to insert the airport in the route anyway?"_s);
        QCOMPARE(question(3000), QString());
        QCOMPARE(question(std::nullopt), QString()); // a runway not known is not asked about
    }
};

QTEST_GUILESS_MAIN(TestRouteInsertion)
#include "tst_routeinsertion.moc"
