#include "core/settings/inifile.h"

#include "core/folder/durablefile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

enum class Read
{
    Done,
    Missing,
    Failed
};

// The whole file in one go. Opened without waiting (a pipe with no writer, a device)
// and taken only when it is a regular file, so that neither a pipe nor a device at
// the file's name can hold the program up or feed it without end.
Read readWhole(const QString& path, QByteArray* content, QString* error)
{
    const auto fail = [error](int code) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(code));
        return Read::Failed;
    };
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? Read::Missing : fail(errno);
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        const int code = errno;
        ::close(fd);
        return fail(code);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        if (S_ISDIR(info.st_mode))
            return fail(EISDIR);
        if (error)
            *error = QStringLiteral("not a regular file");
        return Read::Failed;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int code = errno;
            ::close(fd);
            return fail(code);
        }
        if (got == 0)
            break;
        content->append(buffer, got);
    }
    ::close(fd);
    return Read::Done;
}

bool fitsOnOneLine(const QString& text)
{
    return !text.contains(u'\n') && !text.contains(u'\r');
}

} // namespace

IniFile::IniFile(const QString& path) : m_path(path) {}

bool IniFile::load(QString* error)
{
    m_lines.clear();
    // A file that has no line end yet gets CR LF, the ending of the Windows program
    // these settings files come from; a file that has one keeps its own (LF stays LF).
    m_lineEnding = QByteArrayLiteral("\r\n");

    QByteArray content;
    switch (readWhole(m_path, &content, error)) {
    case Read::Missing:
        return true;
    case Read::Failed:
        return false;
    case Read::Done:
        break;
    }

    bool endingFound = false;
    qsizetype start = 0;
    while (start < content.size()) {
        // The line runs to the next CR or LF; CRs followed by an LF end it together.
        qsizetype end = start;
        while (end < content.size() && content.at(end) != '\n' && content.at(end) != '\r')
            ++end;
        qsizetype next = end;
        if (next < content.size()) {
            qsizetype crs = next;
            while (crs < content.size() && content.at(crs) == '\r')
                ++crs;
            next = crs < content.size() && content.at(crs) == '\n' ? crs + 1 : end + 1;
        }
        const QByteArray ending = content.sliced(end, next - end);
        if (!endingFound && !ending.isEmpty()) {
            m_lineEnding = ending;
            endingFound = true;
        }
        m_lines.append(parseLine(content.sliced(start, end - start), ending, m_lines.isEmpty()));
        start = next;
    }
    return true;
}

QString IniFile::profileValue(const QString& section, const QString& key) const
{
    QString text = value(section, key);
    if (text.size() > MaxValueLength) {
        text.truncate(MaxValueLength);
        if (text.back().isHighSurrogate())
            text.chop(1);
    }
    return StripAtNul(text);
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

bool IniFile::removeKey(const QString& section, const QString& key)
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return false;
    bool removed = false;
    for (qsizetype i = sectionEnd(header) - 1; i > header; --i) {
        const Line& line = m_lines.at(i);
        if (line.kind == Kind::Key && line.name.compare(key, Qt::CaseInsensitive) == 0) {
            // A last line without an ending leaves the line before it the last one.
            if (line.ending.isEmpty() && i == m_lines.size() - 1)
                m_lines[i - 1].ending.clear();
            m_lines.removeAt(i);
            removed = true;
        }
    }
    return removed;
}

QByteArray IniFile::contents() const
{
    QByteArray content;
    for (const Line& line : m_lines)
        content += line.bytes + line.ending;
    return content;
}

bool IniFile::save(QString* error) const
{
    const DurableFile::Result result = DurableFile::write(m_path, contents());
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
    return ini.load() ? ini.profileValue(section, key) : QString();
}

bool WriteIni(const QString& file, const QString& section, const QString& key, const QString& value)
{
    IniFile ini(file);
    return ini.load() && ini.setValue(section, key, value) && ini.save();
}
