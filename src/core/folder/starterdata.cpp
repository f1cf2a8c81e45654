#include "core/folder/starterdata.h"

#include "core/airports/airportrecord.h"
#include "core/csv.h"
#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/databasefiles.h"
#include "core/folder/durablefile.h"
#include "core/folder/ourairportsimport.h"
#include "core/format.h"
#include "core/quote/aircraftcatalog.h"
#include "core/settings/appsettings.h"
#include "core/settings/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace StarterData {

namespace {

struct Charge
{
    const char* description;
    double amount;
};

struct Tax
{
    const char* type;
    double percent;
};

const Charge SampleCharges[] = {
    {"LANDING FEE", 150.0}, {"CATERING", 85.5}, {"OVERNIGHT CREW", 350.0},
    {"DE-ICING", 600.0},    {"HANGAR", 275.0},  {"REPEAT CUSTOMER DISCOUNT", -200.0},
};

const Tax SampleTaxes[] = {
    {"FET", 7.5},
    {"SALES TAX", 6.25},
    {"VAT", 20.0},
    {"GST", 5.0},
};

// Examples for a new folder, a turboprop and two jets with figures of their kind; the
// operator puts in the aircraft it flies.
QList<AircraftProfile> sampleAircraft()
{
    AircraftProfile turboprop{QStringLiteral("King Air 350"), 300, 0, 5, 12, 10, 2450.0, 1500, 60};
    AircraftProfile light{QStringLiteral("Citation CJ3"), 415, 0, 5, 15, 10, 3600.0, 1800, 60};
    AircraftProfile midsize{QStringLiteral("Learjet 60"), 460, 0, 5, 15, 12, 4800.0, 2300, 60};
    return {turboprop, light, midsize};
}

QString cut(const QString& text, int size)
{
    return text.trimmed().toUpper().left(size);
}

// One line of the demonstration file: ident, name, region, country, latitude,
// longitude (decimal degrees, north and east positive), elevation, runway length
// and width in feet, lighted (0/1), standard offset from UTC in hours, IANA zone name,
// IATA code, city.
AirportRecord airportFromLine(const QStringList& f)
{
    AirportRecord record;
    record.ID = f[0].trimmed().toUpper();
    record.NAME = cut(f[1], 50);
    record.STATE = cut(f[2], 3);
    record.COUNTRY = cut(f[3], 25);
    record.Latitude = latitudeFromDecimal(f[4].toDouble());
    record.Longitude = longitudeFromDecimal(f[5].toDouble());
    record.ELEVATION = f[6].toInt();
    record.RUNWAY_LENGTH = f[7].toInt();
    if (!f[8].trimmed().isEmpty())
        record.RUNWAY_WIDTH = qint16(f[8].toInt());
    record.LIGHTING = f[9].trimmed() == QLatin1String("1") ? QString() : QStringLiteral("NO LIGHT");
    bool ok = false;
    const float zone = f[10].toFloat(&ok);
    if (ok)
        record.TIME_ZONE = zone;
    record.TIME_ZONE_NAME = f.value(11).trimmed();
    record.IATA = cut(f.value(12), 3);
    record.CITY = cut(f.value(13), 40);
    record.PUB_MIL = QStringLiteral("P");
    return record;
}

// The error number of a write the system refused for `reason`.
int writeErrorNumber(const QString& reason)
{
    const auto says = [&reason](int code) {
        return reason.contains(QString::fromLocal8Bit(std::strerror(code)));
    };
    if (says(ENOSPC) || says(EDQUOT))
        return Db::Error::DiskFull;
    if (says(EACCES) || says(EPERM) || says(EROFS))
        return Db::Error::ReadOnly;
    return Db::Error::DiskError;
}

} // namespace

void seedDatabase(const QString& databasePath, const QString& workgroupPath,
                  const QString& airportsFolder)
{
    QFile file(QStringLiteral(":/data/demo-airports.csv"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Db::DbError(Db::Error::FileNotFound,
                          QStringLiteral("The demonstration airports are missing."));
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    in.readLine(); // column names

    Db::DbEngine& engine = Db::DbEngine::instance();
    engine.setSystemDB(workgroupPath);
    auto workspace =
        engine.createWorkspace(QStringLiteral("Seed"), Schema::UserName, Schema::Password);
    auto database = workspace->openDatabase(databasePath);
    Db::Transaction transaction(*workspace);
    try {
        auto airports = database->openRecordset(QStringLiteral("Airports"));
        QStringList fields;
        while (airportsFolder.isEmpty() && !in.atEnd()) {
            const QString line = in.readLine();
            if (line.trimmed().isEmpty())
                continue;
            if (!Csv::splitLine(line, fields) || fields.size() < 11)
                throw Db::DbError(Db::Error::TypeMismatch,
                                  QStringLiteral("Malformed demonstration airport: %1").arg(line));
            airports->addNew();
            writeAirportRecord(*airports, airportFromLine(fields));
            airports->update();
        }
        auto charges = database->openRecordset(QStringLiteral("AdditionalCharges"));
        for (const Charge& charge : SampleCharges) {
            charges->addNew();
            charges->setValue(QStringLiteral("ChargeDescription"),
                              QString::fromLatin1(charge.description));
            charges->setValue(QStringLiteral("ChargeAmount"), charge.amount);
            charges->update();
        }
        auto taxes = database->openRecordset(QStringLiteral("Taxes"));
        for (const Tax& tax : SampleTaxes) {
            taxes->addNew();
            taxes->setValue(QStringLiteral("Tax Type"), QString::fromLatin1(tax.type));
            taxes->setValue(QStringLiteral("Tax %"), tax.percent);
            taxes->update();
        }
        transaction.commit();
        AircraftCatalog::add(*workspace, *database, sampleAircraft());
    } catch (...) {
        workspace->close();
        throw;
    }
    if (!airportsFolder.isEmpty()) {
        OurAirports::import(*workspace, databasePath,
                            OurAirports::Options::inFolder(airportsFolder));
    }
    workspace->close();
}

void writeDefaultSettings(const QString& settingsPath)
{
    IniFile file(settingsPath);
    QString error;
    if (!file.load(&error))
        throw Db::DbError(Db::Error::CannotOpen,
                          QStringLiteral("Could not read '%1': %2.")
                              .arg(QDir::toNativeSeparators(settingsPath), error));
    const QString s = QStringLiteral("SETTINGS");
    file.setValue(s, QStringLiteral("QUOTEBASE"), QStringLiteral("NM"));
    file.setValue(s, QStringLiteral("MINRUNWAYLENGTH"), SettingsText::integer(3000));
    file.setValue(s, QStringLiteral("SORTORDER"), QStringLiteral("[ID]"));
    file.setValue(s, QStringLiteral("SEARCHMODE"), QStringLiteral("ANYTHING"));
    file.setValue(s, QStringLiteral("DEFAULTCHARGENM"), SettingsText::number(8.5));
    file.setValue(s, QStringLiteral("DEFAULTCHARGESM"), SettingsText::number(7.39));
    file.setValue(s, QStringLiteral("MINBASECHARGE"), SettingsText::number(1500));
    file.setValue(s, QStringLiteral("DEFAULTAIRPORT"), QStringLiteral("KTEB"));
    file.setValue(s, QStringLiteral("SEGMENTTAX"), SettingsText::number(5.3));
    file.setValue(s, QStringLiteral("ROUNDMILES"), SettingsText::flag(false));
    file.setValue(s, QStringLiteral("FIRSTSTART"), SettingsText::flag(true));
    const QString c = QStringLiteral("COMPANY");
    for (const CompanyField& field : CompanyFields::All)
        file.setValue(c, QString(field.key), QString());
    if (!file.save(&error))
        throw Db::DbError(writeErrorNumber(error),
                          QStringLiteral("Could not write '%1': %2.")
                              .arg(QDir::toNativeSeparators(settingsPath), error));
}

namespace {

// The files of the folder that this run made, removed again when a later step fails:
// a folder is completed wholly or left as it was.
class MadeFiles
{
public:
    explicit MadeFiles(Result& result, const QDir& dir) : m_result(result), m_dir(dir) {}
    ~MadeFiles()
    {
        if (m_kept)
            return;
        for (const QString& name : std::as_const(m_result.created))
            QFile::remove(m_dir.filePath(name));
        for (const QString& path : std::as_const(m_temporaries))
            QFile::remove(path);
        DurableFile::sync(m_dir.absolutePath());
    }
    MadeFiles(const MadeFiles&) = delete;
    MadeFiles& operator=(const MadeFiles&) = delete;

    void temporary(const QString& path) { m_temporaries << path; }
    void keep() { m_kept = true; }

private:
    Result& m_result;
    QDir m_dir;
    QStringList m_temporaries;
    bool m_kept = false;
};

// Writes a copy of `from` to the new file `to`, every write, the flush to the disk
// and the close checked; a file left at the name by a copy that was cut off goes first.
// The file is made afresh (never through a link left at its name).
void writeCopy(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        throw Db::DbError(Db::Error::FileNotFound,
                          QStringLiteral("Could not read '%1': %2.")
                              .arg(QDir::toNativeSeparators(from), source.errorString()));
    const QByteArray path = QFile::encodeName(to);
    ::unlink(path.constData());
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    int failure = fd < 0 ? errno : 0;
    char block[65536];
    while (failure == 0) {
        const qint64 read = source.read(block, sizeof block);
        if (read < 0) {
            ::close(fd);
            throw Db::DbError(Db::Error::DiskError,
                              QStringLiteral("Could not read '%1': %2.")
                                  .arg(QDir::toNativeSeparators(from), source.errorString()));
        }
        if (read == 0)
            break;
        for (qint64 written = 0; failure == 0 && written < read;) {
            const ssize_t step = ::write(fd, block + written, size_t(read - written));
            if (step < 0 && errno != EINTR)
                failure = errno;
            else if (step > 0)
                written += step;
        }
    }
    if (failure == 0 && ::fsync(fd) != 0)
        failure = errno;
    if (fd >= 0 && ::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure != 0) {
        const QString error = QString::fromLocal8Bit(std::strerror(failure));
        throw Db::DbError(
            writeErrorNumber(error),
            QStringLiteral("Could not write '%1': %2.").arg(QDir::toNativeSeparators(to), error));
    }
}

// Gives the complete file `from` the name `to`, never over a file that is there.
void takeName(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from), target = QFile::encodeName(to);
    int failed =
        ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
    if (failed != 0 && errno == EINVAL) { // a file system without the flag
        failed = ::link(source.constData(), target.constData());
        if (failed == 0)
            ::unlink(source.constData());
    }
    if (failed != 0) {
        const QString error = QString::fromLocal8Bit(std::strerror(errno));
        throw Db::DbError(
            writeErrorNumber(error),
            QStringLiteral("Could not write '%1': %2.").arg(QDir::toNativeSeparators(to), error));
    }
}

bool sameBytes(const QString& first, const QString& second)
{
    QFile a(first), b(second);
    return a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.size() == b.size() &&
           a.readAll() == b.readAll();
}

// The template's files that the folder lacks, copied in: the workgroup file and the
// database only together, as a database opens only with the workgroup file that made
// it. The copies are written under ".new" names and take their names once all of them
// are complete, so a failure or a crash never leaves a partial file under a real name.
void copyFromTemplate(const QDir& dir, const QString& settings, const QString& templateFolder,
                      Result& result, MadeFiles& made)
{
    const QDir from(templateFolder);
    const QString workgroup = dir.filePath(Schema::WorkgroupFileName);
    const QString database = dir.filePath(Schema::DatabaseFileName);
    const bool hasWorkgroup = QFileInfo::exists(workgroup);
    const bool hasDatabase = QFileInfo::exists(database);
    QList<std::pair<QString, QString>> copies; // template file, file of the folder
    if (!hasWorkgroup && !hasDatabase) {
        copies << std::pair(from.filePath(Schema::WorkgroupFileName), workgroup)
               << std::pair(from.filePath(Schema::DatabaseFileName), database);
    } else if (hasWorkgroup && !hasDatabase &&
               sameBytes(workgroup, from.filePath(Schema::WorkgroupFileName))) {
        // The template's own workgroup file, left alone by a copy cut off before the
        // database took its name: the template's database opens with it.
        copies << std::pair(from.filePath(Schema::DatabaseFileName), database);
    } else if (hasWorkgroup != hasDatabase) {
        throw Db::DbError(
            hasDatabase ? Db::Error::WorkgroupMissing : Db::Error::FileNotFound,
            QStringLiteral("'%1' holds %2 without %3. A database opens only with the workgroup "
                           "file that made it, so neither is copied from the template: put "
                           "the missing file back, or move %2 away to start afresh. Nothing "
                           "was copied.")
                .arg(QDir::toNativeSeparators(dir.absolutePath()),
                     hasDatabase ? Schema::DatabaseFileName : Schema::WorkgroupFileName,
                     hasDatabase ? Schema::WorkgroupFileName : Schema::DatabaseFileName));
    }
    if (!QFileInfo::exists(settings))
        copies << std::pair(from.filePath(QStringLiteral("Brisklander.INI")), settings);
    for (const auto& [source, target] : std::as_const(copies)) {
        if (!QFileInfo(source).isFile())
            throw Db::DbError(Db::Error::FileNotFound,
                              QStringLiteral("The template folder '%1' has no %2; nothing was "
                                             "copied.")
                                  .arg(QDir::toNativeSeparators(from.absolutePath()),
                                       QFileInfo(source).fileName()));
    }
    for (const auto& [source, target] : std::as_const(copies)) {
        const QString partial = target + QStringLiteral(".new");
        made.temporary(partial);
        writeCopy(source, partial);
    }
    for (const auto& [source, target] : std::as_const(copies)) {
        takeName(target + QStringLiteral(".new"), target);
        result.created << QFileInfo(target).fileName();
    }
    DurableFile::sync(dir.absolutePath());
}

} // namespace

void makeFolder(const QString& folder)
{
    std::error_code error;
    std::filesystem::create_directories(
        std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
    if (error)
        throw Db::DbError(writeErrorNumber(QString::fromStdString(error.message())),
                          QStringLiteral("The folder '%1' could not be made: %2.")
                              .arg(QDir::toNativeSeparators(folder),
                                   QString::fromLocal8Bit(error.message().c_str())));
}

Result createProgramFolder(const QString& folder, const QString& executableName,
                           const QString& airportsFolder, const QString& templateFolder)
{
    Result result;
    makeFolder(folder);
    const QDir dir(folder);
    const QString workgroup = dir.filePath(Schema::WorkgroupFileName);
    const QString database = dir.filePath(Schema::DatabaseFileName);
    const QString settings = dir.filePath(executableName + QStringLiteral(".INI"));
    const QString previous = dir.filePath(Schema::PreviousDatabaseFileName);

    // An interrupted exit is put right first, so that no new database is ever made
    // beside the operator's ".old".
    bool inUse = false;
    result.recovered = RecoverProgramFolder(folder, &inUse);
    if (inUse)
        result.warnings << QStringLiteral("a copy of the program is using this folder; nothing "
                                          "was recovered");
    if (!QFileInfo::exists(database) && QFileInfo::exists(previous))
        throw Db::DbError(Db::Error::DatabaseExists,
                          QStringLiteral("%1 holds the previous database and could not be given "
                                         "back its name %2; no new database was made. Rename "
                                         "it to %2 by hand.")
                              .arg(QDir::toNativeSeparators(previous), Schema::DatabaseFileName));

    MadeFiles made(result, dir);
    if (!templateFolder.isEmpty()) {
        copyFromTemplate(dir, settings, templateFolder, result, made);
    } else {
        if (QFileInfo::exists(workgroup)) {
        } else if (QFileInfo::exists(database)) {
            // A new workgroup could never open the existing database: leave both alone.
            result.warnings << QStringLiteral("%1 has no %2 beside it; a new workgroup file "
                                              "could not open it, so none was made.")
                                   .arg(Schema::DatabaseFileName, Schema::WorkgroupFileName);
        } else {
            Db::DbEngine::createWorkgroupFile(workgroup, Schema::UserName, Schema::Password);
            result.created << Schema::WorkgroupFileName;
        }
        if (!QFileInfo::exists(database) && QFileInfo::exists(workgroup)) {
            // Built under another name and renamed when complete, so a failure never
            // leaves a half-filled database behind.
            const QString partial = database + QStringLiteral(".new");
            QFile::remove(partial);
            try {
                Db::DbEngine& engine = Db::DbEngine::instance();
                engine.setSystemDB(workgroup);
                auto workspace = engine.createWorkspace(QStringLiteral("Create"), Schema::UserName,
                                                        Schema::Password);
                Schema::createDatabase(*workspace, partial);
                workspace->close();
                seedDatabase(partial, workgroup, airportsFolder);
                Db::DbEngine::settleDatabaseFile(partial);
                Db::DbEngine::instance().release();
            } catch (...) {
                Db::DbEngine::instance().release();
                QFile::remove(partial);
                QFile::remove(partial + QStringLiteral("-wal"));
                QFile::remove(partial + QStringLiteral("-shm"));
                throw;
            }
            made.temporary(partial);
            takeName(partial, database);
            result.created << Schema::DatabaseFileName;
        }
        if (!QFileInfo::exists(settings)) {
            writeDefaultSettings(settings);
            result.created << QFileInfo(settings).fileName();
        }
    }
    for (const QString& path : {workgroup, database, settings}) {
        const QString name = QFileInfo(path).fileName();
        if (!result.created.contains(name) && QFileInfo::exists(path))
            result.kept << name;
    }
    made.keep();
    return result;
}

} // namespace StarterData
