#include "core/durablefile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DurableFile {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

Result failed(int error, const QByteArray& temporary = QByteArray())
{
    if (!temporary.isEmpty())
        ::unlink(temporary.constData());
    return {false, systemError(error)};
}

} // namespace

Result write(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = QFile::encodeName(path);
    // The new file keeps the old one's permissions; a first file gets the usual ones.
    struct stat old;
    const bool replacing = ::stat(target.constData(), &old) == 0;
    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return failed(errno);
    if (replacing) {
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }

    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            ::close(fd);
            return failed(error, temporary);
        }
        done += written;
    }
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return failed(error, temporary);
    }
    if (::close(fd) != 0)
        return failed(errno, temporary);
    if (std::rename(temporary.constData(), target.constData()) != 0)
        return failed(errno, temporary);
    // The file is complete and named: a folder that cannot be synced changes nothing
    // the operator could act on.
    sync(QFileInfo(path).absolutePath());
    return {};
}

bool sync(const QString& path, QString* error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (!synced && error)
        *error = systemError(errno);
    if (fd >= 0)
        ::close(fd);
    return synced;
}

} // namespace DurableFile
