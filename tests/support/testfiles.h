#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// Files that tests write and read back byte for byte.
class TestFiles
{
public:
    // A new file in the test's own folder holding exactly `content`.
    QString fileWith(const QByteArray& content, const QString& prefix = QStringLiteral("file"))
    {
        const QString path = m_dir.filePath(QStringLiteral("%1%2.INI").arg(prefix).arg(++m_count));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static QByteArray contentOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    int m_count = 0;
};
