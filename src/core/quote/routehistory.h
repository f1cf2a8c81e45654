#pragma once

#include "core/quote/routemodel.h"

#include <QList>
#include <QObject>

// The route changes that can be taken back, newest last. Before each change the
// window records the route as it stands; an undo puts the newest recorded route back.
// A new quote is one change, however many stops it removes and adds, and taking it
// back is a question the window asks first.
class RouteHistory : public QObject
{
    Q_OBJECT

public:
    enum class Change
    {
        Edit,     // a stop inserted or removed
        NewQuote, // the route emptied for a new quote
    };

    // Keeps a record of the route until a change is recorded or history cleared.
    explicit RouteHistory(RouteModel* route, QObject* parent = nullptr);

    // Records the route as it stands, with its selected row (-1 for none), before the
    // change `change`. Inside a Group, only the group's own record counts.
    void record(Change change, int selectedRow);

    bool canUndo() const { return !m_entries.isEmpty(); }
    // The change an undo would take back, Edit when there is none.
    Change nextUndo() const;
    // Puts back the route as it was before the newest change and returns the row that
    // was selected then (-1 for none, or when nothing could be undone).
    int undo();
    // Forgets every change: the routes recorded may hold airports that changed.
    void clear();

    // Records one change for everything done while it lives.
    class Group
    {
    public:
        Group(RouteHistory& history, Change change, int selectedRow);
        ~Group();
        Group(const Group&) = delete;
        Group& operator=(const Group&) = delete;

    private:
        RouteHistory& m_history;
    };

    // How many changes are kept; the oldest gives way.
    static constexpr int Depth = 100;

signals:
    void canUndoChanged(bool canUndo);

private:
    struct Entry
    {
        Change change;
        RouteModel::Snapshot route;
        int selectedRow;
    };

    RouteModel* m_route;
    QList<Entry> m_entries;
    int m_grouped = 0;
};
