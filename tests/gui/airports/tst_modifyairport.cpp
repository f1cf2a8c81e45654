#include "core/airports/airportrecord.h"
#include "core/db/engine.h"
#include "gui/appcontext.h"
#include "support/mainwindowfixture.h"

#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

using namespace Qt::StringLiterals;
using Platform::Button;
using Platform::Icon;

// Modify Airport opened from the main window's menu on a stored row whose numbers are
// missing or do not fit the editor's fields.
class TestModifyAirport : public MainWindowFixture
{
    Q_OBJECT

    // The stored row of KBOS, every column as the engine reads it; a column given is
    // rewritten first.
    static QVariantList storedRow(const QString& column = {}, const QVariant& value = {})
    {
        auto set = appContext()
                       .Workspace->openDatabase(appContext().DatabasePath)
                       ->openRecordset(u"Airports"_s);
        if (!set->findFirst(Db::Criterion::equals(AirportColumn::Id, u"KBOS"_s)))
            return {};
        if (!column.isEmpty()) {
            set->edit();
            set->setValue(column, value);
            set->update();
        }
        return set->row(set->absolutePosition());
    }

private slots:
    // A missing number shows as an empty field, and so does one the field cannot hold
    // (its text would be cut to the field's length). Save then asks for a required one
    // and writes nothing.
    void missingNumbersShowEmpty_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("message"); // empty: the field is optional, Save is not tried
        QTest::newRow("missing") << "ELEVATION" << QVariant() << "TxtElevation"
                                 << "Enter Elevation.";
        QTest::newRow("too long for a required field")
            << "ELEVATION" << QVariant(1215752191) << "TxtElevation"
            << "Enter Elevation.";
        QTest::newRow("too long for an optional field")
            << "RUNWAY WIDTH" << QVariant(7075) << "TxtRwyWidth"
            << "";
    }
    void missingNumbersShowEmpty()
    {
        QFETCH(QString, column);
        QFETCH(QVariant, stored);
        QFETCH(QString, field);
        QFETCH(QString, message);
        const QVariantList before = storedRow(column, stored);
        QVERIFY(!before.isEmpty());
        find()->setFocus();
        QTest::keyClicks(find(), u"KBOS"_s);
        if (!message.isEmpty())
            prompter().setNextAnswer(Button::Ok);
        QString shown = u"(not opened)"_s, focusAfterSave = u"(closed)"_s;
        onNextModal([&](QWidget* window) {
            QPointer<QWidget> modify(window);
            // Once its edit session has begun: what it shows, and Save.
            (void)QTest::qWaitFor([] { return appContext().Workspace->inTransaction(); });
            shown = window->findChild<QLineEdit*>(field)->text();
            if (!message.isEmpty()) {
                QTest::keyClick(window, Qt::Key_S, Qt::AltModifier);
                // An access key presses its button the way a click does, a moment later.
                (void)QTest::qWaitFor([this] { return !prompter().messages().isEmpty(); });
                if (modify && modify->isVisible())
                    focusAfterSave = focusName();
            }
            if (modify)
                QTest::keyClick(modify, Qt::Key_C, Qt::AltModifier);
            if (modify && !QTest::qWaitFor([&] { return !modify || !modify->isVisible(); }))
                qobject_cast<QDialog*>(modify.data())->reject(); // never leave the test waiting
        });
        press(u"%am"_s);
        QCOMPARE(shown, QString());
        QCOMPARE(prompter().messages().size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            expectMessage(Icon::Exclamation, u"Modify Airport"_s, message, Button::Ok);
            QCOMPARE(focusAfterSave, field);
        }
        QVERIFY(!appContext().Workspace->inTransaction());
        QCOMPARE(storedRow(), before);
    }
};

QTEST_MAIN(TestModifyAirport)
#include "tst_modifyairport.moc"
