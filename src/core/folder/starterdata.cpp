#include "core/folder/starterdata.h"

#include "core/airports/airportrecord.h"
#include "core/csv.h"
#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/databasefiles.h"
#include "core/folder/ourairportsimport.h"
#include "core/format.h"
#include "core/quote/aircraftcatalog.h"
#include "core/settings/appsettings.h"
#include "core/settings/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

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
    const QString s = QStringLiteral("SETTINGS");
    WriteIni(settingsPath, s, QStringLiteral("QUOTEBASE"), QStringLiteral("NM"));
    WriteIni(settingsPath, s, QStringLiteral("MINRUNWAYLENGTH"), SettingsText::integer(3000));
    WriteIni(settingsPath, s, QStringLiteral("SORTORDER"), QStringLiteral("[ID]"));
    WriteIni(settingsPath, s, QStringLiteral("SEARCHMODE"), QStringLiteral("ANYTHING"));
    WriteIni(settingsPath, s, QStringLiteral("DEFAULTCHARGENM"), SettingsText::number(8.5));
    WriteIni(settingsPath, s, QStringLiteral("DEFAULTCHARGESM"), SettingsText::number(7.39));
    WriteIni(settingsPath, s, QStringLiteral("MINBASECHARGE"), SettingsText::number(1500));
    WriteIni(settingsPath, s, QStringLiteral("DEFAULTAIRPORT"), QStringLiteral("KTEB"));
    WriteIni(settingsPath, s, QStringLiteral("SEGMENTTAX"), SettingsText::number(5.3));
    WriteIni(settingsPath, s, QStringLiteral("ROUNDMILES"), SettingsText::flag(false));
    const QString c = QStringLiteral("COMPANY");
    for (const CompanyField& field : CompanyFields::All)
        WriteIni(settingsPath, c, QString(field.key), QString());
}

Result createProgramFolder(const QString& folder, const QString& executableName,
                           const QString& airportsFolder)
{
    Result result;
    QDir dir(folder);
    dir.mkpath(QStringLiteral("."));
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

    if (QFileInfo::exists(workgroup)) {
        result.kept << Schema::WorkgroupFileName;
    } else if (QFileInfo::exists(database)) {
        // A new workgroup could never open the existing database: leave both alone.
        result.warnings << QStringLiteral("%1 has no %2 beside it; a new workgroup file could "
                                          "not open it, so none was made.")
                               .arg(Schema::DatabaseFileName, Schema::WorkgroupFileName);
    } else {
        Db::DbEngine::createWorkgroupFile(workgroup, Schema::UserName, Schema::Password);
        result.created << Schema::WorkgroupFileName;
    }

    if (QFileInfo::exists(database)) {
        result.kept << Schema::DatabaseFileName;
    } else if (QFileInfo::exists(previous)) {
        throw Db::DbError(Db::Error::DatabaseExists,
                          QStringLiteral("%1 holds the previous database and could not be given "
                                         "back its name %2; no new database was made. Rename "
                                         "it to %2 by hand.")
                              .arg(QDir::toNativeSeparators(previous), Schema::DatabaseFileName));
    } else if (QFileInfo::exists(workgroup)) {
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
        if (std::rename(QFile::encodeName(partial).constData(),
                        QFile::encodeName(database).constData()) != 0)
            throw Db::DbError(Db::Error::CannotOpen,
                              QStringLiteral("Could not write '%1'.").arg(database));
        result.created << Schema::DatabaseFileName;
    }

    if (QFileInfo::exists(settings)) {
        result.kept << QFileInfo(settings).fileName();
    } else {
        writeDefaultSettings(settings);
        result.created << QFileInfo(settings).fileName();
    }
    return result;
}

} // namespace StarterData
