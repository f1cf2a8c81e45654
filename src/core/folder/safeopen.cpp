#include "core/folder/safeopen.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeOpen {

namespace {

QString notAFile(mode_t mode)
{
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a FIFO (named pipe), not a regular file");
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder, not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a regular file");
    return QStringLiteral("it is not a regular file");
}

int fail(QString* error, int* systemError, int number, const QString& text = QString())
{
    if (error)
        *error = text.isEmpty() ? QString::fromLocal8Bit(std::strerror(number)) : text;
    if (systemError)
        *systemError = number;
    return -1;
}

} // namespace

int openRegular(const QString& path, int flags, Links links, QString* error, int* systemError,
                unsigned mode)
{
    const QByteArray name = QFile::encodeName(path);
    if (links == Links::FollowOwn) {
        // Another user's link in a folder both may write to could lead anywhere.
        struct stat link;
        if (::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode) &&
            link.st_uid != ::geteuid() && link.st_uid != 0)
            return fail(error, systemError, ELOOP,
                        QStringLiteral("it is a symbolic link that another user made"));
    }
    const int nofollow = links == Links::Refuse ? O_NOFOLLOW : 0;
    // Not even opened when it is plainly no file: opening some devices does something.
    struct stat before;
    if ((nofollow ? ::lstat(name.constData(), &before) : ::stat(name.constData(), &before)) == 0) {
        if (S_ISLNK(before.st_mode))
            return fail(error, systemError, ELOOP, QStringLiteral("it is a symbolic link"));
        if (!S_ISREG(before.st_mode))
            return fail(error, systemError, EINVAL, notAFile(before.st_mode));
    }
    const int fd = ::open(name.constData(), flags | nofollow | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd < 0) {
        const int number = errno;
        if (number == ELOOP && nofollow)
            return fail(error, systemError, ELOOP, QStringLiteral("it is a symbolic link"));
        return fail(error, systemError, number);
    }
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        const int number = errno;
        ::close(fd);
        return fail(error, systemError, number);
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return fail(error, systemError, EINVAL, notAFile(status.st_mode));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool readFile(const QString& path, QByteArray& bytes, QString* error, int* systemError, Links links)
{
    bytes.clear();
    const int fd = openRegular(path, O_RDONLY, links, error, systemError);
    if (fd < 0)
        return false;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            bytes.append(buffer, got);
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            fail(error, systemError, errno);
            ::close(fd);
            bytes.clear();
            return false;
        }
    }
    ::close(fd);
    return true;
}

} // namespace SafeOpen
