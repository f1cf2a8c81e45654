#include "gui/airports/coordinateentry.h"

#include "core/format.h"

#include <QKeyEvent>

CoordinateEntry::CoordinateEntry(bool latitude, QWidget* parent)
    : QLineEdit(parent), m_latitude(latitude)
{
    // 'a' an optional letter (upper case after '>'), '0' an optional digit, the rest
    // literals; ";_" shows the unfilled positions. The seconds' point is the user's
    // decimal separator, escaped in case it is one of the mask's own characters.
    const QString point = u'\\' + Format::NumberSymbols::current().decimalPoint;
    setInputMask(
        (latitude ? QStringLiteral(">a00\u00B000'00") : QStringLiteral(">a000\u00B000'00")) +
        point + QStringLiteral("000\";_"));
}

void CoordinateEntry::keyPressEvent(QKeyEvent* event)
{
    const int position = hasSelectedText() ? selectionStart() : cursorPosition();
    const QString typed = event->text();
    if (position == 0 && !typed.isEmpty() && typed.at(0).isPrint()) {
        // The first position takes only the two letters of its axis.
        const QChar letter = typed.at(0).toUpper();
        const bool allowed = typed.size() == 1 && (m_latitude ? letter == u'N' || letter == u'S'
                                                              : letter == u'E' || letter == u'W');
        if (!allowed) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void CoordinateEntry::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Tab puts the caret on the letter, and the program (Save refusing the entry) leaves
    // it wherever the text was last set: both start at the degrees. A click places it
    // itself, and coming back from another window keeps it where it was.
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
        setCursorPosition(1);
        break;
    default:
        break;
    }
}
