#include "support/programfolder.h"

#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/starterdata.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"

#include <QTest>

ProgramFolder::ProgramFolder()
{
    StarterData::createProgramFolder(m_dir.path(), QStringLiteral("Brisklander"));
}

ProgramFolder::~ProgramFolder()
{
    close();
}

bool ProgramFolder::open()
{
    AppContext& context = appContext();
    context.ProgramFolder = m_dir.path();
    context.ExecutableName = QStringLiteral("Brisklander");
    context.DatabasePath = databasePath();
    context.SettingsPath = settingsPath();
    return OpenAirportWorkspace();
}

void ProgramFolder::close()
{
    appContext() = AppContext();
    Db::DbEngine::instance().release();
}

QString ProgramFolder::databasePath() const
{
    return m_dir.filePath(Schema::DatabaseFileName);
}

QString ProgramFolder::settingsPath() const
{
    return m_dir.filePath(QStringLiteral("Brisklander.INI"));
}

QString ProgramFolder::unexpectedMessage() const
{
    const auto& unexpected = m_services.prompter->unexpected();
    return unexpected.isEmpty() ? QString() : unexpected.first().text;
}

std::unique_ptr<Brisklander> ProgramFolder::showMainWindow()
{
    auto window = std::make_unique<Brisklander>();
    window->show();
    if (!QTest::qWaitForWindowActive(window.get()))
        return nullptr;
    // The tab not in front is built after the first paint.
    if (!QTest::qWaitFor(
            [&] { return window->findChild<QWidget*>(QStringLiteral("TxtChargePerMile")); }))
        return nullptr;
    return window;
}

QString closeAll(std::unique_ptr<Brisklander>& window, std::unique_ptr<ProgramFolder>& folder)
{
    window.reset();
    const QString unexpected = folder ? folder->unexpectedMessage() : QString();
    folder.reset();
    return unexpected;
}
