#pragma once

// While false, a change of the main window's find box starts no search. Code that
// writes the find box itself turns it off around the write, so that the box's own
// change handler does not run again inside it.
inline bool FindEventsEnabled = true;

// Turns FindEventsEnabled off for the life of the object.
class FindEventsPause
{
public:
    FindEventsPause() { FindEventsEnabled = false; }
    ~FindEventsPause() { FindEventsEnabled = true; }
    FindEventsPause(const FindEventsPause&) = delete;
    FindEventsPause& operator=(const FindEventsPause&) = delete;
};
