#include "core/quote/quotesheet.h"

#include "core/format.h"
#include "core/quote/pricing.h"

QuoteSheet::QuoteSheet(const PricingSettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings)
{
    // The texts before the first computation, in the user's form like every later one.
    const QString zero = Format::number(0, Format::Money);
    for (Field field : {BaseCharge, TaxAmount, TotalBaseCharge, TotAddCharges, TotTaxAddCharges,
                        TotalCharges, TotalTaxes, FinalQuote})
        m_texts[field] = zero;
    m_texts[ChargePerMile] = Format::number(2.7, Format::Rate);
}

double QuoteSheet::value(Field field) const
{
    return Format::value(m_texts[field]);
}

QString QuoteSheet::baseChargeCaption() const
{
    return m_minimum ? QStringLiteral("Minimum Charge:") : QStringLiteral("Base Charge:");
}

void QuoteSheet::setText(Field field, const QString& text)
{
    write(field, text);
}

void QuoteSheet::write(Field field, const QString& text)
{
    if (m_texts[field] == text)
        return;
    m_texts[field] = text;
    emit textChanged(field, text);
    const auto money = [](double amount) { return Format::number(amount, Format::Money); };
    switch (field) {
    case TotalNM:
    case TotalSM:
        // The route writes nautical first, then statute; pricing follows either, so a
        // change that leaves the other unit's text as it was still reprices.
        pricingDistance();
        break;
    case DistanceCharge:
        baseCharge(false);
        break;
    case ChargePerMile:
        baseCharge(true);
        break;
    case BaseCharge:
        write(TotalCharges, money(value(BaseCharge) + value(TotAddCharges)));
        taxAmount();
        write(TotalBaseCharge, money(value(BaseCharge) + value(TaxAmount)));
        break;
    case TaxAmount:
        write(TotalBaseCharge, money(value(BaseCharge) + value(TaxAmount)));
        write(TotalTaxes, money(value(TaxAmount) + value(TotTaxAddCharges)));
        break;
    case TotAddCharges:
        write(TotalCharges, money(value(BaseCharge) + value(TotAddCharges)));
        break;
    case TotTaxAddCharges:
        write(TotalTaxes, money(value(TaxAmount) + value(TotTaxAddCharges)));
        break;
    case TotalCharges:
    case TotalTaxes:
        write(FinalQuote, money(value(TotalCharges) + value(TotalTaxes)));
        break;
    case TotalBaseCharge:
    case FinalQuote:
    case FIELDS:
        break;
    }
}

void QuoteSheet::setBillableHours(const QString& hours)
{
    m_hours = hours;
    if (m_settings.hourly())
        pricingDistance();
}

void QuoteSheet::pricingDistance()
{
    if (m_settings.hourly()) {
        write(DistanceCharge, m_hours);
        return;
    }
    const QString total = m_texts[m_settings.nautical() ? TotalNM : TotalSM];
    write(DistanceCharge,
          m_settings.roundMiles ? Format::number(Format::value(total), Format::WholeMiles) : total);
}

void QuoteSheet::baseCharge(bool ratePath)
{
    const QString rate = m_texts[ChargePerMile];
    // A rate being typed from scratch prices nothing yet.
    if (ratePath && (rate.isEmpty() || rate == Format::NumberSymbols::current().decimalPoint))
        return;
    const double distance = value(DistanceCharge);
    const double product = distance * value(ChargePerMile);
    const double minimum = m_settings.minBaseCharge;
    const bool useMinimum = Pricing::usesMinimum(distance, value(ChargePerMile), minimum);
    if (useMinimum != m_minimum) {
        m_minimum = useMinimum;
        emit baseChargeCaptionChanged(m_minimum);
    }
    write(BaseCharge, Format::number(useMinimum ? minimum : product, Format::Money));
}

void QuoteSheet::taxAmount()
{
    if (m_taxType.isEmpty()) {
        write(TaxAmount, Format::number(0, Format::Money));
        return;
    }
    write(TaxAmount,
          Format::number(value(BaseCharge) * m_taxPercent.value_or(0) / 100, Format::Money));
}

void QuoteSheet::setBaseTax(const QString& type, std::optional<double> percent)
{
    m_taxType = type;
    m_taxPercent = type.isEmpty() ? std::nullopt : percent;
    taxAmount();
}

void QuoteSheet::resetChargePerMile()
{
    write(ChargePerMile, Format::number(m_settings.chargePerMile(), Format::Rate));
}
