#include "gui/platform/platform.h"

#include "gui/platform/accesskeys.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
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

// The caption with an access key no other button of the box has: the platform's own
// when it is free, else the first free letter or digit. Without one, the operator
// would need Tab and Enter to answer from the keyboard.
QString withAccessKey(const QString& caption, QList<int>& taken)
{
    const QKeySequence own = QKeySequence::mnemonic(caption);
    if (!own.isEmpty() && !taken.contains(own[0].key())) {
        taken << own[0].key();
        return caption;
    }
    // The caption without its own mark; "&&" (an ampersand shown) stays.
    QString plain;
    for (qsizetype at = 0; at < caption.size(); ++at) {
        if (caption.at(at) != u'&') {
            plain += caption.at(at);
        } else if (at + 1 < caption.size() && caption.at(at + 1) == u'&') {
            plain += QStringLiteral("&&");
            ++at;
        }
    }
    for (qsizetype at = 0; at < plain.size(); ++at) {
        if (!plain.at(at).isLetterOrNumber() || (at > 0 && plain.at(at - 1) == u'&'))
            continue;
        const QString marked = plain.left(at) + u'&' + plain.mid(at);
        const QKeySequence key = QKeySequence::mnemonic(marked);
        if (!key.isEmpty() && !taken.contains(key[0].key())) {
            taken << key[0].key();
            return marked;
        }
    }
    return plain;
}

// A message box holds no field to type into, so a button's access key answers
// without Alt as well, and at once, as every access key of the program does.
class AccessKeyAnswers final : public QObject
{
public:
    explicit AccessKeyAnswers(QMessageBox* box) : QObject(box), m_box(box) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        for (QAbstractButton* button : m_box->buttons()) {
            const QKeySequence mnemonic = QKeySequence::mnemonic(button->text());
            if (!mnemonic.isEmpty() && mnemonic[0].key() == key->key() && button->isEnabled()) {
                button->click();
                return true;
            }
        }
        return false;
    }

private:
    QMessageBox* m_box;
};

class QtPrompter final : public Prompter
{
public:
    QString askPassword(const QString& title, const QString& text) override
    {
        const bool wasBusy = QApplication::overrideCursor() != nullptr;
        if (wasBusy)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
        QString shown = text;
        shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        bool given = false;
        const QString password = QInputDialog::getText(QApplication::activeWindow(), title, shown,
                                                       QLineEdit::Password, QString(), &given);
        if (wasBusy)
            QApplication::restoreOverrideCursor();
        return given ? password : QString();
    }

    Button ask(const Message& message) override
    {
        AccessKeys::runAtOnce();
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
        QList<int> taken;
        for (const auto& entry : map) {
            if (message.buttons.testFlag(entry.ours)) {
                QPushButton* button = box.addButton(entry.theirs);
                button->setText(withAccessKey(button->text(), taken));
                if (entry.ours == message.defaultButton)
                    box.setDefaultButton(button);
            }
        }
        // The keys reach the button that has the focus first, then the box.
        auto* answers = new AccessKeyAnswers(&box);
        for (QAbstractButton* button : box.buttons())
            button->installEventFilter(answers);
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
                             const qsizetype star = filter.indexOf(QLatin1String("*."));
                             if (star >= 0)
                                 dialog.setDefaultSuffix(filter.mid(star + 2).section(
                                     QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), 0, 0));
                         });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return SaveFileAnswer{dialog.selectedFiles().first(), dialog.selectedNameFilter()};
    }
    std::optional<QString> openFile(QWidget* parent, const SaveFileRequest& request) override
    {
        QFileDialog dialog(parent, request.title);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters(request.filters);
        if (!request.initialName.isEmpty())
            dialog.selectFile(request.initialName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
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

class QtMailer final : public Mailer
{
public:
    bool compose(const QStringList& arguments) override
    {
        // xdg-email hands the message to the mail program and ends, with an error when
        // it finds none. One that takes longer is left to finish on its own.
        auto* process = new QProcess;
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        process->start(QStringLiteral("xdg-email"), arguments);
        if (!process->waitForStarted()) {
            delete process;
            return false;
        }
        if (!process->waitForFinished(5000))
            return true;
        return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    }
};

} // namespace

Services qtServices()
{
    return Services{std::make_shared<QtPrompter>(),     std::make_shared<QtPointer>(),
                    std::make_shared<QtShell>(),        std::make_shared<SystemClock>(),
                    std::make_shared<QtProcess>(),      std::make_shared<QtFileChooser>(),
                    std::make_shared<QtPrintChooser>(), std::make_shared<QtMailer>()};
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
    if (replacement.mailer)
        current.mailer = std::move(replacement.mailer);
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

Mailer& mailer()
{
    return *services().mailer;
}

} // namespace Platform
