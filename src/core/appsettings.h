#pragma once

#include <QString>
#include <QtGlobal>

// The distance a quote is priced by.
enum class QuoteBase
{
    Nautical,
    Statute
};

// The settings record, one field per key of the settings file. The member
// initialisers are what an empty settings file reads as.
struct AppSettings
{
    // Section SETTINGS
    QuoteBase QUOTEBASE = QuoteBase::Statute;
    qint32 MINRUNWAYLENGTH = 0;                 // feet
    QString SORTORDER = QStringLiteral("[ID]"); // "[ID]" or "[NAME]"; never written back
    double DEFAULTCHARGESM = 0;                 // per statute mile
    double DEFAULTCHARGENM = 0;                 // per nautical mile
    double MINBASECHARGE = 0;
    QString DEFAULTAIRPORT; // an airport identifier, or "" for none
    double SEGMENTTAX = 2.5;
    bool ROUNDMILES = false;

    // Section COMPANY, the heading of the quote document
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

    bool operator==(const AppSettings&) const = default;
};

// The process-wide settings every window reads and the settings dialog changes.
AppSettings& appSettings();

// Reads the settings file into a record; missing keys and values that are not
// accepted take the record's defaults.
AppSettings readSettings(const QString& settingsPath);

// Replaces appSettings() with what the settings file holds. Called once at start-up.
void LoadSettings(const QString& settingsPath);

// The texts the settings file stores the values as.
namespace SettingsText {
QString quoteBase(QuoteBase base); // "NM" or "SM"
QString integer(qint32 value);     // " 5000", "-5"
QString number(double value);      // "2.7", "150", "0.35": plain form in every locale
QString flag(bool on);             // "1" or "0"
} // namespace SettingsText

// Brings `current` and the settings file up to `entered`: each changed value is set
// in `current` and written to the file, QUOTEBASE is written every time, SORTORDER is
// left alone. A key whose value did not change is not written, so a missing key
// stays missing. The file is written once, whole or not at all: when it cannot be
// written it stays as it was, the record is changed anyway and the result says why.
struct SettingsSaveResult
{
    bool ok = true;
    QString error;
};
SettingsSaveResult SaveSettings(const QString& settingsPath, AppSettings& current,
                                const AppSettings& entered);
