#include "core/quote/findtyping.h"
#include "gui/mainwindow/findevents.h"

#include <QTest>

using namespace Qt::StringLiterals;
using FindTyping::Action;

Q_DECLARE_METATYPE(FindTyping::Action)

// One typed character against the find box: the completion after the cursor is
// stepped over, gives way when the box is full, and characters that would break the
// search never arrive.
class TestFindTyping : public QObject
{
    Q_OBJECT

private slots:
    void type_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<bool>("identifiers");
        QTest::addColumn<QChar>("typed");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("cursorAfter");

        QTest::newRow("upper case") << "" << 0 << true << QChar(u'k') << Action::Type << "K" << 1;
        QTest::newRow("next of the completion")
            << "KTEB" << 1 << true << QChar(u't') << Action::StepOver << "KTEB" << 2;
        QTest::newRow("other than the completion: typed in before it")
            << "LONDON CITY" << 7 << false << QChar(u'h') << Action::Type << "LONDON HCITY" << 8;
        QTest::newRow("full box: the completion gives way")
            << "KTEB" << 2 << true << QChar(u'x') << Action::Type << "KTX" << 3;
        QTest::newRow("blank in a name")
            << "LONDON" << 6 << false << QChar(u' ') << Action::Type << "LONDON " << 7;
        for (const char* c : {"'", ",", "[", "]", " "})
            QTest::newRow(qPrintable(u"never: \""_s + QLatin1String(c) + u'"'))
                << "KT" << 2 << true << QChar(QLatin1Char(*c)) << Action::Drop << "" << 0;
    }
    void type()
    {
        QFETCH(QString, text);
        QFETCH(int, cursor);
        QFETCH(bool, identifiers);
        QFETCH(QChar, typed);
        const FindTyping::Result result =
            FindTyping::type({text, cursor, false, identifiers ? 4 : 50, identifiers}, typed);
        QTEST(result.action, "action");
        QTEST(result.text, "after");
        QTEST(result.cursor, "cursorAfter");
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
