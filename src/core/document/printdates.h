#pragma once

#include <QDate>
#include <QString>

#include <optional>

// The dates of the print window: the form they are shown and typed in, how a typed
// date is read, the dates each field takes, and the text kept between sessions.
namespace PrintDates {

// The user's short date pattern with the year in full, as dates are shown everywhere.
QString shortDatePattern();

// The display format of the date fields, from today's short date text and this
// month's abbreviated name: empty for the short date itself when the name does not
// occur in it, else "MM-dd-yyyy" (name first), "dd-MM-yyyy" (name at 3 or 4) or
// "yyyy-MM-dd", with the character following the name as separator ("/" when that is
// a digit, a blank when the name ends the text).
QString displayFormat(const QString& todayShort, const QString& monthAbbrev);
// The same for today in the user's locale.
QString displayFormat(const QDate& today);

// A date as a field shows it: `format` as displayFormat gives it (empty: the short date).
QString text(const QDate& date, const QString& format);
// A typed date, in the shown form or with a day or month of one digit, or a year of two
// digits, which is this century's. Invalid when the text does not read as a date.
QDate read(const QString& text, const QString& format);

// The dates a field takes, both included.
struct Limits
{
    QDate minimum;
    QDate maximum;
    bool contains(const QDate& date) const { return date >= minimum && date <= maximum; }
};
// The departure: from a year before to ten years after `reference` (the remembered
// departure date, else today).
Limits departure(const QDate& reference);
// The return: from the departure date (else the departure's own first date) to the
// departure's last date; a return date never lies before the departure.
Limits returnDate(const Limits& departure, const std::optional<QDate>& departureDate);

// Why a typed text is refused: "<name> must be between <first> and <last>.", the
// dates in the user's short form, after "\"<text>\" is not a date.\r" when it reads as
// no date. `name` is the field's caption without its colon; empty: "The date".
QString refusal(const QString& name, const QString& typed, bool isDate, const Limits& limits);

// A date as the print window's memory keeps it: ISO "yyyy-MM-dd", empty for no date.
QString stored(const std::optional<QDate>& date);
std::optional<QDate> fromStored(const QString& text);

} // namespace PrintDates
