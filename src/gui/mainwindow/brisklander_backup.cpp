// The main window's Back Up Database and Restore Database: the files asked for, the
// copy made with the busy pointer, and what became of it said.

#include "core/db/dberror.h"
#include "core/folder/databasebackup.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/platform/platform.h"
#include "gui/startup.h"

#include <QDir>
#include <QFileInfo>

using Platform::Icon;

namespace {

const QString DatabaseFilter = QStringLiteral("Brisklander Database (*.mdb)");

// On a server the office backs up the database with the server's own tools.
bool keptOnServer(const QString& title)
{
    if (!appContext().onServer())
        return false;
    Platform::prompter().inform(
        Icon::Information, title,
        QStringLiteral("The database is kept on the office's PostgreSQL server, which is backed "
                       "up there (pg_dump). Brisklander backs up and restores only a program "
                       "folder's database file."));
    return true;
}

} // namespace

void Brisklander::mnuBackup_Click()
{
    if (keptOnServer(QStringLiteral("Back Up Database")))
        return;
    const QString folder = appContext().ProgramFolder;
    const QString offered = DatabaseBackup::defaultBackupPath(folder, Platform::clock().today());
    // Offered, not required: a Backups folder that cannot be made leaves the choice open.
    QDir().mkpath(QFileInfo(offered).absolutePath());
    const QString title = QStringLiteral("Back Up Database");
    const auto answer = Platform::fileChooser().saveFile(
        this, Platform::SaveFileRequest{title, {DatabaseFilter}, QStringLiteral("mdb"), offered});
    if (!answer)
        return;
    Platform::pointer().setBusy();
    try {
        const DatabaseBackup::Report report = DatabaseBackup::backup(folder, answer->path);
        Platform::pointer().setNormal();
        QString text = QStringLiteral("The database was backed up to '%1'.")
                           .arg(QDir::toNativeSeparators(answer->path));
        for (const QString& warning : report.warnings)
            text += QStringLiteral("\r\r") + warning;
        Platform::prompter().inform(
            report.warnings.isEmpty() ? Icon::Information : Icon::Exclamation, title, text);
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(
            Icon::Critical, title,
            QStringLiteral("The database could not be backed up to '%1':\r\r%2\r\rNo backup was "
                           "made; a file already there was left as it was.")
                .arg(QDir::toNativeSeparators(answer->path), error.description()));
    }
}

void Brisklander::mnuRestore_Click()
{
    if (keptOnServer(QStringLiteral("Restore Database")))
        return;
    const QString folder = appContext().ProgramFolder;
    const QString title = QStringLiteral("Restore Database");
    const auto answer = Platform::fileChooser().openFile(
        this, Platform::SaveFileRequest{title,
                                        {DatabaseFilter, QStringLiteral("All Files (*)")},
                                        QString(),
                                        QDir(folder).filePath(QStringLiteral("Backups"))});
    if (!answer)
        return;
    // Checked now, so that a file that cannot be restored is known before the program
    // closes for it.
    Platform::pointer().setBusy();
    try {
        DatabaseBackup::check(folder, *answer);
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(
            Icon::Critical, title,
            QStringLiteral("'%1' cannot be restored:\r\r%2\r\rThe database was left as it was.")
                .arg(QDir::toNativeSeparators(*answer), error.description()));
        return;
    }
    Platform::pointer().setNormal();
    ExitApplication(unkeptQuotes(), *answer);
}
