#pragma once

#include <QByteArray>
#include <QString>

// Opening a file that someone else may have put in its place. A FIFO where a file
// belongs makes open() or read() wait for a writer that never comes, and a device or
// a folder is no file at all: QFile waits, or reads nonsense. These open without
// ever waiting and take a regular file only, so every caller gets an answer at once.
namespace SafeOpen {

enum class Links
{
    Follow,    // a symbolic link is followed, whoever made it
    FollowOwn, // followed when this user (or the system) made it; another user's is refused
    Refuse,    // a symbolic link is refused (files the program itself makes)
};

// Opens the regular file at `path` with the open() flags `flags` (O_RDONLY, O_RDWR,
// and O_CREAT with `mode`); O_NONBLOCK and O_CLOEXEC are added for the opening and
// the descriptor is left in blocking mode. Returns the descriptor, or -1 with the
// reason in `error` (a sentence without the path) and the errno value in
// `systemError` (EINVAL when something other than a regular file is there, ELOOP for
// a refused link).
int openRegular(const QString& path, int flags, Links links, QString* error = nullptr,
                int* systemError = nullptr, unsigned mode = 0644);

// Reads the whole regular file at `path`. False, with the reason as above, when it
// cannot be opened or read.
bool readFile(const QString& path, QByteArray& bytes, QString* error = nullptr,
              int* systemError = nullptr, Links links = Links::FollowOwn);

} // namespace SafeOpen
