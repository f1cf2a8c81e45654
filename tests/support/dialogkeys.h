#pragma once

#include "support/programfolder.h"

#include <QApplication>
#include <QLabel>
#include <QStringList>
#include <QTest>
#include <QWidget>

// The controls Tab takes the focus through from the focus, each named once, up to and
// including `last` (or until 60 presses, so a chain that never gets there shows where
// it went instead).
inline QStringList tabTrail(const QString& last)
{
    QStringList trail;
    for (int presses = 0; presses < 60 && !trail.endsWith(last); ++presses) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const QWidget* focus = QApplication::focusWidget();
        const QString name = focus ? focus->objectName() : QStringLiteral("(nothing)");
        if (!trail.endsWith(name))
            trail << name;
    }
    return trail;
}

// The prompter showed this one message and no other; its record is then cleared.
inline void verifyOnlyMessage(ScriptedPrompter& prompter, Platform::Icon icon, const QString& title,
                              const QString& text,
                              Platform::Button defaultButton = Platform::Button::Ok)
{
    QCOMPARE(prompter.messages().size(), 1);
    QString why;
    QVERIFY2(sameMessage(prompter.messages().first(), icon, title, text, defaultButton, &why),
             qPrintable(why));
    prompter.clear();
}

// The labelled controls of a window that a screen reader would not call by their
// label's caption; "(no labels)" when the window has none.
inline QStringList misnamedControls(const QWidget& window)
{
    QStringList misnamed, named;
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (const QWidget* control = label->buddy())
            (control->accessibleName() == QString(label->text()).remove(u'&') ? named : misnamed)
                << control->objectName();
    return named.isEmpty() ? QStringList{QStringLiteral("(no labels)")} : misnamed;
}

// Focuses a window's control and types into it.
inline void typeInto(const QWidget& window, const QString& name, const QString& keys)
{
    auto* control = window.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    control->setFocus();
    QTRY_VERIFY(control->hasFocus());
    QTest::keyClicks(control, keys);
}

// Tests on a fresh program folder each (in the US form of numbers): after each, no
// message came that the test did not expect, no answer is left over, the pointer is back.
class FolderTest : public QObject
{
protected:
    std::unique_ptr<ProgramFolder> m_folder;

    ScriptedPrompter& prompter() { return m_folder->prompter(); }
    void openFolder()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_folder = std::make_unique<ProgramFolder>();
        QVERIFY(m_folder->open());
    }
    void closeFolder()
    {
        const QString unexpected = m_folder->unexpectedMessage();
        const int pending = prompter().pendingAnswers();
        const bool busy = m_folder->services().pointer->isBusy();
        m_folder.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
        QCOMPARE(pending, 0);
        QVERIFY(!busy);
    }
};
