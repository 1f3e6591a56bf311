#include "platform/shell.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

// ExcludeUserInputEvents keeps back only what the window system delivers; input events
// posted inside the process would still reach the widgets and re-enter the program while
// it waits for the line. Those are held here and posted again, in order, afterwards.
class InputHold : public QObject {
public:
    InputHold()
    {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->installEventFilter(this);
    }
    ~InputHold() override
    {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeEventFilter(this);
        for (auto& [receiver, event] : held_) {
            if (receiver)
                QCoreApplication::postEvent(receiver, event.release());
        }
    }

    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (!isUserInput(event->type()))
            return false;
        held_.emplace_back(receiver, std::unique_ptr<QEvent>(event->clone()));
        return true;
    }

private:
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

} // namespace

namespace {

// The environment for the line: ours, in the C locale.
std::vector<QByteArray> lineEnvironment()
{
    std::vector<QByteArray> env;
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "LC_ALL=", 7) != 0)
            env.emplace_back(*e);
    }
    // grep and sed pass every byte through unchanged only in the C locale.
    env.emplace_back("LC_ALL=C");
    return env;
}

struct Fd {
    int fd = -1;
    ~Fd() { reset(); }
    void reset()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

// Reads what a pipe holds now; false once it is at its end.
bool drain(int fd, QByteArray& into)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, n);
            continue;
        }
        if (n == 0)
            return false;
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EWOULDBLOCK;
    }
}

} // namespace

Shell::Shell() = default;
Shell::~Shell() = default;

void Shell::Execute(const QString& commandLine)
{
    stdout_.clear();
    stderr_.clear();
    exitCode_ = -1;

    Fd outRead, outWrite, errRead, errWrite;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return;
    outRead.fd = fds[0];
    outWrite.fd = fds[1];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return;
    errRead.fd = fds[0];
    errWrite.fd = fds[1];

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outWrite.fd, 1);
    posix_spawn_file_actions_adddup2(&actions, errWrite.fd, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The line gets default signal handling and an empty mask, whatever this process set.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    const QByteArray line = commandLine.toUtf8();
    char* argv[] = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"), const_cast<char*>(line.constData()),
                    nullptr};
    std::vector<QByteArray> environment = lineEnvironment();
    std::vector<char*> envp;
    for (QByteArray& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    // posix_spawn does not copy this process's memory as fork does: with a large
    // application that is most of the cost of a short line.
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    outWrite.reset();
    errWrite.reset();
    if (spawned != 0)
        return;   // a shell that cannot start: no output, exit code -1

    ::fcntl(outRead.fd, F_SETFL, O_NONBLOCK);
    ::fcntl(errRead.fd, F_SETFL, O_NONBLOCK);
    Fd pidFd;
    pidFd.fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));

    QEventLoop loop;
    bool outOpen = true, errOpen = true, exited = false, reaped = false;
    int status = 0;
    auto reap = [&] {
        if (exited)
            return;
        int result;
        do {
            result = ::waitpid(pid, &status, WNOHANG);
        } while (result < 0 && errno == EINTR);
        if (result == pid)
            reaped = exited = true;
        else if (result < 0)
            exited = true;   // not ours to wait for any more: no status to report
    };
    auto check = [&] {
        if (!outOpen && !errOpen)
            reap();
        if (!outOpen && !errOpen && exited)
            loop.quit();
    };

    // Output is taken as it arrives: a child blocked on a full pipe would never exit.
    QSocketNotifier outNotifier(outRead.fd, QSocketNotifier::Read);
    QObject::connect(&outNotifier, &QSocketNotifier::activated, &loop, [&] {
        if (!drain(outRead.fd, stdout_)) {
            outOpen = false;
            outNotifier.setEnabled(false);
        }
        check();
    });
    QSocketNotifier errNotifier(errRead.fd, QSocketNotifier::Read);
    QObject::connect(&errNotifier, &QSocketNotifier::activated, &loop, [&] {
        if (!drain(errRead.fd, stderr_)) {
            errOpen = false;
            errNotifier.setEnabled(false);
        }
        check();
    });
    std::unique_ptr<QSocketNotifier> exitNotifier;
    QTimer exitPoll;   // without a pidfd (an old kernel), the exit is polled
    if (pidFd.fd >= 0) {
        exitNotifier = std::make_unique<QSocketNotifier>(pidFd.fd, QSocketNotifier::Read);
        QObject::connect(exitNotifier.get(), &QSocketNotifier::activated, &loop, [&] {
            exitNotifier->setEnabled(false);
            reap();
            check();
        });
    } else {
        QObject::connect(&exitPoll, &QTimer::timeout, &loop, [&] {
            reap();
            check();
        });
        exitPoll.start(2);
    }

    const InputHold hold;
    const auto flags = QEventLoop::ExcludeUserInputEvents;
    while (outOpen || errOpen || !exited) {
        loop.exec(flags);
        // Quitting the application ends every event loop, and a new one returns at once
        // from then on; the line still runs to its end.
        if (outOpen || errOpen || !exited)
            loop.processEvents(flags | QEventLoop::WaitForMoreEvents);
    }
    if (reaped && WIFEXITED(status))
        exitCode_ = WEXITSTATUS(status);
}

QString Shell::Result() const { return QString::fromUtf8(stdout_); }

} // namespace platform
