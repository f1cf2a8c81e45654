#pragma once

#include <QLatin1StringView>
#include <QString>

#include <array>

// The operator's company details (section COMPANY of the settings file), which head
// the quote document. Each is kept exactly as entered.
struct CompanyDetails
{
    QString NAME;
    QString ADDRESS1;
    QString ADDRESS2;
    QString CITY;
    QString STATE;
    QString ZIP;
    QString COUNTRY;
    QString PHONE1;
    QString PHONE2;
    QString FAX;
    QString EMAIL;
    QString WEBSITE;

    bool operator==(const CompanyDetails&) const = default;
};

// One company detail, once: its key in the settings file, the caption and the control
// of the settings dialog, how many characters the operator may type into it, and
// where the settings record keeps it. The settings file, the settings dialog and the
// tests all go through the table below.
struct CompanyField
{
    QLatin1StringView key;         // "CITY"
    QLatin1StringView caption;     // "City:"
    QLatin1StringView controlName; // "TxtCity"
    int limit;
    QString CompanyDetails::*value;
};

namespace CompanyFields {

// In the order the dialog shows them and a Save writes them.
inline constexpr int Count = 12;
extern const std::array<CompanyField, Count> All;

} // namespace CompanyFields
