#pragma once

#include <QString>
#include <QStringList>

// The files of a new program folder: the workgroup file, the database with its
// tables, a small set of real airports and sample catalogues, and a settings file.
namespace StarterData {

struct Result
{
    QStringList created; // file names that were made
    QStringList kept;    // file names that were there already and were left alone
    QStringList warnings;
    QStringList recovered; // what an interrupted exit left and was put right
};

// Creates the files of a program folder that are missing; never replaces one that
// exists, so an operator's database survives every rebuild. An exit that a crash cut
// off is put right first, and no database is made while "Brisklander.old" is there. The settings
// file is named after the executable. With `airportsFolder` (OurAirports CSV files) a new database
// gets the airports imported from there; without it, the small demonstration set.
Result createProgramFolder(const QString& folder, const QString& executableName,
                           const QString& airportsFolder = QString());

// Adds the demonstration airports (or, with `airportsFolder`, the airports imported
// from there) and the sample catalogues to a new database.
void seedDatabase(const QString& databasePath, const QString& workgroupPath,
                  const QString& airportsFolder = QString());

// The default settings file of a new program folder.
void writeDefaultSettings(const QString& settingsPath);

} // namespace StarterData
