#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace Db {

class Workspace;

// The engine: workgroup defaults, workspaces, compaction and backups.
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
    // A workspace of its own workgroup, for databases the program makes and throws away.
    static std::shared_ptr<Workspace> scratchWorkspace();
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

    // Copies a database that may be in use, other connections writing meanwhile, into
    // `destination`: the copy holds the database as one read transaction sees it, is
    // written under a temporary name beside the destination (partialBackupPath), checked
    // as a compacted copy is, kept in one file without a log, brought to the disk and
    // renamed over the destination, the folder brought to the disk after. Whatever fails,
    // the destination stays as it was and the partial copy goes.
    static void backupDatabase(const QString& source, const QString& destination,
                               const SyncFunction& sync = {});
    static QString partialBackupPath(const QString& destination);

    // True when the file reads as a whole database, by the check a compacted copy passes
    // (against its own tables counted through their indexes); `tables` then names its
    // tables. Changes nothing.
    static bool isWholeDatabase(const QString& path, QStringList* tables = nullptr);
    // Puts a database into write-ahead-log mode, the mode the program keeps it in.
    static void keepInLogMode(const QString& path);

    // The time of the last backup recorded in a workgroup file and the file it went to;
    // an invalid time when none is recorded or the file cannot be read.
    static QDateTime lastBackup(const QString& workgroupPath, QString* file = nullptr);
    // Records a backup in the workgroup file, in place of the one recorded before.
    static void recordBackup(const QString& workgroupPath, const QDateTime& taken,
                             const QString& file);

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
