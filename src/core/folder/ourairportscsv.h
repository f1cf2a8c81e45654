#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace OurAirports {

struct Summary;

// One CSV file of a download, read whole, with its columns by header name. Text that is
// not UTF-8 is read as Windows-1252 (what spreadsheets on Windows save) and the summary
// says so. A refused line is reported once, when its fields are asked for, so that the
// report follows the order in which the files are used.
class CsvFile
{
public:
    // Throws DbError FileNotFound, naming the file and why, when it cannot be read (a
    // FIFO, a folder or a device in its place is never waited on).
    CsvFile(const QString& path, Summary& summary);

    QString name() const { return m_name; }
    int lineCount() const { return int(m_records.size()); }
    bool isBlank(int i) const;
    // The line of the file on which data line i starts.
    int fileLine(int i) const { return m_records[i].line; }
    // The fields of data line i, or false when it is blank or refused (reported).
    bool fields(int i, QStringList& out) const;
    int column(const QString& name) const { return m_columns.value(name, -1); }
    // The named columns the header lacks.
    QStringList missingColumns(const QStringList& names) const;
    static QString at(const QStringList& fields, int column)
    {
        return column >= 0 && column < fields.size() ? fields[column].trimmed() : QString();
    }
    // Refuses data line i, naming the airport when it is known.
    bool report(int i, const QString& what, const QString& ident = QString()) const;
    // The file's bytes as they were read.
    const QByteArray& bytes() const { return m_bytes; }

private:
    struct Line
    {
        int line = 0;
        QStringList fields;
        QString refusal; // why the line cannot be read, found while splitting the text
    };
    void split(const QString& text);

    QString m_name;
    Summary& m_summary;
    QByteArray m_bytes;
    QHash<QString, int> m_columns;
    QList<Line> m_records;
};

// Bytes as text: UTF-8 when they are valid UTF-8, else Windows-1252 (`windows1252` set).
QString decodeText(const QByteArray& bytes, bool* windows1252 = nullptr);

} // namespace OurAirports
