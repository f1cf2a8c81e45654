#pragma once

#include <QDate>
#include <QString>

#include <optional>

// The one place where figures become text and text becomes figures again.
//
// Every figure of a quote is shown through one of the display masks below and
// every figure computed from another is computed from the other's shown text,
// so the rounding here decides the cents of a quote.
namespace Format {

// Display masks the program uses.
inline const QString Money = QStringLiteral("#,##0.00");
inline const QString Rate = QStringLiteral("0.00");
inline const QString WholeMiles = QStringLiteral("#,###,##0");
inline const QString WholeFeet = WholeMiles; // runway lengths
inline const QString TotalMiles = QStringLiteral("#,###,##0.0");
inline const QString LegMiles = QStringLiteral("##,##0.0");
inline const QString Percent = QStringLiteral("#0.00\\%");
inline const QString TwoDigits = QStringLiteral("00");
inline const QString ThreeDigits = QStringLiteral("000");
inline const QString Seconds = QStringLiteral("00.000");

// The separators of the user's number format. Under the C or POSIX locale,
// which defines none, grouping is "," and the decimal point ".".
struct NumberSymbols
{
    QString decimalPoint = QStringLiteral(".");
    QString groupSeparator = QStringLiteral(",");
    QString negativeSign = QStringLiteral("-");

    // The symbols of the default QLocale (QLocale::setDefault, else the system's).
    static NumberSymbols current();
    // The form of files, whatever the locale: "." and no digit grouping.
    static NumberSymbols plain();
};

// The symbols of the default locale read once and held while the object lives: in
// this thread current() gives them without asking the locale again, which costs more
// than the figure itself. For a run of many figures, a batch of quotes, that a change
// of locale must not reach midway. Holds nest.
class HeldSymbols
{
public:
    HeldSymbols();
    ~HeldSymbols();
    HeldSymbols(const HeldSymbols&) = delete;
    HeldSymbols& operator=(const HeldSymbols&) = delete;

private:
    NumberSymbols m_symbols;
    const NumberSymbols* m_outer;
};

// The text a key types into an amount or rate being entered: the keys "." and "," both
// type the user's decimal sign where it is one of them (the keypad's decimal key types
// "," on a German keyboard and "." on an English one, and operators use both), so that
// neither is ever typed as digit grouping. Any other key types itself.
QString decimalKey(const QString& typed);
QString decimalKey(const QString& typed, const NumberSymbols& symbols);

// Formats a value with a numeric display mask ("#,##0.00", "00.000", "#0.00\%", ...):
// '0' is a digit that is always shown, '#' one shown only when significant, a ','
// inside the integer digits turns on digit grouping, '.' separates the decimals,
// and a backslash or double quotes mark literal text. The value is rounded half away
// from zero on its decimal value (its shortest 15-digit decimal form), so 249.98625
// shows as 249.99 and 1234.56 as 1,234.6 with "#,##0.0". A value that rounds to zero
// never shows a minus sign.
QString number(double value, const QString& mask);
QString number(double value, const QString& mask, const NumberSymbols& symbols);

// Reads a figure back from its text in the user's number format: blanks around it,
// an optional sign, digits with digit grouping, the decimal point and an optional
// exponent. Returns nothing when the whole text does not read as a number. Where the
// grouping is a blank of any kind (blank, no-break or narrow no-break space) or an
// apostrophe (straight or typographic), each of its kind is read as grouping, so a
// figure typed with an ordinary blank reads as one the program wrote.
std::optional<double> read(const QString& text);
std::optional<double> read(const QString& text, const NumberSymbols& symbols);

// Reads a number as a person writes it in the user's number format: as read(), but
// digits are grouped only by threes after the first group ("1,234,567.5"), so that
// "8,5" is no number where "," groups digits and cannot pass for 85.
std::optional<double> readWritten(const QString& text);

// Reads a number in plain form, as files hold numbers in every locale: blanks around
// it, an optional sign, digits with at most one "." and an optional exponent, no
// digit grouping.
std::optional<double> readPlain(const QString& text);

// The value of a shown figure; 0 for a text that does not read as a number
// (an empty field counts as zero wherever a figure is computed from it).
double value(const QString& text);

// True when the whole text reads as a number (see read()).
bool isNumeric(const QString& text);

// The shortest decimal text of the number with at most 15 significant digits, the
// user's decimal point and no grouping: 2.7, 150, 0.35.
QString general(double value);
QString general(double value, const NumberSymbols& symbols);

// A number as a document prints it between other items: plain decimal form, a
// blank in place of a plus sign (a minus for a negative number) and a blank after.
QString numberItem(double value);

// Dates in the user's short and long formats. The short format always shows the
// year in full, so a quote's date never reads ambiguously.
QString shortDate(const QDate& date);
QString longDate(const QDate& date);

// Rounds half away from zero on the decimal value to the given number of decimals.
double roundHalfAway(double value, int decimals);

// The decimal value of a figure: the number with 15 significant digits, as the masks
// round it. Figures are compared on it, never on the binary double (10.7 x 7.03 is
// 75.221 although its binary product lies a hair below).
double decimalValue(double value);

// Rounds to the nearest integer, halves to the even neighbour (450.5 -> 450, 451.5 -> 452).
double roundHalfEven(double value);

} // namespace Format
