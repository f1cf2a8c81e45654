#pragma once

#include "core/settings/appsettings.h"

// What the settings dialog asks of the main window when it saves.
class SettingsHost
{
public:
    virtual ~SettingsHost() = default;

    // The quote basis after a save: the unit caption, the pricing distance taken
    // again from the basis' total (whole miles when rounding is now on), and, when
    // the basis changed, the charge per mile of the new basis.
    virtual void applyQuoteBasis(QuoteBase basis, bool basisChanged) = 0;
    // A new minimum base charge applies at once (through the charge-per-mile path).
    virtual void applyMinimumBaseCharge() = 0;
    // After the save is committed: the airport list, the charge and tax lists read
    // again, and the find box emptied without starting a search.
    virtual void refreshAfterSettings() = 0;
};
