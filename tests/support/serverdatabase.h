#pragma once

// A database of its own on the throwaway server of scripts/test.sh (its PG* variables
// name it), with the program's tables unless asked for an empty one, dropped again when
// the object goes. Each desk
// opens it under its own name, which the server's stamps carry ("anna on desk-2").

#include "core/db/serverschema.h"

#include <QCoreApplication>
#include <QProcess>
#include <QString>

class ServerDatabase
{
public:
    enum Tables
    {
        WithTables,
        Empty
    };
    explicit ServerDatabase(const QString& name, Tables tables = WithTables)
        : m_name(QStringLiteral("%1_%2").arg(name).arg(QCoreApplication::applicationPid()))
    {
        if (!runClient(QStringLiteral("createdb"),
                       {QStringLiteral("--template=template0"), QStringLiteral("--encoding=UTF8"),
                        QStringLiteral("--locale=C.UTF-8"), m_name}))
            return;
        m_made = true;
        if (tables == WithTables)
            ServerSchema::create(QStringLiteral("dbname=") + m_name);
    }
    ~ServerDatabase()
    {
        if (m_made)
            runClient(QStringLiteral("dropdb"), {QStringLiteral("--force"), m_name});
    }
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    // False, with the client's words in error(), when the server cannot be reached:
    // a test that needs it then fails.
    bool isMade() const { return m_made; }
    QString error() const { return m_error; }
    QString name() const { return m_name; }
    QString location(const QString& desk = QStringLiteral("desk-1")) const
    {
        return QStringLiteral("dbname=%1 application_name=%2").arg(m_name, desk);
    }

private:
    bool runClient(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        const bool ran = process.waitForFinished(60000);
        m_error = QString::fromLocal8Bit(process.readAll()) + process.errorString();
        return ran && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QString m_name;
    QString m_error;
    bool m_made = false;
};
