#pragma once

#include <QLineEdit>
#include <QValidator>

// A field's length limit that applies to what the operator types or pastes, not to
// what the program puts there: a longer stored value (written by hand into the
// settings file, or a figure formatted with its grouping) is shown whole and stays
// whole until the operator shortens it. QLineEdit's own maxLength would cut it the
// moment it is shown. An edit that makes a text longer than the limit, and longer
// than it was, is refused.
class TypingLimit final : public QValidator
{
public:
    TypingLimit(QLineEdit* field, int limit) : QValidator(field), m_limit(limit)
    {
        connect(field, &QLineEdit::textChanged, this,
                [this](const QString& text) { m_length = text.size(); });
    }

    State validate(QString& input, int&) const override
    {
        return input.size() > m_limit && input.size() > m_length ? Invalid : Acceptable;
    }

    // Puts a text into the field as the program does, whatever its length. (A line
    // edit validates a text that is set, too, and a refused one would keep the next
    // typed edit from being refused.)
    static void setText(QLineEdit* field, const QString& text)
    {
        const QValidator* validator = field->validator();
        field->setValidator(nullptr);
        field->setText(text);
        field->setValidator(validator);
    }

private:
    int m_limit;
    qsizetype m_length = 0; // of the text before the edit being validated
};
