#pragma once

#include <QString>
#include <QStringList>

// The database file's life across exits and crashes: the exit's compaction through
// "Brisklander.old", and the recovery that puts right what a crash during it left.

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
    // Compacts into a new file, bringing it to the disk with sync() before it takes
    // its name and the folder after.
    virtual void compact(const QString& from, const QString& to);
    // True when the file is a whole database of the program's kind.
    virtual bool isIntact(const QString& path);
};

// Compacts the database file through "Brisklander.old" beside it. Whatever fails,
// the database file afterwards holds what it held before.
void CompactDatabaseAtExit(const QString& databasePath, DatabaseFiles& files);

// Puts right what an exit or a folder creation cut off by a crash left beside the
// database: "Brisklander.old" takes the database's name back when the database is
// missing or not a whole database, and partial copies with their journals go.
// Call it before anything else touches the folder, holding the folder's lock.
// Returns one line for each thing it did.
QStringList RecoverInterruptedCompaction(const QString& databasePath, DatabaseFiles& files);
QStringList RecoverInterruptedCompaction(const QString& databasePath);

// The recovery for a tool working on a program folder: runs it under the folder's
// lock, and touches nothing while a copy of the program holds the folder (what looks
// like a crash's leftovers may be its exit at work); `inUse` then says so.
QStringList RecoverProgramFolder(const QString& folder, bool* inUse = nullptr);
