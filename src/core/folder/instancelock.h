#pragma once

#include <QString>

// An advisory lock on a file that the operating system releases when the process
// ends, however it ends: a crashed copy never leaves a lock behind, and what the
// file holds does not matter. The lock is held from a successful tryLock() until
// the object is destroyed.
class InstanceLock
{
public:
    enum class State
    {
        Taken,         // this object holds the lock
        HeldElsewhere, // another process (or another lock object) holds it
        Unavailable    // the lock file cannot be opened or locked at all, or is no regular
                       // file (a FIFO, a folder, a symbolic link): never waited on or followed
    };

    explicit InstanceLock(const QString& path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    State tryLock();
    bool isLocked() const { return m_fd >= 0; }
    QString path() const { return m_path; }
    // Why the last tryLock() found the lock unavailable.
    QString errorString() const { return m_error; }

    // The lock every copy on this machine takes, whoever runs it: a fixed folder
    // that every user can write to, whatever the user's TMPDIR says.
    static QString machineLockPath();
    // The lock beside a program folder's database, which every copy and every tool
    // working on that folder takes.
    static QString folderLockPath(const QString& programFolder);

private:
    QString m_path;
    QString m_error;
    int m_fd = -1;
};
