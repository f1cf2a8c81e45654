#pragma once

// What the operating system does to a program on a bad day, made to order for tests:
// a full disk, a read-only folder, another user, another process holding a lock.
// The disks and users need root (CI runs as root); tests QSKIP without it.

#include "core/folder/instancelock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <csignal>
#include <memory>

#include <sys/mount.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

inline bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// A small tmpfs mounted on a new folder for the life of the object.
class TinyDisk
{
public:
    TinyDisk(const QString& folder, const QByteArray& size) : m_folder(folder)
    {
        QDir().mkpath(folder);
        const QByteArray options = "size=" + size;
        m_mounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                            options.constData()) == 0;
    }
    ~TinyDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }
    TinyDisk(const TinyDisk&) = delete;
    TinyDisk& operator=(const TinyDisk&) = delete;

    bool isMounted() const { return m_mounted; }
    // Writes a filler file until the disk refuses another byte.
    void fill() const
    {
        QFile filler(QDir(m_folder).filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("f", 1) == 1) {
        }
    }

private:
    QString m_folder;
    bool m_mounted = false;
};

// The folder seen read-only, as on a read-only file system, for the life of the object.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString& folder) : m_folder(QFile::encodeName(folder))
    {
        m_mounted =
            ::mount(m_folder.constData(), m_folder.constData(), nullptr, MS_BIND, nullptr) == 0;
        if (m_mounted)
            m_readOnly = ::mount(nullptr, m_folder.constData(), nullptr,
                                 MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    ~ReadOnlyFolder()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool isReadOnly() const { return m_readOnly; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
    bool m_readOnly = false;
};

// Runs the process as an unprivileged user (nobody) for the life of the object.
class AsOtherUser
{
public:
    AsOtherUser() { m_switched = ::setegid(65534) == 0 && ::seteuid(65534) == 0; }
    ~AsOtherUser()
    {
        if (::seteuid(0) != 0 || ::setegid(0) != 0)
            ::abort(); // the rest of the tests cannot run as the wrong user
    }
    AsOtherUser(const AsOtherUser&) = delete;
    AsOtherUser& operator=(const AsOtherUser&) = delete;
    bool switched() const { return m_switched; }

private:
    bool m_switched = false;
};

// Another process that holds a lock file, as another running copy does, until the
// object is destroyed (or killed the hard way, as a crash ends a copy).
class LockHolder
{
public:
    explicit LockHolder(const QString& path)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            InstanceLock lock(path);
            const char state = lock.tryLock() == InstanceLock::State::Taken ? 'y' : 'n';
            if (::write(ready[1], &state, 1) != 1)
                ::_exit(1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char state = 'n';
        m_holding = m_pid > 0 && ::read(ready[0], &state, 1) == 1 && state == 'y';
        ::close(ready[0]);
    }
    ~LockHolder() { kill(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool isHolding() const { return m_holding; }
    void kill()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

private:
    pid_t m_pid = -1;
    bool m_holding = false;
};

// The sqlite3 shell in the middle of a write transaction on the file, as another
// program that has the database open for a change, until the object is destroyed.
// Exclusive, it keeps every reader out too; else the program reads on and only its
// writes wait.
class WriteTransactionHolder
{
public:
    explicit WriteTransactionHolder(const QString& database, bool exclusive = true)
    {
        m_shell.start(QStringLiteral("sqlite3"), {database});
        if (!m_shell.waitForStarted())
            return;
        m_shell.write(exclusive ? "PRAGMA journal_mode=DELETE;\nBEGIN EXCLUSIVE;\n"
                                : "BEGIN IMMEDIATE;\n");
        m_shell.write("CREATE TABLE HeldByShell (x);\nSELECT 'held';\n");
        QByteArray output;
        while (!output.contains("held") && m_shell.waitForReadyRead(5000))
            output += m_shell.readAllStandardOutput();
        m_holding = output.contains("held");
    }
    ~WriteTransactionHolder()
    {
        m_shell.kill();
        m_shell.waitForFinished();
    }
    WriteTransactionHolder(const WriteTransactionHolder&) = delete;
    WriteTransactionHolder& operator=(const WriteTransactionHolder&) = delete;
    bool isHolding() const { return m_holding; }

private:
    QProcess m_shell;
    bool m_holding = false;
};
