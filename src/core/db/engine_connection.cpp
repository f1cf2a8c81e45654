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

DbError::DbError(int number, const QString& description)
    : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
{}

QString describePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

namespace {

QString columnOfConstraint(const char* message)
{
    // "NOT NULL constraint failed: Airports.NAME"
    const QString text = QString::fromUtf8(message);
    const int colon = text.lastIndexOf(QLatin1Char(':'));
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
            literal.replace(QLatin1Char('\''), QStringLiteral("''"));
            out += QLatin1Char('\'') + literal + QLatin1Char('\'');
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

namespace {

// like(pattern, text) with the program's wildcards, for patterns that are more
// than a plain prefix.
void likeFunction(sqlite3_context* context, int, sqlite3_value** values)
{
    if (sqlite3_value_type(values[1]) == SQLITE_NULL) {
        sqlite3_result_int(context, 0);
        return;
    }
    const QString pattern =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(values[0])));
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(values[1])));
    sqlite3_result_int(context, Criterion::likeMatches(pattern, text) ? 1 : 0);
}

} // namespace

Statement::Statement(sqlite3* db, const char* sql, const QString& context)
    : Statement(db, sql,
                [db, &context](int) { throwSqlite(db, sqlite3_extended_errcode(db), context); })
{}

Statement::Statement(sqlite3* db, const char* sql, const std::function<void(int rc)>& fail)
{
    const int rc = sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr);
    if (rc == SQLITE_OK)
        return;
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
    fail(rc);
    throwSqlite(db, rc); // for a `fail` that did not throw
}

Connection::Connection(const QString& path, const QByteArray& workgroupId, bool readOnly)
    : m_path(path)
{
    m_db = openSqliteFile(path, readOnly);
    try {
        const QString described = describePath(path);
        // Whatever stops the first read (a lock held by another program, a file that
        // is no database, a folder where no log can be made) is reported as itself.
        const auto fail = [&](int rc) {
            const int code = sqlite3_extended_errcode(m_db);
            if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
                throw DbError(Error::InUse, QStringLiteral("Could not use '%1'; file already in "
                                                           "use by another program.")
                                                .arg(described));
            // A log beside the file is read through a shared-memory file, which whoever
            // reads first makes; an account that may not write in the folder cannot.
            const QString shm = path + QStringLiteral("-shm");
            const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
            if ((code & 0xff) == SQLITE_CANTOPEN && !QFileInfo::exists(shm) &&
                ::faccessat(AT_FDCWD, folder.constData(), W_OK, AT_EACCESS) != 0)
                throw DbError(Error::FileNoPermission,
                              QStringLiteral("Cannot open the file '%1'. It can only be read "
                                             "together with its shared-memory file '%2', which "
                                             "is missing, and this account may not make it in "
                                             "the folder.")
                                  .arg(described, describePath(shm)));
            throwSqlite(m_db, code != SQLITE_OK ? code : rc, described);
        };
        const Statement statement(m_db, "SELECT WorkgroupId FROM SysWorkgroup", [&](int rc) {
            // A database without the workgroup's table is none of the program's.
            if (QString::fromUtf8(sqlite3_errmsg(m_db)).startsWith(QLatin1String("no such table")))
                throw DbError(Error::Unrecognized,
                              QStringLiteral("Unrecognized database format '%1'.").arg(described));
            fail(rc);
        });
        QByteArray owner;
        const int rc = sqlite3_step(statement.get());
        if (rc == SQLITE_ROW)
            owner =
                QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)));
        else if (rc != SQLITE_DONE)
            fail(rc);
        if (owner.isEmpty() || owner != workgroupId)
            throw DbError(Error::NoPermission,
                          QStringLiteral("You do not have the necessary permissions to use the "
                                         "'%1' object. Have your system administrator or the "
                                         "person who created this object establish the "
                                         "appropriate permissions for you.")
                              .arg(describePath(path)));
        // A long-lived reader (the airport list) never blocks a writer in WAL mode.
        sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_create_function(m_db, "programlike", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                likeFunction, nullptr, nullptr);
    } catch (...) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
}

Connection::~Connection()
{
    close();
}

sqlite3* Connection::handle() const
{
    if (!m_db)
        throw DbError(Error::ObjectClosed, QStringLiteral("Object invalid or no longer set."));
    return m_db;
}

sqlite3_stmt* Connection::prepare(const QString& sql)
{
    sqlite3* db = handle();
    if (sqlite3_stmt* cached = m_statements.value(sql))
        return cached;
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(statement);
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        if (message.startsWith(QLatin1String("no such table")))
            throw DbError(Error::ObjectNotFound,
                          QStringLiteral("The database engine cannot find the input table or "
                                         "query '%1'. Make sure it exists and that its name is "
                                         "spelled correctly.")
                              .arg(message.section(QLatin1Char(':'), 1).trimmed()));
        if (message.startsWith(QLatin1String("no such column")))
            throw DbError(Error::ItemNotFound,
                          QStringLiteral("Item not found in this collection. (%1)")
                              .arg(message.section(QLatin1Char(':'), 1).trimmed()));
        throwSqlite(db, rc, describePath(m_path));
    }
    m_statements.insert(sql, statement);
    return statement;
}

void Connection::run(sqlite3_stmt* statement)
{
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throwSqlite(m_db, sqlite3_extended_errcode(m_db), describePath(m_path));
}

void Connection::exec(const QString& sql)
{
    char* error = nullptr;
    const int rc = sqlite3_exec(handle(), sql.toUtf8().constData(), nullptr, nullptr, &error);
    sqlite3_free(error);
    if (rc != SQLITE_OK)
        throwSqlite(m_db, sqlite3_extended_errcode(m_db), describePath(m_path));
}

QString Connection::tableName(const QString& name)
{
    QString bare = name.trimmed();
    if (bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']')))
        bare = bare.mid(1, bare.size() - 2);
    sqlite3_stmt* statement = prepare(QStringLiteral(
        "SELECT name FROM sqlite_schema WHERE type IN ('table','view') AND name = ?1 "
        "COLLATE NOCASE"));
    StatementUse use(statement);
    bindValue(statement, 1, bare);
    if (sqlite3_step(statement) == SQLITE_ROW)
        return columnValue(statement, 0).toString();
    throw DbError(Error::ObjectNotFound,
                  QStringLiteral("The database engine cannot find the input table or query "
                                 "'%1'. Make sure it exists and that its name is spelled "
                                 "correctly.")
                      .arg(bare));
}

QList<ColumnInfo> Connection::columns(const QString& table)
{
    const QString key = table.toLower();
    auto found = m_columns.constFind(key);
    if (found != m_columns.constEnd())
        return *found;
    QList<ColumnInfo> result;
    sqlite3_stmt* statement =
        prepare(QStringLiteral("SELECT name, type, \"notnull\" FROM pragma_table_info(?1)"));
    StatementUse use(statement);
    bindValue(statement, 1, table);
    static const QRegularExpression sizePattern(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    while (sqlite3_step(statement) == SQLITE_ROW) {
        ColumnInfo column;
        column.name = columnValue(statement, 0).toString();
        column.declaredType = columnValue(statement, 1).toString().toUpper();
        column.notNull = columnValue(statement, 2).toInt() != 0;
        const auto match = sizePattern.match(column.declaredType);
        if (column.declaredType.startsWith(QLatin1String("TEXT")) && match.hasMatch())
            column.size = match.captured(1).toInt();
        result << column;
    }
    m_columns.insert(key, result);
    return result;
}

void Connection::close()
{
    for (sqlite3_stmt* statement : std::as_const(m_statements))
        sqlite3_finalize(statement);
    m_statements.clear();
    m_columns.clear();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

// ---- criteria ----

Criterion::Criterion(const QString& column, Op op, const QVariant& value)
    : m_column(column), m_op(op), m_value(value)
{}

Criterion Criterion::equals(const QString& column, const QVariant& value)
{
    return Criterion(column, Op::Equals, value);
}

Criterion Criterion::like(const QString& column, const QString& pattern)
{
    return Criterion(column, Op::Like, pattern);
}

Criterion Criterion::startsWith(const QString& column, const QString& prefix)
{
    return Criterion(column, Op::Like, prefix + QLatin1Char('*'));
}

bool Criterion::likeMatches(const QString& pattern, const QString& text)
{
    // Iterative matcher with one backtrack point for the last '*'.
    qsizetype p = 0, t = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size()) {
            const QChar pc = pattern.at(p);
            const QChar tc = text.at(t);
            if (pc == QLatin1Char('*')) {
                starP = p++;
                starT = t;
                continue;
            }
            const bool one = pc == QLatin1Char('?') || (pc == QLatin1Char('#') && tc.isDigit()) ||
                             (pc != QLatin1Char('#') &&
                              QString::compare(QString(pc), QString(tc), Qt::CaseInsensitive) == 0);
            if (one) {
                ++p;
                ++t;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP + 1;
        t = ++starT;
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

} // namespace Db
