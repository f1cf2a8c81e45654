#include "core/csv.h"

namespace Csv {

namespace {

enum class Step
{
    Record,
    Unclosed,
};

// Reads the record that starts at `pos` and moves `pos` past its line end; `line`
// counts the line ends passed, those inside quoted fields included. A carriage return
// not followed by a line feed ends a line where `lineEnds` says so (whole texts, which
// may come from a program that ends lines that way); otherwise it belongs to the field.
Step nextRecord(const QString& text, qsizetype& pos, int& line, QStringList& fields, bool lineEnds)
{
    fields.clear();
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    while (pos < text.size()) {
        const QChar c = text.at(pos++);
        const bool loneReturn =
            c == QLatin1Char('\r') && (pos == text.size() || text.at(pos) != QLatin1Char('\n'));
        if (quoted) {
            if (c != QLatin1Char('"')) {
                line += c == QLatin1Char('\n') || (lineEnds && loneReturn) ? 1 : 0;
                field += c;
            } else if (pos < text.size() && text.at(pos) == QLatin1Char('"')) {
                field += c;
                ++pos;
            } else {
                quoted = false;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty() && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
            wasQuoted = false;
        } else if (c == QLatin1Char('\n') || (lineEnds && loneReturn)) {
            ++line;
            break;
        } else if (c != QLatin1Char('\r') || (loneReturn && pos < text.size())) {
            field += c; // a carriage return counts only before a line feed or at the end
        }
    }
    if (quoted) {
        fields.clear();
        return Step::Unclosed;
    }
    fields << field;
    return Step::Record;
}

} // namespace

bool readRecords(const QString& text, QList<Record>& records, int* errorLine)
{
    records.clear();
    qsizetype pos = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    int line = 1;
    while (pos < text.size()) {
        Record record{line, {}};
        if (nextRecord(text, pos, line, record.fields, true) == Step::Unclosed) {
            if (errorLine)
                *errorLine = record.line;
            records.clear();
            return false;
        }
        records << record;
    }
    return true;
}

bool splitLine(const QString& line, QStringList& fields)
{
    qsizetype pos = 0;
    int lines = 1;
    if (line.isEmpty()) {
        fields = QStringList{QString()};
        return true;
    }
    return nextRecord(line, pos, lines, fields, false) == Step::Record;
}

} // namespace Csv
