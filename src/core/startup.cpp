#include "core/startup.h"

#include "core/appcontext.h"
#include "core/appsettings.h"
#include "core/engine.h"
#include "core/platform.h"
#include "core/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QWidget>

#include <cstdio>
#include <memory>

using Platform::Button;
using Platform::Icon;

namespace {

const QString ProgramTitle = QStringLiteral("Brisklander");

std::unique_ptr<QLockFile>& singleCopyLock()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

bool& unloading()
{
    static bool flag = false;
    return flag;
}

// Takes the per-machine lock. A lock left by a copy that crashed names a process
// that no longer runs, and QLockFile takes it over.
bool acquireSingleCopyLock(const QString& path)
{
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError)
            return true; // the lock cannot be written at all: nothing to guard with, carry on
        return false;
    }
    singleCopyLock() = std::move(lock);
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
    options.lockPath = QDir(QDir::tempPath()).filePath(QStringLiteral("Brisklander.lock"));
    return options;
}

void ReleaseSingleCopyLock()
{
    singleCopyLock().reset();
}

bool StartApplication(const StartOptions& options,
                      const std::function<QWidget*()>& createMainWindow)
{
    Platform::pointer().setBusy();

    if (!acquireSingleCopyLock(options.lockPath)) {
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

    LoadSettings(context.SettingsPath);
    LoadCurrencySymbol();
    RecoverInterruptedCompaction(context.DatabasePath);
    if (!OpenAirportWorkspace()) {
        ReleaseSingleCopyLock();
        Platform::process().end(1);
        return false;
    }

    QWidget* window = createMainWindow();
    context.MainWindow = window;
    window->show();
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
            QStringLiteral("An error occured during program initialization:\r\rError number = "
                           "%1\r%2\r\rApplication will be terminated")
                .arg(error.number())
                .arg(error.description()));
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
    if (QWidget* window = context.MainWindow) {
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

bool DatabaseFiles::exists(const QString& path)
{
    return QFileInfo::exists(path);
}

bool DatabaseFiles::remove(const QString& path)
{
    return QFile::remove(path);
}

bool DatabaseFiles::rename(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void DatabaseFiles::settle(const QString& path)
{
    Db::DbEngine::settleDatabaseFile(path);
}

void DatabaseFiles::compact(const QString& from, const QString& to)
{
    Db::DbEngine::compactDatabase(from, to);
}

void CompactDatabaseAtExit(const QString& databasePath, DatabaseFiles& files)
{
    const QString previous =
        QFileInfo(databasePath).dir().filePath(Schema::PreviousDatabaseFileName);

    // A ".old" left by an earlier crash goes, but only while the database is there:
    // when it is missing, the ".old" is the only copy of the data.
    if (files.exists(previous) && files.exists(databasePath))
        files.remove(previous);

    bool renamed = false;
    try {
        // What a crash left in a journal or write-ahead log must be in the file itself
        // before the file is renamed away from it.
        files.settle(databasePath);
        if (!files.rename(databasePath, previous))
            throw Db::DbError(Db::Error::CannotOpen, QStringLiteral("The database file could "
                                                                    "not be renamed."));
        renamed = true;
        files.compact(previous, databasePath);
        if (files.exists(databasePath) && files.exists(previous))
            files.remove(previous);
        else if (files.exists(previous))
            files.rename(previous, databasePath);
    } catch (...) {
        Platform::pointer().setNormal();
        if (renamed) {
            // The compacted copy is incomplete: the previous file takes its name back.
            if (files.exists(databasePath) && files.exists(previous))
                files.remove(databasePath);
            files.rename(previous, databasePath);
        }
    }
}

void RecoverInterruptedCompaction(const QString& databasePath)
{
    const QString previous =
        QFileInfo(databasePath).dir().filePath(Schema::PreviousDatabaseFileName);
    DatabaseFiles files;
    if (!files.exists(databasePath) && files.exists(previous))
        files.rename(previous, databasePath);
}

void OpenDocument(const QString& target)
{
    Platform::pointer().setBusy();
    Platform::shell().open(target);
    Platform::pointer().setNormal();
}
