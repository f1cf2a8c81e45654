#include "core/airports/airportrecord.h"
#include "core/db/engine.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"
#include "support/programfolder.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

using Platform::Button;
using Platform::Icon;

// Modify Airport opened from the main window's menu on a stored row whose numbers are
// missing or do not fit the editor's fields.
class TestModifyAirport : public QObject
{
    Q_OBJECT

    std::unique_ptr<ProgramFolder> m_folder;

    // The stored row of one airport, every column as the engine reads it; `change`
    // rewrites one column first.
    static QVariantList storedRow(const QString& id, const QString& column = QString(),
                                  const QVariant& value = QVariant())
    {
        auto set = appContext()
                       .Workspace->openDatabase(appContext().DatabasePath)
                       ->openRecordset(QStringLiteral("Airports"));
        if (!set->findFirst(Db::Criterion::equals(AirportColumn::Id, id)))
            return {};
        if (!column.isEmpty()) {
            set->edit();
            set->setValue(column, value);
            set->update();
        }
        return set->row(set->absolutePosition());
    }
    // Runs `inside` once the modal window shown by the next key presses is open and
    // its edit session has begun; the waiting ends with `scope`.
    static void whenModalOpens(QObject* scope, const std::function<void(QDialog*)>& inside)
    {
        QTimer::singleShot(10, scope, [scope, inside] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || !appContext().Workspace->inTransaction())
                return whenModalOpens(scope, inside);
            inside(dialog);
        });
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init()
    {
        m_folder = std::make_unique<ProgramFolder>();
        appSettings() = AppSettings();
        appSettings().DEFAULTAIRPORT = QStringLiteral("KTEB");
        QVERIFY(m_folder->open());
    }
    void cleanup()
    {
        const QString unexpected = m_folder->unexpectedMessage();
        m_folder.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
    }

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
        const QVariantList before = storedRow("KBOS", column, stored);
        QVERIFY(!before.isEmpty());
        Brisklander window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* find = window.findChild<QLineEdit*>(QStringLiteral("TxtFind"));
        find->setFocus();
        QTest::keyClicks(find, QStringLiteral("KBOS"));

        QString shown = QStringLiteral("(not opened)"), focusAfterSave;
        bool openAfterSave = false;
        if (!message.isEmpty())
            m_folder->services().prompter->setNextAnswer(Button::Ok);
        QObject scope;
        whenModalOpens(&scope, [&](QDialog* dialog) {
            QPointer<QDialog> modify(dialog);
            shown = dialog->findChild<QLineEdit*>(field)->text();
            if (!message.isEmpty()) {
                QTest::keyClick(dialog, Qt::Key_S, Qt::AltModifier);
                // An access key presses its button the way a click does, a moment later.
                (void)QTest::qWaitFor(
                    [this] { return !m_folder->services().prompter->messages().isEmpty(); });
                openAfterSave = modify && modify->isVisible();
                if (QApplication::focusWidget())
                    focusAfterSave = QApplication::focusWidget()->objectName();
            }
            if (modify && modify->isVisible()) {
                QTest::keyClick(modify, Qt::Key_C, Qt::AltModifier);
                (void)QTest::qWaitFor([&] { return !modify || !modify->isVisible(); });
            }
            if (modify && modify->isVisible())
                modify->reject(); // never leave the test waiting in the window
        });
        QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
        auto* menu = window.findChild<QMenu*>(QStringLiteral("mnuAirports"));
        QTRY_VERIFY(menu->isVisible());
        QTest::keyClick(menu, Qt::Key_M);

        QCOMPARE(shown, QString());
        const auto& messages = m_folder->services().prompter->messages();
        QCOMPARE(messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QString why;
            QVERIFY2(sameMessage(messages[0], Icon::Exclamation, QStringLiteral("Modify Airport"),
                                 message, Button::Ok, &why),
                     qPrintable(why));
            QVERIFY(openAfterSave);
            QCOMPARE(focusAfterSave, field);
        }
        QVERIFY(!appContext().Workspace->inTransaction());
        QCOMPARE(storedRow("KBOS"), before);
    }
};

QTEST_MAIN(TestModifyAirport)
#include "tst_modifyairport.moc"
