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
    QString DatabasePath;
    QString SettingsPath;
    QString CurrencySymbol = QStringLiteral("$");
    std::shared_ptr<Db::Workspace> Workspace; // "AirportWS"

    QString ProgramFolder;
    QString ExecutableName;       // without extension
    QPointer<QObject> MainWindow; // the main window, once it is shown
};

AppContext& appContext();
