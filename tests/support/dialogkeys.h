#pragma once

#include "support/testservices.h"

#include <QApplication>
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
