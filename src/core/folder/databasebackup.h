#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

// Backups of a program folder's database and their return.
//
// A backup is a copy of the whole database file (airports, catalogues, aircraft, kept
// quotes) taken while the program may be running; the time of the last one is kept in
// the folder's workgroup file, which the program, the tools and a restore share and
// which a restore never replaces. Every failure throws a Db::DbError that says what
// failed; the files it names are then as they were.
namespace DatabaseBackup {

// What a backup or a restore did, one line each, and what it could not do besides.
struct Report
{
    QStringList done;
    QStringList warnings;
    QString kept; // where a restore kept the database it replaced; empty when none was there
};

// Writes a checked copy of the folder's database to `file`, replacing an earlier file
// of that name only once the copy is whole (a partial copy never stays). Waits for
// another writer (the program's exit, an import) to finish first, and records the time.
Report backup(const QString& folder, const QString& file);

// Checks that `file` can be restored into the folder: a whole database (the check of a
// compacted copy), with the program's tables, opened through the folder's workgroup
// file, and without a log of its own beside it. Changes nothing.
void check(const QString& folder, const QString& file);

// Who holds the folder's single-copy lock during a restore: the restore takes it, and
// is refused while a copy of the program holds it; or the program itself, closing.
enum class FolderLock
{
    Take,
    HeldByCaller
};

// Puts a copy of `file` in place of the folder's database: the copy is made beside the
// database, checked (see check), put in write-ahead-log mode and brought to the disk,
// the database in place is kept beside it as "Brisklander.mdb.before-restore-
// YYYYMMDD-HHMMSS", and the copy takes the database's name in one rename. Refused while
// any program has the database open; whatever fails, the database stays as it was.
Report restore(const QString& folder, const QString& file,
               FolderLock folderLock = FolderLock::Take);

// The time of the folder's last backup; invalid when none is recorded.
QDateTime lastBackup(const QString& folder);

// True when a backup is due: `days` or more days after the last one (or never made);
// never when `days` is 0 or less.
bool reminderDue(const QDateTime& last, const QDate& today, int days);

// The file a backup of the day goes to without asking: "Backups/Brisklander-YYYY-MM-DD.mdb"
// in the folder.
QString defaultBackupPath(const QString& folder, const QDate& day);

// The name the replaced database is kept under beside `database`.
QString beforeRestorePath(const QString& database, const QDateTime& when);

} // namespace DatabaseBackup
