#pragma once

#include "gui/airports/airporthost.h"

#include <QStringList>
#include <QWidget>

// What an airport window asked of the main window, one line a call; Modify and Delete
// add ", shown" when `window` was still on screen as they ran.
class RecordingHost final : public AirportHost
{
public:
    QStringList calls;
    QWidget* window = nullptr;

    void refreshAirportList() override { calls << QStringLiteral("refresh"); }
    void clearFindBox() override { calls << QStringLiteral("clear"); }
    void RefreshRouteAfterModify(const AirportChange& c) override
    {
        calls << QStringLiteral("route %1>%2 %3>%4 %5")
                     .arg(c.oldId, c.newId, c.oldName, c.newName,
                          c.positionChanged ? QStringLiteral("moved") : QStringLiteral("kept"));
    }
    void showAirportInList(const QString& id) override { calls << QStringLiteral("show ") + id; }
    void mnuModAirport_Click() override { calls << QStringLiteral("modify") + shown(); }
    void mnudelairport_Click() override { calls << QStringLiteral("delete") + shown(); }

private:
    QString shown() const
    {
        return window && window->isVisible() ? QStringLiteral(", shown") : QString();
    }
};
