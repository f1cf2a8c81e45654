#pragma once

#include "core/document/quotedata.h"
#include "core/quote/chargesmodel.h"
#include "core/quote/quotesheet.h"
#include "core/quote/routemodel.h"
#include "core/settings/appsettings.h"

#include <QObject>

// One quote as it is priced: the route, the figures of the quote sheet and the
// additional charges, joined as the quote tab joins them. Every change of the route
// writes its totals into the sheet (nautical first), every change of the charges'
// sums writes them too (charges first), and the sheet prices from there. The main
// window shows one; the quote tool fills one from its options.
class Quote : public QObject
{
    Q_OBJECT

public:
    explicit Quote(const PricingSettings& settings, QObject* parent = nullptr);

    RouteModel* route() const { return m_route; }
    QuoteSheet* sheet() const { return m_sheet; }
    ChargesModel* charges() const { return m_charges; }

    // Everything of the quote the document prints but the print dialog's fields: the
    // company and the minimum from the settings, the figures as shown, the route and
    // the charge rows, the currency symbol and the day.
    QuoteData documentData(const AppSettings& settings, const QString& currencySymbol,
                           const QDate& today) const;

private:
    RouteModel* m_route;
    QuoteSheet* m_sheet;
    ChargesModel* m_charges;
};
