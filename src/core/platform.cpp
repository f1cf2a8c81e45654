#include "core/platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

namespace Platform {

void Prompter::inform(Icon icon, const QString& title, const QString& text)
{
    ask(Message{icon, title, text, Button::Ok, Button::Ok});
}

Button Prompter::question(const QString& title, const QString& text, Buttons buttons,
                          Button defaultButton)
{
    return ask(Message{Icon::Question, title, text, buttons, defaultButton});
}

namespace {

QMessageBox::Icon qtIcon(Icon icon)
{
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

class QtPrompter final : public Prompter
{
public:
    Button ask(const Message& message) override
    {
        QString text = message.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        QMessageBox box(qtIcon(message.icon), message.title, text, QMessageBox::NoButton,
                        QApplication::activeWindow());
        const struct
        {
            Button ours;
            QMessageBox::StandardButton theirs;
        } map[] = {{Button::Ok, QMessageBox::Ok},
                   {Button::Yes, QMessageBox::Yes},
                   {Button::No, QMessageBox::No},
                   {Button::Cancel, QMessageBox::Cancel}};
        for (const auto& entry : map) {
            if (message.buttons.testFlag(entry.ours)) {
                QPushButton* button = box.addButton(entry.theirs);
                if (entry.ours == message.defaultButton)
                    box.setDefaultButton(button);
            }
        }
        // Message boxes always show the normal pointer, whatever is going on behind them.
        const bool wasBusy = QApplication::overrideCursor() != nullptr;
        if (wasBusy)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
        box.exec();
        if (wasBusy)
            QApplication::restoreOverrideCursor();
        const auto clicked = box.standardButton(box.clickedButton());
        for (const auto& entry : map) {
            if (entry.theirs == clicked)
                return entry.ours;
        }
        // Closed with Esc or the close box: the answer of the cancelling button.
        if (message.buttons.testFlag(Button::Cancel))
            return Button::Cancel;
        if (message.buttons.testFlag(Button::No))
            return Button::No;
        return Button::Ok;
    }

    void beep() override { QApplication::beep(); }
};

class QtPointer final : public Pointer
{
public:
    void setBusy() override
    {
        if (m_busy)
            return;
        m_busy = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    void setNormal() override
    {
        if (!m_busy)
            return;
        m_busy = false;
        QApplication::restoreOverrideCursor();
    }
    bool isBusy() const override { return m_busy; }

private:
    bool m_busy = false;
};

class QtShell final : public Shell
{
public:
    bool open(const QString& target) override
    {
        return QDesktopServices::openUrl(QUrl::fromUserInput(target));
    }
};

class SystemClock final : public Clock
{
public:
    QDate today() const override { return QDate::currentDate(); }
};

class QtProcess final : public Process
{
public:
    void end(int exitCode) override { QCoreApplication::exit(exitCode); }
};

class QtFileChooser final : public FileChooser
{
public:
    std::optional<SaveFileAnswer> saveFile(QWidget* parent, const SaveFileRequest& request) override
    {
        QFileDialog dialog(parent, request.title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters(request.filters);
        dialog.setDefaultSuffix(request.defaultSuffix);
        if (!request.initialName.isEmpty())
            dialog.selectFile(request.initialName);
        // The suffix follows the type the user picks.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog](const QString& filter) {
                             const int star = filter.indexOf(QLatin1String("*."));
                             if (star >= 0)
                                 dialog.setDefaultSuffix(filter.mid(star + 2).section(
                                     QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), 0, 0));
                         });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return SaveFileAnswer{dialog.selectedFiles().first(), dialog.selectedNameFilter()};
    }
};

class QtPrintChooser final : public PrintChooser
{
public:
    PrintChoice choosePrinter(QWidget* parent, QPrinter& printer) override
    {
        QPrintDialog dialog(&printer, parent);
        // The printer's own copies and collation; the quote is printed whole: no page
        // range, no selection, no current page.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        if (dialog.exec() != QDialog::Accepted)
            return PrintChoice::Cancelled;
        return printer.outputFormat() == QPrinter::PdfFormat || !printer.outputFileName().isEmpty()
                   ? PrintChoice::ToFile
                   : PrintChoice::Printer;
    }
};

} // namespace

Services qtServices()
{
    return Services{std::make_shared<QtPrompter>(),    std::make_shared<QtPointer>(),
                    std::make_shared<QtShell>(),       std::make_shared<SystemClock>(),
                    std::make_shared<QtProcess>(),     std::make_shared<QtFileChooser>(),
                    std::make_shared<QtPrintChooser>()};
}

Services& services()
{
    static Services current = qtServices();
    return current;
}

Services install(Services replacement)
{
    Services previous = services();
    Services& current = services();
    if (replacement.prompter)
        current.prompter = std::move(replacement.prompter);
    if (replacement.pointer)
        current.pointer = std::move(replacement.pointer);
    if (replacement.shell)
        current.shell = std::move(replacement.shell);
    if (replacement.clock)
        current.clock = std::move(replacement.clock);
    if (replacement.process)
        current.process = std::move(replacement.process);
    if (replacement.fileChooser)
        current.fileChooser = std::move(replacement.fileChooser);
    if (replacement.printChooser)
        current.printChooser = std::move(replacement.printChooser);
    return previous;
}

Prompter& prompter()
{
    return *services().prompter;
}
Pointer& pointer()
{
    return *services().pointer;
}
Shell& shell()
{
    return *services().shell;
}
Clock& clock()
{
    return *services().clock;
}
Process& process()
{
    return *services().process;
}

FileChooser& fileChooser()
{
    return *services().fileChooser;
}

PrintChooser& printChooser()
{
    return *services().printChooser;
}

} // namespace Platform
