#include "support/mainwindowfixture.h"

#include "core/quote/chargesmodel.h"
#include "core/quote/routemodel.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QTest>

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
