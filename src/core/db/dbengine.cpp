#include "core/db/dbengine.h"

#include "core/db/engine_p.h"
#include "core/db/recordset.h"
#include "core/db/sqlitehandle.h"
#include "core/db/statement.h"
#include "core/db/workspace.h"
#include "core/folder/durablefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUuid>

#include <cstdio>
#include <optional>

namespace Db {

namespace {

const QString WorkgroupMissingText = QStringLiteral(
    "Cannot start your application. The workgroup information file is missing or opened "
    "exclusively by another user.");

QByteArray passwordHash(const QByteArray& salt, const QString& password)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(salt);
    hash.addData(password.toUtf8());
    return hash.result();
}

} // namespace

// The program uses each connection from one thread at a time (all of them from the one
// that opened them), so SQLite need not lock a connection at every call on it: in its
// multi-thread mode, set before the library's first use, a statement's values are read
// without taking and giving back a lock for each.
[[maybe_unused]] const int ThreadingMode = sqlite3_config(SQLITE_CONFIG_MULTITHREAD);

DbEngine& DbEngine::instance()
{
    static DbEngine engine;
    return engine;
}

QByteArray DbEngine::verifyAccount(const QString& user, const QString& password) const
{
    if (m_systemDB.isEmpty() || !QFileInfo(m_systemDB).isFile())
        throw DbError(Error::WorkgroupMissing, WorkgroupMissingText);
    sqlite3* raw = nullptr;
    try {
        raw = openSqliteFile(m_systemDB, true);
    } catch (const DbError& error) {
        // A workgroup file that is there but cannot be read says why.
        if (error.number() == Error::FileNoPermission || error.number() == Error::InvalidPath ||
            error.number() == Error::DiskError)
            throw;
        throw DbError(Error::WorkgroupMissing, WorkgroupMissingText);
    }
    SqliteHandle db(raw);
    // A workgroup file without its tables is no workgroup file.
    const auto missing = [](int) { throw DbError(Error::WorkgroupMissing, WorkgroupMissingText); };
    QByteArray workgroupId;
    {
        const Statement statement(db.get(), "SELECT WorkgroupId FROM SysWorkgroup", missing);
        if (sqlite3_step(statement.get()) == SQLITE_ROW)
            workgroupId =
                QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)));
    }
    if (workgroupId.isEmpty())
        throw DbError(Error::WorkgroupMissing, WorkgroupMissingText);

    const Statement account(
        db.get(), "SELECT Salt, Hash FROM SysAccounts WHERE Name = ?1 COLLATE NOCASE", missing);
    bindValue(account.get(), 1, user);
    bool valid = false;
    if (sqlite3_step(account.get()) == SQLITE_ROW) {
        const QByteArray salt = columnValue(account.get(), 0).toByteArray();
        const QByteArray hash = columnValue(account.get(), 1).toByteArray();
        valid = !hash.isEmpty() && passwordHash(salt, password) == hash;
    }
    if (!valid)
        throw DbError(Error::BadAccount, QStringLiteral("Not a valid account name or password."));
    return workgroupId;
}

std::shared_ptr<Workspace> DbEngine::createWorkspace(const QString& name, const QString& user,
                                                     const QString& password)
{
    const QByteArray workgroupId = verifyAccount(user, password);
    std::shared_ptr<Workspace> workspace(new Workspace(name, workgroupId));
    m_workspaces.push_back(workspace);
    return workspace;
}

std::shared_ptr<Workspace> DbEngine::scratchWorkspace()
{
    return std::shared_ptr<Workspace>(new Workspace(
        QStringLiteral("Scratch"), QUuid::createUuid().toByteArray(QUuid::WithoutBraces)));
}

std::shared_ptr<Workspace> DbEngine::defaultWorkspace()
{
    if (!m_default || m_default->isClosed())
        m_default = createWorkspace(QStringLiteral("#Default Workspace#"), m_defaultUser,
                                    m_defaultPassword);
    return m_default;
}

void DbEngine::closeDefaultWorkspace()
{
    if (m_default)
        m_default->close();
    m_default.reset();
}

void DbEngine::release()
{
    closeDefaultWorkspace();
    for (const auto& weak : m_workspaces) {
        if (auto workspace = weak.lock())
            workspace->close();
    }
    m_workspaces.clear();
    m_systemDB.clear();
    m_defaultUser.clear();
    m_defaultPassword.clear();
    forgetConnectionsAhead();
}

void DbEngine::createWorkgroupFile(const QString& path, const QString& user,
                                   const QString& password)
{
    SqliteHandle db(createSqliteFile(path));
    const QString context = describePath(path);
    db.exec(QStringLiteral("CREATE TABLE SysWorkgroup (WorkgroupId TEXT NOT NULL);"
                           "CREATE TABLE SysAccounts (Name TEXT PRIMARY KEY COLLATE NOCASE, "
                           "Salt BLOB NOT NULL, Hash BLOB NOT NULL);"),
            context);
    const QByteArray id = QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    {
        const Statement statement(db.get(), "INSERT INTO SysWorkgroup VALUES (?1)", context);
        bindValue(statement.get(), 1, QString::fromLatin1(id));
        stepToEnd(db.get(), statement.get(), context);
    }
    const Statement statement(db.get(), "INSERT INTO SysAccounts VALUES (?1, ?2, ?3)", context);
    bindValue(statement.get(), 1, user);
    bindValue(statement.get(), 2, salt);
    bindValue(statement.get(), 3, passwordHash(salt, password));
    stepToEnd(db.get(), statement.get(), context);
}

void DbEngine::settleDatabaseFile(const QString& path)
{
    {
        SqliteHandle db(openSqliteFile(path, false));
        const QString context = describePath(path);
        const auto locked = [](int) {
            throw DbError(Error::Locked, QStringLiteral("Could not update; currently locked."));
        };
        // The file's lock is taken by the first read and held until the end: only the
        // connection that is alone with the file may settle it, or another could go on
        // writing a log under the file's name after the file has been renamed.
        db.exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"), context);
        // Reading the schema replays or rolls back whatever a crash left beside the file.
        {
            const Statement statement(db.get(), "SELECT count(*) FROM sqlite_schema", context);
            const int rc = sqlite3_step(statement.get());
            if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
                locked(rc);
            if (rc != SQLITE_ROW)
                throwSqlite(db.get(), sqlite3_extended_errcode(db.get()), context);
        }
        sqlite3_busy_timeout(db.get(), 0);
        for (const char* sql : {"BEGIN EXCLUSIVE", "COMMIT"}) {
            const Statement statement(db.get(), sql, locked);
            if (sqlite3_step(statement.get()) != SQLITE_DONE)
                locked(0);
        }
        const Statement statement(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)", locked);
        const int rc = sqlite3_step(statement.get());
        const bool blocked = rc == SQLITE_ROW && sqlite3_column_int(statement.get(), 0) != 0;
        if (blocked || (rc != SQLITE_ROW && rc != SQLITE_DONE))
            locked(rc);
    }
    // Closed by its only connection, the file keeps its journal mode and its log goes.
    for (const char* suffix : {"-wal", "-journal"}) {
        if (QFileInfo::exists(path + QLatin1String(suffix)))
            throw DbError(Error::Locked, QStringLiteral("Could not update; currently locked."));
    }
}

QString DbEngine::partialCompactionPath(const QString& destination)
{
    return destination + QStringLiteral(".compacting");
}

namespace {

// What a compacted copy must share with its database: every table and index with its
// definition, and every table's number of rows.
struct Contents
{
    QStringList schema;
    QList<qint64> rows;
    bool operator==(const Contents&) const = default;
};

// The first value of a statement's row (and the second, when asked for), or nullopt
// when the statement fails.
std::optional<qint64> number(sqlite3* db, const QString& sql, qint64* second = nullptr)
{
    sqlite3_stmt* statement = nullptr;
    std::optional<qint64> value;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        value = sqlite3_column_int64(statement, 0);
        if (second)
            *second = sqlite3_column_int64(statement, 1);
    }
    sqlite3_finalize(statement);
    return value;
}

// The tables counted one way: through the engine's own choice (the smallest index), or
// through the table itself.
std::optional<Contents> contentsOf(sqlite3* db, bool throughTables = false)
{
    Contents contents;
    QStringList tables;
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db,
                               "SELECT type, name, tbl_name, sql FROM sqlite_schema ORDER BY name",
                               -1, &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            return std::nullopt;
        }
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < 4; ++i)
                row << columnValue(statement, i).toString();
            if (row[0] == QLatin1String("table") && !row[1].startsWith(QLatin1String("sqlite_")))
                tables << row[1];
            contents.schema << row.join(QLatin1Char('|'));
        }
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            return std::nullopt;
    }
    for (const QString& table : std::as_const(tables)) {
        const auto rows =
            number(db, QStringLiteral("SELECT count(*) FROM %1%2")
                           .arg(quoteIdentifier(table),
                                throughTables ? QStringLiteral(" NOT INDEXED") : QString()));
        if (!rows)
            return std::nullopt;
        contents.rows << *rows;
    }
    return contents;
}

// Sets right each kept count of rows (Db::RowCountsTable) that differs from its table's
// rows: a REPLACE by another program deletes rows without firing the delete trigger. A
// count that cannot be set stays as it is: the lists read the rows themselves anyway.
void recountKeptRows(sqlite3* db)
{
    QStringList tables;
    sqlite3_stmt* statement = nullptr;
    const QByteArray names = QStringLiteral("SELECT \"Name\" FROM %1").arg(RowCountsTable).toUtf8();
    if (sqlite3_prepare_v2(db, names.constData(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            tables << columnValue(statement, 0).toString();
    }
    sqlite3_finalize(statement);
    for (const QString& table : std::as_const(tables)) {
        const QByteArray update =
            QStringLiteral("UPDATE %1 SET \"Rows\" = (SELECT count(*) FROM %2) WHERE \"Name\" = "
                           "%3 AND \"Rows\" <> (SELECT count(*) FROM %2)")
                .arg(RowCountsTable, quoteIdentifier(table), quoteLiteral(table))
                .toUtf8();
        sqlite3_exec(db, update.constData(), nullptr, nullptr, nullptr);
    }
}

// A copy is taken for whole when its header tells the file's size, every page of the file
// belongs to a table or an index that reads as one, and it holds the database's tables
// with as many rows, counted through their smallest indexes and through the tables. This
// visits each page once and decodes its cells' bounds, without the full check's
// comparison of every row with its indexes, which costs more than the copy itself.
bool isWholeCopy(sqlite3* copy, const QString& path, const Contents& expected)
{
    sqlite3_exec(copy, "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
    const auto pageSize = number(copy, QStringLiteral("PRAGMA page_size"));
    const auto pages = number(copy, QStringLiteral("PRAGMA page_count"));
    // Each page of a table or an index, its overflow pages included, with the pages
    // that do not read as what they are said to be.
    qint64 broken = -1;
    const auto used =
        number(copy, QStringLiteral("SELECT count(*), total(pagetype = 'corrupted') FROM dbstat"),
               &broken);
    const auto free = number(copy, QStringLiteral("PRAGMA freelist_count"));
    if (!pageSize || !pages || !used || !free || *pages * *pageSize != QFileInfo(path).size() ||
        *used + *free != *pages || broken != 0)
        return false;
    const auto byIndexes = contentsOf(copy);
    const auto byTables = contentsOf(copy, true);
    return byIndexes && byTables && *byIndexes == expected && *byTables == expected;
}

// Puts a file on the disk with the caller's sync, or else the file system's own.
bool syncToDisk(const DbEngine::SyncFunction& sync, const QString& path)
{
    return sync ? sync(path) : DurableFile::sync(path);
}

// A partial copy and whatever journal or log an earlier one left beside it, which must
// never meet the next copy.
void removePartialCopy(const QString& partial)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(partial + QLatin1String(suffix));
}

// Checks a copy against what its database held, sets its journal with `journal` and puts
// it on the disk; throws the engine's error when any of it fails.
void settleCopy(const QString& partial, const Contents& expected, const QString& journal,
                const DbEngine::SyncFunction& sync)
{
    {
        SqliteHandle db(openSqliteFile(partial, false));
        if (!isWholeCopy(db.get(), partial, expected))
            throw DbError(
                Error::Unrecognized,
                QStringLiteral("Unrecognized database format '%1'.").arg(describePath(partial)));
        db.exec(journal, describePath(partial));
    }
    if (!syncToDisk(sync, partial))
        throw DbError(Error::DiskError, QStringLiteral("Disk or network error: '%1' could not be "
                                                       "written to the disk.")
                                            .arg(describePath(partial)));
}

} // namespace

bool DbEngine::isWholeCopyOf(const QString& copy, const QString& source)
{
    try {
        SqliteHandle original(openSqliteFile(source, false));
        SqliteHandle copied(openSqliteFile(copy, false));
        const auto expected = contentsOf(original.get());
        return expected && isWholeCopy(copied.get(), copy, *expected);
    } catch (const DbError&) {
        return false;
    }
}

void DbEngine::compactDatabase(const QString& source, const QString& destination,
                               const SyncFunction& sync)
{
    if (QFileInfo::exists(destination))
        throw DbError(Error::DatabaseExists, QStringLiteral("Database already exists."));
    const QString partial = partialCompactionPath(destination);
    const auto toDisk = [&sync](const QString& path) { return syncToDisk(sync, path); };
    const auto removePartial = [&partial] { removePartialCopy(partial); };
    removePartial();
    try {
        std::optional<Contents> expected;
        {
            SqliteHandle db(openSqliteFile(source, false));
            recountKeptRows(db.get());
            // The copy reaches the disk once, below, rather than at every step of its making.
            db.exec(QStringLiteral("PRAGMA synchronous=OFF"), describePath(source));
            expected = contentsOf(db.get());
            if (!expected)
                throwSqlite(db.get(), sqlite3_extended_errcode(db.get()), describePath(source));
            const Statement statement(db.get(), "VACUUM INTO ?1", describePath(source));
            bindValue(statement.get(), 1, partial);
            stepToEnd(db.get(), statement.get(), describePath(source));
        }
        // The copy must read back whole before it takes the database's name. It keeps its
        // changes in a log from its first use on, as the database did.
        settleCopy(partial, *expected,
                   QStringLiteral("PRAGMA synchronous=OFF; PRAGMA journal_mode=WAL"), sync);
        if (std::rename(QFile::encodeName(partial).constData(),
                        QFile::encodeName(destination).constData()) != 0)
            throw DbError(Error::CannotOpen,
                          QStringLiteral("Could not write '%1'.").arg(describePath(destination)));
    } catch (...) {
        removePartial();
        throw;
    }
    // The new name must reach the disk too, or a power cut could bring back a folder
    // without the database. The copy is complete and named by now, so this cannot fail
    // the compaction.
    toDisk(QFileInfo(destination).absolutePath());
}

QString DbEngine::partialBackupPath(const QString& destination)
{
    return destination + QStringLiteral(".partial");
}

void DbEngine::backupDatabase(const QString& source, const QString& destination,
                              const SyncFunction& sync)
{
    const QString partial = partialBackupPath(destination);
    const auto toDisk = [&sync](const QString& path) { return syncToDisk(sync, path); };
    const auto removePartial = [&partial] { removePartialCopy(partial); };
    removePartial();
    try {
        std::optional<Contents> expected;
        {
            SqliteHandle db(openSqliteFile(source, true));
            const QString context = describePath(source);
            // One read transaction gives the tables' counts and every page copied: the
            // copy is the database at one moment, whatever is written meanwhile.
            db.exec(QStringLiteral("BEGIN"), context);
            expected = contentsOf(db.get());
            if (!expected)
                throwSqlite(db.get(), sqlite3_extended_errcode(db.get()), context);
            SqliteHandle copy(createSqliteFile(partial));
            // The copy reaches the disk once, below, rather than at every page.
            copy.exec(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF"),
                      describePath(partial));
            sqlite3_backup* backup = sqlite3_backup_init(copy.get(), "main", db.get(), "main");
            if (!backup)
                throwSqlite(copy.get(), sqlite3_extended_errcode(copy.get()),
                            describePath(partial));
            sqlite3_backup_step(backup, -1);
            if (sqlite3_backup_finish(backup) != SQLITE_OK)
                throwSqlite(copy.get(), sqlite3_extended_errcode(copy.get()),
                            describePath(partial));
            db.exec(QStringLiteral("COMMIT"), context);
        }
        // A backup is one file, which any copy of it takes whole.
        settleCopy(partial, *expected, QStringLiteral("PRAGMA journal_mode=DELETE"), sync);
        if (std::rename(QFile::encodeName(partial).constData(),
                        QFile::encodeName(destination).constData()) != 0)
            throw fileError(errno, describePath(destination));
    } catch (...) {
        removePartial();
        throw;
    }
    toDisk(QFileInfo(destination).absolutePath());
}

bool DbEngine::isWholeDatabase(const QString& path, QStringList* tables)
{
    try {
        SqliteHandle db(openSqliteFile(path, true));
        const auto contents = contentsOf(db.get());
        if (!contents || !isWholeCopy(db.get(), path, *contents))
            return false;
        if (tables) {
            tables->clear();
            for (const QString& row : contents->schema) {
                const QStringList parts = row.split(QLatin1Char('|'));
                if (parts.value(0) == QLatin1String("table"))
                    *tables << parts.value(1);
            }
        }
        return true;
    } catch (const DbError&) {
        return false;
    }
}

void DbEngine::keepInLogMode(const QString& path)
{
    SqliteHandle db(openSqliteFile(path, false));
    const QString context = describePath(path);
    const Statement statement(db.get(), "PRAGMA journal_mode=WAL", context);
    if (sqlite3_step(statement.get()) != SQLITE_ROW ||
        sqlite3_stricmp(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)),
                        "wal") != 0)
        throwSqlite(db.get(), sqlite3_extended_errcode(db.get()), context);
}

QDateTime DbEngine::lastBackup(const QString& workgroupPath, QString* file)
{
    try {
        SqliteHandle db(openSqliteFile(workgroupPath, true));
        const Statement statement(db.get(), "SELECT Taken, File FROM SysBackups",
                                  describePath(workgroupPath));
        if (sqlite3_step(statement.get()) != SQLITE_ROW)
            return QDateTime();
        if (file)
            *file = columnValue(statement.get(), 1).toString();
        return QDateTime::fromString(columnValue(statement.get(), 0).toString(), Qt::ISODate);
    } catch (const DbError&) {
        return QDateTime();
    }
}

void DbEngine::recordBackup(const QString& workgroupPath, const QDateTime& taken,
                            const QString& file)
{
    SqliteHandle db(openSqliteFile(workgroupPath, false));
    const QString context = describePath(workgroupPath);
    // The workgroup file is only ever read by the program; the record is one row.
    db.exec(QStringLiteral("BEGIN IMMEDIATE; CREATE TABLE IF NOT EXISTS SysBackups (Taken TEXT "
                           "NOT NULL, File TEXT NOT NULL); DELETE FROM SysBackups;"),
            context);
    {
        const Statement statement(db.get(), "INSERT INTO SysBackups VALUES (?1, ?2)", context);
        bindValue(statement.get(), 1,
                  taken.toOffsetFromUtc(taken.offsetFromUtc()).toString(Qt::ISODate));
        bindValue(statement.get(), 2, file);
        stepToEnd(db.get(), statement.get(), context);
    }
    db.exec(QStringLiteral("COMMIT"), context);
}

} // namespace Db
