#include "document/datefield.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
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

    connect(m_edit, &QLineEdit::editingFinished, this, &DateField::commit);
    connect(m_button, &QToolButton::clicked, this, &DateField::buttonClicked);
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

void DateField::commit()
{
    const QString text = m_edit->text().trimmed();
    if (text.isEmpty()) {
        setValue(std::nullopt);
        return;
    }
    const QDate typed = readDate(text);
    if (typed.isValid() && typed >= m_minimum && typed <= m_maximum)
        setValue(typed);
    showValue();
}

bool DateField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F4 ||
            (key->key() == Qt::Key_Down && key->modifiers().testFlag(Qt::AltModifier))) {
            emit buttonClicked();
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
