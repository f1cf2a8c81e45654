#include "core/databasefiles.h"

#include "core/durablefile.h"
#include "core/engine.h"
#include "core/instancelock.h"
#include "core/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

QString previousPath(const QString& databasePath)
{
    return QFileInfo(databasePath).dir().filePath(Schema::PreviousDatabaseFileName);
}

// The files SQLite keeps beside a database while it is in use.
const char* const CompanionSuffixes[] = {"-journal", "-wal", "-shm"};

} // namespace

bool DatabaseFiles::exists(const QString& path)
{
    return QFileInfo::exists(path);
}

bool DatabaseFiles::remove(const QString& path)
{
    return QFile::remove(path);
}

bool DatabaseFiles::rename(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool DatabaseFiles::sync(const QString& path)
{
    return DurableFile::sync(path);
}

void DatabaseFiles::settle(const QString& path)
{
    Db::DbEngine::settleDatabaseFile(path);
}

void DatabaseFiles::compact(const QString& from, const QString& to)
{
    Db::DbEngine::compactDatabase(from, to, [this](const QString& path) { return sync(path); });
}

bool DatabaseFiles::isIntact(const QString& path)
{
    return Db::DbEngine::isIntactDatabase(path);
}

void CompactDatabaseAtExit(const QString& databasePath, DatabaseFiles& files)
{
    const QString previous = previousPath(databasePath);

    // A ".old" left by an earlier crash goes, but only while the database is there:
    // when it is missing, the ".old" is the only copy of the data.
    if (files.exists(previous) && files.exists(databasePath))
        files.remove(previous);

    bool renamed = false;
    try {
        // What a crash left in a journal or write-ahead log must be in the file itself
        // before the file is renamed away from it.
        files.settle(databasePath);
        if (!files.rename(databasePath, previous))
            throw Db::DbError(Db::Error::CannotOpen, QStringLiteral("The database file could "
                                                                    "not be renamed."));
        renamed = true;
        files.compact(previous, databasePath);
        if (files.exists(databasePath) && files.exists(previous))
            files.remove(previous);
        else if (files.exists(previous))
            files.rename(previous, databasePath);
    } catch (...) {
        if (renamed) {
            // The compacted copy is incomplete: the previous file takes its name back.
            if (files.exists(databasePath) && files.exists(previous))
                files.remove(databasePath);
            files.rename(previous, databasePath);
            files.sync(QFileInfo(databasePath).absolutePath());
        }
    }
}

QStringList RecoverInterruptedCompaction(const QString& databasePath, DatabaseFiles& files)
{
    QStringList done;
    const QString previous = previousPath(databasePath);
    const QString folder = QFileInfo(databasePath).absolutePath();
    const auto removeWithCompanions = [&](const QString& path) {
        if (files.exists(path) && files.remove(path))
            done << QStringLiteral("removed the partial copy %1").arg(QFileInfo(path).fileName());
        for (const char* suffix : CompanionSuffixes) {
            const QString companion = path + QLatin1String(suffix);
            if (files.exists(companion))
                files.remove(companion);
        }
    };

    // Copies under construction: the exit's compacted copy and a new folder's database.
    removeWithCompanions(Db::DbEngine::partialCompactionPath(databasePath));
    removeWithCompanions(databasePath + QStringLiteral(".new"));

    if (!files.exists(previous))
        return done;
    if (files.exists(databasePath) && files.isIntact(databasePath)) {
        // The compacted copy was in place when the exit stopped; the ".old" that is
        // left holds the same data and goes at the next exit.
        return done;
    }
    // A journal or log beside a missing or broken database belongs to no data that
    // the ".old" holds: applied to it, it would damage it.
    for (const char* suffix : CompanionSuffixes) {
        const QString companion = databasePath + QLatin1String(suffix);
        if (files.exists(companion))
            files.remove(companion);
    }
    if (files.rename(previous, databasePath)) {
        files.sync(folder);
        done << QStringLiteral("restored %1 from %2")
                    .arg(Schema::DatabaseFileName, Schema::PreviousDatabaseFileName);
    }
    return done;
}

QStringList RecoverInterruptedCompaction(const QString& databasePath)
{
    DatabaseFiles files;
    return RecoverInterruptedCompaction(databasePath, files);
}

QStringList RecoverProgramFolder(const QString& folder, bool* inUse)
{
    InstanceLock lock(InstanceLock::folderLockPath(folder));
    const bool held = lock.tryLock() == InstanceLock::State::HeldElsewhere;
    if (inUse)
        *inUse = held;
    return held ? QStringList()
                : RecoverInterruptedCompaction(QDir(folder).filePath(Schema::DatabaseFileName));
}
