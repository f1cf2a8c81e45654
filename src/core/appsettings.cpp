#include "core/appsettings.h"

#include "core/format.h"
#include "core/inifile.h"

#include <cmath>
#include <limits>
#include <optional>

namespace {

const QString SettingsSection = QStringLiteral("SETTINGS");
const QString CompanySection = QStringLiteral("COMPANY");

// Leading and trailing blanks removed; tabs and other white space stay.
QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

// A finite number read from the text, else nothing. A file is the same file on
// every machine: a value in plain form ("8.5", "1500", "2.5e1") means that number
// in every locale, and only a value in another form is read in the user's number
// format, as a file written by hand in the user's own form ("8,5", "1.500,00").
std::optional<double> numeric(const QString& text)
{
    std::optional<double> value = Format::readPlain(text);
    if (!value)
        value = Format::read(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

double numberOr(const QString& text, double fallback)
{
    return numeric(text).value_or(fallback);
}

// Rounded halves to even; a figure beyond the 32-bit range counts as not numeric.
qint32 integerOrZero(const QString& text)
{
    const std::optional<double> value = numeric(text);
    if (!value)
        return 0;
    const double rounded = Format::roundHalfEven(*value);
    if (rounded < std::numeric_limits<qint32>::min() ||
        rounded > std::numeric_limits<qint32>::max())
        return 0;
    return static_cast<qint32>(rounded);
}

} // namespace

AppSettings& appSettings()
{
    static AppSettings settings;
    return settings;
}

AppSettings readSettings(const QString& settingsPath)
{
    const auto setting = [&](const QString& key) {
        return ReadIni(settingsPath, SettingsSection, key);
    };
    const auto company = [&](const QString& key) {
        return ReadIni(settingsPath, CompanySection, key);
    };

    AppSettings s;
    s.QUOTEBASE = trimBlanks(setting(QStringLiteral("QUOTEBASE"))) == u"NM" ? QuoteBase::Nautical
                                                                            : QuoteBase::Statute;
    s.MINRUNWAYLENGTH = integerOrZero(setting(QStringLiteral("MINRUNWAYLENGTH")));
    s.SORTORDER = trimBlanks(setting(QStringLiteral("SORTORDER"))).toUpper() == u"[NAME]"
                      ? QStringLiteral("[NAME]")
                      : QStringLiteral("[ID]");
    s.DEFAULTCHARGESM = numberOr(setting(QStringLiteral("DEFAULTCHARGESM")), 0);
    s.DEFAULTCHARGENM = numberOr(setting(QStringLiteral("DEFAULTCHARGENM")), 0);
    s.MINBASECHARGE = numberOr(setting(QStringLiteral("MINBASECHARGE")), 0);
    const QString airport = setting(QStringLiteral("DEFAULTAIRPORT"));
    if (airport.size() == 3 || airport.size() == 4)
        s.DEFAULTAIRPORT = airport;
    s.SEGMENTTAX = numberOr(setting(QStringLiteral("SEGMENTTAX")), 2.5);
    // Any figure that does not round to exactly 1 leaves rounding off, including
    // figures too large for the 16-bit flag the file was designed for.
    const std::optional<double> roundMiles = numeric(setting(QStringLiteral("ROUNDMILES")));
    s.ROUNDMILES = roundMiles && Format::roundHalfEven(*roundMiles) == 1.0;

    s.NAME = company(QStringLiteral("NAME"));
    s.ADDRESS1 = company(QStringLiteral("ADDRESS1"));
    s.ADDRESS2 = company(QStringLiteral("ADDRESS2"));
    s.CITY = company(QStringLiteral("CITY"));
    s.ZIP = company(QStringLiteral("ZIP"));
    s.STATE = company(QStringLiteral("STATE"));
    s.COUNTRY = company(QStringLiteral("COUNTRY"));
    s.PHONE1 = company(QStringLiteral("PHONE1"));
    s.PHONE2 = company(QStringLiteral("PHONE2"));
    s.FAX = company(QStringLiteral("FAX"));
    s.EMAIL = company(QStringLiteral("EMAIL"));
    s.WEBSITE = company(QStringLiteral("WEBSITE"));
    return s;
}

void LoadSettings(const QString& settingsPath)
{
    appSettings() = readSettings(settingsPath);
}

namespace SettingsText {

QString quoteBase(QuoteBase base)
{
    return base == QuoteBase::Nautical ? QStringLiteral("NM") : QStringLiteral("SM");
}

QString integer(qint32 value)
{
    // The file has always held integers with a blank where a minus sign would go
    // (" 5000"); hand-edited files and older copies of the program expect that form.
    const QString digits = QString::number(value);
    return value < 0 ? digits : u' ' + digits;
}

QString number(double value)
{
    // Plain form in every locale, so that the file reads the same on every machine.
    return Format::general(value, Format::NumberSymbols::plain());
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace SettingsText

SettingsSaveResult SaveSettings(const QString& settingsPath, AppSettings& current,
                                const AppSettings& entered)
{
    IniFile file(settingsPath);
    SettingsSaveResult result;
    if (!file.load())
        result = {false, QStringLiteral("The file could not be read.")};
    const auto write = [&](const QString& section, const QString& key, const QString& text) {
        if (result.ok && !file.setValue(section, key, text))
            result = {false, QStringLiteral("The value of %1 does not fit on one line.").arg(key)};
    };
    const auto update = [&](const QString& section, const QString& key, auto& field,
                            const auto& value, const auto& text) {
        if (field == value)
            return;
        field = value;
        write(section, key, text(value));
    };
    const auto asIs = [](const QString& text) { return text; };
    const auto setting = [&](const char* key, auto& field, const auto& value, const auto& text) {
        update(SettingsSection, QString::fromLatin1(key), field, value, text);
    };
    const auto company = [&](const char* key, QString& field, const QString& value) {
        update(CompanySection, QString::fromLatin1(key), field, value, asIs);
    };

    setting("DEFAULTCHARGESM", current.DEFAULTCHARGESM, entered.DEFAULTCHARGESM,
            SettingsText::number);
    setting("DEFAULTCHARGENM", current.DEFAULTCHARGENM, entered.DEFAULTCHARGENM,
            SettingsText::number);
    setting("SEGMENTTAX", current.SEGMENTTAX, entered.SEGMENTTAX, SettingsText::number);
    setting("ROUNDMILES", current.ROUNDMILES, entered.ROUNDMILES, SettingsText::flag);
    current.QUOTEBASE = entered.QUOTEBASE;
    write(SettingsSection, QStringLiteral("QUOTEBASE"), SettingsText::quoteBase(entered.QUOTEBASE));
    setting("MINRUNWAYLENGTH", current.MINRUNWAYLENGTH, entered.MINRUNWAYLENGTH,
            SettingsText::integer);
    setting("MINBASECHARGE", current.MINBASECHARGE, entered.MINBASECHARGE, SettingsText::number);
    setting("DEFAULTAIRPORT", current.DEFAULTAIRPORT, entered.DEFAULTAIRPORT, asIs);

    company("NAME", current.NAME, entered.NAME);
    company("ADDRESS1", current.ADDRESS1, entered.ADDRESS1);
    company("ADDRESS2", current.ADDRESS2, entered.ADDRESS2);
    company("CITY", current.CITY, entered.CITY);
    company("STATE", current.STATE, entered.STATE);
    company("ZIP", current.ZIP, entered.ZIP);
    company("COUNTRY", current.COUNTRY, entered.COUNTRY);
    company("PHONE1", current.PHONE1, entered.PHONE1);
    company("PHONE2", current.PHONE2, entered.PHONE2);
    company("FAX", current.FAX, entered.FAX);
    company("EMAIL", current.EMAIL, entered.EMAIL);
    company("WEBSITE", current.WEBSITE, entered.WEBSITE);

    if (result.ok && !file.save(&result.error))
        result.ok = false;
    return result;
}
