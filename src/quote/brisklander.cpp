#include "quote/brisklander.h"

#include "core/appsettings.h"
#include "core/platform.h"
#include "core/startup.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>

Brisklander::Brisklander(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Brisklander"));
    setWindowTitle(QStringLiteral("Brisklander"));
    resize(1000, 700);

    m_mnufile = menuBar()->addMenu(QStringLiteral("&Quote"));
    m_mnufile->setObjectName(QStringLiteral("mnufile"));
    m_mnuexit = m_mnufile->addAction(QStringLiteral("E&xit"));
    m_mnuexit->setObjectName(QStringLiteral("mnuexit"));
    connect(m_mnuexit, &QAction::triggered, this, &Brisklander::mnuexit_Click);

    auto* placeholder = new QWidget(this);
    placeholder->setObjectName(QStringLiteral("SSTab1"));
    setCentralWidget(placeholder);
}

void Brisklander::Form_Activate()
{
    const QString company = appSettings().NAME.trimmed();
    setWindowTitle(company.isEmpty() ? QStringLiteral("Brisklander")
                                     : QStringLiteral("Brisklander - ") + company);
}

void Brisklander::mnuexit_Click()
{
    ExitApplication();
}

bool Brisklander::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        Form_Activate();
        break;
    case QEvent::UpdateRequest:
        // Every repaint of the window passes here, whichever child is painted:
        // painting ends the busy pointer of start-up and of the dialogs.
        Form_Paint();
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

void Brisklander::closeEvent(QCloseEvent* event)
{
    Form_QueryUnload(event);
}

void Brisklander::Form_QueryUnload(QCloseEvent* event)
{
    if (ProgramIsUnloading()) {
        event->accept();
        return;
    }
    // The close box, the window menu and the session ending all go through the exit,
    // which ends the process itself after a Yes; the request is cancelled either way.
    event->ignore();
    ExitApplication();
}

void Brisklander::Form_Paint()
{
    Platform::pointer().setNormal();
}
