#include "core/quote/routeinsertion.h"

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
    void decide_data()
    {
        QTest::addColumn<QStringList>("route");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("airport");
        QTest::addColumn<bool>("before");  // the answer when asked before or after
        QTest::addColumn<bool>("asked");   // whether before or after was asked
        QTest::addColumn<int>("position"); // -1: refused
        QTest::addColumn<QString>("refusal");

        const QString current = u"Selected Airport is the same as Current Airport in Quote."_s;
        const QString next = u"Selected Airport is the same as Next Airport in Quote."_s;
        const QStringList three{"KTEB", "KBOS", "KJFK"};
        QTest::newRow("empty route")
            << QStringList() << -1 << -1 << "KTEB" << false << false << 0 << "";
        QTest::newRow("after the only stop")
            << QStringList{"KTEB"} << 0 << 0 << "KBOS" << false << false << 1 << "";
        QTest::newRow("nothing selected: after the current")
            << three << -1 << 1 << "KMIA" << false << false << 2 << "";
        QTest::newRow("nothing selected or current: at the end")
            << three << -1 << -1 << "KMIA" << false << false << 3 << "";
        QTest::newRow("first of three, before")
            << three << 0 << 0 << "KMIA" << true << true << 0 << "";
        QTest::newRow("first of three, after")
            << three << 0 << 0 << "KMIA" << false << true << 1 << "";
        QTest::newRow("same as the first")
            << three << 0 << 0 << "KTEB" << true << false << -1 << current;
        QTest::newRow("same as the current")
            << three << 1 << 1 << "KBOS" << false << false << -1 << current;
        QTest::newRow("same as the next")
            << three << 1 << 1 << "KJFK" << false << false << -1 << next;
        QTest::newRow("after, the first again")
            << three << 0 << 2 << "KBOS" << false << true << -1 << next;
    }
    void decide()
    {
        QFETCH(QStringList, route);
        QFETCH(int, selected);
        QFETCH(int, current);
        QFETCH(QString, airport);
        QFETCH(bool, before);
        QFETCH(bool, asked);
        QFETCH(int, position);
        QFETCH(QString, refusal);
        RouteModel model;
        for (const QString& id : route)
            model.insertStop(model.count(), stop(id));
        bool wasAsked = false;
        const RouteInsertion::Decision decision =
            RouteInsertion::decide({&model, selected, current}, stop(airport), 5000, 3000, [&] {
                wasAsked = true;
                return before;
            });
        QCOMPARE(wasAsked, asked);
        QCOMPARE(decision.refusal, refusal);
        if (position >= 0)
            QCOMPARE(decision.position, position);
        QVERIFY(decision.runwayQuestion.isEmpty());
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
