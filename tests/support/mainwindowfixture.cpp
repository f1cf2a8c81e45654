#include "support/mainwindowfixture.h"

#include "core/quote/chargesmodel.h"
#include "core/quote/routemodel.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

MainWindowFixture::MainWindowFixture()
{
    m_start.DEFAULTAIRPORT = QStringLiteral("KTEB");
}

void MainWindowFixture::init()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    m_folder = std::make_unique<ProgramFolder>();
    appSettings() = m_start;
    QVERIFY(m_folder->open());
    m_window = m_folder->showMainWindow();
    QVERIFY(m_window);
}

void MainWindowFixture::cleanup()
{
    const QString unexpected = closeAll(m_window, m_folder);
    appSettings() = AppSettings();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
}

QString MainWindowFixture::field(const char* name) const
{
    return child<QLineEdit>(name)->text();
}

void MainWindowFixture::expectMessage(Platform::Icon icon, const QString& title,
                                      const QString& text, Platform::Button defaultButton,
                                      qsizetype index)
{
    const auto& messages = prompter().messages();
    QVERIFY(index < messages.size() && !messages.isEmpty());
    QString why;
    QVERIFY2(sameMessage(messages.at(index < 0 ? messages.size() - 1 : index), icon, title, text,
                         defaultButton, &why),
             qPrintable(why));
}

QStringList MainWindowFixture::routeIds() const
{
    QStringList ids;
    for (const RouteLeg& leg : m_window->route()->legs())
        ids << leg.stop.ID;
    return ids;
}

void MainWindowFixture::add(const QString& id)
{
    auto* find = child<QLineEdit>("TxtFind");
    find->setFocus();
    find->clear();
    QTest::keyClicks(find, id);
    QCOMPARE(find->text(), id);
    child<QPushButton>("CmdSelect")->click();
}

QWidget* MainWindowFixture::keyboard()
{
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget();
}

void MainWindowFixture::key(int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(keyboard(), Qt::Key(key), modifiers);
}

void MainWindowFixture::type(const QString& keys)
{
    for (const QChar ch : keys)
        QTest::keyClick(keyboard(), ch.toLatin1());
}

void MainWindowFixture::typeIntoCell(int row, int column, const QString& keys)
{
    auto* grid = child<QTableView>("SSDBGrid3");
    grid->setFocus();
    grid->setCurrentIndex(m_window->charges()->index(row, column));
    type(keys);
    QVERIFY(QApplication::focusWidget() != grid); // an editor is open
}

void MainWindowFixture::enterIntoCell(int row, int column, const QString& keys)
{
    typeIntoCell(row, column, keys);
    key(Qt::Key_Return);
}

QLineEdit* MainWindowFixture::find() const
{
    return child<QLineEdit>("TxtFind");
}

void MainWindowFixture::selectRoute(int row) const
{
    child<QTableView>("SSDBGrid2")->selectRow(row);
}

void MainWindowFixture::press(const QString& keys)
{
    for (qsizetype i = 0; i < keys.size(); ++i) {
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
        if (keys.at(i) == u'%' || keys.at(i) == u'^')
            modifiers = keys.at(i++) == u'%' ? Qt::AltModifier : Qt::ControlModifier;
        const char ch = keys.at(i).toLatin1();
        const Qt::Key special = ch == '\b'     ? Qt::Key_Backspace
                                : ch == '\t'   ? Qt::Key_Tab
                                : ch == '\x0b' ? Qt::Key_Backtab
                                : ch == '\r'   ? Qt::Key_Return
                                : ch == '\x1b' ? Qt::Key_Escape
                                : ch == '\x7f' ? Qt::Key_Delete
                                               : Qt::Key_unknown;
        if (special == Qt::Key_Backtab)
            modifiers |= Qt::ShiftModifier;
        if (special != Qt::Key_unknown)
            QTest::keyClick(keyboard(), special, modifiers);
        else
            QTest::keyClick(keyboard(), ch, modifiers);
    }
}

void MainWindowFixture::onNextModal(std::function<void(QWidget*)> handle, int wait)
{
    // A menu may run the event loop before its command opens the window: look again
    // until it is there, for a few seconds at most.
    QTimer::singleShot(wait == 0 ? 0 : 10, this, [this, handle = std::move(handle), wait] {
        QWidget* window = QApplication::activeModalWidget();
        if (!window && wait < 500)
            return onNextModal(handle, wait + 1);
        QVERIFY(window);
        QVERIFY(QTest::qWaitFor([window] { return window->isActiveWindow(); }));
        handle(window);
    });
}

QString MainWindowFixture::focusName()
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return QString();
    const auto* edit = qobject_cast<QLineEdit*>(focus);
    const bool all = edit && !edit->text().isEmpty() && edit->selectedText() == edit->text();
    return focus->objectName() + (all ? QStringLiteral("*") : QString());
}
