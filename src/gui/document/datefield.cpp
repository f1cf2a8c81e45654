#include "gui/document/datefield.h"

#include "core/format.h"
#include "gui/platform/platform.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

namespace {

// The user's short date pattern with the year in full, as dates are shown everywhere.
QString shortDatePattern()
{
    QString pattern = QLocale().dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(QLatin1String("yyyy")))
        pattern.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return pattern;
}

} // namespace

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

    setMinimum(QStringLiteral("19950101"));
    setMaximum(QStringLiteral("20991231"));

    connect(m_edit, &QLineEdit::editingFinished, this, &DateField::editingFinished);
    connect(m_button, &QToolButton::clicked, this, &DateField::openCalendar);
}

void DateField::setValue(std::optional<QDate> value)
{
    if (value && !value->isValid())
        value.reset();
    if (value)
        value = std::clamp(*value, m_minimum, m_maximum);
    const bool changed = value != m_value;
    m_value = value;
    showValue();
    if (changed)
        emit valueChanged();
}

void DateField::setMinimum(const QDate& date)
{
    if (!date.isValid())
        return;
    m_minimum = date;
    if (m_maximum < m_minimum)
        m_maximum = m_minimum;
    clampValue();
}

void DateField::setMaximum(const QDate& date)
{
    if (!date.isValid())
        return;
    m_maximum = date;
    if (m_minimum > m_maximum)
        m_minimum = m_maximum;
    clampValue();
}

void DateField::setDisplayFormat(const QString& format)
{
    m_displayFormat = format;
    showValue();
}

QString DateField::textOf(const QDate& date) const
{
    return QLocale().toString(date,
                              m_displayFormat.isEmpty() ? shortDatePattern() : m_displayFormat);
}

QDate DateField::readDate(const QString& text) const
{
    // The shown form, with a day or month of one digit, or a year of two digits,
    // which is this century's (Qt reads it as 19yy).
    const QString shown = m_displayFormat.isEmpty() ? shortDatePattern() : m_displayFormat;
    const QString lenient = QString(shown)
                                .replace(QLatin1String("dd"), QLatin1String("d"))
                                .replace(QLatin1String("MM"), QLatin1String("M"));
    for (const QString& pattern : {shown, lenient}) {
        const QDate date = QLocale().toDate(text, pattern);
        if (date.isValid())
            return date;
        if (!pattern.contains(QLatin1String("yyyy")))
            continue;
        const QDate shortYear = QLocale().toDate(
            text, QString(pattern).replace(QLatin1String("yyyy"), QLatin1String("yy")));
        if (shortYear.isValid())
            return shortYear.addYears(100);
    }
    return QDate();
}

bool DateField::commit(OnRefusal onRefusal)
{
    const QString text = m_edit->text().trimmed();
    if (text.isEmpty()) {
        setValue(std::nullopt);
        return true;
    }
    const QDate typed = readDate(text);
    if (typed.isValid() && typed >= m_minimum && typed <= m_maximum) {
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
    const QString range = tr("%1 must be between %2 and %3.")
                              .arg(name.isEmpty() ? tr("The date") : name,
                                   Format::shortDate(m_minimum), Format::shortDate(m_maximum));
    Platform::prompter().inform(Platform::Icon::Exclamation, window()->windowTitle(),
                                isDate ? range
                                       : tr("\"%1\" is not a date.").arg(text) + '\r' + range);
    m_edit->setFocus();
    m_edit->selectAll();
}

// The calendar replaces what was typed: a date that reads is taken, anything else
// gives way to the value.
void DateField::openCalendar()
{
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

QDate DateField::fromCompact(const QString& yyyymmdd)
{
    return QDate::fromString(yyyymmdd, QStringLiteral("yyyyMMdd"));
}

void DateField::showValue()
{
    m_edit->setText(m_value ? textOf(*m_value) : QString());
}

void DateField::clampValue()
{
    if (m_value)
        setValue(m_value);
}
