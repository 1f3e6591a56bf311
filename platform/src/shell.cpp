#include "platform/shell.h"

#include "platform/runtime.h"

#include "input_hold.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

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

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Reads what a pipe holds now, but never past ceiling bytes in all (0: no ceiling);
// false once it is at its end.
bool drain(int fd, QByteArray& into, qint64 ceiling = 0)
{
    char buffer[65536];
    for (;;) {
        qint64 room = sizeof buffer;
        if (ceiling > 0) {
            if (into.size() >= ceiling)
                return true;
            room = std::min(room, ceiling - into.size());
        }
        const ssize_t n = ::read(fd, buffer, static_cast<std::size_t>(room));
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

// Whether the shell has exited, leaving it unreaped: while it is a zombie its process id,
// which is also its group's id, cannot be given to another process.
bool hasExited(pid_t pid)
{
    siginfo_t info{};
    int result;
    do {
        result = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (result < 0 && errno == EINTR);
    // ECHILD: not ours to wait for any more (someone reaped it): gone all the same.
    return result < 0 || info.si_pid == pid;
}

// Reaps the shell; its wait status, or nullopt when there is none to be had.
std::optional<int> reap(pid_t pid)
{
    int status = 0;
    int result;
    do {
        result = ::waitpid(pid, &status, 0);
    } while (result < 0 && errno == EINTR);
    if (result != pid)
        return std::nullopt;
    return status;
}

constexpr int kGraceMs = 250;

} // namespace

Shell::Shell() = default;
Shell::~Shell() = default;

void Shell::Execute(const QString& commandLine)
{
    stdout_.clear();
    stderr_.clear();
    exitCode_ = -1;
    ended_ = false;
    cut_ = false;
    // Once quitting, nothing more is started: the program only winds down.
    if (QuitRequested()) {
        ended_ = true;
        return;
    }
    Child child;
    const auto closeAll = qScopeGuard([&child] {
        closeFd(child.out);
        closeFd(child.err);
        closeFd(child.exited);
    });
    if (!spawn(commandLine, child))
        return;   // a shell that cannot start: no output, exit code -1
    wait(child);
}

bool Shell::spawn(const QString& commandLine, Child& child)
{
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return false;
    }
    child.out = outPipe[0];
    child.err = errPipe[0];

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The line gets default signal handling and an empty mask, whatever this process set,
    // and a process group of its own, so that it can be ended with all it started.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);

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
    const int spawned = ::posix_spawn(&child.pid, "/bin/sh", &actions, &attributes, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (spawned != 0)
        return false;

    ::fcntl(child.out, F_SETFL, O_NONBLOCK);
    ::fcntl(child.err, F_SETFL, O_NONBLOCK);
    child.exited = static_cast<int>(::syscall(SYS_pidfd_open, child.pid, 0));
    return true;
}

void Shell::wait(Child& child)
{
    QEventLoop loop;
    bool outOpen = true, errOpen = true, exited = false;
    auto check = [&] {
        if (!outOpen && !errOpen && exited)
            loop.quit();
    };

    // Output is taken as it arrives: a child blocked on a full pipe would never exit.
    QSocketNotifier outNotifier(child.out, QSocketNotifier::Read);
    QObject::connect(&outNotifier, &QSocketNotifier::activated, &loop, [&] {
        // One byte past the limit shows that the output does not fit.
        const bool open = drain(child.out, stdout_, outputLimit_ > 0 ? outputLimit_ + 1 : 0);
        if (outputLimit_ > 0 && stdout_.size() > outputLimit_) {
            cut_ = true;
            outNotifier.setEnabled(false);
            loop.quit();
            return;
        }
        if (!open) {
            outOpen = false;
            outNotifier.setEnabled(false);
        }
        check();
    });
    QSocketNotifier errNotifier(child.err, QSocketNotifier::Read);
    QObject::connect(&errNotifier, &QSocketNotifier::activated, &loop, [&] {
        if (!drain(child.err, stderr_)) {
            errOpen = false;
            errNotifier.setEnabled(false);
        }
        check();
    });
    std::unique_ptr<QSocketNotifier> exitNotifier;
    QTimer exitPoll;   // without a pidfd (an old kernel), the exit is polled
    auto onExit = [&] {
        if (!exited && hasExited(child.pid)) {
            exited = true;
            if (exitNotifier)
                exitNotifier->setEnabled(false);
            exitPoll.stop();
        }
        check();
    };
    if (child.exited >= 0) {
        exitNotifier = std::make_unique<QSocketNotifier>(child.exited, QSocketNotifier::Read);
        QObject::connect(exitNotifier.get(), &QSocketNotifier::activated, &loop, onExit);
    } else {
        QObject::connect(&exitPoll, &QTimer::timeout, &loop, onExit);
        exitPoll.start(2);
    }

    const detail::InputHold hold;
    auto running = [&] { return outOpen || errOpen || !exited; };
    while (running() && !QuitRequested() && !cut_) {
        loop.exec();
        // Quitting the application ends every event loop, and a new one returns at once
        // from then on: the events are then taken here.
        if (running() && !QuitRequested() && !cut_)
            loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (running()) {
        ended_ = QuitRequested();
        end(child);
        return;
    }
    const std::optional<int> status = reap(child.pid);
    if (status && WIFEXITED(*status))
        exitCode_ = WEXITSTATUS(*status);
}

void Shell::end(Child& child)
{
    const pid_t group = child.pid;
    ::kill(-group, SIGTERM);
    if (child.exited >= 0) {
        pollfd fd{child.exited, POLLIN, 0};
        while (::poll(&fd, 1, kGraceMs) < 0 && errno == EINTR) {
        }
    } else {
        for (int waited = 0; waited < kGraceMs && !hasExited(child.pid); waited += 5) {
            const timespec pause{0, 5'000'000};
            ::nanosleep(&pause, nullptr);
        }
    }
    // The shell is not reaped yet, so the group's id is still ours: what ignored SIGTERM
    // ends now.
    ::kill(-group, SIGKILL);
    reap(child.pid);
}

void Shell::ExecuteAppending(const QString& commandLine, const FolderItem& target)
{
    const QByteArray path = QFile::encodeName(target.NativePath());
    struct stat before {};
    const bool existed = ::stat(path.constData(), &before) == 0;
    Execute(commandLine);
    if (!ended_ && exitCode_ == 0)
        return;
    struct stat after {};
    if (::stat(path.constData(), &after) != 0 || !S_ISREG(after.st_mode))
        return;
    const off_t keep = existed && S_ISREG(before.st_mode) ? before.st_size : 0;
    if (after.st_size > keep) {
        while (::truncate(path.constData(), keep) != 0 && errno == EINTR) {
        }
    }
}

QString Shell::ScratchShellPath()
{
    if (!scratch_) {
        // Not QDir::tempPath(): for a TMPDIR that does not exist it gives the empty path,
        // and the folder would be made at the root.
        QString parent = qEnvironmentVariable("TMPDIR");
        if (parent.isEmpty())
            parent = QStringLiteral("/tmp");
        // QTemporaryDir makes the folder owner-only and removes it with its content.
        auto dir = std::make_unique<QTemporaryDir>(QDir(parent).absolutePath() + QStringLiteral("/shell-XXXXXX"));
        if (!dir->isValid())
            return {};
        scratch_ = std::move(dir);
    }
    return FolderItem(scratch_->filePath(QStringLiteral("scratch"))).ShellPath();
}

QString Shell::Result() const { return QString::fromUtf8(stdout_); }

} // namespace platform
