#include "core/folder/servercopy.h"

#include "core/db/engine.h"
#include "core/db/schema.h"

#include <QDir>
#include <QLocale>

namespace ServerCopy {

namespace {

// The program's tables, in the order they are copied; a file made before some of them
// has fewer.
const QStringList Tables{QStringLiteral("Airports"), QStringLiteral("AdditionalCharges"),
                         QStringLiteral("Taxes"),    QStringLiteral("Aircraft"),
                         QStringLiteral("Quotes"),   QStringLiteral("QuoteHistory"),
                         QStringLiteral("Customers")};

int copyTable(Db::Database& from, Db::Database& to, const QString& table)
{
    QStringList names, marks;
    const QList<Db::ColumnInfo> columns = from.columns(table);
    for (int i = 0; i < columns.size(); ++i) {
        names << QLatin1Char('"') + columns[i].name + QLatin1Char('"');
        marks << QStringLiteral(":p%1").arg(i);
    }
    Db::QueryDef insert = to.temporaryQueryDef(
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    const auto rows =
        from.openRecordset(Db::RecordSource{table, {}, {}}, Db::RecordsetType::Snapshot);
    QList<int> fields;
    for (int i = 0; i < columns.size(); ++i)
        fields << i;
    const int count = rows->recordCount();
    constexpr int Batch = 512;
    for (int first = 0; first < count; first += Batch) {
        const QList<QVariantList> values =
            rows->rows(first, std::min(Batch, count - first), fields);
        for (const QVariantList& row : values) {
            for (int i = 0; i < row.size(); ++i)
                insert.setParameter(QStringLiteral("p%1").arg(i), row[i]);
            insert.execute();
        }
    }
    return count;
}

} // namespace

QList<Count> copyFolder(const QString& folder, const QString& location)
{
    const QDir dir(folder);
    Db::DbEngine& engine = Db::DbEngine::instance();
    engine.setSystemDB(dir.filePath(Schema::WorkgroupFileName));
    auto reader =
        engine.createWorkspace(QStringLiteral("CopyFrom"), Schema::UserName, Schema::Password);
    auto writer =
        engine.createWorkspace(QStringLiteral("CopyTo"), Schema::UserName, Schema::Password);
    auto from = reader->openDatabaseReadOnly(dir.filePath(Schema::DatabaseFileName));
    auto to = writer->openDatabase(location);
    // One state of the file, and one transaction on the server: all or nothing.
    reader->beginReadTrans();
    writer->beginTrans();
    QList<Count> counts;
    try {
        for (const QString& table : Tables) {
            if (!from->hasTable(table))
                continue;
            if (to->openRecordset(table)->recordCount() > 0)
                throw Db::DbError(Db::Error::DatabaseExists,
                                  QStringLiteral("The table %1 on %2 already holds rows: a "
                                                 "folder is copied only into a database made "
                                                 "for it and still empty.")
                                      .arg(table, Db::describeLocation(location)));
            counts << Count{table, copyTable(*from, *to, table)};
        }
        writer->commitTrans();
    } catch (...) {
        writer->rollback();
        reader->rollback();
        throw;
    }
    reader->commitTrans();
    // The server plans its reads by what it knows of the tables, and counts a table's
    // rows from its index alone once it knows every page is visible to all: told now,
    // the first desk's start reads the list by its index instead of sorting every
    // airport, and counts it without reading the table.
    to->execute(QStringLiteral("VACUUM ANALYZE"));
    return counts;
}

QStringList summaryLines(const QList<Count>& counts)
{
    QStringList lines;
    for (const Count& count : counts)
        lines << QStringLiteral("Copied %1 rows of %2.")
                     .arg(QLocale(QLocale::English).toString(count.rows), count.table);
    return lines;
}

} // namespace ServerCopy
