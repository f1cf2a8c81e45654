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
        data.route << QuoteData::RouteRow{leg.stop.ID,     leg.stop.NAME,
                                          leg.DistanceNM,  leg.DistanceSM,
                                          leg.positioning, northEastDegrees(leg.stop.point())};
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
    itinerary(data);
    return data;
}

void Quote::itinerary(QuoteData& data) const
{
    if (!m_plan.aircraft && !m_plan.departure)
        return;
    data.aircraft = m_plan.aircraft ? m_plan.aircraft->name : QString();
    if (m_plan.aircraft)
        data.billableHours = AircraftRules::hoursText(m_times.billableTenths);
    const QList<RouteLeg>& route = m_route->legs();
    for (int row = 1; row < route.size() && row - 1 < m_times.legs.size(); ++row) {
        const TripLeg& timed = m_times.legs.at(row - 1);
        const RouteStop& from = route.at(row - 1).stop;
        const RouteStop& to = route.at(row).stop;
        QuoteData::ItineraryLeg leg;
        leg.from = from.ID;
        leg.to = to.ID;
        leg.positioning = route.at(row).positioning;
        if (m_plan.aircraft) {
            leg.flight = timed.flightText;
            leg.block = timed.blockText;
            leg.billableHours = AircraftRules::hoursText(timed.time.billableTenths);
            leg.beyondRange = timed.time.beyondRange;
        }
        const Schedule::LegTimes& when = timed.when;
        if (when.departure.isValid()) {
            const auto zone = [](const RouteStop& stop) {
                return LocalTime::AirportZone::of(stop.ID, stop.TIME_ZONE_NAME, stop.TIME_ZONE);
            };
            leg.departs = when.departureText;
            leg.arrives = when.arrivalText;
            leg.dayShift = when.dayShift;
            leg.departsIso = when.departureIso;
            leg.arrivesIso = when.arrivalIso;
            leg.departsZone = zone(from).abbreviation(when.departure);
            leg.arrivesZone = zone(to).abbreviation(when.arrival);
        }
        data.itinerary << leg;
    }
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
