#pragma once

#include "gui/platform/platform.h"

#include <QDate>
#include <QList>
#include <QPageLayout>
#include <QPrinter>
#include <QStringList>

#include <memory>
#include <optional>

// Scripted stand-ins for the desktop services. A test queues the answers it wants
// before the action, then checks every message the program showed.
class ScriptedPrompter final : public Platform::Prompter
{
public:
    Platform::Button ask(const Platform::Message& message) override;
    void beep() override { ++m_beeps; }
    // Recorded as a message with the Question icon and OK; answered with the password
    // queued, or none.
    QString askPassword(const QString& title, const QString& text) override;

    void setNextAnswer(Platform::Button answer) { m_answers << answer; }
    void setNextPassword(const QString& password) { m_passwords << password; }
    const QList<Platform::Message>& messages() const { return m_messages; }
    // Messages that arrived with no queued answer; they are answered with their default.
    const QList<Platform::Message>& unexpected() const { return m_unexpected; }
    int beeps() const { return m_beeps; }
    int pendingAnswers() const { return int(m_answers.size()); }
    void clear();

private:
    QList<Platform::Button> m_answers;
    QStringList m_passwords;
    QList<Platform::Message> m_messages;
    QList<Platform::Message> m_unexpected;
    int m_beeps = 0;
};

class ScriptedPointer final : public Platform::Pointer
{
public:
    void setBusy() override;
    void setNormal() override;
    bool isBusy() const override { return m_busy; }
    // "busy" and "normal" in the order they were set.
    const QStringList& history() const { return m_history; }
    void clear() { m_history.clear(); }

private:
    bool m_busy = false;
    QStringList m_history;
};

class ScriptedShell final : public Platform::Shell
{
public:
    bool open(const QString& target) override
    {
        m_opened << target;
        return m_succeeds;
    }
    void setSucceeds(bool succeeds) { m_succeeds = succeeds; }
    const QStringList& opened() const { return m_opened; }

private:
    QStringList m_opened;
    bool m_succeeds = true;
};

class FixedClock final : public Platform::Clock
{
public:
    QDate today() const override { return m_today; }
    void setToday(const QDate& date) { m_today = date; }

private:
    QDate m_today = QDate(2026, 12, 6);
};

class RecordingProcess final : public Platform::Process
{
public:
    void end(int exitCode) override { m_exitCodes << exitCode; }
    const QList<int>& exitCodes() const { return m_exitCodes; }
    bool ended() const { return !m_exitCodes.isEmpty(); }

private:
    QList<int> m_exitCodes;
};

class ScriptedFileChooser final : public Platform::FileChooser
{
public:
    std::optional<Platform::SaveFileAnswer>
    saveFile(QWidget*, const Platform::SaveFileRequest& request) override
    {
        m_requests << request;
        return m_answer;
    }
    std::optional<QString> openFile(QWidget*, const Platform::SaveFileRequest& request) override
    {
        m_requests << request;
        return m_answer ? std::optional(m_answer->path) : std::nullopt;
    }
    // The next answers: a path and the filter chosen, or nothing for Cancel.
    void setAnswer(std::optional<Platform::SaveFileAnswer> answer) { m_answer = std::move(answer); }
    const QList<Platform::SaveFileRequest>& requests() const { return m_requests; }

private:
    std::optional<Platform::SaveFileAnswer> m_answer;
    QList<Platform::SaveFileRequest> m_requests;
};

class ScriptedPrintChooser final : public Platform::PrintChooser
{
public:
    Platform::PrintChoice choosePrinter(QWidget*, QPrinter& printer) override
    {
        ++m_calls;
        if (m_choice == Platform::PrintChoice::Cancelled)
            return m_choice;
        if (m_page)
            printer.setPageLayout(*m_page);
        if (!m_pdfPath.isEmpty()) {
            // With Printer, a PDF file stands in for the printer; with ToFile, it is the
            // file named for the dialog's PDF file printer.
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(m_pdfPath);
        }
        return m_choice;
    }
    // ToFile without a path: the print-to-file choice that leaves the file to be asked for.
    void setChoice(Platform::PrintChoice choice, const QString& pdfPath = QString())
    {
        m_choice = choice;
        m_pdfPath = pdfPath;
    }
    // The page chosen in the dialog; the printer's own when none is set.
    void setPage(const QPageLayout& page) { m_page = page; }
    int calls() const { return m_calls; }

private:
    Platform::PrintChoice m_choice = Platform::PrintChoice::Cancelled;
    QString m_pdfPath;
    std::optional<QPageLayout> m_page;
    int m_calls = 0;
};

// The mail program: records each message it is given; none starts unless `starts`.
struct ScriptedMailer final : Platform::Mailer
{
    bool compose(const QStringList& arguments) override
    {
        messages << arguments;
        return starts;
    }
    QList<QStringList> messages;
    bool starts = true;
};

// Installs the scripted services for the life of the object and puts the previous
// ones back afterwards.
class TestServices
{
public:
    TestServices();
    ~TestServices();
    TestServices(const TestServices&) = delete;
    TestServices& operator=(const TestServices&) = delete;

    std::shared_ptr<ScriptedPrompter> prompter = std::make_shared<ScriptedPrompter>();
    std::shared_ptr<ScriptedPointer> pointer = std::make_shared<ScriptedPointer>();
    std::shared_ptr<ScriptedShell> shell = std::make_shared<ScriptedShell>();
    std::shared_ptr<FixedClock> clock = std::make_shared<FixedClock>();
    std::shared_ptr<RecordingProcess> process = std::make_shared<RecordingProcess>();
    std::shared_ptr<ScriptedFileChooser> fileChooser = std::make_shared<ScriptedFileChooser>();
    std::shared_ptr<ScriptedPrintChooser> printChooser = std::make_shared<ScriptedPrintChooser>();
    std::shared_ptr<ScriptedMailer> mailer = std::make_shared<ScriptedMailer>();

private:
    Platform::Services m_previous;
};

// Compares one recorded message with what the program should have shown; a "*" in
// `text` stands for any text of one character or more.
bool sameMessage(const Platform::Message& actual, Platform::Icon icon, const QString& title,
                 const QString& text, Platform::Button defaultButton, QString* why = nullptr);
