#include "gui/startup.h"

#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/errortext.h"
#include "core/folder/databasebackup.h"
#include "core/folder/datafolder.h"
#include "core/folder/instancelock.h"
#include "core/folder/starterdata.h"
#include "core/settings/appsettings.h"
#include "core/settings/windowplacement.h"
#include "gui/appcontext.h"
#include "gui/platform/icons.h"
#include "gui/platform/platform.h"
#include "gui/settings/frmsettings.h"
#include "gui/settings/settingshost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageReader>
#include <QLocale>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <memory>
#include <thread>

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
// system without a shared lock folder, a file or a FIFO another user put there): it
// lies where every user may write, so it must not keep anybody out, and the folder's
// lock keeps a second copy off this database then. The folder's lock is the one the
// tools honour too: one that cannot be used is named in `unusable`, and stops the start.
bool acquireSingleCopyLocks(const QString& machinePath, const QString& programFolder,
                            QString& unusable)
{
    auto machine = std::make_unique<InstanceLock>(machinePath);
    auto folder = std::make_unique<InstanceLock>(InstanceLock::folderLockPath(programFolder));
    if (machine->tryLock() == InstanceLock::State::HeldElsewhere)
        return false;
    const InstanceLock::State folderState = folder->tryLock();
    if (folderState == InstanceLock::State::HeldElsewhere)
        return false;
    if (folderState == InstanceLock::State::Unavailable) {
        unusable = QStringLiteral("The lock file '%1' cannot be used: %2.\r\rThis file keeps a "
                                  "second copy of Brisklander away from the database. Remove what "
                                  "is in its place (the program makes the file itself) or let "
                                  "this account write in the folder, and start the program "
                                  "again.")
                       .arg(QDir::toNativeSeparators(folder->path()), folder->errorString());
        return false;
    }
    singleCopyLocks().machine = std::move(machine);
    singleCopyLocks().folder = std::move(folder);
    return true;
}

// The window's frame around its inside. Before the window is on the screen the
// system has not told its frame; a title bar of two lines of text and thin borders
// are assumed then, so the frame fits rather than the inside alone.
QMargins frameMargins(const QWidget* window)
{
    const int border = 4;
    const int title = qMax(window->style()->pixelMetric(QStyle::PM_TitleBarHeight),
                           2 * window->fontMetrics().height());
    QMargins margins(border, title + border, border, border);
    if (const QWindow* handle = window->windowHandle()) {
        const QMargins known = handle->frameMargins();
        margins =
            QMargins(qMax(known.left(), margins.left()), qMax(known.top(), margins.top()),
                     qMax(known.right(), margins.right()), qMax(known.bottom(), margins.bottom()));
    }
    return margins;
}

// Opens the main window where it was left, or at its own size in the middle of the
// screen, in either case within the screen's available area (a window left on a
// monitor that is gone comes back on the primary one).
void placeMainWindow(QWidget* window, const QString& settingsPath)
{
    const std::optional<WindowPlacement> saved = WindowPlacement::read(settingsPath);
    QScreen* screen = saved ? QGuiApplication::screenAt(saved->normal.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QMargins frame = frameMargins(window);
    QRect inside = saved ? saved->normal : QRect(QPoint(), window->size());
    if (!saved)
        inside.moveCenter(available.center());
    window->setGeometry(fitInto(inside.marginsAdded(frame), available).marginsRemoved(frame));
    if (saved && saved->maximized)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    if (saved)
        window->setProperty("mapShown", saved->mapShown);
}

// Keeps where the operator left the main window for the next run. A settings file
// that cannot be written is said once, and the exit goes on.
void saveMainWindowPlacement(const QWidget* window, const QString& settingsPath)
{
    const QVariant mapShown = window->property("mapShown");
    const WindowPlacement placement{window->normalGeometry(), window->isMaximized(),
                                    !mapShown.isValid() || mapShown.toBool()};
    if (!placement.normal.isValid())
        return;
    QString error;
    if (placement.write(settingsPath, &error))
        return;
    Platform::prompter().inform(
        Icon::Critical, ProgramTitle,
        QStringLiteral("The window's size and position could not be written to the file "
                       "'%1':\r\r%2\r\rThe file was left as it was: the window opens next time "
                       "as it did this time.")
            .arg(QDir::toNativeSeparators(settingsPath), error));
}

// A database made before airports kept their zone names, codes and cities gains those
// columns once, as the program opens its folder, rather than at the first Save of an
// airport: the data views take the table's columns when they open, so a column added
// later would stay out of them until the next start, and a Modify filled from them would
// clear a value. The
// writers' lock keeps this off a tool's write; a tool at work now (an import) adds the
// column itself. A database that cannot take it is still read and the operator told:
// an airport is then saved without those values only.
void addColumnsToOldDatabase(Db::Workspace& workspace, Db::Database& database)
{
    InstanceLock writers(DatabaseWriteLockPath(appContext().ProgramFolder));
    if (writers.tryLock() == InstanceLock::State::HeldElsewhere)
        return;
    try {
        Db::Transaction transaction(workspace);
        Schema::addAirportColumns(database);
        transaction.commit();
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(
            Icon::Exclamation, ProgramTitle,
            ErrorText::message(QStringLiteral("The airport table could not be given its columns "
                                              "for time zone names, IATA codes and cities:"),
                               error) +
                QStringLiteral("\r\rThe airports are shown as they are, and saved without a "
                               "time zone name, IATA code or city until the program starts "
                               "with a database it can change."));
        Platform::pointer().setBusy();
    }
    // The number of airports kept as they come and go, made once: without it the list
    // counts them at every start, which a database it cannot change leaves it to do.
    if (database.hasTable(Db::RowCountsTable) || Db::isServerLocation(database.path()))
        return;
    try {
        Db::Transaction transaction(workspace);
        Schema::countAirportRows(database);
        transaction.commit();
    } catch (const Db::DbError&) {
        // Rolled back whole: the list counts the airports, as it always could.
    }
}

// A data folder that lacks files is made and completed, wholly or not at all: from the
// template installed with the program, else afresh. Before the locks are taken
// (`complete` false) the folder is only made; holding them, it is completed.
bool prepareDataFolder(const StartOptions& options, bool complete)
{
    try {
        if (!complete) {
            StarterData::makeFolder(options.programFolder);
            return true;
        }
        const auto writers = LockDatabaseWriters(options.programFolder, 2000);
        const bool fromTemplate = QFileInfo(options.templateFolder).isDir();
        const bool airports = !fromTemplate && QFileInfo(options.airportsFolder).isDir();
        StarterData::createProgramFolder(options.programFolder,
                                         QFileInfo(options.settingsFileName()).completeBaseName(),
                                         airports ? options.airportsFolder : QString(),
                                         fromTemplate ? options.templateFolder : QString());
        return true;
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(
            Icon::Critical, ProgramTitle,
            QStringLiteral("The data folder '%1' could not be made ready:\r\r%2\r\rNothing was "
                           "left half made in it. Application will be terminated")
                .arg(QDir::toNativeSeparators(options.programFolder), error.description()));
        return false;
    }
}

// The first start in a folder: the settings dialog on its Company tab, over the main
// window. Saved or skipped, it does not come again: FIRSTSTART leaves the settings file.
void welcomeOperator(QWidget* window)
{
    FrmSettings dialog(dynamic_cast<SettingsHost*>(window), window);
    dialog.showFirst(FrmSettings::CompanyTab);
    dialog.exec();
    appSettings().FIRSTSTART = false;
    QString error;
    if (!ForgetFirstStart(appContext().SettingsPath, &error))
        Platform::prompter().inform(
            Icon::Exclamation, ProgramTitle,
            QStringLiteral("The settings file '%1' could not be changed:\r\r%2\r\rThe settings "
                           "open again at the next start.")
                .arg(QDir::toNativeSeparators(appContext().SettingsPath), error));
}

void showInitializationError(const Db::DbError& error)
{
    Platform::pointer().setNormal();
    Platform::prompter().inform(
        Icon::Critical, ProgramTitle,
        ErrorText::message(QStringLiteral("An error occurred during program initialization:"),
                           error) +
            QStringLiteral("\r\rApplication will be terminated"));
}

} // namespace

AppContext& appContext()
{
    static AppContext context;
    return context;
}

bool AppContext::onServer() const
{
    return Db::isServerLocation(DatabasePath);
}

QString StartOptions::settingsFileName() const
{
    return settingsName.isEmpty() ? executableName + QStringLiteral(".INI") : settingsName;
}

StartOptions StartOptions::fromApplication(const QString& folderOption)
{
    StartOptions options;
    const QString executableFolder = QCoreApplication::applicationDirPath();
    options.executableName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    const DataFolder::Choice choice =
        DataFolder::choose(executableFolder, options.executableName, folderOption,
                           DataFolder::Environment::ofProcess());
    options.programFolder = choice.folder;
    options.settingsName = choice.settingsName();
    options.folderError = choice.error;
    options.completeFolder = choice.incomplete;
    options.templateFolder = DataFolder::templateFolder(executableFolder);
    options.airportsFolder = DataFolder::airportsFolder(executableFolder);
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
    // What the first paint needs of the desktop is read on a second core while this one
    // takes the locks, reads the settings and opens the database: the fonts (fontconfig's
    // configuration and caches, a fifth of the start) and Qt's image format plugins (Qt
    // loads every one of them to read an image, and the style draws group boxes from one).
    // The window's first caption waits for the fonts if they are not read yet; every way
    // out of here joins the thread before the process ends.
    std::jthread ahead([] {
        QFontDatabase::families();
        QImageReader::supportedImageFormats();
    });
    if (!options.windowIcon.isEmpty())
        QGuiApplication::setWindowIcon(Icons::png(options.windowIcon));
    if (!options.folderError.isEmpty()) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(Icon::Critical, ProgramTitle,
                                    options.folderError +
                                        QStringLiteral("\r\rApplication will be terminated"));
        Platform::process().end(1);
        return false;
    }
    if (options.completeFolder && !prepareDataFolder(options, false)) {
        Platform::process().end(1);
        return false;
    }

    QString unusableLock;
    if (!acquireSingleCopyLocks(options.lockPath, options.programFolder, unusableLock)) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(
            Icon::Critical, ProgramTitle,
            !unusableLock.isEmpty()
                ? unusableLock
                : QStringLiteral("There is already another copy of Brisklander \ractive on this "
                                 "machine.\r\rYou can only run one copy of this program\rat a "
                                 "time."));
        Platform::process().end(1);
        return false;
    }

    AppContext& context = appContext();
    const QDir folder(options.programFolder);
    context.ProgramFolder = options.programFolder;
    context.ExecutableName = options.executableName;
    context.DatabasePath = folder.filePath(Schema::DatabaseFileName);
    context.SettingsPath = folder.filePath(options.settingsFileName());
    // Before anything else reads the folder: an exit cut off by a crash may have left
    // the database under its ".old" name. A tool holding the writers' lock has put the
    // folder right before it began. A database that cannot be read stops the start.
    try {
        InstanceLock writers(DatabaseWriteLockPath(options.programFolder));
        if (writers.tryLock() != InstanceLock::State::HeldElsewhere)
            RecoverInterruptedCompaction(context.DatabasePath);
    } catch (const Db::DbError& error) {
        showInitializationError(error);
        ReleaseSingleCopyLock();
        Platform::process().end(1);
        return false;
    }
    if (options.completeFolder && !prepareDataFolder(options, true)) {
        ReleaseSingleCopyLock();
        Platform::process().end(1);
        return false;
    }

    if (!QFileInfo(context.SettingsPath).isFile()) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(Icon::Critical, ProgramTitle,
                                    QStringLiteral("FATAL ERROR: ") + options.settingsFileName() +
                                        QStringLiteral(" file not found.\r\rApplication will "
                                                       "be terminated"));
        ReleaseSingleCopyLock();
        Platform::process().end(1);
        return false;
    }

    // Once a server, when neither ~/.pgpass nor the service file holds its password;
    // set before the settings are read, which may settle an interrupted Save there.
    Db::setPasswordSource([](const QString& server) {
        Platform::pointer().setNormal();
        const QString password = Platform::prompter().askPassword(
            ProgramTitle, QStringLiteral("The password of %1:").arg(server));
        Platform::pointer().setBusy();
        return password;
    });
    QList<UnreadableSetting> unreadable;
    try {
        unreadable = LoadSettings(context.SettingsPath);
    } catch (const SettingsReadError& error) {
        // Settings that cannot be read are no empty settings: nothing is priced at 0.00.
        Platform::pointer().setNormal();
        Platform::prompter().inform(Icon::Critical, ProgramTitle,
                                    QStringLiteral("FATAL ERROR: ") + error.text() +
                                        QStringLiteral("\r\rApplication will be terminated"));
        ReleaseSingleCopyLock();
        Platform::process().end(1);
        return false;
    }
    LoadCurrencySymbol();
    if (appSettings().DATABASE.isSet()) {
        context.DatabasePath = appSettings().DATABASE.location();
        // The start's three: the airports' workspace, the default one, the listener.
        Db::connectAhead(context.DatabasePath, 3);
    }
    if (!OpenAirportWorkspace()) {
        ReleaseSingleCopyLock();
        Platform::process().end(1);
        return false;
    }

    QWidget* window = createMainWindow();
    context.MainWindow = window;
    placeMainWindow(window, context.SettingsPath);
    window->show();
    // Told once, over the window, before any quote is priced with the defaults.
    if (!unreadable.isEmpty()) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(Icon::Exclamation, ProgramTitle,
                                    unreadableSettingsText(context.SettingsPath, unreadable));
    }
    if (appSettings().FIRSTSTART)
        QTimer::singleShot(0, window, [window] { welcomeOperator(window); });
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
        if (context.onServer() || QFileInfo::exists(context.DatabasePath)) {
            auto database = context.Workspace->openDatabase(context.DatabasePath);
            addColumnsToOldDatabase(*context.Workspace, *database);
            database->close();
        }
        return true;
    } catch (const Db::DbError& error) {
        showInitializationError(error);
        return false;
    }
}

bool ProgramIsUnloading()
{
    return unloading();
}

namespace {

// At the exit, a backup of the database into the folder's Backups subfolder when the
// last one is BACKUPDAYS days old or more, if the operator wants it. A backup that fails
// is said and never holds up the exit.
void offerBackupAtExit(const QString& folder)
{
    const QDate today = Platform::clock().today();
    const QDateTime last = DatabaseBackup::lastBackup(folder);
    if (!DatabaseBackup::reminderDue(last, today, appSettings().BACKUPDAYS))
        return;
    const QString when = last.isValid()
                             ? QStringLiteral("The database was last backed up on %1, %2 days ago.")
                                   .arg(QLocale().toString(last.date(), QLocale::ShortFormat))
                                   .arg(last.date().daysTo(today))
                             : QStringLiteral("The database has never been backed up.");
    const QString file = DatabaseBackup::defaultBackupPath(folder, today);
    const Button answer = Platform::prompter().question(
        ProgramTitle,
        when + QStringLiteral("\r\rBack up the database now, to '%1'?")
                   .arg(QDir::toNativeSeparators(file)),
        Button::Yes | Button::No, Button::Yes);
    if (answer != Button::Yes)
        return;
    Platform::pointer().setBusy();
    try {
        QDir().mkpath(QFileInfo(file).absolutePath());
        DatabaseBackup::backup(folder, file);
        Platform::pointer().setNormal();
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(
            Icon::Critical, ProgramTitle,
            QStringLiteral("The database could not be backed up to '%1':\r\r%2\r\rBrisklander "
                           "closes now; back up from the Quote menu next time.")
                .arg(QDir::toNativeSeparators(file), error.description()));
    }
}

} // namespace

void ExitApplication(int unkeptQuotes, const QString& restoreFrom)
{
    AppContext& context = appContext();
    QString text =
        restoreFrom.isEmpty()
            ? QStringLiteral("Are you sure that you want to EXIT Brisklander ?")
            : QStringLiteral("Restore the database from '%1' ?\r\rBrisklander closes to put it "
                             "in place; the database in use now is kept beside it as %2.before-"
                             "restore-<date and time>. Start Brisklander again afterwards.")
                  .arg(QDir::toNativeSeparators(restoreFrom), Schema::DatabaseFileName);
    if (unkeptQuotes == 1)
        text += QStringLiteral("\r\r1 quote made since the start was not saved.");
    else if (unkeptQuotes > 1)
        text +=
            QStringLiteral("\r\r%1 quotes made since the start were not saved.").arg(unkeptQuotes);
    const Button answer =
        Platform::prompter().question(ProgramTitle, text, Button::Yes | Button::No, Button::No);
    if (answer != Button::Yes)
        return;
    if (restoreFrom.isEmpty() && !context.onServer())
        offerBackupAtExit(context.ProgramFolder);
    if (auto* window = qobject_cast<QWidget*>(context.MainWindow.data()))
        saveMainWindowPlacement(window, context.SettingsPath);
    Platform::pointer().setBusy();

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

    if (!restoreFrom.isEmpty()) {
        // Every connection of the program is closed and it still holds the folder: the
        // database can be replaced under its name now.
        const QString title = QStringLiteral("Restore Database");
        try {
            const DatabaseBackup::Report report = DatabaseBackup::restore(
                context.ProgramFolder, restoreFrom, DatabaseBackup::FolderLock::HeldByCaller);
            Db::DbEngine::instance().release();
            Platform::pointer().setNormal();
            Platform::prompter().inform(
                Icon::Information, title,
                QStringLiteral("The database was restored from '%1'.%2\r\rStart Brisklander "
                               "again to work with it.")
                    .arg(QDir::toNativeSeparators(restoreFrom),
                         report.kept.isEmpty()
                             ? QString()
                             : QStringLiteral("\r\rThe replaced database is kept as '%1'.")
                                   .arg(QDir::toNativeSeparators(report.kept))));
        } catch (const Db::DbError& error) {
            Db::DbEngine::instance().release();
            Platform::pointer().setNormal();
            Platform::prompter().inform(
                Icon::Critical, title,
                QStringLiteral("The database could not be restored from '%1':\r\r%2\r\rThe "
                               "database was left as it was.")
                    .arg(QDir::toNativeSeparators(restoreFrom), error.description()));
        }
        Platform::pointer().setBusy();
    }

    // A server keeps its own house; only the folder's file is compacted.
    if (!context.onServer()) {
        DatabaseFiles files;
        CompactDatabaseAtExit(context.DatabasePath, files);
    }
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
