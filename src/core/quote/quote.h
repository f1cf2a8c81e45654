#pragma once

#include "core/document/quotedata.h"
#include "core/quote/chargesmodel.h"
#include "core/quote/quotesheet.h"
#include "core/quote/routemodel.h"
#include "core/quote/triptimes.h"
#include "core/settings/appsettings.h"

#include <QObject>

// One quote as it is priced: the route, the figures of the quote sheet and the
// additional charges, joined as the quote tab joins them. Every change of the route
// writes its totals into the sheet (nautical first), every change of the charges'
// sums writes them too (charges first), and the sheet prices from there. With an
// aircraft the route's legs are timed after every change of the route or the plan, and
// their billable hours go to the sheet, which prices by them under the hourly basis.
// The main window shows one; the quote tool fills one from its options.
class Quote : public QObject
{
    Q_OBJECT

public:
    explicit Quote(const PricingSettings& settings, QObject* parent = nullptr);

    RouteModel* route() const { return m_route; }
    QuoteSheet* sheet() const { return m_sheet; }
    ChargesModel* charges() const { return m_charges; }

    // The aircraft and the typed departures. A new aircraft under the hourly basis
    // starts the rate at the aircraft's hourly rate, as a new basis starts it at the
    // settings' rate.
    const TripPlan& plan() const { return m_plan; }
    void setPlan(const TripPlan& plan);
    const TripTimes& times() const { return m_times; }
    // New pricing settings (after a Save): the aircraft's rate kept for the hourly basis.
    void setPricingSettings(PricingSettings settings);

    // Everything of the quote the document prints but the print dialog's fields: the
    // company and the minimum from the settings, the figures as shown, the route and
    // the charge rows, the currency symbol and the day.
    QuoteData documentData(const AppSettings& settings, const QString& currencySymbol,
                           const QDate& today) const;

signals:
    // After the legs were timed again.
    void timesChanged();

private:
    void retime();
    // The aircraft, the billable hours and the legs' times into the document's data.
    void itinerary(QuoteData& data) const;

    TripPlan m_plan;
    TripTimes m_times;
    RouteModel* m_route;
    QuoteSheet* m_sheet;
    ChargesModel* m_charges;
};
