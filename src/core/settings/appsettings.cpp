#include "core/settings/appsettings.h"

#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/durablefile.h"
#include "core/format.h"
#include "core/settings/inifile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <optional>

namespace {

const QString SettingsSection = QStringLiteral("SETTINGS");
const QString CompanySection = QStringLiteral("COMPANY");
const QString QuotesSection = QStringLiteral("QUOTES");
const QString DatabaseSection = QStringLiteral("DATABASE");

// The texts of section QUOTES, stored by SettingsText::text().
struct QuoteText
{
    const char* key;
    QString AppSettings::*field;
};
const QuoteText QuoteTexts[] = {{"LOGO", &AppSettings::LOGO},
                                {"TERMS", &AppSettings::TERMS},
                                {"MAILSUBJECT", &AppSettings::MAILSUBJECT},
                                {"MAILBODY", &AppSettings::MAILBODY}};

// The text SettingsText::text() stored: "\n" a line feed, "\r" a carriage return,
// "\\" a backslash; any other backslash stays as it is.
QString unescaped(const QString& stored)
{
    QString text;
    text.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar next = i + 1 < stored.size() ? stored.at(i + 1) : QChar();
        if (stored.at(i) != u'\\' || (next != u'n' && next != u'r' && next != u'\\')) {
            text += stored.at(i);
            continue;
        }
        text += next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
        ++i;
    }
    return text;
}

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
// format, as a file written by hand in the user's own form ("8,5" in German,
// "1,500.25" in English). A value that is neither ("8,5" in English, where it is no
// correctly grouped figure) is no number: it is never taken for ten times itself.
std::optional<double> numeric(const QString& text)
{
    std::optional<double> value = Format::readPlain(text);
    if (!value)
        value = Format::readWritten(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

// Reads the numeric settings; a value that is there but reads as no number takes the
// default and is listed, so that start-up can say so instead of pricing with it.
class NumberReader
{
public:
    NumberReader(const IniFile& file, QList<UnreadableSetting>* unreadable)
        : m_file(file), m_unreadable(unreadable)
    {}

    double number(const char* key, double fallback)
    {
        const QString text = value(key);
        const std::optional<double> read = numeric(text);
        if (!read)
            refuse(key, text, SettingsText::number(fallback));
        return read.value_or(fallback);
    }

    // Rounded halves to even; a figure outside [low, high] (by default the 32-bit
    // range) counts as no number and gives `fallback`.
    qint32 integer(const char* key, qint32 fallback = 0,
                   qint32 low = std::numeric_limits<qint32>::min(),
                   qint32 high = std::numeric_limits<qint32>::max(),
                   const QString& section = SettingsSection)
    {
        const QString text = value(key, section);
        std::optional<double> read = numeric(text);
        if (read) {
            read = Format::roundHalfEven(*read);
            if (*read < low || *read > high)
                read.reset();
        }
        if (!read) {
            refuse(key, text, QString::number(fallback));
            return fallback;
        }
        return static_cast<qint32>(*read);
    }

    // On for a figure that rounds to exactly 1; any other figure, including figures
    // too large for the 16-bit flag the file was designed for, leaves it off.
    bool flag(const char* key)
    {
        const QString text = value(key);
        const std::optional<double> read = numeric(text);
        if (!read)
            refuse(key, text, SettingsText::flag(false));
        return read && Format::roundHalfEven(*read) == 1.0;
    }

private:
    QString value(const char* key, const QString& section = SettingsSection) const
    {
        return m_file.profileValue(section, QString::fromLatin1(key));
    }

    // An empty or missing value takes its default silently.
    void refuse(const char* key, const QString& text, const QString& used)
    {
        if (m_unreadable && !text.trimmed().isEmpty())
            m_unreadable->append({QString::fromLatin1(key), text, used});
    }

    const IniFile& m_file;
    QList<UnreadableSetting>* m_unreadable;
};

// Where a Save puts the new settings file until the catalogue is committed.
QString savingPath(const QString& settingsPath)
{
    return settingsPath + QStringLiteral(".saving");
}

QString databaseBeside(const QString& settingsPath)
{
    return QFileInfo(settingsPath).absoluteDir().filePath(Schema::DatabaseFileName);
}

// The keys, per settings file, that a Save set in the record but could not write.
QHash<QString, QSet<QString>>& pendingKeys()
{
    static QHash<QString, QSet<QString>> keys;
    return keys;
}

// The tables a Save of the settings commits with the file.
const char* const CatalogueTables[] = {"AdditionalCharges", "Taxes", "Aircraft"};

// The database of the program whose settings file this is: its office's server, or the
// file beside the settings file.
QString databaseOf(const QString& settingsPath, const DatabaseServer& server)
{
    return server.isSet() ? server.location() : databaseBeside(settingsPath);
}

// The catalogue tables' versions as a server holds them committed, or nothing when it
// cannot be reached now. Every committed statement that changes a table moves its
// version. Read through a connection of its own, which sees nothing of the settings
// dialog's transaction.
std::optional<QByteArray> serverCatalogueFingerprint(const QString& location)
{
    try {
        const std::shared_ptr<Db::Workspace> workspace = Db::DbEngine::scratchWorkspace();
        const std::shared_ptr<Db::Database> database = workspace->openDatabase(location);
        QByteArray versions;
        for (const char* table : CatalogueTables) {
            const QString name = QString::fromLatin1(table);
            versions += QByteArray::number(
                            database->hasTable(name) ? database->tableStamp(name).version : 0) +
                        ' ';
        }
        workspace->close();
        return QCryptographicHash::hash(versions, QCryptographicHash::Sha256);
    } catch (const Db::DbError&) {
        return std::nullopt;
    }
}

// A digest of the catalogue tables as the database holds them committed, or nothing
// when it cannot be read now. A file's rows are read through a connection of their
// own, which sees no uncommitted change of the settings dialog's transaction.
std::optional<QByteArray> catalogueFingerprint(const QString& databasePath)
{
    if (Db::isServerLocation(databasePath))
        return serverCatalogueFingerprint(databasePath);
    if (!QFileInfo(databasePath).isFile())
        return std::nullopt;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(databasePath).constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return std::nullopt;
    }
    sqlite3_busy_timeout(db, 2000);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    bool read = true;
    for (const char* table : CatalogueTables) {
        // A database made before the aircraft profiles has no such table: no rows.
        if (qstrcmp(table, "Aircraft") == 0 &&
            sqlite3_table_column_metadata(db, nullptr, table, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr) != SQLITE_OK)
            continue;
        sqlite3_stmt* rows = nullptr;
        const QByteArray sql = QByteArray("SELECT * FROM ") + table + " ORDER BY rowid";
        read = sqlite3_prepare_v2(db, sql.constData(), -1, &rows, nullptr) == SQLITE_OK;
        int step = SQLITE_DONE;
        while (read && (step = sqlite3_step(rows)) == SQLITE_ROW) {
            for (int column = 0; column < sqlite3_column_count(rows); ++column) {
                const char type = char('0' + sqlite3_column_type(rows, column));
                const auto* text = sqlite3_column_text(rows, column);
                const int size = sqlite3_column_bytes(rows, column);
                hash.addData(QByteArrayView(&type, 1));
                hash.addData(QByteArray::number(size) + ':');
                hash.addData(QByteArrayView(reinterpret_cast<const char*>(text), size));
            }
            hash.addData("\n");
        }
        read = read && step == SQLITE_DONE;
        sqlite3_finalize(rows);
        if (!read)
            break;
        hash.addData(QByteArrayView("|"));
    }
    sqlite3_close(db);
    if (!read)
        return std::nullopt;
    return hash.result();
}

void removeSaving(const QString& settingsPath)
{
    if (QFile::remove(savingPath(settingsPath)))
        DurableFile::sync(QFileInfo(settingsPath).absolutePath());
}

// A Save cut off between its steps: the new file is installed when the catalogue was
// committed (it is no longer the one fingerprinted), else dropped. While the database
// cannot be read the ".saving" file stays for the next start to decide.
void finishInterruptedSave(const QString& settingsPath)
{
    QFile saving(savingPath(settingsPath));
    if (!QFileInfo(saving).isFile() || !saving.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = saving.readAll();
    saving.close();
    const qsizetype newline = content.indexOf('\n');
    if (newline > 0) {
        DatabaseServer server;
        try {
            server = readSettings(settingsPath).DATABASE;
        } catch (const SettingsReadError&) {
            return; // the start reports the file; the Save is decided once it reads
        }
        const std::optional<QByteArray> now =
            catalogueFingerprint(databaseOf(settingsPath, server));
        if (!now)
            return;
        if (*now != QByteArray::fromHex(content.first(newline)) &&
            !DurableFile::write(settingsPath, content.sliced(newline + 1)).ok)
            return;
    }
    removeSaving(settingsPath);
}

} // namespace

QString SettingsReadError::text() const
{
    return QStringLiteral("The settings file '%1' cannot be read: %2.")
        .arg(QDir::toNativeSeparators(path), reason);
}

AppSettings& appSettings()
{
    static AppSettings settings;
    return settings;
}

AppSettings readSettings(const QString& settingsPath, QList<UnreadableSetting>* unreadable)
{
    IniFile file(settingsPath);
    QString error;
    if (!file.load(&error))
        throw SettingsReadError{settingsPath, error};
    const auto setting = [&](const QString& key) {
        return file.profileValue(SettingsSection, key);
    };
    NumberReader numbers(file, unreadable);
    AppSettings s;
    s.QUOTEBASE = SettingsText::readQuoteBase(setting(QStringLiteral("QUOTEBASE")));
    s.MINRUNWAYLENGTH = numbers.integer("MINRUNWAYLENGTH");
    s.SORTORDER = trimBlanks(setting(QStringLiteral("SORTORDER"))).toUpper() == u"[NAME]"
                      ? SortOrder::Name
                      : SortOrder::Id;
    s.SEARCHMODE = trimBlanks(setting(QStringLiteral("SEARCHMODE"))).toUpper() == u"ANYTHING"
                       ? FindMode::Anything
                       : FindMode::ListOrder;
    s.DEFAULTCHARGESM = numbers.number("DEFAULTCHARGESM", 0);
    s.DEFAULTCHARGENM = numbers.number("DEFAULTCHARGENM", 0);
    s.MINBASECHARGE = numbers.number("MINBASECHARGE", 0);
    const QString airport = setting(QStringLiteral("DEFAULTAIRPORT"));
    if (airport.size() == 3 || airport.size() == 4)
        s.DEFAULTAIRPORT = airport;
    s.SEGMENTTAX = numbers.number("SEGMENTTAX", 2.5);
    s.ROUNDMILES = numbers.flag("ROUNDMILES");
    s.DISTANCEMODEL = trimBlanks(setting(QStringLiteral("DISTANCEMODEL"))).toUpper() == u"WGS84"
                          ? DistanceModel::Wgs84
                          : DistanceModel::Sphere;
    s.AIRCRAFT = trimBlanks(setting(QStringLiteral("AIRCRAFT")));
    s.BACKUPDAYS = numbers.integer("BACKUPDAYS", s.BACKUPDAYS, 0, 3650);
    s.FIRSTSTART = trimBlanks(setting(QStringLiteral("FIRSTSTART"))) == u"1";

    // The file is already read whole, so the order of the look-ups does not matter.
    for (const CompanyField& field : CompanyFields::All)
        s.company.*field.value = file.profileValue(CompanySection, QString(field.key));

    s.VALIDITYDAYS = numbers.integer("VALIDITYDAYS", s.VALIDITYDAYS, 1, 365, QuotesSection);
    for (const QuoteText& text : QuoteTexts) {
        const QString stored = file.value(QuotesSection, QString::fromLatin1(text.key));
        if (!stored.isEmpty())
            s.*text.field = unescaped(stored);
    }
    s.DATABASE.HOST = trimBlanks(file.profileValue(DatabaseSection, QStringLiteral("HOST")));
    s.DATABASE.PORT = numbers.integer("PORT", 0, 0, 65535, DatabaseSection);
    s.DATABASE.NAME = trimBlanks(file.profileValue(DatabaseSection, QStringLiteral("NAME")));
    s.DATABASE.USER = trimBlanks(file.profileValue(DatabaseSection, QStringLiteral("USER")));
    return s;
}

QString DatabaseServer::location() const
{
    if (!isSet())
        return QString();
    // Values in single quotes, a quote or backslash in them escaped, as libpq reads them.
    const auto value = [](const QString& text) {
        QString escaped = text;
        escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        escaped.replace(QLatin1Char('\''), QStringLiteral("\\'"));
        return QLatin1Char('\'') + escaped + QLatin1Char('\'');
    };
    QStringList parts;
    if (!HOST.isEmpty())
        parts << QStringLiteral("host=") + value(HOST);
    if (PORT > 0)
        parts << QStringLiteral("port=%1").arg(PORT);
    if (!NAME.isEmpty())
        parts << QStringLiteral("dbname=") + value(NAME);
    if (!USER.isEmpty())
        parts << QStringLiteral("user=") + value(USER);
    return parts.join(QLatin1Char(' '));
}

QList<UnreadableSetting> LoadSettings(const QString& settingsPath)
{
    finishInterruptedSave(settingsPath);
    DurableFile::removeStaleTemporaries(settingsPath);
    DurableFile::removeStaleTemporaries(savingPath(settingsPath));
    QList<UnreadableSetting> unreadable;
    appSettings() = readSettings(settingsPath, &unreadable);
    return unreadable;
}

bool ForgetFirstStart(const QString& settingsPath, QString* error)
{
    IniFile file(settingsPath);
    if (!file.load(error))
        return false;
    return !file.removeKey(SettingsSection, QStringLiteral("FIRSTSTART")) || file.save(error);
}

QString unreadableSettingsText(const QString& settingsPath,
                               const QList<UnreadableSetting>& unreadable)
{
    QString text = QStringLiteral("These values of the settings file %1 are not numbers the "
                                  "program can read, so their defaults are used:\r")
                       .arg(settingsPath);
    for (const UnreadableSetting& setting : unreadable)
        text += QStringLiteral("\r%1=%2: %3 is used").arg(setting.key, setting.value, setting.used);
    text += QStringLiteral("\r\rWrite numbers with \".\" as the decimal sign and no digit grouping "
                           "(8.5, 1500), or enter them again in Settings.");
    return text;
}

namespace SettingsText {

QString quoteBase(QuoteBase base)
{
    switch (base) {
    case QuoteBase::Nautical:
        return QStringLiteral("NM");
    case QuoteBase::Hourly:
        return QStringLiteral("HR");
    case QuoteBase::Statute:
        break;
    }
    return QStringLiteral("SM");
}

QuoteBase readQuoteBase(const QString& text)
{
    const QString trimmed = trimBlanks(text);
    if (trimmed == u"NM")
        return QuoteBase::Nautical;
    return trimmed == u"HR" ? QuoteBase::Hourly : QuoteBase::Statute;
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

QString distanceModel(DistanceModel model)
{
    return model == DistanceModel::Wgs84 ? QStringLiteral("WGS84") : QStringLiteral("SPHERE");
}

QString text(const QString& value)
{
    QString stored = value;
    stored.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'\n', QStringLiteral("\\n"))
        .replace(u'\r', QStringLiteral("\\r"));
    const bool enclosed = stored.size() >= 2 &&
                          (stored.front() == u'"' || stored.front() == u'\'') &&
                          stored.back() == stored.front();
    if (enclosed || trimBlanks(stored) != stored)
        stored = u'"' + stored + u'"';
    return stored;
}

} // namespace SettingsText

SettingsSaveResult SaveSettings(const QString& settingsPath, AppSettings& current,
                                const AppSettings& entered,
                                const std::function<bool()>& commitCatalogue)
{
    IniFile file(settingsPath);
    SettingsSaveResult result;
    QString readError;
    if (!file.load(&readError))
        result = {false, QStringLiteral("The file could not be read: %1").arg(readError)};
    const QByteArray before = file.contents();
    QSet<QString>& pending = pendingKeys()[settingsPath];
    QSet<QString> changed; // "SECTION/KEY" of every key this Save sets
    const auto write = [&](const QString& section, const QString& key, const QString& text) {
        changed.insert(section + u'/' + key);
        if (result.ok && !file.setValue(section, key, text))
            result = {false, QStringLiteral("The value of %1 does not fit on one line.").arg(key)};
    };
    const auto update = [&](const QString& section, const QString& key, auto& field,
                            const auto& value, const auto& text) {
        if (field == value && !pending.contains(section + u'/' + key))
            return;
        field = value;
        write(section, key, text(value));
    };
    const auto asIs = [](const QString& text) { return text; };
    const auto setting = [&](const char* key, auto& field, const auto& value, const auto& text) {
        update(SettingsSection, QString::fromLatin1(key), field, value, text);
    };

    setting("DEFAULTCHARGESM", current.DEFAULTCHARGESM, entered.DEFAULTCHARGESM,
            SettingsText::number);
    setting("DEFAULTCHARGENM", current.DEFAULTCHARGENM, entered.DEFAULTCHARGENM,
            SettingsText::number);
    setting("SEGMENTTAX", current.SEGMENTTAX, entered.SEGMENTTAX, SettingsText::number);
    setting("ROUNDMILES", current.ROUNDMILES, entered.ROUNDMILES, SettingsText::flag);
    setting("DISTANCEMODEL", current.DISTANCEMODEL, entered.DISTANCEMODEL,
            SettingsText::distanceModel);
    current.QUOTEBASE = entered.QUOTEBASE;
    write(SettingsSection, QStringLiteral("QUOTEBASE"), SettingsText::quoteBase(entered.QUOTEBASE));
    setting("MINRUNWAYLENGTH", current.MINRUNWAYLENGTH, entered.MINRUNWAYLENGTH,
            SettingsText::integer);
    setting("MINBASECHARGE", current.MINBASECHARGE, entered.MINBASECHARGE, SettingsText::number);
    setting("DEFAULTAIRPORT", current.DEFAULTAIRPORT, entered.DEFAULTAIRPORT, asIs);
    setting("AIRCRAFT", current.AIRCRAFT, entered.AIRCRAFT, asIs);

    for (const CompanyField& field : CompanyFields::All)
        update(CompanySection, QString(field.key), current.company.*field.value,
               entered.company.*field.value, asIs);
    update(QuotesSection, QStringLiteral("VALIDITYDAYS"), current.VALIDITYDAYS,
           entered.VALIDITYDAYS, SettingsText::integer);
    for (const QuoteText& text : QuoteTexts)
        update(QuotesSection, QString::fromLatin1(text.key), current.*text.field,
               entered.*text.field, SettingsText::text);

    const QByteArray after = file.contents();
    bool writeFile = result.ok && after != before;
    bool saving = false;
    if (writeFile && commitCatalogue) {
        if (const std::optional<QByteArray> fingerprint =
                catalogueFingerprint(databaseOf(settingsPath, current.DATABASE))) {
            const DurableFile::Result marked =
                DurableFile::write(savingPath(settingsPath), fingerprint->toHex() + '\n' + after);
            saving = marked.ok;
            if (!marked.ok) {
                // The catalogue is committed all the same; the settings wait for the
                // next Save.
                result = {false, marked.error};
                writeFile = false;
            }
        }
    }
    if (commitCatalogue && !commitCatalogue()) {
        if (writeFile)
            result = {false, QStringLiteral("The catalogue changes could not be saved, so the "
                                            "settings were not written either.")};
        writeFile = false;
    }
    if (writeFile && !file.save(&result.error))
        result.ok = false;
    if (saving)
        removeSaving(settingsPath);
    if (result.ok)
        pending.clear();
    else
        pending.unite(changed);
    return result;
}
