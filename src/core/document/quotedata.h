#pragma once

#include "core/distance.h"
#include "core/format.h"
#include "core/settings/companyfields.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Everything the quote document prints, read from the settings, the main window
// and the print dialog at the moment of printing. Figures are the texts the fields
// show; a figure's value is the number read back from its text.
struct QuoteData
{
    struct Customer
    {
        QString Name, Address1, Address2, City, State, Zip, Country, Phone, Fax, Email;
    };
    struct RouteRow
    {
        QString id, name, distanceNM, distanceSM; // route list columns 0, 1, 8, 9
        bool positioning = false;                 // the leg ending here is flown empty
        std::optional<LatLon> position = {};      // north and east degrees, for the map
    };
    struct ChargeRow
    {
        QString charge, amount, number, total, tax, taxAmount; // charges grid columns 0-5

        // A row the operator left without a charge and without an amount: not part of
        // the quote, neither printed nor counted.
        bool isBlank() const
        {
            return charge.isEmpty() &&
                   (amount.isEmpty() || amount == Format::number(0, Format::Money));
        }
    };

    // One leg of the trip's times, from the quote's aircraft and typed departures. The
    // times are empty without a departure, the flight and block without an aircraft.
    struct ItineraryLeg
    {
        QString from, to;                 // the airports' identifiers
        QString departs, arrives;         // local, with the zone: "Fri 12 Jun 09:30 EDT"
        QString dayShift;                 // the arrival's local date against the departure's: "+1"
        QString departsIso, arrivesIso;   // "2026-06-12T09:30:00-04:00"
        QString departsZone, arrivesZone; // the zones' abbreviations then: "EDT"
        QString flight, block;            // "2:05"
        QString billableHours;            // the leg's billable hours: "2.1"
        bool positioning = false;         // flown empty
        bool beyondRange = false;         // longer than the aircraft's range

        // The arrival as printed: with its day shift when it lands on another date.
        QString arrivesShown() const
        {
            return dayShift.isEmpty() ? arrives : arrives + QLatin1Char(' ') + dayShift;
        }
    };

    // The rate as the base-charge line prints it: a charge per mile as its field shows it
    // ("4.50"); an hourly rate, which runs to thousands, grouped like an amount
    // ("4,500.00"), so that "7.9 HR * $4,500.00 =" reads like the distance line.
    QString rateShown() const
    {
        return milesCaption == u"HR" ? Format::number(Format::value(chargePerMile), Format::Money)
                                     : chargePerMile;
    }

    // What the itinerary says after a leg's times: "positioning", "beyond range", both
    // or nothing.
    static QString itineraryMarks(const ItineraryLeg& leg)
    {
        QStringList marks;
        if (leg.positioning)
            marks << QStringLiteral("positioning");
        if (leg.beyondRange)
            marks << QStringLiteral("beyond range");
        return marks.join(QStringLiteral(", "));
    }

    // Settings and start-up.
    CompanyDetails company;
    double minBaseCharge = 0; // MINBASECHARGE
    QString currencySymbol = QStringLiteral("$");

    // The main window.
    QList<RouteRow> route;
    QString totalNM, totalSM;                            // TxtTotalNM, TxtTotalSM
    DistanceModel distanceModel = DistanceModel::Sphere; // what the legs were measured on
    // Under the total distance when the legs were measured on the ellipsoid; a quote
    // measured on the sphere says nothing, as it always did.
    static inline const QString WGS84Note =
        QStringLiteral("Distances measured on the WGS-84 ellipsoid");
    QString distanceCharge;             // TxtDistanceCharge
    QString chargePerMile;              // TxtChargePerMile
    QString milesCaption;               // LabelMiles: "NM" or "SM"
    QString baseCharge;                 // TxtBaseCharge
    QString taxType;                    // the tax choice of the base charge
    std::optional<double> taxPercent;   // its "Tax %"
    QString taxAmount, totalBaseCharge; // TxtTaxAmount, TxtTotalBaseCharge
    QList<ChargeRow> charges;
    QString totAddCharges, totTaxAddCharges; // TxtTotAddCharges, TxtTotTaxAddCharges
    QString totalCharges, totalTaxes, finalQuote;
    // The trip's times: the aircraft's name, the route's billable hours ("7.9") and its
    // legs; all empty when the quote has neither an aircraft nor a departure.
    QString aircraft;
    QString billableHours;
    QList<ItineraryLeg> itinerary;

    // The print dialog.
    bool printCompany = true; // ChkComp
    // The map of the route closes the document (on the last page, or on one of its own).
    bool printMap = false;
    Customer customer;
    std::optional<QDate> departureDate, returnDate;
    QString remarks; // one line, or two joined by a carriage return and line feed
    QString quotedBy;

    // The day the document is made (its title carries it).
    QDate today;

    // The register's: the quote's number ("2026-0042"), its revision and the last day
    // it is valid; empty until the quote is kept.
    QString quoteNumber;
    int revision = 0;
    std::optional<QDate> validUntil;
    // What the settings add to the printed quote: the company's logo (an image file)
    // and the terms and conditions; empty for none.
    QString logoPath;
    QString terms;

    // The quote's number as documents show it, with its revision when above 1:
    // "2026-0042", "2026-0042 rev. 2".
    static QString numberText(const QString& number, int revision)
    {
        return revision > 1 ? number + QStringLiteral(" rev. %1").arg(revision) : number;
    }
    QString numberText() const { return numberText(quoteNumber, revision); }

    // The terms as printed: their own lines, each broken at blanks into lines of at most
    // `width` characters (a word longer than that is kept whole).
    QStringList termsLines(int width) const
    {
        QStringList lines;
        for (const QString& paragraph :
             QString(terms).replace(QLatin1Char('\r'), QString()).split(QLatin1Char('\n'))) {
            QString line;
            for (const QString& word : paragraph.split(QLatin1Char(' '))) {
                if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
                    lines << line;
                    line.clear();
                } else if (!line.isEmpty()) {
                    line += QLatin1Char(' ');
                }
                line += word;
            }
            lines << line;
        }
        return lines;
    }

    // City, state and zip code on one line, with whichever of them are filled:
    // "Boston, MA   02101", "London   SW1A 1AA". `comma` follows the city when a state
    // comes after it; `filled` says whether a part counts as given.
    static QString cityLine(const QString& city, const QString& state, const QString& zip,
                            const QString& comma, bool (*filled)(const QString&))
    {
        QString line = filled(city) ? city : QString();
        if (filled(state))
            line += (line.isEmpty() ? QString() : comma) + state;
        if (filled(zip))
            line += (line.isEmpty() ? QString() : QStringLiteral("   ")) + zip;
        return line;
    }

    // An amount as the document's money fields show it: the currency symbol, then the
    // figure right-aligned so that the field is as wide as with a one-character symbol
    // ("$"). A longer symbol ("CHF") takes blanks before the figure, so the columns
    // after it stay where they are; a figure too long for its field is kept whole.
    QString money(const QString& figure, int width) const
    {
        const int room = width - int(currencySymbol.size()) + 1;
        return currencySymbol + figure.rightJustified(room, QLatin1Char(' '));
    }
};
