#include "core/quote/findtyping.h"
#include "support/tablerows.h"

using namespace Qt::StringLiterals;

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
        // In the order of FindTyping::Action.
        const QStringList actions = {u"Drop"_s, u"StepOver"_s, u"ReplaceSelection"_s, u"Type"_s};
        QCOMPARE(actions.value(int(result.action)), row[4]);
        QCOMPARE(result.text, row[5]);
        QCOMPARE(result.cursor, row[6].toInt());
    }
};

QTEST_GUILESS_MAIN(TestFindTyping)
#include "tst_findtyping.moc"
