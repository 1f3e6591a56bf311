// A signal handler may do next to nothing safely, so it only writes a byte into a pipe;
// the event loop reads it (a socket notifier fires in any loop of the thread: the main
// one, a modal dialog's, the command runner's wait) and quits from there.
#include "quit_signals.h"

#include "platform/runtime.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace platform::detail {

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr std::size_t kCount = std::size(kQuitSignals);

// The pipe's write end, for the handler; -1 when none.
std::atomic<int> wakeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads it");

void onQuitSignal(int)
{
    const int saved = errno;
    const int fd = wakeFd.load();
    if (fd >= 0) {
        const char byte = 1;
        // A full pipe already holds a quit that is on its way.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

struct Installed {
    bool active = false;
    int readFd = -1;
    int writeFd = -1;
    // A child of the application, so it never outlives the event dispatcher it uses.
    QPointer<QSocketNotifier> notifier;
    struct sigaction previous[kCount] = {};
    bool taken[kCount] = {};
};

Installed& installed()
{
    static Installed s;
    return s;
}

bool ignored(const struct sigaction& action)
{
    return !(action.sa_flags & SA_SIGINFO) && action.sa_handler == SIG_IGN;
}

void closePipe(Installed& s)
{
    wakeFd.store(-1);
    for (int* fd : {&s.readFd, &s.writeFd}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

} // namespace

void installQuitSignals()
{
    Installed& s = installed();
    if (s.active || !QCoreApplication::instance())
        return;
    // Both ends close on exec, so no command line holds them; neither end ever blocks.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;   // the signals keep what they had
    s.readFd = fds[0];
    s.writeFd = fds[1];
    s.notifier = new QSocketNotifier(s.readFd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(s.notifier, &QSocketNotifier::activated, s.notifier, [fd = s.readFd] {
        char bytes[64];
        for (;;) {
            const ssize_t n = ::read(fd, bytes, sizeof bytes);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
        }
        Quit();
    });
    wakeFd.store(s.writeFd);

    for (std::size_t i = 0; i < kCount; ++i) {
        s.taken[i] = false;
        if (::sigaction(kQuitSignals[i], nullptr, &s.previous[i]) != 0 || ignored(s.previous[i]))
            continue;
        struct sigaction action {};
        action.sa_handler = onQuitSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        s.taken[i] = ::sigaction(kQuitSignals[i], &action, nullptr) == 0;
    }
    s.active = true;
}

void removeQuitSignals()
{
    Installed& s = installed();
    if (!s.active)
        return;
    for (std::size_t i = 0; i < kCount; ++i) {
        if (s.taken[i])
            ::sigaction(kQuitSignals[i], &s.previous[i], nullptr);
        s.taken[i] = false;
    }
    delete s.notifier;
    closePipe(s);
    s.active = false;
}

} // namespace platform::detail
