#include "core/folder/durablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DurableFile {

namespace {

// What the temporary file's name adds to the target's: random letters, so that no
// one can prepare a file or a link at it, and an ending no file of the operator has,
// so that the leftovers of a killed write can be told apart.
const QString TemporarySuffix = QStringLiteral(".brisklander-tmp");
constexpr int RandomLetters = 6;

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

// The file a path names once every symbolic link on the way is followed, so that a
// link keeps pointing where the operator made it point. A dangling link names the
// file it would point to. A link into /proc (/dev/stdout is one) stands for a file a
// process has open, which is written where it is: `descriptor` is then set.
bool resolveLinks(QByteArray& path, int* error, bool* descriptor = nullptr)
{
    for (int hops = 0; hops < 40; ++hops) {
        if (path.startsWith("/proc/")) {
            if (descriptor)
                *descriptor = true;
            return true;
        }
        struct stat info;
        if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return true;
        QByteArray target(PATH_MAX, '\0');
        const ssize_t size = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (size < 0 || size >= target.size()) {
            *error = size < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        target.truncate(size);
        if (!target.startsWith('/')) {
            const qsizetype slash = path.lastIndexOf('/');
            target.prepend(slash < 0 ? QByteArray() : path.first(slash + 1));
        }
        path = target;
    }
    *error = ELOOP;
    return false;
}

// Every byte, or the reason why not.
int writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : ENOSPC;
        done += written;
    }
    return 0;
}

// A terminal, a pipe or a device such as /dev/full is written where it is: replacing
// it would put a regular file in its place. A pipe nobody reads is refused at once
// instead of waiting for a reader. A file reached through a process's descriptor
// (standard output sent to a file) gets the bytes at its end, as its writer would.
Result writeInPlace(const QByteArray& target, const QByteArray& bytes)
{
    const int fd =
        ::open(target.constData(), O_WRONLY | O_APPEND | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    int error = writeAll(fd, bytes);
    // Most devices and pipes have nothing to bring to a disk.
    if (!error && ::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP && errno != EROFS)
        error = errno;
    if (::close(fd) != 0 && !error && errno != EINTR)
        error = errno;
    return error ? failed(error) : Result{};
}

int createTemporary(const QByteArray& target, QByteArray* temporary)
{
    static const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = target + '.';
        for (int i = 0; i < RandomLetters; ++i)
            name += Letters[QRandomGenerator::global()->bounded(int(sizeof Letters) - 1)];
        name += QFile::encodeName(TemporarySuffix);
        const int fd =
            ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            *temporary = name;
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

} // namespace

Result write(const QString& path, const QByteArray& bytes)
{
    const QByteArray named = QFile::encodeName(path);
    struct stat old;
    if (::stat(named.constData(), &old) == 0 && !S_ISREG(old.st_mode) && !S_ISDIR(old.st_mode))
        return writeInPlace(named, bytes);
    QByteArray target = named;
    int error = 0;
    bool descriptor = false;
    if (!resolveLinks(target, &error, &descriptor))
        return failed(error);
    if (descriptor)
        return writeInPlace(named, bytes);

    const bool replacing = ::stat(target.constData(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode))
        return failed(EISDIR);
    // A file the operator made read-only stays as it is, for the root account too (the
    // rename would replace it all the same); so does a file this user may not write.
    if (replacing && (old.st_mode & 0222) == 0)
        return {false, QStringLiteral("The file is read-only.")};
    if (replacing && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return failed(errno);

    QByteArray temporary;
    const int fd = createTemporary(target, &temporary);
    if (fd < 0)
        return failed(errno);
    if (replacing) {
        // Owner and group where the process may set them (the group it belongs to),
        // then the mode, which a change of owner may have cut.
        const bool owned =
            ::fchown(fd, old.st_uid, old.st_gid) == 0 || ::fchown(fd, uid_t(-1), old.st_gid) == 0;
        Q_UNUSED(owned);
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }

    error = writeAll(fd, bytes);
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (error) {
        ::close(fd);
        return failed(error, temporary);
    }
    if (::close(fd) != 0)
        return failed(errno, temporary);
    if (std::rename(temporary.constData(), target.constData()) != 0)
        return failed(errno, temporary);
    // The file is complete and named: a folder that cannot be synced changes nothing
    // the operator could act on.
    sync(QFileInfo(QFile::decodeName(target)).absolutePath());
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

void removeStaleTemporaries(const QString& path)
{
    QByteArray target = QFile::encodeName(path);
    int error = 0;
    if (!resolveLinks(target, &error))
        return;
    const QFileInfo file(QFile::decodeName(target));
    const QRegularExpression ours(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(file.fileName()) +
        QStringLiteral("\\.[A-Za-z0-9]{%1}").arg(RandomLetters) +
        QRegularExpression::escape(TemporarySuffix)));
    const QDir folder = file.absoluteDir();
    bool removed = false;
    for (const QString& name :
         folder.entryList({file.fileName() + u'*'}, QDir::Files | QDir::Hidden | QDir::System)) {
        if (!ours.match(name).hasMatch())
            continue;
        // Only a plain file this user made: never a link or another user's file.
        const QByteArray candidate = QFile::encodeName(folder.filePath(name));
        struct stat info;
        if (::lstat(candidate.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid() && ::unlink(candidate.constData()) == 0)
            removed = true;
    }
    if (removed)
        sync(folder.absolutePath());
}

} // namespace DurableFile
