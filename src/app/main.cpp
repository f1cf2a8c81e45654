#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brisklander"));
    QApplication::setApplicationVersion(QStringLiteral(BRISKLANDER_VERSION));
    if (!StartApplication(StartOptions::fromApplication(), [] { return new Brisklander; }))
        return 1;
    const int code = QApplication::exec();
    ReleaseSingleCopyLock();
    return code;
}
