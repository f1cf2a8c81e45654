#pragma once

#include "core/register/keptquote.h"
#include "support/tablerows.h"

// A status by the name the register shows it with, Expired among them; a name of none
// throws, failing the row that holds it.
inline QuoteStatus statusNamed(const QString& name)
{
    return name == u"Expired" ? QuoteStatus::Expired : QuoteRules::storedStatus(name).value();
}
