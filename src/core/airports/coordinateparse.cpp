#include "core/airports/coordinateparse.h"

#include "core/format.h"

#include <cmath>
#include <optional>

namespace {

constexpr QChar Blank = u'_';
const QString DegreeSign = QStringLiteral("\u00B0");

// Where the groups of an entry begin: the letter is at 0, the degrees at 1.
struct Layout
{
    int degreeDigits;
    int minutes() const { return degreeDigits + 2; }
    int seconds() const { return minutes() + 3; }
    int decimals() const { return seconds() + 3; }
};

Layout layoutOf(bool latitude)
{
    return Layout{latitude ? 2 : 3};
}

QChar at(const QString& text, int position)
{
    return position < text.size() ? text.at(position) : Blank;
}

bool isFilled(QChar c)
{
    return c != Blank && c != u' ';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The digits of a group as a number, when every position holds one.
std::optional<int> group(const QString& text, int first, int count)
{
    int value = 0;
    for (int i = first; i < first + count; ++i) {
        const QChar c = at(text, i);
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + c.digitValue();
    }
    return value;
}

// The seconds with their decimals; an unfilled decimal counts as 0.
std::optional<double> seconds(const QString& text, const Layout& l)
{
    if (!group(text, l.seconds(), 2))
        return std::nullopt;
    QString number = text.mid(l.seconds(), 2) + u'.';
    for (int i = l.decimals(); i < l.decimals() + 3; ++i) {
        const QChar c = at(text, i);
        if (isDigit(c))
            number += c;
        else if (!isFilled(c))
            number += u'0';
        else
            return std::nullopt;
    }
    // Read from the digits alone: the point between them is the mask's literal.
    return number.toDouble();
}

} // namespace

QString CoordinateEntryText(const Coordinate& coordinate, bool latitude)
{
    const bool negative = coordinate.DegreesText.startsWith(u'-');
    const QChar letter = latitude ? (negative ? u'S' : u'N') : (negative ? u'E' : u'W');
    const double degrees = std::fabs(coordinate.DegreesText.trimmed().toDouble());
    return letter + Format::number(degrees, latitude ? Format::TwoDigits : Format::ThreeDigits) +
           DegreeSign + Format::number(coordinate.Minutes, Format::TwoDigits) + u'\'' +
           Format::number(coordinate.Seconds, Format::Seconds) + u'"';
}

CoordinateReading ParseCoordinateEntry(const QString& text, bool latitude)
{
    const Layout l = layoutOf(latitude);
    const QString enter =
        latitude ? QStringLiteral("Enter Latitude.") : QStringLiteral("Enter Longitude.");
    const QString invalid =
        latitude ? QStringLiteral("Invalid Latitude.") : QStringLiteral("Invalid Longitude.");

    bool anything = false;
    for (const auto& [first, count] : {std::pair{1, l.degreeDigits}, std::pair{l.minutes(), 2},
                                       std::pair{l.seconds(), 2}, std::pair{l.decimals(), 3}}) {
        for (int i = first; i < first + count; ++i)
            anything = anything || isFilled(at(text, i));
    }
    if (!anything)
        return {{}, enter};

    const std::optional<int> degrees = group(text, 1, l.degreeDigits);
    const std::optional<int> minutes = group(text, l.minutes(), 2);
    if (!degrees || !minutes)
        return {{}, invalid};
    const double secs = seconds(text, l).value_or(0.0);
    if (*degrees >= (latitude ? 90 : 180) || *minutes >= 60 || secs >= 60)
        return {{}, invalid};

    const QChar letter = at(text, 0).toUpper();
    const bool negative = letter == (latitude ? u'S' : u'E');
    Coordinate c;
    c.DegreesText = (negative ? QStringLiteral("-") : QString()) + text.mid(1, l.degreeDigits);
    c.Minutes = qint16(*minutes);
    c.Seconds = secs;
    return {c, QString()};
}
