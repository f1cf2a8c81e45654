#pragma once

#include "core/settings/appsettings.h"
#include "gui/mainwindow/brisklander.h"
#include "support/child.h"
#include "support/programfolder.h"

#include <QLineEdit>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// The base of the main window's tests: before each test a fresh program folder, the
// settings in m_start, the locale pinned to the United States, and the main window
// shown and active; after it, the window and the folder closed, and no message left
// that the test did not expect.
class MainWindowFixture : public QObject
{
    Q_OBJECT

protected:
    MainWindowFixture();

    template <typename T> T* child(const char* name) const { return ::child<T>(*m_window, name); }
    QString field(const char* name) const { return child<QLineEdit>(name)->text(); }
    QLineEdit* find() const { return child<QLineEdit>("TxtFind"); }
    ScriptedPrompter& prompter() { return m_folder->prompter(); }
    // The message at index (by default the last) is this one.
    void expectMessage(Platform::Icon icon, const QString& title, const QString& text,
                       Platform::Button defaultButton, qsizetype index = -1);

    // The identifiers of the route's stops, in order.
    QStringList routeIds() const;
    // Finds an airport the way the operator does, by its identifier, and presses Select.
    void add(const QString& id);
    void selectRoute(int row) const;

    // Where the keyboard sends a key: to an open list, else to the focus.
    static QWidget* keyboard();
    static void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Keys one by one to wherever the keyboard sends each: "%x" is Alt+X, "^x" Ctrl+X, and
    // \b, \t, \x0b, \r, \x1b and \x7f are Backspace, Tab, Shift+Tab, Enter, Escape and Delete.
    static void press(const QString& keys);
    // The main window active again, as the desktop makes it when a dialog or menu closes.
    void backToWindow();
    // Runs handle in the next modal window opened, once it is active.
    void onNextModal(std::function<void(QWidget*)> handle, int wait = 0);
    // The object name of the focus and, for a line edit, "*" when all its text is selected.
    static QString focusName();
    // Types into a cell of the charges grid: the first key opens the cell's editor, which
    // takes the rest and stays open; with enter, Enter then keeps the entry.
    void typeIntoCell(int row, int column, const QString& keys, bool enter = false);

    AppSettings m_start;
    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<Brisklander> m_window;

protected slots:
    void init();
    void cleanup();
};
