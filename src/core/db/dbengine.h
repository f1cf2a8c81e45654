#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace Db {

class Workspace;

// The engine: workgroup defaults, workspaces and compaction.
class DbEngine
{
public:
    static DbEngine& instance();

    void setSystemDB(const QString& path) { m_systemDB = path; }
    void setDefaultUser(const QString& user) { m_defaultUser = user; }
    void setDefaultPassword(const QString& password) { m_defaultPassword = password; }

    // Workspaces(0): opened on first use with the default account.
    std::shared_ptr<Workspace> defaultWorkspace();
    std::shared_ptr<Workspace> createWorkspace(const QString& name, const QString& user,
                                               const QString& password);
    void closeDefaultWorkspace();
    // Closes every workspace and forgets the defaults.
    void release();

    // Creates a workgroup file holding one account.
    static void createWorkgroupFile(const QString& path, const QString& user,
                                    const QString& password);

    // Brings a file's or a folder's contents to the disk; false when it could not.
    // Without one, the system's.
    using SyncFunction = std::function<bool(const QString& path)>;

    // Copies a database into a new, compacted file; the destination must not exist.
    // The copy is written under a temporary name (partialCompactionPath), checked, put
    // in write-ahead-log mode and brought to the disk, then renamed into place and the folder
    // brought to the disk, so the destination never holds a partial database, not even after a
    // power cut.
    static void compactDatabase(const QString& source, const QString& destination,
                                const SyncFunction& sync = {});
    static QString partialCompactionPath(const QString& destination);

    // True when `copy` reads back as a whole copy of `source`: the check a compacted copy
    // passes before it takes the database's name. Changes neither file's contents.
    static bool isWholeCopyOf(const QString& copy, const QString& source);

    // Brings everything a crash may have left beside a database file (a hot journal,
    // a write-ahead log) into the file itself, so that the file alone holds the data
    // and can be renamed or copied; its journal mode stays. Fails when another
    // connection has it open.
    static void settleDatabaseFile(const QString& path);

private:
    DbEngine() = default;
    QByteArray verifyAccount(const QString& user, const QString& password) const;

    QString m_systemDB;
    QString m_defaultUser;
    QString m_defaultPassword;
    std::shared_ptr<Workspace> m_default;
    std::vector<std::weak_ptr<Workspace>> m_workspaces;
};

} // namespace Db
