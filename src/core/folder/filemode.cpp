#include "core/folder/filemode.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace FileMode {

bool copy(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    struct stat status;
    if (::stat(source.constData(), &status) != 0)
        return false;
    // Owner and group first: a change of owner clears set-id bits that chmod sets.
    if (::chown(target.constData(), status.st_uid, status.st_gid) != 0 &&
        ::chown(target.constData(), uid_t(-1), status.st_gid) != 0) {
        // Neither is ours to give: the file stays the running user's.
    }
    return ::chmod(target.constData(), status.st_mode & 07777) == 0;
}

} // namespace FileMode
