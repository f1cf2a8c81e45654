#include "core/document/customerfields.h"

namespace PrintFields {

namespace {

constexpr CustomerField field(const char* key, const char* caption, const char* controlName,
                              int length, QString QuoteData::Customer::*data)
{
    return {{QLatin1StringView(key), QLatin1StringView(caption), QLatin1StringView(controlName),
             length},
            data};
}

} // namespace

// Phone and fax numbers take 20 characters: an international number with its
// blanks ("+44 20 7946 0958") is longer than 15.
const std::array<CustomerField, CustomerCount> Customer = {
    field("customer", "Name:", "TxtCustomerName", 32, &QuoteData::Customer::Name),
    field("customer-address1", "Address:", "TxtCustomerAddress1", 32,
          &QuoteData::Customer::Address1),
    field("customer-address2", "", "TxtCustomerAddress2", 32, &QuoteData::Customer::Address2),
    field("customer-city", "City:", "TxtCustomerCity", 25, &QuoteData::Customer::City),
    field("customer-state", "State:", "TxtCustomerState", 2, &QuoteData::Customer::State),
    field("customer-country", "Country:", "TxtCustomerCountry", 30, &QuoteData::Customer::Country),
    field("customer-zip", "Zip Code:", "TxtCustomerZip", 8, &QuoteData::Customer::Zip),
    field("customer-phone", "Phone:", "TxtCustomerPhone", 20, &QuoteData::Customer::Phone),
    field("customer-fax", "Fax:", "TxtCustomerFax", 20, &QuoteData::Customer::Fax),
    field("customer-email", "Email:", "TxtCustomerEmail", 32, &QuoteData::Customer::Email),
};

} // namespace PrintFields
