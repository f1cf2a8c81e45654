#include "core/startup.h"

#include "core/appcontext.h"
#include "core/appsettings.h"
#include "core/engine.h"
#include "core/errortext.h"
#include "core/instancelock.h"
#include "core/platform.h"
#include "core/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QWidget>

#include <cstdio>
#include <memory>

using Platform::Button;
using Platform::Icon;

namespace {

const QString ProgramTitle = QStringLiteral("Brisklander");

// The machine's lock and the program folder's lock, held for the life of the process.
struct SingleCopyLocks
{
    std::unique_ptr<InstanceLock> machine;
    std::unique_ptr<InstanceLock> folder;
};

SingleCopyLocks& singleCopyLocks()
{
    static SingleCopyLocks locks;
    return locks;
}

bool& unloading()
{
    static bool flag = false;
    return flag;
}

// Takes the machine's lock and the program folder's. Either one held by another
// process means another copy runs. The machine's lock may be out of reach (a
// system without a shared lock folder, a file another user made unreadable); the
// folder's lock still keeps a second copy off this database then, and the other
// way round for a folder where no lock file can be made.
bool acquireSingleCopyLocks(const QString& machinePath, const QString& programFolder)
{
    auto machine = std::make_unique<InstanceLock>(machinePath);
    auto folder = std::make_unique<InstanceLock>(InstanceLock::folderLockPath(programFolder));
    if (machine->tryLock() == InstanceLock::State::HeldElsewhere ||
        folder->tryLock() == InstanceLock::State::HeldElsewhere)
        return false;
    singleCopyLocks().machine = std::move(machine);
    singleCopyLocks().folder = std::move(folder);
    return true;
}

} // namespace

AppContext& appContext()
{
    static AppContext context;
    return context;
}

StartOptions StartOptions::fromApplication()
{
    StartOptions options;
    options.programFolder = QCoreApplication::applicationDirPath();
    options.executableName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    options.lockPath = InstanceLock::machineLockPath();
    return options;
}

void ReleaseSingleCopyLock()
{
    singleCopyLocks().machine.reset();
    singleCopyLocks().folder.reset();
}

bool StartApplication(const StartOptions& options,
                      const std::function<QWidget*()>& createMainWindow)
{
    Platform::pointer().setBusy();

    if (!acquireSingleCopyLocks(options.lockPath, options.programFolder)) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(Icon::Critical, ProgramTitle,
                                    QStringLiteral("There is already another copy of Brisklander "
                                                   "\ractive on this machine.\r\rYou can only run "
                                                   "one copy of this program\rat a time."));
        Platform::process().end(1);
        return false;
    }

    AppContext& context = appContext();
    const QDir folder(options.programFolder);
    context.ProgramFolder = options.programFolder;
    context.ExecutableName = options.executableName;
    context.DatabasePath = folder.filePath(Schema::DatabaseFileName);
    context.SettingsPath = folder.filePath(options.executableName + QStringLiteral(".INI"));
    // Before anything else reads the folder: an exit cut off by a crash may have left
    // the database under its ".old" name.
    RecoverInterruptedCompaction(context.DatabasePath);

    if (!QFileInfo(context.SettingsPath).isFile()) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(Icon::Critical, ProgramTitle,
                                    QStringLiteral("FATAL ERROR: ") + options.executableName +
                                        QStringLiteral(".INI file not found.\r\rApplication will "
                                                       "be terminated"));
        ReleaseSingleCopyLock();
        Platform::process().end(1);
        return false;
    }

    const QList<UnreadableSetting> unreadable = LoadSettings(context.SettingsPath);
    LoadCurrencySymbol();
    if (!OpenAirportWorkspace()) {
        ReleaseSingleCopyLock();
        Platform::process().end(1);
        return false;
    }

    QWidget* window = createMainWindow();
    context.MainWindow = window;
    window->show();
    // Told once, over the window, before any quote is priced with the defaults.
    if (!unreadable.isEmpty()) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(Icon::Exclamation, ProgramTitle,
                                    unreadableSettingsText(context.SettingsPath, unreadable));
    }
    return true;
}

void LoadCurrencySymbol()
{
    // The user's locale gives the symbol; one that defines none (the C locale) gets "$".
    const QString symbol = QLocale().currencySymbol(QLocale::CurrencySymbol);
    appContext().CurrencySymbol = symbol.isEmpty() ? QStringLiteral("$") : symbol;
}

bool OpenAirportWorkspace()
{
    AppContext& context = appContext();
    try {
        Db::DbEngine& engine = Db::DbEngine::instance();
        engine.setSystemDB(QDir(context.ProgramFolder).filePath(Schema::WorkgroupFileName));
        engine.setDefaultUser(Schema::UserName);
        engine.setDefaultPassword(Schema::Password);
        context.Workspace =
            engine.createWorkspace(QStringLiteral("AirportWS"), Schema::UserName, Schema::Password);
        // A database secured by another workgroup cannot be used at all: find out now
        // rather than in every window. A missing database is the windows' to report.
        if (QFileInfo::exists(context.DatabasePath))
            context.Workspace->openDatabase(context.DatabasePath)->close();
        return true;
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(
            Icon::Critical, ProgramTitle,
            ErrorText::message(QStringLiteral("An error occurred during program initialization:"),
                               error) +
                QStringLiteral("\r\rApplication will be terminated"));
        return false;
    }
}

bool ProgramIsUnloading()
{
    return unloading();
}

void ExitApplication()
{
    const Button answer = Platform::prompter().question(
        ProgramTitle, QStringLiteral("Are you sure that you want to EXIT Brisklander ?"),
        Button::Yes | Button::No, Button::No);
    if (answer != Button::Yes)
        return;
    Platform::pointer().setBusy();

    AppContext& context = appContext();
    if (auto* window = qobject_cast<QWidget*>(context.MainWindow.data())) {
        unloading() = true;
        window->close();
        window->deleteLater();
        unloading() = false;
    }
    try {
        if (context.Workspace)
            context.Workspace->close();
    } catch (const Db::DbError&) {
    }
    context.Workspace.reset();
    Db::DbEngine::instance().release();

    DatabaseFiles files;
    CompactDatabaseAtExit(context.DatabasePath, files);
    Platform::pointer().setNormal();
    ReleaseSingleCopyLock();
    Platform::process().end(0);
}

void OpenDocument(const QString& target)
{
    Platform::pointer().setBusy();
    Platform::shell().open(target);
    Platform::pointer().setNormal();
}
