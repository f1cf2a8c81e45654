#include "core/folder/databasebackup.h"

#include "core/db/engine.h"
#include "core/db/engine_p.h"
#include "core/db/schema.h"
#include "core/folder/databasefiles.h"
#include "core/folder/durablefile.h"
#include "core/folder/instancelock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <memory>

#include <unistd.h>

namespace {

// The tables every database of the program has, however old.
const QStringList ProgramTables = {QStringLiteral("SysWorkgroup"), QStringLiteral("SysQueries"),
                                   QStringLiteral("Airports"), QStringLiteral("AdditionalCharges"),
                                   QStringLiteral("Taxes")};

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString databaseOf(const QString& folder)
{
    return QDir(folder).filePath(Schema::DatabaseFileName);
}

QString workgroupOf(const QString& folder)
{
    return QDir(folder).filePath(Schema::WorkgroupFileName);
}

// The same file under two names (links followed), as far as the system tells.
bool sameFile(const QString& a, const QString& b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

// None of the folder's own files is ever a backup's file.
void refuseFolderFile(const QString& folder, const QString& file)
{
    for (const QString& own :
         {databaseOf(folder), workgroupOf(folder), PreviousDatabasePath(databaseOf(folder))}) {
        if (sameFile(file, own) ||
            QFileInfo(file).absoluteFilePath() == QFileInfo(own).absoluteFilePath())
            throw Db::DbError(Db::Error::CannotOpen,
                              QStringLiteral("'%1' is the program folder's %2; give another file.")
                                  .arg(shown(file), QFileInfo(own).fileName()));
    }
}

// Copies the file byte for byte to a new file, every write and the flush checked.
void copyBytes(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        throw Db::fileError(errno ? errno : ENOENT, shown(from));
    QFile target(to);
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw Db::fileError(errno ? errno : EACCES, shown(to));
    QByteArray block;
    while (!(block = source.read(1 << 20)).isEmpty()) {
        if (target.write(block) != block.size())
            break;
    }
    const bool written = source.error() == QFileDevice::NoError &&
                         target.error() == QFileDevice::NoError && target.flush();
    const int error = errno;
    target.close();
    if (!written || target.error() != QFileDevice::NoError) {
        if (source.error() != QFileDevice::NoError)
            throw Db::DbError(Db::Error::DiskError,
                              QStringLiteral("Disk or network error reading '%1' (%2).")
                                  .arg(shown(from), source.errorString()));
        throw Db::fileError(error ? error : EIO, shown(to));
    }
}

void removeWithCompanions(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

// A log beside the file may hold what the file lacks: the file alone is no backup.
void refuseLogBeside(const QString& file)
{
    if (QFileInfo(file + QStringLiteral("-wal")).size() > 0 ||
        QFileInfo(file + QStringLiteral("-journal")).size() > 0)
        throw Db::DbError(Db::Error::InUse,
                          QStringLiteral("'%1' has a log beside it: a program is using it, or "
                                         "left it unfinished. Back up from the program or with "
                                         "brisklander-db backup, and restore that file.")
                              .arg(shown(file)));
}

// Checks a copy of a backup (or the backup itself) at `path`, named `name` in what is said.
void checkDatabase(const QString& folder, const QString& path, const QString& name)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw Db::DbError(Db::Error::FileNotFound,
                          QStringLiteral("Could not find file '%1'.").arg(shown(name)));
    refuseLogBeside(path);
    QStringList tables;
    if (!Db::DbEngine::isWholeDatabase(path, &tables))
        throw Db::DbError(Db::Error::Unrecognized,
                          QStringLiteral("'%1' is not a whole database: it is damaged, cut "
                                         "short or no database at all.")
                              .arg(shown(name)));
    QStringList missing;
    for (const QString& table : ProgramTables) {
        if (!tables.contains(table, Qt::CaseInsensitive))
            missing << table;
    }
    if (!missing.isEmpty())
        throw Db::DbError(Db::Error::Unrecognized,
                          QStringLiteral("'%1' is no Brisklander database: it has no table %2.")
                              .arg(shown(name), missing.join(QStringLiteral(", "))));
    // The program opens the database only through the folder's workgroup file.
    Db::DbEngine& engine = Db::DbEngine::instance();
    engine.setSystemDB(workgroupOf(folder));
    auto workspace =
        engine.createWorkspace(QStringLiteral("Restore"), Schema::UserName, Schema::Password);
    try {
        workspace->openDatabaseReadOnly(path)->close();
    } catch (const Db::DbError& error) {
        workspace->close();
        if (error.number() != Db::Error::NoPermission)
            throw;
        throw Db::DbError(Db::Error::NoPermission,
                          QStringLiteral("'%1' is the database of another program folder: it "
                                         "cannot be opened with this folder's workgroup file "
                                         "'%2'.")
                              .arg(shown(name), shown(workgroupOf(folder))));
    }
    workspace->close();
}

} // namespace

namespace DatabaseBackup {

Report backup(const QString& folder, const QString& file)
{
    Report report;
    const QString target = QFileInfo(file).absoluteFilePath();
    refuseFolderFile(folder, target);
    const QFileInfo into(QFileInfo(target).absolutePath());
    if (!into.isDir())
        throw Db::DbError(Db::Error::InvalidPath,
                          QStringLiteral("The folder '%1' to write the backup in does not exist.")
                              .arg(shown(into.filePath())));
    // The exit's compaction renames the database away for a moment: it finishes first.
    const auto writers = LockDatabaseWriters(folder);
    for (const QString& line : RecoverProgramFolder(folder))
        report.done << QStringLiteral("recovered: ") + line;
    Db::DbEngine::backupDatabase(ThroughLinks(databaseOf(folder)), target);
    report.done
        << QStringLiteral("backed up %1 to %2").arg(Schema::DatabaseFileName, shown(target));
    try {
        Db::DbEngine::recordBackup(workgroupOf(folder), QDateTime::currentDateTime(), target);
    } catch (const Db::DbError& error) {
        report.warnings << QStringLiteral("The time of this backup could not be recorded in '%1' "
                                          "(%2), so the reminder at exit may come early.")
                               .arg(shown(workgroupOf(folder)), error.description());
    }
    return report;
}

void check(const QString& folder, const QString& file)
{
    refuseFolderFile(folder, file);
    checkDatabase(folder, file, file);
}

Report restore(const QString& folder, const QString& file, FolderLock folderLock)
{
    Report report;
    refuseFolderFile(folder, file);
    std::unique_ptr<InstanceLock> copy;
    if (folderLock == FolderLock::Take) {
        copy = std::make_unique<InstanceLock>(InstanceLock::folderLockPath(folder));
        const InstanceLock::State state = copy->tryLock();
        if (state == InstanceLock::State::HeldElsewhere)
            throw Db::DbError(Db::Error::InUse,
                              QStringLiteral("Brisklander is running on the folder '%1'. Close "
                                             "it first, or restore from its Quote menu.")
                                  .arg(shown(folder)));
        if (state == InstanceLock::State::Unavailable)
            throw Db::DbError(Db::Error::CannotOpen,
                              QStringLiteral("The lock file '%1' cannot be used: %2")
                                  .arg(shown(copy->path()), copy->errorString()));
    }
    const auto writers = LockDatabaseWriters(folder);
    for (const QString& line : RecoverInterruptedCompaction(databaseOf(folder)))
        report.done << QStringLiteral("recovered: ") + line;

    const QString database = ThroughLinks(databaseOf(folder));
    const QString restoring = database + QStringLiteral(".restoring");
    const QString place = QFileInfo(database).absolutePath();
    refuseLogBeside(file);
    removeWithCompanions(restoring);
    QString kept;
    try {
        copyBytes(file, restoring);
        checkDatabase(folder, restoring, file);
        Db::DbEngine::keepInLogMode(restoring);
        if (!DurableFile::sync(restoring))
            throw Db::DbError(Db::Error::DiskError,
                              QStringLiteral("Disk or network error: '%1' could not be written "
                                             "to the disk.")
                                  .arg(shown(restoring)));
        if (QFileInfo::exists(database)) {
            // The database alone must hold its data before it is kept under another name,
            // and nobody may have it open.
            Db::DbEngine::settleDatabaseFile(database);
            kept = beforeRestorePath(database, QDateTime::currentDateTime());
            // A second name for the same file: the database keeps its name until the copy
            // takes it.
            if (::link(QFile::encodeName(database).constData(),
                       QFile::encodeName(kept).constData()) != 0) {
                removeWithCompanions(kept);
                copyBytes(database, kept);
                DurableFile::sync(kept);
            }
            DurableFile::sync(place);
            report.kept = kept;
            report.done << QStringLiteral("kept the replaced database as %1")
                               .arg(QFileInfo(kept).fileName());
        }
        if (std::rename(QFile::encodeName(restoring).constData(),
                        QFile::encodeName(database).constData()) != 0)
            throw Db::fileError(errno, shown(database));
    } catch (...) {
        removeWithCompanions(restoring);
        // A second name of the database in use is no copy of it.
        if (!kept.isEmpty())
            QFile::remove(kept);
        throw;
    }
    DurableFile::sync(place);
    report.done << QStringLiteral("restored %1 from %2").arg(Schema::DatabaseFileName, shown(file));
    return report;
}

QDateTime lastBackup(const QString& folder)
{
    return Db::DbEngine::lastBackup(workgroupOf(folder));
}

bool reminderDue(const QDateTime& last, const QDate& today, int days)
{
    if (days <= 0)
        return false;
    return !last.isValid() || last.date().daysTo(today) >= days;
}

QString defaultBackupPath(const QString& folder, const QDate& day)
{
    return QDir(folder).filePath(QStringLiteral("Backups/Brisklander-%1.mdb")
                                     .arg(day.toString(QStringLiteral("yyyy-MM-dd"))));
}

QString beforeRestorePath(const QString& database, const QDateTime& when)
{
    const QString base = database + QStringLiteral(".before-restore-") +
                         when.toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString path = base;
    for (int n = 1; QFileInfo(path).exists() || QFileInfo(path).isSymLink(); ++n)
        path = base + QStringLiteral("-%1").arg(n);
    return path;
}

} // namespace DatabaseBackup
