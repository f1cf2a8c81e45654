#pragma once

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTest>

// Writes exactly `bytes` to a new or emptied file.
inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The rows of a long table kept in a file beside its test (tests/<relativePath>): one
// row a line, the fields apart by " | ", the row's name first. Blank lines and lines
// starting with '#' are left out; in a field \s is a blank, \t, \r and \n what they are
// in C, \uXXXX that character and \| a bar. The rows come as the data column "row".
inline void addTableRows(const QString& relativePath)
{
    QFile file(QStringLiteral(BRISKLANDER_SOURCE_DIR "/tests/") + relativePath);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QTest::addColumn<QStringList>("row");
    const auto unescape = [](QString field) {
        static const QRegularExpression escape(QStringLiteral(R"(\\(u[0-9A-Fa-f]{4}|.))"));
        static const QHash<QString, QString> Named = {
            {"s", " "}, {"t", "\t"}, {"r", "\r"}, {"n", "\n"}};
        QString result;
        qsizetype from = 0;
        for (const QRegularExpressionMatch& match : escape.globalMatch(field)) {
            const QString code = match.captured(1);
            result += field.mid(from, match.capturedStart() - from);
            result += code.size() > 1 ? QString(QChar(code.mid(1).toUShort(nullptr, 16)))
                                      : Named.value(code, code);
            from = match.capturedEnd();
        }
        return result + field.mid(from);
    };
    int rows = 0;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        QStringList fields;
        for (const QString& field : line.split(QRegularExpression(QStringLiteral(R"((?<!\\)\|)"))))
            fields << unescape(field.trimmed());
        QTest::newRow(qPrintable(fields.takeFirst())) << fields;
        ++rows;
    }
    QVERIFY2(rows > 0, qPrintable(file.fileName() + QStringLiteral(" holds no rows")));
}
