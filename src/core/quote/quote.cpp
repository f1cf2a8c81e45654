#include "core/quote/quote.h"

QuoteData Quote::documentData(const AppSettings& settings, const QString& currencySymbol,
                              const QDate& today) const
{
    QuoteData data;
    data.company = settings.company;
    data.minBaseCharge = settings.MINBASECHARGE;
    data.logoPath = settings.LOGO;
    data.terms = settings.TERMS;
    data.currencySymbol = currencySymbol;
    for (const RouteLeg& leg : m_route->legs())
        data.route << QuoteData::RouteRow{leg.stop.ID, leg.stop.NAME, leg.DistanceNM,
                                          leg.DistanceSM, leg.positioning};
    const auto text = [this](QuoteSheet::Field field) { return m_sheet->text(field); };
    data.totalNM = text(QuoteSheet::TotalNM);
    data.totalSM = text(QuoteSheet::TotalSM);
    data.distanceModel = m_route->distanceModel();
    data.distanceCharge = text(QuoteSheet::DistanceCharge);
    data.chargePerMile = text(QuoteSheet::ChargePerMile);
    data.milesCaption = m_sheet->settings().unit();
    data.baseCharge = text(QuoteSheet::BaseCharge);
    data.taxType = m_sheet->baseTaxType();
    if (!data.taxType.isEmpty())
        data.taxPercent = m_sheet->baseTaxPercent();
    data.taxAmount = text(QuoteSheet::TaxAmount);
    data.totalBaseCharge = text(QuoteSheet::TotalBaseCharge);
    for (int row = 0; row < m_charges->count(); ++row) {
        const ChargeLine& line = m_charges->line(row);
        data.charges << QuoteData::ChargeRow{line.Charge, line.Amount, line.Number,
                                             line.Total,  line.Tax,    line.TaxAmount};
    }
    data.totAddCharges = text(QuoteSheet::TotAddCharges);
    data.totTaxAddCharges = text(QuoteSheet::TotTaxAddCharges);
    data.totalCharges = text(QuoteSheet::TotalCharges);
    data.totalTaxes = text(QuoteSheet::TotalTaxes);
    data.finalQuote = text(QuoteSheet::FinalQuote);
    data.today = today;
    return data;
}

Quote::Quote(const PricingSettings& settings, QObject* parent)
    : QObject(parent), m_route(new RouteModel(this)), m_sheet(new QuoteSheet(settings, this)),
      m_charges(new ChargesModel(this))
{
    m_route->setDistanceModel(settings.distanceModel);
    connect(m_route, &RouteModel::totalsChanged, this, [this] {
        m_sheet->setText(QuoteSheet::TotalNM, m_route->totalNMText());
        m_sheet->setText(QuoteSheet::TotalSM, m_route->totalSMText());
        retime();
    });
    connect(m_charges, &ChargesModel::sumsChanged, this, [this] {
        m_sheet->setText(QuoteSheet::TotAddCharges, m_charges->totalChargesText());
        m_sheet->setText(QuoteSheet::TotTaxAddCharges, m_charges->totalTaxesText());
    });
}

void Quote::setPlan(const TripPlan& plan)
{
    const bool newAircraft = plan.aircraft != m_plan.aircraft;
    m_plan = plan;
    if (newAircraft) {
        PricingSettings settings = m_sheet->settings();
        settings.chargePerHour = plan.aircraft ? plan.aircraft->hourlyRate : 0;
        m_sheet->setSettings(settings);
    }
    retime();
    if (newAircraft && m_sheet->settings().hourly())
        m_sheet->resetChargePerMile();
}

void Quote::setPricingSettings(PricingSettings settings)
{
    settings.chargePerHour = m_plan.aircraft ? m_plan.aircraft->hourlyRate : 0;
    m_sheet->setSettings(settings);
    m_route->setDistanceModel(settings.distanceModel);
}

void Quote::retime()
{
    m_times = timeTrip(m_route->legs(), m_plan);
    // Without an aircraft nothing is billed by the hour: the quantity stays empty.
    m_sheet->setBillableHours(m_plan.aircraft ? AircraftRules::hoursText(m_times.billableTenths)
                                              : QString());
    emit timesChanged();
}
