#pragma once

#include <QString>

// What the airport windows ask of the main window, which owns the airport list,
// the find box and the route.
struct AirportChange
{
    QString oldId, newId;
    QString oldName, newName;
    bool positionChanged = false;

    bool changed() const { return positionChanged || oldId != newId || oldName != newName; }
};

class AirportHost
{
public:
    virtual ~AirportHost() = default;

    // Re-reads the airport list from the database and redraws it.
    virtual void refreshAirportList() = 0;
    // Empties the find box without starting a search.
    virtual void clearFindBox() = 0;
    // Brings the route up to date after an airport was modified: each stop of a moved
    // airport is taken out and put back at its place; otherwise the stops' identifier
    // and name are rewritten.
    virtual void RefreshRouteAfterModify(const AirportChange& change) = 0;
    // Positions the airport list on an identifier, brings it into view and selects it.
    virtual void showAirportInList(const QString& id) = 0;
    // The airport commands as the menus run them.
    virtual void mnuModAirport_Click() = 0;
    virtual void mnudelairport_Click() = 0;
};
