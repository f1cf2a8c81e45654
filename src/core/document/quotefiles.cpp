#include "core/document/quotefiles.h"

#include "core/document/quotetextfile.h"
#include "core/folder/durablefile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace PrintJob {

QString documentName(const QuoteData& data)
{
    QString subject = data.customer.Name.trimmed();
    if (subject.isEmpty()) {
        QStringList ids;
        for (const QuoteData::RouteRow& row : data.route)
            ids << row.id.trimmed();
        subject = ids.join(QLatin1Char('-'));
    }
    return (QStringLiteral("Quote ") + subject).trimmed();
}

void checkFolder(const QString& path)
{
    if (!QFileInfo(path).absoluteDir().exists())
        throw PrintError(PathNotFound,
                         QStringLiteral("Path not found: %1").arg(QDir::toNativeSeparators(path)));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    const DurableFile::Result result = DurableFile::write(path, bytes);
    if (!result.ok)
        throw PrintError(FileAccessError, QStringLiteral("Path/File access error: %1 (%2)")
                                              .arg(QDir::toNativeSeparators(path), result.error));
}

void writeTextFile(const QString& path, const QuoteData& data)
{
    checkFolder(path);
    writeFile(path, QuoteTextFile::contents(data));
}

} // namespace PrintJob
