#pragma once

#include "core/document/printdates.h"

#include <QDate>
#include <QString>
#include <QWidget>

#include <optional>

class QLineEdit;
class QToolButton;

// A date entry that may be left empty: a line edit showing the date in a display
// format and a drop-down button that asks the owner for a calendar. The value
// always lies between the minimum and the maximum. A typed date outside them, or
// text that does not read as a date, is refused when the field is left with it
// (Tab, Enter, a click on another field): a message under the window's caption
// names the dates the field takes, and the focus comes back to the field with the
// typed text selected. Leaving it for a push button, or for another window, tells
// nothing yet: the button's command asks for the value itself (and is told then),
// or drops the text.
class DateField : public QWidget
{
    Q_OBJECT

public:
    enum class OnRefusal
    {
        Tell, // the message, the focus back in the field
        Keep, // the text left as typed, for a later commit to tell
        Drop  // the value shown again, as when the window closes
    };

    explicit DateField(QWidget* parent = nullptr);

    std::optional<QDate> value() const { return m_value; }
    // A date outside the limits is moved to the nearer limit.
    void setValue(std::optional<QDate> value);
    void clear() { setValue(std::nullopt); }

    QDate minimum() const { return m_limits.minimum; }
    QDate maximum() const { return m_limits.maximum; }
    const PrintDates::Limits& limits() const { return m_limits; }
    // A value outside the new limits moves to the nearer one.
    void setLimits(const PrintDates::Limits& limits);

    // Empty for the user's short date (always with a four-digit year), otherwise a
    // QDate format string such as "MM-dd-yyyy".
    QString displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString& format);
    QString textOf(const QDate& date) const { return PrintDates::text(date, m_displayFormat); }

    QLineEdit* lineEdit() const { return m_edit; }
    // Read-only, the date is shown and reached with Tab but neither typed nor picked.
    void setReadOnly(bool readOnly);
    // Reads what was typed into the field now, as leaving the field does; false when
    // the text was refused.
    bool commit(OnRefusal onRefusal = OnRefusal::Tell);

signals:
    void valueChanged();
    // The drop-down button, Alt+Down or F4: the owner shows its calendar.
    void buttonClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showValue();
    void tellRefusal(const QString& text, bool isDate);
    void openCalendar();
    void editingFinished();

    QLineEdit* m_edit = nullptr;
    QToolButton* m_button = nullptr;
    std::optional<QDate> m_value;
    PrintDates::Limits m_limits;
    QString m_displayFormat;
    // How the focus last left the line edit: for a push button or another window.
    bool m_leftForCommand = false;
};
