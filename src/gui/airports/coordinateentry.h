#pragma once

#include "core/airports/airportentry.h"
#include "core/distance.h"

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

    // A stored coordinate in the entry's layout: hemisphere letter ("S"/"N", "E"/"W")
    // from the sign of the degrees text, two (three) degree digits, two minute digits
    // and the seconds with three decimals.
    static QString entryText(const Coordinate& coordinate, bool latitude);

    // Reads an entry's text by position (latitude: 0 letter, 1-2 degrees, 4-5 minutes,
    // 7-8 seconds, 10-12 decimals; a longitude has one degree digit more).
    //  - Nothing after the letter: "Enter Latitude." ("Enter Longitude.").
    //  - Degrees and minutes read only when every one of their positions holds a digit;
    //    a single digit is ambiguous (4_ may mean 4 or 40), so it is refused.
    //  - Seconds read when both whole-second digits are there; an unfilled decimal
    //    counts as 0 (12.5__ is 12.5). Seconds that do not read are 0.
    //  - A missing letter counts as N (W); S (E) puts "-" before the degrees text.
    //  - Valid below 90 (180) degrees, 60 minutes and 60 seconds.
    static CoordinateReading ParseCoordinateEntry(const QString& text, bool latitude);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    bool m_latitude;
};
