// The floor of the program's start: the least a Qt program can do to show the airport
// list (floorwindow.h), started on a database and ended at the first paint of its list.
// It links Qt Widgets and SQLite and nothing of the program, so that it pays for no
// library the program loads. Usage: window_floor DATABASE

#include "floorwindow.h"
#include "windowend.h"

#include <QApplication>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    FloorWindow window(QString::fromLocal8Bit(argv[1]));
    endAtFirstPaint(&window);
    window.show();
    return QApplication::exec();
}
