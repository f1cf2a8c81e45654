#include "core/folder/databasefiles.h"

#include "core/db/engine.h"
#include "core/db/engine_p.h"
#include "core/db/schema.h"
#include "core/folder/durablefile.h"
#include "core/folder/filemode.h"
#include "core/folder/instancelock.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <memory>

#include <sys/stat.h>

namespace {

// The files SQLite keeps beside a database while it is in use.
const char* const CompanionSuffixes[] = {"-journal", "-wal", "-shm"};

// Moves a file and the journals beside it to a name of their own in the same folder
// ("Brisklander.damaged-20261207-093000.mdb" and its "-wal"), so that nothing is lost
// and no journal is ever replayed onto another file. Returns the new name, or empty
// when nothing was there. Throws when something could not be moved.
QString moveAside(DatabaseFiles& files, const QString& path, const QString& label)
{
    QStringList present;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        if (files.exists(path + QLatin1String(suffix)))
            present << QLatin1String(suffix);
    }
    if (present.isEmpty())
        return QString();
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString aside;
    for (int n = 0; aside.isEmpty(); ++n) {
        const QString candidate = info.dir().filePath(
            QStringLiteral("%1.%2-%3%4.%5")
                .arg(info.completeBaseName(), label, stamp,
                     n ? QStringLiteral("-%1").arg(n) : QString(), info.suffix()));
        bool free = true;
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            free = free && !QFileInfo(candidate + QLatin1String(suffix)).exists();
        if (free)
            aside = candidate;
    }
    for (const QString& suffix : present) {
        if (!files.rename(path + suffix, aside + suffix))
            throw Db::DbError(Db::Error::CannotOpen,
                              QStringLiteral("Could not move '%1' aside to '%2'.")
                                  .arg(QDir::toNativeSeparators(path + suffix),
                                       QDir::toNativeSeparators(aside + suffix)));
    }
    files.sync(info.absolutePath());
    return aside;
}

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
    const QString partial = Db::DbEngine::partialCompactionPath(to);
    Db::DbEngine::compactDatabase(from, to, [this, &from, &partial](const QString& path) {
        // The copy is the operator's database: it keeps the owner, group and mode the
        // operator gave the file, whoever runs the program and whatever the umask.
        if (path == partial && !FileMode::copy(from, partial))
            return false;
        return sync(path);
    });
}

DatabaseState DatabaseFiles::examine(const QString& path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 && errno == ENOENT)
        return DatabaseState::Missing;
    sqlite3* raw = nullptr;
    try {
        raw = Db::openSqliteFile(path, false);
    } catch (const Db::DbError& error) {
        if (error.number() == Db::Error::Unrecognized) // an empty file
            return DatabaseState::Incomplete;
        throw;
    }
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, &sqlite3_close_v2);
    const QString described = Db::describePath(path);
    // The first value of a query; an answer that shows the file is no whole database
    // gives nothing, one that shows nothing about it (a lock, a disk error) throws.
    const auto firstValue = [&](const char* sql) -> std::optional<QString> {
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(db.get(), sql, -1, &statement, nullptr);
        QString value;
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(statement);
            if (rc == SQLITE_ROW)
                value = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
        switch (rc & 0xff) {
        case SQLITE_ROW:
        case SQLITE_DONE:
            return value;
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return std::nullopt;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw Db::DbError(Db::Error::InUse, QStringLiteral("Could not use '%1'; file already "
                                                               "in use by another program.")
                                                    .arg(described));
        default:
            Db::throwSqlite(db.get(), sqlite3_extended_errcode(db.get()), described);
        }
    };
    const auto owned = firstValue("SELECT count(*) FROM sqlite_schema WHERE name = 'SysWorkgroup'");
    if (!owned || *owned != QLatin1String("1"))
        return DatabaseState::Incomplete;
    const auto check = firstValue("PRAGMA quick_check");
    return check && *check == QLatin1String("ok") ? DatabaseState::Intact
                                                  : DatabaseState::Incomplete;
}

QString ThroughLinks(const QString& databasePath)
{
    QString path = QFileInfo(databasePath).absoluteFilePath();
    for (int hop = 0; hop < 40 && QFileInfo(path).isSymLink(); ++hop)
        path = QFileInfo(path).symLinkTarget();
    return path;
}

QString PreviousDatabasePath(const QString& databasePath)
{
    return QFileInfo(ThroughLinks(databasePath)).dir().filePath(Schema::PreviousDatabaseFileName);
}

QString DatabaseWriteLockPath(const QString& programFolder)
{
    return QDir(programFolder).filePath(Schema::DatabaseFileName + QStringLiteral(".lock"));
}

std::unique_ptr<InstanceLock> LockDatabaseWriters(const QString& programFolder, int waitMs)
{
    auto lock = std::make_unique<InstanceLock>(DatabaseWriteLockPath(programFolder));
    QElapsedTimer waited;
    waited.start();
    InstanceLock::State state;
    while ((state = lock->tryLock()) != InstanceLock::State::Taken) {
        // A lock that cannot be made (a read-only folder) is returned not held; one that
        // is there but cannot be used (a FIFO, a folder, another user's link in its
        // place) is never waited on, and nothing is written without it.
        if (state == InstanceLock::State::Unavailable) {
            const QFileInfo there(lock->path());
            if (!there.exists() && !there.isSymLink())
                break;
            throw Db::DbError(
                Db::Error::CannotOpen,
                QStringLiteral("The lock file '%1' cannot be used: %2")
                    .arg(QDir::toNativeSeparators(lock->path()), lock->errorString()));
        }
        if (waited.elapsed() >= waitMs)
            throw Db::DbError(Db::Error::InUse,
                              QStringLiteral("Could not use the database of '%1'; another program "
                                             "is writing it (the program closing, or "
                                             "brisklander-db). Try again when it is done.")
                                  .arg(QDir::toNativeSeparators(programFolder)));
        QThread::msleep(50);
    }
    return lock;
}

FolderState ExamineProgramFolder(const QString& programFolder)
{
    const QString database = QDir(programFolder).filePath(Schema::DatabaseFileName);
    DatabaseFiles files;
    if (!files.exists(PreviousDatabasePath(database)))
        return files.exists(database) ? FolderState::Ready : FolderState::Compacting;
    // The exit holds the writers' lock while it compacts; free, the ".old" is what a
    // cut-off exit left, and the database beside it is usable when it is whole.
    InstanceLock writers(DatabaseWriteLockPath(programFolder));
    if (writers.tryLock() == InstanceLock::State::HeldElsewhere)
        return FolderState::Compacting;
    return files.examine(ThroughLinks(database)) == DatabaseState::Intact
               ? FolderState::Ready
               : FolderState::Interrupted;
}

void CompactDatabaseAtExit(const QString& databasePath, DatabaseFiles& files)
{
    // No other writer may open the file between the settle and the compacted copy
    // taking the name: a log it left under the name would be replayed onto the copy.
    // When the lock cannot be had the database stays as it is, uncompacted.
    std::unique_ptr<InstanceLock> writers;
    try {
        writers = LockDatabaseWriters(QFileInfo(databasePath).absolutePath(), 2000);
    } catch (const Db::DbError&) {
        return;
    }
    if (!writers->isLocked())
        return;

    // A database that is a link is compacted where the link leads; the link stays.
    const QString database = ThroughLinks(databasePath);
    const QString previous = PreviousDatabasePath(databasePath);

    // A ".old" left by an earlier crash goes, but only while the database is there:
    // when it is missing, the ".old" is the only copy of the data.
    if (files.exists(previous) && files.exists(database))
        files.remove(previous);

    bool renamed = false;
    try {
        // What a crash left in a journal or write-ahead log must be in the file itself
        // before the file is renamed away from it.
        files.settle(database);
        if (!files.rename(database, previous))
            throw Db::DbError(Db::Error::CannotOpen, QStringLiteral("The database file could "
                                                                    "not be renamed."));
        renamed = true;
        // Journals under the database's name now belong to no file there (a program
        // outside ours opened it after the settle): the copy must never find them.
        moveAside(files, database, QStringLiteral("stray"));
        files.compact(previous, database);
        if (files.exists(database) && files.exists(previous))
            files.remove(previous);
        else if (files.exists(previous))
            files.rename(previous, database);
    } catch (...) {
        if (renamed) {
            // The compacted copy is incomplete: the previous file takes its name back.
            try {
                moveAside(files, database, QStringLiteral("stray"));
            } catch (const Db::DbError&) {
            }
            files.rename(previous, database);
            files.sync(QFileInfo(database).absolutePath());
        }
    }
}

QStringList RecoverInterruptedCompaction(const QString& databasePath, DatabaseFiles& files)
{
    QStringList done;
    const QString database = ThroughLinks(databasePath);
    const QString previous = PreviousDatabasePath(databasePath);
    const QString folder = QFileInfo(database).absolutePath();
    const QString name = QFileInfo(database).fileName();
    const auto removeWithCompanions = [&](const QString& path) {
        if (files.exists(path) && files.remove(path))
            done << QStringLiteral("removed the partial copy %1").arg(QFileInfo(path).fileName());
        for (const char* suffix : CompanionSuffixes) {
            const QString companion = path + QLatin1String(suffix);
            if (files.exists(companion))
                files.remove(companion);
        }
    };

    // Copies under construction, of data that lies elsewhere: the exit's compacted
    // copy and a new folder's database.
    removeWithCompanions(Db::DbEngine::partialCompactionPath(database));
    removeWithCompanions(QFileInfo(databasePath).absoluteFilePath() + QStringLiteral(".new"));

    if (!files.exists(previous))
        return done;
    // Only a database shown missing or broken is replaced; one that cannot be read
    // (another program holding it, no permission) stops here with the cause.
    switch (files.examine(database)) {
    case DatabaseState::Intact:
        // The compacted copy was in place when the exit stopped: the ".old" holds
        // nothing newer, and kept it could one day be taken for the database.
        if (files.remove(previous)) {
            files.sync(folder);
            done << QStringLiteral("removed %1: %2 beside it is whole")
                        .arg(Schema::PreviousDatabaseFileName, name);
        }
        return done;
    case DatabaseState::Incomplete: {
        const QString aside = moveAside(files, database, QStringLiteral("damaged"));
        done << QStringLiteral("moved the damaged %1 aside as %2")
                    .arg(name, QFileInfo(aside).fileName());
        break;
    }
    case DatabaseState::Missing: {
        // A journal or log beside a missing database belongs to no data that the
        // ".old" holds: applied to it, it would damage it.
        const QString aside = moveAside(files, database, QStringLiteral("stray"));
        if (!aside.isEmpty())
            done << QStringLiteral("moved the journals of the missing %1 aside as %2")
                        .arg(name, QFileInfo(aside).fileName());
        break;
    }
    }
    if (files.rename(previous, database)) {
        files.sync(folder);
        done << QStringLiteral("restored %1 from %2").arg(name, Schema::PreviousDatabaseFileName);
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
