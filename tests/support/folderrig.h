#pragma once

// What the tests of the program folder, the settings file and start-up share: a new
// program folder with the paths of its files, the folder's tools run as the operator
// runs them, statements run on a database file from outside the program, children
// killed the hard way and FIFOs that nobody may wait on for ever.

#include "core/db/schema.h"
#include "core/folder/starterdata.h"
#include "core/settings/appsettings.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

// A program folder as the build makes it, in a temporary folder of its own, started
// once already: its first start's settings dialog is a test of its own.
struct StarterFolder
{
    QTemporaryDir dir;
    QString folder = dir.path();
    StarterFolder() { make(folder); }
    void make(const QString& at)
    {
        folder = at;
        StarterData::createProgramFolder(folder, QStringLiteral("Brisklander"));
        ForgetFirstStart(settings());
    }
    QString path(const QString& name) const { return folder + u'/' + name; }
    QString database() const { return path(Schema::DatabaseFileName); }
    QString old() const { return path(Schema::PreviousDatabaseFileName); }
    QString settings() const { return path(QStringLiteral("Brisklander.INI")); }
};

struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// One of the tools as a process, with BRISKLANDER_HOME set to `home` when given; one
// that does not end in time fails (and is killed).
inline ToolRun runTool(const QStringList& arguments,
                       const QString& program = QStringLiteral(BRISKLANDER_TOOL_PATH),
                       const QString& home = QString())
{
    QProcess tool;
    if (!home.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("BRISKLANDER_HOME"), home);
        tool.setProcessEnvironment(environment);
    }
    tool.start(program, arguments);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit)
        return {};
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
            QString::fromUtf8(tool.readAllStandardError())};
}

// Statements run on a database file by a program outside ours; SQLite's result code.
inline int execSql(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    int result = sqlite3_open(QFile::encodeName(path).constData(), &db);
    if (result == SQLITE_OK)
        result = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return result;
}

// A child process doing `work`, and its end by SIGKILL, as a crash ends a program.
inline pid_t forkDoing(const std::function<void()>& work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        work();
        ::_exit(0);
    }
    return child;
}
inline void killChild(pid_t child)
{
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

// Opens the FIFO for writing two seconds on, writing `text`, unless destroyed first: a
// reader that waits on it fails its test instead of hanging it.
class FifoRescue
{
public:
    explicit FifoRescue(const QString& fifo, const QByteArray& text = {})
        : m_thread([this, path = QFile::encodeName(fifo), text] {
              for (int i = 0; i < 40 && !m_done; ++i)
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              const int fd = m_done ? -1 : ::open(path.constData(), O_WRONLY | O_NONBLOCK);
              if (fd >= 0) {
                  [[maybe_unused]] const ssize_t written =
                      ::write(fd, text.constData(), size_t(text.size()));
                  ::close(fd);
              }
          })
    {}
    ~FifoRescue()
    {
        m_done = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};
