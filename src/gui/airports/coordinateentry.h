#pragma once

#include <QLineEdit>
#include <QString>

// The masked entry of one latitude (N40°38'23.123") or longitude (W073°46'40.000").
// The first position holds the hemisphere letter, N or S (E or W), shown in upper
// case; unfilled positions show "_". Receiving the focus from the keyboard or the
// program moves the caret to the degrees, so typing starts there; the letter can still
// be reached with the cursor keys or the mouse.
class CoordinateEntry : public QLineEdit
{
    Q_OBJECT

public:
    explicit CoordinateEntry(bool latitude, QWidget* parent = nullptr);

    bool isLatitude() const { return m_latitude; }
    // The text by position, "_" in every unfilled position: what ParseCoordinateEntry reads.
    QString entryText() const { return displayText(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    bool m_latitude;
};
