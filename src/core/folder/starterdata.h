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

// Makes the folder and the folders above it that are missing; a DbError names the
// folder and the system's reason when it cannot be made.
void makeFolder(const QString& folder);

// Creates the files of a program folder that are missing; never replaces one that
// exists, so an operator's database survives every rebuild. An exit that a crash cut
// off is put right first, and no database is made while "Brisklander.old" is there. The
// settings file is named after the executable. With `airportsFolder` (OurAirports CSV
// files) a new database gets the airports imported from there; without it, the small
// demonstration set.
//
// With `templateFolder` (a program folder made by this routine) the missing files are
// copied from there instead: its settings file "Brisklander.INI" on its own, its
// workgroup file and database only as a pair, since a database opens only with the
// workgroup file that made it. A folder holding one of the two without the other is
// refused (DbError), nothing copied.
//
// Whatever fails (a full disk, a folder that cannot be written) throws a DbError that
// says why, and the files this call made are removed again: the folder is left as it
// was. A file takes its name only when it is complete, never over one that is there.
Result createProgramFolder(const QString& folder, const QString& executableName,
                           const QString& airportsFolder = QString(),
                           const QString& templateFolder = QString());

// Adds the demonstration airports (or, with `airportsFolder`, the airports imported
// from there) and the sample catalogues to a new database.
void seedDatabase(const QString& databasePath, const QString& workgroupPath,
                  const QString& airportsFolder = QString());

// The default settings file of a new program folder, with FIRSTSTART=1; written whole
// or not at all (a DbError says why).
void writeDefaultSettings(const QString& settingsPath);

} // namespace StarterData
