#include "core/folder/datafolder.h"

#include "core/db/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace DataFolder {

namespace {

const QString ProgramName = QStringLiteral("Brisklander");

// A folder named relative to the working directory is taken from there, once.
QString absolute(const QString& path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

bool writableFile(const QString& path)
{
    return QFileInfo(path).isFile() && ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

} // namespace

Environment Environment::ofProcess()
{
    return {qEnvironmentVariable("BRISKLANDER_HOME"), qEnvironmentVariable("XDG_DATA_HOME"),
            qEnvironmentVariable("HOME")};
}

Choice choose(const QString& executableFolder, const QString& executableName,
              const QString& folderOption, const Environment& environment)
{
    Choice choice;
    choice.settingsBase = ProgramName;
    const QString beside = QDir(executableFolder).filePath(executableName + QStringLiteral(".INI"));
    if (!folderOption.isEmpty()) {
        choice.source = Source::Option;
        choice.folder = absolute(folderOption);
    } else if (!environment.brisklanderHome.isEmpty()) {
        choice.source = Source::Environment;
        choice.folder = absolute(environment.brisklanderHome);
    } else if (writableFile(beside)) {
        choice.source = Source::Portable;
        choice.folder = QDir::cleanPath(QFileInfo(executableFolder).absoluteFilePath());
        choice.settingsBase = executableName;
        return choice;
    } else if (QDir::isAbsolutePath(environment.xdgDataHome)) {
        // A relative XDG_DATA_HOME is no folder by the desktop's rules: it is ignored.
        choice.folder = QDir::cleanPath(environment.xdgDataHome + u'/' + ProgramName);
    } else if (QDir::isAbsolutePath(environment.home)) {
        choice.folder =
            QDir::cleanPath(environment.home + QStringLiteral("/.local/share/") + ProgramName);
    } else {
        choice.error = QStringLiteral("Neither XDG_DATA_HOME nor HOME names a folder to keep "
                                      "the data in; give one with --folder or "
                                      "BRISKLANDER_HOME.");
        return choice;
    }
    const QDir folder(choice.folder);
    for (const QString& name :
         {choice.settingsName(), Schema::DatabaseFileName, Schema::WorkgroupFileName})
        choice.incomplete = choice.incomplete || !QFileInfo::exists(folder.filePath(name));
    return choice;
}

QString toolFolder(const QString& argument, QString* error)
{
    if (argument != u"-")
        return argument;
    const Choice choice = choose(QCoreApplication::applicationDirPath(), ProgramName, QString(),
                                 Environment::ofProcess());
    if (error)
        *error = choice.error;
    return choice.folder;
}

QString templateFolder(const QString& executableFolder)
{
    return QDir::cleanPath(executableFolder + QStringLiteral("/../share/brisklander/template"));
}

QString airportsFolder(const QString& executableFolder)
{
    return QDir::cleanPath(executableFolder + QStringLiteral("/../share/brisklander/ourairports"));
}

QString toolFolderHelp()
{
    return QStringLiteral("The program folder; - for the one the program would use: the folder "
                          "BRISKLANDER_HOME names, else this tool's folder when a writable "
                          "Brisklander.INI lies in it, else $XDG_DATA_HOME/Brisklander "
                          "(~/.local/share/Brisklander).");
}

} // namespace DataFolder
