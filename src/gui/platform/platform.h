#pragma once

#include <QDate>
#include <QFlags>
#include <QString>

#include <QStringList>

#include <memory>
#include <optional>

class QPrinter;
class QWidget;

// The desktop services the program uses, each behind a small interface: message
// boxes and the beep, the mouse pointer, the shell's "open", today's date, the
// end of the process and the mail program. The program runs on the Qt implementations; tests
// install scripted ones that record what the program asked for.
namespace Platform {

enum class Icon
{
    None,
    Information,
    Question,
    Exclamation,
    Critical
};

enum class Button
{
    NoButton = 0x0,
    Ok = 0x1,
    Cancel = 0x2,
    Yes = 0x4,
    No = 0x8,
};
Q_DECLARE_FLAGS(Buttons, Button)

// One message box as the program asks for it. Line breaks in the text are single
// carriage returns; only the on-screen box turns them into line breaks.
struct Message
{
    Icon icon = Icon::None;
    QString title;
    QString text;
    Buttons buttons = Button::Ok;
    Button defaultButton = Button::Ok;
};

class Prompter
{
public:
    virtual ~Prompter() = default;
    // Shows the message modally and returns the button the user chose.
    virtual Button ask(const Message& message) = 0;
    virtual void beep() = 0;
    // Asks for a password, typed unseen; empty when the operator gave none (Cancel).
    virtual QString askPassword(const QString& title, const QString& text) = 0;

    // Shorthands for the program's common boxes.
    void inform(Icon icon, const QString& title, const QString& text);
    Button question(const QString& title, const QString& text, Buttons buttons,
                    Button defaultButton);
};

// The mouse pointer: one busy/normal switch, never a stack of busy pointers.
class Pointer
{
public:
    virtual ~Pointer() = default;
    virtual void setBusy() = 0;
    virtual void setNormal() = 0;
    virtual bool isBusy() const = 0;
};

// The desktop shell's "open" for web and mail addresses.
class Shell
{
public:
    virtual ~Shell() = default;
    virtual bool open(const QString& target) = 0;
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
};

// Ends the process once the event loop (or start-up) hands control back.
class Process
{
public:
    virtual ~Process() = default;
    virtual void end(int exitCode) = 0;
};

// The system's file-save dialog.
struct SaveFileRequest
{
    QString title;
    QStringList filters; // "Text File (*.txt)", ...
    QString defaultSuffix;
    QString initialName;
};

struct SaveFileAnswer
{
    QString path;
    QString filter; // the filter chosen, one of the request's
};

class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // Asks for a file to write (confirming before an existing one is replaced);
    // nothing when the user cancels.
    virtual std::optional<SaveFileAnswer> saveFile(QWidget* parent,
                                                   const SaveFileRequest& request) = 0;
    // Asks for an existing file to read (the request's title and filters); nothing
    // when the user cancels.
    virtual std::optional<QString> openFile(QWidget* parent, const SaveFileRequest& request) = 0;
};

// The system print dialog: the user picks a printer, or printing to a file. With
// ToFile, a printer left with PDF output and a file name holds the file the user
// named in the dialog; otherwise the file is still to be chosen.
enum class PrintChoice
{
    Cancelled,
    Printer,
    ToFile
};

class PrintChooser
{
public:
    virtual ~PrintChooser() = default;
    virtual PrintChoice choosePrinter(QWidget* parent, QPrinter& printer) = 0;
};

// The desktop's mail program, given a new message to compose (xdg-email's arguments).
class Mailer
{
public:
    virtual ~Mailer() = default;
    // Hands the message over; false when no mail program could be started.
    virtual bool compose(const QStringList& arguments) = 0;
};

struct Services
{
    std::shared_ptr<Prompter> prompter;
    std::shared_ptr<Pointer> pointer;
    std::shared_ptr<Shell> shell;
    std::shared_ptr<Clock> clock;
    std::shared_ptr<Process> process;
    std::shared_ptr<FileChooser> fileChooser;
    std::shared_ptr<PrintChooser> printChooser;
    std::shared_ptr<Mailer> mailer;
};

// The services in force; the Qt implementations until something installs others.
Services& services();
Prompter& prompter();
Pointer& pointer();
Shell& shell();
Clock& clock();
Process& process();
FileChooser& fileChooser();
PrintChooser& printChooser();
Mailer& mailer();

// Replaces the services in force (tests install scripted ones); returns the previous set.
Services install(Services replacement);
Services qtServices();

} // namespace Platform

Q_DECLARE_OPERATORS_FOR_FLAGS(Platform::Buttons)
