// SIGTERM, SIGINT and SIGHUP from outside quit the run as the quit item does, from the
// event loop that runs when they come, and the runtime's shut-down gives them back what
// they had.
#include "support/signal_catcher.h"

#include "platform/dialogs.h"
#include "platform/runtime.h"
#include "platform/shell.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <string>
#include <string_view>
#include <vector>
#include <unistd.h>

using pwtest::SignalCatcher;

// In pwtest, where the table printer (support/printers.h) finds it.
namespace pwtest {
inline namespace {

enum class During { Idle, MessageBox };

struct SignalCase {
    const char* label;
    int signal;
    During during;
};

} // namespace
} // namespace pwtest

namespace {

using pwtest::During;
using pwtest::SignalCase;

class QuitSignal : public ::testing::TestWithParam<SignalCase> {};

TEST_P(QuitSignal, EndsTheRunWithStatusZeroAndIsPutBackAtShutDown)
{
    const SignalCase& c = GetParam();
    const SignalCatcher catcher;
    platform::RuntimeInit(0, nullptr);
    QObject scope;   // the timers below go with this test
    std::chrono::steady_clock::time_point sentAt;
    bool boxShown = false;
    auto send = [&] {
        sentAt = std::chrono::steady_clock::now();
        ::kill(::getpid(), c.signal);
    };
    platform::RunFrameworkInitialization([&] {
        QTimer::singleShot(50, &scope, [&] {
            if (c.during == During::Idle) {
                send();
                return;
            }
            QTimer::singleShot(100, &scope, [&] {
                boxShown = QApplication::activeModalWidget() != nullptr;
                send();
            });
            platform::MsgBox(QStringLiteral("A box to wait in"));   // Qt's own box: no seam
        });
    });
    bool timedOut = false;
    QTimer::singleShot(10000, &scope, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    platform::RuntimeRun();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sentAt).count();
    std::printf("the run ended %.3f s after the signal\n", seconds);

    EXPECT_FALSE(timedOut);
    EXPECT_TRUE(platform::QuitRequested());
    EXPECT_LT(seconds, 5.0);   // asked: within 2 s; slack for a loaded machine
    if (c.during == During::MessageBox) {
        EXPECT_TRUE(boxShown);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_EQ(SignalCatcher::Caught(), 0);   // it went to the runtime
    EXPECT_EQ(platform::RuntimeExit(), 0);
    for (int signal : SignalCatcher::kSignals)
        EXPECT_TRUE(SignalCatcher::Catches(signal)) << signal;
}

INSTANTIATE_TEST_SUITE_P(QuitSignals, QuitSignal,
                         ::testing::Values(SignalCase{"TermWhenIdle", SIGTERM, During::Idle},
                                           SignalCase{"IntWhenIdle", SIGINT, During::Idle},
                                           SignalCase{"HupWhenIdle", SIGHUP, During::Idle},
                                           SignalCase{"TermDuringAMessageBox", SIGTERM, During::MessageBox},
                                           SignalCase{"IntDuringAMessageBox", SIGINT, During::MessageBox},
                                           SignalCase{"HupDuringAMessageBox", SIGHUP, During::MessageBox}),
                         [](const auto& info) { return std::string(info.param.label); });

// As nohup leaves SIGHUP: a user who asked for the program to outlive its terminal gets that.
TEST(QuitSignals, OneStartedIgnoredStaysIgnoredAndEachIsPutBackOnce)
{
    const SignalCatcher catcher;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ASSERT_EQ(::sigaction(SIGHUP, &ignore, nullptr), 0);

    platform::RuntimeInit(0, nullptr);
    platform::RunFrameworkInitialization({});
    platform::RunFrameworkInitialization({});   // a second set-up must not save its own handler
    EXPECT_EQ(SignalCatcher::HandlerOf(SIGHUP), SIG_IGN);
    EXPECT_FALSE(SignalCatcher::Catches(SIGTERM));
    EXPECT_FALSE(SignalCatcher::Catches(SIGINT));
    ::kill(::getpid(), SIGHUP);
    QTest::qWait(200);
    EXPECT_FALSE(platform::QuitRequested());

    EXPECT_EQ(platform::RuntimeExit(), 0);
    EXPECT_EQ(SignalCatcher::HandlerOf(SIGHUP), SIG_IGN);
    EXPECT_TRUE(SignalCatcher::Catches(SIGTERM));
    EXPECT_TRUE(SignalCatcher::Catches(SIGINT));
    EXPECT_EQ(platform::RuntimeExit(), 0);   // a second shut-down changes nothing
    EXPECT_TRUE(SignalCatcher::Catches(SIGTERM));
    EXPECT_EQ(SignalCatcher::Caught(), 0);
}

// This process's open pipes: descriptor to "pipe:[inode]".
std::map<int, QString> openPipes()
{
    std::map<int, QString> pipes;
    const QString folder = QStringLiteral("/proc/self/fd");
    for (const QString& entry : QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char link[256];
        const ssize_t n = ::readlink(QFile::encodeName(folder + u'/' + entry).constData(), link, sizeof link - 1);
        if (n > 0 && std::string_view(link, std::size_t(n)).starts_with("pipe:["))
            pipes[entry.toInt()] = QString::fromLatin1(link, n);
    }
    return pipes;
}

// The open-file flags of one of this process's descriptors, as the kernel tells them.
int descriptorFlags(int fd)
{
    QFile info(QStringLiteral("/proc/self/fdinfo/%1").arg(fd));
    if (!info.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : info.readAll().split('\n'))
        if (line.startsWith("flags:"))
            return line.mid(6).trimmed().toInt(nullptr, 8);
    return -1;
}

TEST(QuitSignals, TheirPipeNeverBlocksReachesNoCommandLineAndClosesAtShutDown)
{
    const SignalCatcher catcher;
    platform::RuntimeInit(0, nullptr);
    const std::map<int, QString> before = openPipes();
    platform::RunFrameworkInitialization({});
    std::vector<int> added;
    for (const auto& [fd, pipe] : openPipes()) {
        bool known = false;
        for (const auto& [oldFd, oldPipe] : before)
            known = known || oldPipe == pipe;
        if (!known)
            added.push_back(fd);
    }
    ASSERT_EQ(added.size(), 2u);   // the two ends of one pipe

    platform::Shell shell;
    shell.Execute(QStringLiteral("ls /proc/$$/fd"));
    const QStringList lineFds = shell.Result().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_TRUE(lineFds.contains(QStringLiteral("1"))) << shell.Result().toStdString();
    for (int fd : added) {
        SCOPED_TRACE(fd);
        const int flags = descriptorFlags(fd);
        EXPECT_TRUE(flags & O_CLOEXEC);
        EXPECT_TRUE(flags & O_NONBLOCK);
        EXPECT_FALSE(lineFds.contains(QString::number(fd)));
    }

    EXPECT_EQ(platform::RuntimeExit(), 0);
    EXPECT_EQ(openPipes(), before);
}

} // namespace
