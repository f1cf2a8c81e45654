#pragma once

#include "support/testservices.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

class Brisklander;

// A program folder as the build makes it (the demonstration airports, the sample
// catalogues, the settings file), with the scripted services installed and, once
// opened, the context and the workspace "AirportWS" as start-up leaves them. The
// windows under test find everything where the program would.
class ProgramFolder
{
public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    // Fills the context's paths and opens the workspace; false (a message shown) when
    // the workspace cannot be opened.
    bool open();
    // Empties the context and releases the engine, so the next test starts afresh.
    void close();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString databasePath() const;
    QString settingsPath() const;

    // The main window on the opened folder, shown and active, ready for keys; nullptr
    // when it did not become active.
    std::unique_ptr<Brisklander> showMainWindow();

    TestServices& services() { return m_services; }
    ScriptedPrompter& prompter() { return *m_services.prompter; }
    // The text of the first message that arrived with no answer queued; empty when none.
    QString unexpectedMessage() const;

private:
    QTemporaryDir m_dir;
    TestServices m_services;
};

// Closes the window, then the folder; the first message that no test expected, or empty.
QString closeAll(std::unique_ptr<Brisklander>& window, std::unique_ptr<ProgramFolder>& folder);
