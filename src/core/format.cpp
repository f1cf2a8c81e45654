#include "core/format.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace Format {

namespace {

// A finite value as its decimal digits: |value| = 0.d1d2d3... x 10^pointPos.
// std::to_chars/from_chars are used throughout because they ignore the C locale,
// which Qt sets from the environment at start-up.
struct DecimalDigits
{
    bool negative = false;
    std::string digits; // significant digits without leading or trailing zeros; empty for zero
    int pointPos = 0;   // digits before the decimal point; negative or past the end as needed
};

void dropTrailingZeros(DecimalDigits& d)
{
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

// The value with 15 significant digits: the decimal value the program rounds, so that
// 2.675 (stored as 2.67499999...) rounds up like the figure the user sees.
DecimalDigits toDecimal(double value)
{
    DecimalDigits d;
    d.negative = std::signbit(value);
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, 14);
    const std::string_view text(buffer, result.ptr - buffer); // "d.dddddddddddddde+XX"
    const auto ePos = text.find('e');
    for (const char c : text.substr(0, ePos)) {
        if (c != '.')
            d.digits += c;
    }
    const char* exponentStart = text.data() + ePos + 1;
    if (*exponentStart == '+')
        ++exponentStart;
    int exponent = 0;
    std::from_chars(exponentStart, text.data() + text.size(), exponent);
    d.pointPos = exponent + 1;
    dropTrailingZeros(d);
    return d;
}

// Rounds half away from zero to the given number of decimals (negative: to tens, ...).
void roundDigits(DecimalDigits& d, int decimals)
{
    const int keep = d.pointPos + decimals;
    if (keep >= int(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        // Trailing nines carry and become trailing zeros, which are dropped.
        while (!d.digits.empty() && d.digits.back() == '9')
            d.digits.pop_back();
        if (d.digits.empty()) {
            // All kept digits were nines (or none was kept): 0.999.. becomes 1.0 one place up.
            d.digits = "1";
            ++d.pointPos;
        } else {
            ++d.digits.back();
        }
    }
    dropTrailingZeros(d);
}

double toDouble(const DecimalDigits& d)
{
    if (d.digits.empty())
        return 0; // no minus zero, as in the shown figures
    const std::string text =
        (d.negative ? "-0." : "0.") + d.digits + 'e' + std::to_string(d.pointPos);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

struct Mask
{
    QString prefix;
    QString suffix;
    int minIntegerDigits = 0; // '0' placeholders (and any after the first) before the point
    int decimals = 0;         // placeholders after the point
    int minDecimals = 0;      // '0' placeholders after the point before any '#'
    bool grouping = false;
    bool percent = false; // a bare '%' shows the value times 100
};

bool isPlaceholder(QChar c)
{
    return c == u'0' || c == u'#' || c == u',' || c == u'.';
}

// Literal text may precede or follow the digits; once literal text follows a digit
// placeholder, the rest of the mask is literal.
Mask parseMask(const QString& text)
{
    Mask mask;
    bool inDigits = false;
    bool afterDigits = false;
    bool afterPoint = false;
    bool zeroSeen = false;
    bool hashAfterPoint = false;
    auto addLiteral = [&](const QString& literal) {
        if (inDigits)
            afterDigits = true;
        (afterDigits ? mask.suffix : mask.prefix) += literal;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\') {
            if (i + 1 < text.size())
                addLiteral(text[++i]);
        } else if (c == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? text.size() : close;
            addLiteral(text.mid(i + 1, end - i - 1));
            i = end;
        } else if (c == u'%') {
            mask.percent = true;
            addLiteral(QStringLiteral("%"));
        } else if (isPlaceholder(c) && !afterDigits) {
            inDigits = true;
            if (c == u'.') {
                afterPoint = true;
            } else if (c == u',') {
                if (!afterPoint)
                    mask.grouping = true;
            } else if (afterPoint) {
                ++mask.decimals;
                if (c == u'#')
                    hashAfterPoint = true;
                else if (!hashAfterPoint)
                    ++mask.minDecimals;
            } else {
                zeroSeen = zeroSeen || c == u'0';
                if (zeroSeen)
                    ++mask.minIntegerDigits;
            }
        } else {
            addLiteral(c);
        }
    }
    return mask;
}

QString groupThousands(const QString& digits, const QString& separator)
{
    QString grouped;
    grouped.reserve(digits.size() + digits.size() / 3 * separator.size());
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += separator;
        grouped += digits[i];
    }
    return grouped;
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The signs read as the given digit grouping: the grouping itself and the others of
// its kind, which look alike and are typed for one another.
// Read for every figure: the lists are made once (a thread's last other separator too).
const QStringList& groupingSigns(const QString& separator)
{
    static const QStringList none;
    static const QStringList blanks{QStringLiteral(" "), QStringLiteral("\u00A0"),
                                    QStringLiteral("\u202F")};
    static const QStringList apostrophes{QStringLiteral("'"), QStringLiteral("\u2019")};
    if (separator.isEmpty())
        return none;
    if (blanks.contains(separator))
        return blanks;
    if (apostrophes.contains(separator))
        return apostrophes;
    thread_local QStringList other;
    if (other.size() != 1 || other.front() != separator)
        other = QStringList{separator};
    return other;
}

} // namespace

namespace {

thread_local const NumberSymbols* heldSymbols = nullptr;

} // namespace

HeldSymbols::HeldSymbols() : m_symbols(NumberSymbols::current()), m_outer(heldSymbols)
{
    heldSymbols = &m_symbols;
}

HeldSymbols::~HeldSymbols()
{
    heldSymbols = m_outer;
}

NumberSymbols NumberSymbols::current()
{
    if (heldSymbols)
        return *heldSymbols;
    const QLocale locale;
    NumberSymbols symbols;
    if (!locale.decimalPoint().isEmpty())
        symbols.decimalPoint = locale.decimalPoint();
    if (!locale.groupSeparator().isEmpty())
        symbols.groupSeparator = locale.groupSeparator();
    if (!locale.negativeSign().isEmpty())
        symbols.negativeSign = locale.negativeSign();
    return symbols;
}

NumberSymbols NumberSymbols::plain()
{
    NumberSymbols symbols;
    symbols.groupSeparator.clear();
    return symbols;
}

QString decimalKey(const QString& typed)
{
    return decimalKey(typed, NumberSymbols::current());
}

QString decimalKey(const QString& typed, const NumberSymbols& symbols)
{
    const auto isPointKey = [](const QString& text) { return text == u"." || text == u","; };
    return isPointKey(typed) && isPointKey(symbols.decimalPoint) ? symbols.decimalPoint : typed;
}

QString number(double value, const QString& mask)
{
    return number(value, mask, NumberSymbols::current());
}

QString number(double value, const QString& maskText, const NumberSymbols& symbols)
{
    if (!std::isfinite(value))
        return QString::number(value);

    const Mask mask = parseMask(maskText);
    DecimalDigits d = toDecimal(value);
    if (mask.percent && !d.digits.empty())
        d.pointPos += 2;
    roundDigits(d, mask.decimals);

    QString integer;
    if (d.pointPos > 0) {
        const int available = std::min(d.pointPos, static_cast<int>(d.digits.size()));
        integer = QString::fromLatin1(d.digits.data(), available);
        integer += QString(d.pointPos - available, u'0');
    }
    if (integer.size() < mask.minIntegerDigits)
        integer.prepend(QString(mask.minIntegerDigits - integer.size(), u'0'));
    if (mask.grouping)
        integer = groupThousands(integer, symbols.groupSeparator);

    QString fraction;
    for (int i = 0; i < mask.decimals; ++i) {
        const int index = d.pointPos + i;
        const bool present = index >= 0 && index < int(d.digits.size());
        fraction += QLatin1Char(present ? d.digits[index] : '0');
    }
    while (fraction.size() > mask.minDecimals && fraction.endsWith(u'0'))
        fraction.chop(1);

    // A value that rounds to zero shows no sign.
    QString text = d.negative && !d.digits.empty() ? symbols.negativeSign : QString();
    text += mask.prefix + integer;
    if (!fraction.isEmpty())
        text += symbols.decimalPoint + fraction;
    return text + mask.suffix;
}

std::optional<double> read(const QString& text)
{
    return read(text, NumberSymbols::current());
}

namespace {

// strictGrouping: digits grouped only by threes after the first group (1,234,567), as
// a person writes a figure; otherwise a grouping sign is read wherever a digit follows.
std::optional<double> readNumber(const QString& text, const NumberSymbols& symbols,
                                 bool strictGrouping)
{
    const QString t = text.trimmed();
    const qsizetype n = t.size();
    qsizetype i = 0;
    auto at = [&](const QString& s) {
        return !s.isEmpty() && QStringView(t).sliced(i).startsWith(s);
    };
    auto digitAt = [&](qsizetype pos) { return pos < n && isAsciiDigit(t[pos]); };
    const QStringList& grouping = groupingSigns(symbols.groupSeparator);
    // The length of the grouping sign at i that a digit follows, else 0.
    auto groupingAt = [&]() -> qsizetype {
        for (const QString& sign : grouping) {
            if (at(sign) && digitAt(i + sign.size()))
                return sign.size();
        }
        return 0;
    };

    std::string cText; // the same figure in the form std::from_chars reads
    if (at(symbols.negativeSign)) {
        cText += '-';
        i += symbols.negativeSign.size();
    } else if (i < n && (t[i] == u'-' || t[i] == u'+')) {
        if (t[i] == u'-')
            cText += '-';
        ++i;
    }

    int mantissaDigits = 0;
    int groupDigits = 0; // digits since the last grouping sign
    bool grouped = false;
    while (i < n) {
        if (isAsciiDigit(t[i])) {
            cText += char(t[i].unicode());
            ++mantissaDigits;
            ++groupDigits;
            ++i;
        } else if (const qsizetype sign = mantissaDigits > 0 ? groupingAt() : 0) {
            if (strictGrouping && (grouped ? groupDigits != 3 : groupDigits > 3))
                return std::nullopt;
            grouped = true;
            groupDigits = 0;
            i += sign;
        } else {
            break;
        }
    }
    if (strictGrouping && grouped && groupDigits != 3)
        return std::nullopt;
    if (at(symbols.decimalPoint)) {
        cText += '.';
        i += symbols.decimalPoint.size();
        while (digitAt(i)) {
            cText += char(t[i++].unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;

    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        cText += 'e';
        ++i;
        if (i < n && (t[i] == u'-' || t[i] == u'+'))
            cText += char(t[i++].unicode());
        if (!digitAt(i))
            return std::nullopt;
        while (digitAt(i))
            cText += char(t[i++].unicode());
    }
    if (i != n)
        return std::nullopt;

    double value = 0;
    const auto result = std::from_chars(cText.data(), cText.data() + cText.size(), value);
    if (result.ec != std::errc())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<double> read(const QString& text, const NumberSymbols& symbols)
{
    return readNumber(text, symbols, false);
}

std::optional<double> readWritten(const QString& text)
{
    return readNumber(text, NumberSymbols::current(), true);
}

std::optional<double> readPlain(const QString& text)
{
    return read(text, NumberSymbols::plain());
}

double value(const QString& text)
{
    return read(text).value_or(0);
}

bool isNumeric(const QString& text)
{
    return read(text).has_value();
}

QString general(double value)
{
    return general(value, NumberSymbols::current());
}

QString general(double value, const NumberSymbols& symbols)
{
    if (!std::isfinite(value))
        return QString::number(value);
    const DecimalDigits d = toDecimal(value);
    if (d.digits.empty())
        return QStringLiteral("0");

    const QString digits = QString::fromLatin1(d.digits.data(), d.digits.size());
    const QString sign = d.negative ? symbols.negativeSign : QString();
    const int exponent = d.pointPos - 1;
    if (exponent < -4 || exponent >= 15) {
        // Scientific form, as the 'g' conversion gives it: 1.5e-05, 1e+15.
        QString text = sign + digits.left(1);
        if (digits.size() > 1)
            text += symbols.decimalPoint + digits.mid(1);
        text += exponent < 0 ? QStringLiteral("e-") : QStringLiteral("e+");
        return text + QStringLiteral("%1").arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
    }
    if (d.pointPos <= 0)
        return sign + u'0' + symbols.decimalPoint + QString(-d.pointPos, u'0') + digits;
    if (d.pointPos >= digits.size())
        return sign + digits + QString(d.pointPos - digits.size(), u'0');
    return sign + digits.left(d.pointPos) + symbols.decimalPoint + digits.mid(d.pointPos);
}

double roundHalfAway(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    DecimalDigits d = toDecimal(value);
    roundDigits(d, decimals);
    return toDouble(d);
}

double decimalValue(double value)
{
    if (!std::isfinite(value))
        return value;
    return toDouble(toDecimal(value));
}

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    // value - floor(value) is exact, so the halves are found without rounding error.
    double rounded = std::floor(value);
    const double fraction = value - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0))
        rounded += 1;
    return rounded;
}

QString numberItem(double value)
{
    const QString text = general(std::fabs(value));
    return (value < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + text + QLatin1Char(' ');
}

QString shortDate(const QDate& date)
{
    QString pattern = QLocale().dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(QLatin1String("yyyy")))
        pattern.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return QLocale().toString(date, pattern);
}

QString longDate(const QDate& date)
{
    return QLocale().toString(date, QLocale::LongFormat);
}

} // namespace Format
