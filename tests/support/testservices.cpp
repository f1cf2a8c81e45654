#include "support/testservices.h"

#include <QRegularExpression>

Platform::Button ScriptedPrompter::ask(const Platform::Message& message)
{
    m_messages << message;
    if (m_answers.isEmpty()) {
        m_unexpected << message;
        return message.defaultButton;
    }
    return m_answers.takeFirst();
}

QString ScriptedPrompter::askPassword(const QString& title, const QString& text)
{
    m_messages << Platform::Message{Platform::Icon::Question, title, text};
    return m_passwords.isEmpty() ? QString() : m_passwords.takeFirst();
}

void ScriptedPrompter::clear()
{
    m_answers.clear();
    m_passwords.clear();
    m_messages.clear();
    m_unexpected.clear();
    m_beeps = 0;
}

void ScriptedPointer::setBusy()
{
    m_busy = true;
    m_history << QStringLiteral("busy");
}

void ScriptedPointer::setNormal()
{
    m_busy = false;
    m_history << QStringLiteral("normal");
}

TestServices::TestServices()
{
    m_previous = Platform::install(Platform::Services{prompter, pointer, shell, clock, process,
                                                      fileChooser, printChooser, mailer});
}

TestServices::~TestServices()
{
    Platform::install(m_previous);
}

namespace {

QString iconName(Platform::Icon icon)
{
    switch (icon) {
    case Platform::Icon::None:
        return QStringLiteral("none");
    case Platform::Icon::Information:
        return QStringLiteral("information");
    case Platform::Icon::Question:
        return QStringLiteral("question");
    case Platform::Icon::Exclamation:
        return QStringLiteral("exclamation");
    case Platform::Icon::Critical:
        return QStringLiteral("critical");
    }
    return QString();
}

} // namespace

bool sameMessage(const Platform::Message& actual, Platform::Icon icon, const QString& title,
                 const QString& text, Platform::Button defaultButton, QString* why)
{
    QStringList differences;
    if (actual.icon != icon)
        differences
            << QStringLiteral("icon %1, expected %2").arg(iconName(actual.icon), iconName(icon));
    if (actual.title != title)
        differences << QStringLiteral("title \"%1\", expected \"%2\"").arg(actual.title, title);
    const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(
            QRegularExpression::escape(text).replace(QStringLiteral("\\*"), QStringLiteral(".+"))),
        QRegularExpression::DotMatchesEverythingOption);
    if (!pattern.match(actual.text).hasMatch())
        differences << QStringLiteral("text \"%1\", expected \"%2\"").arg(actual.text, text);
    if (actual.defaultButton != defaultButton)
        differences << QStringLiteral("default button %1, expected %2")
                           .arg(int(actual.defaultButton))
                           .arg(int(defaultButton));
    if (why)
        *why = differences.join(QStringLiteral("; "));
    return differences.isEmpty();
}
