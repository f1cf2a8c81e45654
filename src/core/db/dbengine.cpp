#include "core/db/dbengine.h"

#include "core/db/engine_p.h"
#include "core/db/sqlitehandle.h"
#include "core/db/statement.h"
#include "core/db/workspace.h"
#include "core/folder/durablefile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUuid>

#include <cstdio>

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
    SqliteHandle db(openSqliteFile(path, false));
    const QString context = describePath(path);
    // Reading the schema replays or rolls back whatever a crash left beside the file.
    db.exec(QStringLiteral("SELECT count(*) FROM sqlite_schema"), context);
    sqlite3_busy_timeout(db.get(), 0);
    const auto locked = [](int) {
        throw DbError(Error::Locked, QStringLiteral("Could not update; currently locked."));
    };
    {
        const Statement statement(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)", locked);
        const int rc = sqlite3_step(statement.get());
        const bool blocked = rc == SQLITE_ROW && sqlite3_column_int(statement.get(), 0) != 0;
        if (blocked || (rc != SQLITE_ROW && rc != SQLITE_DONE))
            locked(rc);
    }
    // Leaving WAL mode needs the only connection to the file, and removes the log.
    QString mode;
    {
        // The log goes once the statement has ended.
        const Statement statement(db.get(), "PRAGMA journal_mode=DELETE", locked);
        if (sqlite3_step(statement.get()) == SQLITE_ROW)
            mode = columnValue(statement.get(), 0).toString();
    }
    if (mode.compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
        locked(0);
    for (const char* suffix : {"-wal", "-journal"}) {
        if (QFileInfo::exists(path + QLatin1String(suffix)))
            locked(0);
    }
}

QString DbEngine::partialCompactionPath(const QString& destination)
{
    return destination + QStringLiteral(".compacting");
}

bool DbEngine::isIntactDatabase(const QString& path)
{
    sqlite3* raw = nullptr;
    try {
        raw = openSqliteFile(path, true);
    } catch (const DbError&) {
        return false;
    }
    SqliteHandle db(raw);
    const auto firstValue = [&](const char* sql) {
        try {
            const Statement statement(db.get(), sql, describePath(path));
            return sqlite3_step(statement.get()) == SQLITE_ROW
                       ? columnValue(statement.get(), 0).toString()
                       : QString();
        } catch (const DbError&) {
            return QString();
        }
    };
    return firstValue("SELECT count(*) FROM sqlite_schema WHERE name = 'SysWorkgroup'") ==
               QLatin1String("1") &&
           firstValue("PRAGMA quick_check") == QLatin1String("ok");
}

void DbEngine::compactDatabase(const QString& source, const QString& destination,
                               const SyncFunction& sync)
{
    if (QFileInfo::exists(destination))
        throw DbError(Error::DatabaseExists, QStringLiteral("Database already exists."));
    const QString partial = partialCompactionPath(destination);
    const auto toDisk = [&sync](const QString& path) {
        return sync ? sync(path) : DurableFile::sync(path);
    };
    QFile::remove(partial);
    try {
        {
            SqliteHandle db(openSqliteFile(source, false));
            const Statement statement(db.get(), "VACUUM INTO ?1", describePath(source));
            bindValue(statement.get(), 1, partial);
            stepToEnd(db.get(), statement.get(), describePath(source));
        }
        // The copy must read back whole before it takes the database's name.
        if (!isIntactDatabase(partial))
            throw DbError(Error::Unrecognized, QStringLiteral("Unrecognized database format "
                                                              "'%1'.")
                                                   .arg(describePath(partial)));
        if (!toDisk(partial))
            throw DbError(Error::DiskError, QStringLiteral("Disk or network error: '%1' could "
                                                           "not be written to the disk.")
                                                .arg(describePath(partial)));
        if (std::rename(QFile::encodeName(partial).constData(),
                        QFile::encodeName(destination).constData()) != 0)
            throw DbError(Error::CannotOpen,
                          QStringLiteral("Could not write '%1'.").arg(describePath(destination)));
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    // The new name must reach the disk too, or a power cut could bring back a folder
    // without the database. The copy is complete and named by now, so this cannot fail
    // the compaction.
    toDisk(QFileInfo(destination).absolutePath());
}

} // namespace Db
