#include "core/folder/ourairportscsv.h"

#include "core/csv.h"
#include "core/db/engine.h"
#include "core/folder/ourairportsimport.h"
#include "core/folder/safeopen.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace OurAirports {

namespace {

// A quoted field may hold line breaks; one still open after this many lines is taken for
// a stray quote, so that one broken line never swallows the rest of a download.
constexpr int MaxRecordLines = 20;

// Windows-1252 differs from Latin-1 in 0x80..0x9F only. Qt Core has no decoder for it
// without ICU, and the table is small. Its five unused bytes stay the C1 controls.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString decodeText(const QByteArray& bytes, bool* windows1252)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    const bool other = utf8.hasError();
    if (windows1252)
        *windows1252 = other;
    if (!other)
        return text;
    text.resize(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = byte >= 0x80 && byte < 0xA0 ? QChar(Windows1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

CsvFile::CsvFile(const QString& path, Summary& summary)
    : m_name(QFileInfo(path).fileName()), m_summary(summary)
{
    QString why;
    QFile resource(path); // the program's own files, compiled in
    if (path.startsWith(QLatin1Char(':')) && resource.open(QIODevice::ReadOnly))
        m_bytes = resource.readAll();
    else if (!SafeOpen::readFile(path, m_bytes, &why))
        throw Db::DbError(Db::Error::FileNotFound,
                          QStringLiteral("Could not read the file '%1': %2.").arg(path, why));
    bool windows1252 = false;
    QString text = decodeText(m_bytes, &windows1252);
    if (windows1252)
        summary.readAsWindows1252 << m_name;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    split(text);
}

void CsvFile::split(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the end of the last line
    bool header = true;
    for (int i = 0; i < lines.size();) {
        QString record = lines[i];
        QStringList fields;
        int used = 1;
        bool closed = Csv::splitLine(record, fields);
        while (!closed && used < MaxRecordLines && i + used < lines.size()) {
            record += QLatin1Char('\n') + lines[i + used++];
            closed = Csv::splitLine(record, fields);
        }
        if (header) {
            for (int c = 0; c < fields.size(); ++c)
                m_columns.insert(fields[c].trimmed().toLower(), c);
            header = false;
            i += closed ? used : 1;
            continue;
        }
        const int line = i + 1;
        if (!closed) {
            m_records << Line{line, {}, QStringLiteral("a quoted field is not closed")};
            ++i;
        } else if (used > 1 && fields.size() != m_columns.size()) {
            m_records << Line{line,
                              {},
                              QStringLiteral("a quoted field runs on to line %1 and gives %2 "
                                             "fields where the header has %3")
                                  .arg(line + used - 1)
                                  .arg(fields.size())
                                  .arg(m_columns.size())};
            ++i;
        } else {
            m_records << Line{line, fields, QString()};
            i += used;
        }
    }
}

bool CsvFile::isBlank(int i) const
{
    const Line& l = m_records[i];
    return l.refusal.isEmpty() && l.fields.size() <= 1 &&
           (l.fields.isEmpty() || l.fields[0].trimmed().isEmpty());
}

bool CsvFile::fields(int i, QStringList& out) const
{
    out.clear();
    if (isBlank(i))
        return false;
    const Line& l = m_records[i];
    if (!l.refusal.isEmpty())
        return report(i, l.refusal);
    if (l.fields.size() != m_columns.size())
        return report(i, QStringLiteral("%1 fields where the header has %2")
                             .arg(l.fields.size())
                             .arg(m_columns.size()));
    // A NUL would cut the text short wherever it is shown.
    for (const QString& field : l.fields) {
        if (field.contains(QChar(0)))
            return report(i, QStringLiteral("the line holds a NUL character (byte 0)"));
    }
    out = l.fields;
    return true;
}

QStringList CsvFile::missingColumns(const QStringList& names) const
{
    QStringList missing;
    for (const QString& name : names) {
        if (!m_columns.contains(name))
            missing << name;
    }
    return missing;
}

bool CsvFile::report(int i, const QString& what, const QString& ident) const
{
    const QString airport = ident.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(ident);
    m_summary.rejectedLines.append(
        QStringLiteral("%1 line %2%3: %4").arg(m_name).arg(m_records[i].line).arg(airport, what));
    return false;
}

} // namespace OurAirports
