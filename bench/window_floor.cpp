// The floor of the program's start: the least a Qt program can do to show the airport
// list (floorwindow.h), started on a database and ended at the first paint of its list.
// It links Qt Widgets and SQLite and nothing of the program, so that it pays for no
// library the program loads. Usage: window_floor DATABASE

#include "floorwindow.h"
#include "windowend.h"

int main(int argc, char** argv)
{
    return showDatabaseWindow<FloorWindow>(argc, argv);
}
