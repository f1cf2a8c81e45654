#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QTimeZone>

#include <optional>

// Local times at airports: which clock an airport keeps, reading a typed local date and
// time there as an instant, and showing an instant on that clock. The clocks come from
// the system's time-zone database through QTimeZone, so summer time follows the rules
// the system knows, without a table of our own.
namespace LocalTime {

// The clock of one airport. With an IANA zone name this machine knows, it is that zone
// with its summer time. Without one it is the airport's standard offset from the
// airport table, a fixed clock that knows no summer time: such a clock is a fallback,
// and its times are marked (see abbreviation()). With neither there is no clock.
class AirportZone
{
public:
    AirportZone() = default;
    // `airport` names it in messages (the identifier); `ianaName` may be empty or
    // unknown here, then `standardHours` (hours east of UTC, may be fractional) is used.
    static AirportZone of(const QString& airport, const QString& ianaName,
                          std::optional<float> standardHours);

    bool isValid() const { return m_zone.isValid(); }
    bool isFallback() const { return m_fallback; }
    const QString& airport() const { return m_airport; }
    const QTimeZone& zone() const { return m_zone; }
    // The zone name, or the fallback's "UTC-5": what messages say the clock is.
    QString clockName() const;
    // The abbreviation in force at the instant as the system gives it ("EDT", "AEDT",
    // "+0545"); a fallback shows its offset marked as standard time: "UTC-3:30 (std)".
    QString abbreviation(const QDateTime& instant) const;
    // The instant as a date and time on this clock.
    QDateTime toLocal(const QDateTime& instant) const;

private:
    QString m_airport;
    QTimeZone m_zone;
    bool m_fallback = false;
    int m_fixedSeconds = 0; // the fallback's offset
};

// A typed local time read at an airport.
struct Resolved
{
    QDateTime instant; // invalid when refused
    QString refusal;   // the time does not exist there (clocks going forward)
    QString note;      // the time exists twice there (clocks going back): the first is taken
};

// Reads the local date and time on the airport's clock. A time inside a gap of the
// clock is refused; one that occurs twice takes its first occurrence, with a note.
// QDateTime(date, time, zone) silently moves a time out of a gap and picks one of two
// occurrences without saying which, so both cases are found here by trying the offsets
// in force a day before and a day after.
Resolved resolve(const AirportZone& zone, const QDate& date, const QTime& time);

// "Fri 12 Jun 09:30 EDT": day and month names of the default locale, 24-hour time,
// and the clock's abbreviation at that instant.
QString displayText(const QDateTime& instant, const AirportZone& zone);
// "2026-06-12T09:30:00-04:00": ISO 8601 with the clock's offset at that instant.
QString isoText(const QDateTime& instant, const AirportZone& zone);
// The arrival's local date against the departure's: "+1", "-1" (Tokyo to San
// Francisco lands the day before it left), "+2", or "" on the same date.
QString dayShift(const QDateTime& departure, const AirportZone& from, const QDateTime& arrival,
                 const AirportZone& to);

} // namespace LocalTime
