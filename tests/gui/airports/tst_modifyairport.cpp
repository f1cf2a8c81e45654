#include "core/airports/airportrecord.h"
#include "core/db/engine.h"
#include "gui/appcontext.h"
#include "support/mainwindowfixture.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

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
        QTest::newRow("elevation missing") << "ELEVATION" << QVariant() << "TxtElevation"
                                           << "Enter Elevation.";
        QTest::newRow("runway length missing") << "RUNWAY LENGTH" << QVariant() << "TxtRwyLength"
                                               << "Enter Runway Length.";
        QTest::newRow("elevation too long for the field")
            << "ELEVATION" << QVariant(1215752191) << "TxtElevation"
            << "Enter Elevation.";
        QTest::newRow("runway width too long for the field")
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
        auto* find = child<QLineEdit>("TxtFind");
        find->setFocus();
        QTest::keyClicks(find, u"KBOS"_s);
        QString shown = u"(not opened)"_s, focusAfterSave;
        bool openAfterSave = false;
        if (!message.isEmpty())
            prompter().setNextAnswer(Button::Ok);
        // Once the window is open and its edit session begun: what it shows, and Save.
        std::function<void()> inside = [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || !appContext().Workspace->inTransaction())
                return QTimer::singleShot(10, this, inside);
            QPointer<QDialog> modify(dialog);
            shown = dialog->findChild<QLineEdit*>(field)->text();
            if (!message.isEmpty()) {
                QTest::keyClick(dialog, Qt::Key_S, Qt::AltModifier);
                // An access key presses its button the way a click does, a moment later.
                (void)QTest::qWaitFor([this] { return !prompter().messages().isEmpty(); });
                openAfterSave = modify && modify->isVisible();
                focusAfterSave = keyboard() ? keyboard()->objectName() : QString();
            }
            if (modify && modify->isVisible()) {
                QTest::keyClick(modify, Qt::Key_C, Qt::AltModifier);
                (void)QTest::qWaitFor([&] { return !modify || !modify->isVisible(); });
            }
            if (modify && modify->isVisible())
                modify->reject(); // never leave the test waiting in the window
        };
        QTimer::singleShot(10, this, inside);
        key(Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(child<QMenu>("mnuAirports")->isVisible());
        key(Qt::Key_M);

        QCOMPARE(shown, QString());
        QCOMPARE(prompter().messages().size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            expectMessage(Icon::Exclamation, u"Modify Airport"_s, message, Button::Ok);
            QVERIFY(openAfterSave);
            QCOMPARE(focusAfterSave, field);
        }
        QVERIFY(!appContext().Workspace->inTransaction());
        QCOMPARE(storedRow(), before);
    }
};

QTEST_MAIN(TestModifyAirport)
#include "tst_modifyairport.moc"
