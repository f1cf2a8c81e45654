#pragma once

#include "core/settings/appsettings.h"

// The settings a quote sheet prices by, taken from the settings record when the sheet
// is made and again after every Save, so that pricing depends on nothing else.
struct PricingSettings
{
    QuoteBase base = QuoteBase::Statute;
    bool roundMiles = false; // the pricing distance in whole miles
    double minBaseCharge = 0;
    double chargePerNM = 0; // the charge per mile a new quote starts with, by basis
    double chargePerSM = 0;
    DistanceModel distanceModel = DistanceModel::Sphere; // what the route's legs are measured on
    double chargePerHour = 0; // the quote's aircraft's hourly rate, for the hourly basis

    bool nautical() const { return base == QuoteBase::Nautical; }
    bool hourly() const { return base == QuoteBase::Hourly; }
    // The rate a new quote starts with: per mile of its basis, or per hour.
    double chargePerMile() const
    {
        return hourly() ? chargePerHour : nautical() ? chargePerNM : chargePerSM;
    }
    // The caption of the pricing quantity: "NM", "SM" or "HR".
    QString unit() const { return SettingsText::quoteBase(base); }

    static PricingSettings from(const AppSettings& settings)
    {
        return {settings.QUOTEBASE,       settings.ROUNDMILES,      settings.MINBASECHARGE,
                settings.DEFAULTCHARGENM, settings.DEFAULTCHARGESM, settings.DISTANCEMODEL};
    }
};
