#pragma once

#include <QByteArray>
#include <QString>

// Replacing a file so that it is either wholly the new one or, byte for byte, the old
// one: the new contents go to a temporary file beside it, every write, the flush to
// the disk and the close are checked, and only then does the temporary file take the
// name (and the folder is brought to the disk). QSaveFile does most of that, but a
// buffered write that fails when the file is closed still let it rename a short file
// over the old one on a full disk.
//
// The replaced file keeps what the operator set on the old one: its mode, its group
// (and its owner when the process may set them), and a symbolic link stays a link,
// its target being replaced. A file without any write permission is not replaced. A
// target that is no regular file (a terminal, /dev/stdout, /dev/full, a pipe) is
// written directly, never replaced. The temporary file is created afresh, never
// through a link or file someone else left at its name.
namespace DurableFile {

struct Result
{
    bool ok = true;
    QString error; // the system's reason ("No space left on device") when not ok
};

Result write(const QString& path, const QByteArray& bytes);

// Brings a file's contents, or a folder's entries (a rename, a new file), to the disk.
bool sync(const QString& path, QString* error = nullptr);

// Removes the temporary files a write of `path` killed half-way left beside it. Only
// for a process that knows no other one is writing the file (the program, holding
// its single-copy lock, for its settings file).
void removeStaleTemporaries(const QString& path);

} // namespace DurableFile
