#include "core/settings/companyfields.h"

namespace CompanyFields {

namespace {

constexpr CompanyField field(const char* key, const char* caption, const char* controlName,
                             int limit, QString CompanyDetails::*value)
{
    return {QLatin1StringView(key), QLatin1StringView(caption), QLatin1StringView(controlName),
            limit, value};
}

} // namespace

// Phone and fax numbers take 20 characters: an international number with its
// blanks ("+44 20 7946 0958") is longer than 15.
const std::array<CompanyField, Count> All = {
    field("NAME", "Name:", "TxtCompany", 45, &CompanyDetails::NAME),
    field("ADDRESS1", "Address:", "TxtAddress1", 45, &CompanyDetails::ADDRESS1),
    // The second address line continues the first; the dialog shows no caption for it.
    field("ADDRESS2", "Address line 2", "TxtAddress2", 45, &CompanyDetails::ADDRESS2),
    field("CITY", "City:", "TxtCity", 30, &CompanyDetails::CITY),
    field("STATE", "State:", "TxtState", 3, &CompanyDetails::STATE),
    field("ZIP", "Zip Code:", "TxtZip", 8, &CompanyDetails::ZIP),
    field("COUNTRY", "Country:", "TxtCountry", 30, &CompanyDetails::COUNTRY),
    field("PHONE1", "Phone 1:", "TxtPhone1", 20, &CompanyDetails::PHONE1),
    field("PHONE2", "Phone 2:", "TxtPhone2", 20, &CompanyDetails::PHONE2),
    field("FAX", "Fax:", "TxtFax", 20, &CompanyDetails::FAX),
    field("EMAIL", "Email:", "TxtEmail", 35, &CompanyDetails::EMAIL),
    field("WEBSITE", "Website:", "TxtWebsite", 45, &CompanyDetails::WEBSITE),
};

} // namespace CompanyFields
