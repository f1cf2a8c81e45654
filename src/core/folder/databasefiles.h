#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class InstanceLock;

// The database file's life across exits and crashes: the exit's compaction through
// "Brisklander.old", and the recovery that puts right what a crash during it left.

// What lies under a database file's name, as far as it can be shown.
enum class DatabaseState
{
    Missing,    // no file
    Incomplete, // a file that is no whole database of the program's kind
    Intact      // a whole database of the program's kind
};

// The file operations of the compaction and the recovery, replaceable so that
// every failure can be tried.
class DatabaseFiles
{
public:
    virtual ~DatabaseFiles() = default;
    virtual bool exists(const QString& path);
    virtual bool remove(const QString& path);
    // Replaces the target when it exists.
    virtual bool rename(const QString& from, const QString& to);
    // Brings the file's or the folder's contents to the disk.
    virtual bool sync(const QString& path);
    virtual void settle(const QString& path);
    // Compacts into a new file that takes the old one's owner, group and mode,
    // bringing it to the disk with sync() before it takes its name and the folder after.
    virtual void compact(const QString& from, const QString& to);
    // Reads the file through. A file that cannot be read (held by another program, no
    // permission, a disk error) shows nothing: that throws a DbError with the cause.
    virtual DatabaseState examine(const QString& path);
};

// The file a database path names, links followed (a link to a file that is gone
// gives the file it names).
QString ThroughLinks(const QString& databasePath);
// Where the exit keeps the previous database: "Brisklander.old" beside the database
// file itself (beside a link's target, when the database is a link).
QString PreviousDatabasePath(const QString& databasePath);

// The lock every writer of a program folder's database holds while it writes: the
// tools for their whole run, the exit from the start of its compaction until the
// compacted copy has taken the name. A reader need not take it.
QString DatabaseWriteLockPath(const QString& programFolder);
// Takes that lock, waiting up to `waitMs` for another writer to finish. Throws 3045
// naming the folder when it stays held. A lock file that cannot be made (a read-only
// folder) is returned not held: no writer can take it then, the exit included. One
// that is there but cannot be used (a FIFO or a folder in its place) throws 3049
// naming it.
std::unique_ptr<InstanceLock> LockDatabaseWriters(const QString& programFolder, int waitMs = 30000);

// What a reader finds in a program folder: its database ready to be read, the
// program's exit compacting it, or the database left in "Brisklander.old" by an
// exit that was cut off (the next start of the program, or `brisklander-db create`,
// puts it back). Throws a DbError with the cause when the database cannot be read.
enum class FolderState
{
    Ready,
    Compacting,
    Interrupted
};
FolderState ExamineProgramFolder(const QString& programFolder);

// Compacts the database file through "Brisklander.old" beside it, holding the writers'
// lock. Whatever fails, the database file afterwards holds what it held before.
void CompactDatabaseAtExit(const QString& databasePath, DatabaseFiles& files);

// Puts right what an exit or a folder creation cut off by a crash left beside the
// database: "Brisklander.old" takes the database's name back when the database is
// shown to be missing or not a whole database (which is moved aside first, with its
// journals), and goes when the database beside it is whole; partial copies go.
// A database that cannot be read stops it: the DbError says why, and nothing is
// changed. Call it before anything else touches the folder, holding the folder's lock.
// Returns one line for each thing it did.
QStringList RecoverInterruptedCompaction(const QString& databasePath, DatabaseFiles& files);
QStringList RecoverInterruptedCompaction(const QString& databasePath);

// The recovery for a tool working on a program folder: runs it under the folder's
// lock, and touches nothing while a copy of the program holds the folder (what looks
// like a crash's leftovers may be its exit at work); `inUse` then says so. The tool
// holds the writers' lock (LockDatabaseWriters) around it.
QStringList RecoverProgramFolder(const QString& folder, bool* inUse = nullptr);
