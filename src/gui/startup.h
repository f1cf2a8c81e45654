#pragma once

#include "core/folder/databasefiles.h"

#include <QString>

#include <functional>

class QWidget;

// The program's entry and exit.

struct StartOptions
{
    QString programFolder;  // where the settings file and the database lie
    QString executableName; // without extension
    QString settingsName;   // the settings file's name; empty: the executable's with ".INI"
    QString lockPath;       // the per-machine lock that keeps a second copy out; the
                            // program folder has a lock of its own
    QString folderError;    // why no program folder could be named: the start stops
    // A data folder lacking files: made, and completed before it is used, from the
    // program folder in templateFolder when there is one, else made afresh (with the
    // airports of the OurAirports files in airportsFolder when there are some).
    bool completeFolder = false;
    QString templateFolder;
    QString airportsFolder;
    // The icon of every window (a PNG), read while the fonts are; empty: none.
    QString windowIcon;

    QString settingsFileName() const;

    // The program folder the data folder rule gives (DataFolder::choose) for the running
    // executable and the --folder value (empty when not given), and the machine-wide lock.
    static StartOptions fromApplication(const QString& folderOption = QString());
};

// Starts the program: makes and completes a data folder that lacks files, refuses a
// second copy, finds the settings file, loads the settings, the currency symbol and the
// workspace, then creates and shows the main window, and on a folder's first start
// (FIRSTSTART) opens the settings dialog on its Company tab over it. Returns false when
// the process must end (a message has been shown).
bool StartApplication(const StartOptions& options,
                      const std::function<QWidget*()>& createMainWindow);

// Releases the single-copy locks (the end of the process does it too).
void ReleaseSingleCopyLock();

// Asks, closes the window and the connection, compacts the database and ends the
// process. Returns normally only when the user answers No. The question tells how
// many quotes made since the start were never kept. When the last backup is older than
// BACKUPDAYS days it offers one into the folder's Backups subfolder first; a backup that
// fails is reported and the exit goes on. With `restoreFrom` (a file already checked),
// it asks whether to restore the database from it, and restores it once every
// connection is closed, before the compaction.
void ExitApplication(int unkeptQuotes = 0, const QString& restoreFrom = QString());

// True while the exit closes the main window itself, so its close request passes.
bool ProgramIsUnloading();

void LoadCurrencySymbol();

// Sets the engine's workgroup defaults and opens the workspace "AirportWS"; shows
// the initialization error and returns false when that fails.
bool OpenAirportWorkspace();

// Hands a web or mail address to the desktop shell; failures are ignored.
void OpenDocument(const QString& target);
