#include "quote/quote.h"

Quote::Quote(QObject* parent)
    : QObject(parent), m_route(new RouteModel(this)), m_sheet(new QuoteSheet(this)),
      m_charges(new ChargesModel(this))
{
    connect(m_route, &RouteModel::totalsChanged, this, [this] {
        m_sheet->setText(QuoteSheet::TotalNM, m_route->totalNMText());
        m_sheet->setText(QuoteSheet::TotalSM, m_route->totalSMText());
    });
    connect(m_charges, &ChargesModel::sumsChanged, this, [this] {
        m_sheet->setText(QuoteSheet::TotAddCharges, m_charges->totalChargesText());
        m_sheet->setText(QuoteSheet::TotTaxAddCharges, m_charges->totalTaxesText());
    });
}
