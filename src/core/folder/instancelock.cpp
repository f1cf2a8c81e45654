#include "core/folder/instancelock.h"

#include "core/folder/safeopen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString LockFileName = QStringLiteral("Brisklander.lock");

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

InstanceLock::InstanceLock(const QString& path) : m_path(path) {}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing the descriptor releases the lock
}

InstanceLock::State InstanceLock::tryLock()
{
    if (m_fd >= 0)
        return State::Taken;
    m_error.clear();
    const QByteArray name = QFile::encodeName(m_path);
    // A lock can be taken on a file opened for reading, so a lock file that another
    // user made serves every user who can read it. The file we make is readable by all.
    int fd = ::open(name.constData(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) {
        ::fchmod(fd, 0644); // whatever the umask took away
    } else if (errno == EEXIST) {
        // Whoever can write the folder may have put something else there: a FIFO would
        // hold the start up for ever, a link would lead to a file of someone else's.
        fd = SafeOpen::openRegular(m_path, O_RDONLY, SafeOpen::Links::Refuse, &m_error);
        if (fd < 0)
            return State::Unavailable;
    }
    if (fd < 0) {
        m_error = systemError(errno);
        return State::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return State::HeldElsewhere;
        m_error = systemError(error);
        return State::Unavailable;
    }
    m_fd = fd;
    return State::Taken;
}

QString InstanceLock::machineLockPath()
{
    // The system's folder for lock files; /tmp where a system has none. Both are the
    // same for every user and every environment of one machine.
    const QString folder = QFileInfo(QStringLiteral("/run/lock")).isDir()
                               ? QStringLiteral("/run/lock")
                               : QStringLiteral("/tmp");
    return QDir(folder).filePath(LockFileName);
}

QString InstanceLock::folderLockPath(const QString& programFolder)
{
    return QDir(programFolder).filePath(LockFileName);
}
