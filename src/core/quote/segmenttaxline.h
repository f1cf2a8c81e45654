#pragma once

#include <QString>

// The passenger segment tax as the charges grid holds it: one row whose charge text
// names the counts and the rate ("4 Pax * 2 Segm. * 2.50") and whose tax amount is
// their product. The text is the row's only record of the counts, so it is written
// and read back here alone.
struct SegmentTaxLine
{
    int passengers = 0;
    int segments = 0;
    double taxPerSegment = 0;

    // The charge text, the rate as the settings show it ("0.00").
    QString chargeText() const;
    // passengers x segments x the rate as shown, "#,##0.00".
    QString totalText() const;

    // The counts of a row's charge text, with the given rate. A count that does not
    // begin with a digit (a text altered by hand) reads as 0.
    static SegmentTaxLine parse(const QString& chargeText, double taxPerSegment);
};
