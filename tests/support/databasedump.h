#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

// Every row of the tables, in a stable order: what "the database holds", to compare
// before and after something that must not change it.
inline QStringList dumpDatabase(const QString& path,
                                const QStringList& tables = {"Airports", "AdditionalCharges",
                                                             "Taxes", "Aircraft", "SysQueries"})
{
    QStringList rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("<cannot open>")};
    }
    for (const QString& table : tables) {
        sqlite3_stmt* statement = nullptr;
        const QByteArray sql = "SELECT * FROM \"" + table.toUtf8() + "\" ORDER BY 1, 2";
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK) {
            rows << QStringLiteral("<no table %1>").arg(table);
            continue;
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList cells{table};
            for (int i = 0; i < sqlite3_column_count(statement); ++i)
                cells << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, i)));
            rows << cells.join(QLatin1Char('|'));
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}
