#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The settings file is a Windows-style INI file that operators also edit by hand,
// so we read and write single keys the way the Windows profile routines do and
// leave every line we do not change exactly as it was (QSettings would rewrite the
// whole file in its own layout).
//
// Reading rules: a section starts with "[NAME]"; a key line is "KEY=value"; lines
// starting with ";" are comments. Section and key names match without regard to
// case, blanks around them and around "=" are not part of them, and the first
// matching section and the first matching key inside it win. A value loses its
// leading and trailing blanks and, when it is wholly enclosed in matching double
// or single quotes, those quotes. The file is read as UTF-8. A line ends at LF, at
// CR LF, at a lone CR, or at CRs followed by LF (CR CR LF, what a CR LF file becomes
// when copied through a text-mode tool); new lines take the file's own ending.
class IniFile
{
public:
    explicit IniFile(const QString& path);

    // Reads the file, whole and once. A missing file loads as an empty one; false only
    // when an existing file cannot be read (no permission, an I/O error, no regular
    // file), `error` then saying why. A pipe or device never keeps it waiting.
    bool load(QString* error = nullptr);

    // The value of the key in the section, "" when either is missing.
    QString value(const QString& section, const QString& key) const;
    // The value as the Windows reader returned it: at most 254 characters, ending at
    // a NUL character (see ReadIni).
    QString profileValue(const QString& section, const QString& key) const;

    // Replaces the value of the first matching key (keeping the key's spelling as it
    // stands in the file), or adds the key at the end of the section's lines, or adds
    // the section with the key at the end of the file. Every other line is kept.
    // False when a name or the value would not fit on one line of the file.
    bool setValue(const QString& section, const QString& key, const QString& value);

    // Removes the key's lines from the first matching section, every other line kept.
    // False when there was no such key.
    bool removeKey(const QString& section, const QString& key);

    // Writes the lines to a temporary file beside the target and renames it over the
    // target only when every byte reached the disk, so neither a crash nor a full disk
    // ever leaves a damaged file: on failure the file stays as it was and `error`
    // says why.
    bool save(QString* error = nullptr) const;

    // The file's bytes as save() would write them.
    QByteArray contents() const;

private:
    enum class Kind
    {
        Other,
        Section,
        Key
    };

    struct Line
    {
        QByteArray bytes;  // the line as stored, without its ending
        QByteArray ending; // "\r\n", "\n", "\r", "\r\r\n", or "" for a last line without one
        Kind kind = Kind::Other;
        QString name;  // section or key name
        QString value; // key value as the reader returns it
    };

    static Line parseLine(const QByteArray& bytes, const QByteArray& ending, bool firstLine);
    qsizetype findSection(const QString& section) const;
    qsizetype sectionEnd(qsizetype header) const;
    void insertLine(qsizetype position, const QString& text);

    QString m_path;
    QList<Line> m_lines;
    QByteArray m_lineEnding;
};

// The characters of the text before its first NUL character; the text unchanged
// when it holds none.
QString StripAtNul(const QString& text);

// The value of the key in the section of the file, "" when the file, the section or
// the key is missing or the value empty. At most 254 characters are returned, as the
// Windows reader's 255-character buffer (NUL included) allowed.
QString ReadIni(const QString& file, const QString& section, const QString& key);

// Writes key=value into the section of the file, creating the file, the section or
// the key when missing. True on success; callers may ignore the result.
bool WriteIni(const QString& file, const QString& section, const QString& key,
              const QString& value);
