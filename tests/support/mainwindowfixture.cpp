#include "support/mainwindowfixture.h"

#include "core/quote/chargesmodel.h"
#include "core/quote/routemodel.h"

#include <QApplication>
#include <QHash>
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
    find()->setFocus();
    find()->clear();
    QTest::keyClicks(find(), id);
    QCOMPARE(find()->text(), id);
    child<QPushButton>("CmdSelect")->click();
}

void MainWindowFixture::selectRoute(int row) const
{
    child<QTableView>("SSDBGrid2")->selectRow(row);
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

void MainWindowFixture::press(const QString& keys)
{
    static const QHash<QChar, Qt::Key> special{
        {u'\b', Qt::Key_Backspace}, {u'\t', Qt::Key_Tab},      {u'\x0b', Qt::Key_Backtab},
        {u'\r', Qt::Key_Return},    {u'\x1b', Qt::Key_Escape}, {u'\x7f', Qt::Key_Delete}};
    for (qsizetype i = 0; i < keys.size(); ++i) {
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
        if (keys.at(i) == u'%' || keys.at(i) == u'^')
            modifiers = keys.at(i++) == u'%' ? Qt::AltModifier : Qt::ControlModifier;
        const Qt::Key named = special.value(keys.at(i), Qt::Key_unknown);
        if (named == Qt::Key_unknown)
            QTest::keyClick(keyboard(), keys.at(i).toLatin1(), modifiers);
        else
            key(named, named == Qt::Key_Backtab ? modifiers | Qt::ShiftModifier : modifiers);
    }
}

void MainWindowFixture::backToWindow()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
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
    const auto* edit = qobject_cast<QLineEdit*>(focus);
    const bool all = edit && !edit->text().isEmpty() && edit->selectedText() == edit->text();
    return focus ? focus->objectName() + (all ? QStringLiteral("*") : QString()) : QString();
}

void MainWindowFixture::typeIntoCell(int row, int column, const QString& keys, bool enter)
{
    auto* grid = child<QTableView>("SSDBGrid3");
    grid->setFocus();
    grid->setCurrentIndex(m_window->charges()->index(row, column));
    press(keys);
    QVERIFY(QApplication::focusWidget() != grid); // an editor is open
    if (enter)
        key(Qt::Key_Return);
}
