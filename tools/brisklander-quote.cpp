// brisklander-quote: the quote of the main window from the command line.
//
//   brisklander-quote FOLDER STOP STOP... [options]
//       prices the route through the stops with the settings and the database of
//       the program folder FOLDER, which it only reads (it may run while the
//       program is open), and prints every figure of the quote tab.
//   brisklander-quote FOLDER --batch TRIPS.csv [--output FIGURES.csv]
//       prices one trip a line.
//
// Exit status 0 when every quote was priced, 1 when the folder cannot be used, 2 for
// a malformed command line, 3 when a quote cannot be priced (an unknown airport or
// tax type, a figure that does not read), and in a batch when any line failed.

#include "core/appsettings.h"
#include "core/engine.h"
#include "core/format.h"
#include "core/schema.h"
#include "document/pdfjob.h"
#include "document/quotetextfile.h"
#include "quote/quoterequest.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int Priced = 0;
constexpr int FolderFailed = 1;
constexpr int Usage = 2;
constexpr int NotPriced = 3;

// A command line that cannot be used: the message and exit status 2.
struct UsageError
{
    QString message;
};

// The program folder, opened for reading only.
struct Folder
{
    QString databasePath;
    std::shared_ptr<Db::Workspace> workspace;
};

// The print dialog's fields and how much each takes.
struct CustomerField
{
    const char* option;
    const char* description;
    int limit;
    QString QuoteData::Customer::*field;
};

const CustomerField CustomerFields[] = {
    {"customer", "The customer's name.", 32, &QuoteData::Customer::Name},
    {"customer-address1", "The customer's address, first line.", 32,
     &QuoteData::Customer::Address1},
    {"customer-address2", "The customer's address, second line.", 32,
     &QuoteData::Customer::Address2},
    {"customer-city", "The customer's city.", 25, &QuoteData::Customer::City},
    {"customer-state", "The customer's state.", 2, &QuoteData::Customer::State},
    {"customer-zip", "The customer's zip code.", 8, &QuoteData::Customer::Zip},
    {"customer-country", "The customer's country.", 30, &QuoteData::Customer::Country},
    {"customer-phone", "The customer's phone.", 15, &QuoteData::Customer::Phone},
    {"customer-fax", "The customer's fax.", 15, &QuoteData::Customer::Fax},
    {"customer-email", "The customer's e-mail address.", 32, &QuoteData::Customer::Email},
};
constexpr int RemarksLine = 80;
constexpr int QuotedByLimit = 25;

Folder openFolder(const QString& path)
{
    const QDir dir(path);
    if (!dir.exists())
        throw QuoteRequestError(QStringLiteral("No program folder '%1'.").arg(path));
    const QString settings = dir.filePath(QStringLiteral("Brisklander.INI"));
    if (!QFileInfo::exists(settings))
        throw QuoteRequestError(
            QStringLiteral("No settings file '%1'.").arg(QDir::toNativeSeparators(settings)));
    const QString database = dir.filePath(Schema::DatabaseFileName);
    // The program closing compacts the database through "Brisklander.old": no figure
    // is read from a folder in that state.
    if (QFileInfo::exists(dir.filePath(QStringLiteral("Brisklander.old"))) ||
        !QFileInfo::exists(database))
        throw QuoteRequestError(
            QStringLiteral(
                "The database of '%1' is being compacted (the program is closing) or was left so "
                "by a crash; start the program once, or try again in a moment.")
                .arg(QDir::toNativeSeparators(path)));
    appSettings() = readSettings(settings);
    Db::DbEngine& engine = Db::DbEngine::instance();
    engine.setSystemDB(dir.filePath(Schema::WorkgroupFileName));
    Folder folder;
    folder.databasePath = database;
    folder.workspace =
        engine.createWorkspace(QStringLiteral("Quote"), Schema::UserName, Schema::Password);
    folder.workspace->openDatabaseReadOnly(database);
    return folder;
}

// An engine, file or printer failure: its number and description, exit status 1.
template <typename Error> int failure(QTextStream& err, const Error& error)
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

QuoteRequest::Charge chargeOption(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(';'));
    if (parts.size() < 3 || parts.size() > 4)
        throw UsageError{
            QStringLiteral("--charge '%1': give DESCRIPTION;AMOUNT;NUMBER[;TAX TYPE].").arg(text)};
    return QuoteRequest::Charge{parts.at(0).trimmed(), parts.at(1).trimmed(), parts.at(2).trimmed(),
                                parts.value(3).trimmed()};
}

void segmentTaxOption(const QString& text, QuoteRequest& request)
{
    const QStringList parts = text.split(QLatin1Char(','));
    bool passengersRead = false;
    bool segmentsRead = true;
    const int passengers = parts.at(0).trimmed().toInt(&passengersRead);
    const int segments = parts.size() > 1 ? parts.at(1).trimmed().toInt(&segmentsRead) : 0;
    if (parts.size() > 2 || !passengersRead || !segmentsRead)
        throw UsageError{
            QStringLiteral("--segment-tax '%1': give PASSENGERS[,SEGMENTS].").arg(text)};
    request.passengers = passengers;
    if (parts.size() > 1)
        request.segments = segments;
}

// The stops of a trip written in one field: "KTEB KBOS", "KTEB-KBOS-KPHL".
QStringList stopsOf(const QString& text)
{
    return text.split(QRegularExpression(QStringLiteral("[\\s\\-]+")), Qt::SkipEmptyParts);
}

QuoteRequest requestFrom(const QCommandLineParser& parser, const QStringList& stops)
{
    QuoteRequest request;
    request.stops = stops;
    request.rate = parser.value(QStringLiteral("rate"));
    request.tax = parser.value(QStringLiteral("tax"));
    for (const QString& charge : parser.values(QStringLiteral("charge")))
        request.charges << chargeOption(charge);
    if (parser.isSet(QStringLiteral("segment-tax")))
        segmentTaxOption(parser.value(QStringLiteral("segment-tax")), request);
    for (const CustomerField& field : CustomerFields) {
        const QString value = parser.value(QString::fromLatin1(field.option));
        if (value.size() > field.limit)
            throw UsageError{QStringLiteral("--%1 takes at most %2 characters.")
                                 .arg(QString::fromLatin1(field.option))
                                 .arg(field.limit)};
        request.customer.*field.field = value;
    }
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
        if (line.size() > RemarksLine)
            throw UsageError{QStringLiteral("A line of --remarks takes at most %1 characters.")
                                 .arg(RemarksLine)};
    }
    request.remarks = remarks.join(QStringLiteral("\r\n"));
    request.quotedBy = parser.value(QStringLiteral("quoted-by"));
    if (request.quotedBy.size() > QuotedByLimit)
        throw UsageError{
            QStringLiteral("--quoted-by takes at most %1 characters.").arg(QuotedByLimit)};
    request.printCompany = !parser.isSet(QStringLiteral("no-company"));
    return request;
}

QJsonObject jsonOf(const QuoteData& data)
{
    QJsonObject fields;
    for (const auto& [name, text] : quoteTabFields(data))
        fields.insert(name, text);
    QJsonArray legs;
    for (const QuoteData::RouteRow& row : data.route)
        legs.append(QJsonObject{{QStringLiteral("ID"), row.id},
                                {QStringLiteral("NAME"), row.name},
                                {QStringLiteral("DistanceNM"), row.distanceNM},
                                {QStringLiteral("DistanceSM"), row.distanceSM}});
    QJsonArray charges;
    for (const QuoteData::ChargeRow& row : data.charges) {
        if (row.isBlank())
            continue;
        charges.append(QJsonObject{{QStringLiteral("Charge"), row.charge},
                                   {QStringLiteral("Amount"), row.amount},
                                   {QStringLiteral("Number"), row.number},
                                   {QStringLiteral("Total"), row.total},
                                   {QStringLiteral("Tax"), row.tax},
                                   {QStringLiteral("TaxAmount"), row.taxAmount}});
    }
    return QJsonObject{{QStringLiteral("fields"), fields},
                       {QStringLiteral("legs"), legs},
                       {QStringLiteral("charges"), charges}};
}

void printFigures(QTextStream& out, const QuoteData& data)
{
    for (const QuoteData::RouteRow& row : data.route)
        out << QStringLiteral("%1  %2  %3  %4\n")
                   .arg(row.id, -5)
                   .arg(row.name, -50)
                   .arg(row.distanceNM, 9)
                   .arg(row.distanceSM, 9);
    for (const QuoteData::ChargeRow& row : data.charges) {
        if (!row.isBlank())
            out << QStringLiteral("charge: %1  %2 x %3 = %4  %5 %6")
                       .arg(row.charge, row.amount, row.number, row.total, row.tax, row.taxAmount)
                       .trimmed()
                << '\n';
    }
    for (const auto& [name, text] : quoteTabFields(data))
        out << name << ": " << text << '\n';
}

// The batch file: a header line naming the columns "stops" (required), "rate",
// "tax" and "passengers"; one trip a line after it.
int runBatch(const Folder& folder, const QString& path, const QString& outputPath, QTextStream& err)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        err << "brisklander-quote: cannot read '" << path << "': " << in.errorString() << '\n';
        return FolderFailed;
    }
    const QStringList lines = QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'));
    QList<QStringList> rows;
    for (const QString& line : lines) {
        QString text = line;
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        rows << text.split(QLatin1Char(','));
    }
    if (rows.isEmpty() || !rows.first().contains(QStringLiteral("stops"))) {
        err << "brisklander-quote: '" << path << "' has no header line with a column \"stops\"\n";
        return Usage;
    }
    const QStringList header = rows.first();
    const auto column = [&header](const QStringList& row, const char* name) {
        const qsizetype index = header.indexOf(QString::fromLatin1(name));
        return index < 0 ? QString() : row.value(index).trimmed();
    };

    QByteArray output;
    QStringList outHeader{QStringLiteral("line"), QStringLiteral("stops")};
    const QuoteData empty;
    for (const auto& [name, text] : quoteTabFields(empty))
        outHeader << name;
    const auto csvField = [](const QString& text) {
        QString quoted = text;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return u'"' + quoted + u'"';
    };
    QStringList outLine;
    for (const QString& name : outHeader)
        outLine << csvField(name);
    output += outLine.join(QLatin1Char(',')).toUtf8() + "\r\n";

    const bool terminal = isatty(fileno(stderr));
    int failed = 0;
    const int total = int(std::count_if(rows.cbegin() + 1, rows.cend(), [](const QStringList& row) {
        return !row.join(QString()).trimmed().isEmpty();
    }));
    for (int i = 1; i < rows.size(); ++i) {
        const QStringList& row = rows.at(i);
        if (row.join(QString()).trimmed().isEmpty())
            continue;
        if (terminal) {
            err << "\rpricing " << i << " of " << total;
            err.flush();
        }
        QuoteRequest request;
        request.stops = stopsOf(column(row, "stops"));
        request.rate = column(row, "rate");
        request.tax = column(row, "tax");
        const QString passengers = column(row, "passengers");
        try {
            if (!passengers.isEmpty()) {
                bool read = false;
                request.passengers = passengers.toInt(&read);
                if (!read)
                    throw QuoteRequestError(
                        QStringLiteral("Passengers '%1' is not a number.").arg(passengers));
            }
            const QuoteData data = priceRequest(*folder.workspace, folder.databasePath, request,
                                                currencySymbol(), QDate::currentDate());
            outLine = {QString::number(i + 1), csvField(request.stops.join(QLatin1Char(' ')))};
            for (const auto& [name, text] : quoteTabFields(data))
                outLine << csvField(text);
            output += outLine.join(QLatin1Char(',')).toUtf8() + "\r\n";
        } catch (const QuoteRequestError& error) {
            ++failed;
            if (terminal)
                err << '\n';
            err << path << ':' << i + 1 << ": " << error.message() << '\n';
        }
    }
    if (terminal)
        err << '\n';
    if (outputPath.isEmpty()) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(output) != output.size())
            return FolderFailed;
    } else {
        QFile out(outputPath);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(output) != output.size() || !out.flush()) {
            err << "brisklander-quote: cannot write '" << outputPath << "': " << out.errorString()
                << '\n';
            return FolderFailed;
        }
    }
    if (failed > 0)
        err << "brisklander-quote: " << failed << " of " << total << " trips not priced\n";
    return failed > 0 ? NotPriced : Priced;
}

} // namespace

int main(int argc, char** argv)
{
    // The PDF writer needs the fonts of a Gui application (no window is ever shown);
    // everything else runs on Qt Core alone.
    bool pdf = false;
    for (int i = 1; i < argc; ++i)
        pdf = pdf || QByteArray(argv[i]).startsWith("--pdf");
    if (pdf && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(pdf ? new QGuiApplication(argc, argv)
                                              : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("brisklander-quote"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRISKLANDER_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prices a trip as the Brisklander main window does, with the settings and the database "
        "of a program folder, which it only reads."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("The program folder."));
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
         QStringLiteral("Passenger segment tax (segments: one a leg unless given)."),
         QStringLiteral("PASSENGERS[,SEGMENTS]")},
        {QStringLiteral("departure"), QStringLiteral("Departure date."),
         QStringLiteral("yyyy-mm-dd")},
        {QStringLiteral("return"), QStringLiteral("Return date."), QStringLiteral("yyyy-mm-dd")},
        {QStringLiteral("remarks"), QStringLiteral("A line of remarks; at most two."),
         QStringLiteral("TEXT")},
        {QStringLiteral("quoted-by"), QStringLiteral("Who made the quote."),
         QStringLiteral("NAME")},
        {QStringLiteral("no-company"), QStringLiteral("Leave out the company block.")},
        {QStringLiteral("text"), QStringLiteral("Write the quote text file."),
         QStringLiteral("FILE")},
        {QStringLiteral("pdf"), QStringLiteral("Write the printed quote as PDF."),
         QStringLiteral("FILE")},
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
    });
    for (const CustomerField& field : CustomerFields)
        parser.addOption({QString::fromLatin1(field.option), QString::fromLatin1(field.description),
                          QStringLiteral("TEXT")});

    if (!parser.parse(QCoreApplication::arguments())) {
        err << "brisklander-quote: " << parser.errorText() << '\n'
            << "Try 'brisklander-quote --help'.\n";
        return Usage;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Priced);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    const QStringList positional = parser.positionalArguments();
    const bool batch = parser.isSet(QStringLiteral("batch"));
    if (positional.isEmpty() || (batch && positional.size() != 1) ||
        (!batch && positional.size() < 3)) {
        err << "brisklander-quote: give the program folder and "
            << (batch ? "no stops with --batch" : "at least two airports") << ".\n"
            << "Try 'brisklander-quote --help'.\n";
        return Usage;
    }

    Folder folder;
    try {
        folder = openFolder(positional.first());
    } catch (const QuoteRequestError& error) {
        err << "brisklander-quote: " << error.message() << '\n';
        return FolderFailed;
    } catch (const Db::DbError& error) {
        return failure(err, error);
    }
    if (batch)
        return runBatch(folder, parser.value(QStringLiteral("batch")),
                        parser.value(QStringLiteral("output")), err);

    try {
        QStringList notes;
        const QuoteData data = priceRequest(*folder.workspace, folder.databasePath,
                                            requestFrom(parser, positional.mid(1)),
                                            currencySymbol(), QDate::currentDate(), &notes);
        for (const QString& note : notes)
            err << "note: " << note << '\n';
        if (parser.isSet(QStringLiteral("text")))
            PrintJob::writeTextFile(parser.value(QStringLiteral("text")), data);
        if (parser.isSet(QStringLiteral("pdf")))
            PrintJob::writePdf(parser.value(QStringLiteral("pdf")), data);
        if (parser.isSet(QStringLiteral("json")))
            out << QJsonDocument(jsonOf(data)).toJson(QJsonDocument::Indented);
        else if (!parser.isSet(QStringLiteral("text")) && !parser.isSet(QStringLiteral("pdf")))
            printFigures(out, data);
        return Priced;
    } catch (const UsageError& error) {
        err << "brisklander-quote: " << error.message << '\n';
        return Usage;
    } catch (const QuoteRequestError& error) {
        err << "brisklander-quote: " << error.message() << '\n';
        return NotPriced;
    } catch (const PrintJob::PrintError& error) {
        return failure(err, error);
    } catch (const Db::DbError& error) {
        return failure(err, error);
    }
}
