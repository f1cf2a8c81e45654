#include "gui/document/datefield.h"

#include "gui/platform/platform.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

DateField::DateField(QWidget* parent) : QWidget(parent)
{
    m_edit = new QLineEdit(this);
    m_edit->installEventFilter(this);
    m_button = new QToolButton(this);
    m_button->setArrowType(Qt::DownArrow);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setToolTip(tr("Choose the date on a calendar (Alt+Down)"));
    m_button->setAccessibleName(tr("Calendar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit);
    layout->addWidget(m_button);
    setFocusProxy(m_edit);
    setFocusPolicy(Qt::StrongFocus);

    setLimits({QDate(1995, 1, 1), QDate(2099, 12, 31)});

    connect(m_edit, &QLineEdit::editingFinished, this, &DateField::editingFinished);
    connect(m_button, &QToolButton::clicked, this, &DateField::openCalendar);
}

void DateField::setValue(std::optional<QDate> value)
{
    if (value && !value->isValid())
        value.reset();
    if (value)
        value = std::clamp(*value, m_limits.minimum, m_limits.maximum);
    const bool changed = value != m_value;
    m_value = value;
    showValue();
    if (changed)
        emit valueChanged();
}

void DateField::setLimits(const PrintDates::Limits& limits)
{
    if (!limits.minimum.isValid() || !limits.maximum.isValid() || limits.maximum < limits.minimum)
        return;
    m_limits = limits;
    if (m_value)
        setValue(m_value);
}

void DateField::setDisplayFormat(const QString& format)
{
    m_displayFormat = format;
    showValue();
}

bool DateField::commit(OnRefusal onRefusal)
{
    const QString text = m_edit->text().trimmed();
    if (text.isEmpty()) {
        setValue(std::nullopt);
        return true;
    }
    const QDate typed = PrintDates::read(text, m_displayFormat);
    if (typed.isValid() && m_limits.contains(typed)) {
        setValue(typed);
        showValue();
        return true;
    }
    if (onRefusal == OnRefusal::Drop)
        showValue();
    else if (onRefusal == OnRefusal::Tell)
        tellRefusal(text, typed.isValid());
    return false;
}

void DateField::editingFinished()
{
    commit(m_edit->hasFocus() || !m_leftForCommand ? OnRefusal::Tell : OnRefusal::Keep);
}

void DateField::tellRefusal(const QString& text, bool isDate)
{
    QString name = accessibleName().trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    Platform::prompter().inform(Platform::Icon::Exclamation, window()->windowTitle(),
                                PrintDates::refusal(name, text, isDate, m_limits));
    m_edit->setFocus();
    m_edit->selectAll();
}

// The calendar replaces what was typed: a date that reads is taken, anything else
// gives way to the value.
void DateField::setReadOnly(bool readOnly)
{
    m_edit->setReadOnly(readOnly);
    m_button->setEnabled(!readOnly);
}

void DateField::openCalendar()
{
    if (m_edit->isReadOnly())
        return;
    commit(OnRefusal::Drop);
    emit buttonClicked();
}

bool DateField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::FocusOut) {
        // The widget taking the focus already has it when the field hears of it.
        m_leftForCommand =
            static_cast<QFocusEvent*>(event)->reason() == Qt::ActiveWindowFocusReason ||
            qobject_cast<QPushButton*>(QApplication::focusWidget());
    }
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F4 ||
            (key->key() == Qt::Key_Down && key->modifiers().testFlag(Qt::AltModifier))) {
            openCalendar();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DateField::showValue()
{
    m_edit->setText(m_value ? textOf(*m_value) : QString());
}
