#pragma once

#include "core/distance.h"
#include "core/settings/companyfields.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>

// The distance a quote is priced by.
enum class QuoteBase
{
    Nautical,
    Statute,
    Hourly, // by the billable flight hours of an aircraft profile
};

// The order of the airport list, and so what the find box searches.
enum class SortOrder
{
    Id,
    Name
};

// What the find box searches: what the airport list's order says (identifiers or
// names), or anything an airport is known by (codes, cities, words of the name).
enum class FindMode
{
    ListOrder,
    Anything
};

// Section DATABASE: a PostgreSQL server that holds the data in place of the program
// folder's database file, for an office of several dispatchers. Without HOST and NAME
// the file is used. Passwords never stand here: libpq's ~/.pgpass or its service file
// hold them. Never written by a Save.
struct DatabaseServer
{
    QString HOST;    // a name, an address or the folder of a Unix socket
    qint32 PORT = 0; // 0: libpq's default
    QString NAME;
    QString USER; // empty: libpq's default (the login name, or PGUSER)

    bool isSet() const { return !HOST.isEmpty() || !NAME.isEmpty(); }
    // The server as a libpq connection string; empty when none is set.
    QString location() const;
    bool operator==(const DatabaseServer&) const = default;
};

// The settings record, one field per key of the settings file. The member
// initialisers are what an empty settings file reads as.
struct AppSettings
{
    // Section SETTINGS
    QuoteBase QUOTEBASE = QuoteBase::Statute;
    qint32 MINRUNWAYLENGTH = 0;          // feet
    SortOrder SORTORDER = SortOrder::Id; // "[ID]" or "[NAME]" in the file; never written back
    // "ANYTHING" in the file, written by a new program folder; anything else searches as
    // SORTORDER says. Never written back: the mode lives in memory like SORTORDER.
    FindMode SEARCHMODE = FindMode::ListOrder;
    double DEFAULTCHARGESM = 0; // per statute mile
    double DEFAULTCHARGENM = 0; // per nautical mile
    double MINBASECHARGE = 0;
    QString DEFAULTAIRPORT; // an airport identifier, or "" for none
    double SEGMENTTAX = 2.5;
    bool ROUNDMILES = false;
    // What a leg is measured on: "SPHERE" (the great circle every figure was always
    // priced by) or "WGS84" (the geodesic on the ellipsoid). Anything else is the sphere.
    DistanceModel DISTANCEMODEL = DistanceModel::Sphere;
    // The aircraft profile a new quote starts with (AircraftProfile::name), or "" for
    // none. A name the catalogue no longer holds counts as none.
    QString AIRCRAFT;
    // Days after the last backup of the database from which the exit offers to back it
    // up; 0 never offers.
    qint32 BACKUPDAYS = 7;
    // "FIRSTSTART=1", written into a new program folder: the program opens the settings
    // dialog on its Company tab once, at its first start there, and then removes the key
    // (ForgetFirstStart). Never written by a Save.
    bool FIRSTSTART = false;

    // Section COMPANY, the heading of the quote document
    CompanyDetails company;

    // Section QUOTES: what the register and the document add to a quote. Texts keep
    // their line breaks; templates name the quote's parts in braces ({number},
    // {customer}, {route}, {total}, {valid_until}).
    qint32 VALIDITYDAYS = 30; // days a kept quote stays valid
    QString LOGO;             // an image file for the head of the printed quote, or ""
    QString TERMS;            // terms and conditions printed after the totals, or ""
    QString MAILSUBJECT = QStringLiteral("Quote {number}: {route}");
    QString MAILBODY = QStringLiteral("Dear {customer},\n\nPlease find attached our quote "
                                      "{number} for {route}, {total}, valid until "
                                      "{valid_until}.\n");

    DatabaseServer DATABASE;

    bool operator==(const AppSettings&) const = default;
};

// The process-wide settings every window reads and the settings dialog changes.
AppSettings& appSettings();

// A numeric value of the settings file that reads as no number: its key, the value as
// the file holds it and the value used in its place, as the file would hold it.
struct UnreadableSetting
{
    QString key;
    QString value;
    QString used;
    bool operator==(const UnreadableSetting&) const = default;
};

// A settings file that is there but cannot be read (no permission, an I/O error, no
// regular file): nothing can be priced from it, so start-up stops with the cause.
struct SettingsReadError
{
    QString path;
    QString reason;       // the system's ("Permission denied")
    QString text() const; // "The settings file 'F' cannot be read: Permission denied."
};

// Reads the settings file into a record, the file read once and whole, so that a Save
// replacing it meanwhile gives the old or the new settings, never a mixture. Missing
// keys and values that are not accepted take the record's defaults. Numeric values
// that are there but read as no number are added to `unreadable`. Throws
// SettingsReadError when the file cannot be read. VALIDITYDAYS outside 1 to 365 is
// listed too; the texts of QUOTES are read whole (no 254-character limit), and an
// empty one takes its default.
AppSettings readSettings(const QString& settingsPath,
                         QList<UnreadableSetting>* unreadable = nullptr);

// Replaces appSettings() with what the settings file holds. Called once at start-up,
// by the copy of the program that holds the single-copy lock: it first settles what a
// Save cut off by a crash left (see SaveSettings) and removes the temporary files of
// writes that never finished. Returns the numeric values it could not read, which
// start-up reports; throws SettingsReadError.
QList<UnreadableSetting> LoadSettings(const QString& settingsPath);

// Removes FIRSTSTART from the settings file, whole or not at all: false, with the
// system's reason in `error`, when the file cannot be written (it stays as it was).
bool ForgetFirstStart(const QString& settingsPath, QString* error = nullptr);

// The report of unreadable values: the file, each key with its value and the value
// used, and how to write a number the program reads.
QString unreadableSettingsText(const QString& settingsPath,
                               const QList<UnreadableSetting>& unreadable);

// The texts the settings file stores the values as.
namespace SettingsText {
QString quoteBase(QuoteBase base); // "NM", "SM" or "HR"
// The basis a text names: "NM", "HR", anything else statute (blanks around it ignored).
QuoteBase readQuoteBase(const QString& text);
QString integer(qint32 value);              // " 5000", "-5"
QString number(double value);               // "2.7", "150", "0.35": plain form in every locale
QString flag(bool on);                      // "1" or "0"
QString distanceModel(DistanceModel model); // "SPHERE" or "WGS84"
// A text on one line: a line break as the two characters "\n" (a carriage return
// "\r"), a backslash doubled; in double quotes when blanks around it or quotes
// enclosing it would otherwise be lost in reading.
QString text(const QString& value);
} // namespace SettingsText

// Brings `current` and the settings file up to `entered`: each changed value is set
// in `current` and written to the file, QUOTEBASE is written every time, SORTORDER is
// left alone. A key whose value did not change is not written, so a missing key
// stays missing. The file is written once, whole or not at all: when it cannot be
// written it stays as it was, the record is changed anyway, the result says why, and
// the keys not written stay pending: the next Save of the same file writes them even
// when their values are not changed again.
//
// With `commitCatalogue` the settings and the catalogue changes of the same Save reach
// the disk together or not at all, as the next start sees them. The new file is first
// put beside the old one ("<file>.saving"), with a fingerprint of the catalogue as the
// database holds it now (the server the settings name, else the file beside them: its
// rows on a file, its tables' versions on a server); then the catalogue is committed, the file
// takes its new contents and the ".saving" file goes. A start that finds a ".saving"
// file installs it when the catalogue is no longer the one fingerprinted (the commit
// happened) and drops it otherwise. `commitCatalogue` returns false when the commit
// failed (the caller reports its own error); the file is then left as it was and the
// result says so.
struct SettingsSaveResult
{
    bool ok = true;
    QString error;
};
SettingsSaveResult SaveSettings(const QString& settingsPath, AppSettings& current,
                                const AppSettings& entered,
                                const std::function<bool()>& commitCatalogue = {});
