#pragma once

#include "core/quote/pricingsettings.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

// The figures of the quote, each held as the text its field shows. Writing a text
// recomputes at once the figures that depend on it, in a fixed order, and every
// figure is computed from the shown (rounded) texts of its inputs: that step-by-step
// rounding is part of the price. Writing the text a field already holds runs nothing.
//
//   route totals (or, by the hour, billable hours) -> pricing quantity -> base charge
//   (or the minimum)
//   base charge -> total charges, tax amount, total base charge
//   tax amount -> total base charge, total taxes
//   charges' sums -> total charges, total taxes -> final quote
class QuoteSheet : public QObject
{
    Q_OBJECT

public:
    enum Field
    {
        TotalNM,          // TxtTotalNM
        TotalSM,          // TxtTotalSM
        DistanceCharge,   // TxtDistanceCharge: the pricing distance
        ChargePerMile,    // TxtChargePerMile
        BaseCharge,       // TxtBaseCharge
        TaxAmount,        // TxtTaxAmount: the base charge's tax
        TotalBaseCharge,  // TxtTotalBaseCharge
        TotAddCharges,    // TxtTotAddCharges: sum of the additional charges
        TotTaxAddCharges, // TxtTotTaxAddCharges: sum of their taxes
        TotalCharges,     // TxtTotalCharges
        TotalTaxes,       // TxtTotalTaxes
        FinalQuote,       // TxtFinalQuote
        FIELDS
    };

    explicit QuoteSheet(const PricingSettings& settings, QObject* parent = nullptr);

    // New settings price nothing by themselves: see repriceDistance and repriceRate.
    void setSettings(const PricingSettings& settings) { m_settings = settings; }
    const PricingSettings& settings() const { return m_settings; }

    QString text(Field field) const { return m_texts[field]; }
    double value(Field field) const;
    bool isNegative(Field field) const { return value(field) < 0; }

    // Writes a field's text and recomputes what depends on it.
    void setText(Field field, const QString& text);

    // The caption of the base charge: "Minimum Charge:" while the minimum applies.
    bool isMinimumCharge() const { return m_minimum; }
    QString baseChargeCaption() const;

    // The tax on the base charge: the type shown in the tax choice and its
    // percentage; an empty type means no tax.
    void setBaseTax(const QString& type, std::optional<double> percent);
    QString baseTaxType() const { return m_taxType; }
    std::optional<double> baseTaxPercent() const { return m_taxPercent; }

    // The charge per mile of the current basis, as a new quote starts with it.
    void resetChargePerMile();

    // The route's billable hours with the quote's aircraft ("7.9"): the pricing
    // quantity under the hourly basis.
    void setBillableHours(const QString& hours);
    QString billableHours() const { return m_hours; }

    // After the settings change: the pricing distance taken again from the route
    // totals (basis, whole miles), and the base charge priced again through the
    // charge-per-mile path (a new minimum base charge).
    void repriceDistance() { pricingDistance(); }
    void repriceRate() { baseCharge(true); }

signals:
    void textChanged(QuoteSheet::Field field, const QString& text);
    void baseChargeCaptionChanged(bool minimum);

private:
    void write(Field field, const QString& text);
    void pricingDistance();
    void baseCharge(bool ratePath);
    void taxAmount();

    PricingSettings m_settings;
    std::array<QString, FIELDS> m_texts;
    bool m_minimum = false;
    QString m_taxType;
    std::optional<double> m_taxPercent;
    QString m_hours;
};
