#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

// The database engine the program relies on, over SQLite: a workgroup file with
// the account that opens the database, named workspaces with transactions,
// databases opened through a workspace, record sets with fields by name,
// find-first by typed criteria, stored parameter queries and
// compaction into a new file. Every failure is a DbError with a number and a
// description, which the event handlers show.
namespace Db {

class DbError : public std::runtime_error
{
public:
    DbError(int number, const QString& description);
    int number() const { return m_number; }
    QString description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

// The error numbers the engine reports (the numbers operators of the program know).
namespace Error {
constexpr int NoCurrentRecord = 3021;
constexpr int DuplicateKey = 3022;
constexpr int FileNotFound = 3024;
constexpr int DiskFull = 3026;
constexpr int ReadOnly = 3027;
constexpr int WorkgroupMissing = 3028;
constexpr int BadAccount = 3029;
constexpr int NoPermission = 3033;
constexpr int NoTransaction = 3034;
constexpr int DiskError = 3043;
constexpr int InvalidPath = 3044;
constexpr int InUse = 3045;
constexpr int CannotOpen = 3049;
constexpr int FileNoPermission = 3051;
constexpr int NotAnUpdate = 3020;
constexpr int ObjectNotFound = 3078;
constexpr int TooSmall = 3163;
constexpr int RecordDeleted = 3167;
constexpr int DatabaseExists = 3204;
constexpr int Locked = 3218;
constexpr int ItemNotFound = 3265;
constexpr int NestedTransaction = 3003;
constexpr int RequiredField = 3314;
constexpr int Overflow = 3349;
constexpr int ObjectClosed = 3420;
constexpr int TypeMismatch = 3421;
constexpr int Unrecognized = 3343;
constexpr int EngineFailure = 3000;
} // namespace Error

// A search or filter condition as a typed value, never SQL text glued from input.
// Text compares without regard to case. A LIKE pattern uses the program's
// wildcards: '*' any tail, '?' one character, '#' one digit; every other
// character (quotes, '%', '_' included) stands for itself.
class Criterion
{
public:
    enum class Op
    {
        Equals,
        Like
    };

    static Criterion equals(const QString& column, const QVariant& value);
    static Criterion like(const QString& column, const QString& pattern);
    // "column LIKE 'prefix*'": the rows whose column begins with the prefix.
    static Criterion startsWith(const QString& column, const QString& prefix);

    QString column() const { return m_column; }
    Op op() const { return m_op; }
    QVariant value() const { return m_value; }

    // True when a text matches a LIKE pattern of the program's wildcards.
    static bool likeMatches(const QString& pattern, const QString& text);

private:
    Criterion(const QString& column, Op op, const QVariant& value);
    QString m_column;
    Op m_op;
    QVariant m_value;
};

enum class RecordsetType
{
    Dynaset,
    Snapshot
};

class Connection;
} // namespace Db
struct sqlite3_stmt;
namespace Db {
class Database;
class QueryDef;
class Recordset;
class Workspace;

struct ColumnInfo
{
    QString name;
    QString declaredType;
    int size = 0; // characters of a text column; 0 for other types
    bool notNull = false;
    bool flag = false; // a yes/no column, read back as bool
};

// One table with an optional filter and order, for callers that build a record
// source from values rather than from a fixed query text.
struct RecordSource
{
    QString table;
    std::optional<Criterion> where;
    QStringList orderBy; // column names, ascending
};

class Workspace : public std::enable_shared_from_this<Workspace>
{
public:
    QString name() const { return m_name; }
    QString userName() const { return m_user; }

    // Opens a database file that exists and was secured by this workspace's workgroup.
    std::shared_ptr<Database> openDatabase(const QString& path);
    // The same without ever changing the file, so another program may use it at once.
    // Within a workspace a file is opened one way, the way it was first opened.
    std::shared_ptr<Database> openDatabaseReadOnly(const QString& path);
    // Creates a new, empty database file secured by this workspace's workgroup.
    std::shared_ptr<Database> createDatabase(const QString& path);

    // A transaction covers every database opened through the workspace.
    void beginTrans();
    void commitTrans();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

    // Closes every database opened through the workspace (rolling back an open transaction).
    void close();
    bool isClosed() const { return m_closed; }

private:
    friend class DbEngine;
    friend class Database;
    Workspace(const QString& name, const QString& user, const QByteArray& workgroupId);
    std::shared_ptr<Connection> connectionFor(const QString& path, bool readOnly);

    QString m_name;
    QString m_user;
    QByteArray m_workgroupId;
    bool m_inTransaction = false;
    bool m_closed = false;
    std::map<QString, std::shared_ptr<Connection>> m_connections;
};

// A transaction on a workspace that is rolled back when the guard goes away without
// commit(), so an exception between begin and commit never leaves one open. Every
// change the program makes to a database goes through one.
class Transaction
{
public:
    explicit Transaction(Workspace& workspace);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();
    // True from the beginning until commit() or rollback().
    bool isPending() const { return m_pending; }

private:
    Workspace& m_workspace;
    bool m_pending = false;
};

class Database
{
public:
    QString path() const;
    // A table name or a query text ("SELECT * From Airports ORDER BY [ID]").
    std::unique_ptr<Recordset> openRecordset(const QString& source,
                                             RecordsetType type = RecordsetType::Dynaset);
    std::unique_ptr<Recordset> openRecordset(const RecordSource& source,
                                             RecordsetType type = RecordsetType::Dynaset);
    QueryDef queryDef(const QString& name);
    // Stores a parameter query; parameters are written :NAME in its text.
    void createQueryDef(const QString& name, const QString& sql);
    // Runs a fixed statement of the program (table definitions and the like),
    // never text that holds user input.
    void execute(const QString& sql);
    QList<ColumnInfo> columns(const QString& table);
    void close();

private:
    friend class Workspace;
    explicit Database(std::shared_ptr<Connection> connection);
    std::shared_ptr<Connection> m_connection;
};

// A stored query with named parameters.
class QueryDef
{
public:
    QString name() const { return m_name; }
    void setParameter(const QString& name, const QVariant& value);
    // A stored query's rows are read, never updated: always a snapshot.
    std::unique_ptr<Recordset> openSnapshot();

private:
    friend class Database;
    QueryDef(std::shared_ptr<Connection> connection, const QString& name, const QString& sql);
    std::shared_ptr<Connection> m_connection;
    QString m_name;
    QString m_sql;
    QStringList m_parameterNames;
    QHash<QString, QVariant> m_values; // by lower-case name
};

// A set of rows with a current record. A dynaset keeps the keys of its rows and
// reads their values when asked, so it shows changes made to them elsewhere; a
// snapshot holds the values it read and cannot be changed.
class Recordset
{
public:
    ~Recordset();

    RecordsetType type() const { return m_type; }

    int recordCount() const;
    bool eof() const;
    bool bof() const;
    void moveFirst();
    void moveLast();
    void moveNext();
    int absolutePosition() const; // 0-based, -1 when there is no current record
    void setAbsolutePosition(int position);

    // Searches from the first row in the set's own order; the position is left
    // unchanged when nothing matches.
    bool findFirst(const Criterion& criterion);
    bool noMatch() const { return m_noMatch; }

    QStringList fieldNames() const;
    int fieldIndex(const QString& name) const; // -1 when missing
    int fieldSize(const QString& name) const;
    QVariant value(const QString& field) const;
    QVariant value(int field) const;
    // The values of one row by its position, without moving the current record.
    QVariantList row(int position) const;

    void addNew();
    void edit();
    void setValue(const QString& field, const QVariant& value);
    void update();
    void cancelUpdate();
    bool isEditing() const { return m_editMode != EditMode::None; }
    void deleteRecord();

    // Runs the source again: new rows appear, removed ones go; the first row becomes current.
    void requery();
    void close();

private:
    friend class Database;
    friend class QueryDef;
    enum class EditMode
    {
        None,
        Add,
        Edit
    };

    Recordset(std::shared_ptr<Connection> connection, RecordsetType type);
    void openKeyset(const QString& table, const QString& where, const QVariantList& whereValues,
                    const QString& orderBy);
    void openSnapshot(const QString& sql, const QHash<QString, QVariant>& parameters);
    void loadKeys();
    void ensureOpen() const;
    void ensureCurrent() const;
    QVariantList fetch(qint64 rowid) const;
    QVariantList readRow(sqlite3_stmt* statement, int firstColumn) const;
    void fetchPage(int position) const;
    const QVariantList& currentValues() const;
    int positionOfKey(qint64 key) const;
    QVariant convertForColumn(int field, const QVariant& value) const;
    std::vector<qint64> matchingKeys(const Criterion& criterion) const;

    std::shared_ptr<Connection> m_connection;
    RecordsetType m_type;
    bool m_updatable = false;
    bool m_closed = false;

    // Source of a dynaset or of a snapshot of a table.
    QString m_table;
    QString m_where;
    QVariantList m_whereValues;
    QString m_orderBy;
    mutable QString m_fetchSql;
    mutable QString m_pageSql;
    mutable QHash<qint64, QVariantList> m_page; // rows read for row(), by key
    // Source of a snapshot of a query, run again by requery().
    QString m_sql;
    QHash<QString, QVariant> m_parameters;

    QList<ColumnInfo> m_columns;
    QHash<QString, int> m_fieldIndex; // lower-case name -> index

    std::vector<qint64> m_keys;                // dynaset rows by rowid
    mutable QHash<qint64, int> m_keyPositions; // built on demand
    mutable bool m_keyPositionsValid = false;
    bool m_outOfOrder = false;  // rows added or changed through the set since it was read
    QList<QVariantList> m_rows; // snapshot rows

    int m_position = -1; // -1 before the first row; == count after the last
    bool m_currentDeleted = false;
    bool m_noMatch = false;
    mutable qint64 m_cachedKey = -1;
    mutable QVariantList m_cachedValues;

    EditMode m_editMode = EditMode::None;
    QVariantList m_buffer;
    std::vector<bool> m_changed;
};

// The engine: workgroup defaults, workspaces and compaction.
class DbEngine
{
public:
    static DbEngine& instance();

    void setSystemDB(const QString& path) { m_systemDB = path; }
    QString systemDB() const { return m_systemDB; }
    void setDefaultUser(const QString& user) { m_defaultUser = user; }
    void setDefaultPassword(const QString& password) { m_defaultPassword = password; }

    // Workspaces(0): opened on first use with the default account.
    std::shared_ptr<Workspace> defaultWorkspace();
    std::shared_ptr<Workspace> createWorkspace(const QString& name, const QString& user,
                                               const QString& password);
    void closeDefaultWorkspace();
    // Closes every workspace and forgets the defaults.
    void release();

    // Creates a workgroup file holding one account.
    static void createWorkgroupFile(const QString& path, const QString& user,
                                    const QString& password);

    // Brings a file's or a folder's contents to the disk; false when it could not.
    // Without one, the system's.
    using SyncFunction = std::function<bool(const QString& path)>;

    // Copies a database into a new, compacted file; the destination must not exist.
    // The copy is written under a temporary name (partialCompactionPath), checked and
    // brought to the disk, then renamed into place and the folder brought to the disk,
    // so the destination never holds a partial database, not even after a power cut.
    static void compactDatabase(const QString& source, const QString& destination,
                                const SyncFunction& sync = {});
    static QString partialCompactionPath(const QString& destination);

    // True when the file opens as a database of the program's kind and reads back
    // whole. Never changes the file.
    static bool isIntactDatabase(const QString& path);

    // Brings everything a crash may have left beside a database file (a hot journal,
    // a write-ahead log) into the file itself, so that the file alone holds the data
    // and can be renamed or copied. Fails when another connection has it open.
    static void settleDatabaseFile(const QString& path);

private:
    DbEngine() = default;
    QByteArray verifyAccount(const QString& user, const QString& password) const;

    QString m_systemDB;
    QString m_defaultUser;
    QString m_defaultPassword;
    std::shared_ptr<Workspace> m_default;
    std::vector<std::weak_ptr<Workspace>> m_workspaces;
};

} // namespace Db
