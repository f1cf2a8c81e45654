#pragma once

#include "core/document/quotedata.h"

#include <QLatin1StringView>

#include <array>

// The print window's one-line text fields, once: the key the quote tool names a
// field by, the caption the window shows, the control's name and how many
// characters the control takes. The window, its remembered state, the document's
// data and the quote tool all go through these.
struct PrintField
{
    QLatin1StringView key;         // the quote tool's option: "customer-city"
    QLatin1StringView caption;     // "City:"; empty for the second address line
    QLatin1StringView controlName; // "TxtCustomerCity"
    int length;
};

// A customer field and where the document's data keeps its text.
struct CustomerField : PrintField
{
    QString QuoteData::Customer::*data;
};

namespace PrintFields {

// The customer's fields in the window's Tab order.
inline constexpr int CustomerCount = 10;
extern const std::array<CustomerField, CustomerCount> Customer;

inline constexpr PrintField QuotedBy{QLatin1StringView("quoted-by"),
                                     QLatin1StringView("Quoted By:"),
                                     QLatin1StringView("TxtQuotedBy"), 15};

// The remarks: one line, or two, each of this many characters.
inline constexpr int RemarksLine = 80;

} // namespace PrintFields
