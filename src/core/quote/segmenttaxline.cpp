#include "core/quote/segmenttaxline.h"

#include "core/format.h"

namespace {

// The whole number the text begins with (blanks before it skipped), up to nine digits.
int leadingInteger(QStringView text)
{
    text = text.trimmed();
    int value = 0;
    for (qsizetype i = 0; i < text.size() && i < 9 && text.at(i).isDigit(); ++i)
        value = value * 10 + text.at(i).digitValue();
    return value;
}

} // namespace

QString SegmentTaxLine::chargeText() const
{
    return QString::number(passengers) + QStringLiteral(" Pax * ") + QString::number(segments) +
           QStringLiteral(" Segm. * ") + Format::number(taxPerSegment, Format::Rate);
}

QString SegmentTaxLine::totalText() const
{
    // The rate as shown, so the total matches the charge text to the cent.
    const double rate = Format::value(Format::number(taxPerSegment, Format::Rate));
    return Format::number(passengers * segments * rate, Format::Money);
}

SegmentTaxLine SegmentTaxLine::parse(const QString& chargeText, double taxPerSegment)
{
    SegmentTaxLine line;
    line.taxPerSegment = taxPerSegment;
    const qsizetype blank = chargeText.indexOf(QLatin1Char(' '));
    line.passengers = leadingInteger(QStringView(chargeText).left(blank < 0 ? 0 : blank));
    const qsizetype star = chargeText.indexOf(QLatin1Char('*'));
    line.segments = star < 0 ? 0 : leadingInteger(QStringView(chargeText).mid(star + 2, 2));
    return line;
}
