#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated values as spreadsheets write them. Qt has no CSV reader; this one
// is small and knows the line each record starts on, which the callers' messages name.
namespace Csv {

// One record and the line of the text it starts on, counted from 1.
struct Record
{
    int line = 0;
    QStringList fields;
};

// Reads a whole text: a byte order mark at its start is dropped, records end with a
// line feed, a carriage return and line feed, or a carriage return alone, and a field
// enclosed in double quotes may hold commas, line breaks and doubled quotes (one quote
// each). An empty line is a record of one empty field. Returns false (and in
// `errorLine` the line the record starts on) when a quoted field is not closed before
// the end of the text.
bool readRecords(const QString& text, QList<Record>& records, int* errorLine = nullptr);

// Splits one line the same way. Returns false (and no fields) when a quoted field is
// not closed on the line.
bool splitLine(const QString& line, QStringList& fields);

} // namespace Csv
