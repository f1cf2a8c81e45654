// The engine's dealings with SQLite itself: opening and creating files, binding and
// reading values, and what each of SQLite's answers means to the program.

#include "core/db/engine_p.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Db {

QString describePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

namespace {

QString columnOfConstraint(const char* message)
{
    // "NOT NULL constraint failed: Airports.NAME"
    const QString text = QString::fromUtf8(message);
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    return colon < 0 ? text : text.mid(colon + 1).trimmed();
}

} // namespace

void throwSqlite(sqlite3* db, int rc, const QString& context)
{
    const char* message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    const QString detail = QString::fromUtf8(message);
    switch (rc) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        throw DbError(Error::DuplicateKey,
                      QStringLiteral("The changes you requested to the table were not successful "
                                     "because they would create duplicate values in the index, "
                                     "primary key, or relationship. (%1)")
                          .arg(columnOfConstraint(message)));
    case SQLITE_CONSTRAINT_NOTNULL:
        throw DbError(Error::RequiredField,
                      QStringLiteral("The field '%1' cannot contain a Null value because the "
                                     "Required property for this field is set to True. Enter a "
                                     "value in this field.")
                          .arg(columnOfConstraint(message)));
    default:
        break;
    }
    // What the operating system said, when SQLite's answer came from it.
    const int systemError = db ? sqlite3_system_errno(db) : 0;
    const QString file = context.isEmpty() ? QString() : QStringLiteral(" '%1'").arg(context);
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        if (!context.isEmpty())
            throw DbError(Error::Locked,
                          QStringLiteral("Could not update; currently locked. Another program is "
                                         "using the file '%1'.")
                              .arg(context));
        throw DbError(Error::Locked, QStringLiteral("Could not update; currently locked."));
    case SQLITE_READONLY:
        if (context.isEmpty())
            throw DbError(Error::ReadOnly,
                          QStringLiteral("Cannot update. Database or object is read-only."));
        throw DbError(Error::ReadOnly, QStringLiteral("Cannot update. The database file '%1' or "
                                                      "its folder is read-only.")
                                           .arg(context));
    case SQLITE_FULL:
        throw DbError(Error::DiskFull,
                      QStringLiteral("Not enough space on disk to write%1.").arg(file));
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        throw DbError(Error::Unrecognized,
                      QStringLiteral("Unrecognized database format '%1'.").arg(context));
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        if (systemError != 0 && !context.isEmpty())
            throw fileError(systemError, context);
        if ((rc & 0xff) == SQLITE_IOERR)
            throw DbError(Error::DiskError, QStringLiteral("Disk or network error reading or "
                                                           "writing%1 (%2).")
                                                .arg(file, detail));
        throw DbError(Error::CannotOpen, QStringLiteral("Cannot open database '%1'. It may not "
                                                        "be a database that your application "
                                                        "recognizes, or the file may be corrupt.")
                                             .arg(context));
    case SQLITE_CONSTRAINT:
        throw DbError(Error::TypeMismatch, QStringLiteral("The value is not valid for the "
                                                          "field (%1).")
                                               .arg(detail));
    default:
        throw DbError(Error::EngineFailure,
                      QStringLiteral("Database engine error %1: %2").arg(rc).arg(detail));
    }
}

DbError fileError(int systemError, const QString& path)
{
    const QString reason = QString::fromLocal8Bit(std::strerror(systemError));
    switch (systemError) {
    case ENOENT:
    case ENOTDIR:
        return DbError(Error::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    case EACCES:
    case EPERM:
        return DbError(Error::FileNoPermission,
                       QStringLiteral("Cannot open the file '%1'. You need permission to read "
                                      "and write it and its folder (%2).")
                           .arg(path, reason));
    case EROFS:
        return DbError(Error::ReadOnly, QStringLiteral("Cannot update. The database file '%1' "
                                                       "or its folder is read-only (%2).")
                                            .arg(path, reason));
    case ENOSPC:
    case EDQUOT:
        return DbError(Error::DiskFull,
                       QStringLiteral("Not enough space on disk to write '%1'.").arg(path));
    default:
        return DbError(Error::DiskError,
                       QStringLiteral("Disk or network error reading or writing '%1' (%2).")
                           .arg(path, reason));
    }
}

void bindValue(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(statement, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        sqlite3_bind_int(statement, index, value.toBool() ? 1 : 0);
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        sqlite3_bind_int64(statement, index, value.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(statement, index, value.toDouble());
        return;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        return;
    }
    }
}

QVariant columnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
        return QVariant(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                              sqlite3_column_bytes(statement, column)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                                   sqlite3_column_bytes(statement, column)));
    default:
        return QVariant();
    }
}

QString quoteIdentifier(const QString& name)
{
    QString inner = name;
    if (inner.startsWith(QLatin1Char('[')) && inner.endsWith(QLatin1Char(']')))
        inner = inner.mid(1, inner.size() - 2);
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString quoteLiteral(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString translateQuery(const QString& jetSql)
{
    QString out;
    out.reserve(jetSql.size());
    for (qsizetype i = 0; i < jetSql.size(); ++i) {
        const QChar c = jetSql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('[')) {
            // Copy single-quoted literals and bracketed names as they stand.
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            qsizetype end = jetSql.indexOf(close, i + 1);
            if (end < 0)
                end = jetSql.size() - 1;
            out += jetSql.mid(i, end - i + 1);
            i = end;
        } else if (c == QLatin1Char('"')) {
            QString literal;
            qsizetype j = i + 1;
            for (; j < jetSql.size(); ++j) {
                if (jetSql.at(j) == QLatin1Char('"')) {
                    if (j + 1 < jetSql.size() && jetSql.at(j + 1) == QLatin1Char('"')) {
                        literal += QLatin1Char('"');
                        ++j;
                        continue;
                    }
                    break;
                }
                literal += jetSql.at(j);
            }
            out += quoteLiteral(literal);
            i = j;
        } else {
            out += c;
        }
    }
    return out;
}

sqlite3* openSqliteFile(const QString& path, bool readOnly)
{
    // SQLite would take a file it cannot open for a damaged one, and an empty file
    // for an empty database: ask the file system first, so the error names the cause.
    const QString described = describePath(path);
    const QByteArray name = QFile::encodeName(path);
    struct stat status;
    if (::stat(name.constData(), &status) != 0)
        throw fileError(errno, described);
    if (!S_ISREG(status.st_mode))
        throw DbError(Error::FileNotFound,
                      QStringLiteral("Could not find file '%1'.").arg(described));
    const int probe = ::open(name.constData(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (probe < 0) {
        const int error = errno;
        if (readOnly && (error == EACCES || error == EPERM))
            throw DbError(Error::FileNoPermission,
                          QStringLiteral("Cannot open the file '%1'. You need permission to read "
                                         "it (%2).")
                              .arg(described, QString::fromLocal8Bit(std::strerror(error))));
        throw fileError(error, described);
    }
    ::close(probe);
    if (status.st_size == 0)
        throw DbError(
            Error::Unrecognized,
            QStringLiteral("Unrecognized database format '%1'. The file is empty.").arg(described));

    sqlite3* db = nullptr;
    const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    const int rc = sqlite3_open_v2(name.constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const int systemError = db ? sqlite3_system_errno(db) : 0;
        sqlite3_close(db);
        // The engine keeps a file's path, and the names of its journal and log beside it
        // (8 characters longer), within a fixed length that the file system does not have.
        const sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
        const QFileInfo info(path);
        const qsizetype length =
            QFile::encodeName(info.canonicalFilePath().isEmpty() ? info.absoluteFilePath()
                                                                 : info.canonicalFilePath())
                .size();
        if ((rc & 0xff) == SQLITE_CANTOPEN && vfs && length + 8 > vfs->mxPathname)
            throw DbError(Error::InvalidPath,
                          QStringLiteral("'%1' is not a valid path: the database engine takes "
                                         "paths of up to %2 characters, and this one has %3. "
                                         "Move the folder to a shorter path.")
                              .arg(described)
                              .arg(vfs->mxPathname - 8)
                              .arg(length));
        if (systemError != 0)
            throw fileError(systemError, described);
        throwSqlite(nullptr, rc, described);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 2000);
    return db;
}

void stepToEnd(sqlite3* db, sqlite3_stmt* statement, const QString& context)
{
    if (sqlite3_step(statement) != SQLITE_DONE)
        throwSqlite(db, sqlite3_extended_errcode(db), context);
}

sqlite3* createSqliteFile(const QString& path)
{
    if (QFileInfo::exists(path))
        throw DbError(Error::DatabaseExists, QStringLiteral("Database already exists."));
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        throwSqlite(nullptr, rc, describePath(path));
    }
    sqlite3_extended_result_codes(db, 1);
    return db;
}

} // namespace Db
