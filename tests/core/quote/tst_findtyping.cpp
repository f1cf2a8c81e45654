#include "core/quote/findtyping.h"
#include "gui/mainwindow/findevents.h"
#include "support/tablerows.h"

#include <QTest>

using namespace Qt::StringLiterals;
using FindTyping::Action;

// One typed character against the find box: the completion after the cursor is
// stepped over, gives way when the box is full, and characters that would break the
// search never arrive.
class TestFindTyping : public QObject
{
    Q_OBJECT

private slots:
    void type_data() { addTableRows(u"core/quote/findtyping-keys.txt"_s); }
    void type()
    {
        QFETCH(QStringList, row);
        const bool identifiers = row[2] == u"ID";
        const FindTyping::Result result = FindTyping::type(
            {row[0], row[1].toInt(), false, identifiers ? 4 : 50, identifiers}, row[3].at(0));
        const QHash<QString, Action> actions = {{u"Type"_s, Action::Type},
                                                {u"StepOver"_s, Action::StepOver},
                                                {u"Drop"_s, Action::Drop}};
        QVERIFY(actions.contains(row[4]));
        QCOMPARE(result.action, actions[row[4]]);
        QCOMPARE(result.text, row[5]);
        QCOMPARE(result.cursor, row[6].toInt());
    }

    // A write of the find box inside another leaves searching off until the outer ends.
    void nestedPauseRestoresWhatWasBefore()
    {
        {
            FindEventsPause outer;
            {
                FindEventsPause inner;
            }
            QVERIFY(!FindEventsEnabled);
        }
        QVERIFY(FindEventsEnabled);
    }
};

QTEST_GUILESS_MAIN(TestFindTyping)
#include "tst_findtyping.moc"
