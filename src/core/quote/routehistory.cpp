#include "core/quote/routehistory.h"

RouteHistory::RouteHistory(RouteModel* route, QObject* parent) : QObject(parent), m_route(route) {}

void RouteHistory::record(Change change, int selectedRow)
{
    if (m_grouped > 0)
        return;
    const bool was = canUndo();
    m_entries.append(Entry{change, m_route->snapshot(), selectedRow});
    if (m_entries.size() > Depth)
        m_entries.removeFirst();
    if (!was)
        emit canUndoChanged(true);
}

RouteHistory::Change RouteHistory::nextUndo() const
{
    return m_entries.isEmpty() ? Change::Edit : m_entries.last().change;
}

int RouteHistory::undo()
{
    if (m_entries.isEmpty())
        return -1;
    const Entry entry = m_entries.takeLast();
    m_route->restore(entry.route);
    if (m_entries.isEmpty())
        emit canUndoChanged(false);
    return entry.selectedRow < m_route->count() ? entry.selectedRow : -1;
}

void RouteHistory::clear()
{
    if (m_entries.isEmpty())
        return;
    m_entries.clear();
    emit canUndoChanged(false);
}

RouteHistory::Group::Group(RouteHistory& history, Change change, int selectedRow)
    : m_history(history)
{
    m_history.record(change, selectedRow);
    ++m_history.m_grouped;
}

RouteHistory::Group::~Group()
{
    --m_history.m_grouped;
}
