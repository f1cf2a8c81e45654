#include "core/inifile.h"

#include "core/durablefile.h"
#include "core/safeopen.h"

#include <QFile>

#include <algorithm>

namespace {

// The Windows reader filled a buffer of 255 characters, the closing NUL included.
constexpr qsizetype MaxValueLength = 254;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin).toString();
}

bool isBlankLine(const QByteArray& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == ' ' || c == '\t'; });
}

QString unquoted(const QString& value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            return value.sliced(1, value.size() - 2);
    }
    return value;
}

bool fitsOnOneLine(const QString& text)
{
    return !text.contains(u'\n') && !text.contains(u'\r');
}

} // namespace

IniFile::IniFile(const QString& path) : m_path(path) {}

bool IniFile::load()
{
    m_lines.clear();
    // A file that has no line end yet gets CR LF, the ending of the Windows program
    // these settings files come from; a file that has one keeps its own (LF stays LF).
    m_lineEnding = QByteArrayLiteral("\r\n");

    QFile file(m_path);
    if (!file.exists())
        return true;
    // Never waits on a FIFO or reads a device put in the file's place.
    QByteArray content;
    if (!SafeOpen::readFile(m_path, content))
        return false;

    bool endingFound = false;
    qsizetype start = 0;
    while (start < content.size()) {
        const qsizetype newline = content.indexOf('\n', start);
        QByteArray bytes;
        QByteArray ending;
        if (newline < 0) {
            bytes = content.sliced(start);
            start = content.size();
        } else {
            qsizetype end = newline;
            if (end > start && content.at(end - 1) == '\r')
                --end;
            bytes = content.sliced(start, end - start);
            ending = content.sliced(end, newline + 1 - end);
            start = newline + 1;
            if (!endingFound) {
                m_lineEnding = ending;
                endingFound = true;
            }
        }
        m_lines.append(parseLine(bytes, ending, m_lines.isEmpty()));
    }
    return true;
}

QString IniFile::value(const QString& section, const QString& key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return {};
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line& line = m_lines.at(i);
        if (line.kind == Kind::Key && line.name.compare(key, Qt::CaseInsensitive) == 0)
            return line.value;
    }
    return {};
}

bool IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    if (!fitsOnOneLine(section) || section.contains(u']') || !fitsOnOneLine(key) ||
        key.contains(u'=') || trimBlanks(key).isEmpty() || !fitsOnOneLine(value))
        return false;

    const qsizetype header = findSection(section);
    if (header < 0) {
        insertLine(m_lines.size(), u'[' + section + u']');
        insertLine(m_lines.size(), key + u'=' + value);
        return true;
    }

    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        Line& line = m_lines[i];
        if (line.kind == Kind::Key && line.name.compare(key, Qt::CaseInsensitive) == 0) {
            line = parseLine((line.name + u'=' + value).toUtf8(), line.ending, false);
            return true;
        }
    }

    // A new key goes after the section's last line, ahead of the blank lines that
    // usually separate it from the next section.
    qsizetype position = end;
    while (position > header + 1 && isBlankLine(m_lines.at(position - 1).bytes))
        --position;
    insertLine(position, key + u'=' + value);
    return true;
}

bool IniFile::save(QString* error) const
{
    QByteArray content;
    for (const Line& line : m_lines)
        content += line.bytes + line.ending;
    const DurableFile::Result result = DurableFile::write(m_path, content);
    if (!result.ok && error)
        *error = result.error;
    return result.ok;
}

IniFile::Line IniFile::parseLine(const QByteArray& bytes, const QByteArray& ending, bool firstLine)
{
    Line line;
    line.bytes = bytes;
    line.ending = ending;
    QString text = QString::fromUtf8(bytes);
    if (firstLine && text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QString trimmed = trimBlanks(text);

    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        line.kind = Kind::Section;
        line.name =
            trimBlanks(QStringView(trimmed).sliced(1, (close < 0 ? trimmed.size() : close) - 1));
        return line;
    }
    if (trimmed.startsWith(u';'))
        return line;
    const qsizetype equals = trimmed.indexOf(u'=');
    if (equals <= 0)
        return line;
    line.kind = Kind::Key;
    line.name = trimBlanks(QStringView(trimmed).first(equals));
    line.value = unquoted(trimBlanks(QStringView(trimmed).sliced(equals + 1)));
    return line;
}

qsizetype IniFile::findSection(const QString& section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines.at(i);
        if (line.kind == Kind::Section && line.name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype IniFile::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && m_lines.at(i).kind != Kind::Section)
        ++i;
    return i;
}

void IniFile::insertLine(qsizetype position, const QString& text)
{
    Line line = parseLine(text.toUtf8(), m_lineEnding, position == 0);
    if (position > 0 && m_lines.at(position - 1).ending.isEmpty()) {
        // Only the file's last line can lack a line end: it gets one, and the new
        // last line goes without, as the file's last line did.
        m_lines[position - 1].ending = m_lineEnding;
        line.ending.clear();
    }
    m_lines.insert(position, line);
}

QString StripAtNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.first(nul);
}

QString ReadIni(const QString& file, const QString& section, const QString& key)
{
    IniFile ini(file);
    if (!ini.load())
        return {};
    QString value = ini.value(section, key);
    if (value.size() > MaxValueLength) {
        value.truncate(MaxValueLength);
        if (value.back().isHighSurrogate())
            value.chop(1);
    }
    return StripAtNul(value);
}

bool WriteIni(const QString& file, const QString& section, const QString& key, const QString& value)
{
    IniFile ini(file);
    return ini.load() && ini.setValue(section, key, value) && ini.save();
}
