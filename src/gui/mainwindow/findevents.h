#pragma once

// While false, a change of the main window's find box starts no search. Code that
// writes the find box itself turns it off around the write, so that the box's own
// change handler does not run again inside it.
inline bool FindEventsEnabled = true;

// Turns FindEventsEnabled off for the life of the object, then puts back what it was,
// so that a pause inside another does not turn searching on early.
class FindEventsPause
{
public:
    FindEventsPause() : m_was(FindEventsEnabled) { FindEventsEnabled = false; }
    ~FindEventsPause() { FindEventsEnabled = m_was; }
    FindEventsPause(const FindEventsPause&) = delete;
    FindEventsPause& operator=(const FindEventsPause&) = delete;

private:
    bool m_was;
};
