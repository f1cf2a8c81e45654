#pragma once

#include <QString>

// Which folder is the program folder: the settings file, the database and the
// workgroup file the program and its tools work on. In this order: the folder the
// command line names (--folder); BRISKLANDER_HOME; the executable's own folder when a
// settings file named after the executable lies beside it and this user may write it
// (a portable copy, run from where it was unpacked or built); otherwise the user's
// data folder, $XDG_DATA_HOME/Brisklander or ~/.local/share/Brisklander. The settings
// file is "Brisklander.INI" in every folder but a portable copy's.
namespace DataFolder {

// What the rule reads of the process's environment; empty for a variable not set.
struct Environment
{
    QString brisklanderHome; // BRISKLANDER_HOME
    QString xdgDataHome;     // XDG_DATA_HOME
    QString home;            // HOME

    static Environment ofProcess();
};

enum class Source
{
    Option,      // --folder
    Environment, // BRISKLANDER_HOME
    Portable,    // the executable's folder
    UserData     // the user's data folder
};

struct Choice
{
    Source source = Source::UserData;
    QString folder;       // absolute and clean; empty when none could be named
    QString settingsBase; // the settings file's name without ".INI"
    // A folder other than a portable copy's that lacks its settings file, its
    // database or its workgroup file: it is completed before it is used.
    bool incomplete = false;
    QString error; // why no folder could be named

    QString settingsName() const { return settingsBase + QStringLiteral(".INI"); }
};

// The program folder for an executable in `executableFolder` named `executableName`
// (without extension), given the --folder value (empty when not given).
Choice choose(const QString& executableFolder, const QString& executableName,
              const QString& folderOption, const Environment& environment);

// The FOLDER argument of the tools: "-" stands for the folder the program would use,
// the rule applied with the tool's own folder (a portable copy's settings file beside
// the tool being "Brisklander.INI"); anything else is the folder named. Empty, with
// `error` saying why, when "-" can name no folder.
QString toolFolder(const QString& argument, QString* error);
// The tools' help on their FOLDER argument.
QString toolFolderHelp();

// A fresh program folder installed beside the executable (share/brisklander/template),
// from which a data folder is completed, and the OurAirports files installed with it.
QString templateFolder(const QString& executableFolder);
QString airportsFolder(const QString& executableFolder);

} // namespace DataFolder
