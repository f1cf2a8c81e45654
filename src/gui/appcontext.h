#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

namespace Db {
class Workspace;
}

// Where the program's files are and the connection it keeps open: filled once at
// start-up and read by every window.
struct AppContext
{
    // The program folder's database file, or a PostgreSQL server's database (a libpq
    // connection string) when the settings file names one.
    QString DatabasePath;
    QString SettingsPath;
    QString CurrencySymbol = QStringLiteral("$");
    std::shared_ptr<Db::Workspace> Workspace; // "AirportWS"

    QString ProgramFolder;
    QString ExecutableName;       // without extension
    QPointer<QObject> MainWindow; // the main window, once it is shown

    // True when the data is on a server: the server keeps its own house (no compaction
    // or backup of a file by the program).
    bool onServer() const;
};

AppContext& appContext();
