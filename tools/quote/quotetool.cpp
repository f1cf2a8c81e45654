// brisklander-quote: the quote of the main window from the command line.
//
//   brisklander-quote FOLDER STOP STOP... [options]
//       prices the route through the stops with the settings and the database of
//       the program folder FOLDER, which it only reads (it may run while the
//       program is open), and prints every figure of the quote tab.
//   brisklander-quote FOLDER --batch TRIPS.csv [--output FIGURES.csv]
//       prices one trip a line.
//   brisklander-quote FOLDER STOP STOP... --save [--text FILE] [--pdf FILE]
//       keeps the priced quote in the folder's register (Sent, in one step with its
//       documents, when a document is written, else a Draft): the only command that
//       writes to the folder.
//   brisklander-quote FOLDER --list [--customer TEXT] [--from DATE] [--to DATE]
//                                   [--status NAME] [--json] [--export-csv FILE]
//   brisklander-quote FOLDER --show NUMBER [--json] [--text FILE] [--pdf FILE]
//       read the register: its list, newest first, and a kept quote as handed out.
//
// FOLDER "-" is the folder the program would use: the folder BRISKLANDER_HOME names;
// else this tool's own folder when a writable Brisklander.INI lies in it (a portable
// copy); else $XDG_DATA_HOME/Brisklander (~/.local/share/Brisklander).
//
// Figures are given in plain form ("8.5"), whatever the locale. Exit status 0 when
// every quote was priced, 1 when the folder cannot be used (the register not written
// among it), 2 for a malformed command line or batch file (a figure not in plain
// form, a value the window would not take), 3 when a quote cannot be priced (an
// unknown airport or tax type) or found (a number the register does not hold), and in
// a batch when any line failed.

#include "quotetool.h"

#include "aircraftoptions.h"
#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/document/customerfields.h"
#include "core/document/quotefiles.h"
#include "core/document/quotetextfile.h"
#include "core/folder/databasefiles.h"
#include "core/folder/datafolder.h"
#include "core/folder/durablefile.h"
#include "core/folder/instancelock.h"
#include "core/format.h"
#include "core/quote/aircraftcatalog.h"
#include "core/quote/quotebatch.h"
#include "core/quote/quoterequest.h"
#include "core/register/quotecsv.h"
#include "core/register/quoteregister.h"
#include "core/settings/appsettings.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTextStream>

#include <algorithm>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

PdfWriter& pdfWriter()
{
    static PdfWriter writer;
    return writer;
}

} // namespace

void setPdfWriter(PdfWriter writer)
{
    pdfWriter() = std::move(writer);
}

QString helperProgram(const QString& programFolder, const QString& name)
{
    const QDir folder(programFolder);
    for (const QString& path :
         {folder.filePath(name),
          folder.filePath(QStringLiteral("../libexec/brisklander/") + name)}) {
        if (QFileInfo(path).isExecutable())
            return QDir::cleanPath(path);
    }
    return QString();
}

namespace {

constexpr int Priced = 0;
constexpr int FolderFailed = 1;
constexpr int Usage = 2;
constexpr int NotPriced = 3; // and a kept quote not found

// How long --save waits for the writers' lock that the program's exit holds while it
// compacts the database.
constexpr int SaveWaitMs = 3000;

// A command line that cannot be used: the message and exit status 2.
struct UsageError
{
    QString message;
};

// The program folder, opened for reading only; for --save, with the writers' lock held
// from before the database is opened until the quote is kept, so that the program's
// exit never replaces the file under the tool's writes.
struct Folder
{
    std::unique_ptr<InstanceLock> writers;
    QString databasePath;
    QString settingsPath;
    AppSettings settings;
    QList<UnreadableSetting> unreadableSettings; // priced with their defaults, and told
    std::shared_ptr<Db::Workspace> workspace;
};

Folder openFolder(const QString& path, bool forSaving)
{
    const QDir dir(path);
    if (!dir.exists())
        throw QuoteRequestError(QStringLiteral("No program folder '%1'.").arg(path));
    const QString settings = dir.filePath(QStringLiteral("Brisklander.INI"));
    if (!QFileInfo::exists(settings))
        throw QuoteRequestError(
            QStringLiteral("No settings file '%1'.").arg(QDir::toNativeSeparators(settings)));
    const QString database = dir.filePath(Schema::DatabaseFileName);
    Folder folder;
    if (forSaving)
        folder.writers = LockDatabaseWriters(path, SaveWaitMs);
    // No figure is read from a database the program's exit is compacting. Holding the
    // writers' lock, a "Brisklander.old" beside the database is what a cut-off exit left.
    DatabaseFiles files;
    const FolderState state = !folder.writers || !folder.writers->isLocked()
                                  ? ExamineProgramFolder(path)
                              : files.exists(PreviousDatabasePath(database)) &&
                                      files.examine(ThroughLinks(database)) != DatabaseState::Intact
                                  ? FolderState::Interrupted
                                  : FolderState::Ready;
    switch (state) {
    case FolderState::Ready:
        break;
    case FolderState::Compacting:
        throw QuoteRequestError(
            QStringLiteral("The database of '%1' is being compacted (the program is closing); "
                           "try again in a moment.")
                .arg(QDir::toNativeSeparators(path)));
    case FolderState::Interrupted:
        throw QuoteRequestError(
            QStringLiteral("The database of '%1' lies in %2, left there by an exit of the program "
                           "that was cut off. Start the program once, or run 'brisklander-db "
                           "create %1': either puts the database back. Then try again.")
                .arg(QDir::toNativeSeparators(path), Schema::PreviousDatabaseFileName));
    }
    folder.settingsPath = settings;
    try {
        folder.settings = readSettings(settings, &folder.unreadableSettings);
    } catch (const SettingsReadError& error) {
        throw QuoteRequestError(error.text());
    }
    Db::DbEngine& engine = Db::DbEngine::instance();
    engine.setSystemDB(dir.filePath(Schema::WorkgroupFileName));
    folder.databasePath = database;
    folder.workspace =
        engine.createWorkspace(QStringLiteral("Quote"), Schema::UserName, Schema::Password);
    // The workspace keeps the first connection to the file: read-only unless saving.
    if (forSaving)
        folder.workspace->openDatabase(database);
    else
        folder.workspace->openDatabaseReadOnly(database);
    return folder;
}

// True when `path` reaches `file` in any way: a link to it, another spelling of its
// folder, a second name of the same bytes, or (where neither is there yet) the same
// name in the same folder, reached through links.
bool reaches(const QString& path, const QString& file)
{
    struct stat target, own;
    if (::stat(QFile::encodeName(path).constData(), &target) == 0 &&
        ::stat(QFile::encodeName(file).constData(), &own) == 0)
        return target.st_dev == own.st_dev && target.st_ino == own.st_ino;
    QFileInfo written(path);
    for (int hop = 0; hop < 40 && written.isSymLink(); ++hop)
        written.setFile(written.symLinkTarget());
    const QFileInfo ownInfo(file);
    const QString folder = QFileInfo(written.absolutePath()).canonicalFilePath();
    return !folder.isEmpty() && written.fileName() == ownInfo.fileName() &&
           folder == QFileInfo(ownInfo.absolutePath()).canonicalFilePath();
}

// The program folder's own files are never an output: the tool only reads the folder.
void refuseFolderFile(const QString& option, const QString& path, const QString& folder)
{
    const QDir dir(folder);
    const QString database = Schema::DatabaseFileName;
    for (const QString& name :
         {QStringLiteral("Brisklander.INI"), database, Schema::WorkgroupFileName,
          database + QStringLiteral("-wal"), database + QStringLiteral("-shm"),
          database + QStringLiteral("-journal"), database + QStringLiteral(".lock"),
          QStringLiteral("Brisklander.old")}) {
        if (reaches(path, dir.filePath(name)))
            throw UsageError{QStringLiteral("--%1 '%2' is the program folder's %3; give another "
                                            "file.")
                                 .arg(option, path, name)};
    }
}

// An engine, file or printer failure: its number and description, exit status 1.
int failure(QTextStream& err, const NumberedError& error)
{
    err << "brisklander-quote: error " << error.number() << ": " << error.description() << '\n';
    return FolderFailed;
}

QString currencySymbol()
{
    const QString symbol = QLocale().currencySymbol(QLocale::CurrencySymbol);
    return symbol.isEmpty() ? QStringLiteral("$") : symbol;
}

std::optional<QDate> dateOption(const QString& text, const QString& what)
{
    if (text.isEmpty())
        return std::nullopt;
    QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid())
        date = QLocale().toDate(text, QLocale::ShortFormat);
    if (!date.isValid())
        throw UsageError{QStringLiteral("%1 '%2' is not a date (yyyy-mm-dd).").arg(what, text)};
    return date;
}

// Reads an option's value; a value the window would not take is a usage error that
// names the option.
template <typename Read> auto readOption(const QString& option, Read read)
{
    try {
        return read();
    } catch (const QuoteRequestError& error) {
        throw UsageError{option + QStringLiteral(": ") + error.message()};
    }
}

QuoteRequest::Charge chargeOption(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(';'));
    if (parts.size() < 3 || parts.size() > 4)
        throw UsageError{
            QStringLiteral("--charge '%1': give DESCRIPTION;AMOUNT;NUMBER[;TAX TYPE].").arg(text)};
    const auto figure = [&text](const QString& part) -> std::optional<double> {
        if (part.trimmed().isEmpty())
            return std::nullopt;
        return readOption(QStringLiteral("--charge '%1'").arg(text),
                          [&] { return RequestFigures::plain(part); });
    };
    return QuoteRequest::Charge{parts.at(0).trimmed(), figure(parts.at(1)), figure(parts.at(2)),
                                parts.value(3).trimmed()};
}

void segmentTaxOption(const QString& text, QuoteRequest& request)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() > 2)
        throw UsageError{
            QStringLiteral("--segment-tax '%1': give PASSENGERS[,SEGMENTS].").arg(text)};
    const QString option = QStringLiteral("--segment-tax '%1'").arg(text);
    request.passengers = readOption(option, [&] { return RequestFigures::count(parts.at(0)); });
    if (parts.size() > 1)
        request.segments = readOption(option, [&] { return RequestFigures::count(parts.at(1)); });
}

// The legs flown empty, by number; each must be a leg of the route the stops make.
QList<int> positioningOption(const QString& text, int legs)
{
    QList<int> numbers;
    for (const QString& part : text.split(QLatin1Char(','))) {
        bool read = false;
        const int leg = part.trimmed().toInt(&read);
        if (!read || leg < 1 || leg > legs)
            throw UsageError{QStringLiteral("--positioning '%1': '%2' is not a leg from 1 to %3.")
                                 .arg(text, part)
                                 .arg(legs)};
        if (!numbers.contains(leg))
            numbers << leg;
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

// The text of a print dialog field's option, refused when the field cannot hold it.
QString fieldOption(const QCommandLineParser& parser, const PrintField& field)
{
    const QString value = parser.value(QString(field.key));
    if (value.size() > field.length)
        throw UsageError{QStringLiteral("--%1 takes at most %2 characters.")
                             .arg(QString(field.key))
                             .arg(field.length)};
    return value;
}

QuoteRequest requestFrom(const QCommandLineParser& parser, const QStringList& stops)
{
    QuoteRequest request;
    request.stops = stops;
    if (parser.isSet(QStringLiteral("rate")))
        request.rate = readOption(QStringLiteral("--rate"), [&] {
            return RequestFigures::rate(parser.value(QStringLiteral("rate")));
        });
    request.tax = parser.value(QStringLiteral("tax"));
    for (const QString& charge : parser.values(QStringLiteral("charge")))
        request.charges << chargeOption(charge);
    if (parser.isSet(QStringLiteral("segment-tax")))
        segmentTaxOption(parser.value(QStringLiteral("segment-tax")), request);
    if (parser.isSet(QStringLiteral("positioning")))
        request.positioningLegs =
            positioningOption(parser.value(QStringLiteral("positioning")), int(stops.size()) - 1);
    for (const CustomerField& field : PrintFields::Customer)
        request.customer.*field.data = fieldOption(parser, field);
    request.departureDate =
        dateOption(parser.value(QStringLiteral("departure")), QStringLiteral("--departure"));
    request.returnDate =
        dateOption(parser.value(QStringLiteral("return")), QStringLiteral("--return"));
    if (request.returnDate && !request.departureDate)
        throw UsageError{QStringLiteral("--return needs --departure.")};
    if (request.returnDate && *request.returnDate < *request.departureDate)
        throw UsageError{QStringLiteral("--return is before --departure.")};
    const QStringList remarks = parser.values(QStringLiteral("remarks"));
    if (remarks.size() > 2)
        throw UsageError{QStringLiteral("--remarks takes two lines at most.")};
    for (const QString& line : remarks) {
        if (line.size() > PrintFields::RemarksLine)
            throw UsageError{QStringLiteral("A line of --remarks takes at most %1 characters.")
                                 .arg(PrintFields::RemarksLine)};
    }
    request.remarks = remarks.join(QStringLiteral("\r\n"));
    request.quotedBy = fieldOption(parser, PrintFields::QuotedBy);
    request.printCompany = !parser.isSet(QStringLiteral("no-company"));
    return request;
}

// A figure as a JSON number; null for an empty cell.
QJsonValue numberOf(const QString& text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(Format::value(text));
}

// The fields, legs and charges as the window shows them, and the same figures again as
// numbers for a script to compute with.
QJsonObject jsonOf(const QuoteData& data)
{
    QJsonObject fields, figures;
    for (const QuoteTabField& field : quoteTabFields(data)) {
        fields.insert(field.name, field.text);
        if (field.kind == QuoteTabField::Kind::Figure || field.kind == QuoteTabField::Kind::Money)
            figures.insert(field.name, numberOf(field.text));
    }
    QJsonArray legs, legFigures;
    for (const QuoteData::RouteRow& row : data.route) {
        legs.append(QJsonObject{{QStringLiteral("ID"), row.id},
                                {QStringLiteral("NAME"), row.name},
                                {QStringLiteral("DistanceNM"), row.distanceNM},
                                {QStringLiteral("DistanceSM"), row.distanceSM},
                                {QStringLiteral("positioning"), row.positioning}});
        legFigures.append(QJsonObject{{QStringLiteral("DistanceNM"), numberOf(row.distanceNM)},
                                      {QStringLiteral("DistanceSM"), numberOf(row.distanceSM)}});
    }
    QJsonArray charges, chargeFigures;
    for (const QuoteData::ChargeRow& row : data.charges) {
        if (row.isBlank())
            continue;
        charges.append(QJsonObject{{QStringLiteral("Charge"), row.charge},
                                   {QStringLiteral("Amount"), row.amount},
                                   {QStringLiteral("Number"), row.number},
                                   {QStringLiteral("Total"), row.total},
                                   {QStringLiteral("Tax"), row.tax},
                                   {QStringLiteral("TaxAmount"), row.taxAmount}});
        chargeFigures.append(QJsonObject{{QStringLiteral("Amount"), numberOf(row.amount)},
                                         {QStringLiteral("Number"), numberOf(row.number)},
                                         {QStringLiteral("Total"), numberOf(row.total)},
                                         {QStringLiteral("TaxAmount"), numberOf(row.taxAmount)}});
    }
    figures.insert(QStringLiteral("legs"), legFigures);
    figures.insert(QStringLiteral("charges"), chargeFigures);
    QJsonObject json{
        {QStringLiteral("fields"), fields},
        {QStringLiteral("distanceModel"), SettingsText::distanceModel(data.distanceModel)},
        {QStringLiteral("legs"), legs},
        {QStringLiteral("charges"), charges},
        {QStringLiteral("figures"), figures}};
    AircraftOptions::addTimes(json, data);
    return json;
}

// The quote for a person: the legs and the charges under their headers, then every
// figure of the quote tab on a line of its own after the window's caption.
void printFigures(QTextStream& out, const QuoteData& data)
{
    const auto legLine = [&out](const QString& id, const QString& name, const QString& nm,
                                const QString& sm, const QString& times) {
        out << QStringLiteral("%1 %2 %3 %4").arg(id, -5).arg(name, -50).arg(nm, 11).arg(sm, 11)
            << times << '\n';
    };
    legLine(QStringLiteral("ID"), QStringLiteral("Airport Name"), QStringLiteral("Distance NM"),
            QStringLiteral("Distance SM"), QString());
    for (int row = 0; row < data.route.size(); ++row) {
        const QuoteData::RouteRow& stop = data.route.at(row);
        legLine(stop.id, stop.name, stop.distanceNM, stop.distanceSM,
                AircraftOptions::legTimes(data, row));
    }
    if (!data.aircraft.isEmpty())
        out << "Aircraft: " << data.aircraft << ", billable hours: " << data.billableHours << '\n';
    out << '\n';
    const auto money = [&data](const QString& figure) {
        return figure.isEmpty() ? figure : data.currencySymbol + figure;
    };
    const QList<QuoteTabField> fields = quoteTabFields(data);
    for (const QuoteTabField& field : fields) {
        if (field.name == QLatin1String("TxtTotAddCharges")) {
            // The additional charges, as the grid shows them, before their sums.
            const auto chargeLine = [&out](const QStringList& cells) {
                out << QStringLiteral("%1 %2 %3 %4 %5 %6")
                           .arg(cells[0], -25)
                           .arg(cells[1], 12)
                           .arg(cells[2], 6)
                           .arg(cells[3], 14)
                           .arg(cells[4], -12)
                           .arg(cells[5], 12)
                           .trimmed()
                    << '\n';
            };
            out << "\nAdditional Charges:\n";
            chargeLine({QStringLiteral("Charge"), QStringLiteral("Amount"),
                        QStringLiteral("Number"), QStringLiteral("Total"), QStringLiteral("Tax"),
                        QStringLiteral("Tax Amount")});
            for (const QuoteData::ChargeRow& row : data.charges) {
                if (!row.isBlank())
                    chargeLine({row.charge, money(row.amount), row.number, money(row.total),
                                row.tax, money(row.taxAmount)});
            }
        }
        if (field.name == QLatin1String("TxtTotalCharges"))
            out << '\n';
        switch (field.kind) {
        case QuoteTabField::Kind::Caption:
            break;
        case QuoteTabField::Kind::Text:
            if (!field.text.isEmpty())
                out << field.caption << ": " << field.text << '\n';
            break;
        case QuoteTabField::Kind::Figure:
            out << field.caption << ": " << field.text
                << (field.unit.isEmpty() ? QString() : u' ' + field.unit) << '\n';
            break;
        case QuoteTabField::Kind::Money:
            out << field.caption << ": " << money(field.text) << '\n';
            break;
        }
    }
}

// Prices one trip a line of a batch file (QuoteBatch).
int runBatch(const Folder& folder, const QString& path, const QString& outputPath, QTextStream& out,
             QTextStream& err)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        err << "brisklander-quote: cannot read '" << path << "': " << in.errorString() << '\n';
        return FolderFailed;
    }
    QStringList refusals;
    const QList<QuoteBatch::Trip> trips =
        QuoteBatch::read(path, QString::fromUtf8(in.readAll()), refusals);
    if (!refusals.isEmpty()) {
        for (const QString& refusal : refusals)
            err << refusal << '\n';
        err << "brisklander-quote: '" << path << "' refused, nothing priced.\n";
        return Usage;
    }

    QByteArray output = QuoteBatch::figuresHeader();
    // The progress is shown on a terminal only, never in a file or a caller's text.
    const auto* errFile = qobject_cast<const QFile*>(err.device());
    const bool terminal = errFile && errFile->handle() >= 0 && isatty(errFile->handle());
    int failed = 0;
    const int total = int(trips.size());
    try {
        const QuoteBatch::Pricer pricer(*folder.workspace, folder.databasePath, folder.settings,
                                        currencySymbol(), QDate::currentDate(), trips);
        for (int i = 0; i < total; ++i) {
            const QuoteBatch::Trip& trip = trips.at(i);
            if (terminal) {
                err << "\rpricing " << i + 1 << " of " << total;
                err.flush();
            }
            try {
                output += QuoteBatch::figuresLine(trip, pricer.price(trip.request));
            } catch (const QuoteRequestError& error) {
                ++failed;
                if (terminal)
                    err << '\n';
                err << path << ':' << trip.line << ": " << error.message() << '\n';
            }
        }
    } catch (const NumberedError& error) {
        if (terminal)
            err << '\n';
        failure(err, error);
        err << "brisklander-quote: the database could not be read; no figures written.\n";
        return FolderFailed;
    }
    if (terminal)
        err << '\n';
    if (outputPath.isEmpty()) {
        out << QString::fromUtf8(output);
        out.flush();
        if (out.status() != QTextStream::Ok) {
            err << "brisklander-quote: cannot write the figures: "
                << (out.device() ? out.device()->errorString() : QString()) << '\n';
            return FolderFailed;
        }
    } else {
        // Whole or not at all: a full disk leaves the figures of the last run as they were.
        const DurableFile::Result written = DurableFile::write(outputPath, output);
        if (!written.ok) {
            err << "brisklander-quote: cannot write '" << outputPath << "': " << written.error
                << '\n';
            return FolderFailed;
        }
    }
    if (failed > 0)
        err << "brisklander-quote: " << failed << " of " << total << " trips not priced\n";
    return failed > 0 ? NotPriced : Priced;
}

// The name of the user the tool runs as, who made the quotes it keeps.
QString userName()
{
    if (const passwd* user = ::getpwuid(::geteuid()); user && user->pw_name)
        return QString::fromLocal8Bit(user->pw_name);
    return qEnvironmentVariable("USER");
}

std::optional<QuoteStatus> statusOption(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    for (QuoteStatus status :
         {QuoteStatus::Draft, QuoteStatus::Sent, QuoteStatus::Accepted, QuoteStatus::Declined,
          QuoteStatus::Cancelled, QuoteStatus::Expired}) {
        if (QuoteRules::statusName(status).compare(text, Qt::CaseInsensitive) == 0)
            return status;
    }
    throw UsageError{QStringLiteral("--status '%1': give Draft, Sent, Accepted, Declined, "
                                    "Cancelled or Expired.")
                         .arg(text)};
}

std::optional<QDate> isoDateOption(const QCommandLineParser& parser, const QString& option)
{
    if (!parser.isSet(option))
        return std::nullopt;
    const QString text = parser.value(option);
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid() || text.size() != 10)
        throw UsageError{QStringLiteral("--%1 '%2' is not a date (yyyy-mm-dd).").arg(option, text)};
    return date;
}

// What --json gives for a priced quote, and the register's number, revision, status (as
// shown, Expired once its validity passed) and last valid day.
QJsonObject jsonOf(const KeptQuote& quote)
{
    QJsonObject json = jsonOf(quote.data);
    json.insert(QStringLiteral("number"), quote.number);
    json.insert(QStringLiteral("revision"), quote.revision);
    json.insert(QStringLiteral("status"),
                QuoteRules::statusName(
                    QuoteRules::shownStatus(quote.status, quote.validUntil, QDate::currentDate())));
    json.insert(QStringLiteral("validUntil"), quote.validUntil.toString(Qt::ISODate));
    return json;
}

// Writes the text file and the PDF the command line asks for; true when it asked for one.
// A PDF not written puts the text file written before it back as it was: no document is
// left of a quote that was not kept.
bool writeDocuments(const QCommandLineParser& parser, const QuoteData& data)
{
    const bool text = parser.isSet(QStringLiteral("text"));
    const bool pdf = parser.isSet(QStringLiteral("pdf"));
    const QString textPath = parser.value(QStringLiteral("text"));
    std::optional<QByteArray> earlier;
    const bool existed = QFile::exists(textPath);
    if (QFile file(textPath); text && pdf && file.open(QIODevice::ReadOnly))
        earlier = file.readAll();
    // An earlier text file that cannot be read could not be put back: it is not touched.
    if (text && pdf && existed && !earlier)
        throw QuoteRuleError(QStringLiteral("The text file '%1' is there but cannot be read, so "
                                            "it could not be put back if the PDF failed.")
                                 .arg(textPath));
    if (text)
        PrintJob::writeTextFile(textPath, data);
    try {
        if (pdf) {
            QuoteData printed = data;
            printed.printMap = !parser.isSet(QStringLiteral("no-map"));
            if (!pdfWriter())
                throw QuoteRuleError(QStringLiteral("This program writes no PDF; "
                                                    "brisklander-quote-pdf does."));
            pdfWriter()(parser.value(QStringLiteral("pdf")), printed);
        }
    } catch (...) {
        if (earlier)
            DurableFile::write(textPath, *earlier);
        else if (text && !existed)
            QFile::remove(textPath);
        throw;
    }
    return text || pdf;
}

// The register's list, newest first: on the standard output for a person or as JSON,
// or whole into the CSV file of --export-csv.
int runList(const Folder& folder, const QCommandLineParser& parser, QTextStream& out,
            QTextStream& err)
{
    const QString customer = parser.value(QStringLiteral("customer"));
    QuoteFilter filter;
    filter.text = customer;
    filter.from = isoDateOption(parser, QStringLiteral("from"));
    filter.to = isoDateOption(parser, QStringLiteral("to"));
    filter.status = statusOption(parser.value(QStringLiteral("status")));
    QuoteRegister quotes(*folder.workspace, folder.databasePath, QuoteRegister::Access::ReadOnly);
    QList<QuoteListEntry> entries = quotes.list(filter, QDate::currentDate());
    // The filter's text finds numbers and routes as well: only the customer counts here.
    entries.removeIf([&customer](const QuoteListEntry& entry) {
        return !entry.customerName.contains(customer, Qt::CaseInsensitive);
    });
    const QString csv = parser.value(QStringLiteral("export-csv"));
    if (!csv.isEmpty()) {
        const DurableFile::Result written =
            DurableFile::write(csv, QuoteCsv::listText(entries).toUtf8());
        if (!written.ok) {
            err << "brisklander-quote: cannot write '" << csv << "': " << written.error << '\n';
            return FolderFailed;
        }
        return Priced;
    }
    if (parser.isSet(QStringLiteral("json"))) {
        QJsonArray list;
        for (const QuoteListEntry& entry : entries)
            list.append(QJsonObject{
                {QStringLiteral("number"), entry.number},
                {QStringLiteral("revision"), entry.revision},
                {QStringLiteral("created"), entry.created.toString(Qt::ISODate)},
                {QStringLiteral("customer"), entry.customerName},
                {QStringLiteral("route"), entry.route},
                {QStringLiteral("finalQuote"), entry.finalQuote},
                {QStringLiteral("status"), QuoteRules::statusName(entry.shown)},
                {QStringLiteral("validUntil"), entry.validUntil.toString(Qt::ISODate)}});
        out << QJsonDocument(list).toJson(QJsonDocument::Indented);
        return Priced;
    }
    const auto line = [&out](const QString& number, const QString& date, const QString& name,
                             const QString& route, const QString& total, const QString& status) {
        out << QStringLiteral("%1 %2 %3 %4 %5 %6")
                   .arg(number, -16)
                   .arg(date, -10)
                   .arg(name, -32)
                   .arg(route, -24)
                   .arg(total, 16)
                   .arg(status)
            << '\n';
    };
    line(QStringLiteral("Number"), QStringLiteral("Date"), QStringLiteral("Customer"),
         QStringLiteral("Route"), QStringLiteral("Final Quote"), QStringLiteral("Status"));
    for (const QuoteListEntry& entry : entries)
        line(QuoteData::numberText(entry.number, entry.revision),
             entry.created.date().toString(Qt::ISODate), entry.customerName, entry.route,
             currencySymbol() + entry.finalQuote, QuoteRules::statusName(entry.shown));
    return Priced;
}

// A kept quote: its figures or JSON, or its documents as they were handed out.
int runShow(const Folder& folder, const QCommandLineParser& parser, QTextStream& out,
            QTextStream& err)
{
    const QString number = parser.value(QStringLiteral("show"));
    QuoteRegister quotes(*folder.workspace, folder.databasePath, QuoteRegister::Access::ReadOnly);
    const std::optional<KeptQuote> quote = quotes.load(number);
    if (!quote) {
        err << "brisklander-quote: No quote " << number << " is kept.\n";
        return NotPriced;
    }
    const QuoteData data = quote->numbered(quote->data);
    const bool written = writeDocuments(parser, data);
    if (parser.isSet(QStringLiteral("json"))) {
        out << QJsonDocument(jsonOf(*quote)).toJson(QJsonDocument::Indented);
    } else if (!written) {
        const QJsonObject json = jsonOf(*quote);
        out << "Quote " << QuoteData::numberText(quote->number, quote->revision) << ", "
            << json[QStringLiteral("status")].toString() << ", valid until "
            << QLocale().toString(quote->validUntil, QLocale::ShortFormat) << "\n\n";
        printFigures(out, data);
    }
    return Priced;
}

} // namespace

int runQuoteTool(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prices a trip as the Brisklander main window does, with the settings and the database "
        "of a program folder, which it only reads unless --save keeps the quote in its "
        "register. Figures are given in plain form (8.5), whatever the language of the "
        "system.\n"
        "\n"
        "Examples:\n"
        "  brisklander-quote build/Brisklander KTEB KBOS KPHL --rate 8.5\n"
        "  brisklander-quote build/Brisklander KTEB EGLL --tax VAT --charge \"catering;;\" "
        "--charge \"Ferry;-150.5;2\" --segment-tax 4 --json\n"
        "  brisklander-quote build/Brisklander KTEB KBOS EGLL --aircraft \"Citation CJ3\" "
        "--basis HR --depart \"2026-06-12 18:00\" --positioning 1\n"
        "  brisklander-quote build/Brisklander --batch trips.csv --output figures.csv\n"
        "  brisklander-quote build/Brisklander KTEB KASE --customer \"Acme Air\" --save "
        "--pdf quote.pdf\n"
        "  brisklander-quote build/Brisklander --list --customer acme --status Sent "
        "--from 2026-01-01 --to 2026-03-31\n"
        "  brisklander-quote build/Brisklander --list --export-csv quotes.csv\n"
        "  brisklander-quote build/Brisklander --show 2026-0042 --text quote.txt\n"
        "  brisklander-quote - KTEB KBOS  (the folder the program would use)"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FOLDER"), DataFolder::toolFolderHelp());
    parser.addPositionalArgument(QStringLiteral("STOPS"),
                                 QStringLiteral("The airports of the route, in order."),
                                 QStringLiteral("STOP..."));
    parser.addOptions({
        {QStringLiteral("rate"), QStringLiteral("Charge per mile (else the settings')."),
         QStringLiteral("RATE")},
        {QStringLiteral("tax"), QStringLiteral("Tax type of the base charge."),
         QStringLiteral("TYPE")},
        {QStringLiteral("charge"),
         QStringLiteral("An additional charge; repeatable. An empty AMOUNT takes a catalogue "
                        "charge's amount."),
         QStringLiteral("DESCRIPTION;AMOUNT;NUMBER[;TAX TYPE]")},
        {QStringLiteral("segment-tax"),
         QStringLiteral("Passenger segment tax (segments: one a passenger leg unless given)."),
         QStringLiteral("PASSENGERS[,SEGMENTS]")},
        {QStringLiteral("positioning"),
         QStringLiteral("Legs flown empty (1 = the first leg): the base charge covers them, the "
                        "segment tax does not."),
         QStringLiteral("N[,N...]")},
        {QStringLiteral("departure"), QStringLiteral("Departure date."),
         QStringLiteral("yyyy-mm-dd")},
        {QStringLiteral("return"), QStringLiteral("Return date."), QStringLiteral("yyyy-mm-dd")},
        {QStringLiteral("remarks"), QStringLiteral("A line of remarks; at most two."),
         QStringLiteral("TEXT")},
        {QString(PrintFields::QuotedBy.key),
         QStringLiteral("Who made the quote (%1 characters).").arg(PrintFields::QuotedBy.length),
         QStringLiteral("NAME")},
        {QStringLiteral("no-company"), QStringLiteral("Leave out the company block.")},
        {QStringLiteral("text"), QStringLiteral("Write the quote text file."),
         QStringLiteral("FILE")},
        {QStringLiteral("pdf"),
         QStringLiteral("Write the printed quote as PDF, the route's map at its end."),
         QStringLiteral("FILE")},
        {QStringLiteral("no-map"), QStringLiteral("--pdf: leave the route's map out.")},
        {QStringLiteral("json"),
         QStringLiteral("Print the quote tab's fields, the legs and the charges as JSON.")},
        {QStringLiteral("batch"),
         QStringLiteral("Price one trip a line of a CSV file with the columns stops, rate, tax, "
                        "passengers."),
         QStringLiteral("TRIPS.csv")},
        {QStringLiteral("output"),
         QStringLiteral("Where --batch writes its figures (else "
                        "standard output)."),
         QStringLiteral("FIGURES.csv")},
        {QStringLiteral("save"),
         QStringLiteral("Keep the quote in the register: Sent when --text or --pdf writes it, "
                        "else a Draft. Prints its number.")},
        {QStringLiteral("list"),
         QStringLiteral("List the register, newest first; --customer narrows it to a "
                        "customer.")},
        {QStringLiteral("from"), QStringLiteral("--list: quotes made on or after the day."),
         QStringLiteral("yyyy-mm-dd")},
        {QStringLiteral("to"), QStringLiteral("--list: quotes made on or before the day."),
         QStringLiteral("yyyy-mm-dd")},
        {QStringLiteral("status"),
         QStringLiteral("--list: Draft, Sent, Accepted, Declined, Cancelled or Expired."),
         QStringLiteral("NAME")},
        {QStringLiteral("export-csv"), QStringLiteral("Write the list to a CSV file."),
         QStringLiteral("FILE")},
        {QStringLiteral("show"),
         QStringLiteral("Print a kept quote, or write its --text or --pdf as handed out."),
         QStringLiteral("NUMBER")},
        {QStringLiteral("distance-model"),
         QStringLiteral("Measure the legs on the sphere or on the WGS-84 ellipsoid (else the "
                        "settings')."),
         QStringLiteral("SPHERE|WGS84")},
    });
    parser.addOptions(AircraftOptions::options());
    for (const PrintField& field : PrintFields::Customer) {
        const QString caption = field.caption.isEmpty() ? QStringLiteral("Address line 2")
                                                        : QString(field.caption).chopped(1);
        parser.addOption({QString(field.key),
                          QStringLiteral("The customer's %1 (%2 characters).")
                              .arg(caption.toLower())
                              .arg(field.length),
                          QStringLiteral("TEXT")});
    }

    if (!parser.parse(QStringList{QStringLiteral("brisklander-quote")} + arguments)) {
        err << "brisklander-quote: " << parser.errorText() << '\n'
            << "Try 'brisklander-quote --help'.\n";
        return Usage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return Priced;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out << "brisklander-quote " << BRISKLANDER_VERSION << '\n';
        return Priced;
    }
    const QStringList positional = parser.positionalArguments();
    const bool batch = parser.isSet(QStringLiteral("batch"));
    const bool list =
        parser.isSet(QStringLiteral("list")) || parser.isSet(QStringLiteral("export-csv"));
    const bool show = parser.isSet(QStringLiteral("show"));
    const bool save = parser.isSet(QStringLiteral("save"));
    const bool folderOnly = batch || list || show;
    const char* refusal = nullptr;
    if (int(batch) + int(list) + int(show) > 1)
        refusal = "give one of --batch, --list and --show";
    else if (save && folderOnly)
        refusal = "--save keeps a quote priced from its stops, not --batch, --list or --show";
    else if (!list && (parser.isSet(QStringLiteral("from")) || parser.isSet(QStringLiteral("to")) ||
                       parser.isSet(QStringLiteral("status"))))
        refusal = "--from, --to and --status go with --list";
    else if (folderOnly && AircraftOptions::given(parser))
        refusal = "the aircraft, --basis and --depart go with a quote priced from its stops";
    else if (list && (parser.isSet(QStringLiteral("text")) || parser.isSet(QStringLiteral("pdf"))))
        refusal = "--text and --pdf go with a quote, not --list";
    else if (parser.isSet(QStringLiteral("no-map")) && !parser.isSet(QStringLiteral("pdf")))
        refusal = "--no-map goes with --pdf";
    else if (const QString model = parser.value(QStringLiteral("distance-model")).toUpper();
             parser.isSet(QStringLiteral("distance-model")) && model != u"SPHERE" &&
             model != u"WGS84")
        refusal = "--distance-model takes SPHERE or WGS84";
    else if (positional.isEmpty() || (folderOnly && positional.size() != 1) ||
             (!folderOnly && positional.size() < 3))
        refusal = folderOnly ? "give the program folder and no stops with --batch, --list or --show"
                             : "give the program folder and at least two airports";
    if (refusal) {
        err << "brisklander-quote: " << refusal << ".\n"
            << "Try 'brisklander-quote --help'.\n";
        return Usage;
    }

    QString folderError;
    const QString folderPath = DataFolder::toolFolder(positional.first(), &folderError);
    if (folderPath.isEmpty()) {
        err << "brisklander-quote: " << folderError << '\n';
        return FolderFailed;
    }
    QuoteRequest request;
    try {
        for (const QString& option : {QStringLiteral("text"), QStringLiteral("pdf"),
                                      QStringLiteral("output"), QStringLiteral("export-csv")}) {
            if (parser.isSet(option))
                refuseFolderFile(option, parser.value(option), folderPath);
        }
        if (!folderOnly)
            request = requestFrom(parser, positional.mid(1));
        if (list) {
            isoDateOption(parser, QStringLiteral("from"));
            isoDateOption(parser, QStringLiteral("to"));
            statusOption(parser.value(QStringLiteral("status")));
        }
    } catch (const UsageError& error) {
        err << "brisklander-quote: " << error.message << '\n';
        return Usage;
    }
    Folder folder;
    const auto nothingSaved = [&err, save] {
        if (save)
            err << "brisklander-quote: nothing was saved; the register is as it was.\n";
        return FolderFailed;
    };
    try {
        folder = openFolder(folderPath, save);
    } catch (const QuoteRequestError& error) {
        err << "brisklander-quote: " << error.message() << '\n';
        return nothingSaved();
    } catch (const Db::DbError& error) {
        failure(err, error);
        return nothingSaved();
    }
    // As the window does at start-up: a value the settings file holds but no one can be
    // sure of is never priced with silently.
    if (!folder.unreadableSettings.isEmpty())
        err << "brisklander-quote: warning: "
            << QString(unreadableSettingsText(QDir::toNativeSeparators(folder.settingsPath),
                                              folder.unreadableSettings))
                   .replace(u'\r', u'\n')
            << '\n';
    if (parser.isSet(QStringLiteral("distance-model")))
        folder.settings.DISTANCEMODEL =
            parser.value(QStringLiteral("distance-model")).toUpper() == u"WGS84"
                ? DistanceModel::Wgs84
                : DistanceModel::Sphere;
    if (batch)
        return runBatch(folder, parser.value(QStringLiteral("batch")),
                        parser.value(QStringLiteral("output")), out, err);
    try {
        if (list)
            return runList(folder, parser, out, err);
        if (show)
            return runShow(folder, parser, out, err);
    } catch (const NumberedError& error) {
        return failure(err, error);
    }

    try {
        if (AircraftOptions::given(parser))
            AircraftOptions::read(
                parser, AircraftCatalog::read(*folder.workspace->openDatabase(folder.databasePath)),
                request);
    } catch (const AircraftOptions::Refusal& refused) {
        err << "brisklander-quote: " << refused.message << '\n';
        return Usage;
    } catch (const NumberedError& error) {
        failure(err, error);
        return nothingSaved();
    }

    try {
        QStringList notes;
        QuoteData data =
            priceRequest(*folder.workspace, folder.databasePath, request, folder.settings,
                         currencySymbol(), QDate::currentDate(), &notes);
        for (const QString& note : notes)
            err << "note: " << note << '\n';
        std::optional<KeptQuote> kept;
        if (save) {
            KeptQuote quote;
            quote.created = QDateTime::currentDateTime();
            quote.createdBy = userName();
            quote.request = request;
            quote.data = data;
            quote.quoteBasis = request.basis.value_or(folder.settings.QUOTEBASE);
            quote.minimumCharge = folder.settings.MINBASECHARGE;
            // A quote handed out is Sent, and kept in the same step as its documents are
            // written under its number: a document not written leaves nothing kept. One
            // that only goes to the screen stays a Draft.
            const bool handedOut =
                parser.isSet(QStringLiteral("text")) || parser.isSet(QStringLiteral("pdf"));
            kept = QuoteRegister(*folder.workspace, folder.databasePath)
                       .keep(quote, folder.settings.VALIDITYDAYS,
                             handedOut ? QuoteStatus::Sent : QuoteStatus::Draft,
                             [&parser](const KeptQuote& fresh) {
                                 writeDocuments(parser, fresh.numbered(fresh.data));
                             });
            err << "saved " << kept->number << '\n';
            data = kept->numbered(kept->data);
        } else {
            writeDocuments(parser, data);
        }
        if (parser.isSet(QStringLiteral("json")))
            out << QJsonDocument(kept ? jsonOf(*kept) : jsonOf(data))
                       .toJson(QJsonDocument::Indented);
        else if (!parser.isSet(QStringLiteral("text")) && !parser.isSet(QStringLiteral("pdf")))
            printFigures(out, data);
        return Priced;
    } catch (const QuoteRuleError& error) {
        err << "brisklander-quote: " << error.message() << '\n';
        return nothingSaved();
    } catch (const QuoteRequestError& error) {
        // What the quote refuses at pricing is a charge the grid cannot hold, or a figure
        // that comes to more than its field shows.
        const bool charge = error.kind() == QuoteRequestError::Kind::Refused;
        err << "brisklander-quote: " << (charge ? "--charge: " : "") << error.message() << '\n';
        return error.refused() ? Usage : NotPriced;
    } catch (const NumberedError& error) {
        failure(err, error);
        return nothingSaved();
    }
}
