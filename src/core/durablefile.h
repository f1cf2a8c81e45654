#pragma once

#include <QByteArray>
#include <QString>

// Replacing a file so that it is either wholly the new one or, byte for byte, the old
// one: the new contents go to a temporary file beside it, every write, the flush to
// the disk and the close are checked, and only then does the temporary file take the
// name (and the folder is brought to the disk). QSaveFile does most of that, but a
// buffered write that fails when the file is closed still let it rename a short file
// over the old one on a full disk.
namespace DurableFile {

struct Result
{
    bool ok = true;
    QString error; // the system's reason ("No space left on device") when not ok
};

Result write(const QString& path, const QByteArray& bytes);

// Brings a file's contents, or a folder's entries (a rename, a new file), to the disk.
bool sync(const QString& path, QString* error = nullptr);

} // namespace DurableFile
